// An update of an installed copy that goes its way: the backup, the files
// written, the run's log, and the updater that replaces itself.
#include "EjecucionFalsa.h"

namespace {

TEST(Actualizacion, CopiaDeSeguridadYFinal) {
    Falso f = Actualizacion();
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "conta 10.06"},
                             {"Conta\\Programa\\A.DLL", teSiempre, "a nuevo"},
                             {"Conta\\Programa\\Util\\A.DLL", teSiempre, "util a nuevo"},
                             {"Conta\\Programa\\A.DLL", teSiempre, "a otra vez"},
                             {"Conta\\Programa\\NOTAS.TXT", teSiempre, "notas nuevas"}};
    f.respuestas = {mrNo};
    f.run.Instalar();
    EXPECT_EQ(f.Bajo(kPrograma), (std::map<std::string, std::string>{{"CONTA.EXE", "conta 10.06"},
                                                                     {"A.DLL", "a otra vez"},
                                                                     {"Util\\A.DLL", "util a nuevo"},
                                                                     {"B.DLL", "b viejo"},
                                                                     {"NOTAS.TXT", "notas nuevas"}}));
    // Only executables and libraries went through the backup, which is gone.
    EXPECT_TRUE(f.Vio("Mover:" + kPrograma + "A.DLL>" + kPrograma + "10.05\\A.DLL"));
    EXPECT_TRUE(f.Vio("Mover:" + kPrograma + "Util\\A.DLL>" + kPrograma + "10.05\\Conta\\Programa\\Util\\A.DLL"));
    EXPECT_TRUE(f.Vio("BorrarDirectorio:" + kPrograma + "10.05"));
    EXPECT_FALSE(f.Vio("Descargar:SOPORTE.KAV"));
    EXPECT_EQ(f.d.CodigoCliente, 4711u) << "the installation's recorded customer";
    const std::string ini = kPrograma + "CONTA.INI";
    EXPECT_LT(f.Indice("Ini:" + ini + ":ACTUALIZACION/ACTUALIZAR=1"), f.Indice("Extraer:" + kTemporal + "QTR.KAV"));
    EXPECT_LT(f.Indice("Avisar:http://v/roldawindows/actualizarolda.php?filename=CLI.VER&codcli=4711&kavoversion=10.05"),
              f.Indice("Relanzar"));
    EXPECT_LT(f.Indice("Mensaje:Actualización Correcta\n\r\n\r¿Abrimos la Conta?"), f.Indice("Desbloquear"))
        << "the clean-up follows it";
    EXPECT_FALSE(f.Vio("CrearAccesos"));
    EXPECT_FALSE(f.Vio("OfrecerMotor"));
}

// An entry with an alternative name writes its data under both names, and the
// update backs up both replaced files: a failure later in the archive puts
// both back.
TEST(Actualizacion, NombreAlternativoConCopiaDeAmbos) {
    for (bool falla : {false, true}) {
        SCOPED_TRACE(falla ? "falla después" : "correcta");
        Falso f = Actualizacion();
        Entrada doble{"Conta\\Programa\\A.DLL", teSiempre, "a nuevo"};
        doble.alternativo = "Conta\\Programa\\Util\\A.DLL";
        std::vector<Entrada> entradas{{"Conta\\Programa\\CONTA.EXE", teSiempre, "conta 10.06"}, doble};
        if (falla) entradas.push_back({"Conta\\Programa\\ROTO.DLL", teSiempre, "roto", 100, true});
        f.servidor["QTR.KAV"] = entradas;
        f.respuestas = {mrNo};
        try {
            f.run.Instalar();
        } catch (const EAbort&) {
        }
        EXPECT_TRUE(f.Vio("Mover:" + kPrograma + "A.DLL>" + kPrograma + "10.05\\A.DLL"));
        EXPECT_TRUE(f.Vio("Mover:" + kPrograma + "Util\\A.DLL>" + kPrograma + "10.05\\Conta\\Programa\\Util\\A.DLL"));
        EXPECT_EQ(f.ficheros[kPrograma + "A.DLL"], falla ? "a viejo" : "a nuevo");
        EXPECT_EQ(f.ficheros[kPrograma + "Util\\A.DLL"], falla ? "util a viejo" : "a nuevo");
        EXPECT_FALSE(f.ficheros.count(kPrograma + "ROTO.DLL"));
    }
}

// The report, the relaunch and the settings keys do not depend on each other.
TEST(Actualizacion, InformeFallidoNoImpideLoDemas) {
    Falso f = Actualizacion();
    f.informeFalla = true;
    f.servidor["QTR.KAV"] = {};
    f.d.ArchivoPrincipal = "QTRBETA.KAV";
    f.servidor["QTRBETA.KAV"] = {};
    f.run.Instalar();
    EXPECT_TRUE(f.Vio("Relanzar"));
    EXPECT_TRUE(f.Vio("Ini:" + kPrograma + "CONTA.INI:ACTUALIZACION/ULTIMA_BETA=20/11/2026 10:00:00"));
    EXPECT_TRUE(f.Vio("Ini:" + kPrograma + "CONTA.INI:ACTUALIZACION/COMPROBAR=0"));
}

