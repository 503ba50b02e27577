// The one door through which the user stops a run or leaves the window:
// the cancel button, Escape and the window's own close all come here, and
// the window only does what the answer says.
#include "Ejecucion.h"

namespace {

const char* NombreOrigen(TOrigenCierre origen) {
    switch (origen) {
    case TOrigenCierre::BotonCancelar: return "botón Cancelar";
    case TOrigenCierre::Escape: return "tecla Escape";
    case TOrigenCierre::Ventana: return "cierre de la ventana";
    }
    return "?";
}

}  // namespace

TDecisionCierre TEjecucion::PedirCierre(TOrigenCierre origen) {
    const std::string operacion = d_.TextoOperacion();
    if (d_.Estado > esReposo) {
        // The run is waiting for the window in the middle of a phase: the
        // window never closes under it, the request only marks the cancel
        // that the phase notices when it gets the thread back.
        Anotar(std::string("Cancelación pedida con ") + NombreOrigen(origen));
        if (Mensaje("Cancelar " + operacion, TipoMensaje::Confirmacion, BotonesMensaje::OkCancelar) != mrOk)
            return TDecisionCierre::Seguir;
        d_.CancelarPedido = true;
        // Between two archives too: the next one must not start.
        if (d_.Estado == esExtrayendo || d_.Estado == esExtraccionTerminada) {
            // The button is disabled while archives are extracted; the
            // window's close says at once that the run will not complete.
            if (origen != TOrigenCierre::BotonCancelar)
                Mensaje(operacion + " Incorrecta", TipoMensaje::Informacion, BotonesMensaje::Ok);
            e_.extraccion.AbortarExtraccion();
            d_.Resultado = rsCancelado;
        }
        return TDecisionCierre::Seguir;
    }
    // A run that finished has nothing left to lose.
    if (d_.Estado != esTerminado &&
        Mensaje(d_.ModoActualizacion ? "Confirma Salida del Actualizador" : "Confirma Salida del Instalador",
                TipoMensaje::Confirmacion, BotonesMensaje::OkCancelar) != mrOk)
        return TDecisionCierre::Seguir;
    return TDecisionCierre::Cerrar;
}
