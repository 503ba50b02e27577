// What closing the installer window means at each moment of an operation.
#pragma once

// The close question. Estado > 0: the cancel question (never closes); on OK
// the caller sets CancelarPedido and, during extraction (2, or 3 between
// two archives), aborts it (the
// "Incorrecta" notice is shown here). Estado <= 0: the exit question unless
// the run finished (-1).
struct DecisionCierre {
    bool cerrar = false;
    bool cancelar = false;
    bool abortarExtraccion = false;
};
DecisionCierre ConsultarCierre(int estado, bool modoActualizacion);
