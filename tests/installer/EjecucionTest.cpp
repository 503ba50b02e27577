// The run of an installation or update, natively, through a recording fake
// of the system and the window: what is downloaded, written, backed up and
// restored, what the user is told, in which order, and what state is left.
#include "EjecucionFalsa.h"

namespace {

// --- a first installation ------------------------------------------------------------

TEST(Instalacion, TiposDeEntradaYCarpetaElegida) {
    Falso f;
    f.d.CarpetaPrograma = "Contab";  // the user's product folder is not the archive's word
    f.d.TipoMotor = tmBtrieve6;
    f.d.CodigoCliente = 4711;
    const std::string p = "C:\\Kavo\\Contab\\Programa\\", datos = "C:\\Kavo\\Contab\\Datos\\";
    // Existing files: (path, content, date).
    for (auto [ruta, fecha] : std::vector<std::pair<std::string, double>>{
             {p + "K2.TXT", 50}, {p + "K8VIEJO.TXT", 50}, {p + "K8NUEVO.TXT", 500}, {p + "K11VIEJO.TXT", 50},
             {p + "K11NUEVO.TXT", 500}, {p + "K3NUEVO.TXT", 500}, {datos + "K9.TXT", 50}}) {
        f.ficheros[ruta] = "antes";
        f.fechas[ruta] = fecha;
    }
    f.servidor["BTRIEVE6.KAV"] = {{"Externos\\B6\\W3.DLL", 3, "w3"}, {"Externos\\PS\\W4.DLL", 4, "w4"}};
    f.servidor["SOPORTE.KAV"] = {{"Conta\\Soporte\\S.TXT", 11, "s"}};
    f.servidor["QTR.KAV"] = {
        {"Conta\\Programa\\CONTA.EXE", 1, "conta"},     {"Conta\\Programa\\K2.TXT", 2, "nuevo"},
        {"Conta\\Programa\\K2NUEVO.TXT", 2, "nuevo"},   {"Conta\\Programa\\K8VIEJO.TXT", 8, "nuevo"},
        {"Conta\\Programa\\K8NUEVO.TXT", 8, "nuevo"},   {"Conta\\Programa\\K11VIEJO.TXT", 11, "nuevo"},
        {"Conta\\Programa\\K11NUEVO.TXT", 11, "nuevo"}, {"Conta\\Programa\\K3NUEVO.TXT", 3, "nuevo"},
        {"Conta\\Programa\\K4.TXT", 4, "nuevo"},        {"Conta\\Datos\\K9.TXT", 9, "nuevo"},
        {"Conta\\Datos\\K9NUEVO.TXT", 9, "nuevo"},      {"Conta\\Programa\\K7.TXT", 7, "nuevo"},
        {"Conta\\Programa\\K12.TXT", 12, "nuevo"},      {"Conta\\Programa\\K13.BPL", 13, "nuevo"},
        {"Conta\\Programa\\RARO.BPL", 5, "nuevo"},      {"Conta\\Programa\\CONTA01.BPL", 6, "nuevo"},
    };
    f.run.Instalar();

    const std::map<std::string, std::string> esperados{
        {"Contab\\Programa\\CONTA.EXE", "conta"},     {"Contab\\Programa\\K2.TXT", "antes"},
        {"Contab\\Programa\\K2NUEVO.TXT", "nuevo"},   {"Contab\\Programa\\K8VIEJO.TXT", "nuevo"},
        {"Contab\\Programa\\K8NUEVO.TXT", "antes"},   {"Contab\\Programa\\K11VIEJO.TXT", "antes"},
        {"Contab\\Programa\\K11NUEVO.TXT", "nuevo"},  {"Contab\\Programa\\K3NUEVO.TXT", "nuevo"},
        {"Contab\\Datos\\K9.TXT", "antes"},           {"Contab\\Datos\\K9NUEVO.TXT", "nuevo"},
        {"Contab\\Programa\\CONTA01.BPL", "nuevo"},   {"Contab\\Soporte\\S.TXT", "s"},
        {"Externos\\B6\\W3.DLL", "w3"},
    };
    EXPECT_EQ(f.Bajo("C:\\Kavo\\"), esperados);
    // Downloads in their order, into the temporary folder, listed for the exit.
    std::vector<std::string> descargas;
    for (const auto& l : f.log)
        if (l.rfind("Descargar:", 0) == 0) descargas.push_back(l);
    EXPECT_EQ(descargas, (std::vector<std::string>{"Descargar:BTRIEVE6.KAV", "Descargar:QTR.KAV",
                                                   "Descargar:SOPORTE.KAV"}));
    EXPECT_EQ(*f.d.ListaDescargas,
              (std::set<std::string>{kTemporal + "BTRIEVE6.KAV", kTemporal + "QTR.KAV", kTemporal + "SOPORTE.KAV"}));
    const std::string ini = "C:\\Kavo\\Contab\\Programa\\CONTA.INI";
    const std::vector<std::string> final{"Avisar:http://v/roldawindows/instalacion.php?codcli=4711&kavoversion=10.05",
                                         "Ini:" + ini + ":ACTUALIZACION/COMPROBAR=0",
                                         "Ini:" + ini + ":ACTUALIZACION/ULTIMA_BETA=0",
                                         "Registrar:4711",
                                         "Pagina:0",
                                         "Mensaje:Instalación Correcta",
                                         "InstalarOff",
                                         "Desbloquear",
                                         "Tareas:ninguno"};
    ASSERT_GE(f.log.size(), final.size());
    EXPECT_EQ(std::vector<std::string>(f.log.end() - static_cast<long>(final.size()), f.log.end()), final);
    EXPECT_TRUE(f.Vio("CrearAccesos"));
    EXPECT_EQ(f.d.Estado, esTerminado);
}

// An existing file with the entry's own time, as the file system gives it
// back (a fraction of a second off either way), is neither older nor newer:
// every kind that looks at dates decides on whole seconds.
TEST(Instalacion, FechasComparadasAlSegundo) {
    const double fecha = 46000 + 9.0 / 24;
    struct Caso {
        uint8_t tipo;
        TTipoMotor motor;
        double segundos;  // the existing file's time, from the entry's
        bool escrita;
    };
    const Caso casos[] = {
        // Written unless the existing copy is older.
        {3, tmBtrieve6, -0.3, true}, {3, tmBtrieve6, 0.3, true}, {3, tmBtrieve6, -1, false},
        {4, tmPsql12, -0.3, true},   {4, tmPsql12, -1, false},   {11, tmPsql12, -0.4, true},
        {11, tmPsql12, -1, false},
        // Written only over an older copy.
        {8, tmPsql12, -0.3, false},  {8, tmPsql12, 0.3, false},  {8, tmPsql12, -1, true},
    };
    for (const Caso& c : casos) {
        Falso f;
        f.d.TipoMotor = c.motor;
        const std::string ruta = kPrograma + "F.TXT";
        f.ficheros[ruta] = "antes";
        f.fechas[ruta] = fecha + c.segundos / 86400;
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\F.TXT", c.tipo, "nuevo", fecha}};
        f.run.Instalar();
        EXPECT_EQ(f.ficheros[ruta], c.escrita ? "nuevo" : "antes") << int(c.tipo) << " " << c.segundos;
    }
}

TEST(Instalacion, FinalSegunMotorYExternos) {
    struct Caso {
        TTipoMotor motor;
        bool externos;  // an Externos folder takes the place of the external archives
        bool ofrece;
        std::vector<std::string> descargas;
    };
    const Caso casos[] = {
        {tmPsql12, false, true, {"PSQL.KAV", "QTR.KAV", "SOPORTE.KAV"}},
        {tmBtrieve12, false, true, {"BTRIEVE12.KAV", "QTR.KAV", "SOPORTE.KAV"}},
        {tmPsql12, true, false, {"QTR.KAV"}},
        {tmBtrieve6, false, false, {"BTRIEVE6.KAV", "QTR.KAV", "SOPORTE.KAV"}},
    };
    for (const Caso& c : casos) {
        Falso f;
        f.d.TipoMotor = c.motor;
        f.d.DescargarExternos = !c.externos;
        if (c.externos) f.carpetas.insert("C:\\Kavo\\Externos\\");
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "x"}};
        f.run.Instalar();
        std::vector<std::string> descargas;
        for (const auto& l : f.log)
            if (l.rfind("Descargar:", 0) == 0) descargas.push_back(l.substr(10));
        EXPECT_EQ(descargas, c.descargas) << int(c.motor) << c.externos;
        EXPECT_EQ(f.Vio("OfrecerMotor"), c.ofrece);
        EXPECT_EQ(f.Vio("Mensaje:Instalación Correcta"), !c.ofrece);
        EXPECT_EQ(f.Vio("CrearAccesos"), !c.externos);
    }
}

