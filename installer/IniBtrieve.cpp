// The engine keys of the program's settings file. The accounting program
// reads NAMEDLL to choose the Btrieve interface library it loads.
#include "FormKavoInstala.h"
#include "TextCodec.h"

void TFFormKavoInstala::EscribirIniBtrieve(const std::string& ruta, bool variante) {
    const std::wstring ini = text::Wide(ruta);
    auto escribir = [&](const wchar_t* clave, const wchar_t* valor) {
        WritePrivateProfileStringW(L"BTRIEVE", clave, valor, ini.c_str());
    };
    if (!variante) {
        escribir(L"PERVASIVE", L"1");
        escribir(L"FILEVERSION", L"6");
        escribir(L"NAMEDLL", L"W3BTRV7");
    } else {
        escribir(L"PERVASIVE", L"0");
        escribir(L"NAMEDLL", L"WBTRV32");
    }
}
