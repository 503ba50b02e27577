// Reads its own SFXCODES, opens the archive appended to itself the way the
// installer does, and prints what it found:
//   SFXSize=<n> UserData=<first 4 bytes in hex> Header=<EndOffset>
// then, when a folder is given, extracts the archive there and prints one
// line per file. Exit status 0 when all went well.
#include <windows.h>

#include <cstdio>
#include <string>

#include "Extractor.h"
#include "TextCodec.h"

int wmain(int argc, wchar_t** argv) {
    HRSRC r = FindResourceW(nullptr, L"SFXCODES", MAKEINTRESOURCEW(10));
    if (!r || SizeofResource(nullptr, r) < 4) {
        std::printf("sin SFXCODES\n");
        return 3;
    }
    int32_t sfxSize = *static_cast<const int32_t*>(LockResource(LoadResource(nullptr, r)));
    std::printf("SFXSize=%d", sfxSize);
    if (sfxSize == 0) {
        std::printf("\n");
        return 0;
    }
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    try {
        kav::TExtractor e;
        e.SetFileName(text::Narrow(self));
        e.SFXSize = sfxSize;
        kav::TUserData userData{};
        e.OnAfterOpen = [&](kav::TArchiverRoot& x) {
            x.OnAfterOpen = nullptr;  // once, as the installer does
            userData = x.Header().UserData;
        };
        e.Open();
        std::printf(" UserData=%02X%02X%02X%02X Header=%d\n", userData.Bytes[0], userData.Bytes[1],
                    userData.Bytes[2], userData.Bytes[3], e.Header().EndOffset);
        if (argc > 1) {
            e.ExtractPath = text::Narrow(argv[1]);
            e.RestoreAction = kav::raOverwrite;
            e.ErrorAction = kav::eaAbort;
            e.OnFileExtracted = [](kav::TCustomExtractor&, const kav::TFileEntry& f, const std::string&) {
                std::printf("%s\n", f.Name.c_str());
            };
            e.ExtractFiles();
        }
        e.Close();
        return 0;
    } catch (const std::exception& ex) {
        std::printf(" error: %s\n", ex.what());
        return 1;
    }
}