// The closing question starts the program where the run put it, also after a
// local first installation, whose DirEjecutable stays the installer's own
// folder (it holds only the archives); "No" closes the window.
TEST(Instalacion, AbrirElProgramaInstalado) {
    struct Caso {
        const char* nombre;
        bool actualizacion, local;
        int respuesta;
    };
    const Caso casos[] = {
        {"primera local", false, true, mrYes},
        {"primera", false, false, mrYes},
        {"actualizacion", true, false, mrYes},
        {"no", false, true, mrNo},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Falso f;
        f.d.ModoActualizacion = c.actualizacion;
        // Only the program's archive, and the question comes straight after
        // "Instalación Correcta".
        f.d.DescargarExternos = false;
        f.carpetas.insert("C:\\Kavo\\Externos\\");
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "conta"}};
        if (c.actualizacion) {
            f.ficheros[kPrograma + "CONTA.EXE"] = "conta 10.05";
            f.versiones[kPrograma + "CONTA.EXE"] = f.d.VersionesInstaladas.VersionFichero(99);
            f.d.NombreFicheroCliente = "CLI.VER";
        }
        if (c.local) {
            f.d.ModoLocal = true;
            f.d.DirEjecutable = "E:\\Instalador\\";
            f.ficheros["E:\\Instalador\\QTR.KAV"] = "archivo";
        }
        f.respuestas = {c.respuesta};
        if (!c.actualizacion) f.respuestas.push_front(mrOk);
        f.run.Instalar();
        if (!c.actualizacion) f.run.OfrecerAbrirPrograma();  // once the engine's server is in
        const std::string pregunta = std::string(c.actualizacion ? "Actualización" : "Instalación") +
                                     " Correcta\n\r\n\r¿Abrimos la Conta?";
        EXPECT_TRUE(f.Vio("Mensaje:" + pregunta));
        std::vector<std::string> iniciados;
        for (const auto& l : f.log)
            if (l.rfind("Iniciar:", 0) == 0) iniciados.push_back(l.substr(8));
        EXPECT_EQ(iniciados, c.respuesta == mrYes ? std::vector<std::string>{kPrograma + "CONTA.EXE"}
                                                  : std::vector<std::string>{});
        EXPECT_EQ(f.terminada, c.respuesta == mrYes);
        EXPECT_EQ(f.Vio("Cerrar ventana"), c.respuesta != mrYes);
    }
}

// Missing archives: the engine's is reported and skipped, the support one is
// skipped quietly, the program's ends the application.
TEST(Instalacion, ArchivosQueFaltan) {
    Falso f;
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "x"}};
    f.run.Instalar();
    EXPECT_TRUE(f.Vio("Mensaje:No se encuentra el Fichero:\n\r\n\rPSQL.KAV"));
    EXPECT_TRUE(f.Vio("OfrecerMotor"));

    Falso g;
    g.servidor["PSQL.KAV"] = {};
    g.run.Instalar();
    EXPECT_TRUE(g.Vio("Mensaje:No se encuentra el Fichero:\n\r\n\rQTR.KAV\n\r\n\rSe procederá a la cancelación de la "
                      "instalación"));
    EXPECT_TRUE(g.terminada);
    EXPECT_EQ(g.d.Resultado, rsError);
    EXPECT_FALSE(g.Vio("OfrecerMotor"));
    EXPECT_LT(g.Indice("Terminar"), g.Indice("Desbloquear"));
    EXPECT_TRUE(g.Vio("PaginaInstalando")) << "the last status stays in front";
}

// --- downloads -------------------------------------------------------------------------

