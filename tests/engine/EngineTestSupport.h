// Shared pieces of the engine's tests: a scratch folder per test and a
// recorder that attaches to every event of an extractor.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Extractor.h"
#include "TestArchive.h"

namespace kav::test {

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Path of a name inside the scratch folder (Windows separators).
    std::string Path(const std::string& name) const { return root_ + name; }
    std::string Put(const std::string& name, const std::string& bytes) {
        WriteFile(Path(name), bytes);
        return Path(name);
    }
    std::string root_;  // ends with a separator
};

// A scratch folder whose "tmp" folder is the system's temporary folder for
// the test, so that temporary files left behind show there.
class TempFolderTest : public ScratchTest {
protected:
    void SetUp() override;
    void TearDown() override;
};

// Every event of the extractor, as one line each.
class EventLog {
public:
    explicit EventLog(TCustomExtractor& e, bool withTiming = false);
    // Detaches from the extractor, which outlives the log and still fires
    // OnBeforeClose when it is destroyed.
    ~EventLog();
    std::vector<std::string> lines;
    std::vector<int32_t> percents;  // every OnFileProgress value, in order

private:
    TCustomExtractor& e_;
};

// Points the system's temporary folder at `folder` for this process
// ("" restores the default).
void SetTempFolder(const std::string& folder);

// The files below a folder, relative, with "/" separators, sorted.
std::vector<std::string> ListFiles(const std::string& folder);

}  // namespace kav::test
