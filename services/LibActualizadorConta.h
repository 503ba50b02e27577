// The accounting product's half of the services: the module table and the
// versions of the program's files.
#pragma once
#include "TablaModulos.h"
#include "Versiones.h"
#include "VersionesInstaladas.h"