TEST(Descargas, FallosYCancelaciones) {
    struct Caso {
        const char* nombre;
        const char* fallo;  // the program archive's download error, or nullptr
        int cancelarEn;     // progress report at which the user cancels
        const char* mensaje;
    };
    const Caso casos[] = {
        {"404", "Error descargando URL: http://v/QTR.KAV", -1, "Plano:Error descargando URL: http://v/QTR.KAV"},
        {"cancelar al 1%", nullptr, 1, nullptr},
        {"cancelar al 50%", nullptr, 2, nullptr},
        {"cancelar al 100%", nullptr, 3, nullptr},
    };
    for (const Caso& c : casos) {
        Falso f;
        f.d.ModoActualizacion = false;
        f.d.TipoMotor = tmBtrieve6;
        f.servidor["BTRIEVE6.KAV"] = {};
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "x"}};
        if (c.fallo) f.fallosDescarga["QTR.KAV"] = c.fallo;
        f.progresos = {{0, 0}, {10000, 1000000}, {500000, 1000000}, {1000000, 1000000}};
        f.cancelarEn = c.cancelarEn;
        f.ficheros[kTemporal + "QTR.KAV"] = "parcial";  // what the transfer left
        f.run.Instalar();
        std::vector<std::string> vistos;
        for (const auto& l : f.log)
            if (l.rfind("Plano:", 0) == 0 || l.rfind("Mensaje:", 0) == 0) vistos.push_back(l);
        EXPECT_EQ(vistos, c.mensaje ? std::vector<std::string>{c.mensaje} : std::vector<std::string>{}) << c.nombre;
        EXPECT_FALSE(f.ficheros.count(kTemporal + "QTR.KAV")) << c.nombre;
        EXPECT_FALSE(f.Vio("Descargar:SOPORTE.KAV")) << c.nombre;
        EXPECT_TRUE(f.Bajo("C:\\Kavo\\").empty()) << c.nombre;
        EXPECT_EQ(f.d.Estado, esReposo) << c.nombre;
        EXPECT_TRUE(f.Vio("Reposo:reiniciar")) << c.nombre;
        EXPECT_EQ(f.log.back(), "Tareas:ninguno") << c.nombre;
        EXPECT_TRUE(f.Vio("Desbloquear")) << c.nombre;
    }
}

// The last transfer has ended when the cancel is confirmed: the run stops
// all the same, and the archive it fetched goes.
TEST(Descargas, CancelarAlTerminarLaUltimaTransferencia) {
    Falso f;
    f.d.DescargarExternos = false;
    f.carpetas.insert("C:\\Kavo\\Externos\\");  // only the program archive is fetched
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "x"}};
    f.progresos = {{0, 0}, {1000000, 1000000}};
    f.cancelarEn = 2;
    f.run.Instalar();
    EXPECT_FALSE(f.Vio("Extraer:" + kTemporal + "QTR.KAV"));
    EXPECT_FALSE(f.ficheros.count(kTemporal + "QTR.KAV"));
    EXPECT_TRUE(f.Bajo("C:\\Kavo\\").empty());
    EXPECT_EQ(f.d.Estado, esReposo);
    EXPECT_TRUE(f.Vio("Desbloquear"));
    for (const auto& l : f.log) EXPECT_NE(l.rfind("Mensaje:", 0), 0u) << l;
}

// Whenever the run lets the window handle the user, it counts as busy: a
// close asked for then cancels, and never closes the window under the run.
TEST(Descargas, OcupadoEnCadaEsperaDeMensajes) {
    Falso f;
    f.d.TipoMotor = tmBtrieve6;
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "x"}};
    std::vector<TEstado> vistos;
    f.alProcesar = [&] { vistos.push_back(f.d.Estado); };
    f.run.Descargar();
    ASSERT_FALSE(vistos.empty());
    for (TEstado e : vistos) EXPECT_EQ(e, esDescargando);
}

TEST(Descargas, SinConexion) {
    Falso f;
    f.conexion = false;
    f.run.Instalar();
    EXPECT_TRUE(f.Vio("Mensaje:Imposible realizar conexión con el Servidor de KAVO.\n\rRevisa tu configuración de "
                      "Conexión a Internet."));
    EXPECT_FALSE(f.Vio("PaginaDescargando"));
    EXPECT_TRUE(f.Vio("Desbloquear"));
}

// The labels follow the transfer in steps of 100000 bytes.
TEST(Descargas, ProgresoPorPasosDeCienMil) {
    struct Paso {
        uint32_t progreso, maximo;
        int barra, maximoBarra;
        bool etiqueta;
        const char* tareas;  // what the taskbar button is told
    };
    const Paso pasos[] = {
        {0, 0, 0, 100, false, ""},  // size unknown: nothing moves
        // The maximum is taken, the bar stays, the button shows progress.
        {50000, 250000, 0, 250000, false, "Tareas:normal|Tareas:0/250000"},
        {99999, 250000, 0, 250000, false, ""},
        {100000, 250000, 100000, 250000, true, "Tareas:100000/250000"},
        {199999, 250000, 100000, 250000, false, ""},
        {250000, 250000, 250000, 250000, true, "Tareas:250000/250000"},
        {250000, 250000, 250000, 250000, false, ""},  // at the end: no further report
    };
    Falso f;
    for (const Paso& p : pasos) {
        f.log.clear();
        bool cancelar = true;
        f.run.ProgresoDescarga(p.progreso, p.maximo, cancelar);
        EXPECT_FALSE(cancelar);
        EXPECT_EQ(f.barra, p.barra) << p.progreso;
        EXPECT_EQ(f.maximo, p.maximoBarra) << p.progreso;
        EXPECT_EQ(f.Vio("Descargado:" + std::to_string(p.progreso) + "/" + std::to_string(p.maximo)), p.etiqueta)
            << p.progreso;
        std::string tareas;
        for (const auto& l : f.log)
            if (l.rfind("Tareas:", 0) == 0) tareas += (tareas.empty() ? "" : "|") + l;
        EXPECT_EQ(tareas, p.tareas) << p.progreso;
    }
    f.d.CancelarPedido = true;
    bool cancelar = false;
    f.run.ProgresoDescarga(1, 1, cancelar);
    EXPECT_TRUE(cancelar);
}

TEST(Cancelar, SegunElEstado) {
    struct Caso {
        TEstado estado;
        int respuesta;
        bool cancela, aborta, cierra;
    };
    const Caso casos[] = {
        {esReposo, mrOk, false, false, true},          {esTerminado, mrOk, false, false, true},
        {esDescargando, mrOk, true, false, false},     {esDescargando, mrCancel, false, false, false},
        {esExtrayendo, mrOk, true, true, false},       {esExtrayendo, mrCancel, false, false, false},
        // Between two archives: the next one must not start.
        {esExtraccionTerminada, mrOk, true, true, false},
    };
    for (const Caso& c : casos) {
        Falso f;
        f.d.Estado = c.estado;
        f.respuestas = {c.respuesta};
        f.run.Cancelar();
        EXPECT_EQ(f.d.CancelarPedido, c.cancela) << c.estado;
        EXPECT_EQ(f.Vio("Abortar"), c.aborta) << c.estado;
        EXPECT_EQ(f.d.Resultado, c.aborta ? rsCancelado : rsNinguno) << c.estado;
        EXPECT_EQ(f.Vio("Cerrar ventana"), c.cierra) << c.estado;
        EXPECT_EQ(f.Vio("Mensaje:Cancelar Instalación"), c.estado >= esDescargando) << c.estado;
    }
}

