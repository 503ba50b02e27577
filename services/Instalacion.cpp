#include "Instalacion.h"

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <vector>

#include "Exception.h"
#include "Ficheros.h"
#include "FormatoTexto.h"
#include "TextCodec.h"
#include "TextosSistema.h"

using Microsoft::WRL::ComPtr;

namespace {

const FilaProducto* BuscarProducto(const std::string& codigo) {
    const std::string clave = Mayusculas(codigo);
    for (const FilaProducto& fila : kProductosKavo)
        if (clave == fila.Codigo) return &fila;
    return nullptr;
}

// "C:" of "C:\x", "\\srv\share" of "\\srv\share\x", else "".
std::string Unidad(const std::string& ruta) {
    if (ruta.size() >= 2 && ruta[1] == ':') return ruta.substr(0, 2);
    if (ruta.rfind("\\\\", 0) == 0) {
        const size_t servidor = ruta.find('\\', 2);
        if (servidor == std::string::npos) return ruta;
        return ruta.substr(0, ruta.find('\\', servidor + 1));
    }
    return {};
}

// Splits "a\b\c" into "a\b" and "c"; false when there is nothing to split.
bool PartirUltima(const std::string& ruta, std::string& antes, std::string& ultima) {
    const size_t barra = ruta.find_last_of('\\');
    if (barra == std::string::npos || barra == 0 || barra + 1 == ruta.size()) return false;
    antes = ruta.substr(0, barra);
    ultima = ruta.substr(barra + 1);
    return true;
}

std::string LeerClave(const std::wstring& fichero, const char* seccion, const char* clave,
                      const std::string& defecto) {
    const std::wstring s = text::Wide(seccion), k = text::Wide(clave), d = text::Wide(defecto);
    std::vector<wchar_t> valor(512);
    for (;;) {
        const DWORD n = GetPrivateProfileStringW(s.c_str(), k.c_str(), d.c_str(), valor.data(),
                                                 DWORD(valor.size()), fichero.c_str());
        if (n + 1 < valor.size()) return text::Narrow(std::wstring(valor.data(), n));
        valor.resize(valor.size() * 2);  // cut short: ask again with room
    }
}

}  // namespace

TypeDirInstalacion DirectorioInstalacion(const std::string& codigoProducto,
                                         const std::string& escritorio,
                                         const std::string& baseDefecto) {
    TypeDirInstalacion resultado{baseDefecto, {}};
    const FilaProducto* fila = BuscarProducto(codigoProducto);
    if (!fila) return resultado;
    resultado.Producto = fila->Carpeta;
    std::string acceso = Mayusculas(escritorio + fila->Acceso + ".lnk");
    if (fila->AccesoAlternativo && !FicheroExiste(acceso))
        acceso = Mayusculas(escritorio + fila->AccesoAlternativo + ".lnk");

    ComPtr<IShellLinkW> enlace;
    ComPtr<IPersistFile> fichero;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&enlace))) ||
        FAILED(enlace.As(&fichero)))
        throw Exception("No se puede leer (" + acceso + ")");
    if (FAILED(fichero->Load(text::Wide(acceso).c_str(), STGM_READ))) return resultado;

    wchar_t trabajo[MAX_PATH] = L"", objetivo[MAX_PATH] = L"";
    enlace->GetWorkingDirectory(trabajo, MAX_PATH);
    enlace->GetPath(objetivo, MAX_PATH, nullptr, SLGP_UNCPRIORITY);
    const std::string destino = text::Narrow(objetivo);
    std::string unidad = Unidad(text::Narrow(trabajo));
    if (unidad.empty()) unidad = Unidad(destino);  // a shortcut without a working folder
    if (unidad.empty()) return resultado;
    resultado.Base = unidad;

    // C:\Kavo\Conta\Programa\CONTA.EXE: base C:\Kavo, product Conta.
    std::string carpetaPrograma, ejecutable, carpetaProducto, programa, base, producto;
    if (FicheroExiste(destino) && PartirUltima(destino, carpetaPrograma, ejecutable) &&
        PartirUltima(carpetaPrograma, carpetaProducto, programa) &&
        PartirUltima(carpetaProducto, base, producto)) {
        resultado.Base = base;
        resultado.Producto = producto;
        return resultado;
    }
    resultado.Base = unidad + "\\Kavo";
    return resultado;
}

std::string FicheroIniConta(const std::string& base, const std::string& subruta,
                            const std::string& nombreDefecto) {
    const std::string carpeta = Mayusculas(base + subruta);
    const std::string delUsuario = NombreUsuario() + ".INI";
    const std::string nombre = FicheroExiste(carpeta + delUsuario) ? delUsuario : nombreDefecto;
    return carpeta + Mayusculas(nombre);
}

TypePathFilesConta LeerRutasConta(const std::string& base, const std::string& subruta,
                                  const std::string& nombreDefecto) {
    const std::wstring ini = text::Wide(FicheroIniConta(base, subruta, nombreDefecto));

    // Conta\Programa\ -> Conta\; a single folder or nothing stays as it is.
    std::string padre = subruta;
    const std::string sinBarra = QuitarBarraFinal(subruta);
    const size_t barra = sinBarra.find_last_of('\\');
    if (barra != std::string::npos) padre = sinBarra.substr(0, barra + 1);

    TypePathFilesConta rutas;
    rutas.PATHDATOS = ConBarraFinal(LeerClave(ini, "PATH", "PATHDATOS", base + padre + "Datos\\"));
    const std::string& datos = rutas.PATHDATOS;
    rutas.PATHBALANCES = ConBarraFinal(LeerClave(ini, "PATH", "PATHBALANCES", datos + "Estructuras"));
    rutas.PATHESTRUCTURASMEMORIA =
        ConBarraFinal(LeerClave(ini, "PATH", "PATHESTRUCTURASMEMORIA", datos + "Estructuras"));
    rutas.PAHTCONFIGDEPOSITO = ConBarraFinal(
        LeerClave(ini, "DEPOSITOYLEGALIZACION", "PAHTCONFIGDEPOSITO", datos + "Estructuras"));
    rutas.PATHGENERADOR =
        ConBarraFinal(LeerClave(ini, "PATH", "PATHGENERADOR", datos + "Generador Informes"));
    return rutas;
}
