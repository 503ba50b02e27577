// The process a run lives in: its message pump, the installation's lock,
// the taskbar, the programs it starts, its end, its clock and its log.
#pragma once
#include <cstdint>
#include <string>

// Taskbar progress states the run uses.
enum class EstadoBarraTareas { Ninguno, Normal };

class TEfectosProceso {
public:
    virtual ~TEfectosProceso() = default;

    // Ends the application without the exit question.
    virtual void TerminarAplicacion() = 0;
    // Starts a program shown normally, without waiting; false when it cannot.
    virtual bool IniciarPrograma(const std::string& programa) = 0;
    virtual void ProcesarMensajes() = 0;
    // The installation's lock, taken in the folder being installed or
    // updated; raises when another installer holds it.
    virtual void Bloquear(const std::string& carpeta, bool modoActualizacion) = 0;
    // The installation's lock taken in `carpeta` as an update takes it.
    virtual void BloquearCarpeta(const std::string& carpeta) = 0;
    virtual void Desbloquear() = 0;
    virtual void BarraTareas(EstadoBarraTareas estado) = 0;
    virtual void ProgresoBarraTareas(int posicion, int maximo) = 0;
    virtual std::string FechaHoraActual() = 0;  // the INI's date-time text
    virtual int64_t Ahora() = 0;                // seconds since 1970-01-01 UTC
    // Milliseconds from a moment of the system's, wrapping: how long a step took.
    virtual uint32_t TickCount() = 0;
    // A line of the program's log, for support; never raises.
    virtual void Anotar(const std::string& texto) noexcept = 0;
};