// A first installation extracts three archives; a cancel confirmed during any
// of them, or in the pump before one starts, stops the run there, also when
// the engine had already passed its last report and ends with 1.
TEST(Cancelar, EnCadaArchivoDeUnaPrimeraInstalacion) {
    const char* archivos[] = {"PSQL.KAV", "SOPORTE.KAV", "QTR.KAV"};
    for (bool antesDeEmpezar : {false, true}) {
        for (const char* cancelado : archivos) {
            SCOPED_TRACE(std::string(cancelado) + (antesDeEmpezar ? ", antes de empezar" : ", durante"));
            Falso f;
            f.servidor["PSQL.KAV"] = {{"Externos\\P\\P.DLL", 4, "p"}};
            f.servidor["SOPORTE.KAV"] = {{"Conta\\Soporte\\S.TXT", 11, "s"}};
            f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "conta"}};
            const std::string enCurso = (antesDeEmpezar ? "De:Extrayendo de: " : "Extraer:") + kTemporal + cancelado;
            bool hecho = false;
            f.alProcesar = [&] {
                if (hecho || std::find(f.log.begin(), f.log.end(), enCurso) == f.log.end()) return;
                hecho = true;
                f.respuestas = {mrOk};
                f.run.Cancelar();
            };
            f.run.Instalar();
            ASSERT_TRUE(hecho);
            EXPECT_TRUE(f.Vio("Abortar"));
            EXPECT_TRUE(f.Vio("Mensaje:Instalación Incorrecta"));
            EXPECT_FALSE(f.Vio("Mensaje:Instalación Correcta"));
            EXPECT_FALSE(f.Vio("OfrecerMotor"));
            EXPECT_EQ(f.d.Fin, TFinEjecucion::Cancelada);
            // No archive after the cancelled one is opened.
            bool despues = false;
            for (const char* a : archivos) {
                EXPECT_EQ(f.Vio("Extraer:" + kTemporal + a), !despues && !(antesDeEmpezar && a == cancelado)) << a;
                if (a == cancelado) despues = true;
            }
        }
    }
}

// --- updates ---------------------------------------------------------------------------

TEST(Actualizacion, CopiaDeSeguridadYFinal) {
    Falso f = Actualizacion();
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "conta 10.06"},
                             {"Conta\\Programa\\A.DLL", 1, "a nuevo"},
                             {"Conta\\Programa\\Util\\A.DLL", 1, "util a nuevo"},
                             {"Conta\\Programa\\A.DLL", 1, "a otra vez"},
                             {"Conta\\Programa\\NOTAS.TXT", 1, "notas nuevas"}};
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
        Entrada doble{"Conta\\Programa\\A.DLL", 1, "a nuevo"};
        doble.alternativo = "Conta\\Programa\\Util\\A.DLL";
        std::vector<Entrada> entradas{{"Conta\\Programa\\CONTA.EXE", 1, "conta 10.06"}, doble};
        if (falla) entradas.push_back({"Conta\\Programa\\ROTO.DLL", 1, "roto", 100, true});
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

// The release 10.06 of the installed copy, every kind of change in it: a
// replaced program, libraries flat and in a subfolder, a replaced text, a
// new file in new folders, a new file beside the program.
std::vector<Entrada> Lanzamiento() {
    return {{"Conta\\Programa\\CONTA.EXE", 1, "conta 10.06"},
            {"Conta\\Programa\\A.DLL", 1, "a nuevo"},
            {"Conta\\Programa\\Util\\A.DLL", 1, "util a nuevo"},
            {"Conta\\Programa\\NOTAS.TXT", 1, "notas nuevas"},
            {"Conta\\Programa\\Nueva\\Dentro\\N.TXT", 1, "n"},
            {"Conta\\Programa\\FINAL.TXT", 1, "final"}};
}

// The program folder's files and the folders the run created there.
std::pair<std::map<std::string, std::string>, std::set<std::string>> Arbol(const Falso& f) {
    std::set<std::string> carpetas;
    for (const std::string& c : f.carpetas)
        if (c.rfind(kPrograma, 0) == 0) carpetas.insert(c);
    return {f.Bajo(kPrograma), carpetas};
}

// An update that fails at the first, a middle or the last entry, for each
// way a file can fail: the program folder is exactly as before, new files
// and folders gone, replaced files of every kind back, the backup gone.
TEST(Deshacer, FalloEnCualquierEntradaDejaLoDeAntes) {
    enum class Fallo { Escritura, Abierto, Diario };
    const char* nombres[] = {"escritura", "fichero abierto", "diario"};
    for (Fallo fallo : {Fallo::Escritura, Fallo::Abierto, Fallo::Diario}) {
        for (size_t donde : {size_t{0}, size_t{3}, size_t{5}}) {
            Falso f = Actualizacion();
            const auto antes = Arbol(f);
            std::vector<Entrada> entradas = Lanzamiento();
            const std::string ruta = kPrograma + entradas[donde].nombre.substr(15);
            if (fallo == Fallo::Escritura) entradas[donde].danada = true;
            if (fallo == Fallo::Abierto) f.enUso.insert(ruta);
            f.servidor["QTR.KAV"] = entradas;
            if (fallo == Fallo::Diario) f.diarioFallaEn = ruta;
            const std::string caso = std::string(nombres[static_cast<int>(fallo)]) + " en " + std::to_string(donde);
            EXPECT_ANY_THROW(f.run.Instalar()) << caso;
            EXPECT_EQ(Arbol(f), antes) << caso;
            EXPECT_EQ(f.d.Resultado, rsError) << caso;
            EXPECT_TRUE(f.Vio("Desbloquear")) << caso;
            EXPECT_FALSE(f.Vio("Relanzar")) << caso;
        }
    }
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
        {"por un enlace", {"Conta\\Programa\\Util\\A.DLL", 1, "util a nuevo"},
         [](Falso& f) { f.enlaces.insert(kPrograma + "Util"); },
         kPrograma + "Util es un enlace a otro lugar. Actualización Cancelada"},
        {"copia de seguridad que es un enlace", {"Conta\\Programa\\B.DLL", 1, "b nuevo"},
         [](Falso& f) {
             f.enlaces.insert(kPrograma + "10.05");
             f.ficheros[kPrograma + "10.05\\OTRO.TXT"] = "de otro sitio";
         },
         kPrograma + "10.05 es un enlace a otro lugar. Actualización Cancelada"},
        {"datos fuera", {"X.DAT", 9, "x"}, [](Falso& f) { f.permitidas = {kPrograma}; },
         "El fichero C:\\Kavo\\Conta\\Datos\\X.DAT está fuera de las carpetas de la instalación. Actualización "
         "Cancelada"},
    };
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        c.preparar(f);
        const auto antes = f.Bajo("C:\\Kavo\\");
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\A.DLL", 1, "a nuevo"}, c.entrada};
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

