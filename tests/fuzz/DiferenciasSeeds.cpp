// Writes the differences fuzzer's seeds into the folder named: a manifest,
// a patch against the fuzzer's reference, both as an archive's entries, and
// an archive to read from memory.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "Differences.h"
#include "Diferencias.h"
#include "FirmaFicheros.h"
#include "FuzzDiferencias.h"
#include "StoredArchive.h"

using namespace kav::fuzz;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_diferencias_seeds SEEDS\n";
        return 2;
    }
    std::filesystem::create_directories(argv[1]);
    const std::string antes = Referencia();
    std::string despues = antes;
    despues.replace(1000, 7, "cambios");
    despues += "cola";
    const std::string parche = kavmake::MakePatch(antes, despues);
    const diferencias::TManifiesto m{"12.05", "12.06",
                                     {{kNombreParcheado, antes.size(), firma::Resumen(antes), despues.size(),
                                       firma::Resumen(despues)}}};
    const std::string manifiesto = diferencias::TextoManifiesto(m);
    kav::TFileEntry entrada;
    entrada.Name = kNombreParcheado;
    const std::string tamano{static_cast<char>(despues.size() & 0xff), static_cast<char>(despues.size() >> 8)};
    const std::string seeds[] = {
        char(ModoDiferencias::Manifiesto) + manifiesto,
        char(ModoDiferencias::Parche) + tamano + parche,
        char(ModoDiferencias::Archivo) + manifiesto + std::string(1, '\0') + parche,
        char(ModoDiferencias::Memoria) + kav::StoredArchive({{entrada, despues}}),
    };
    int n = 0;
    for (const std::string& s : seeds)
        std::ofstream(std::string(argv[1]) + "/diferencias" + std::to_string(++n), std::ios::binary) << s;
    return 0;
}
