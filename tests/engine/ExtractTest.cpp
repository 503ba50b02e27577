// ExtractFiles: existing files, alternate names, folders, attributes and
// times, keys, the error decision, abort, and refused stored names.
#include <filesystem>

#include "DialogSeam.h"
#include "Dialogs.h"
#include "EngineTestSupport.h"
#include "platform/Platform.h"

namespace kav::test {
namespace {

using Lines = std::vector<std::string>;

class ExtractTest : public ScratchTest {
protected:
    // An extractor over an archive of the given files, extracting to out.
    void Prepare(TExtractor& e, const std::vector<FileRecipe>& files) {
        ArchiveRecipe s;
        s.files = files;
        e.SetFileName(Put("A.KAV", BuildArchive(s)));
        e.ExtractPath = Path("out");
        e.RestoreAction = raOverwrite;
    }
    // The tests' own file calls take "/", which both systems accept.
    std::string Out(const std::string& name) { return Path("out") + "/" + name; }
};

TEST_F(ExtractTest, RestoreActionsOnExistingAndMissingFiles) {
    const double entryDate = 45000.5;  // the archive's copy
    struct Case {
        TRestoreAction action;
        const char* existing;  // "" = no file, "old", "same" (same time), "new"
        bool written;
    } cases[] = {
        {raOverwrite, "new", true},   {raSkip, "old", false},         {raSkip, "", true},
        {raUpdate, "old", true},      {raUpdate, "same", false},      {raUpdate, "new", false},
        {raUpdate, "", true},         {raExistingOnly, "", false},    {raExistingOnly, "new", true},
        {raUpdateExisting, "", false}, {raUpdateExisting, "old", true}, {raUpdateExisting, "same", false},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        TExtractor e;
        Prepare(e, {FileRecipe{"f.txt", "archived", entryDate}});
        e.RestoreAction = c.action;
        std::string existing = c.existing;
        if (!existing.empty()) {
            std::filesystem::create_directories(Path("out"));
            WriteFile(Out("f.txt"), "on disk");
            os::File f;
            ASSERT_TRUE(f.Open(Out("f.txt"), os::Access::ReadWrite, os::Share::DenyNone, os::Disposition::OpenExisting));
            // One second apart still counts as the same time (2-second slots).
            f.SetDate(existing == "old" ? entryDate - 1 : existing == "same" ? entryDate + 1.0 / 86400 : entryDate + 1);
        }
        e.ExtractFiles();
        EXPECT_EQ(ReadFile(Out("f.txt")) == "archived", c.written)
            << "action " << c.action << " existing '" << existing << "'";
        EXPECT_EQ(e.ResultCode(), 1);
    }
}

TEST_F(ExtractTest, OverwriteQuestionAnswers) {
    struct Case {
        std::vector<int> answers;  // one per question asked
        const char* expectA;
        const char* expectB;
        bool aborted;
    } cases[] = {
        {{mrYes, mrNo}, "new", "old", false},
        {{mrYesToAll}, "new", "new", false},  // asked once only
        {{mrCancel}, "old", "old", true},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        TExtractor e;
        Prepare(e, {FileRecipe{"a", "new"}, FileRecipe{"b", "new"}});
        e.RestoreAction = raAsk;
        std::filesystem::create_directories(Path("out"));
        WriteFile(Out("a"), "old");
        WriteFile(Out("b"), "old");
        size_t asked = 0;
        ui::ScopedDialogScript script([&](const ui::DialogRequest& r) {
            EXPECT_EQ(r.kind, dialogs::kOverwrite);
            EXPECT_EQ(r.caption, "Confirma sobreescribir archivo");
            return ui::DialogAnswer{c.answers.at(asked++), {}};
        });
        if (c.aborted) EXPECT_THROW(e.ExtractFiles(), EAbort);
        else e.ExtractFiles();
        EXPECT_EQ(asked, c.answers.size());
        EXPECT_EQ(ReadFile(Out("a")), c.expectA);
        EXPECT_EQ(ReadFile(Out("b")), c.expectB);
    }
    // Yes to all lasts one operation only: the next run asks again.
    TExtractor e;
    Prepare(e, {FileRecipe{"a", "new"}});
    e.RestoreAction = raAsk;
    int asked = 0;
    ui::ScopedDialogScript script([&](const ui::DialogRequest&) {
        ++asked;
        return ui::DialogAnswer{mrYesToAll, {}};
    });
    e.ExtractFiles();
    e.ExtractFiles();
    EXPECT_EQ(asked, 2);
}

TEST_F(ExtractTest, AlternateNames) {
    FileRecipe f{"prog\\main.exe", "program", 45000.5, 0x21, 5, "copia\\otro.exe", 10};
    struct Case {
        bool acceptMain, acceptAlt;
        Lines files;
        const char* extractedAs;  // Name seen by OnFileExtracted
    } cases[] = {
        {true, true, {"copia/otro.exe", "prog/main.exe"}, "prog\\main.exe"},
        {true, false, {"prog/main.exe"}, "prog\\main.exe"},
        {false, true, {"copia/otro.exe"}, "copia\\otro.exe"},
        {false, false, {}, nullptr},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        TExtractor e;
        Prepare(e, {f});
        Lines seen;
        e.OnExtractFile = [&](TCustomExtractor&, const TFileEntry& entry, std::string&, bool& accept) {
            seen.push_back(entry.Name + " " + std::to_string(entry.FileType));
            accept = entry.Name == f.name ? c.acceptMain : c.acceptAlt;
        };
        std::string extractedAs;
        e.OnFileExtracted = [&](TCustomExtractor&, const TFileEntry& entry, const std::string&) {
            extractedAs = entry.Name;
        };
        e.ExtractFiles();
        EXPECT_EQ(seen, (Lines{"prog\\main.exe 5", "copia\\otro.exe 10"}));
        EXPECT_EQ(ListFiles(Path("out")), c.files);
        EXPECT_EQ(extractedAs, c.extractedAs ? c.extractedAs : "");
        for (const std::string& written : c.files) {
            std::string p = Path("out") + "/" + written;
            EXPECT_EQ(ReadFile(p), "program");
            EXPECT_NEAR(os::FileDate(p), f.date, 1.5 / 86400) << written;
            EXPECT_TRUE(os::FileAttributes(p) & os::kAttrReadOnly) << written;
        }
    }
}

TEST_F(ExtractTest, FolderEntriesAndWithoutRestorePath) {
    TExtractor e;
    Prepare(e, {FileRecipe{"vacia\\", "", 45000, 0x10, 0, "", 0, true}, FileRecipe{"a\\b\\c.txt", "c"}});
    int counted = 0;
    e.OnFileExtracted = [&](TCustomExtractor&, const TFileEntry&, const std::string& dest) {
        ++counted;
        EXPECT_EQ(dest, Path("out") + "\\a\\b\\");
    };
    e.ExtractFiles();
    EXPECT_TRUE(std::filesystem::is_directory(Path("out") + "/vacia"));
    EXPECT_EQ(ListFiles(Path("out")), (Lines{"a/b/c.txt"}));
    EXPECT_EQ(counted, 1);

    e.OnFileExtracted = nullptr;
    e.Options -= oRestorePath;
    e.ExtractPath = Path("flat");
    e.ExtractFiles();
    EXPECT_EQ(ListFiles(Path("flat")), (Lines{"c.txt"}));
}

TEST_F(ExtractTest, EncryptedEntriesAskTheKeyOnce) {
    const std::string key = "clave-secreta";
    struct Case {
        const char* name;
        std::function<void(TExtractor&)> setup;
        bool ok;
        const char* error;
    } cases[] = {
        {"handler gives the key", [&](TExtractor& e) { e.OnRequestCryptKey = [&](TArchiverRoot&, std::string& k) { k = key; }; },
         true, ""},
        {"preset key", [&](TExtractor& e) { e.CryptKey = key; }, true, ""},
        {"wrong key", [&](TExtractor& e) { e.OnRequestCryptKey = [](TArchiverRoot&, std::string& k) { k = "otra-clave"; }; },
         false, "El archivo no podra desencriptarse. Introdujo una clave invalida"},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        TExtractor e;
        Prepare(e, {FileRecipe{"s1", std::string(3000, 's'), 45000, 0x20, 0, "", 0, false, false, key},
                    FileRecipe{"s2", "dos", 45000, 0x20, 0, "", 0, false, true, key}});
        e.ErrorAction = eaContinue;
        c.setup(e);
        std::string error;
        auto prompt = e.OnRequestCryptKey;
        int asked = 0;
        if (prompt) e.OnRequestCryptKey = [&](TArchiverRoot& r, std::string& k) { ++asked; prompt(r, k); };
        e.OnError = [&](TArchiverRoot&, const std::exception& ex, const TFileEntry&, TErrorAction&) { error = ex.what(); };
        e.ExtractFiles();
        EXPECT_EQ(error, c.error) << c.name;
        if (c.ok) {
            EXPECT_EQ(ReadFile(Out("s1")), std::string(3000, 's')) << c.name;
            EXPECT_EQ(ReadFile(Out("s2")), "dos") << c.name;
        }
        if (prompt) EXPECT_EQ(asked, 1) << "a wrong key is kept for the operation: " << c.name;
        EXPECT_TRUE(e.CryptKey.empty()) << "the key is forgotten after the operation: " << c.name;
    }
}

TEST_F(ExtractTest, KeyDialogAndItsCancel) {
    for (bool cancel : {false, true}) {
        TExtractor e;
        Prepare(e, {FileRecipe{"s", "secreto", 45000, 0x20, 0, "", 0, false, false, "clave-secreta"}});
        ui::ScopedDialogScript script([&](const ui::DialogRequest& r) {
            EXPECT_EQ(r.kind, dialogs::kInputPassword);
            EXPECT_EQ(r.caption, "Mensaje de Sistema");
            EXPECT_EQ(r.text, "Clave de desencripción:");
            return ui::DialogAnswer{cancel ? mrCancel : mrOk, "clave-secreta"};
        });
        if (cancel) {
            EXPECT_THROW(e.ExtractFiles(), EAbort);
            EXPECT_EQ(e.ResultCode(), -1);
        } else {
            e.ExtractFiles();
            EXPECT_EQ(ReadFile(Out("s")), "secreto");
        }
    }
}

// The archive of `files` with the last data byte of each listed entry's
// (single, stored) block flipped: a checksum failure in those entries.
std::string WithBadCrc(const std::vector<FileRecipe>& files, std::vector<size_t> damaged) {
    ArchiveRecipe s;
    s.files = files;
    std::string bytes = BuildArchive(s);
    for (size_t d : damaged) {
        size_t at = bytes.find(files[d].name, 268);
        size_t next = d + 1 < files.size() ? bytes.find(files[d + 1].name, at) - 4 : bytes.size();
        bytes[next - 1] ^= 0x55;
    }
    return bytes;
}

TEST_F(ExtractTest, ErrorDecision) {
    const std::vector<FileRecipe> files{FileRecipe{"uno", "1", 45000, 0x20, 0, "", 0, false, true},
                                      FileRecipe{"dos", "2", 45000, 0x20, 0, "", 0, false, true},
                                      FileRecipe{"tres", "3", 45000, 0x20, 0, "", 0, false, true}};
    struct Case {
        const char* name;
        TErrorAction property;
        std::optional<TErrorAction> handlerSets;  // OnError assigned when set
        int dialogAnswer;                         // continue dialog, when asked
        enum { Completes, SilentAbort, Propagates } outcome;
        Lines written;
    } cases[] = {
        {"continue", eaContinue, std::nullopt, 0, Case::Completes, {"tres", "uno"}},
        {"abort, no handler", eaAbort, std::nullopt, 0, Case::Propagates, {"uno"}},
        {"abort by handler", eaContinue, eaAbort, 0, Case::SilentAbort, {"uno"}},
        {"ask, yes", eaAsk, std::nullopt, mrYes, Case::Completes, {"tres", "uno"}},
        {"ask, no", eaAsk, std::nullopt, mrNo, Case::SilentAbort, {"uno"}},
        {"ask, closed", eaAsk, std::nullopt, mrNone, Case::SilentAbort, {"uno"}},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        TExtractor e;
        e.SetFileName(Put("A.KAV", WithBadCrc(files, {1})));
        e.ExtractPath = Path("out");
        e.ErrorAction = c.property;
        if (c.handlerSets) {
            e.OnError = [&](TArchiverRoot&, const std::exception&, const TFileEntry& f, TErrorAction& a) {
                EXPECT_EQ(f.Name, "dos");
                EXPECT_EQ(a, c.property);
                a = *c.handlerSets;
            };
        }
        int finished = 0;
        e.OnFinishOperation = [&](TArchiverRoot&) { ++finished; };
        ui::ScopedDialogScript script([&](const ui::DialogRequest& r) {
            EXPECT_EQ(r.kind, dialogs::kContinue);
            EXPECT_NE(r.text.find("CRC incorrecto: los datos dentro del archivo estan corrompidos"), std::string::npos);
            EXPECT_NE(r.text.find("Archivo : dos"), std::string::npos);
            return ui::DialogAnswer{c.dialogAnswer, {}};
        });
        switch (c.outcome) {
        case Case::Completes: e.ExtractFiles(); break;
        case Case::SilentAbort: EXPECT_THROW(e.ExtractFiles(), EAbort) << c.name; break;
        case Case::Propagates: EXPECT_THROW(e.ExtractFiles(), EArchiverBadCRC) << c.name; break;
        }
        EXPECT_EQ(finished, 1) << c.name;
        EXPECT_EQ(e.ResultCode(), c.outcome == Case::Completes ? 1 : -1) << c.name;
        Lines written = ListFiles(Path("out"));
        // The failed file may stay partly written; only the others matter.
        written.erase(std::remove(written.begin(), written.end(), "dos"), written.end());
        EXPECT_EQ(written, c.written) << c.name;
    }
}

// A file of many blocks with a damaged one: the blocks before it are written
// and reported one by one, in order, before its error; the next file is sound.
TEST_F(ExtractTest, BlocksBeforeADamagedOneAreWrittenAndReported) {
    std::string data;
    for (int block = 0; block < 9; ++block) data += std::string(1024, static_cast<char>('a' + block));
    for (size_t damaged : {0, 1, 4, 8}) {
        TearDown();
        SetUp();
        ArchiveRecipe s;
        s.files = {FileRecipe{"largo", data, 45000, 0x20, 0, "", 0, false, true}, FileRecipe{"fin", "fin"}};
        std::string bytes = BuildArchive(s);
        // Stored blocks of 8 + 1024 bytes right after the first entry record.
        const size_t firstBlock = bytes.find(std::string(1024, 'a')) - 8;
        bytes[firstBlock + damaged * (8 + 1024) + 8 + 100] ^= 0x55;
        TExtractor e;
        e.SetFileName(Put("A.KAV", bytes));
        e.ExtractPath = Path("out");
        e.ErrorAction = eaContinue;
        std::vector<std::string> written;  // the file's content at each progress report
        e.OnFileProgress = [&](TArchiverRoot&, int32_t) {
            if (std::filesystem::exists(Out("largo"))) written.push_back(ReadFile(Out("largo")));
        };
        e.ExtractFiles();
        const std::string good = data.substr(0, damaged * 1024);
        EXPECT_EQ(ReadFile(Out("largo")).substr(0, good.size() + 1), good) << damaged;
        std::vector<std::string> expected;
        for (size_t b = 1; b <= damaged; ++b) expected.push_back(data.substr(0, b * 1024));
        std::vector<std::string> perBlock;
        for (const auto& w : written)
            if (!w.empty() && (perBlock.empty() || perBlock.back() != w)) perBlock.push_back(w);
        EXPECT_EQ(perBlock, expected) << damaged;
        EXPECT_EQ(ReadFile(Out("fin")), "fin") << damaged;
    }
}

TEST_F(ExtractTest, YesToAllContinuesWithoutAskingAgain) {
    std::vector<FileRecipe> files;
    for (const char* n : {"a", "b", "c", "d"}) files.push_back(FileRecipe{n, n, 45000, 0x20, 0, "", 0, false, true});
    TExtractor e;
    e.SetFileName(Put("A.KAV", WithBadCrc(files, {1, 2})));
    e.ExtractPath = Path("out");
    int asked = 0;
    ui::ScopedDialogScript script([&](const ui::DialogRequest&) { ++asked; return ui::DialogAnswer{mrYesToAll, {}}; });
    e.ExtractFiles();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(e.ResultCode(), 1);
    EXPECT_EQ(ReadFile(Path("out") + "/d"), "d");
}

TEST_F(ExtractTest, RequestAbortFromAProgressHandler) {
    TExtractor e;
    Prepare(e, {FileRecipe{"big", std::string(5000, 'b')}, FileRecipe{"later", "l"}});
    int finished = 0;
    e.OnFileProgress = [&](TArchiverRoot& r, int32_t p) {
        if (p > 0) r.RequestAbort();
    };
    e.OnFinishOperation = [&](TArchiverRoot&) { ++finished; };
    EXPECT_THROW(e.ExtractFiles(), EAbort);
    EXPECT_EQ(e.ResultCode(), -2);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(std::filesystem::exists(Out("later")));
    // The next operation runs normally.
    e.OnFileProgress = nullptr;
    e.ExtractFiles();
    EXPECT_EQ(e.ResultCode(), 1);
    EXPECT_EQ(ReadFile(Out("later")), "l");
}

TEST_F(ExtractTest, StoredNamesThatLeaveTheirFolderAreRefused) {
    // One of each kind; the rule's whole table is in RestorePathTest.
    const char* refused[] = {"..\\fuera.txt", "a\\..\\..\\fuera.txt", "a/../../fuera.txt", "..", "dir\\x:y.txt",
                             "ab:\\fuera.txt", "C:\\fuera.txt", "\\\\srv\\share\\fuera.txt", "\\\\.\\pipe\\fuera",
                             "C:..\\fuera.txt", "dir\\CON.txt", "fuera.txt.", "dir \\fuera.txt"};
    for (const char* name : refused) {
        TearDown();
        SetUp();
        TExtractor e;
        // Refused as a name and as an alternate name.
        Prepare(e, {FileRecipe{name, "malo"}, FileRecipe{"otro.txt", "malo", 45000, 0x20, 0, name},
                    FileRecipe{"bueno.txt", "bien"}});
        e.ExtractPath = Path("out\\in");
        e.ErrorAction = eaContinue;
        int refused = 0;
        e.OnError = [&](TArchiverRoot&, const std::exception& ex, const TFileEntry&, TErrorAction&) {
            refused += std::string(ex.what()).find("no permitido") != std::string::npos;
            EXPECT_NE(dynamic_cast<const EArchiver*>(&ex), nullptr);
        };
        e.ExtractFiles();
        EXPECT_EQ(refused, 2) << name;
        EXPECT_EQ(ListFiles(Path("")), (Lines{"A.KAV", "out/in/bueno.txt"})) << name;
    }
}

TEST_F(ExtractTest, NeedsAnExtractPathAndRefusesWhileBusy) {
    TExtractor e;
    Prepare(e, {FileRecipe{"a", "a"}, FileRecipe{"b", "b"}});
    e.ExtractPath.clear();
    try {
        e.ExtractFiles();
        FAIL();
    } catch (const EArchiver& ex) {
        EXPECT_STREQ(ex.what(), "Es necesario la trayectoria de extracción");
    }
    e.ExtractPath = Path("out");
    std::vector<std::string> messages;
    ui::ScopedDialogScript script([&](const ui::DialogRequest& r) {
        messages.push_back(r.caption + ": " + r.text);
        return ui::DialogAnswer{mrOk, {}};
    });
    int files = 0;
    e.OnFileExtracted = [&](TCustomExtractor& x, const TFileEntry&, const std::string&) {
        ++files;
        x.Close();           // refused
        x.EnumerateFiles();  // refused
    };
    e.ExtractFiles();
    EXPECT_EQ(files, 2);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0], "Advertencia: Componente TExtractor esta Ocupado. Cancelar operación actual  y reintentar");
    EXPECT_TRUE(e.IsOpened());
}

}  // namespace
// An archive read through a file the caller holds is the file that was
// opened, whatever its path names later: replaced by another archive under
// the same name between a test run and the extraction (as a POSIX rename
// may; Windows refuses it while the file is held), the extraction still
// writes what the test run read.
TEST_F(ExtractTest, HeldFileIsReadWhateverThePathNamesLater) {
    ArchiveRecipe checked, other;
    checked.files = {FileRecipe{"f.txt", "checked"}};
    other.files = {FileRecipe{"f.txt", "swapped"}, FileRecipe{"g.txt", "planted"}};
    const std::string path = Put("A.KAV", BuildArchive(checked));
    os::File held;
    ASSERT_TRUE(held.Open(path, os::Access::Read, os::Share::DenyWrite, os::Disposition::OpenExisting));

    TExtractor e;
    e.UseHeldFile(path, &held);
    e.SetFileName(path);
    e.ExtractPath = Path("out");
    e.RestoreAction = raOverwrite;
    std::vector<std::string> tested;
    e.OnFileTested = [&](TCustomExtractor&, const TFileEntry& f) { tested.push_back(f.Name); };
    e.TestFiles();
    e.Close();
    EXPECT_EQ(tested, std::vector<std::string>{"f.txt"});

    const std::string swap = Put("B.KAV", BuildArchive(other));
    std::error_code refusado;
    std::filesystem::rename(swap, path, refusado);
#ifdef _WIN32
    // Held without delete sharing, the file cannot even be replaced here.
    EXPECT_TRUE(refusado);
#else
    EXPECT_FALSE(refusado);
#endif
    e.ExtractFiles();
    EXPECT_EQ(e.ResultCode(), 1);
    EXPECT_EQ(ReadFile(Out("f.txt")), "checked");
    EXPECT_FALSE(std::filesystem::exists(Out("g.txt")));

    // Forgotten, the path is opened again: the other archive.
    e.Close();
    e.UseHeldFile({}, nullptr);
    held.Close();
    if (refusado) std::filesystem::rename(swap, path);
    e.ExtractFiles();
    EXPECT_EQ(ReadFile(Out("g.txt")), "planted");
}