// The journal line of a change is on disk before the change.
TEST(Deshacer, ElDiarioVaAntesDeCadaCambio) {
    Falso f = Actualizacion();
    f.ficheros[kPrograma + "CONTA.INI"] = "[ACTUALIZACION]";
    f.servidor["QTR.KAV"] = Lanzamiento();
    f.respuestas = {mrNo};
    f.run.Instalar();
    const std::string copias = kPrograma + "10.05\\";
    const std::vector<std::pair<std::string, std::string>> antesDe{
        {"Diario:K\t" + kPrograma + "CONTA.INI\t" + copias + "CONTA.INI", "Ini:" + kPrograma + "CONTA.INI"},
        {"Diario:M\t" + kPrograma + "A.DLL\t" + copias + "A.DLL", "Mover:" + kPrograma + "A.DLL>"},
        {"Diario:M\t" + kPrograma + "Util\\A.DLL\t" + copias + "Conta\\Programa\\Util\\A.DLL",
         "Mover:" + kPrograma + "Util\\A.DLL>"},
        {"Diario:C\t" + kPrograma + "Nueva", "Diario:C\t" + kPrograma + "Nueva\\Dentro"},
        {"Diario:N\t" + kPrograma + "Nueva\\Dentro\\N.TXT", "Diario:N\t" + kPrograma + "FINAL.TXT"},
    };
    for (const auto& par : antesDe) {
        // Named, not bound: a lambda may not capture a structured binding here.
        const std::string &linea = par.first, &cambio = par.second;
        const size_t i = f.Indice(linea);
        const auto j = std::find_if(f.log.begin(), f.log.end(), [&](auto& l) { return l.rfind(cambio, 0) == 0; });
        EXPECT_LT(i, f.log.size()) << linea;
        EXPECT_LT(i, static_cast<size_t>(j - f.log.begin())) << linea << " / " << cambio;
    }
    // Done: the journal went before the rest of the backup.
    EXPECT_LT(f.Indice("Borrar:" + copias + kFicheroDiario), f.Indice("BorrarDirectorio:" + kPrograma + "10.05"));
    EXPECT_LT(f.Indice("BorrarDirectorio:" + kPrograma + "10.05"), f.Indice("Relanzar"));
    EXPECT_EQ(f.ficheros[kPrograma + "NOTAS.TXT"], "notas nuevas");
}

// The updater ended from outside at every step of the extraction: the next
// start finds the journal and puts the installation back exactly as it
// was, says so, and a new update then runs to its end. When the release
// replaces the updater itself, every step also leaves a whole updater at
// the path the accounting program starts, and the next start, running from
// that very file, still puts everything back.
TEST(Deshacer, ActualizadorTerminadoSeRecuperaAlArrancar) {
    const std::string propio = kPrograma + "Actualizador.exe";
    for (bool conActualizador : {false, true}) {
        std::vector<Entrada> lanzamiento = Lanzamiento();
        if (conActualizador) lanzamiento.insert(lanzamiento.begin() + 2, {"Conta\\Programa\\Actualizador.exe", 10, "act nuevo"});
        auto preparar = [&](Falso& f) {
            if (!conActualizador) return;
            f.d.ProgramaPropio = propio;
            f.ficheros[propio] = "act viejo";
            f.enEjecucion = {propio};
        };
        Falso f = Actualizacion();
        preparar(f);
        const auto antes = f.Bajo(kPrograma);
        f.ficheros[kPrograma + "CONTA.INI"] = "[ACTUALIZACION]";
        f.servidor["QTR.KAV"] = lanzamiento;
        f.fotografiar = true;
        f.respuestas = {mrNo};
        f.run.Instalar();
        ASSERT_GT(f.fotos.size(), 10u);
        for (size_t i = 0; i < f.fotos.size(); ++i) {
            const std::string caso = std::string(conActualizador ? "con el actualizador, " : "") + "paso " + std::to_string(i);
            Falso g = Actualizacion();
            preparar(g);
            g.ficheros = f.fotos[i];
            if (conActualizador) {
                ASSERT_TRUE(g.ficheros.count(propio)) << "no updater to start at " << caso;
                EXPECT_TRUE(g.ficheros[propio] == "act viejo" || g.ficheros[propio] == "act nuevo") << caso;
                // What a killed run left aside is not running, and goes at start-up.
                g.ficheros.erase(ProgramaApartado(propio));
            }
            const bool habiaDiario = g.FicheroExiste(kPrograma + "10.05\\" + kFicheroDiario);
            g.run.Recuperar(kPrograma);
            auto despues = g.Bajo(kPrograma);
            if (habiaDiario) {
                // The running updater was put back under it, aside until the next start.
                despues.erase("Actualizador.exe.anterior");
                EXPECT_EQ(despues.erase("CONTA.INI"), 1u) << caso;
                EXPECT_EQ(g.ficheros[kPrograma + "CONTA.INI"], "[ACTUALIZACION]") << caso;
                EXPECT_EQ(despues, antes) << "killed at " << caso;
                EXPECT_TRUE(g.Vio("Mensaje:La última Actualización no terminó.\r\n\r\nSe ha restaurado la instalación "
                                  "tal como estaba antes. Ya puedes actualizar de nuevo."))
                    << caso;
            } else {
                EXPECT_TRUE(g.log.empty()) << "nothing to undo at " << caso;
            }
            // And the next update runs from there.
            g.servidor["QTR.KAV"] = lanzamiento;
            g.respuestas = {mrNo};
            g.run.Instalar();
            EXPECT_EQ(g.ficheros[kPrograma + "Nueva\\Dentro\\N.TXT"], "n") << caso;
            if (conActualizador) {
                EXPECT_EQ(g.ficheros[propio], "act nuevo") << caso;
            }
            EXPECT_FALSE(g.DirectorioExiste(kPrograma + "10.05")) << caso;
        }
    }
}

