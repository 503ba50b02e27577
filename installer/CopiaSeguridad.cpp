#include "CopiaSeguridad.h"

#include <optional>

#include "Confinamiento.h"
#include "EfectosFicheros.h"
#include "Exception.h"
#include "FormatoTexto.h"
#include "Registro.h"
#include "Rutas.h"

namespace {

// The folder of the backup where the running program's new copy is written
// before it takes its place, and where its old copy is staged to go back.
constexpr const char* kCarpetaPrograma = "Nuevo";

std::string TextoMarca(const std::string& carpeta) {
    return "Copia de seguridad de una actualización\r\n" + carpeta + "\r\n";
}

// Empty when `ruta` is one canonical path inside one of `carpetas` with no
// junction or other reparse point from that folder down to it (itself
// included); otherwise why not.
std::string Fuera(TEfectosFicheros& e, const std::string& ruta, const std::vector<std::string>& carpetas) {
    const std::optional<std::string> c = RutaCanonica(ruta);
    if (!c) return "La ruta " + ruta + " no es válida";
    for (const std::string& carpeta : carpetas) {
        const std::optional<std::string> raiz = RutaCanonica(carpeta);
        if (!raiz || !DentroDe(*c, *raiz)) continue;
        std::vector<std::string> pasos = CarpetasIntermedias(*raiz, *c);
        pasos.push_back(*c);
        for (const std::string& paso : pasos)
            if (e.PuntoDeReparse(paso)) return paso + " es un enlace a otro lugar";
        return {};
    }
    return "El fichero " + ruta + " está fuera de las carpetas de la instalación";
}

// Empty when the folder is a backup this updater made, inside the
// installation; otherwise why the journal in it is not followed.
std::string CarpetaNoValida(TEfectosFicheros& e, const std::string& carpeta,
                            const std::vector<std::string>& permitidas) {
    std::string motivo = Fuera(e, carpeta, permitidas);
    if (!motivo.empty()) return motivo;
    const std::string c = *RutaCanonica(carpeta);
    if (!NombreCarpetaCopia(NombreDe(c)) || e.LeerFichero(ConBarraFinal(c) + kFicheroMarca) != TextoMarca(c))
        return "La carpeta " + c + " no es una copia de seguridad hecha por el actualizador";
    return {};
}

// Empty when every line names a file of the installation and, for its copy,
// a file of this backup; otherwise the first that does not. The paths are
// left in their canonical spelling.
std::string AsientosNoValidos(TEfectosFicheros& e, std::vector<TAsiento>& asientos, const std::string& carpeta,
                              const std::vector<std::string>& permitidas) {
    for (TAsiento& a : asientos) {
        std::string motivo = Fuera(e, a.ruta, permitidas);
        if (motivo.empty() && DentroDe(*RutaCanonica(a.ruta), carpeta))
            motivo = "El fichero " + a.ruta + " está en la propia copia de seguridad";
        const bool conCopia = a.tipo == TipoAsiento::Movido || a.tipo == TipoAsiento::Copiado;
        if (motivo.empty() && conCopia) motivo = Fuera(e, a.copia, {carpeta});
        if (!motivo.empty()) return motivo;
        a.ruta = *RutaCanonica(a.ruta);
        if (conCopia) a.copia = *RutaCanonica(a.copia);
    }
    return {};
}

}  // namespace

std::string ProgramaApartado(const std::string& programa) { return programa + ".anterior"; }

bool NombreCarpetaCopia(const std::string& nombre) {
    if (nombre.size() != 5 || nombre[2] != '.') return false;
    for (size_t i : {0, 1, 3, 4})
        if (nombre[i] < '0' || nombre[i] > '9') return false;
    return true;
}

void TCopiaSeguridad::Iniciar(const std::string& carpeta, const std::string& carpetaPlana, const std::string& base,
                              const std::string& programaPropio, const std::vector<std::string>& permitidas) {
    permitidas_ = permitidas;
    const std::string motivo = Fuera(e_, carpeta, permitidas_);
    if (!motivo.empty()) throw Exception(motivo + ". Actualización Cancelada");
    carpeta_ = *RutaCanonica(carpeta);
    plana_ = ConBarraFinal(SinBarrasDobles(carpetaPlana));
    base_ = ConBarraFinal(SinBarrasDobles(base));
    propio_ = programaPropio;
    programaNuevo_.clear();
    diario_ = ConBarraFinal(carpeta_) + kFicheroDiario;
    hechos_.clear();
    e_.CrearCarpeta(carpeta_);
    // The marker before the journal: a journal is followed only beside it.
    e_.EscribirFichero(ConBarraFinal(carpeta_) + kFicheroMarca, TextoMarca(carpeta_));
    e_.AnexarDiario(diario_, "");
    ::Anotar("Copia de seguridad y diario en " + carpeta_);
}

void TCopiaSeguridad::Anotar(const TAsiento& asiento) { e_.AnexarDiario(diario_, LineaAsiento(asiento)); }

