// Feeds the installer's readers of vendor-supplied data: the release record
// bytes, the customer lists and dates of the release descriptions, and the
// version label; the engine keys of a settings file; and the program
// folder's drive and server. Nothing may
// crash; a date read back must format and read again to the same day count;
// a path's drive is its own beginning; switches never throw, and a value
// taken is never empty.
#include <cmath>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Desatendido.h"
#include "MotorBaseDatos.h"
#include "RegistroLanzamiento.h"
#include "ReglasInstalador.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TDatosArchivo registro{};
    std::memcpy(registro.data(), data, size < registro.size() ? size : registro.size());
    RegistroLanzamiento r = InterpretarDatosArchivo(registro);
    if (r.tipoMotor > tmBtrieve6) __builtin_trap();
    // What is read is what the vendor's tooling would write for it.
    const RegistroLanzamiento otra = InterpretarDatosArchivo(CodificarDatosArchivo(r));
    if (otra.anio != r.anio || otra.mes != r.mes || otra.dia != r.dia || otra.codigoCliente != r.codigoCliente ||
        otra.major != r.major || otra.minor != r.minor || otra.tipoMotor != r.tipoMotor)
        __builtin_trap();
    TextoVersion(r.major, r.minor, true);

    const std::string texto(reinterpret_cast<const char*>(data), size);
    EnListaClientes(texto, r.codigoCliente);
    VersionInformada(texto);
    double f = LeerFechaHora(texto);
    if (f != 0) {
        double otra = LeerFechaHora(FormatoFechaHora(f));
        if (std::fabs(otra - f) > 1.0 / 86400) __builtin_trap();
    }
    std::string unidad = UnidadDeRuta(texto);
    if (texto.compare(0, unidad.size(), unidad) != 0) __builtin_trap();
    if (ServidorDeRuta(texto).size() > unidad.size()) __builtin_trap();
    ErrorServidorMotor(texto, "PC07", [](const std::string& s) { return s; });
    if (MotorInstalado(texto, texto) > tmBtrieve6) __builtin_trap();

    // One argument per line, as a deployment script might write them.
    std::vector<std::string> argumentos;
    for (size_t desde = 0; desde <= texto.size();) {
        const size_t fin = std::min(texto.find('\n', desde), texto.size());
        argumentos.push_back(texto.substr(desde, fin - desde));
        desde = fin + 1;
    }
    const desatendido::Opciones o = desatendido::InterpretarSwitches(argumentos);
    if ((o.carpeta && o.carpeta->empty()) || (o.registro && o.registro->empty())) __builtin_trap();
    desatendido::SwitchesParaRelanzar(o);
    return 0;
}
