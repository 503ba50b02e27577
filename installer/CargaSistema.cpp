#include "CargaSistema.h"

#include <windows.h>
#include <delayimp.h>

namespace {

// The delay-load helper asks here before it loads a DLL; a DLL loaded here
// comes from the system folder whatever the search order. When this fails
// the helper tries LoadLibrary itself, which RestringirCargaDll has limited
// to the same folder.
FARPROC WINAPI CargarDelSistema(unsigned aviso, PDelayLoadInfo info) noexcept {
    if (aviso != dliNotePreLoadLibrary) return nullptr;
    return reinterpret_cast<FARPROC>(::LoadLibraryExA(info->szDll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

}  // namespace

// Constant-initialized: in place before any constructor of the program runs.
extern "C" PfnDliHook __pfnDliNotifyHook2 = CargarDelSistema;

bool RestringirCargaDll() {
    // Not "SetDllDirectory(L"")" alone: that keeps the program's own folder.
    return ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}