// An archive the caller made and holds in memory is read from there, as a
// file would be (checked, then extracted block by block), and no file of its
// name is opened: one there, even a sound archive, is not what is read.
// Bytes that are no archive fail as a file of them would.
TEST_F(ExtractTest, HeldBytesAreReadInsteadOfAFile) {
    ArchiveRecipe held, onDisk;
    const std::string large(3 * 65536 + 17, 'x');  // several blocks read from memory
    held.files = {FileRecipe{"f.txt", "held"}, FileRecipe{"grande.bin", large}};
    onDisk.files = {FileRecipe{"f.txt", "on disk"}, FileRecipe{"g.txt", "on disk"}};
    const std::string path = Put("A.KAV", BuildArchive(onDisk));
    const std::string bytes = BuildArchive(held);

    TExtractor e;
    e.UseHeldBytes(path, bytes);
    e.SetFileName(path);
    e.ExtractPath = Path("out");
    e.RestoreAction = raOverwrite;
    std::vector<std::string> tested;
    e.OnFileTested = [&](TCustomExtractor&, const TFileEntry& f) { tested.push_back(f.Name); };
    e.TestFiles();
    e.Close();
    EXPECT_EQ(e.ResultCode(), 1);
    EXPECT_EQ(tested, (std::vector<std::string>{"f.txt", "grande.bin"}));
    e.ExtractFiles();
    EXPECT_EQ(e.ResultCode(), 1);
    e.Close();
    EXPECT_EQ(ReadFile(Out("f.txt")), "held");
    EXPECT_EQ(ReadFile(Out("grande.bin")), large);
    EXPECT_FALSE(std::filesystem::exists(Out("g.txt")));
    // Nor must there be one at all.
    std::filesystem::remove(path);
    e.ExtractPath = Path("without");
    e.ExtractFiles();
    EXPECT_EQ(e.ResultCode(), 1);
    e.Close();
    EXPECT_EQ(ReadFile(Path("without") + "/f.txt"), "held");

    const std::string cut = bytes.substr(0, bytes.size() - 100);
    const auto failure = [&](const std::string* held) {
        TExtractor x;
        if (held) x.UseHeldBytes(path, *held);
        x.SetFileName(path);
        x.ExtractPath = Path(held ? "memory" : "file");
        try {
            x.ExtractFiles();
        } catch (const std::exception& error) {
            return std::string(error.what());
        }
        return std::string("extracted");
    };
    const std::string fromMemory = failure(&cut);
    Put("A.KAV", cut);
    EXPECT_EQ(fromMemory, failure(nullptr));
    EXPECT_NE(fromMemory, "extracted");
}

}  // namespace kav::test