// A journal is followed only from a backup folder the updater made, and only
// when every line names a place inside the installation: otherwise nothing
// changes, the user is told which journal and why, and it stays for support.
TEST(Recuperar, DiarioQueNoSeSigue) {
    const std::string copias = kPrograma + "10.05\\";
    struct Caso {
        const char* nombre;
        std::string linea;                       // added to a sound journal
        std::function<void(Falso&)> preparar;   // what else was planted
        std::string carpeta = "10.05";          // where the journal is
        std::string motivo;                      // part of the message
    };
    const Caso casos[] = {
        {"fichero fuera", "N\tC:\\Users\\Ana\\victima.txt", {}, "10.05",
         "El fichero C:\\Users\\Ana\\victima.txt está fuera de las carpetas de la instalación"},
        {"copia fuera", "M\t" + kPrograma + "B.DLL\tC:\\Windows\\System32\\x.dll", {}, "10.05",
         "El fichero C:\\Windows\\System32\\x.dll está fuera de las carpetas de la instalación"},
        {"subiendo con ..", "N\t" + kPrograma + "..\\..\\..\\victima.txt", {}, "10.05", "no es válida"},
        {"la propia copia", "N\t" + copias + kFicheroMarca, {}, "10.05", "está en la propia copia de seguridad"},
        {"a través de un enlace", "N\t" + kPrograma + "Util\\A.DLL",
         [](Falso& f) { f.enlaces.insert(kPrograma + "Util"); }, "10.05", kPrograma + "Util es un enlace a otro lugar"},
        {"carpeta que es un enlace", "", [](Falso& f) { f.enlaces.insert(kPrograma + "10.05"); }, "10.05",
         kPrograma + "10.05 es un enlace a otro lugar"},
        {"carpeta sin marca", "", [](Falso& f) { f.ficheros.erase(kPrograma + "10.05\\" + kFicheroMarca); }, "10.05",
         "no es una copia de seguridad hecha por el actualizador"},
        {"otra carpeta", "", {}, "Complementos", "no es una copia de seguridad hecha por el actualizador"},
        {"diario que es un enlace", "", [&](Falso& f) { f.enlaces.insert(copias + kFicheroDiario); }, "10.05",
         copias + kFicheroDiario + " es un enlace a otro lugar"},
    };
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        f.ficheros["C:\\Users\\Ana\\victima.txt"] = "de otro usuario";
        // A sound journal of an updater that died after moving A.DLL aside.
        const std::string carpeta = kPrograma + c.carpeta;
        TCopiaSeguridad copia(f);
        copia.Iniciar(carpeta, kPrograma, "C:\\Kavo\\", "", f.permitidas);
        copia.AntesDeEscribir(kPrograma + "A.DLL");
        f.CerrarDiario();
        const std::string diario = carpeta + "\\" + kFicheroDiario;
        if (!c.linea.empty()) f.ficheros[diario] += c.linea + "\r\n";
        if (c.preparar) c.preparar(f);
        const auto antes = f.ficheros;
        f.log.clear();
        f.run.Recuperar(kPrograma);
        EXPECT_EQ(f.ficheros, antes) << c.nombre;
        ASSERT_EQ(f.log.size(), 3u) << c.nombre;  // locked, told, released
        EXPECT_EQ(f.log[1].rfind("Mensaje:Se ha encontrado un diario de actualización que no se ha seguido:\r\n\r\n" +
                                     diario + "\r\n\r\n",
                                 0),
                  0u)
            << c.nombre << ": " << f.log[1];
        EXPECT_NE(f.log[1].find(c.motivo), std::string::npos) << c.nombre << ": " << f.log[1];
        EXPECT_NE(f.log[1].find("el diario se conserva"), std::string::npos) << c.nombre;
        EXPECT_EQ(f.log[2], "Desbloquear") << c.nombre;
    }
}

// Recovery runs under the installation's lock with the journal held open to
// its deletion; a second updater that finds the lock taken leaves the
// journal and every file to the one at work.
TEST(Recuperar, BajoElBloqueoYConElDiarioAbierto) {
    for (bool otroActualizador : {false, true}) {
        Falso f = Actualizacion();
        const auto antes = f.Bajo(kPrograma);
        TCopiaSeguridad copia(f);
        copia.Iniciar(kPrograma + "10.05", kPrograma, "C:\\Kavo\\", "", f.permitidas);
        copia.AntesDeEscribir(kPrograma + "A.DLL");
        copia.AntesDeEscribir(kPrograma + "Util\\A.DLL");
        f.ficheros[kPrograma + "A.DLL"] = "a a medias";
        f.CerrarDiario();
        f.log.clear();
        f.bloqueoAjeno = otroActualizador;
        const auto planta = f.ficheros;
        f.run.Recuperar(kPrograma);
        if (otroActualizador) {
            EXPECT_EQ(f.ficheros, planta);
            EXPECT_TRUE(f.log.empty());
            continue;
        }
        EXPECT_EQ(f.Bajo(kPrograma), antes);
        EXPECT_EQ(f.log.front(), "Bloquear:C:\\Kavo\\");
        EXPECT_EQ(f.log.back(), "Desbloquear");
        EXPECT_EQ(f.cambiosSinDiario, 0) << "every file went back with the journal held";
    }
}

