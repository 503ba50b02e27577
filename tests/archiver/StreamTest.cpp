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
    constexpr int64_t B = FileStream::kBufferSize;
    std::string bytes(3 * B + 123, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31 + 7);
    const std::filesystem::path path(u8"flujo_año€.bin");  // a name outside ASCII
    std::ofstream(path, std::ios::binary) << bytes;
    auto file = FileStream::OpenRead(reinterpret_cast<const char*>(path.u8string().c_str()));
    MemoryStream memory(bytes.data(), bytes.size());
    ASSERT_EQ(file->Size(), memory.Size());

    const auto end = static_cast<int64_t>(bytes.size());
    struct Step { int64_t seek; size_t read; };
    const Step steps[] = {
        {-1, 4}, {-1, 10}, {B - 6, 12},              // across the buffer's end
        {-1, B + 900}, {100, 1}, {-1, 2 * B},        // large reads bypass the buffer
        {3 * B - 200, 500},                          // short at the end of the file
        {end, 3}, {end + 50, 3},                     // at and past the end
        {0, bytes.size() + 10},                      // everything, and more
        {B - 1, 2}, {B - 2, 4},                      // backwards inside the buffer
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
        EXPECT_EQ(m, "No puedo abrir no_hay_tal.kav");
    }
}

}  // namespace
}  // namespace kav
