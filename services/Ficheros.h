// File and folder operations that notice what Windows lets fail quietly: a
// delete or rename that reports success while the file is still there, and a
// source that appears only moments after the previous step ended.
//
// A service that can fail returns false, or with `lanzar` set throws
// Exception with the service's Spanish text and the path. Paths are UTF-8.
#pragma once
#include <string>

// True when the file is gone. "Está siendo usado" when the file stays
// (open elsewhere, denied); the system's text + "\r\n" + path otherwise.
bool BorrarFichero(const std::string& ruta, bool lanzar);

// Waits up to about 15 s (processing window messages) for a late source,
// then renames (moves) it.
bool RenombrarFichero(const std::string& origen, const std::string& destino, bool lanzar);

// Copies, overwriting unless `fallarSiExiste`. On Windows 7 it first waits
// for a late source as RenombrarFichero does.
bool CopiarFichero(const std::string& origen, const std::string& destino, bool fallarSiExiste,
                   bool lanzar);

// Copies every file of the folder (and of its subfolders when asked) into
// the target, creating folders as needed; overwrites, raises nothing.
// A file that cannot be copied makes the result false but the others are
// still copied: the caller restores backups with it. Subfolders are left
// out when not asked for; links to folders are never followed.
bool CopiarDirectorio(const std::string& origen, const std::string& destino, bool subcarpetas);

// Deletes the folder's files (read-only and hidden ones too), its subfolders
// when asked, and the folder itself. Stops at the first entry that cannot be
// deleted (false); what went before stays deleted. A link to a folder is
// removed as a link: what it points to is never touched.
bool BorrarDirectorio(const std::string& carpeta, bool subcarpetas);

// True when the file cannot be opened for exclusive reading and writing
// (also for a missing or read-only file: callers test those first).
bool FicheroEnUso(const std::string& ruta);

// True when the file has the read-only attribute; false for a missing file.
bool FicheroSoloLectura(const std::string& ruta);

// Small checks the other services share.
bool FicheroExiste(const std::string& ruta);   // a file, not a folder
bool DirectorioExiste(const std::string& ruta);
// The file's modification time as days since 30 Dec 1899, local time (the
// archives' date form); false when there is no such file.
bool FechaModificacion(const std::string& ruta, double& dias);
// Now, in the same form.
double FechaHoraLocal();
// Creates the folder with every missing parent; true when it exists after.
bool ForzarDirectorios(const std::string& carpeta);
