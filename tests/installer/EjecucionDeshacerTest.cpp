// Undoing an update: a failure at any entry, an updater ended from outside
// and recovered at the next start, and the journals that are not followed.
#include "EjecucionFalsa.h"

namespace {

// The release 10.06 of the installed copy, every kind of change in it: a
// replaced program, libraries flat and in a subfolder, a replaced text, a
// new file in new folders, a new file beside the program.
std::vector<Entrada> Lanzamiento() {
    return {{"Conta\\Programa\\CONTA.EXE", teSiempre, "conta 10.06"},
            {"Conta\\Programa\\A.DLL", teSiempre, "a nuevo"},
            {"Conta\\Programa\\Util\\A.DLL", teSiempre, "util a nuevo"},
            {"Conta\\Programa\\NOTAS.TXT", teSiempre, "notas nuevas"},
            {"Conta\\Programa\\Nueva\\Dentro\\N.TXT", teSiempre, "n"},
            {"Conta\\Programa\\FINAL.TXT", teSiempre, "final"}};
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
        if (conActualizador) lanzamiento.insert(lanzamiento.begin() + 2, {"Conta\\Programa\\Actualizador.exe", teActualizador, "act nuevo"});
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
        copia.Iniciar(carpeta, kPrograma, "C:\\Kavo\\", "", f.producto.CarpetasInstalacion().permitidas);
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
        copia.Iniciar(kPrograma + "10.05", kPrograma, "C:\\Kavo\\", "", f.producto.CarpetasInstalacion().permitidas);
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
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\Util\\A.DLL", teSiempre, "util a nuevo"},
                             {"Conta\\Programa\\X.TXT", teSiempre, "x", 100, true}};
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

}  // namespace
