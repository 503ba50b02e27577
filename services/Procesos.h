// Starting other programs: one started and left running, one that the
// installer waits for while its window stays alive, and a command whose
// output it reads. Every start goes through one place; tests put a recorder
// there instead of the system (ScopedGrabadorProgramas).
#pragma once
#include <functional>
#include <string>

// Starts the program with the arguments, shown normally, without waiting.
// The path is quoted on the command line, so that a folder with a blank
// ("C:\Program Files\...") is not taken for a shorter program; the arguments
// are passed as given. False when it cannot be started.
bool IniciarPrograma(const std::string& programa, const std::string& argumentos);

// Starts the command line and waits for the program to end, processing
// window messages meanwhile. With `ocultar`, the installer's windows are
// minimised and hidden while it runs. When the program cannot be started the
// user sees "No se puede Ejecutar la Aplicación" and the result is false.
bool EjecutarYEsperar(const std::string& lineaComando, bool ocultar);

// Runs "cmd.exe /C " + the command line, hidden, in the given working folder
// (empty: the current one), and returns what it wrote to its standard output
// and standard error, whole. Blocks until the command ends, without
// processing window messages. A command that cannot be started gives "".
// A query, not a change: it is not handed to a recorder.
std::string EjecutarComando(const std::string& lineaComando, const std::string& carpeta);

// The command line IniciarPrograma gives the system.
std::string LineaPrograma(const std::string& programa, const std::string& argumentos);

// A program start as IniciarPrograma and EjecutarYEsperar ask for it.
struct InicioPrograma {
    std::string lineaComando;
    bool esperar = false;  // EjecutarYEsperar
    bool ocultar = false;  // the installer's windows hidden meanwhile
};

// While a recorder is installed, every start of IniciarPrograma and
// EjecutarYEsperar is handed to it and no program is started; its answer is
// whether the start succeeded (a waited-for program then counts as ended).
using GrabadorProgramas = std::function<bool(const InicioPrograma&)>;

// Installs the recorder (empty: none) and returns the previous one.
GrabadorProgramas InstalarGrabadorProgramas(GrabadorProgramas grabador);

class ScopedGrabadorProgramas {
public:
    explicit ScopedGrabadorProgramas(GrabadorProgramas g) : anterior_(InstalarGrabadorProgramas(std::move(g))) {}
    ~ScopedGrabadorProgramas() { InstalarGrabadorProgramas(std::move(anterior_)); }
    ScopedGrabadorProgramas(const ScopedGrabadorProgramas&) = delete;
    ScopedGrabadorProgramas& operator=(const ScopedGrabadorProgramas&) = delete;

private:
    GrabadorProgramas anterior_;
};