// An update changes only the installation's own folders, and never through
// a junction: the entry that would leave them stops the run, and what was
// done before it goes back.
TEST(Actualizacion, NoEscribeFueraDeLaInstalacion) {
    struct Caso {
        const char* nombre;
        Entrada entrada;
        std::function<void(Falso&)> preparar;
        std::string error;
    };
    const Caso casos[] = {
        {"por un enlace", {"Conta\\Programa\\Util\\A.DLL", teSiempre, "util a nuevo"},
         [](Falso& f) { f.enlaces.insert(kPrograma + "Util"); },
         kPrograma + "Util es un enlace a otro lugar. Actualización Cancelada"},
        {"copia de seguridad que es un enlace", {"Conta\\Programa\\B.DLL", teSiempre, "b nuevo"},
         [](Falso& f) {
             f.enlaces.insert(kPrograma + "10.05");
             f.ficheros[kPrograma + "10.05\\OTRO.TXT"] = "de otro sitio";
         },
         kPrograma + "10.05 es un enlace a otro lugar. Actualización Cancelada"},
        {"datos fuera", {"X.DAT", teDatos, "x"}, [](Falso& f) { f.producto.permitidas = std::vector<std::string>{kPrograma}; },
         "El fichero C:\\Kavo\\Conta\\Datos\\X.DAT está fuera de las carpetas de la instalación. Actualización "
         "Cancelada"},
    };
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        c.preparar(f);
        const auto antes = f.Bajo("C:\\Kavo\\");
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\A.DLL", teSiempre, "a nuevo"}, c.entrada};
        std::string error;
        try {
            f.run.Instalar();
        } catch (const std::exception& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error) << c.nombre;
        EXPECT_EQ(f.Bajo("C:\\Kavo\\"), antes) << c.nombre;
    }
}

// The log tells the story of each run, in order, for support staff.
TEST(Actualizacion, ElRegistroCuentaLaEjecucion) {
    const std::string ruta = ::testing::TempDir() + "ejecucion_registro.log";
    struct Caso {
        const char* nombre;
        bool danada;
        std::vector<std::string> historia;  // texts the lines carry, in this order
    };
    const Caso casos[] = {
        {"correcta",
         false,
         {"Inicio de la Actualización en " + kPrograma, "QTR.KAV: 15 bytes en 0,000 s",
          "Copia de seguridad de " + kPrograma + "A.DLL en " + kPrograma + "10.05\\A.DLL",
          "Reemplazando " + kPrograma + "A.DLL", "Fin: Actualización Correcta"}},
        {"fallida",
         true,
         {"Inicio de la Actualización", "Reemplazando " + kPrograma + "A.DLL", "Mensaje: CRC incorrecto",
          "Instalación restaurada desde " + kPrograma + "10.05", "Fin: Actualización interrumpida"}},
    };
    for (const Caso& c : casos) {
        std::remove(ruta.c_str());
        Registro().FijarRuta(ruta);
        Falso f = Actualizacion();
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\A.DLL", teSiempre, "a nuevo"},
                                 {"Conta\\Programa\\X.TXT", teSiempre, "x", 100, c.danada}};
        f.respuestas = {mrNo};
        try {
            f.run.Instalar();
        } catch (const EAbort&) {
        }
        Registro().FijarRuta("");
        std::ifstream in(ruta, std::ios::binary);
        const std::string registro((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        size_t desde = 0;
        for (const std::string& texto : c.historia) {
            const size_t p = registro.find(texto, desde);
            EXPECT_NE(p, std::string::npos) << c.nombre << ": " << texto << "\n" << registro;
            if (p != std::string::npos) desde = p;
        }
    }
}

// Files of the program folder go flat into the backup also when the archive
// spells that folder with doubled separators.
TEST(Actualizacion, CopiaPlanaConSeparadoresDobles) {
    Falso f = Actualizacion();
    f.servidor["QTR.KAV"] = {{"Conta\\\\Programa\\\\A.DLL", teSiempre, "a nuevo"}};
    f.respuestas = {mrNo};
    f.run.Instalar();
    EXPECT_TRUE(f.Vio("Mover:" + kPrograma + "A.DLL>" + kPrograma + "10.05\\A.DLL"));
}

// An archive that replaces the running updater's own file, as its newer copy
// or as a program package: the backup never holds the running program, so it
// goes at the end; the old file is back when the update fails; what runs is
// left aside for the next start.
TEST(Actualizacion, ReemplazaElActualizadorQueCorre) {
    struct Caso {
        const char* nombre;
        Entrada entrada;
        bool falla;
    };
    const Caso casos[] = {
        {"copia del actualizador", {"Conta\\Programa\\Actualizador.exe", teActualizador, "act nuevo"}, false},
        {"como paquete", {"Conta\\Programa\\Actualizador.exe", tePaquete, "act nuevo"}, false},
        {"y la actualización falla", {"Conta\\Programa\\Actualizador.exe", teActualizador, "act nuevo"}, true},
    };
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        const std::string propio = kPrograma + "Actualizador.exe";
        f.d.ProgramaPropio = propio;
        f.ficheros[propio] = "act viejo";
        f.enEjecucion.insert(propio);
        f.ficheros[ProgramaApartado(propio)] = "de una actualización anterior";
        f.servidor["QTR.KAV"] = {c.entrada, {"Conta\\Programa\\B.DLL", teSiempre, "b nuevo", 100, c.falla}};
        f.respuestas = {mrNo};
        try {
            f.run.Instalar();
        } catch (const EAbort&) {
        }
        EXPECT_EQ(f.d.Resultado, c.falla ? rsError : rsNinguno) << c.nombre;
        EXPECT_FALSE(f.DirectorioExiste(kPrograma + "10.05")) << c.nombre;
        EXPECT_EQ(f.enEjecucion, std::set<std::string>{ProgramaApartado(propio)}) << c.nombre;
        EXPECT_EQ(f.ficheros[ProgramaApartado(propio)], "act viejo") << c.nombre;
        EXPECT_EQ(f.ficheros[propio], c.falla ? "act viejo" : "act nuevo") << c.nombre;
        EXPECT_EQ(f.ficheros[kPrograma + "B.DLL"], c.falla ? "b viejo" : "b nuevo") << c.nombre;
    }
}

