#include "CierreVentana.h"

#include <string>

#include "Mensajes.h"

DecisionCierre ConsultarCierre(int estado, bool modoActualizacion) {
    const std::string operacion = modoActualizacion ? "Actualización" : "Instalación";
    DecisionCierre d;
    if (estado > 0) {
        if (Mensaje("Cancelar " + operacion, TipoMensaje::Confirmacion, BotonesMensaje::OkCancelar) == mrOk) {
            d.cancelar = true;
            // Between two archives (3) as well as during one (2).
            if (estado == 2 || estado == 3) {
                MensajeInfo(operacion + " Incorrecta");
                d.abortarExtraccion = true;
            }
        }
        return d;
    }
    if (estado != -1) {
        const char* pregunta =
            modoActualizacion ? "Confirma Salida del Actualizador" : "Confirma Salida del Instalador";
        if (Mensaje(pregunta, TipoMensaje::Confirmacion, BotonesMensaje::OkCancelar) != mrOk) return d;
    }
    d.cerrar = true;
    return d;
}
