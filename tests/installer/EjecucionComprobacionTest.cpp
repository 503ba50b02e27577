// What an update checks before the first file changes: the archives whole,
// the destination free and roomy, the releases never backwards, the
// signatures, and every archive held from its check to its extraction.
#include "EjecucionFalsa.h"

namespace {

// Every archive of the run is read whole before the first file changes: a
// damaged one, whichever step it belongs to, leaves everything untouched.
TEST(Comprobacion, ArchivoDanadoNoTocaNada) {
    struct Caso {
        const char* nombre;
        bool actualizacion;
        const char* danado;
    };
    const Caso casos[] = {{"actualización", true, "QTR.KAV"},
                          {"instalación, motor", false, "PSQL.KAV"},
                          {"instalación, soporte (el último)", false, "SOPORTE.KAV"}};
    for (const Caso& c : casos) {
        Falso f = c.actualizacion ? Actualizacion() : Falso();
        f.servidor["PSQL.KAV"] = {{"Externos\\P\\P.DLL", teMotorPsql, "p"}};
        f.servidor["SOPORTE.KAV"] = {{"Conta\\Soporte\\S.TXT", teSinMasNuevo, "s"}};
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "conta 10.06"}};
        f.corruptos[c.danado] = "CRC incorrecto";
        f.ficheros[kPrograma + "10.05\\A.DLL"] = "copia de otra vez";
        const auto antes = f.Bajo("C:\\Kavo\\");
        std::string error;
        try {
            f.run.Instalar();
        } catch (const std::exception& e) {
            error = e.what();
        }
        EXPECT_EQ(error, "El archivo " + kTemporal + c.danado +
                             "\r\n\r\nestá dañado o incompleto:\r\n\r\nCRC incorrecto\r\n\r\n" +
                             (c.actualizacion ? "Actualización" : "Instalación") +
                             " Cancelada. No se ha modificado ningún fichero.")
            << c.nombre;
        EXPECT_EQ(f.Bajo("C:\\Kavo\\"), antes) << c.nombre;
        for (const std::string& l : f.log) {
            EXPECT_NE(l.rfind("Extraer:", 0), 0u) << c.nombre << ": " << l;
            EXPECT_NE(l.rfind("Ini:", 0), 0u) << c.nombre << ": " << l;
        }
        EXPECT_EQ(f.d.Resultado, rsError) << c.nombre;
        EXPECT_TRUE(f.Vio("Desbloquear")) << c.nombre;
    }
}

// Before anything changes: every file the release writes is free to
// replace, the program folder takes new files, and the drive has room for
// the new files (the replaced ones move into the backup on the same drive).
TEST(Comprobacion, DestinoAntesDeCambiarNada) {
    // The release writes 11 + 13 + 12 bytes over CONTA.EXE, A.DLL and
    // NOTAS.TXT and adds 1 (N.TXT); B.DLL, of kind 2, stays as it is.
    const int64_t necesario = 11 + 13 + 12 + 1;
    struct Caso {
        const char* nombre;
        std::function<void(Falso&)> preparar;
        const char* error;  // nullptr: the update runs
    };
    const Caso casos[] = {
        {"sólo lectura", [](Falso& f) { f.soloLectura.insert(kPrograma + "NOTAS.TXT"); },
         "El Fichero C:\\Kavo\\Conta\\Programa\\NOTAS.TXT\r\n\r\nes de Sólo Lectura. Actualización Cancelada"},
        {"en uso, se sabe por quién",
         [](Falso& f) {
             f.enUso.insert(kPrograma + "A.DLL");
             f.programasQueUsan[kPrograma + "A.DLL"] = "Contabilidad Kavo";
         },
         "El Fichero C:\\Kavo\\Conta\\Programa\\A.DLL\r\n\r\nestá en Uso por Contabilidad Kavo. Actualización "
         "Cancelada"},
        {"en uso", [](Falso& f) { f.enUso.insert(kPrograma + "A.DLL"); },
         "El Fichero C:\\Kavo\\Conta\\Programa\\A.DLL\r\n\r\nestá en Uso. Actualización Cancelada"},
        {"sólo lectura pero no se reemplaza", [](Falso& f) { f.soloLectura.insert(kPrograma + "B.DLL"); }, nullptr},
        {"sin permiso de escritura", [](Falso& f) { f.sinEscritura.insert(kPrograma); },
         "No se puede escribir en la carpeta C:\\Kavo\\Conta\\Programa\\\r\n\r\nActualización Cancelada"},
        {"sin espacio", [&](Falso& f) { f.libre = necesario - 1; },
         "No hay espacio suficiente en la unidad C:\r\n\r\nSe necesitan 37 bytes y quedan libres 36 bytes. "
         "Actualización Cancelada"},
        {"espacio justo", [&](Falso& f) { f.libre = necesario; }, nullptr},
    };
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "conta 10.06"},
                                 {"Conta\\Programa\\A.DLL", teSiempre, "a nuevo nuevo"},
                                 {"Conta\\Programa\\NOTAS.TXT", teSiempre, "notas nuevas"},
                                 {"Conta\\Programa\\B.DLL", teSiFalta, "b nunca"},
                                 {"Conta\\Programa\\Nueva\\N.TXT", teSiempre, "n"}};
        c.preparar(f);
        const auto antes = f.Bajo("C:\\Kavo\\");
        f.respuestas = {mrNo};
        std::string error;
        try {
            f.run.Instalar();
        } catch (const std::exception& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error ? c.error : "") << c.nombre;
        if (!c.error) {
            EXPECT_EQ(f.ficheros[kPrograma + "Nueva\\N.TXT"], "n") << c.nombre;
            continue;
        }
        EXPECT_EQ(f.Bajo("C:\\Kavo\\"), antes) << c.nombre;
        for (const std::string& l : f.log) {
            EXPECT_NE(l.rfind("Extraer:", 0), 0u) << c.nombre << ": " << l;
            EXPECT_NE(l.rfind("Ini:", 0), 0u) << c.nombre << ": " << l;
        }
    }
}

