// The backup of an update and its journal: before the engine writes a file
// of the installation, what is there is made safe (moved into the backup
// folder, the journal line on disk first); a new file or folder is recorded
// so that it can go again. Undoing walks the journal backwards, in this run
// or in the next start after an updater that died. Portable: the files go
// through TEfectos.
#pragma once
#include <set>
#include <string>

#include "Diario.h"

class TEfectos;

// Where an update puts the running program's own file when the archive
// replaces it: beside it, until the program's next start deletes it.
std::string ProgramaApartado(const std::string& programa);

class TCopiaSeguridad {
public:
    explicit TCopiaSeguridad(TEfectos& efectos) : e_(efectos) {}

    // Starts the backup in `carpeta` (created, with an empty journal).
    // Files of `carpetaPlana` go flat into it; others keep their path below
    // `base` (the extraction folder) there, so that two files of the same
    // name cannot take each other's place. `programaPropio` is the running
    // program's file, which cannot be deleted with the backup folder.
    void Iniciar(const std::string& carpeta, const std::string& carpetaPlana, const std::string& base,
                 const std::string& programaPropio);
    bool Activa() const { return !carpeta_.empty(); }
    // Forgets an earlier run's backup (a confirmed or undone one).
    void Olvidar() { carpeta_.clear(); }
    const std::string& Carpeta() const { return carpeta_; }

    // Before the engine writes `ruta`. Raises when the file cannot be made
    // safe: the file must then not be written.
    void AntesDeEscribir(const std::string& ruta);
    // Before a file that stays in place (a settings file) is changed.
    void AntesDeModificar(const std::string& ruta);

    // The update is complete: the journal goes first (from then on nothing
    // is undone), then the backup folder.
    void Confirmar();
    // Puts the installation back. True when everything went back (the
    // backup folder is then removed); false keeps the folder and journal.
    bool Deshacer();

    // Undoes what the journal at `diario` records; the same rules, for the
    // journal of an updater that died. True when everything went back.
    static bool DeshacerDiario(TEfectos& efectos, const std::string& diario);

private:
    void Anotar(const TAsiento& asiento);
    std::string CopiaDe(const std::string& ruta);
    void AnotarCarpetasNuevas(const std::string& carpeta);

    TEfectos& e_;
    std::string carpeta_, plana_, base_, diario_, propio_;
    std::set<std::string> hechos_;  // paths already recorded (lower case)
};
