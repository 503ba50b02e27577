// The recording fake of the system and the window that the run's tests
// drive, with the accounting product's own class, and the installed copy
// the update tests start from.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>

#include "Desatendido.h"
#include "Ejecucion.h"
#include "Exception.h"
#include "FirmaFicheros.h"
#include "FormatoTexto.h"
#include "PoliticaFirmas.h"
#include "ProductoConta.h"
#include "Diario.h"
#include "Registro.h"

namespace {

struct Entrada {
    std::string nombre;  // as the archive stores it
    uint8_t tipo = teSiempre;
    std::string contenido;
    double fecha = 100;
    bool danada = false;  // its data fails while it is written
    std::string alternativo;  // a second name the same data is written under
    uint8_t tipoAlternativo = teSiempre;
};

// The accounting product as it is, but for the folders an installation may
// change when a test names them; each file written that reaches it is noted
// (whole path, in order) before the product takes it.
class ProductoDePrueba : public TProductoConta {
public:
    using TProductoConta::TProductoConta;
    std::vector<std::string> extraidos;
    std::optional<std::vector<std::string>> permitidas;
    TCarpetasInstalacion CarpetasInstalacion() override {
        TCarpetasInstalacion c = TProductoConta::CarpetasInstalacion();
        if (permitidas) c.permitidas = *permitidas;
        return c;
    }
    void FicheroExtraido(const kav::TFileEntry& entrada, const std::string& carpeta) override {
        extraidos.push_back(carpeta + entrada.Name.substr(entrada.Name.find_last_of('\\') + 1));
        TProductoConta::FicheroExtraido(entrada, carpeta);
    }
};

// The system and the window as the run sees them: files in a map, archives
// as lists of entries that the fake engine offers one by one, every visible
// act of every seam written to the one ordered `log`.
class Falso : public TEfectosFicheros,
              public TEfectosServidor,
              public TEfectosExtraccion,
              public TEfectosUsuario,
              public TEfectosProceso,
              public TVentanaEjecucion,
              public conta::TSistemaConta {
public:
    TDatosControlador d;
    ProductoDePrueba producto{d, Efectos(), *this};
    TEjecucion run{d, *this, producto, Efectos()};
    TEfectos Efectos() { return {*this, *this, *this, *this, *this}; }
    std::map<std::string, std::string> ficheros;
    std::map<std::string, double> fechas;
    std::map<std::string, TypeVersion> versiones;
    std::map<std::string, std::vector<Entrada>> servidor;  // archive name -> entries
    std::map<std::string, std::string> publicados;         // file name -> its real bytes (differences)
    std::map<std::string, std::string> fallosDescarga;     // archive name -> error text
    std::map<std::string, std::string> corruptos;          // archive name -> the engine's text on reading it
    std::set<std::string> sinCopia;                        // CopiarFichero fails for these
    std::set<std::string> sinMover;                        // MoverFichero fails onto these
    int64_t libre = -1;                                  // the drive's free bytes (-1: unknown)
    std::set<std::string> sinEscritura;                  // folders that refuse new files
    std::map<std::string, std::string> programasQueUsan;  // what the system says holds a file
    std::string diarioFallaEn;  // the journal cannot be written once it names this path
    // Every state of the files after each change, when asked: where the
    // process could be ended from outside.
    bool fotografiar = false;
    std::vector<std::map<std::string, std::string>> fotos;
    void Foto() {
        if (fotografiar) fotos.push_back(ficheros);
    }
    std::deque<int> respuestas;                            // answers to the next dialogs
    std::vector<std::string> log;
    std::string textoDir = "C:\\Kavo", destino;
    bool comprobar = true, informeFalla = false, terminada = false;
    int barra = 0, maximo = 100;
    uint32_t codigoRegistrado = 0;
    // Progress reports the fake download makes (progress, maximum), and the
    // report at which the user cancels (-1: none).
    std::vector<std::pair<uint32_t, uint32_t>> progresos{{0, 0}};
    int cancelarEn = -1;
    int64_t ahora = 0;  // seconds since 1970 UTC
    // Versions of the programs archives hold, by entry name (99.00 when not given).
    std::map<std::string, TypeVersion> versionesEnArchivo;

    Falso() {
        d.ListaDescargas = std::make_unique<std::set<std::string>>();
        d.CarpetaPrograma = "Conta";
        d.ArchivoPrincipal = "QTR.KAV";
    }

    // Files under a folder (recursively), relative.
    std::map<std::string, std::string> Bajo(const std::string& carpeta) const {
        std::map<std::string, std::string> r;
        for (const auto& [k, v] : ficheros)
            if (k.rfind(carpeta, 0) == 0) r[k.substr(carpeta.size())] = v;
        return r;
    }
    bool Vio(const std::string& linea) const { return std::find(log.begin(), log.end(), linea) != log.end(); }
    // Runs the install button; the error it ended with, empty when none (a
    // silent stop counts as none).
    std::string InstalarConError() {
        try {
            run.Instalar();
        } catch (const EAbort&) {
        } catch (const std::exception& e) {
            return e.what();
        }
        return {};
    }
    size_t Indice(const std::string& linea) const {
        return static_cast<size_t>(std::find(log.begin(), log.end(), linea) - log.begin());
    }

    // --- TEfectosFicheros ---
    bool FicheroExiste(const std::string& r) override { return ficheros.count(r) > 0; }
    bool DirectorioExiste(const std::string& r) override {
        std::string c = ConBarraFinal(r);
        return std::any_of(ficheros.begin(), ficheros.end(), [&](auto& f) { return f.first.rfind(c, 0) == 0; }) ||
               carpetas.count(c) > 0;
    }
    bool FicheroSoloLectura(const std::string& r) override { return soloLectura.count(r) > 0; }
    bool FicheroEnUso(const std::string& r) override { return enUso.count(r) > 0 || enEjecucion.count(r) > 0; }
    std::optional<double> FechaFichero(const std::string& r) override {
        if (!ficheros.count(r)) return std::nullopt;
        return fechas.count(r) ? fechas[r] : 0.0;
    }
    int64_t EspacioLibre(const std::string&) override { return libre; }
    bool CarpetaEscribible(const std::string& c) override { return !sinEscritura.count(c); }
    std::string ProgramasQueUsan(const std::string& r) override {
        return programasQueUsan.count(r) ? programasQueUsan[r] : "";
    }
    int64_t TamanoFichero(const std::string& r) override {
        return ficheros.count(r) ? static_cast<int64_t>(ficheros[r].size()) : 0;
    }
    TypeVersion VersionFichero(const std::string& r, bool lanzar) override {
        if (versiones.count(r)) return versiones[r];
        if (lanzar) throw Exception("sin versión\r\n\r\n" + r);
        return {};
    }
    void CrearCarpeta(const std::string& c) override { carpetas.insert(ConBarraFinal(c)); }
    void MoverFichero(const std::string& o, const std::string& dst) override {
        if (!ficheros.count(o)) throw Exception("no existe " + o);
        if (diarioAbierto.empty()) ++cambiosSinDiario;
        if (enUso.count(o) || sinMover.count(dst)) throw Exception("Está siendo usado\r\n" + o);
        ficheros[dst] = ficheros[o];
        ficheros.erase(o);
        if (enEjecucion.erase(o)) enEjecucion.insert(dst);
        log.push_back("Mover:" + o + ">" + dst);
        Foto();
    }
    bool CopiarFichero(const std::string& o, const std::string& dst) override {
        // A running program's image cannot be written over.
        if (!ficheros.count(o) || sinCopia.count(dst) || enEjecucion.count(dst)) return false;
        if (diarioAbierto.empty()) ++cambiosSinDiario;
        ficheros[dst] = ficheros[o];
        Foto();
        return true;
    }
    bool BorrarDirectorio(const std::string& carpeta) override {
        const std::string c = ConBarraFinal(carpeta);
        // A running program's file stays, and so does its folder.
        std::erase_if(ficheros, [&](auto& f) { return f.first.rfind(c, 0) == 0 && !enEjecucion.count(f.first); });
        log.push_back("BorrarDirectorio:" + carpeta);
        if (std::any_of(enEjecucion.begin(), enEjecucion.end(), [&](auto& r) { return r.rfind(c, 0) == 0; }))
            return false;
        std::erase_if(carpetas, [&](auto& s) { return s.rfind(c, 0) == 0; });
        return true;
    }
    bool BorrarFichero(const std::string& r, bool lanzar) override {
        if (enEjecucion.count(r)) {
            if (lanzar) throw Exception("No se puede eliminar el archivo: Está siendo usado por otra persona o programa\r\n" + r);
            return false;
        }
        if (diarioAbierto.empty()) ++cambiosSinDiario;
        ficheros.erase(r);
        log.push_back("Borrar:" + r);
        Foto();
        return true;
    }
    bool BorrarCarpetaVacia(const std::string& c) override {
        if (!Bajo(ConBarraFinal(c)).empty()) return false;
        carpetas.erase(ConBarraFinal(c));
        return true;
    }
    std::string LeerFichero(const std::string& r) override { return ficheros.count(r) ? ficheros[r] : ""; }
    std::unique_ptr<diferencias::TInstalado> VerFichero(const std::string& r) override {
        return ficheros.count(r) ? diferencias::InstaladoEnMemoria(ficheros[r]) : nullptr;
    }
    void EscribirFichero(const std::string& r, const std::string& contenido) override {
        ficheros[r] = contenido;
        Foto();
    }
    bool PuntoDeReparse(const std::string& r) override { return enlaces.count(r) > 0; }
    void ReemplazarPrograma(const std::string& nuevo, const std::string& programa,
                            const std::string& apartado) override {
        if (!ficheros.count(nuevo)) throw Exception("no existe " + nuevo);
        if (ficheros.count(programa)) {
            ficheros[apartado] = ficheros[programa];
            ficheros.erase(programa);
            if (enEjecucion.erase(programa)) enEjecucion.insert(apartado);
        }
        ficheros[programa] = ficheros[nuevo];
        ficheros.erase(nuevo);
        log.push_back("Reemplazar:" + nuevo + ">" + programa);
        Foto();
    }
    void AnexarDiario(const std::string& diario, const std::string& linea) override {
        if (!diarioFallaEn.empty() && linea.find(diarioFallaEn) != std::string::npos)
            throw Exception("disco lleno\r\n" + diario);
        diarioAbierto = diario;
        ficheros[diario] += linea;
        Foto();
        if (!linea.empty()) log.push_back("Diario:" + linea.substr(0, linea.size() - 2));
    }
    void CerrarDiario() override { diarioAbierto.clear(); }
    std::string AbrirDiario(const std::string& diario) override {
        if (enUso.count(diario) || !ficheros.count(diario)) throw Exception("Está siendo usado\r\n" + diario);
        diarioAbierto = diario;
        return ficheros[diario];
    }
    bool BorrarDiario() override {
        if (diarioAbierto.empty()) return false;
        ficheros.erase(diarioAbierto);
        log.push_back("Borrar:" + diarioAbierto);
        diarioAbierto.clear();
        Foto();
        return true;
    }
    std::vector<std::string> BuscarDiarios(const std::string& carpeta) override {
        std::vector<std::string> r;
        for (const auto& [k, v] : ficheros) {
            const std::string resto = k.rfind(carpeta, 0) == 0 ? k.substr(carpeta.size()) : "";
            const size_t barra = resto.find('\\');
            if (barra != std::string::npos && resto.substr(barra + 1) == kFicheroDiario) r.push_back(k);
        }
        return r;
    }
    void EscribirIni(const std::string& f, const std::string& s, const std::string& k,
                     const std::string& v) override {
        log.push_back("Ini:" + f + ":" + s + "/" + k + "=" + v);
        if (ficheros.count(f)) {
            ficheros[f] += "\r\n" + k + "=" + v;
            Foto();
        }
    }
    std::string CarpetaDescargas() override { return "T:\\Kavo\\Conta\\"; }
    std::string CarpetaFicheroCliente() override { return "T:\\Kavo\\Conta\\"; }
    // Access lists by path; a path in sinPermisos has none (a FAT drive).
    std::map<std::string, std::vector<permisos::TAce>> permisos;
    std::set<std::string> sinPermisos;
    permisos::TUsuario usuario{"S-1-5-21-1-2-3-1001", true};
    bool LeerPermisos(const std::string& r, std::vector<permisos::TAce>& lista, std::string& error) override {
        if (sinPermisos.count(r)) {
            error = "La solicitud no es compatible.";
            return false;
        }
        lista = permisos[r];
        return true;
    }
    std::string FijarPermisos(const std::string& c, const std::vector<permisos::TAce>& lista) override {
        if (sinPermisos.count(c)) return "La solicitud no es compatible.";
        log.push_back("Permisos:" + c);
        permisos[c] = lista;
        return {};
    }
    permisos::TUsuario UsuarioActual() override { return usuario; }
    // --- TEfectosServidor ---
    bool HayConexionInternet() override { return conexion; }
    void DescargarFichero(const std::string& base, const std::string& nombre, const std::string& carpeta,
                          const Progreso& progreso) override {
        log.push_back("Descargar:" + base + nombre);
        if (alDescargar) alDescargar(nombre);
        for (size_t i = 0; i < progresos.size(); ++i) {
            bool cancelar = false;
            if (static_cast<int>(i) == cancelarEn && nombre == d.ArchivoPrincipal) d.CancelarPedido = true;
            progreso(progresos[i].first, progresos[i].second, cancelar);
            if (cancelar) throw Exception("Error descargando URL: " + base + nombre);
        }
        if (fallosDescarga.count(nombre)) throw Exception(fallosDescarga[nombre]);
        if (publicados.count(nombre)) ficheros[carpeta + nombre] = publicados[nombre];
        else if (nombre.find("DIF_") != std::string::npos)
            throw EFicheroNoPublicado("Error descargando URL: " + base + nombre);
        if (servidor.count(nombre)) ficheros[carpeta + nombre] = "archivo " + nombre;
        // The user's cancel lands once the transfer has ended.
        if (cancelarEn == static_cast<int>(progresos.size()) && nombre == d.ArchivoPrincipal) d.CancelarPedido = true;
    }
    void AvisarServidor(const std::string& url) override {
        log.push_back("Avisar:" + url);
        if (informeFalla) throw Exception("sin respuesta");
    }
    std::map<std::string, CarpetaPublicada> carpetasFirma;  // where each local file's signature was looked for
    void ComprobarFirma(const std::string& r, CarpetaPublicada carpeta) override {
        log.push_back("Firma:" + r);
        carpetasFirma[r] = carpeta;
        Usar("Firma:", r);
        if (firmasMalas.count(r)) throw firma::EFirmaRechazada("Fichero " + r + " rechazado: falta su firma.");
    }
    void ComprobarFirmaPublicada(const std::string& url, const std::string& r) override {
        log.push_back("FirmaPublicada:" + url + ">" + r);
        if (fallosDescarga.count(url)) throw Exception(fallosDescarga[url]);
        if (firmasMalas.count(url)) throw firma::EFirmaRechazada("Fichero " + r + " rechazado: no coincide con su firma.");
    }
    std::string Servidor() override { return "http://v"; }
    // --- TEfectosExtraccion ---
    void FijarDestinoExtraccion(const std::string& c) override { destino = c; }
    std::string DestinoExtraccion() override { return destino; }
    // An archive the run wrote itself is real: the engine reads it.
    // Archives the run holds in memory, by path: not files.
    std::map<std::string, std::string> enMemoria;
    const std::string& BytesArchivo(const std::string& archivo) {
        return enMemoria.count(archivo) ? enMemoria[archivo] : ficheros[archivo];
    }
    std::vector<diferencias::TEntradaLeida> LeerArchivo(const std::string& archivo) override {
        log.push_back("Leer:" + archivo);
        const std::filesystem::path dir =
            std::filesystem::temp_directory_path() / ("ejecucion_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
        std::filesystem::create_directories(dir);
        const std::string ruta = (dir / "archivo.kav").string();
        std::ofstream(ruta, std::ios::binary) << BytesArchivo(archivo);
        auto r = diferencias::LeerArchivo(ruta, (dir / "trabajo").string());
        std::filesystem::remove_all(dir);
        return r;
    }
    std::string NombreArchivo(const std::string& archivo) {
        const std::string nombre = archivo.substr(archivo.find_last_of('\\') + 1);
        if (!servidor.count(nombre) && (ficheros.count(archivo) || enMemoria.count(archivo)) &&
            BytesArchivo(archivo).size() > 4)
            for (const auto& e : LeerArchivo(archivo))
                servidor[nombre].push_back({e.entrada.Name, e.entrada.FileType, e.datos, e.entrada.Date, false,
                                            e.entrada.AltName, e.entrada.AltFileType});
        return nombre;
    }
    TResultadoExtractor ExtraerArchivo(const std::string& archivo, TReceptorExtraccion& run) override {
        log.push_back("Extraer:" + archivo);
        Usar("Extraer:", archivo);
        const std::string nombre = NombreArchivo(archivo);
        for (const Entrada& e : servidor[nombre]) {
            kav::TFileEntry fe;
            fe.Name = e.nombre;
            fe.FileType = e.tipo;
            fe.Date = e.fecha;
            fe.AltName = e.alternativo;
            fe.AltFileType = e.alternativo.empty() ? 0 : e.tipoAlternativo;
            std::string carpeta = ConBarraFinal(destino) + e.nombre.substr(0, e.nombre.find_last_of('\\') + 1);
            bool aceptar = true;
            run.ExtraerFichero(fe, carpeta, aceptar);
            if (!aceptar) continue;
            // As the engine does: the alternative name is offered once the
            // entry is accepted, as an entry of its own kind.
            std::string segunda;
            if (!e.alternativo.empty()) {
                kav::TFileEntry alt = fe;
                alt.Name = e.alternativo;
                alt.FileType = e.tipoAlternativo;
                const size_t barra = e.alternativo.find_last_of('\\');
                std::string carpeta2 = ConBarraFinal(destino) + e.alternativo.substr(0, barra + 1);
                bool aceptar2 = true;
                run.ExtraerFichero(alt, carpeta2, aceptar2);
                if (aceptar2) segunda = carpeta2 + e.alternativo.substr(barra + 1);
            }
            const std::string ruta = carpeta + e.nombre.substr(e.nombre.find_last_of('\\') + 1);
            if (e.danada || enUso.count(ruta)) {
                // The engine's error decision, then its silent abort.
                run.ErrorExtraccion("CRC incorrecto");
                run.FinOperacion(TResultadoExtractor::Fallido);
                throw EAbort();
            }
            for (const std::string& r : {ruta, segunda}) {
                if (r.empty()) continue;
                ficheros[r] = e.contenido;
                fechas[r] = e.fecha;
            }
            Foto();
            // Once per entry, with its first destination, as the engine.
            run.FicheroExtraido(fe, carpeta);
        }
        run.FinOperacion(TResultadoExtractor::Terminado);
        return TResultadoExtractor::Terminado;
    }
    void CerrarArchivo() override { log.push_back("Cerrar"); }
    std::vector<kav::TFileEntry> ComprobarArchivo(const std::string& archivo,
                                                  const ProgresoLectura& progreso) override {
        log.push_back("Comprobar:" + archivo);
        Usar("Comprobar:", archivo);
        const std::string nombre = NombreArchivo(archivo);
        if (corruptos.count(nombre)) throw Exception(corruptos[nombre]);
        std::vector<kav::TFileEntry> r;
        for (const Entrada& e : servidor[nombre]) {
            // A report per entry read, as the engine's; asked to stop there,
            // the reading ends as the engine's does.
            bool cancelar = false;
            progreso(static_cast<int>((r.size() + 1) * 100 / servidor[nombre].size()), cancelar);
            if (cancelar) throw EAbort();
            kav::TFileEntry fe;
            fe.Name = e.nombre;
            fe.FileType = e.tipo;
            fe.Date = e.fecha;
            fe.Size = static_cast<int32_t>(e.contenido.size());
            fe.AltName = e.alternativo;
            fe.AltFileType = e.alternativo.empty() ? 0 : e.tipoAlternativo;
            r.push_back(fe);
        }
        return r;
    }
    void AbortarExtraccion() override { log.push_back("Abortar"); }
    TypeVersion VersionEnArchivo(const std::string&, const kav::TFileEntry& entrada) override {
        log.push_back("VersionEnArchivo:" + entrada.Name);
        return versionesEnArchivo.count(entrada.Name) ? versionesEnArchivo[entrada.Name] : TypeVersion{0, 0, 0, 99};
    }
    // The archives held now, and each use of an archive with whether it was
    // held then ("Comprobar:<ruta>:retenido").
    std::set<std::string> retenidos;
    std::vector<std::string> usos;
    void Usar(const char* que, const std::string& ruta) {
        usos.push_back(std::string(que) + ruta + (retenidos.count(ruta) ? ":retenido" : ":suelto"));
    }
    void RetenerArchivo(const std::string& archivo) override { retenidos.insert(archivo); }
    void RetenerEnMemoria(const std::string& archivo, std::string bytes) override {
        log.push_back("EnMemoria:" + archivo);
        enMemoria[archivo] = std::move(bytes);
        retenidos.insert(archivo);
    }
    void SoltarArchivos() override {
        retenidos.clear();
        enMemoria.clear();
        usos.push_back("Soltar");
    }
    // --- TEfectosUsuario ---
    int Mensaje(const std::string& texto, TipoMensaje, BotonesMensaje) override {
        log.push_back("Mensaje:" + texto);
        if (respuestas.empty()) return mrOk;
        int r = respuestas.front();
        respuestas.pop_front();
        return r;
    }
    void MensajePlano(const std::string& texto) override { log.push_back("Plano:" + texto); }
    // --- TEfectosProceso ---
    void TerminarAplicacion() override {
        terminada = true;
        log.push_back("Terminar");
    }
    bool IniciarPrograma(const std::string& programa) override {
        log.push_back("Iniciar:" + programa);
        return true;
    }
    std::function<void()> alProcesar;  // what the user does while messages are processed
    std::function<void(const std::string&)> alDescargar;  // at the start of each download
    void ProcesarMensajes() override {
        if (alProcesar) alProcesar();
    }
    std::string carpetaBloqueada;
    void Bloquear(const std::string& carpeta, bool) override {
        // As the lock says it: another updater holds the installation.
        if (ocupada) throw EFinEjecucion(TFinEjecucion::Bloqueada, "Ya hay otro usuario Actualizando el programa.");
        carpetaBloqueada = carpeta;
        log.push_back("Bloquear");
    }
    void Desbloquear() override { log.push_back("Desbloquear"); }
    void BloquearCarpeta(const std::string& c) override {
        if (bloqueoAjeno) throw Exception("Ya hay otro usuario Actualizando el programa.");
        log.push_back("Bloquear:" + c);
    }
    void BarraTareas(EstadoBarraTareas e) override {
        log.push_back(e == EstadoBarraTareas::Normal ? "Tareas:normal" : "Tareas:ninguno");
    }
    void ProgresoBarraTareas(int p, int m) override {
        log.push_back("Tareas:" + std::to_string(p) + "/" + std::to_string(m));
    }
    std::string FechaHoraActual() override { return "20/11/2026 10:00:00"; }
    int64_t Ahora() override { return ahora; }
    // A clock that stands still: every step takes no time.
    uint32_t TickCount() override { return 1000; }
    // Kept in order, and written to the real log too, where a test reads
    // the backup's lines among the run's.
    void Anotar(const std::string& texto) noexcept override {
        anotado.push_back(texto);
        ::Anotar(texto);
    }
    std::vector<std::string> anotado;

    // --- TVentanaEjecucion ---
    void PaginaDescargando() override { log.push_back("PaginaDescargando"); }
    void PaginaInstalando() override { log.push_back("PaginaInstalando"); }
    void PaginaEnReposo(bool r) override { log.push_back(r ? "Reposo:reiniciar" : "Reposo"); }
    void MostrarPagina(int i, bool) override { log.push_back("Pagina:" + std::to_string(i)); }
    std::string TextoDirPrograma() override { return textoDir; }
    std::string DirPrograma() override { return textoDir; }
    bool ComprobarActualizaciones() override { return comprobar; }
    void FijarDirInstalar(const std::string&) override {}
    void FijarTituloProgreso(const std::string& t) override { log.push_back("Titulo:" + t); }
    void FijarDescargado(uint32_t p, uint32_t m) override {
        log.push_back("Descargado:" + std::to_string(p) + "/" + std::to_string(m));
    }
    void FijarDeRuta(const std::string& p, const std::string& r) override { log.push_back("De:" + p + r); }
    void FijarFichero(const std::string&) override {}
    void MostrarCopiar() override {}
    void HabilitarCancelar(bool a) override { log.push_back(a ? "Cancelar:on" : "Cancelar:off"); }
    void DeshabilitarInstalar() override { log.push_back("InstalarOff"); }
    int PosicionBarra() override { return barra; }
    int MaximoBarra() override { return maximo; }
    void FijarMaximoBarra(int m) override { maximo = m; }
    void FijarPosicionBarra(int p) override { barra = p; }
    void CerrarVentana() override { log.push_back("Cerrar ventana"); }
    std::string VersionInformada() override { return "10.05"; }
    bool relanza = false;  // the archive brought a newer updater
    bool RelanzarActualizador() override {
        log.push_back("Relanzar");
        return relanza;
    }
    std::string IniPrograma() override { return ConBarraFinal(textoDir) + d.SubdirPrograma() + "CONTA.INI"; }
    void OfrecerMotor() override { log.push_back("OfrecerMotor"); }
    void LanzarInstaladorMotor() override { log.push_back("LanzarInstaladorMotor"); }
    void RegistrarCodigoCliente(uint32_t c) override { log.push_back("Registrar:" + std::to_string(c)); }
    uint32_t CodigoClienteRegistrado() override { return codigoRegistrado; }

    // --- conta::TSistemaConta ---
    // The data folders the program's settings name; the data folder by
    // default where a missing settings file puts it, beside the program.
    std::optional<std::string> dirDatos;
    std::string dirOtrosDatos = "D:\\Datos Conta\\";
    TypePathFilesConta LeerRutasConta(const std::string& base, const std::string& subruta,
                                      const std::string&) override {
        const std::string carpetaProducto = subruta.substr(0, subruta.find('\\') + 1);
        return {dirDatos.value_or(base + carpetaProducto + "Datos\\"), dirOtrosDatos + "Balances\\",
                dirOtrosDatos + "Memoria\\", dirOtrosDatos + "Deposito\\", dirOtrosDatos + "Generador\\"};
    }
    std::string escritorio = "U:\\Escritorio\\";
    std::string CarpetaEscritorio() override { return escritorio; }
    void CrearAccesoDirecto(const std::string& destino, const std::string&, const std::string&,
                            const std::string&) override {
        log.push_back("CrearAccesos");
        accesoA = destino;
    }
    std::string accesoA;  // what the desktop shortcut starts
    void EscribirIniBtrieve(const std::string& ini) override { log.push_back("IniBtrieve:" + ini); }
    std::string RutaIni() override { return IniPrograma(); }
    void GuardarCodigoCliente(const std::string& carpeta, const std::string& ini, uint32_t c) override {
        log.push_back("RegistrarEn:" + carpeta + ini + ":" + std::to_string(c));
    }
    TypeVersionesConta LeerVersionesInstaladas(const std::string&, const std::string&) override {
        return d.VersionesInstaladas;
    }

    std::set<std::string> soloLectura, enUso, carpetas, firmasMalas;
    std::set<std::string> enEjecucion;  // images of running programs: renamed, never deleted
    std::set<std::string> enlaces;      // junctions and other reparse points
    std::string diarioAbierto;
    bool bloqueoAjeno = false;  // another updater holds the installation's lock
    int cambiosSinDiario = 0;   // files changed while no journal was held open
    bool conexion = true;
    bool ocupada = false;
};

const std::string kPrograma = "C:\\Kavo\\Conta\\Programa\\";
const std::string kTemporal = "T:\\Kavo\\Conta\\";

// An installed copy of 10.05 in C:\Kavo\Conta\Programa\ updated to 10.06.
// Makes `f` the installed copy an update starts from.
inline void ComoActualizacion(Falso& f) {
    f.d.ModoActualizacion = true;
    f.d.DirEjecutable = kPrograma;
    f.d.NombreFicheroCliente = "CLI.VER";
    TypeVersion v{0, 0, 5, 10};
    f.d.VersionesInstaladas.FijarVersionFichero(99, v);
    TypeVersion w{0, 0, 6, 10};
    f.d.DatosWeb.FijarVersionFichero(99, w);
    f.d.DatosWeb.FijarCodigoCliente(99);
    f.versiones[kPrograma + "CONTA.EXE"] = v;
    f.ficheros[kPrograma + "CONTA.EXE"] = "conta 10.05";
    f.ficheros[kPrograma + "A.DLL"] = "a viejo";
    f.ficheros[kPrograma + "Util\\A.DLL"] = "util a viejo";
    f.ficheros[kPrograma + "B.DLL"] = "b viejo";
    f.ficheros[kPrograma + "NOTAS.TXT"] = "notas";
    f.codigoRegistrado = 4711;
}

inline Falso Actualizacion() {
    Falso f;
    ComoActualizacion(f);
    return f;
}

}  // namespace
