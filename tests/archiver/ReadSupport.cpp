#include "ReadSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "ArchiveFormat.h"
#include "DialogSeam.h"
#include "Exception.h"
#include "Extractor.h"
#include "PathUtils.h"
#include "Stream.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace kav::testing {
namespace {

#ifdef _WIN32
int ProcessId() { return _getpid(); }
#else
int ProcessId() { return static_cast<int>(getpid()); }
#endif

std::string Utf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

fs::path FromUtf8(std::string s) {
#ifndef _WIN32
    for (char& c : s)
        if (c == '\\') c = '/';
#endif
    return fs::path(std::u8string(s.begin(), s.end()));
}

// The segment files in the process's reading folder, removed afterwards
// with whatever was extracted. The folder is made once: reading thousands
// of damaged archives stays quick under Wine.
class ArchiveFiles {
public:
    ArchiveFiles(const std::vector<std::string>& segments, int64_t sfxStart) {
        static const fs::path root = [] {
            const fs::path p = fs::temp_directory_path() / ("kvread-" + std::to_string(ProcessId()));
            fs::remove_all(p);
            fs::create_directories(p);
            return p;
        }();
        archive = Utf8(root / (sfxStart > 0 ? "QTR.EXE" : "QTR.KAV"));
        const ArchiveNameParts parts = SplitArchiveName(archive);
        for (size_t i = 0; i < segments.size(); ++i) {
            written_.push_back(FromUtf8(i == 0 ? archive : SegmentFileName(parts, static_cast<int>(i + 1))));
            std::ofstream(written_.back(), std::ios::binary)
                .write(segments[i].data(), static_cast<std::streamsize>(segments[i].size()));
        }
        output_ = root / "salida";
        output = Utf8(output_);
    }
    ~ArchiveFiles() {
        std::error_code ec;
        for (const fs::path& p : written_) fs::remove(p, ec);
        if (!fs::exists(output_, ec)) return;
        for (auto& e : fs::recursive_directory_iterator(output_, ec))
            fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add, ec);
        fs::remove_all(output_, ec);
    }
    std::string archive, output;

private:
    std::vector<fs::path> written_;
    fs::path output_;
};

// Records the last prompt and cancels it, for the scope.
class CancelPrompts {
public:
    CancelPrompts()
        : previous_(ui::SetDialogScript([this](const ui::DialogRequest& r) {
              prompt = r.text;
              return ui::DialogAnswer{2, {}};  // Cancel
          })) {}
    ~CancelPrompts() { ui::SetDialogScript(previous_); }
    std::string prompt;

private:
    ui::DialogScript previous_;
};

std::string* gPrompt = nullptr;  // the prompt of the current read, for CaughtError

void Configure(TExtractor& e, const ArchiveFiles& files, const std::string& key, int64_t sfxStart) {
    e.SetFileName(files.archive);
    e.SFXSize = static_cast<int32_t>(sfxStart);
    e.ErrorAction = eaAbort;
    e.RestoreAction = raOverwrite;
    e.Options -= oShowBusyMessage;
    e.OnRequestCryptKey = [key](TArchiverRoot&, std::string& k) { k = key; };
}

}  // namespace

std::string CaughtError(const std::function<void()>& f) {
    try {
        f();
        return "";
    } catch (const EAbort&) {
        return "prompt: " + (gPrompt ? *gPrompt : std::string());
    } catch (const EArchiverBadCRC& e) {
        return std::string("BadCRC: ") + e.what();
    } catch (const EArchiverBadKey& e) {
        return std::string("BadKey: ") + e.what();
    } catch (const EArchiverUncompress& e) {
        return std::string("Uncompress: ") + e.what();
    } catch (const EArchiver& e) {
        return std::string("EArchiver: ") + e.what();
    } catch (const EReadError& e) {
        return std::string("Read: ") + e.what();
    } catch (const Exception& e) {
        return std::string("plain: ") + e.what();
    }
}

Seen Read(const std::vector<std::string>& segments, const std::string& key, int64_t sfxStart) {
    const ArchiveFiles files(segments, sfxStart);
    CancelPrompts prompts;
    gPrompt = &prompts.prompt;
    Seen seen;
    for (size_t i = 0; i < segments.size(); ++i) {
        MemoryStream s(segments[i].data(), segments[i].size());
        s.Seek(i == 0 ? sfxStart : 0);
        TArchiveHeader h;
        if (ReadHeader(s, h)) seen.headers.push_back(h);
    }
    {
        TExtractor e;
        Configure(e, files, key, sfxStart);
        e.ExtractPath = files.output;
        e.OnAfterOpen = [&](TArchiverRoot& r) { seen.opened = r.Header(); };
        e.OnExtractFileByIndex = [&](TCustomExtractor& x, int32_t, std::string&, bool&) {
            seen.entries.push_back(x.CurrentEntry());
        };
        e.OnFileExtracted = [&](TCustomExtractor&, const TFileEntry& f, const std::string& folder) {
            std::ifstream in(FromUtf8(folder + ExtractFileName(f.Name)), std::ios::binary);
            seen.content[f.Name].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        };
        EXPECT_EQ(CaughtError([&] { e.ExtractFiles(); }), "") << "extraction";
    }
    TExtractor e;
    Configure(e, files, key, sfxStart);
    std::vector<std::string> tested;
    e.OnFileTested = [&](TCustomExtractor&, const TFileEntry& f) { tested.push_back(f.Name); };
    EXPECT_EQ(CaughtError([&] { e.TestFiles(); }), "") << "test";
    EXPECT_EQ(tested.size(), seen.entries.size());
    gPrompt = nullptr;
    return seen;
}

std::string ReadError(const std::vector<std::string>& segments, const std::string& key) {
    const ArchiveFiles files(segments, 0);
    CancelPrompts prompts;
    gPrompt = &prompts.prompt;
    std::string errors[2];
    for (int run = 0; run < 2; ++run) {
        TExtractor e;
        Configure(e, files, key, 0);
        e.ExtractPath = files.output;
        errors[run] = CaughtError([&] { run == 0 ? e.TestFiles() : e.ExtractFiles(); });
        prompts.prompt.clear();
    }
    gPrompt = nullptr;
    EXPECT_EQ(errors[0], errors[1]) << "TestFiles and ExtractFiles disagree";
    return errors[1];
}

}  // namespace kav::testing
