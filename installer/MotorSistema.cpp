#include "MotorSistema.h"

#include <windows.h>
#include <winnetwk.h>

#include <vector>

#include "Ini.h"
#include "TextCodec.h"

using text::Narrow;
using text::Wide;

namespace {

std::optional<std::string> NombreUniversalDelSistema(const std::string& ruta) {
    std::wstring w = Wide(ruta);
    DWORD tam = 1024;
    std::vector<BYTE> buf(tam);
    DWORD r = WNetGetUniversalNameW(w.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buf.data(), &tam);
    if (r == ERROR_MORE_DATA) {
        buf.resize(tam);
        r = WNetGetUniversalNameW(w.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buf.data(), &tam);
    }
    // Not a network drive, or no network at all: the path is its own universal form.
    if (r != NO_ERROR) return std::nullopt;
    const auto* info = reinterpret_cast<const UNIVERSAL_NAME_INFOW*>(buf.data());
    return Narrow(info->lpUniversalName);
}

ConsultaRutaUniversal& Consulta() {
    static ConsultaRutaUniversal c;
    return c;
}

}  // namespace

ConsultaRutaUniversal FijarConsultaRutaUniversal(ConsultaRutaUniversal consulta) {
    ConsultaRutaUniversal anterior = std::move(Consulta());
    Consulta() = std::move(consulta);
    return anterior;
}

std::string RutaUniversal(const std::string& ruta) {
    std::optional<std::string> u = Consulta() ? Consulta()(ruta) : NombreUniversalDelSistema(ruta);
    return u ? *u : ruta;
}

bool VentanasEscritorio::Buscar(const std::string& titulo) {
    encontrada_ = FindWindowW(nullptr, Wide(titulo).c_str());
    return encontrada_ != nullptr;
}

std::optional<std::string> VentanasEscritorio::TextoSegundoStatic() {
    int estaticos = 0;
    for (HWND h = GetWindow(static_cast<HWND>(encontrada_), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        wchar_t clase[256];
        int n = GetClassNameW(h, clase, 256);
        if (std::wstring(clase, static_cast<size_t>(n)) != L"Static" || ++estaticos < 2) continue;
        wchar_t texto[256];
        int largo = GetWindowTextW(h, texto, 256);
        return Narrow(std::wstring(texto, static_cast<size_t>(largo)));
    }
    return std::nullopt;
}

void EscribirIniBtrieve(const std::string& rutaIni, bool variante) {
    auto escribir = [&](const char* clave, const char* valor) { EscribirIni(rutaIni, kSeccionMotor, clave, valor); };
    if (variante) {
        escribir(kClavePervasive, "0");
        escribir(kClaveLibreria, kLibreriaBtrieve6);
    } else {
        escribir(kClavePervasive, "1");
        escribir(kClaveVersionFichero, "6");
        escribir(kClaveLibreria, kLibreriaPsql);
    }
}
