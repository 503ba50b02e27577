#include "Exception.h"
#include "Win32Error.h"
#include "Win32Handle.h"

#include <gtest/gtest.h>

namespace {

TEST(Win32Handle, ClosesOnceAndMovesOwnership) {
    win::KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    const HANDLE raw = event.get();
    win::KernelHandle moved(std::move(event));
    EXPECT_FALSE(event);
    EXPECT_EQ(moved.get(), raw);
    moved.reset();
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(raw, &flags));  // closed
}

TEST(Win32Error, RaisesTheSystemTextWithThePath) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    try {
        win::RaiseLastOSError("C:\\no\\existe.txt");
        FAIL();
    } catch (const Exception& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("\r\n\r\nC:\\no\\existe.txt"), std::string::npos) << text;
        EXPECT_GT(text.find("\r\n"), 0u);  // a system text precedes the path
    }
}

}  // namespace
