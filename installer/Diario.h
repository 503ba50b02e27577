// The journal of an update: one line for every change the update is about
// to make to the installation, written and on disk before the change, so
// that the installation can be put back exactly as it was after a failure,
// a cancel, or an updater that died halfway. It lives in the backup folder.
// Portable.
#pragma once
#include <string>
#include <vector>

// The journal's file name inside the backup folder.
inline constexpr const char* kFicheroDiario = "Actualizacion.diario";
// The marker the updater writes in a backup folder it makes, before the
// journal: a journal without it beside it is not followed.
inline constexpr const char* kFicheroMarca = "Actualizacion.copia";

enum class TipoAsiento {
    Movido,   // the file was moved into the backup; back: move the copy over it
    Copiado,  // a copy was taken, the file stays and may change; back: copy over it
    Nuevo,    // a file that did not exist; back: delete it
    Carpeta,  // a folder that did not exist; back: remove it when empty
};

struct TAsiento {
    TipoAsiento tipo;
    std::string ruta;
    std::string copia;  // Movido and Copiado only
    bool operator==(const TAsiento&) const = default;
};

// One line, with its line break: fields separated by tabs, which Windows
// never allows in a path.
std::string LineaAsiento(const TAsiento& asiento);

// Every whole record of a journal, in order. A last line without its line
// break is the record that was being written when the updater died: the
// change it announced was never started, so it is left out, as is any line
// that is not a record.
std::vector<TAsiento> LeerDiario(const std::string& contenido);
