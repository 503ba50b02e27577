// A first installation, natively, through the recording fake of the system
// and the window: what each kind of entry writes where, what the user is
// asked at the end, and who may change the program folder afterwards.
#include "EjecucionFalsa.h"

namespace {

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
    f.servidor["BTRIEVE6.KAV"] = {{"Externos\\B6\\W3.DLL", teMotorBtrieve6, "w3"}, {"Externos\\PS\\W4.DLL", teMotorPsql, "w4"}};
    f.servidor["SOPORTE.KAV"] = {{"Conta\\Soporte\\S.TXT", teSinMasNuevo, "s"}};
    f.servidor["QTR.KAV"] = {
        {"Conta\\Programa\\CONTA.EXE", teSiempre, "conta"},     {"Conta\\Programa\\K2.TXT", teSiFalta, "nuevo"},
        {"Conta\\Programa\\K2NUEVO.TXT", teSiFalta, "nuevo"},   {"Conta\\Programa\\K8VIEJO.TXT", teSiMasViejo, "nuevo"},
        {"Conta\\Programa\\K8NUEVO.TXT", teSiMasViejo, "nuevo"},   {"Conta\\Programa\\K11VIEJO.TXT", teSinMasNuevo, "nuevo"},
        {"Conta\\Programa\\K11NUEVO.TXT", teSinMasNuevo, "nuevo"}, {"Conta\\Programa\\K3NUEVO.TXT", teMotorBtrieve6, "nuevo"},
        {"Conta\\Programa\\K4.TXT", teMotorPsql, "nuevo"},        {"Conta\\Datos\\K9.TXT", teDatos, "nuevo"},
        {"Conta\\Datos\\K9NUEVO.TXT", teDatos, "nuevo"},      {"Conta\\Programa\\K7.TXT", teOmitido, "nuevo"},
        {"Conta\\Programa\\K12.TXT", teOmitidoOtro, "nuevo"},      {"Conta\\Programa\\K13.BPL", tePaqueteAdicional, "nuevo"},
        {"Conta\\Programa\\RARO.BPL", tePaquete, "nuevo"},      {"Conta\\Programa\\KVBASE.BPL", tePaqueteSerie, "nuevo"},
    };
    f.run.Instalar();