// Never backwards, unless support asked for it on purpose: an older release
// offered by the server is refused before anything is downloaded, an
// updater older than the one running while the archive is checked, before
// the first file changes.
TEST(Actualizacion, NuncaHaciaAtrasSalvoRetrocesoPedido) {
    const std::string anterior =
        "La Versión Instalada es Mayor que la que ofrece el servidor (instalada 10.05, ofrecida 10.04)."
        "\r\n\r\nNo se instala una versión anterior. Actualización Cancelada. No se ha modificado ningún fichero.";
    const std::string actualizador =
        "El Actualizador del archivo " + kTemporal +
        "QTR.KAV es más antiguo que el que se está ejecutando (0.09 en el archivo, 1.00 en ejecución).\r\n\r\n"
        "Actualización Cancelada. No se ha modificado ningún fichero.";
    struct Caso {
        const char* nombre;
        uint16_t menorOfrecida;  // of release 10
        TypeVersion actualizador;  // the archive's; the running one is 1.00
        bool retroceso;
        const std::string* rechazo;  // nullptr: the update goes on
    };
    const Caso casos[] = {
        {"lanzamiento anterior", 4, {0, 0, 0, 1}, false, &anterior},
        {"lanzamiento anterior con /RETROCEDER", 4, {0, 0, 0, 1}, true, nullptr},
        {"el mismo lanzamiento", 5, {0, 0, 0, 1}, false, nullptr},
        {"lanzamiento siguiente, actualizador nuevo", 6, {0, 0, 0, 2}, false, nullptr},
        {"actualizador anterior", 6, {0, 0, 9, 0}, false, &actualizador},
        {"actualizador anterior con /RETROCEDER", 6, {0, 0, 9, 0}, true, nullptr},
    };
    const std::string propio = kPrograma + "Actualizador.exe";
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        f.d.ProgramaPropio = propio;
        f.ficheros[propio] = "act 1.00";
        f.versiones[propio] = TypeVersion{0, 0, 0, 1};
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\A.DLL", teSiempre, "a nuevo"},
                                 {"Conta\\Programa\\Actualizador.exe", teActualizador, "act traido"}};
        f.versionesEnArchivo["Conta\\Programa\\Actualizador.exe"] = c.actualizador;
        f.d.DatosWeb.FijarVersionFichero(99, TypeVersion{0, 0, c.menorOfrecida, 10});
        f.d.PermitirRetroceso = c.retroceso;
        f.respuestas = {mrNo};
        const std::string error = f.InstalarConError();
        const bool sigue = c.rechazo == nullptr;
        if (!sigue) {
            EXPECT_TRUE(error == *c.rechazo || f.Vio("Mensaje:" + *c.rechazo)) << c.nombre << ": " << error;
        }
        EXPECT_EQ(f.Vio("Descargar:" + f.d.UrlBaseProgramas + "QTR.KAV"), c.rechazo != &anterior) << c.nombre;
        EXPECT_EQ(f.Vio("Bloquear"), c.rechazo != &anterior) << c.nombre << ": nothing is locked for a refusal";
        EXPECT_EQ(f.ficheros[kPrograma + "A.DLL"], sigue ? "a nuevo" : "a viejo") << c.nombre;
        EXPECT_EQ(f.Vio("Ini:" + kPrograma + "CONTA.INI:ACTUALIZACION/ACTUALIZAR=1"), sigue) << c.nombre;
    }
}

