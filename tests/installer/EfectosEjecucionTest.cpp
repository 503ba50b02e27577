// What the run hands its seams that the window used to work out for them:
// where a local file's signature is published and which folder the lock is
// taken in.
#include "EjecucionFalsa.h"

namespace {

// A local run finds the release beside the updater: the program archive's
// signature is published with the program archives, the engine's and the
// support archive's with the shared ones.
TEST(EfectosEjecucion, FirmaLocalBuscadaDondeSePublica) {
    Falso f = Actualizacion();
    f.d.ModoLocal = true;
    f.d.DirEjecutable = kPrograma;
    f.d.TipoMotor = tmPsql12;
    for (const char* nombre : {"PSQL.KAV", "SOPORTE.KAV", "QTR.KAV"}) f.ficheros[kPrograma + nombre] = "x";
    f.InstalarConError();
    EXPECT_EQ(f.carpetasFirma, (std::map<std::string, CarpetaPublicada>{
                                   {kPrograma + "PSQL.KAV", CarpetaPublicada::Externos},
                                   {kPrograma + "SOPORTE.KAV", CarpetaPublicada::Externos},
                                   {kPrograma + "QTR.KAV", CarpetaPublicada::Programas},
                               }));
}

// The lock is taken in the folder the user chose, and let go at the end.
TEST(EfectosEjecucion, BloqueoEnLaCarpetaElegida) {
    Falso f = Actualizacion();
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\A.DLL", 1, "a nuevo"}};
    f.InstalarConError();
    EXPECT_EQ(f.carpetaBloqueada, f.textoDir);
    EXPECT_LT(f.Indice("Bloquear"), f.Indice("Desbloquear"));
    EXPECT_LT(f.Indice("Desbloquear"), f.log.size());
}

}  // namespace
