// Bridge to the update services, the platform detection and the archive
// header reader while those units are being written: the same names and
// meanings, the smallest bodies that serve the installer window. Each one
// goes away as soon as its real unit is in the tree.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace forms {
class TProgressBar;
}

// --- platform ------------------------------------------------------------
// 1 = Windows 9x family, 2 = NT family.
int LeerPlataforma();

// --- versions ------------------------------------------------------------
struct TypeVersion {
    uint16_t build = 0, release = 0, minor = 0, major = 0;
};
TypeVersion LeerVersionFichero(const std::string& ruta);
bool VersionMayor(const TypeVersion& a, const TypeVersion& b, bool estricto);

// The 665-byte versions record of the accounting program.
struct TypeVersionesConta {
    std::array<uint8_t, 665> bytes{};
    unsigned Anio() const { return bytes[0] | (bytes[1] << 8); }
    unsigned Mes() const { return bytes[2]; }
    unsigned Dia() const { return bytes[3]; }
    uint32_t CodigoCliente() const;
    // The slot of module codes 98 to 108.
    TypeVersion Version(int codigo) const;
};
TypeVersionesConta LeerVersionesComprimidas(const std::string& ruta);
TypeVersionesConta LeerVersionesInstaladas(const std::string& carpeta, const std::string& actualizador);

// --- common services -------------------------------------------------------
extern std::string PalabraProducto;
std::string CarpetaTemporal();
std::string ExpandirRuta(const std::string& ruta);
std::string FormatoCeros(long long numero, int ancho);
std::string FormatoCerosFijo(long long numero, int ancho);
std::string NombreMes(int mes);
std::string NombreUsuario();
bool FicheroExiste(const std::string& ruta);
bool DirectorioExiste(const std::string& ruta);
bool BorrarFichero(const std::string& ruta, bool lanzar);
bool ForzarDirectorios(const std::string& ruta);
std::string CarpetaEscritorio();

struct TypeDirInstalacion {
    std::string base, producto;
};
TypeDirInstalacion DirectorioInstalacion(const std::string& codigo, const std::string& escritorio,
                                         const std::string& baseDefecto);

bool BuscarCarpeta(HWND propietario, std::string& carpeta, const std::string& titulo, bool estiloNuevo,
                   const std::string& raiz);

// Progress: bytes so far, total (0 while unknown), in/out cancel.
using ProgresoDescargaFn = std::function<void(uint32_t progreso, uint32_t maximo, bool& cancelar)>;
void DescargarFichero(const std::string& base, const std::string& nombre, const std::string& carpeta,
                      const ProgresoDescargaFn& progreso);
bool HayConexionInternet();
void PosicionBarra(forms::TProgressBar& barra, int posicion);

// The local installation dialog; false when the user declines.
bool MostrarModoLocal(HWND propietario, const std::string& mensaje, const std::string& carpeta,
                      const std::string& fichero, const std::string& url);

// --- the installer's appended archive ----------------------------------------
// Reads the archive header at sfxSize in the file and returns its 128 bytes of
// user data; raises the archive engine's errors for a bad signature or
// version, or a file too short for a header.
std::array<uint8_t, 128> LeerDatosUsuarioAnexos(const std::string& ruta, int32_t sfxSize);
