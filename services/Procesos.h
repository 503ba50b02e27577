// Starting other programs: one that the installer waits for while its
// window stays alive, and a command whose output it reads.
#pragma once
#include <string>

// Starts the command line and waits for the program to end, processing
// window messages meanwhile. With `ocultar`, the installer's windows are
// minimised and hidden while it runs. When the program cannot be started the
// user sees "No se puede Ejecutar la Aplicación" and the result is false.
bool EjecutarYEsperar(const std::string& lineaComando, bool ocultar);

// Starts the command line shown normally and returns at once; false when the
// program could not be started.
bool EjecutarSinEsperar(const std::string& lineaComando);

// Runs "cmd.exe /C " + the command line, hidden, in the given working folder
// (empty: the current one), and returns what it wrote to its standard output
// and standard error, whole. Blocks until the command ends, without
// processing window messages. A command that cannot be started gives "".
std::string EjecutarComando(const std::string& lineaComando, const std::string& carpeta);
