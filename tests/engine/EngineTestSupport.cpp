#include "EngineTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "platform/Platform.h"

namespace fs = std::filesystem;

namespace kav::test {

void ScratchTest::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '-';
    // A suffix of its own per run: the same test can run at once in two build trees.
    std::random_device azar;
    fs::path p;
    do {
        char sufijo[17];
        std::snprintf(sufijo, sizeof sufijo, "%08x%08x", azar(), azar());
        p = fs::temp_directory_path() / ("kvengine-" + name + "-" + sufijo);
    } while (!fs::create_directories(p));
    root_ = p.string();
    root_ += static_cast<char>(fs::path::preferred_separator);
}

void ScratchTest::TearDown() {
    std::error_code ec;
    // Read-only files are left writable first so that the folder can go.
    for (auto& entry : fs::recursive_directory_iterator(root_, ec))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
}

void TempFolderTest::SetUp() {
    ScratchTest::SetUp();
    fs::create_directories(Path("tmp"));
    SetTempFolder(Path("tmp"));
}

void TempFolderTest::TearDown() {
    SetTempFolder("");
    ScratchTest::TearDown();
}

EventLog::~EventLog() {
    TCustomExtractor& e = e_;
    e.OnStartOperation = e.OnFinishOperation = e.OnBeforeOpen = e.OnAfterOpen = e.OnBeforeClose = e.OnAfterClose =
        e.OnClearFileList = nullptr;
    e.OnFileProgress = nullptr;
    e.OnShowTiming = nullptr;
    e.OnError = nullptr;
    e.OnAcceptArchive = nullptr;
    e.OnShowComment = e.OnDisplayMessage = e.OnAddToLog = nullptr;
    e.OnRequestCryptKey = nullptr;
    e.OnEnumeration = nullptr;
    e.OnExtractFile = nullptr;
    e.OnExtractFileByIndex = nullptr;
    e.OnFileExtracted = nullptr;
    e.OnFileTested = nullptr;
    e.OnFileSerie = nullptr;
    e.OnSegmentChanged = nullptr;
}

EventLog::EventLog(TCustomExtractor& e, bool withTiming) : e_(e) {
    auto add = [this](std::string s) { lines.push_back(std::move(s)); };
    e.OnStartOperation = [add](TArchiverRoot&) { add("StartOperation"); };
    e.OnFinishOperation = [add](TArchiverRoot&) { add("FinishOperation"); };
    e.OnFileProgress = [this, add](TArchiverRoot&, int32_t p) {
        percents.push_back(p);
        add("FileProgress");
    };
    if (withTiming) e.OnShowTiming = [add](TArchiverRoot&, double, double) { add("ShowTiming"); };
    e.OnError = [add](TArchiverRoot&, const std::exception& ex, const TFileEntry& f, TErrorAction&) {
        add("Error " + f.Name + ": " + ex.what());
    };
    e.OnAcceptArchive = [add](TArchiverRoot&, const TArchiveHeader&, bool&) { add("AcceptArchive"); };
    e.OnBeforeOpen = [add](TArchiverRoot&) { add("BeforeOpen"); };
    e.OnAfterOpen = [add](TArchiverRoot&) { add("AfterOpen"); };
    e.OnBeforeClose = [add](TArchiverRoot&) { add("BeforeClose"); };
    e.OnAfterClose = [add](TArchiverRoot&) { add("AfterClose"); };
    e.OnShowComment = [add](TArchiverRoot&, const std::string& c) { add("ShowComment " + c); };
    e.OnDisplayMessage = [add](TArchiverRoot&, const std::string& m) { add("DisplayMessage " + m); };
    e.OnAddToLog = [add](TArchiverRoot&, const std::string&) { add("AddToLog"); };
    e.OnClearFileList = [add](TArchiverRoot&) { add("ClearFileList"); };
    e.OnRequestCryptKey = [add](TArchiverRoot&, std::string& key) {
        add("RequestCryptKey");
        key = "clave-secreta";
    };
    e.OnEnumeration = [add](TCustomExtractor&, const TFileEntry& f) { add("Enumeration " + f.Name); };
    e.OnExtractFile = [add](TCustomExtractor&, const TFileEntry& f, std::string&, bool&) {
        add("ExtractFile " + f.Name);
    };
    e.OnExtractFileByIndex = [add](TCustomExtractor&, int32_t i, std::string&, bool&) {
        add("ExtractFileByIndex " + std::to_string(i));
    };
    e.OnFileExtracted = [add](TCustomExtractor&, const TFileEntry& f, const std::string&) {
        add("FileExtracted " + f.Name);
    };
    e.OnFileTested = [add](TCustomExtractor&, const TFileEntry& f) { add("FileTested " + f.Name); };
    e.OnFileSerie = [add](TCustomExtractor&, const TFileEntry& f, const std::string&, os::File&) {
        add("FileSerie " + f.Name);
    };
    e.OnSegmentChanged = [add](TCustomExtractor& x) { add("SegmentChanged " + std::to_string(x.Header().Segment)); };
}

void SetTempFolder(const std::string& folder) {
#ifdef _WIN32
    static const std::string original = std::getenv("TMP") ? std::getenv("TMP") : "";
    _putenv_s("TMP", folder.empty() ? original.c_str() : folder.c_str());
#else
    if (folder.empty()) unsetenv("TMPDIR");
    else setenv("TMPDIR", folder.c_str(), 1);
#endif
}

std::vector<std::string> ListFiles(const std::string& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto& entry : fs::recursive_directory_iterator(folder, ec))
        if (entry.is_regular_file()) out.push_back(fs::relative(entry.path(), folder).generic_string());
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace kav::test
