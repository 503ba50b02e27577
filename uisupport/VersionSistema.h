// The running Windows' version, read in one place. The system answers two
// ways: as it lets this program see it (what the program's manifest decides:
// the platform check and the system-information component's recognition
// read this one), and as it really runs, whatever the manifest says (the
// services' behaviour by version needs this one).
#pragma once
#include <cstdint>
#include <string>

namespace win {

enum class TRespuestaVersion { ParaEstePrograma, Real };

// The fields of the system's version record; all 0 when it did not answer.
struct TVersionSistema {
    bool leida = false;
    uint32_t plataforma = 0;  // 1 the 9x family, 2 the NT family
    uint32_t mayor = 0, menor = 0, compilacion = 0;
    std::string servicio;  // the service text ("Service Pack 1")
    uint16_t servicePackMayor = 0, servicePackMenor = 0, suite = 0;
    uint8_t tipoProducto = 0;  // 1 workstation, 2 domain controller, 3 server
};

TVersionSistema LeerVersionSistema(TRespuestaVersion respuesta);

}  // namespace win
