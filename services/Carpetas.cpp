#include "Carpetas.h"

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "Exception.h"
#include "Ficheros.h"
#include "FormatoTexto.h"
#include "TextCodec.h"
#include "Win32Error.h"

using Microsoft::WRL::ComPtr;

std::string PalabraProducto = "Rolda";

namespace {

void Comprobar(HRESULT hr) {
    if (FAILED(hr)) throw Exception(win::SysErrorMessage(DWORD(hr)));
}

const char kDescripcionAcceso[] =
    "Los Programas Kavo están especialmente diseñados para no causar ningún daño a la capa de ozono";

}  // namespace

std::string CarpetaTemporal() {
    wchar_t temporal[MAX_PATH + 1] = L"";
    const DWORD n = GetTempPathW(MAX_PATH + 1, temporal);
    const std::string carpeta =
        ConBarraFinal(text::Narrow(std::wstring(temporal, n <= MAX_PATH ? n : 0))) + "Kavo\\" +
        PalabraProducto + "\\";
    ForzarDirectorios(carpeta);
    return carpeta;
}

std::string CarpetaEspecial(int csidl) {
    PIDLIST_ABSOLUTE lista = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &lista)) || !lista) return {};
    wchar_t ruta[MAX_PATH] = L"";
    const bool enDisco = SHGetPathFromIDListW(lista, ruta);
    CoTaskMemFree(lista);
    // A virtual folder (no path on disk) is no folder for our files.
    if (!enDisco || !ruta[0]) return {};
    return ConBarraFinal(text::Narrow(ruta));
}

std::string CarpetaEscritorio() { return CarpetaEspecial(CSIDL_DESKTOPDIRECTORY); }

void CrearAccesoDirecto(const std::string& destino, const std::string& nombre,
                        const std::string& carpeta, const std::string& icono) {
    ComPtr<IShellLinkW> enlace;
    Comprobar(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&enlace)));
    ComPtr<IPersistFile> fichero;
    Comprobar(enlace.As(&fichero));

    if (!icono.empty() && FicheroExiste(icono)) enlace->SetIconLocation(text::Wide(icono).c_str(), -1);
    const std::string carpetaDestino = destino.substr(0, destino.find_last_of('\\') + 1);
    enlace->SetPath(text::Wide(destino).c_str());
    enlace->SetWorkingDirectory(text::Wide(carpetaDestino).c_str());
    enlace->SetDescription(text::Wide(kDescripcionAcceso).c_str());
    fichero->Save(text::Wide(carpeta + nombre + ".lnk").c_str(), TRUE);
}
