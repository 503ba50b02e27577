// The running program itself: where it is, what its own resources carry and
// the arguments it was started with.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Full path of the running executable, as the system knows it.
std::string RutaProgramaPropio();

// The bytes of the program's own RCDATA resource of that name; empty when
// it has none.
std::vector<uint8_t> RecursoPropio(const std::string& nombre);

// The position of the archive appended to the program, as the
// installer-building tool wrote it into the resource "SFXCODES"; 0 when
// nothing is appended. Without the resource it throws the system's text +
// "\r\n\r\n" + `rutaEjecutable`; a resource of fewer than 4 bytes throws
// "SFXCODES\r\n\r\n" + `rutaEjecutable`.
int32_t PosicionArchivoPropio(const std::string& rutaEjecutable);

// The command-line arguments after the program's name, as the system splits
// them (quotes removed).
std::vector<std::string> ArgumentosPrograma();
