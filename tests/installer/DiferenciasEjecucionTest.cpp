// An update through the vendor's differences, natively: the real producer
// makes them from two releases, the run rebuilds the archive and the real
// engine reads it back; what is downloaded, written, and said in the log.
#include "Differences.h"
#include "EjecucionFalsa.h"
#include "FirmaFicheros.h"

namespace {

const std::string kDiferencias = "QTRDIF_10.05_10.06.KAV";
const std::string kReconstruido = "QTRDIF_10.05_10.06_ARCHIVO.KAV";

// Releases 10.05 and 10.06: a program changed in a few bytes, a package the
// product refuses and a file written only where there is none (kind 2) that
// changed too, a text that did not change, a new file.
struct Lanzamientos {
    std::string contaViejo = kavmake::MixedData(40000, 1), contaNuevo;
    std::string raroViejo = kavmake::MixedData(30000, 2), raroNuevo;
    std::string plantillaVieja = kavmake::MixedData(20000, 3), plantillaNueva;
    kavmake::ArchiveBuilder anterior, nueva;

    Lanzamientos() {
        contaNuevo = contaViejo;
        contaNuevo.replace(20000, 10, "10.06 nuev");
        raroNuevo = raroViejo + "y algo más";
        plantillaNueva = plantillaVieja;
        plantillaNueva.replace(100, 5, "10.06");
        anterior.AddFile("Conta\\Programa\\CONTA.EXE", contaViejo, {.fileType = 1});
        anterior.AddFile("Conta\\Programa\\RARO.BPL", raroViejo, {.fileType = 5});
        anterior.AddFile("Conta\\Programa\\PLANTILLA.DAT", plantillaVieja, {.fileType = 2});
        anterior.AddFile("Conta\\Programa\\NOTAS.TXT", "notas", {.fileType = 1});
        nueva.AddFile("Conta\\Programa\\CONTA.EXE", contaNuevo, {.fileType = 1});
        nueva.AddFile("Conta\\Programa\\RARO.BPL", raroNuevo, {.fileType = 5});
        nueva.AddFile("Conta\\Programa\\PLANTILLA.DAT", plantillaNueva, {.fileType = 2});
        nueva.AddFile("Conta\\Programa\\NOTAS.TXT", "notas", {.fileType = 1});
        nueva.AddFile("Conta\\Programa\\NUEVO.TXT", "nuevo", {.fileType = 1});
    }
    kavmake::ArchiveBuilder Diferencias() const { return kavmake::MakeDifferences(anterior, nueva, "10.05", "10.06"); }
    // The installed 10.05 and the whole archive of 10.06 on the server.
    void Instalar(Falso& f) const {
        f.ficheros[kPrograma + "CONTA.EXE"] = contaViejo;
        f.ficheros[kPrograma + "RARO.BPL"] = raroViejo;
        f.ficheros[kPrograma + "PLANTILLA.DAT"] = plantillaVieja;
        f.ficheros[kPrograma + "NOTAS.TXT"] = "notas";
        for (const kavmake::AddedFile& a : nueva.Files())
            f.servidor["QTR.KAV"].push_back(
                {a.name, a.options.fileType, std::string(a.content), a.options.date, false, {}, 1});
        f.respuestas = {mrNo};
    }
};

// The same differences with one entry's data replaced.
std::string ConOtrosDatos(const kavmake::ArchiveBuilder& d, const std::string& nombre,
                          const std::function<std::string(std::string)>& cambio) {
    kavmake::ArchiveBuilder r(d.Options());
    for (const kavmake::AddedFile& a : d.Files())
        r.AddFile(a.name, a.name == nombre ? cambio(std::string(a.content)) : std::string(a.content), a.options);
    return r.Bytes();
}

std::string Registrado(const std::function<void()>& ejecucion) {
    const std::string ruta = ::testing::TempDir() + "diferencias_registro.log";
    std::remove(ruta.c_str());
    Registro().FijarRuta(ruta);
    ejecucion();
    Registro().FijarRuta("");
    std::ifstream in(ruta, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

size_t PrimerCambio(const Falso& f) {
    const auto i = std::find_if(f.log.begin(), f.log.end(), [](const std::string& l) {
        return l.rfind("Diario:", 0) == 0 || l.rfind("Mover:", 0) == 0 || l.rfind("Ini:", 0) == 0;
    });
    return static_cast<size_t>(i - f.log.begin());
}

TEST(Diferencias, SeDescarganEnLugarDelArchivoYSusReglasSiguen) {
    const Lanzamientos l;
    Falso f = Actualizacion();
    l.Instalar(f);
    f.publicados[kDiferencias] = l.Diferencias().Bytes();
    const std::string registro = Registrado([&] { f.run.Instalar(); });

    EXPECT_TRUE(f.Vio("Descargar:" + kDiferencias));
    EXPECT_FALSE(f.Vio("Descargar:QTR.KAV"));
    EXPECT_EQ(f.ficheros[kPrograma + "CONTA.EXE"], l.contaNuevo);
    EXPECT_EQ(f.ficheros[kPrograma + "NUEVO.TXT"], "nuevo");
    // The product still refuses its package, patched or not.
    EXPECT_EQ(f.ficheros[kPrograma + "RARO.BPL"], l.raroViejo);
    // Read and rebuilt before the first change, which goes through the
    // backup and its journal as any update's; the rebuilt archive is not
    // read whole a second time.
    EXPECT_LT(f.Indice("Leer:" + kTemporal + kDiferencias), PrimerCambio(f));
    EXPECT_FALSE(f.Vio("Comprobar:" + kTemporal + kReconstruido));
    EXPECT_TRUE(f.Vio("Mover:" + kPrograma + "CONTA.EXE>" + kPrograma + "10.05\\CONTA.EXE"));
    EXPECT_TRUE(f.Vio("Extraer:" + kTemporal + kReconstruido));
    EXPECT_TRUE(f.Vio("BorrarDirectorio:" + kPrograma + "10.05"));
    // Extracted from memory: never written, so never read back.
    EXPECT_TRUE(f.Vio("EnMemoria:" + kTemporal + kReconstruido));
    EXPECT_FALSE(f.ficheros.count(kTemporal + kReconstruido));
    EXPECT_NE(std::find(f.usos.begin(), f.usos.end(), "Extraer:" + kTemporal + kReconstruido + ":retenido"),
              f.usos.end());
    EXPECT_NE(registro.find("Diferencias " + kDiferencias + " aplicadas"), std::string::npos) << registro;
    EXPECT_NE(registro.find("Fin: Actualización Correcta"), std::string::npos) << registro;
}

// Whatever keeps the differences from being used, the update takes the
// whole archive, says why in the log, and ends as it would have; nothing of
// the installation changed before.
TEST(Diferencias, SinUsarlasSeDescargaElArchivoEntero) {
    const Lanzamientos l;
    const kavmake::ArchiveBuilder d = l.Diferencias();
    const std::string conta = "Conta\\Programa\\CONTA.EXE";
    struct Caso {
        const char* nombre;
        std::function<void(Falso&)> preparar;
        std::string motivo;  // in the log
    };
    const Caso casos[] = {
        {"no publicadas", [](Falso&) {}, "no publicadas"},
        {"fichero cambiado a mano",
         [&](Falso& f) {
             f.publicados[kDiferencias] = d.Bytes();
             f.ficheros[kPrograma + "CONTA.EXE"][5] ^= 1;
         },
         "El fichero instalado " + conta + " no es el que esperan las diferencias"},
        // Kind 2 is written where there is none: a missing one must be rebuilt.
        {"fichero que falta",
         [&](Falso& f) {
             f.publicados[kDiferencias] = d.Bytes();
             f.ficheros.erase(kPrograma + "PLANTILLA.DAT");
         },
         "Falta el fichero instalado Conta\\Programa\\PLANTILLA.DAT"},
        {"parche dañado",
         [&](Falso& f) {
             f.publicados[kDiferencias] = ConOtrosDatos(d, conta, [](std::string p) {
                 p.resize(p.size() - 3);
                 return p;
             });
         },
         "Parche dañado: " + conta},
        {"resultado distinto",
         [&](Falso& f) {
             f.publicados[kDiferencias] = ConOtrosDatos(d, diferencias::kNombreManifiesto, [&](std::string m) {
                 const std::string bueno = firma::Hex(firma::Resumen(l.contaNuevo));
                 m.replace(m.find(bueno), bueno.size(), firma::Hex(firma::Resumen("otro")));
                 return m;
             });
         },
         "El resultado de " + conta + " no es el que nombran las diferencias"},
        {"sin manifiesto",
         [&](Falso& f) {
             kavmake::ArchiveBuilder r;
             for (const kavmake::AddedFile& a : d.Files())
                 if (a.name != diferencias::kNombreManifiesto) r.AddFile(a.name, a.content, a.options);
             f.publicados[kDiferencias] = r.Bytes();
         },
         "Falta el manifiesto"},
        {"descarga fallida",
         [&](Falso& f) {
             f.publicados[kDiferencias] = d.Bytes();
             f.fallosDescarga[kDiferencias] = "Error descargando URL: http://v/" + kDiferencias;
         },
         "no descargadas (Error descargando URL"},
        {"archivo dañado",
         [&](Falso& f) {
             std::string b = d.Bytes();
             b.resize(b.size() - 40);
             f.publicados[kDiferencias] = b;
         },
         "no aplicables"},
    };
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        l.Instalar(f);
        c.preparar(f);
        const auto antes = f.Bajo("C:\\");
        bool intacta = false;
        // The whole archive is asked for with the installation untouched.
        f.alDescargar = [&](const std::string& nombre) {
            if (nombre == "QTR.KAV") intacta = f.Bajo("C:\\") == antes;
        };
        const std::string registro = Registrado([&] { f.run.Instalar(); });
        EXPECT_TRUE(f.Vio("Descargar:" + kDiferencias)) << c.nombre;
        EXPECT_TRUE(f.Vio("Descargar:QTR.KAV")) << c.nombre;
        EXPECT_TRUE(intacta) << c.nombre;
        EXPECT_NE(registro.find(c.motivo), std::string::npos) << c.nombre << "\n" << registro;
        EXPECT_NE(registro.find("se descarga QTR.KAV"), std::string::npos) << c.nombre;
        EXPECT_TRUE(f.Vio("Extraer:" + kTemporal + "QTR.KAV")) << c.nombre;
        EXPECT_FALSE(f.Vio("Extraer:" + kTemporal + kReconstruido)) << c.nombre;
        EXPECT_EQ(f.ficheros[kPrograma + "CONTA.EXE"], l.contaNuevo) << c.nombre;
        EXPECT_NE(registro.find("Fin: Actualización Correcta"), std::string::npos) << c.nombre;
    }
}

// Only the files the update would replace must be what the differences
// expect: one it would not write (a package the product refuses, a kind 2
// file that is there) may have changed by hand and stays as it is, and one
// that already is the result needs no patch.
TEST(Diferencias, SoloCuentanLosFicherosQueSeEscriben) {
    const Lanzamientos l;
    struct Caso {
        const char* nombre;
        std::string fichero;  // below the program folder
        std::function<std::string(const Lanzamientos&)> instalado;
        std::string queda;  // the file after the update
        bool dejado;        // said in the log as left as it is
    };
    const Caso casos[] = {
        {"paquete rechazado, cambiado", "RARO.BPL", [](const Lanzamientos& l) { return l.raroViejo + "!"; },
         l.raroViejo + "!", true},
        {"tipo 2, cambiado", "PLANTILLA.DAT", [](const Lanzamientos&) { return std::string("a mano"); }, "a mano",
         true},
        {"ya es el resultado", "CONTA.EXE", [](const Lanzamientos& l) { return l.contaNuevo; }, l.contaNuevo, false},
    };
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        l.Instalar(f);
        f.publicados[kDiferencias] = l.Diferencias().Bytes();
        f.ficheros[kPrograma + c.fichero] = c.instalado(l);
        const std::string registro = Registrado([&] { f.run.Instalar(); });
        EXPECT_FALSE(f.Vio("Descargar:QTR.KAV")) << c.nombre << "\n" << registro;
        EXPECT_TRUE(f.Vio("Extraer:" + kTemporal + kReconstruido)) << c.nombre;
        EXPECT_EQ(f.ficheros[kPrograma + c.fichero], c.queda) << c.nombre;
        EXPECT_EQ(f.ficheros[kPrograma + "CONTA.EXE"], l.contaNuevo) << c.nombre;
        EXPECT_EQ(f.ficheros[kPrograma + "NUEVO.TXT"], "nuevo") << c.nombre;
        EXPECT_EQ(registro.find("Conta\\Programa\\" + c.fichero + " no es el que esperan") != std::string::npos,
                  c.dejado)
            << c.nombre << "\n" << registro;
        EXPECT_NE(registro.find("Fin: Actualización Correcta"), std::string::npos) << c.nombre;
    }
}

// The newer updater the differences brought is relaunched on 10.06: it
// takes the same differences from 10.05 (the release before), finds every
// patched file already their result, and writes the release's changed files
// by its own rules without the whole archive. A file changed since still
// sends it to the archive.
TEST(Diferencias, ElActualizadorRelanzadoLasToma) {
    const Lanzamientos l;
    for (const bool cambiado : {false, true}) {
        Falso f = Actualizacion();
        l.Instalar(f);
        f.d.VersionesInstaladas.FijarVersionFichero(99, TypeVersion{0, 0, 6, 10});
        f.d.IniciadoPorRelanzamiento = true;
        f.ficheros[kPrograma + "CONTA.EXE"] = l.contaNuevo;
        f.ficheros[kPrograma + "PLANTILLA.DAT"] = l.plantillaNueva;
        f.ficheros[kPrograma + "NUEVO.TXT"] = "nuevo";
        if (cambiado) f.ficheros[kPrograma + "CONTA.EXE"][7] ^= 1;
        f.publicados[kDiferencias] = l.Diferencias().Bytes();
        const std::string registro = Registrado([&] { f.run.Instalar(); });
        EXPECT_TRUE(f.Vio("Descargar:" + kDiferencias)) << cambiado;
        EXPECT_EQ(f.Vio("Descargar:QTR.KAV"), cambiado) << registro;
        EXPECT_EQ(f.Vio("Extraer:" + kTemporal + kReconstruido), !cambiado) << cambiado;
        EXPECT_EQ(f.ficheros[kPrograma + "CONTA.EXE"], l.contaNuevo) << cambiado;
        EXPECT_EQ(f.ficheros[kPrograma + "PLANTILLA.DAT"], l.plantillaNueva) << cambiado;
        EXPECT_NE(registro.find("Fin: Actualización Correcta"), std::string::npos) << registro;
    }
}

// Differences refused for their signature are not a reason to go on with
// another file, nor is a cancel during their download: the run stops as it
// would for the archive, untouched, and ends as a refused signature (an
// unattended run's 5) or as cancelled, not as a fallback.
TEST(Diferencias, RechazadasOCanceladasNoSeSigue) {
    const Lanzamientos l;
    const std::string rechazo = "Fichero " + kDiferencias + " rechazado: no coincide con su firma (dañado o alterado).";
    struct Caso {
        const char* nombre;
        std::function<void(Falso&)> alDescargar;
        TFinEjecucion fin;
        int codigo;
    };
    const Caso casos[] = {
        {"firma rechazada", [&](Falso&) { throw firma::EFirmaRechazada(rechazo); }, TFinEjecucion::FirmaRechazada, 5},
        {"cancelada",
         [&](Falso& f) {
             f.d.CancelarPedido = true;
             throw Exception("Error descargando URL: http://v/" + kDiferencias);
         },
         TFinEjecucion::Cancelada, 1},
    };
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        l.Instalar(f);
        f.publicados[kDiferencias] = l.Diferencias().Bytes();
        f.alDescargar = [&](const std::string& nombre) {
            if (nombre == kDiferencias) c.alDescargar(f);
        };
        const auto antes = f.ficheros;
        f.run.Instalar();
        EXPECT_FALSE(f.Vio("Descargar:QTR.KAV")) << c.nombre;
        EXPECT_EQ(f.ficheros, antes) << c.nombre;
        EXPECT_EQ(PrimerCambio(f), f.log.size()) << c.nombre;
        EXPECT_EQ(f.d.Fin, c.fin) << c.nombre;
        EXPECT_EQ(desatendido::CodigoDeFin(f.d.Fin), c.codigo) << c.nombre;
    }
    Falso f = Actualizacion();
    l.Instalar(f);
    f.alDescargar = [&](const std::string& nombre) {
        if (nombre == kDiferencias) throw firma::EFirmaRechazada(rechazo);
    };
    f.run.Instalar();
    EXPECT_TRUE(f.Vio("Plano:" + rechazo)) << "the refusal is said as any refused file's";
}

