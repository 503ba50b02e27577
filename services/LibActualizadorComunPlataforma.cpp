#include "LibActualizadorComunPlataforma.h"

#include "VersionSistema.h"

int LeerPlataforma() {
    const win::TVersionSistema v = win::LeerVersionSistema(win::TRespuestaVersion::ParaEstePrograma);
    return v.leida ? static_cast<int>(v.plataforma) : -1;
}
