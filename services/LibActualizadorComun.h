// The services common to the maker's updaters: downloads and connectivity,
// the platform family, files and folders, settings files, processes, the
// running program itself,
// the temporary and special folders with shortcuts, dialogs, label texts,
// and the installation and data folders of an installed copy.
#pragma once
#include "Carpetas.h"
#include "Dialogos.h"
#include "Ficheros.h"
#include "FormatoTexto.h"
#include "Ini.h"
#include "Instalacion.h"
#include "LibActualizadorComunPlataforma.h"
#include "LibActualizadorComunRed.h"
#include "Procesos.h"
#include "ProgramaPropio.h"
#include "TextosSistema.h"
