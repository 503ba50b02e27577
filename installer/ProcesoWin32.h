// The process seam on Windows: the application's message pump, the
// installation's lock, the taskbar and the clock, with what the window lends.
#pragma once
#include <functional>

#include <windows.h>

#include "EfectosProceso.h"

class TBloqueo;

class TProcesoWin32 : public TEfectosProceso {
public:
    // `barra`: the progress bar the taskbar mirrors, null while the window
    // has no pages yet (a recovery at start-up); `terminar`: ends the
    // application without the exit question.
    TProcesoWin32(TBloqueo& bloqueo, std::function<HWND()> barra, std::function<void()> terminar)
        : bloqueo_(bloqueo), barra_(std::move(barra)), terminar_(std::move(terminar)) {}

    void TerminarAplicacion() override;
    bool IniciarPrograma(const std::string& programa) override;
    void ProcesarMensajes() override;
    void Bloquear(const std::string& carpeta, bool modoActualizacion) override;
    void BloquearCarpeta(const std::string& carpeta) override;
    void Desbloquear() override;
    void BarraTareas(EstadoBarraTareas estado) override;
    void ProgresoBarraTareas(int posicion, int maximo) override;
    std::string FechaHoraActual() override;
    int64_t Ahora() override;
    uint32_t TickCount() override;
    void Anotar(const std::string& texto) noexcept override;

private:
    TBloqueo& bloqueo_;
    std::function<HWND()> barra_;
    std::function<void()> terminar_;
};
