#include "Stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "ArchiverMisc.h"

namespace kav {
namespace {

// The file stream buffers small reads; it must behave exactly like the
// memory stream over the same bytes, whatever the order of seeks and reads.
TEST(Stream, FileStreamReadsLikeMemory) {
    std::string bytes(3 * 4096 + 123, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31 + 7);
    const std::filesystem::path path(u8"flujo_año€.bin");  // a name outside ASCII
    std::ofstream(path, std::ios::binary) << bytes;
    auto file = FileStream::OpenRead(reinterpret_cast<const char*>(path.u8string().c_str()));
    MemoryStream memory(bytes.data(), bytes.size());
    ASSERT_EQ(file->Size(), memory.Size());

    const auto end = static_cast<int64_t>(bytes.size());
    struct Step { int64_t seek; size_t read; };
    const Step steps[] = {
        {-1, 4}, {-1, 10}, {4090, 12},           // across the buffer's end
        {-1, 5000}, {100, 1}, {-1, 8192},        // large reads bypass the buffer
        {12300, 500},                            // short at the end of the file
        {end, 3}, {end + 50, 3},  // at and past the end
        {0, bytes.size() + 10},                  // everything, and more
        {4095, 2}, {4094, 4},                    // backwards inside the buffer
    };
    for (const auto& st : steps) {
        if (st.seek >= 0) {
            file->Seek(st.seek);
            memory.Seek(st.seek);
        }
        std::string a(st.read, 'x'), b(st.read, 'x');
        const size_t na = file->Read(a.data(), a.size());
        const size_t nb = memory.Read(b.data(), b.size());
        ASSERT_EQ(na, nb) << st.seek << "+" << st.read;
        EXPECT_EQ(a, b) << st.seek << "+" << st.read;
        EXPECT_EQ(file->Position(), memory.Position());
        EXPECT_EQ(file->Remaining(), memory.Remaining());
    }
    // ReadBuffer: exactly n bytes or the read error.
    file->Seek(file->Size() - 2);
    char three[3];
    EXPECT_THROW(file->ReadBuffer(three, 3), EReadError);
    file.reset();
    std::filesystem::remove(path);
}

TEST(Stream, OpeningAMissingFileNamesIt) {
    try {
        FileStream::OpenRead("no_hay_tal.kav");
        ADD_FAILURE();
    } catch (const Exception& e) {
        const std::string m = e.what();
        EXPECT_NE(m.find("\r\n\r\nno_hay_tal.kav"), std::string::npos) << m;
    }
}

}  // namespace
}  // namespace kav
