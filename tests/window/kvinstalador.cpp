// kvinstalador: makes an installer out of Actualizador.exe for the tests and
// the demo: appends an archive header carrying the release record and writes
// the archive position into the resource SFXCODES.
//   kvinstalador PROGRAMA DESTINO AAAA MM DD CODIGO MAYOR MENOR MOTOR
// MOTOR: 0 PSQL 12, 1 Btrieve 12, 2 Btrieve 6.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "Automatizacion.h"

int main(int argc, char** argv) {
    if (argc != 10) {
        std::fprintf(stderr, "uso: kvinstalador PROGRAMA DESTINO AAAA MM DD CODIGO MAYOR MENOR MOTOR\n");
        return 2;
    }
    auto n = [&](int i) { return static_cast<unsigned>(std::strtoul(argv[i], nullptr, 10)); };
    try {
        prueba::ConstruirInstalador(argv[1], argv[2],
                                    prueba::DatosLanzamiento(n(3), n(4), n(5), n(6), n(7), n(8), static_cast<int>(n(9))));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kvinstalador: %s\n", e.what());
        return 1;
    }
    return 0;
}
