// What the database engine page asks of the system: the universal form of a
// path, the engine installer's window, and the engine keys of the program's
// settings file.
#pragma once
#include <functional>
#include <optional>
#include <string>

#include "MotorBaseDatos.h"

// The universal form of a path: one on a drive letter mapped to a network
// share becomes \\server\share\...; any other path comes back unchanged.
std::string RutaUniversal(const std::string& ruta);

// The question behind RutaUniversal: the universal name of a path on a
// network drive, nothing for any other path. The system answers
// (WNetGetUniversalNameW) unless a test installed its own answer; returns the
// previous one, an empty function restores the system's.
using ConsultaRutaUniversal = std::function<std::optional<std::string>(const std::string& ruta)>;
ConsultaRutaUniversal FijarConsultaRutaUniversal(ConsultaRutaUniversal consulta);

// The desktop's top-level windows, as the watch over the engine installer
// asks about them.
class VentanasEscritorio : public VentanasSistema {
public:
    bool Buscar(const std::string& titulo) override;
    std::optional<std::string> TextoSegundoStatic() override;

private:
    void* encontrada_ = nullptr;
};

// Points the program's settings file at the engine, section "BTRIEVE": for
// the PSQL 12 and Btrieve 12 engines (`variante` false) PERVASIVE=1,
// FILEVERSION=6, NAMEDLL=W3BTRV7; the other variant PERVASIVE=0,
// NAMEDLL=WBTRV32. The file and the section are created when missing; the
// section's other keys stay as they are. Throws when the file cannot be
// written.
void EscribirIniBtrieve(const std::string& rutaIni, bool variante);