// A restore that cannot put a file back keeps the backup and its journal,
// says where, and the next update refuses to delete that only copy; once
// the obstacle is gone, the next start puts everything back.
TEST(Deshacer, RestauracionFallidaConservaLaCopia) {
    Falso f = Actualizacion();
    const auto antes = f.Bajo(kPrograma);
    f.sinMover.insert(kPrograma + "Util\\A.DLL");
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\Util\\A.DLL", 1, "util a nuevo"},
                             {"Conta\\Programa\\X.TXT", 1, "x", 100, true}};
    EXPECT_THROW(f.run.Instalar(), EAbort);
    EXPECT_FALSE(f.Vio("BorrarDirectorio:" + kPrograma + "10.05"));
    EXPECT_EQ(f.ficheros[kPrograma + "10.05\\Conta\\Programa\\Util\\A.DLL"], "util a viejo");
    EXPECT_TRUE(f.Vio("Mensaje:No se han podido restaurar todos los ficheros reemplazados.\r\n\r\nLa copia de "
                      "seguridad se conserva en:\r\n\r\n" +
                      kPrograma + "10.05"));
    try {
        f.run.Instalar();
        ADD_FAILURE() << "the second update must not start";
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Una actualización anterior no se pudo deshacer", 0), 0u) << e.what();
    }
    EXPECT_EQ(f.ficheros[kPrograma + "10.05\\Conta\\Programa\\Util\\A.DLL"], "util a viejo");
    f.sinMover.clear();
    f.log.clear();
    f.run.Recuperar(kPrograma);
    EXPECT_EQ(f.Bajo(kPrograma), antes);
}

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
        f.servidor["PSQL.KAV"] = {{"Externos\\P\\P.DLL", 4, "p"}};
        f.servidor["SOPORTE.KAV"] = {{"Conta\\Soporte\\S.TXT", 11, "s"}};
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "conta 10.06"}};
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
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "conta 10.06"},
                                 {"Conta\\Programa\\A.DLL", 1, "a nuevo nuevo"},
                                 {"Conta\\Programa\\NOTAS.TXT", 1, "notas nuevas"},
                                 {"Conta\\Programa\\B.DLL", 2, "b nunca"},
                                 {"Conta\\Programa\\Nueva\\N.TXT", 1, "n"}};
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
         {"Inicio de la Actualización en " + kPrograma, "QTR.KAV: 15 bytes en ",
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
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\A.DLL", 1, "a nuevo"},
                                 {"Conta\\Programa\\X.TXT", 1, "x", 100, c.danada}};
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
    f.servidor["QTR.KAV"] = {{"Conta\\\\Programa\\\\A.DLL", 1, "a nuevo"}};
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
        {"copia del actualizador", {"Conta\\Programa\\Actualizador.exe", 10, "act nuevo"}, false},
        {"como paquete", {"Conta\\Programa\\Actualizador.exe", 5, "act nuevo"}, false},
        {"y la actualización falla", {"Conta\\Programa\\Actualizador.exe", 10, "act nuevo"}, true},
    };
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        const std::string propio = kPrograma + "Actualizador.exe";
        f.d.ProgramaPropio = propio;
        f.ficheros[propio] = "act viejo";
        f.enEjecucion.insert(propio);
        f.ficheros[ProgramaApartado(propio)] = "de una actualización anterior";
        f.servidor["QTR.KAV"] = {c.entrada, {"Conta\\Programa\\B.DLL", 1, "b nuevo", 100, c.falla}};
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
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\A.DLL", 1, "a nuevo"},
                                 {"Conta\\Programa\\Actualizador.exe", 10, "act traido"}};
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
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\A.DLL", 1, "a nuevo"}};
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
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "nuevo"}};
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
    g.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "nuevo"}};
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
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "nuevo"}};
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

// A close confirmed while the archives are checked, before the first file
// changes: the run is busy at every pump, stops without extracting, and
// leaves the installation as it was and the page idle, whether the archives
// were downloaded or taken from the folder.
TEST(Actualizacion, CancelarMientrasSeComprueban) {
    for (bool local : {false, true}) {
        Falso f = Actualizacion();
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "nuevo"}};
        if (local) {
            f.d.ModoLocal = true;
            f.d.DirEjecutable = kPrograma;
            f.ficheros[kPrograma + "QTR.KAV"] = "x";
        }
        std::vector<TEstado> vistos;
        f.alProcesar = [&] {
            vistos.push_back(f.d.Estado);
            if (!f.log.empty() && f.log.back().rfind("De:Comprobando: ", 0) == 0) f.d.CancelarPedido = true;
        };
        const auto antes = f.ficheros;
        f.run.Instalar();
        ASSERT_TRUE(f.d.CancelarPedido) << local;
        for (TEstado e : vistos) EXPECT_NE(e, esReposo) << local;
        EXPECT_FALSE(f.Vio("Extraer:" + f.run.DirDescargas() + "QTR.KAV")) << local;
        for (const auto& [ruta, bytes] : antes)
            if (ruta.find("QTR.KAV") == std::string::npos) {
                EXPECT_EQ(f.ficheros[ruta], bytes) << local << " " << ruta;
            }
        EXPECT_EQ(f.d.Estado, esReposo) << local;
        EXPECT_EQ(f.Vio("Bloquear"), f.Vio("Desbloquear")) << local;
    }
}

TEST(Extraccion, ActualizadorNuevoSeRecuerdaUnaVez) {
    Falso f = Actualizacion();
    f.ficheros[kPrograma + "Actualizador.exe"] = "viejo";
    f.versiones[kPrograma + "Actualizador.exe"] = TypeVersion{0, 0, 0, 1};
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\Actualizador.exe", 10, "nuevo"},
                             {"Conta\\Otra\\Actualizador.exe", 10, "otro"}};
    f.respuestas = {mrNo};
    f.run.Instalar();
    EXPECT_EQ(f.d.NuevoActualizador, kPrograma + "Actualizador.exe");
    EXPECT_EQ(f.d.VersionPrevia, (TypeVersion{0, 0, 0, 1}));
    EXPECT_EQ(f.ficheros[kPrograma + "Actualizador.exe"], "nuevo");
}

