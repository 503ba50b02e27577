// Who may change the installation's folders, decided without the system:
// the access list a first installation gives the program folder, and
// whether an access list lets every user of the machine change what it
// guards. The Windows side only applies and reads these lists (security
// identifiers as their "S-1-..." text, rights as the system's bits).
// Portable.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace permisos {

// Well-known security identifiers.
inline constexpr const char* kAdministradores = "S-1-5-32-544";
inline constexpr const char* kSistema = "S-1-5-18";
inline constexpr const char* kUsuarios = "S-1-5-32-545";
inline constexpr const char* kUsuariosAutenticados = "S-1-5-11";
inline constexpr const char* kTodos = "S-1-1-0";

// Rights of a file or folder, as Windows numbers them.
enum Derecho : uint32_t {
    kEscribirDatos = 0x2,      // a file's data; a folder: create files in it
    kAnexarDatos = 0x4,        // a folder: create subfolders in it
    kBorrarHijos = 0x40,       // a folder: delete what it holds
    kBorrar = 0x10000,
    kCambiarPermisos = 0x40000,
    kCambiarPropietario = 0x80000,
    kGenericoTodo = 0x10000000,
    kGenericoEscribir = 0x40000000,
    // The sets the system's dialogs name.
    kLeerYEjecutar = 0x1200A9,
    kModificar = 0x1301BF,
    kControlTotal = 0x1F01FF,
};
// Any of these lets its holder replace or plant a file.
inline constexpr uint32_t kDerechosDeEscritura = kEscribirDatos | kAnexarDatos | kBorrarHijos | kBorrar |
                                                 kCambiarPermisos | kCambiarPropietario | kGenericoTodo |
                                                 kGenericoEscribir;

enum class TipoAce : uint8_t { Permitir, Denegar };

// Inheritance flags of an entry, as Windows numbers them.
enum Herencia : uint8_t {
    kSinHerencia = 0,
    kHeredanFicheros = 0x1,
    kHeredanCarpetas = 0x2,
    kSoloHerencia = 0x8,   // applies to what the folder holds, not to itself
    kHeredado = 0x10,      // came from the parent
};

// One entry of an access list.
struct TAce {
    std::string sid;
    TipoAce tipo = TipoAce::Permitir;
    uint32_t derechos = 0;
    uint8_t herencia = kSinHerencia;
    bool operator==(const TAce&) const = default;
};

// Who runs the program.
struct TUsuario {
    std::string sid;
    bool administrador = false;  // a member of Administrators in this process's token
};

// The program folder of a first installation, protected from its parent's
// entries and passed on to what it holds: administrators and SYSTEM may
// change it, users may read and run it. An installer without
// administrator rights keeps its own user's right to change it, else that
// user could never update it.
std::vector<TAce> PermisosCarpetaPrograma(const TUsuario& instalador);

// A folder for one user alone: that user may do anything with it and with
// what it holds, nobody else (administrators included) is let in.
std::vector<TAce> PermisosSoloPropietario(const std::string& sid);

// A right that every user of the machine holds on a folder or on what it
// holds: the group, and the writing rights left once its denials are taken
// out.
struct TEscrituraDeTodos {
    std::string sid;
    uint32_t derechos = 0;
    bool operator==(const TEscrituraDeTodos&) const = default;
};
// The all-user groups (Everyone, Authenticated Users, Users) that may write,
// create, delete or change the permissions of what the list guards. A
// denial for the same group takes its rights out, wherever it stands.
std::vector<TEscrituraDeTodos> EscrituraDeTodos(const std::vector<TAce>& lista);

// The group's name for the log ("Usuarios autentificados"); the text itself
// for one this program does not name.
std::string NombreGrupo(const std::string& sid);
// "Usuarios autentificados (modificar), Todos (control total)".
std::string DescribirEscritura(const std::vector<TEscrituraDeTodos>& escritura);

}  // namespace permisos