    const std::map<std::string, std::string> esperados{
        {"Contab\\Programa\\CONTA.EXE", "conta"},     {"Contab\\Programa\\K2.TXT", "antes"},
        {"Contab\\Programa\\K2NUEVO.TXT", "nuevo"},   {"Contab\\Programa\\K8VIEJO.TXT", "nuevo"},
        {"Contab\\Programa\\K8NUEVO.TXT", "antes"},   {"Contab\\Programa\\K11VIEJO.TXT", "antes"},
        {"Contab\\Programa\\K11NUEVO.TXT", "nuevo"},  {"Contab\\Programa\\K3NUEVO.TXT", "nuevo"},
        {"Contab\\Datos\\K9.TXT", "antes"},           {"Contab\\Datos\\K9NUEVO.TXT", "nuevo"},
        {"Contab\\Programa\\KVBASE.BPL", "nuevo"},    {"Contab\\Soporte\\S.TXT", "s"},
        {"Contab\\Programa\\K13.BPL", "nuevo"},  // the product takes every additional package
        {"Externos\\B6\\W3.DLL", "w3"},
    };
    EXPECT_EQ(f.Bajo("C:\\Kavo\\"), esperados);
    // The package the module table does not know is refused, and the user told.
    EXPECT_TRUE(f.Vio("Mensaje:" + conta::MensajePaqueteDesconocido("RARO.BPL")));
    // Each file written reaches the product once, in the folder it went to,
    // in the order written; a refused entry never does.
    EXPECT_EQ(f.producto.extraidos, (std::vector<std::string>{
                             "C:\\Kavo\\Externos\\B6\\W3.DLL", "C:\\Kavo\\Contab\\Soporte\\S.TXT",
                             p + "CONTA.EXE", p + "K2NUEVO.TXT", p + "K8VIEJO.TXT", p + "K11NUEVO.TXT",
                             p + "K3NUEVO.TXT", datos + "K9NUEVO.TXT", p + "K13.BPL", p + "KVBASE.BPL"}));
    // The log counts them per archive.
    std::vector<std::string> fines;
    for (const auto& l : f.anotado)
        if (l.rfind("Extracción de ", 0) == 0) fines.push_back(l);
    EXPECT_EQ(fines, (std::vector<std::string>{
                         "Extracción de BTRIEVE6.KAV terminada con el código 1, 1 ficheros escritos",
                         "Extracción de SOPORTE.KAV terminada con el código 1, 1 ficheros escritos",
                         "Extracción de QTR.KAV terminada con el código 1, 8 ficheros escritos"}));
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
        {teMotorBtrieve6, tmBtrieve6, -0.3, true}, {teMotorBtrieve6, tmBtrieve6, 0.3, true}, {teMotorBtrieve6, tmBtrieve6, -1, false},
        {teMotorPsql, tmPsql12, -0.3, true},   {teMotorPsql, tmPsql12, -1, false},   {teSinMasNuevo, tmPsql12, -0.4, true},
        {teSinMasNuevo, tmPsql12, -1, false},
        // Written only over an older copy.
        {teSiMasViejo, tmPsql12, -0.3, false},  {teSiMasViejo, tmPsql12, 0.3, false},  {teSiMasViejo, tmPsql12, -1, true},
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
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "x"}};
        f.run.Instalar();
        std::vector<std::string> descargas;
        for (const auto& l : f.log)
            if (l.rfind("Descargar:", 0) == 0) descargas.push_back(l.substr(10));
        EXPECT_EQ(descargas, c.descargas) << int(c.motor) << c.externos;
        EXPECT_EQ(f.Vio("OfrecerMotor"), c.ofrece);
        EXPECT_EQ(f.Vio("Mensaje:Instalación Correcta"), !c.ofrece);
        EXPECT_EQ(f.Vio("CrearAccesos"), !c.externos);
        // Finished either way: the window closes without asking.
        EXPECT_EQ(f.d.Estado, esTerminado);
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
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "conta"}};
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
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "x"}};
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
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "conta"}};
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
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\A.DLL", teSiempre, "a nuevo"}};
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

}  // namespace

namespace {

// Each time the program's settings file is written by an extraction, the
// engine's keys go into it (not for Btrieve 6, whose section stays as the
// archive brought it) and the customer code back into the program folder;
// any other file changes nothing.
TEST(Instalacion, FicheroExtraidoDelProducto) {
    const std::string ini = "C:\\Kavo\\Conta\\Programa\\CONTA.INI";
    struct Caso {
        const char* nombre;
        TTipoMotor motor;
        uint32_t codigo;
        std::vector<std::string> log;
    };
    const Caso casos[] = {
        {"Conta\\Programa\\CONTA.INI", tmPsql12, 4711,
         {"IniBtrieve:" + ini, "RegistrarEn:C:\\Kavo\\Conta\\Programa\\CONTA.INI:4711"}},
        {"Conta\\Programa\\conta.ini", tmBtrieve12, 0, {"IniBtrieve:" + ini}},
        {"Conta\\Programa\\CONTA.INI", tmBtrieve6, 0, {}},
        {"Conta\\Programa\\CONTA.EXE", tmPsql12, 4711, {}},
    };
    for (const Caso& c : casos) {
        Falso f;
        f.d.TipoMotor = c.motor;
        f.d.CodigoCliente = c.codigo;
        f.destino = "C:\\Kavo";
        kav::TFileEntry entrada;
        entrada.Name = c.nombre;
        f.producto.FicheroExtraido(entrada, "C:\\Kavo\\Conta\\Programa\\");
        EXPECT_EQ(f.log, c.log) << c.nombre << " " << int(c.motor);
    }
}

}  // namespace
