// The backup of an update and its journal: before the engine writes a file
// of the installation, what is there is made safe (moved into the backup
// folder, the journal line on disk first); a new file or folder is recorded
// so that it can go again. Undoing walks the journal backwards, in this run
// or in the next start after an updater that died. Portable: the files go
// through the files seam, TEfectosFicheros.
//
// The journal is a list of orders another user of the machine could have
// written: it is followed only from a backup folder this updater made (named
// by a version, holding its marker, no junction on the way), and only when
// every line names a place inside the installation's folders; otherwise
// nothing is changed and the journal is kept for support.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "Diario.h"

class TEfectosFicheros;

// Where an update puts the running program's own file when the archive
// replaces it: beside it, until the program's next start deletes it.
std::string ProgramaApartado(const std::string& programa);

// The backup folder's name: the installed version's major.minor, "10.05".
bool NombreCarpetaCopia(const std::string& nombre);

// How a journal was walked back.
enum class ResultadoDeshacer {
    Restaurada,  // everything back; journal and backup folder gone
    Incompleta,  // something could not go back; journal and folder kept
    Rechazada,   // not followed at all: nothing changed, journal kept
    Ocupada,     // held open by another updater at work: left alone
};

class TCopiaSeguridad {
public:
    explicit TCopiaSeguridad(TEfectosFicheros& efectos) : e_(efectos) {}

    // Starts the backup in `carpeta` (created, with its marker and an empty
    // journal). Files of `carpetaPlana` go flat into it; others keep their
    // path below `base` (the extraction folder) there, so that two files of
    // the same name cannot take each other's place. `programaPropio` is the
    // running program's file. `permitidas`: the installation's folders,
    // the only places this update may change.
    void Iniciar(const std::string& carpeta, const std::string& carpetaPlana, const std::string& base,
                 const std::string& programaPropio, const std::vector<std::string>& permitidas);
    bool Activa() const { return !carpeta_.empty(); }
    // Forgets an earlier run's backup (a confirmed or undone one).
    void Olvidar() { carpeta_.clear(); }
    const std::string& Carpeta() const { return carpeta_; }

    // Before the engine writes `ruta`. Raises when the file cannot be made
    // safe, or lies outside the installation: it must then not be written.
    // Returns the folder the engine writes it to: its own, or for the
    // running program's file a folder in the backup, from which
    // ColocarPrograma puts it in place whole.
    std::string AntesDeEscribir(const std::string& ruta);
    // Removes a file of the installation: into the backup, its line first,
    // so that undoing puts it back. Raises when it cannot be made safe or
    // removed; it then stays.
    void Retirar(const std::string& ruta);
    // Before a file that stays in place (a settings file) is changed.
    void AntesDeModificar(const std::string& ruta);
    // After an archive's extraction: a new copy of the running program
    // written aside takes its place.
    void ColocarPrograma();

    // The update is complete: the journal goes first (from then on nothing
    // is undone), then the backup folder.
    void Confirmar();
    // Puts the installation back. True when everything went back (the
    // backup folder is then removed); false keeps the folder and journal.
    bool Deshacer();

    // Undoes what the journal at `diario` records, for the journal of an
    // updater that died; the same rules. The journal is held open from the
    // first read to its deletion. `motivo` says why a journal was refused.
    static ResultadoDeshacer DeshacerDiario(TEfectosFicheros& efectos, const std::string& diario,
                                            const std::vector<std::string>& permitidas,
                                            const std::string& programaPropio, std::string& motivo);

private:
    void Anotar(const TAsiento& asiento);
    std::string CopiaDe(const std::string& ruta);
    void AnotarCarpetasNuevas(const std::string& carpeta);

    TEfectosFicheros& e_;
    std::string carpeta_, plana_, base_, diario_, propio_;
    std::vector<std::string> permitidas_;
    std::string programaNuevo_;  // the running program's new copy, written aside
    std::set<std::string> hechos_;  // paths already recorded (lower case)
};
