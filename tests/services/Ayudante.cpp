// A small program the services tests start as a real second process:
//   retener <fichero> <marca>   opens the file with no sharing, creates the
//                               marker file, then waits to be ended
//   crear <fichero> <ms>        makes the file appear after ms milliseconds
//   esperar <ms>                ends after ms milliseconds
#include <windows.h>

#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring orden = argv[1];
    if (orden == L"retener" && argc == 4) {
        HANDLE f = CreateFileW(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE) return 3;
        CloseHandle(CreateFileW(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        Sleep(120000);
        return 0;
    }
    if (orden == L"crear" && argc == 4) {
        // Written aside and moved into place: the file appears whole, as a
        // copy finished elsewhere shows up on a network share.
        Sleep(DWORD(_wtoi(argv[3])));
        const std::wstring aparte = std::wstring(argv[2]) + L".parcial";
        HANDLE f = CreateFileW(aparte.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n = 0;
        WriteFile(f, "tarde", 5, &n, nullptr);
        CloseHandle(f);
        return MoveFileW(aparte.c_str(), argv[2]) ? 0 : 4;
    }
    if (orden == L"esperar") {
        Sleep(DWORD(_wtoi(argv[2])));
        return 0;
    }
    return 2;
}
