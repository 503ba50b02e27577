// Where an installed copy lives: the installation folder found through the
// product's desktop shortcut, and the data folders its settings file names.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Base folder (no trailing backslash) and the product's folder below it.
struct TypeDirInstalacion {
    std::string Base;      // "C:\Kavo"
    std::string Producto;  // "Conta"
};

// One product of the maker: its code, its folder below the base folder and
// the name of its desktop shortcut (a second name is tried when the first
// shortcut does not exist).
struct FilaProducto {
    const char* Codigo;
    const char* Carpeta;
    const char* Acceso;
    const char* AccesoAlternativo;  // nullptr: none
};
extern const std::vector<FilaProducto> kProductosKavo;

// Reads the product's desktop shortcut (in `escritorio`, with trailing
// backslash): the folder above the program's own folder gives base and
// product. Without a shortcut: the default base and the product's folder;
// with a shortcut whose program is gone: its drive + "\Kavo" and the
// product's folder. An unknown code: the default base, no product folder.
// COM must be initialised; "No se puede leer (<acceso>)" when the shell link
// object is missing.
TypeDirInstalacion DirectorioInstalacion(const std::string& codigoProducto,
                                         const std::string& escritorio,
                                         const std::string& baseDefecto);

// The five data folders of the settings file, each with a trailing
// backslash, in the order of the file's keys.
struct TypePathFilesConta {
    std::string PATHDATOS;
    std::string PATHBALANCES;
    std::string PATHESTRUCTURASMEMORIA;
    std::string PAHTCONFIGDEPOSITO;
    std::string PATHGENERADOR;
};

// The program's settings file: base + sub-path (upper case) + the user's own
// "<USUARIO>.INI" when it exists there, else `nombreDefecto` (upper case).
std::string FicheroIniConta(const std::string& base, const std::string& subruta,
                            const std::string& nombreDefecto);

// Reads the data folders from FicheroIniConta; a missing file or key gives
// the default (base + parent of the sub-path + "Datos\", and folders below
// the data folder); a key present with an empty value is empty, not missing.
TypePathFilesConta LeerRutasConta(const std::string& base, const std::string& subruta,
                                  const std::string& nombreDefecto);

// The customer code of an installation, for the updater started without the
// name of its release record: the program folder's settings file
// (carpetaPrograma + nombreIni, "CONTA.INI"), section ACTUALIZACION, key
// CODIGOCLIENTE. Written after the program's files are in place, so that
// an extracted settings file cannot replace it; throws when it cannot be
// written. Reading gives 0 when the key is missing or not a 32-bit code.
void RegistrarCodigoCliente(const std::string& carpetaPrograma, const std::string& nombreIni, uint32_t codigo);
uint32_t LeerCodigoClienteRegistrado(const std::string& carpetaPrograma, const std::string& nombreIni);
