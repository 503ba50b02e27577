#include "LibActualizadorComunPlataforma.h"

#include <windows.h>

int LeerPlataforma() {
    OSVERSIONINFOW v = {};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&v)) return -1;
#pragma GCC diagnostic pop
    return static_cast<int>(v.dwPlatformId);
}
