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
    HINSTANCE r = ShellExecuteW(p.propietario, L"open", fichero.c_str(), parametros.empty() ? nullptr : parametros.c_str(),
                                carpeta.empty() ? nullptr : carpeta.c_str(), SW_SHOWNORMAL);
    // ShellExecute reports success as a value above 32.
    return reinterpret_cast<INT_PTR>(r) > 32;
}