// Only an update from the server to a later release asks for them.
TEST(Diferencias, SoloEntreVersionesSucesivasDelServidor) {
    const Lanzamientos l;
    struct Caso {
        const char* nombre;
        std::function<void(Falso&)> preparar;
        bool piden;
    };
    const Caso casos[] = {
        {"10.05 a 10.06", [](Falso&) {}, true},
        {"beta", [](Falso& f) { f.d.ArchivoPrincipal = "QTRBETA.KAV"; }, false},
        {"misma versión", [](Falso& f) { f.d.DatosWeb.FijarVersionFichero(99, TypeVersion{0, 0, 5, 10}); }, false},
        {"misma versión, relanzado",
         [](Falso& f) {
             f.d.DatosWeb.FijarVersionFichero(99, TypeVersion{0, 0, 5, 10});
             f.d.IniciadoPorRelanzamiento = true;
         },
         true},
        {"11.00, relanzado",
         [](Falso& f) {
             f.d.VersionesInstaladas.FijarVersionFichero(99, TypeVersion{0, 0, 0, 11});
             f.d.DatosWeb.FijarVersionFichero(99, TypeVersion{0, 0, 0, 11});
             f.d.IniciadoPorRelanzamiento = true;
         },
         false},
        {"instalada desconocida", [](Falso& f) { f.d.VersionesInstaladas.FijarVersionFichero(99, TypeVersion{}); },
         false},
    };
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        l.Instalar(f);
        c.preparar(f);
        try {
            f.run.Instalar();
        } catch (const EAbort&) {
        }
        EXPECT_EQ(std::any_of(f.log.begin(), f.log.end(),
                              [](const std::string& s) { return s.find("DIF_") != std::string::npos; }),
                  c.piden)
            << c.nombre;
    }
}

}  // namespace
