#include "Permisos.h"

#include <map>

namespace permisos {

std::vector<TAce> PermisosCarpetaPrograma(const TUsuario& instalador) {
    constexpr uint8_t kPasaATodo = kHeredanFicheros | kHeredanCarpetas;
    std::vector<TAce> r{
        {kAdministradores, TipoAce::Permitir, kControlTotal, kPasaATodo},
        {kSistema, TipoAce::Permitir, kControlTotal, kPasaATodo},
        {kUsuarios, TipoAce::Permitir, kLeerYEjecutar, kPasaATodo},
    };
    if (!instalador.administrador && !instalador.sid.empty())
        r.push_back({instalador.sid, TipoAce::Permitir, kModificar, kPasaATodo});
    return r;
}

std::vector<TAce> PermisosSoloPropietario(const std::string& sid) {
    return {{sid, TipoAce::Permitir, kControlTotal, kHeredanFicheros | kHeredanCarpetas}};
}

namespace {

bool EsDeTodos(const std::string& sid) {
    return sid == kTodos || sid == kUsuariosAutenticados || sid == kUsuarios;
}

}  // namespace

std::vector<TEscrituraDeTodos> EscrituraDeTodos(const std::vector<TAce>& lista) {
    // Kept in the order of first appearance, so the log reads as the list.
    std::vector<std::string> orden;
    std::map<std::string, uint32_t> permitidos, denegados;
    for (const TAce& a : lista) {
        if (!EsDeTodos(a.sid)) continue;
        if (!permitidos.count(a.sid) && !denegados.count(a.sid)) orden.push_back(a.sid);
        (a.tipo == TipoAce::Permitir ? permitidos : denegados)[a.sid] |= a.derechos;
    }
    std::vector<TEscrituraDeTodos> r;
    for (const std::string& sid : orden) {
        uint32_t denegado = denegados[sid];
        // A generic denial covers the specific rights it stands for.
        if (denegado & kGenericoTodo) denegado |= kDerechosDeEscritura;
        if (denegado & kGenericoEscribir) denegado |= kEscribirDatos | kAnexarDatos | kGenericoEscribir;
        const uint32_t queda = permitidos[sid] & kDerechosDeEscritura & ~denegado;
        if (queda) r.push_back({sid, queda});
    }
    return r;
}

std::string NombreGrupo(const std::string& sid) {
    if (sid == kTodos) return "Todos";
    if (sid == kUsuariosAutenticados) return "Usuarios autentificados";
    if (sid == kUsuarios) return "Usuarios";
    if (sid == kAdministradores) return "Administradores";
    if (sid == kSistema) return "SYSTEM";
    return sid;
}

namespace {

std::string NombreDerechos(uint32_t d) {
    if ((d & kGenericoTodo) || (d & kControlTotal & kDerechosDeEscritura) == (kControlTotal & kDerechosDeEscritura))
        return "control total";
    if ((d & kModificar & kDerechosDeEscritura) == (kModificar & kDerechosDeEscritura) || (d & kGenericoEscribir))
        return "modificar";
    std::string r;
    auto anadir = [&](uint32_t bit, const char* texto) {
        if (!(d & bit)) return;
        if (!r.empty()) r += ", ";
        r += texto;
    };
    anadir(kEscribirDatos, "crear ficheros");
    anadir(kAnexarDatos, "crear carpetas");
    anadir(kBorrarHijos, "borrar lo que contiene");
    anadir(kBorrar, "borrar");
    anadir(kCambiarPermisos, "cambiar permisos");
    anadir(kCambiarPropietario, "cambiar propietario");
    return r;
}

}  // namespace

std::string DescribirEscritura(const std::vector<TEscrituraDeTodos>& escritura) {
    std::string r;
    for (const TEscrituraDeTodos& e : escritura) {
        if (!r.empty()) r += ", ";
        r += NombreGrupo(e.sid) + " (" + NombreDerechos(e.derechos) + ")";
    }
    return r;
}

}  // namespace permisos
