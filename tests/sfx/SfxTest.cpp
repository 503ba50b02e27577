// The installer-building tool on a real executable: the built installer
// reads its own header at the position written into SFXCODES.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "ArchiveBuilder.h"
#include "CustSFXGenerator.h"
#include "Exception.h"
#include "InstallerBuilder.h"

namespace {

std::vector<uint8_t> Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Save(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Runs a program and returns what it printed and its exit status.
std::pair<std::string, int> RunProgram(const std::string& commandLine) {
    std::wstring cmd(commandLine.begin(), commandLine.end());
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    CreatePipe(&read, &write, &sa, 0);
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = write;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return {"", -1};
    CloseHandle(write);
    std::string out;
    char buffer[512];
    DWORD n = 0;
    while (ReadFile(read, buffer, sizeof buffer, &n, nullptr) && n > 0) out.append(buffer, n);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(pi.hProcess, &status);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(read);
    return {out, static_cast<int>(status)};
}

TEST(Installer, BuiltInstallerReadsItsOwnHeader) {
    const std::vector<uint8_t> stub = Load(KV_SFX_STUB);
    ASSERT_FALSE(stub.empty());
    EXPECT_EQ(kav::sfx::ReadSfxCodes(stub), 0);
    EXPECT_EQ(RunProgram(std::string("\"") + KV_SFX_STUB + "\"").first, "SFXSize=0\r\n");

    kav::TUserData ud{};
    ud.Bytes = {0xE9, 0x07, 0x03, 0x0F};
    kavmake::ArchiveBuilder b({.extraFlags = 0x02, .userData = ud});
    b.AddFile("Programa\\LEEME.TXT", "hola");
    const std::string archive = b.Bytes();
    kav::sfx::Built built = kav::sfx::BuildInstaller(stub, std::vector<uint8_t>(archive.begin(), archive.end()));
    EXPECT_EQ(built.sfxSize, stub.size());
    EXPECT_EQ(kav::sfx::ReadSfxCodes(built.bytes), static_cast<int32_t>(stub.size()));
    EXPECT_EQ(built.bytes.size() % 8, 0u);
    // A signature appended later lies after the archive and is never read.
    std::vector<uint8_t> signed_ = built.bytes;
    signed_.insert(signed_.end(), 64, 0xCC);
    for (const char* name : {"INSTALA.EXE", "instala.exe"}) {
        Save(name, signed_);
        auto [out, status] = RunProgram(std::string(name) + " sfx_out");
        EXPECT_EQ(status, 0) << out;
        EXPECT_EQ(out, "SFXSize=" + std::to_string(stub.size()) + " UserData=E907030F Header=" +
                           std::to_string(archive.size()) + "\r\nPrograma\\LEEME.TXT\r\n")
            << name;
    }
    // Building again over a built (or signed) program is refused.
    EXPECT_THROW(kav::sfx::BuildInstaller(built.bytes, std::vector<uint8_t>(archive.begin(), archive.end())),
                 Exception);
    // The version texts carry the sizes a self-extracting generator asks for.
    kav::TCustomSFXGenerator g;
    g.GetSizes(KV_SFX_STUB);
    EXPECT_EQ(g.SFXCodeSize, 1234);
    EXPECT_EQ(g.TagInfoSize, 16);
    g.GetSizes("no-existe.exe");
    EXPECT_EQ(g.SFXCodeSize, 0);
}

}  // namespace
