#include "ServiciosProvisionales.h"

#include "Mensajes.h"

bool MostrarModoLocal(HWND, const std::string& mensaje, const std::string&, const std::string&,
                      const std::string&) {
    MensajeError(mensaje);
    return false;
}