// The newest signed statement a run could get tells whether the network may
// be keeping the installation on an old release.
TEST(Actualizacion, FirmaMasRecienteAntiguaEsPosibleCongelacion) {
    const int64_t ahora = 1796116200;
    for (int64_t dias : {60, 61}) {
        Falso f = Actualizacion();
        f.servidor["QTR.KAV"] = {};
        f.ahora = ahora;
        f.respuestas = {mrNo};
        firma::Politica().fechaMasNueva = ahora - dias * 86400;
        f.run.Instalar();
        firma::Politica().fechaMasNueva = 0;
        EXPECT_EQ(f.d.PosibleCongelacion, dias == 61) << dias;
        EXPECT_TRUE(f.Vio("Mensaje:Actualización Correcta\n\r\n\r¿Abrimos la Conta?")) << "the update itself goes on";
    }
}

// The record the accounting program handed over could not be checked at
// start-up (no server): the run checks it before any archive. A server still
// out of reach is a failed download (3) with its message; a statement that
// came and is refused ends the run (5); either way no archive is fetched and
// nothing changes. Checked, the update goes on and the record is not checked
// twice.
TEST(Actualizacion, RegistroSinComprobarSeCompruebaAntesDeLosArchivos) {
    const std::string url = "http://v/_descargas_/externos/Conta/clientes/PRUEBA.VER";
    struct Caso {
        const char* nombre;
        bool sinServidor, rechazado;
        int codigo;
        const char* mensaje;
    };
    const Caso casos[] = {
        {"sin servidor", true, false, 3, "Plano:Error descargando URL: http://v/_descargas_/externos/Conta/clientes/PRUEBA.VER"},
        {"rechazado", false, true, 5, "Plano:Fichero T:\\Kavo\\Conta\\PRUEBA.VER rechazado: no coincide con su firma."},
        {"comprobado", false, false, 0, "Mensaje:Actualización Correcta\n\r\n\r¿Abrimos la Conta?"},
    };
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\A.DLL", teSiempre, "a nuevo"}};
        f.d.NombreFicheroCliente = "PRUEBA.VER";
        f.d.RegistroPorComprobar = url;
        if (c.sinServidor) f.fallosDescarga[url] = "Error descargando URL: " + url;
        if (c.rechazado) f.firmasMalas.insert(url);
        f.respuestas = {mrNo};
        try {
            f.run.Instalar();
        } catch (const std::exception&) {
        }
        EXPECT_EQ(desatendido::CodigoDeFin(f.d.Fin), c.codigo) << c.nombre;
        EXPECT_TRUE(f.Vio(c.mensaje)) << c.nombre;
        const size_t comprobado = f.Indice("FirmaPublicada:" + url + ">" + kTemporal + "PRUEBA.VER");
        ASSERT_LT(comprobado, f.log.size()) << c.nombre;
        const bool sigue = c.codigo == 0;
        EXPECT_EQ(f.Vio("Descargar:" + f.d.UrlBaseProgramas + "QTR.KAV"), sigue) << c.nombre;
        if (sigue) EXPECT_LT(comprobado, f.Indice("Descargar:" + f.d.UrlBaseProgramas + "QTR.KAV")) << c.nombre;
        EXPECT_EQ(f.ficheros[kPrograma + "A.DLL"], sigue ? "a nuevo" : "a viejo") << c.nombre;
        EXPECT_EQ(f.d.RegistroPorComprobar.empty(), sigue) << c.nombre;
    }
}

