// The start-up without its window: role × own INI × how the updater was
// started × what the vendor published → the archive chosen, local mode, the
// version label, the message, and what was fetched on the way.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

#include "Arranque.h"
#include "Exception.h"
#include "FirmaFicheros.h"
#include "ReglasInstalador.h"

namespace {

const TNombresLanzamiento kNombres{"CONTA.KAV", "CONTAACT.KAV", "CONTABETA.KAV", "BETA.INI",
                                   "CONTAV2.KAV", "V2.INI",     "http://kavo/conta/", "http://kavo/externos/"};
const std::string kDir = "C:\\Kavo\\Conta\\Programa\\";

// Descriptions as the vendor publishes them: the ones absent are not.
class Publicadas : public TDescripcionesPublicadas {
public:
    std::map<std::string, std::map<std::pair<std::string, std::string>, std::string>> ficheros;
    double ultimaBetaInstalada = 0;
    std::vector<std::string> descargadas;

    bool Descargar(const std::string& nombre) override {
        descargadas.push_back(nombre);
        return ficheros.count(nombre) != 0;
    }
    std::string Leer(const std::string& nombre, const std::string& seccion, const std::string& clave) override {
        auto& f = ficheros.at(nombre);
        auto v = f.find({seccion, clave});
        return v == f.end() ? "" : v->second;
    }
    bool ExisteSeccion(const std::string& nombre, const std::string& seccion) override {
        for (const auto& [clave, valor] : ficheros.at(nombre))
            if (clave.first == seccion) return true;
        return false;
    }
    double UltimaBetaInstalada() override { return ultimaBetaInstalada; }
};

struct Beta {
    const char* seccion;
    const char* series;
    const char* fecha;
};

struct Caso {
    const char* nombre;
    TRol rol;
    TIniPropio ini;
    bool archivoAlLado;      // the archive the INI names is beside the program
    bool argumento;          // the updater was handed its record
    bool siguiente;          // the release is the installed one's next
    bool localPorDialogo;    // the updater's local dialog chose local copies
    std::optional<Beta> beta;
    const char* seriesV2;    // nullptr: not published
    // expected
    const char* archivo;
    bool modoLocal;
    const char* version;
    bool aviso;
    std::vector<std::string> descargadas;
};

const TIniPropio kSinIni{};
const TIniPropio kLocal{true, true, "MIO.KAV"};
const TIniPropio kLocalSinNombre{false, true, ""};
const Beta kBeta1005{"10.05", "120;4711", "01/12/2026 10:00:00"};
const Beta kBeta1006{"10.06", "4711", "01/12/2026 10:00:00"};
const std::vector<std::string> kAmbas{"V2.INI", "BETA.INI"};

const Caso kCasos[] = {
    {"instalador_sin_nada", TRol::Instalador, kSinIni, false, false, false, false, std::nullopt, nullptr,
     "CONTA.KAV", false, "Versión 10.05", false, kAmbas},
    {"instalador_beta", TRol::Instalador, kSinIni, false, false, false, false, kBeta1005, nullptr, "CONTABETA.KAV",
     false, "Versión 10.05 BETA", false, kAmbas},
    {"instalador_beta_otro_cliente", TRol::Instalador, kSinIni, false, false, false, false,
     Beta{"10.05", "120;47", "01/12/2026 10:00:00"}, nullptr, "CONTA.KAV", false, "Versión 10.05", false, kAmbas},
    {"instalador_beta_ya_instalada", TRol::Instalador, kSinIni, false, false, false, false,
     Beta{"10.05", "4711", "30/11/2026 10:00:00"}, nullptr, "CONTA.KAV", false, "Versión 10.05", false, kAmbas},
    {"instalador_beta_de_otra_version", TRol::Instalador, kSinIni, false, false, false, false, kBeta1006, nullptr,
     "CONTA.KAV", false, "Versión 10.05", false, kAmbas},
    {"instalador_v2_antes_que_beta", TRol::Instalador, kSinIni, false, false, false, false, kBeta1005, "4711",
     "CONTAV2.KAV", false, "Versión 10.05 V2", false, {"V2.INI"}},
    {"instalador_v2_de_otros", TRol::Instalador, kSinIni, false, false, false, false, std::nullopt, "47;",
     "CONTA.KAV", false, "Versión 10.05", false, kAmbas},
    {"instalador_local", TRol::Instalador, kLocal, true, false, false, false, kBeta1005, "4711", "MIO.KAV", true,
     "Versión 10.05", false, {}},
    {"instalador_local_sin_nombre", TRol::Instalador, kLocalSinNombre, true, false, false, false, kBeta1005, nullptr,
     "CONTA.KAV", true, "Versión 10.05", false, {}},
    // The named archive is downloaded instead: no other release replaces it.
    {"instalador_local_sin_archivo", TRol::Instalador, kLocal, false, false, false, false, kBeta1005, nullptr,
     "MIO.KAV", false, "Versión 10.05", true, {}},
    {"instalador_local_sin_nombre_ni_archivo", TRol::Instalador, kLocalSinNombre, false, false, false, false,
     kBeta1005, nullptr, "CONTABETA.KAV", false, "Versión 10.05 BETA", true, kAmbas},
    // The INI beside an updater is not the updater's.
    {"actualizador_no_lee_ini", TRol::Actualizador, kLocal, true, false, false, false, std::nullopt, nullptr,
     "CONTA.KAV", false, "Versión 10.06", false, kAmbas},
    {"actualizador_siguiente", TRol::Actualizador, kSinIni, false, true, true, false, std::nullopt, nullptr,
     "CONTAACT.KAV", false, "Versión 10.06", false, kAmbas},
    {"actualizador_siguiente_sin_argumento", TRol::Actualizador, kSinIni, false, false, true, false, std::nullopt,
     nullptr, "CONTA.KAV", false, "Versión 10.06", false, kAmbas},
    {"actualizador_salto", TRol::Actualizador, kSinIni, false, true, false, false, std::nullopt, nullptr,
     "CONTA.KAV", false, "Versión 10.06", false, kAmbas},
    {"actualizador_beta_en_lugar_del_incremental", TRol::Actualizador, kSinIni, false, true, true, false, kBeta1006,
     nullptr, "CONTABETA.KAV", false, "Versión 10.06 BETA", false, kAmbas},
    {"actualizador_local", TRol::Actualizador, kSinIni, false, true, true, true, kBeta1006, "4711", "CONTA.KAV", true,
     "Versión 10.06", false, {}},
};

TEST(Arranque, TablaDeEleccion) {
    const RegistroLanzamiento registro{2026, 11, 20, 4711, 10, 5, tmBtrieve12};
    TypeVersionesConta web;
    web.FijarFecha(2026, 12, 1);
    web.FijarCodigoCliente(4711);
    web.FijarVersionFichero(99, TypeVersion{0, 0, 6, 10});
    for (const Caso& c : kCasos) {
        SCOPED_TRACE(c.nombre);
        Publicadas publicadas;
        publicadas.ultimaBetaInstalada = LeerFechaHora("30/11/2026 10:00:00");
        if (c.beta)
            publicadas.ficheros["BETA.INI"] = {{{c.beta->seccion, "SERIES"}, c.beta->series},
                                               {{"ACTUALIZACION", "ULTIMA_BETA"}, c.beta->fecha}};
        if (c.seriesV2) publicadas.ficheros["V2.INI"] = {{{"PROGRAMA", "SERIES"}, c.seriesV2}};
        std::vector<std::string> preguntados;
        const TInicio inicio = DecidirInicio(c.rol, kNombres, kDir, c.ini, [&](const std::string& ruta) {
            preguntados.push_back(ruta);
            return c.archivoAlLado;
        });
        TDatosControlador d;
        d.DirEjecutable = kDir;
        AplicarInicio(inicio, "Conta", d);
        EXPECT_EQ(d.ModoActualizacion, c.rol == TRol::Actualizador);
        EXPECT_EQ(inicio.aviso, c.aviso ? kMensajeSinDatosLocales : "");
        EXPECT_EQ(preguntados.size(), c.rol == TRol::Instalador && c.ini.local ? 1u : 0u);

        TLanzamientoAMano lanzamiento;
        std::string version;
        if (c.rol == TRol::Instalador) {
            lanzamiento = LanzamientoDeRegistro(AplicarDatosArchivo(CodificarDatosArchivo(registro), d));
            EXPECT_EQ(d.TipoMotor, tmBtrieve12);
            EXPECT_EQ(d.CodigoCliente, 4711u);
            version = EtiquetasDeRegistro(registro, "noviembre").version;
        } else {
            if (c.localPorDialogo) ActivarModoLocal(d);
            lanzamiento = LanzamientoDeDatosWeb(web);
            version = EtiquetasDeDatosWeb(web, "diciembre").version;
            d.ArchivoPrincipal =
                ArchivoDeActualizacion(d.ArchivoPrincipal, kNombres, c.argumento, d.ModoLocal, c.siguiente);
        }
        if (!d.ModoLocal) {
            const TEleccionLanzamiento e = EleccionLanzamiento(d.ArchivoPrincipal, kNombres, lanzamiento, publicadas);
            d.ArchivoPrincipal = e.archivo;
            version += e.sufijo;
        }
        EXPECT_EQ(d.ArchivoPrincipal, c.archivo);
        EXPECT_EQ(d.ModoLocal, c.modoLocal);
        EXPECT_EQ(d.UrlBaseProgramas, c.modoLocal ? kDir : kNombres.urlProgramas);
        EXPECT_EQ(d.UrlBaseExternos, c.modoLocal ? kDir : kNombres.urlExternos);
        EXPECT_EQ(d.ListaDescargas != nullptr, !inicio.modoLocal);
        EXPECT_EQ(version, c.version);
        EXPECT_EQ(publicadas.descargadas, c.descargadas);
    }
}

TEST(Arranque, RolPlataformaYEtiquetas) {
    EXPECT_EQ(RolSegunArchivo(0), TRol::Actualizador);
    EXPECT_EQ(RolSegunArchivo(4096), TRol::Instalador);
    for (int32_t p : {plSinRespuesta, plWin32s, plWindows9x, plWindowsNT, plWindowsCE})
        EXPECT_EQ(PlataformaAdmitida(p), p == plWindows9x || p == plWindowsNT) << p;

    // A record without a version shows none; the updater always shows one.
    const TEtiquetasLanzamiento r = EtiquetasDeRegistro({2025, 13, 1, 0, 0, 0, tmBtrieve6}, "");
    EXPECT_EQ(r.fecha, "1 de  del 2025");
    EXPECT_EQ(r.version, "");
    EXPECT_EQ(r.serie, 0u);
    TypeVersionesConta web;
    web.FijarFecha(2026, 12, 1);
    web.FijarCodigoCliente(7);
    const TEtiquetasLanzamiento w = EtiquetasDeDatosWeb(web, "diciembre");
    EXPECT_EQ(w.fecha, "1 de diciembre del 2026");
    EXPECT_EQ(w.version, "Versión 0.00");
    EXPECT_EQ(w.serie, 7u);
}

// The switches into the run: an attended run asks the user about the
// engine; an unattended one never installs an engine it was not told to.
TEST(Arranque, OpcionesDeLosSwitches) {
    using desatendido::Motor;
    struct Caso {
        std::vector<std::string> argumentos;
        bool retroceso;
        std::optional<Motor> motor;
    };
    const Caso casos[] = {
        {{}, false, std::nullopt},
        {{"/RETROCEDER"}, true, std::nullopt},
        {{"/MOTOR=servidor"}, false, std::nullopt},
        {{"/SILENT"}, false, Motor::No},
        {{"/VERYSILENT", "/MOTOR=cliente", "/RETROCEDER"}, true, Motor::Cliente},
    };
    for (const Caso& c : casos) {
        TDatosControlador d;
        AplicarOpciones(desatendido::InterpretarSwitches(c.argumentos), d);
        const std::string caso = c.argumentos.empty() ? "(ninguno)" : c.argumentos.front();
        EXPECT_EQ(d.PermitirRetroceso, c.retroceso) << caso;
        EXPECT_EQ(d.MotorDesatendido, c.motor) << caso;
    }
}

// The updater's per-installation record: handed over, fetched, or beside it
// in local mode; the end when there is neither server nor local copies.
TEST(Arranque, RegistroDelActualizador) {
    enum class Descarga { Bien, SinRed, FirmaRechazada, Abortada };
    enum class Sale { Bien, Firma, Aborto };
    struct Fila {
        const char* nombre;
        const char* argumento;
        bool enTemporal, alLado;
        uint32_t codigo;
        Descarga descarga;
        bool aceptaLocal;
        // expected
        Sale sale;
        const char* fichero;
        bool modoLocal;
        TFinEjecucion fin;
        const char* dialogo;  // the error the local dialog was shown; nullptr: not shown
        TComprobacionRegistro comprobacion;
    };
    using C = TComprobacionRegistro;
    const std::string kIni = "C:\\Kavo\\Conta\\Programa\\CONTA.INI";
    const std::string kSinCodigo = kMensajeSinCodigoCliente + kIni;
    const Fila filas[] = {
        {"entregado", "CLI4711.VER", true, false, 0, Descarga::Bien, false, Sale::Bien, "CLI4711.VER", false,
         TFinEjecucion::EnCurso, nullptr, C::ConFirmaPublicada},
        {"entregado_en_ambos", "CLI4711.VER", true, true, 0, Descarga::Bien, false, Sale::Bien, "CLI4711.VER", false,
         TFinEjecucion::EnCurso, nullptr, C::ConFirmaPublicada},
        {"de_una_actualizacion_local", "CLI4711.VER", false, true, 0, Descarga::Bien, false, Sale::Bien,
         "CLI4711.VER", true, TFinEjecucion::EnCurso, nullptr, C::AlLado},
        {"entregado_en_ninguno", "CLI4711.VER", false, false, 0, Descarga::Bien, false, Sale::Bien, "CLI4711.VER",
         false, TFinEjecucion::EnCurso, nullptr, C::ConFirmaPublicada},
        {"del_servidor", "", false, false, 4711, Descarga::Bien, false, Sale::Bien, "CLI4711.VER", false,
         TFinEjecucion::EnCurso, nullptr, C::EnSuDescarga},
        {"sin_red_local", "", false, false, 4711, Descarga::SinRed, true, Sale::Bien, "CLI4711.VER", true,
         TFinEjecucion::EnCurso, "Error descargando URL: x", C::AlLado},
        {"sin_red_ni_local", "", false, false, 4711, Descarga::SinRed, false, Sale::Bien, "CLI4711.VER", false,
         TFinEjecucion::SinConexion, "Error descargando URL: x", C::EnSuDescarga},
        {"sin_codigo_local", "", false, false, 0, Descarga::Bien, true, Sale::Bien, "", true, TFinEjecucion::EnCurso,
         kSinCodigo.c_str(), C::AlLado},
        {"sin_codigo_ni_local", "", false, false, 0, Descarga::Bien, false, Sale::Bien, "", false,
         TFinEjecucion::SinConexion, kSinCodigo.c_str(), C::EnSuDescarga},
        {"firma_rechazada", "", false, false, 4711, Descarga::FirmaRechazada, true, Sale::Firma, "", false,
         TFinEjecucion::EnCurso, nullptr, C::EnSuDescarga},
        {"abortada", "", false, false, 4711, Descarga::Abortada, true, Sale::Aborto, "", false, TFinEjecucion::EnCurso,
         nullptr, C::EnSuDescarga},
    };
    struct Fuente : TFuenteRegistroCliente {
        const Fila& f;
        std::vector<std::string> descargados;
        std::optional<std::string> dialogo;
        explicit Fuente(const Fila& fila) : f(fila) {}
        uint32_t CodigoRegistrado() override { return f.codigo; }
        void Descargar(const std::string& nombre) override {
            descargados.push_back(nombre);
            switch (f.descarga) {
            case Descarga::Bien: return;
            case Descarga::SinRed: throw Exception("Error descargando URL: x");
            case Descarga::FirmaRechazada: throw firma::EFirmaRechazada("firma de " + nombre);
            case Descarga::Abortada: Abort();
            }
        }
        bool OfrecerModoLocal(const std::string& error) override {
            dialogo = error;
            return f.aceptaLocal;
        }
        bool EnCarpetaTemporal(const std::string&) override { return f.enTemporal; }
        bool AlLado(const std::string&) override { return f.alLado; }
    };
    auto nombreDeCodigo = [](uint32_t codigo) { return "CLI" + std::to_string(codigo) + ".VER"; };
    for (const Fila& f : filas) {
        SCOPED_TRACE(f.nombre);
        Fuente fuente(f);
        TRegistroCliente r;
        Sale sale = Sale::Bien;
        try {
            r = ObtenerRegistroCliente(f.argumento, kIni, nombreDeCodigo, fuente);
        } catch (const firma::EFirmaRechazada&) {
            sale = Sale::Firma;
        } catch (const EAbort&) {
            sale = Sale::Aborto;
        }
        EXPECT_EQ(sale, f.sale);
        EXPECT_EQ(fuente.dialogo.has_value(), f.dialogo != nullptr);
        if (fuente.dialogo && f.dialogo) {
            EXPECT_EQ(*fuente.dialogo, f.dialogo);
        }
        // Handed over, the record is never fetched again.
        EXPECT_EQ(fuente.descargados.size(), *f.argumento == 0 && f.codigo != 0 ? 1u : 0u);
        if (sale != Sale::Bien) continue;
        TDatosControlador d;
        d.DirEjecutable = "C:\\Kavo\\Conta\\Programa\\";
        d.UrlBaseProgramas = "http://kavo/conta/";
        AplicarRegistroCliente(r, d);
        EXPECT_EQ(d.NombreFicheroCliente, f.fichero);
        EXPECT_EQ(r.iniciadoConArgumento, *f.argumento != 0);
        EXPECT_EQ(d.ModoLocal, f.modoLocal);
        EXPECT_EQ(d.UrlBaseProgramas, f.modoLocal ? d.DirEjecutable : "http://kavo/conta/");
        EXPECT_EQ(d.Fin, f.fin);
        EXPECT_EQ(r.comprobacion, f.comprobacion);
    }
}

}  // namespace
