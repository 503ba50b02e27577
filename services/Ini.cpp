#include "Ini.h"

#include <windows.h>

#include "TextCodec.h"
#include "Win32Error.h"

namespace {

// Never in a settings file: tells a missing key from an empty value.
constexpr wchar_t kAusente[] = L"\x01";

// GetPrivateProfileStringW with a buffer that grows until the answer fits.
// The system cuts silently and says so only through the length: size - 1 for
// a value, size - 2 for a list of names.
std::wstring Leer(const std::wstring& fichero, const std::wstring& seccion, const wchar_t* clave,
                  const wchar_t* defecto) {
    std::wstring buffer(1024, L'\0');
    for (;;) {
        const DWORD n = GetPrivateProfileStringW(seccion.c_str(), clave, defecto, buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), fichero.c_str());
        if (size_t(n) + 2 < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

std::string LeerIniTexto(const std::string& fichero, const std::string& seccion, const std::string& clave,
                         const std::string& defecto) {
    const std::wstring k = text::Wide(clave), d = text::Wide(defecto);
    return text::Narrow(Leer(text::Wide(fichero), text::Wide(seccion), k.c_str(), d.c_str()));
}

int LeerIniEntero(const std::string& fichero, const std::string& seccion, const std::string& clave,
                  int defecto) {
    return static_cast<int>(GetPrivateProfileIntW(text::Wide(seccion).c_str(), text::Wide(clave).c_str(), defecto,
                                                  text::Wide(fichero).c_str()));
}

bool LeerIniBooleano(const std::string& fichero, const std::string& seccion, const std::string& clave,
                     bool defecto) {
    return LeerIniEntero(fichero, seccion, clave, defecto ? 1 : 0) != 0;
}

bool ExisteClaveIni(const std::string& fichero, const std::string& seccion, const std::string& clave) {
    const std::wstring k = text::Wide(clave);
    return Leer(text::Wide(fichero), text::Wide(seccion), k.c_str(), kAusente) != kAusente;
}

bool ExisteSeccionIni(const std::string& fichero, const std::string& seccion) {
    return !ClavesSeccionIni(fichero, seccion).empty();
}

std::vector<std::string> ClavesSeccionIni(const std::string& fichero, const std::string& seccion) {
    // The names come back one after another, each ended by a NUL.
    const std::wstring lista = Leer(text::Wide(fichero), text::Wide(seccion), nullptr, L"");
    std::vector<std::string> claves;
    for (size_t inicio = 0; inicio < lista.size();) {
        size_t fin = lista.find(L'\0', inicio);
        if (fin == std::wstring::npos) fin = lista.size();
        if (fin > inicio) claves.push_back(text::Narrow(lista.substr(inicio, fin - inicio)));
        inicio = fin + 1;
    }
    return claves;
}

void EscribirIni(const std::string& fichero, const std::string& seccion, const std::string& clave,
                 const std::string& valor) {
    if (!WritePrivateProfileStringW(text::Wide(seccion).c_str(), text::Wide(clave).c_str(),
                                    text::Wide(valor).c_str(), text::Wide(fichero).c_str()))
        win::RaiseLastOSError(fichero);
}
