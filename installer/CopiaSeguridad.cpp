#include "CopiaSeguridad.h"

#include "Ejecucion.h"
#include "Exception.h"
#include "FormatoTexto.h"
#include "Registro.h"
#include "Rutas.h"

std::string ProgramaApartado(const std::string& programa) { return programa + ".anterior"; }

void TCopiaSeguridad::Iniciar(const std::string& carpeta, const std::string& carpetaPlana, const std::string& base,
                              const std::string& programaPropio) {
    carpeta_ = QuitarBarraFinal(carpeta);
    plana_ = ConBarraFinal(SinBarrasDobles(carpetaPlana));
    base_ = ConBarraFinal(SinBarrasDobles(base));
    propio_ = programaPropio;
    diario_ = ConBarraFinal(carpeta_) + kFicheroDiario;
    hechos_.clear();
    e_.CrearCarpeta(carpeta_);
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
// each one goes again when the update is undone and it is empty.
void TCopiaSeguridad::AnotarCarpetasNuevas(const std::string& carpeta) {
    std::vector<std::string> nuevas;
    for (std::string c = QuitarBarraFinal(carpeta); !c.empty() && !e_.DirectorioExiste(c);
         c = QuitarBarraFinal(CarpetaDe(c)))
        nuevas.push_back(c);
    for (auto c = nuevas.rbegin(); c != nuevas.rend(); ++c) {
        if (!hechos_.insert(Minusculas(*c) + "\\").second) continue;
        Anotar({TipoAsiento::Carpeta, *c, {}});
    }
}

void TCopiaSeguridad::AntesDeEscribir(const std::string& fichero) {
    // An archive may spell a folder with doubled separators.
    const std::string ruta = SinBarrasDobles(fichero);
    // A second entry for the same file finds this run's new copy: the
    // journal already says how to undo it.
    if (!hechos_.insert(Minusculas(ruta)).second) return;
    if (!e_.FicheroExiste(ruta)) {
        AnotarCarpetasNuevas(CarpetaDe(ruta));
        Anotar({TipoAsiento::Nuevo, ruta, {}});
        return;
    }
    const std::string copia = CopiaDe(ruta);
    e_.CrearCarpeta(CarpetaDe(copia));
    if (!propio_.empty() && MismaRuta(ruta, propio_)) {
        // The running program's own file cannot be deleted while it runs,
        // so it must not end up in the backup folder, which goes at the end:
        // the backup gets a copy, and the file is renamed aside (a running
        // program can be renamed) for its next start to delete.
        Anotar({TipoAsiento::Copiado, ruta, copia});
        if (!e_.CopiarFichero(ruta, copia)) throw Exception("No se puede copiar el Fichero\r\n" + ruta);
        const std::string aparte = ProgramaApartado(ruta);
        if (e_.FicheroExiste(aparte)) e_.BorrarFichero(aparte, true);
        e_.MoverFichero(ruta, aparte);
        ::Anotar("Copia de seguridad de " + ruta + " en " + copia + "; el programa en marcha, en " + aparte);
        return;
    }
    Anotar({TipoAsiento::Movido, ruta, copia});
    e_.MoverFichero(ruta, copia);
    ::Anotar("Copia de seguridad de " + ruta + " en " + copia);
}

void TCopiaSeguridad::AntesDeModificar(const std::string& ruta) {
    if (!e_.FicheroExiste(ruta) || !hechos_.insert(Minusculas(ruta)).second) return;
    const std::string copia = CopiaDe(ruta);
    e_.CrearCarpeta(CarpetaDe(copia));
    Anotar({TipoAsiento::Copiado, ruta, copia});
    if (!e_.CopiarFichero(ruta, copia)) throw Exception("No se puede copiar el Fichero\r\n" + ruta);
}

void TCopiaSeguridad::Confirmar() {
    if (!Activa()) return;
    e_.CerrarDiario();
    if (e_.BorrarFichero(diario_, false)) e_.BorrarDirectorio(carpeta_);
    ::Anotar("Actualización confirmada; copia de seguridad borrada");
    carpeta_.clear();
}

bool TCopiaSeguridad::Deshacer() {
    if (!Activa()) return true;
    e_.CerrarDiario();
    const bool ok = DeshacerDiario(e_, diario_);
    if (ok) carpeta_.clear();
    return ok;
}

bool TCopiaSeguridad::DeshacerDiario(TEfectos& e, const std::string& diario) {
    const std::vector<TAsiento> asientos = LeerDiario(e.LeerFichero(diario));
    bool ok = true;
    for (auto a = asientos.rbegin(); a != asientos.rend(); ++a) {
        try {
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
        } catch (const std::exception& error) {
            ::Anotar("No se ha podido deshacer " + LineaAsiento(*a) + error.what());
            ok = false;
        }
    }
    if (ok) {
        // The journal first: a backup folder without it is never undone again.
        const std::string carpeta = QuitarBarraFinal(CarpetaDe(diario));
        ok = e.BorrarFichero(diario, false);
        if (ok) e.BorrarDirectorio(carpeta);
    }
    ::Anotar(ok ? "Instalación restaurada desde " + diario : "Restauración incompleta; se conserva " + diario);
    return ok;
}
