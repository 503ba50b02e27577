// The side effects of a run, one seam per concern. A run takes them together;
// each seam has a Win32 side and the tests' recording fake.
#pragma once
#include "EfectosExtraccion.h"
#include "EfectosFicheros.h"
#include "EfectosProceso.h"
#include "EfectosServidor.h"
#include "EfectosUsuario.h"

struct TEfectos {
    TEfectosFicheros& ficheros;
    TEfectosServidor& servidor;
    TEfectosExtraccion& extraccion;
    TEfectosUsuario& usuario;
    TEfectosProceso& proceso;
};
