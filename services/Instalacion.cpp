#include "Instalacion.h"

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "Exception.h"
#include "Ficheros.h"
#include "FormatoTexto.h"
#include "Ini.h"
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
    const std::string ini = FicheroIniConta(base, subruta, nombreDefecto);

    // Conta\Programa\ -> Conta\; a single folder or nothing stays as it is.
    std::string padre = subruta;
    const std::string sinBarra = QuitarBarraFinal(subruta);
    const size_t barra = sinBarra.find_last_of('\\');
    if (barra != std::string::npos) padre = sinBarra.substr(0, barra + 1);

    TypePathFilesConta rutas;
    rutas.PATHDATOS = ConBarraFinal(LeerIniTexto(ini, "PATH", "PATHDATOS", base + padre + "Datos\\"));
    const std::string& datos = rutas.PATHDATOS;
    rutas.PATHBALANCES = ConBarraFinal(LeerIniTexto(ini, "PATH", "PATHBALANCES", datos + "Estructuras"));
    rutas.PATHESTRUCTURASMEMORIA =
        ConBarraFinal(LeerIniTexto(ini, "PATH", "PATHESTRUCTURASMEMORIA", datos + "Estructuras"));
    rutas.PAHTCONFIGDEPOSITO = ConBarraFinal(
        LeerIniTexto(ini, "DEPOSITOYLEGALIZACION", "PAHTCONFIGDEPOSITO", datos + "Estructuras"));
    rutas.PATHGENERADOR =
        ConBarraFinal(LeerIniTexto(ini, "PATH", "PATHGENERADOR", datos + "Generador Informes"));
    return rutas;
}

namespace {
constexpr const char* kSeccionActualizacion = "ACTUALIZACION";
constexpr const char* kClaveCodigoCliente = "CODIGOCLIENTE";

// The shared settings file of the program folder, never a user's own: the
// updater may be started by another user than the one who installed.
std::string IniCodigoCliente(const std::string& carpetaPrograma, const std::string& nombreIni) {
    return ConBarraFinal(carpetaPrograma) + nombreIni;
}
}  // namespace

void RegistrarCodigoCliente(const std::string& carpetaPrograma, const std::string& nombreIni, uint32_t codigo) {
    EscribirIni(IniCodigoCliente(carpetaPrograma, nombreIni), kSeccionActualizacion, kClaveCodigoCliente,
                std::to_string(codigo));
}

uint32_t LeerCodigoClienteRegistrado(const std::string& carpetaPrograma, const std::string& nombreIni) {
    const std::string v =
        LeerIniTexto(IniCodigoCliente(carpetaPrograma, nombreIni), kSeccionActualizacion, kClaveCodigoCliente, "");
    if (v.empty() || v.size() > 10 || v.find_first_not_of("0123456789") != std::string::npos) return 0;
    const unsigned long long n = std::stoull(v);
    return n > 0xFFFFFFFFull ? 0 : static_cast<uint32_t>(n);
}