// An unattended run's exit code is the run's own end, named where the run
// decides it: whatever the message says ("... Cancelada" is written on many
// failures the user never asked for).
TEST(Fin, CadaFinalConSuCodigoDeSalida) {
    struct Caso {
        const char* nombre;
        std::function<void(Falso&)> preparar;
        int codigo;
    };
    const Caso casos[] = {
        {"correcta", [](Falso&) {}, 0},
        {"programa de sólo lectura", [](Falso& f) { f.soloLectura.insert(kPrograma + "CONTA.EXE"); }, 9},
        {"fichero a reemplazar de sólo lectura", [](Falso& f) { f.soloLectura.insert(kPrograma + "A.DLL"); }, 9},
        {"disco lleno", [](Falso& f) { f.libre = 1; }, 9},
        {"copia anterior sin deshacer", [](Falso& f) { f.ficheros[kPrograma + "10.05\\" + kFicheroDiario] = "x"; }, 9},
        {"sin escritura en la carpeta", [](Falso& f) { f.sinEscritura.insert(kPrograma); }, 9},
        {"entrada dañada al extraer",
         [](Falso& f) { f.servidor["QTR.KAV"].push_back({"Conta\\Programa\\MALA.DLL", 1, "m", 100, true}); }, 9},
        {"en uso", [](Falso& f) { f.enUso.insert(kPrograma + "A.DLL"); }, 6},
        {"programa en uso", [](Falso& f) { f.enUso.insert(kPrograma + "CONTA.EXE"); }, 6},
        {"archivo dañado", [](Falso& f) { f.corruptos["QTR.KAV"] = "CRC incorrecto"; }, 4},
        {"firma local",
         [](Falso& f) {
             f.d.ModoLocal = true;
             f.d.DirEjecutable = kPrograma;
             f.ficheros[kPrograma + "QTR.KAV"] = "x";
             f.firmasMalas.insert(kPrograma + "QTR.KAV");
         },
         5},
        {"descarga", [](Falso& f) { f.fallosDescarga["QTR.KAV"] = "Error descargando URL: http://v/QTR.KAV"; }, 3},
        {"descarga cancelada",
         [](Falso& f) {
             f.progresos = {{0, 0}, {10000, 1000000}};
             f.cancelarEn = 1;
         },
         1},
        {"cancelada mientras se comprueba",
         [](Falso& f) {
             f.alProcesar = [&f] {
                 if (!f.log.empty() && f.log.back().rfind("De:Comprobando: ", 0) == 0) f.d.CancelarPedido = true;
             };
         },
         1},
        {"sin conexión", [](Falso& f) { f.conexion = false; }, 2},
        {"instalada más nueva, no sigue",
         [](Falso& f) {
             f.versiones[kPrograma + "CONTA.EXE"] = TypeVersion{0, 0, 9, 10};
             f.respuestas = {mrCancel};
         },
         7},
        {"bloqueada", [](Falso& f) { f.ocupada = true; }, 8},
        {"falta el archivo del programa", [](Falso& f) { f.servidor.erase("QTR.KAV"); }, 9},
    };
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "conta 10.06"},
                                 {"Conta\\Programa\\A.DLL", 1, "a nuevo"}};
        f.respuestas = {mrNo};
        c.preparar(f);
        try {
            f.run.Instalar();
        } catch (const std::exception&) {
        }
        EXPECT_EQ(desatendido::CodigoDeFin(f.d.Fin), c.codigo) << c.nombre;
    }
}

// --- who may change the program folder ----------------------------------------------------

// The run's log, as support reads it.
std::string RegistroDe(Falso& f) {
    const std::string ruta = ::testing::TempDir() + "ejecucion_permisos.log";
    std::remove(ruta.c_str());
    Registro().FijarRuta(ruta);
    try {
        f.run.Instalar();
    } catch (const EAbort&) {
    }
    Registro().FijarRuta("");
    std::ifstream in(ruta, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(Permisos, UnaPrimeraInstalacionProtegeLaCarpetaDelPrograma) {
    struct Caso {
        const char* nombre;
        bool administrador;
        bool fat;  // the drive keeps no access lists
        const char* enRegistro;
    };
    const std::string programa = QuitarBarraFinal(kPrograma);
    for (const Caso& c : {Caso{"administrador", true, false, "los usuarios la leen y ejecutan"},
                          Caso{"usuario", false, false, "Instalación sin derechos de administrador: el usuario "
                                                        "S-1-5-21-1-2-3-1001 también puede modificar"},
                          Caso{"fat", true, true, "No se pudieron fijar los permisos de C:\\Kavo\\Conta\\Programa: "
                                                  "La solicitud no es compatible."}}) {
        Falso f;
        f.d.TipoMotor = tmBtrieve6;
        f.usuario.administrador = c.administrador;
        if (c.fat) f.sinPermisos.insert(programa);
        f.servidor["BTRIEVE6.KAV"] = {};
        f.servidor["SOPORTE.KAV"] = {};
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "conta"}};
        const std::string registro = RegistroDe(f);
        EXPECT_NE(registro.find(c.enRegistro), std::string::npos) << c.nombre << "\n" << registro;
        // Set before the first file is written, so every file inherits it.
        const auto permisos = std::find(f.log.begin(), f.log.end(), "Permisos:" + programa);
        EXPECT_EQ(permisos == f.log.end(), c.fat) << c.nombre;
        if (permisos != f.log.end())
            EXPECT_LT(permisos - f.log.begin(),
                      std::find(f.log.begin(), f.log.end(), "Extraer:" + kTemporal + "BTRIEVE6.KAV") - f.log.begin());
        if (!c.fat) EXPECT_EQ(f.permisos[programa], permisos::PermisosCarpetaPrograma(f.usuario)) << c.nombre;
        // The run goes on either way.
        EXPECT_EQ(f.ficheros[kPrograma + "CONTA.EXE"], "conta") << c.nombre;
        EXPECT_EQ(f.d.Fin, TFinEjecucion::Correcta) << c.nombre;
    }
}

TEST(Permisos, UnaActualizacionAvisaDeUnaCarpetaQueTodosPuedenModificar) {
    using permisos::TAce;
    using permisos::TipoAce;
    const std::string programa = QuitarBarraFinal(kPrograma);
    struct Caso {
        const char* nombre;
        std::vector<TAce> lista;
        bool sinPermisos;
        const char* enRegistro;  // empty: no line about it
    };
    const Caso casos[] = {
        {"heredada de C:\\",
         {{permisos::kUsuariosAutenticados, TipoAce::Permitir, permisos::kModificar, permisos::kHeredado}},
         false,
         "Aviso: todos los usuarios pueden modificar la carpeta del programa C:\\Kavo\\Conta\\Programa: "
         "Usuarios autentificados (modificar)"},
        {"protegida", permisos::PermisosCarpetaPrograma({"S-1-5-21-9", false}), false, ""},
        {"sin listas", {}, true, "No se pudieron leer los permisos de C:\\Kavo\\Conta\\Programa"},
    };
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        f.permisos[programa] = c.lista;
        if (c.sinPermisos) f.sinPermisos.insert(programa);
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\A.DLL", 1, "a nuevo"}};
        f.respuestas = {mrNo};
        const std::string registro = RegistroDe(f);
        if (*c.enRegistro)
            EXPECT_NE(registro.find(c.enRegistro), std::string::npos) << c.nombre << "\n" << registro;
        else
            EXPECT_EQ(registro.find("Aviso: todos los usuarios"), std::string::npos) << c.nombre << "\n" << registro;
        // A warning, not a refusal; and an update never changes the list.
        EXPECT_EQ(f.ficheros[kPrograma + "A.DLL"], "a nuevo") << c.nombre;
        EXPECT_FALSE(f.Vio("Permisos:" + programa)) << c.nombre;
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
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\A.DLL", 1, "a nuevo"}};
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