std::string TCopiaSeguridad::CopiaDe(const std::string& ruta) {
    const std::string carpeta = CarpetaDe(ruta);
    std::string destino = ConBarraFinal(carpeta_);
    if (!MismaRuta(carpeta, plana_)) {
        std::string relativa = EmpiezaSinMayusculas(carpeta, base_) ? carpeta.substr(base_.size()) : carpeta;
        for (char& c : relativa)
            if (c == ':') c = '_';
        destino += relativa;
    }
    return destino + NombreDe(ruta);
}

// The folders the engine will create for a new file, from the outermost:
// each one goes again when the update is undone and it is empty. A missing
// installation folder itself (a data folder not made yet) stays: a journal
// names only what lies inside them.
void TCopiaSeguridad::AnotarCarpetasNuevas(const std::string& carpeta) {
    std::vector<std::string> nuevas;
    for (std::string c = QuitarBarraFinal(carpeta); !c.empty() && !e_.DirectorioExiste(c) &&
                                                    Fuera(e_, c, permitidas_).empty();
         c = QuitarBarraFinal(CarpetaDe(c)))
        nuevas.push_back(c);
    for (auto c = nuevas.rbegin(); c != nuevas.rend(); ++c) {
        if (!hechos_.insert(Minusculas(*c) + "\\").second) continue;
        Anotar({TipoAsiento::Carpeta, *c, {}});
    }
}

std::string TCopiaSeguridad::AntesDeEscribir(const std::string& fichero) {
    std::string motivo = Fuera(e_, fichero, permitidas_);
    if (motivo.empty() && DentroDe(*RutaCanonica(fichero), carpeta_))
        motivo = "El fichero " + fichero + " está en la propia copia de seguridad";
    if (!motivo.empty()) throw Exception(motivo + ". Actualización Cancelada");
    const std::string ruta = *RutaCanonica(fichero);
    const bool programa = !propio_.empty() && MismaRuta(ruta, propio_);
    const std::string aparte = ConBarraFinal(ConBarraFinal(carpeta_) + kCarpetaPrograma);
    // A second entry for the same file finds this run's new copy: the
    // journal already says how to undo it.
    if (!hechos_.insert(Minusculas(ruta)).second) return programa ? aparte : CarpetaDe(ruta);
    if (!e_.FicheroExiste(ruta)) {
        AnotarCarpetasNuevas(CarpetaDe(ruta));
        Anotar({TipoAsiento::Nuevo, ruta, {}});
        return CarpetaDe(ruta);
    }
    const std::string copia = CopiaDe(ruta);
    e_.CrearCarpeta(CarpetaDe(copia));
    if (programa) {
        // The running program's own file cannot be overwritten while it
        // runs, and must never be missing or half written: the accounting
        // program starts the updater by this path. Its backup is a copy, on
        // disk before its line; the new copy is written aside and takes its
        // place whole once written (ColocarPrograma).
        if (!e_.CopiarFichero(ruta, copia)) throw Exception("No se puede copiar el Fichero\r\n" + ruta);
        Anotar({TipoAsiento::Copiado, ruta, copia});
        e_.CrearCarpeta(aparte);
        programaNuevo_ = aparte + NombreDe(ruta);
        ::Anotar("Copia de seguridad de " + ruta + " en " + copia + "; el nuevo se escribe en " + programaNuevo_);
        return aparte;
    }
    Anotar({TipoAsiento::Movido, ruta, copia});
    e_.MoverFichero(ruta, copia);
    ::Anotar("Copia de seguridad de " + ruta + " en " + copia);
    return CarpetaDe(ruta);
}

void TCopiaSeguridad::Retirar(const std::string& fichero) {
    AntesDeEscribir(fichero);
    // Still there when this run wrote it already (its line says how to undo
    // it): it goes now.
    if (e_.FicheroExiste(fichero)) e_.BorrarFichero(fichero, true);
}

void TCopiaSeguridad::AntesDeModificar(const std::string& fichero) {
    const std::string motivo = Fuera(e_, fichero, permitidas_);
    if (!motivo.empty()) throw Exception(motivo + ". Actualización Cancelada");
    const std::string ruta = *RutaCanonica(fichero);
    if (!e_.FicheroExiste(ruta) || !hechos_.insert(Minusculas(ruta)).second) return;
    const std::string copia = CopiaDe(ruta);
    e_.CrearCarpeta(CarpetaDe(copia));
    // The copy whole on disk before its line: a line names only a copy
    // that can be put back.
    if (!e_.CopiarFichero(ruta, copia)) throw Exception("No se puede copiar el Fichero\r\n" + ruta);
    Anotar({TipoAsiento::Copiado, ruta, copia});
}

void TCopiaSeguridad::ColocarPrograma() {
    if (programaNuevo_.empty() || !e_.FicheroExiste(programaNuevo_)) return;
    e_.ReemplazarPrograma(programaNuevo_, propio_, ProgramaApartado(propio_));
    ::Anotar("Nuevo " + propio_ + " en su sitio; el programa en marcha, en " + ProgramaApartado(propio_));
    programaNuevo_.clear();
}

