#include "AbrirShell.h"

#include <shellapi.h>

#include "TextCodec.h"

namespace {
TAbrirShell& Sustituto() {
    static TAbrirShell f;
    return f;
}
}  // namespace

TAbrirShell SetAbrirShell(TAbrirShell sustituto) {
    TAbrirShell previo = std::move(Sustituto());
    Sustituto() = std::move(sustituto);
    return previo;
}

bool AbrirConShell(const PeticionShell& p) {
    if (Sustituto()) return Sustituto()(p);
    const std::wstring fichero = text::Wide(p.fichero), parametros = text::Wide(p.parametros),
                       carpeta = text::Wide(p.carpeta);
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof sei;
    sei.fMask = p.sinAvisos ? SEE_MASK_FLAG_NO_UI : 0;
    sei.hwnd = p.propietario;
    sei.lpVerb = L"open";
    sei.lpFile = fichero.c_str();
    sei.lpParameters = parametros.empty() ? nullptr : parametros.c_str();
    sei.lpDirectory = carpeta.empty() ? nullptr : carpeta.c_str();
    sei.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&sei) != FALSE;
}
