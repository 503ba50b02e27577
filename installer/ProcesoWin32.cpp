#include "ProcesoWin32.h"

#include <ctime>

#include "Application.h"
#include "Bloqueo.h"
#include "Ficheros.h"
#include "Procesos.h"
#include "Registro.h"
#include "ReglasInstalador.h"
#include "Unit_Win7Taskbar.h"
#include "platform/Platform.h"

void TProcesoWin32::TerminarAplicacion() { terminar_(); }

bool TProcesoWin32::IniciarPrograma(const std::string& programa) { return ::IniciarPrograma(programa, ""); }

void TProcesoWin32::ProcesarMensajes() { forms::Application().ProcessMessages(); }

void TProcesoWin32::Bloquear(const std::string& carpeta, bool modoActualizacion) {
    bloqueo_.Tomar(carpeta, modoActualizacion);
}

void TProcesoWin32::BloquearCarpeta(const std::string& carpeta) { bloqueo_.Tomar(carpeta, true); }

void TProcesoWin32::Desbloquear() { bloqueo_.Liberar(); }

void TProcesoWin32::BarraTareas(EstadoBarraTareas estado) {
    const HWND barra = barra_();
    if (estado == EstadoBarraTareas::Normal)
        SetTaskbarState(tbsNormal, barra, nullptr, false, false);
    else
        SetTaskbarState(tbsNinguno, barra, nullptr, false, true);
}

void TProcesoWin32::ProgresoBarraTareas(int posicion, int maximo) { SetTaskbarProgress(posicion, maximo); }

int64_t TProcesoWin32::Ahora() { return static_cast<int64_t>(std::time(nullptr)); }

uint32_t TProcesoWin32::TickCount() { return kav::os::TickCount(); }

void TProcesoWin32::Anotar(const std::string& texto) noexcept { ::Anotar(texto); }

std::string TProcesoWin32::FechaHoraActual() {
    return FormatoFechaHora(FechaHoraLocal());
}
