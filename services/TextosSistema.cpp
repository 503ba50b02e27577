#include "TextosSistema.h"

#include <lmcons.h>

#include "FormatoTexto.h"
#include "TextCodec.h"
#include "Win32Handle.h"

std::string AcortarRuta(const std::string& ruta, HDC superficie, int ancho) {
    return AcortarRuta(
        ruta,
        [superficie](std::string_view texto) {
            const std::wstring w = text::Wide(texto);
            SIZE medida{};
            GetTextExtentPoint32W(superficie, w.c_str(), int(w.size()), &medida);
            return int(medida.cx);
        },
        ancho);
}

std::string AcortarRuta(const std::string& ruta, HFONT fuente, int ancho) {
    win::MemoryDc superficie(CreateCompatibleDC(nullptr));
    const HGDIOBJ anterior = SelectObject(superficie.get(), fuente);
    std::string corta = AcortarRuta(ruta, superficie.get(), ancho);
    SelectObject(superficie.get(), anterior);
    return corta;
}

std::string ExpandirRuta(const std::string& ruta) {
    const std::wstring w = text::Wide(ruta);
    if (w.size() < 4) return ruta;
    const DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    if (n == 0) return ruta;
    std::wstring completa(n, L'\0');
    completa.resize(GetFullPathNameW(w.c_str(), n, completa.data(), nullptr));
    return text::Narrow(completa);
}

std::string NombreMes(int mes) {
    if (mes < 1 || mes > 12) return {};
    wchar_t nombre[80] = L"";
    if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SMONTHNAME1 + LCTYPE(mes - 1), nombre, 80))
        return {};
    return text::Narrow(nombre);
}

std::string NombreUsuario() {
    wchar_t nombre[UNLEN + 1] = L"";
    DWORD n = UNLEN + 1;
    if (!GetUserNameW(nombre, &n) || !nombre[0]) return "Desconocido";
    return Mayusculas(text::Narrow(nombre));
}

std::string NombreEquipo() {
    // A NetBIOS name fits 16 characters; a longer DNS name is asked again
    // with the size the system reports rather than given up.
    std::wstring nombre(MAX_COMPUTERNAME_LENGTH + 1, L'\0');
    DWORD n = DWORD(nombre.size());
    if (!GetComputerNameW(nombre.data(), &n)) {
        if (GetLastError() != ERROR_BUFFER_OVERFLOW || n == 0) return {};
        nombre.assign(n + 1, L'\0');
        n = DWORD(nombre.size());
        if (!GetComputerNameW(nombre.data(), &n)) return {};
    }
    nombre.resize(n);
    return text::Narrow(nombre);
}

std::string Mayusculas(const std::string& texto) {
    std::wstring w = text::Wide(texto);
    if (!w.empty()) CharUpperBuffW(w.data(), DWORD(w.size()));
    return text::Narrow(w);
}