// A local run takes its archives from the folder: one that fails its
// signature stops the run before the installation is touched.
TEST(Actualizacion, LocalConArchivoSinFirmaNoTocaNada) {
    Falso f = Actualizacion();
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "nuevo"}};
    f.d.ModoLocal = true;
    f.d.DirEjecutable = kPrograma;
    f.ficheros[kPrograma + "QTR.KAV"] = "x";
    f.firmasMalas.insert(kPrograma + "QTR.KAV");
    const auto antes = f.ficheros;
    f.run.Instalar();
    EXPECT_TRUE(f.Vio("Mensaje:Fichero " + kPrograma + "QTR.KAV rechazado: falta su firma."));
    EXPECT_FALSE(f.Vio("Extraer:" + kPrograma + "QTR.KAV"));
    EXPECT_TRUE(std::none_of(f.log.begin(), f.log.end(), [](const std::string& l) { return l.rfind("Ini:", 0) == 0; }));
    for (const auto& [ruta, bytes] : antes)
        if (ruta != kPrograma + "QTR.KAV") {
            EXPECT_EQ(f.ficheros[ruta], bytes) << ruta;
        }
    EXPECT_EQ(f.Vio("Bloquear"), f.Vio("Desbloquear"));

    // Signed, the same run goes on.
    Falso g = Actualizacion();
    g.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "nuevo"}};
    g.d.ModoLocal = true;
    g.d.DirEjecutable = kPrograma;
    g.ficheros[kPrograma + "QTR.KAV"] = "x";
    g.ficheros[kPrograma + "QTR.KAV.firma"] = "firma";
    g.run.Instalar();
    EXPECT_LT(g.Indice("Firma:" + kPrograma + "QTR.KAV"), g.Indice("Extraer:" + kPrograma + "QTR.KAV"));
    // Nothing of the local release stays beside the updater.
    EXPECT_FALSE(g.ficheros.count(kPrograma + "QTR.KAV"));
    EXPECT_FALSE(g.ficheros.count(kPrograma + "QTR.KAV.firma"));
}

// A local update that brings a newer updater hands its release over: the
// archive and the per-installation file stay beside it for the newer one,
// which updates from them and deletes them afterwards.
TEST(Actualizacion, LocalRelanzadaDejaSuLanzamientoAlNuevo) {
    for (bool relanza : {false, true}) {
        Falso f = Actualizacion();
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "nuevo"}};
        f.d.ModoLocal = true;
        f.d.DirEjecutable = kPrograma;
        for (const char* n : {"QTR.KAV", "QTR.KAV.firma", "CLI.VER", "CLI.VER.firma"}) f.ficheros[kPrograma + n] = n;
        f.relanza = relanza;
        f.respuestas = {mrNo};
        f.run.Instalar();
        EXPECT_EQ(f.ficheros[kPrograma + "CONTA.EXE"], "nuevo");
        for (const char* n : {"QTR.KAV", "QTR.KAV.firma", "CLI.VER", "CLI.VER.firma"})
            EXPECT_EQ(f.ficheros.count(kPrograma + n), relanza ? 1u : 0u) << n << " " << relanza;
        EXPECT_EQ(f.d.Relanzado, relanza);
    }
}

// Every archive is held from its signature check (a local run) or its
// download on, through its check and its extraction, and let go when the
// run ends, however it ends: between check and use nobody can swap it.
TEST(Actualizacion, CadaArchivoRetenidoDeLaFirmaALaExtraccion) {
    struct Caso {
        const char* nombre;
        bool local;
        bool danado;  // its check fails
        std::vector<std::string> usos;
    };
    const std::string descargado = kTemporal + "QTR.KAV", local = kPrograma + "QTR.KAV";
    const Caso casos[] = {
        {"descarga", false, false,
         {"Comprobar:" + descargado + ":retenido", "Extraer:" + descargado + ":retenido", "Soltar"}},
        {"local", true, false,
         {"Firma:" + local + ":retenido", "Comprobar:" + local + ":retenido", "Extraer:" + local + ":retenido",
          "Soltar"}},
        {"dañado", false, true, {"Comprobar:" + descargado + ":retenido", "Soltar"}},
    };
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\A.DLL", teSiempre, "a nuevo"}};
        if (c.danado) f.corruptos["QTR.KAV"] = "CRC incorrecto";
        if (c.local) {
            f.d.ModoLocal = true;
            f.d.DirEjecutable = kPrograma;
            f.ficheros[local] = "x";
        }
        f.respuestas = {mrNo};
        try {
            f.run.Instalar();
        } catch (const std::exception&) {
        }
        EXPECT_EQ(f.usos, c.usos) << c.nombre;
        EXPECT_TRUE(f.retenidos.empty()) << c.nombre;
        EXPECT_EQ(f.ficheros[kPrograma + "A.DLL"], c.danado ? "a viejo" : "a nuevo") << c.nombre;
    }
}

}  // namespace