void TCopiaSeguridad::Confirmar() {
    if (!Activa()) return;
    if (e_.BorrarDiario()) e_.BorrarDirectorio(carpeta_);
    ::Anotar("Actualización confirmada; copia de seguridad borrada");
    carpeta_.clear();
}

bool TCopiaSeguridad::Deshacer() {
    if (!Activa()) return true;
    std::string motivo;
    const bool ok = DeshacerDiario(e_, diario_, permitidas_, propio_, motivo) == ResultadoDeshacer::Restaurada;
    if (ok) carpeta_.clear();
    return ok;
}

ResultadoDeshacer TCopiaSeguridad::DeshacerDiario(TEfectosFicheros& e, const std::string& diario,
                                                  const std::vector<std::string>& permitidas,
                                                  const std::string& propio, std::string& motivo) {
    const std::string carpeta = QuitarBarraFinal(CarpetaDe(diario));
    motivo = CarpetaNoValida(e, carpeta, permitidas);
    if (motivo.empty() && e.PuntoDeReparse(diario)) motivo = diario + " es un enlace a otro lugar";
    std::vector<TAsiento> asientos;
    if (motivo.empty()) {
        try {
            asientos = LeerDiario(e.AbrirDiario(diario));
        } catch (const std::exception& error) {
            // Held by another updater, or not a plain file.
            ::Anotar("No se puede abrir el diario " + diario + ": " + error.what());
            motivo = error.what();
            return ResultadoDeshacer::Ocupada;
        }
        motivo = AsientosNoValidos(e, asientos, *RutaCanonica(carpeta), permitidas);
    }
    if (!motivo.empty()) {
        e.CerrarDiario();
        ::Anotar("Diario rechazado, sin cambiar nada: " + diario + ": " + motivo);
        return ResultadoDeshacer::Rechazada;
    }
    bool ok = true;
    auto paso = [&](const TAsiento& a, auto&& deshacer) {
        try {
            deshacer();
        } catch (const std::exception& error) {
            ::Anotar("No se ha podido deshacer " + LineaAsiento(a) + error.what());
            ok = false;
        }
    };
    // The running program's own file goes back last, whole, from its copy:
    // staged in the backup, then put in its place, so that its path never
    // names a missing or half-written updater.
    std::vector<TAsiento> programa;
    for (auto a = asientos.rbegin(); a != asientos.rend(); ++a) {
        if (!propio.empty() && MismaRuta(a->ruta, propio) && a->tipo != TipoAsiento::Carpeta) {
            programa.push_back(*a);
            continue;
        }
        paso(*a, [&] {
            switch (a->tipo) {
            case TipoAsiento::Movido:
                // No copy: the move never happened, or was undone already;
                // either way the file in place is the old one.
                if (!e.FicheroExiste(a->copia)) break;
                if (e.FicheroExiste(a->ruta)) e.BorrarFichero(a->ruta, true);
                e.MoverFichero(a->copia, a->ruta);
                ::Anotar("Restaurado " + a->ruta);
                break;
            case TipoAsiento::Copiado:
                if (e.FicheroExiste(a->copia) && !e.CopiarFichero(a->copia, a->ruta))
                    throw Exception("No se puede copiar el Fichero\r\n" + a->copia);
                break;
            case TipoAsiento::Nuevo:
                if (e.FicheroExiste(a->ruta)) {
                    e.BorrarFichero(a->ruta, true);
                    ::Anotar("Borrado el fichero nuevo " + a->ruta);
                }
                break;
            case TipoAsiento::Carpeta:
                // Not empty: something else lives there now, and stays.
                e.BorrarCarpetaVacia(a->ruta);
                break;
            }
        });
    }
    for (const TAsiento& a : programa) {
        paso(a, [&] {
            if (a.tipo == TipoAsiento::Nuevo || !e.FicheroExiste(a.copia)) return;
            std::string origen = a.copia;
            if (a.tipo == TipoAsiento::Copiado) {
                origen = ConBarraFinal(ConBarraFinal(carpeta) + kCarpetaPrograma) + NombreDe(a.ruta);
                e.CrearCarpeta(CarpetaDe(origen));
                if (!e.CopiarFichero(a.copia, origen)) throw Exception("No se puede copiar el Fichero\r\n" + a.copia);
            }
            e.ReemplazarPrograma(origen, a.ruta, ProgramaApartado(a.ruta));
            ::Anotar("Restaurado " + a.ruta + "; el programa en marcha, en " + ProgramaApartado(a.ruta));
        });
    }
    if (ok) {
        // The journal first: a backup folder without it is never undone again.
        ok = e.BorrarDiario();
        if (ok) e.BorrarDirectorio(carpeta);
    } else {
        e.CerrarDiario();
    }
    ::Anotar(ok ? "Instalación restaurada desde " + diario : "Restauración incompleta; se conserva " + diario);
    return ok ? ResultadoDeshacer::Restaurada : ResultadoDeshacer::Incompleta;
}
