// Who may change the program folder: the list a first installation gives
// it, and what counts as a folder every user may change.
#include <gtest/gtest.h>

#include "Permisos.h"

using namespace permisos;

namespace {

constexpr uint8_t kTodo = kHeredanFicheros | kHeredanCarpetas;
const std::string kPepe = "S-1-5-21-1-2-3-1001";

TEST(Permisos, CarpetaProgramaDeUnaPrimeraInstalacion) {
    const std::vector<TAce> comun{{kAdministradores, TipoAce::Permitir, kControlTotal, kTodo},
                                  {kSistema, TipoAce::Permitir, kControlTotal, kTodo},
                                  {kUsuarios, TipoAce::Permitir, kLeerYEjecutar, kTodo}};
    EXPECT_EQ(PermisosCarpetaPrograma({kPepe, true}), comun);
    std::vector<TAce> sinAdministrador = comun;
    sinAdministrador.push_back({kPepe, TipoAce::Permitir, kModificar, kTodo});
    EXPECT_EQ(PermisosCarpetaPrograma({kPepe, false}), sinAdministrador);
    // What it gives is never what the warning looks for.
    EXPECT_TRUE(EscrituraDeTodos(PermisosCarpetaPrograma({kPepe, false})).empty());
    // Users may read and run, never write.
    EXPECT_EQ(kLeerYEjecutar & kDerechosDeEscritura, 0u);
}

TEST(Permisos, EscrituraDeTodos) {
    struct Caso {
        const char* nombre;
        std::vector<TAce> lista;
        std::vector<TEscrituraDeTodos> esperado;
        std::string texto;
    };
    const Caso casos[] = {
        {"heredada de C:\\",
         {{kAdministradores, TipoAce::Permitir, kControlTotal, kTodo | kHeredado},
          {kUsuariosAutenticados, TipoAce::Permitir, kModificar, kTodo | kHeredado},
          {kUsuarios, TipoAce::Permitir, kLeerYEjecutar, kTodo | kHeredado}},
         {{kUsuariosAutenticados, kModificar & kDerechosDeEscritura}},
         "Usuarios autentificados (modificar)"},
        {"todos, control total", {{kTodos, TipoAce::Permitir, kControlTotal, kTodo}},
         {{kTodos, kControlTotal & kDerechosDeEscritura}}, "Todos (control total)"},
        {"genérico", {{kUsuarios, TipoAce::Permitir, kGenericoEscribir, kTodo}},
         {{kUsuarios, kGenericoEscribir}}, "Usuarios (modificar)"},
        {"solo para lo que contiene",
         {{kUsuarios, TipoAce::Permitir, kEscribirDatos | kBorrar, kHeredanFicheros | kSoloHerencia}},
         {{kUsuarios, kEscribirDatos | kBorrar}}, "Usuarios (crear ficheros, borrar)"},
        {"crear ficheros basta", {{kTodos, TipoAce::Permitir, kLeerYEjecutar | kEscribirDatos, 0}},
         {{kTodos, kEscribirDatos}}, "Todos (crear ficheros)"},
        {"denegado después", {{kTodos, TipoAce::Permitir, kModificar, 0}, {kTodos, TipoAce::Denegar, kModificar, 0}},
         {}, ""},
        {"denegado todo, genérico",
         {{kTodos, TipoAce::Denegar, kGenericoTodo, 0}, {kTodos, TipoAce::Permitir, kControlTotal, 0}}, {}, ""},
        {"denegado en parte",
         {{kUsuarios, TipoAce::Denegar, kBorrar, 0}, {kUsuarios, TipoAce::Permitir, kEscribirDatos | kBorrar, 0}},
         {{kUsuarios, kEscribirDatos}}, "Usuarios (crear ficheros)"},
        {"la denegación de otro grupo no cuenta",
         {{kUsuarios, TipoAce::Denegar, kModificar, 0}, {kTodos, TipoAce::Permitir, kModificar, 0}},
         {{kTodos, kModificar & kDerechosDeEscritura}}, "Todos (modificar)"},
        {"solo leer", {{kTodos, TipoAce::Permitir, kLeerYEjecutar, kTodo}}, {}, ""},
        {"un usuario concreto no es todos", {{kPepe, TipoAce::Permitir, kControlTotal, kTodo}}, {}, ""},
        {"administradores no son todos", {{kAdministradores, TipoAce::Permitir, kControlTotal, kTodo}}, {}, ""},
        {"varios, en su orden",
         {{kUsuarios, TipoAce::Permitir, kModificar, 0}, {kTodos, TipoAce::Permitir, kCambiarPermisos, 0}},
         {{kUsuarios, kModificar & kDerechosDeEscritura}, {kTodos, kCambiarPermisos}},
         "Usuarios (modificar), Todos (cambiar permisos)"},
    };
    for (const Caso& c : casos) {
        const auto r = EscrituraDeTodos(c.lista);
        EXPECT_EQ(r, c.esperado) << c.nombre;
        EXPECT_EQ(DescribirEscritura(r), c.texto) << c.nombre;
    }
}

}  // namespace
