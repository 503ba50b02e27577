// What the services ask of the running Windows (internal to services/).
#pragma once
#include <windows.h>

#include <string>

namespace servicios {

struct VersionWindows {
    bool Nt = true;
    DWORD Mayor = 0;
    DWORD Menor = 0;
    bool VistaOPosterior() const { return Nt && Mayor >= 6; }
    bool Windows7() const { return Nt && Mayor == 6 && Menor == 1; }
};

// The version the system really runs (not the compatibility answer that
// GetVersionEx gives a program without a manifest).
VersionWindows VersionPlataforma();

// The copy of CopiarFichero for a given Windows version (tests pick one).
bool CopiarFicheroEn(const VersionWindows& version, const std::string& origen,
                     const std::string& destino, bool fallarSiExiste, bool lanzar);

// Waits while `ruta` does not exist: 10 ms sleeps, window messages between
// them, giving up after about 15 s.
void EsperarFichero(const std::wstring& ruta);

}  // namespace servicios