TEST(Actualizacion, ComprobacionesDelProgramaInstalado) {
    struct Caso {
        const char* nombre;
        std::function<void(Falso&)> preparar;
        const char* mensaje;  // the error shown or raised
        bool extrae;
    };
    const Caso casos[] = {
        {"solo lectura", [](Falso& f) { f.soloLectura.insert(kPrograma + "CONTA.EXE"); },
         "El Fichero C:\\Kavo\\Conta\\Programa\\CONTA.EXE\r\n\r\nes de Sólo Lectura. Actualización Cancelada", false},
        {"en uso", [](Falso& f) { f.enUso.insert(kPrograma + "CONTA.EXE"); },
         "El Fichero C:\\Kavo\\Conta\\Programa\\CONTA.EXE\r\n\r\nestá en Uso. Actualización Cancelada", false},
        {"más nueva, no sigue",
         [](Falso& f) {
             f.versiones[kPrograma + "CONTA.EXE"] = TypeVersion{0, 0, 9, 10};
             f.respuestas = {mrCancel};
         },
         "Mensaje:La Versión Instalada es Mayor que la Actual. ¿Deseas Continuar?", false},
        {"más nueva, sigue",
         [](Falso& f) {
             f.versiones[kPrograma + "CONTA.EXE"] = TypeVersion{0, 0, 9, 10};
             f.respuestas = {mrOk, mrNo};
         },
         "Mensaje:La Versión Instalada es Mayor que la Actual. ¿Deseas Continuar?", true},
        {"local, más nueva que la web",
         [](Falso& f) {
             f.d.ModoLocal = true;
             f.d.DirEjecutable = kPrograma;
             f.ficheros[kPrograma + "QTR.KAV"] = "x";
             f.versiones[kPrograma + "CONTA.EXE"] = TypeVersion{0, 0, 7, 10};
         },
         "Mensaje:La Versión Instalada es Mayor que la Version de la WEB, asegurate que te has descargado los dos "
         "ficheros para la instalacion local.",
         false},
        {"sin programa", [](Falso& f) { f.ficheros.erase(kPrograma + "CONTA.EXE"); },
         "Mensaje:No se encuentra el Fichero:\n\rC:\\Kavo\\Conta\\Programa\\CONTA.EXE", false},
    };
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        f.servidor["QTR.KAV"] = {};
        c.preparar(f);
        const std::string error = f.InstalarConError();
        EXPECT_TRUE(error == c.mensaje || f.Vio(c.mensaje)) << c.nombre << ": " << error;
        EXPECT_EQ(f.Vio("Extraer:" + f.run.DirDescargas() + "QTR.KAV"), c.extrae) << c.nombre;
        EXPECT_EQ(f.Vio("Bloquear"), f.Vio("Desbloquear")) << c.nombre;
    }
}

TEST(Extraccion, ActualizadorNuevoSeRecuerdaUnaVez) {
    Falso f = Actualizacion();
    f.ficheros[kPrograma + "Actualizador.exe"] = "viejo";
    f.versiones[kPrograma + "Actualizador.exe"] = TypeVersion{0, 0, 0, 1};
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\Actualizador.exe", teActualizador, "nuevo"},
                             {"Conta\\Otra\\Actualizador.exe", teActualizador, "otro"}};
    f.respuestas = {mrNo};
    f.run.Instalar();
    EXPECT_EQ(f.d.NuevoActualizador, kPrograma + "Actualizador.exe");
    EXPECT_EQ(f.d.VersionPrevia, (TypeVersion{0, 0, 0, 1}));
    EXPECT_EQ(f.ficheros[kPrograma + "Actualizador.exe"], "nuevo");
}

}  // namespace
