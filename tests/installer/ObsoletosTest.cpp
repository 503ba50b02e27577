// Files the product no longer uses leave an update through its backup, like
// every file it replaces: the journal names them before they go, so an
// update that fails, or an updater that dies, puts them back.
#include "EjecucionFalsa.h"

namespace {

// An installed copy that still holds files the product no longer uses.
class ConObsoletos : public Falso {
public:
    ConObsoletos() {
        ComoActualizacion(*this);
        ficheros[kPrograma + "Conta001.Bpl"] = "obsoleto";
        ficheros[kPrograma + "Pais201.txt _ 2014 07 08 _ NO SE USA"] = "apartado";
        ficheros[kPrograma + "Pais201.txt"] = "en uso";
        servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "conta 10.06"},
                               {"Conta\\Programa\\A.DLL", teSiempre, "a nuevo"}};
        respuestas = {mrNo};
    }
};

TEST(Obsoletos, SeRetiranPorLaCopiaConSuLineaAntes) {
    ConObsoletos f;
    f.run.Instalar();
    ASSERT_EQ(f.d.Fin, TFinEjecucion::Correcta);
    EXPECT_FALSE(f.FicheroExiste(kPrograma + "Conta001.Bpl"));
    EXPECT_FALSE(f.FicheroExiste(kPrograma + "Pais201.txt _ 2014 07 08 _ NO SE USA"));
    EXPECT_EQ(f.ficheros[kPrograma + "Pais201.txt"], "en uso");
    const std::string copia = kPrograma + "10.05\\Conta001.Bpl";
    const size_t linea = f.Indice("Diario:M\t" + kPrograma + "Conta001.Bpl\t" + copia);
    ASSERT_LT(linea, f.log.size()) << "no journal line";
    EXPECT_LT(linea, f.Indice("Mover:" + kPrograma + "Conta001.Bpl>" + copia));
    EXPECT_EQ(f.cambiosSinDiario, 0);
}

// Ended from outside at every step after an obsolete file went: the next
// start brings it back with the rest.
TEST(Obsoletos, VuelvenSiLaActualizacionNoTermina) {
    ConObsoletos f;
    const auto antes = f.Bajo(kPrograma);
    f.fotografiar = true;
    f.run.Instalar();
    ASSERT_EQ(f.d.Fin, TFinEjecucion::Correcta);
    int sinObsoleto = 0;
    for (const auto& foto : f.fotos) {
        if (foto.count(kPrograma + "Conta001.Bpl") || !foto.count(kPrograma + "10.05\\" + kFicheroDiario)) continue;
        ++sinObsoleto;
        ConObsoletos g;
        g.ficheros = foto;
        g.run.Recuperar(kPrograma);
        EXPECT_EQ(g.Bajo(kPrograma), antes) << "foto " << sinObsoleto;
    }
    EXPECT_GT(sinObsoleto, 0) << "no step between the removal and the end";
}

}  // namespace
