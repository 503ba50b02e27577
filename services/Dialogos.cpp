#include "Dialogos.h"

#include <commdlg.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <vector>

#include "DialogSeam.h"
#include "TextCodec.h"

using Microsoft::WRL::ComPtr;

namespace {

// Shows the initial folder once the picker is ready, and the selected path
// as its status text on every change.
int CALLBACK AvisoCarpeta(HWND dialogo, UINT mensaje, LPARAM parametro, LPARAM datos) {
    if (mensaje == BFFM_INITIALIZED) {
        SendMessageW(dialogo, BFFM_SETSELECTIONW, TRUE, datos);
    } else if (mensaje == BFFM_SELCHANGED) {
        wchar_t ruta[MAX_PATH] = L"";
        if (SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(parametro), ruta))
            SendMessageW(dialogo, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(ruta));
    }
    return 0;
}

// Balanced COM start for the new-style picker, which needs it on this thread.
class ComDelHilo {
public:
    explicit ComDelHilo(bool iniciar)
        : iniciado_(iniciar && SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComDelHilo() {
        if (iniciado_) CoUninitialize();
    }
    ComDelHilo(const ComDelHilo&) = delete;
    ComDelHilo& operator=(const ComDelHilo&) = delete;

private:
    bool iniciado_;
};

// Restores the process's current folder, whatever the dialog did to it.
class CarpetaActualGuardada {
public:
    CarpetaActualGuardada() {
        const DWORD n = GetCurrentDirectoryW(0, nullptr);
        carpeta_.resize(n);
        carpeta_.resize(GetCurrentDirectoryW(n, carpeta_.data()));
    }
    ~CarpetaActualGuardada() {
        if (!carpeta_.empty()) SetCurrentDirectoryW(carpeta_.c_str());
    }
    CarpetaActualGuardada(const CarpetaActualGuardada&) = delete;
    CarpetaActualGuardada& operator=(const CarpetaActualGuardada&) = delete;

private:
    std::wstring carpeta_;
};

// "A|*.a|B|*.b" as the dialog wants it: NUL-separated, NUL-NUL-terminated.
std::wstring ListaFiltro(const std::string& filtro) {
    std::wstring lista = text::Wide(filtro);
    for (wchar_t& c : lista)
        if (c == L'|') c = L'\0';
    lista.append(2, L'\0');
    return lista;
}

}  // namespace

bool BuscarCarpeta(HWND propietario, std::string& carpeta, const std::string& titulo,
                   bool estiloNuevo, const std::string& raiz) {
    if (auto respuesta = ui::ScriptedAnswer({"BuscarCarpeta", titulo, raiz, {}, carpeta})) {
        if (respuesta->result != IDOK) return false;
        carpeta = respuesta->value;
        return true;
    }

    ComPtr<IMalloc> memoria;
    if (FAILED(SHGetMalloc(&memoria))) return false;
    ComDelHilo com(estiloNuevo);

    // The root as an item list, parsed by the desktop folder.
    PIDLIST_ABSOLUTE listaRaiz = nullptr;
    ComPtr<IShellFolder> escritorio;
    if (!raiz.empty() && SUCCEEDED(SHGetDesktopFolder(&escritorio))) {
        std::wstring r = text::Wide(raiz);
        escritorio->ParseDisplayName(propietario, nullptr, r.data(), nullptr,
                                     reinterpret_cast<PIDLIST_RELATIVE*>(&listaRaiz), nullptr);
    }

    std::vector<wchar_t> nombre(MAX_PATH, L'\0');
    const std::wstring tituloW = text::Wide(titulo), inicial = text::Wide(carpeta);
    BROWSEINFOW info{};
    info.hwndOwner = propietario;
    info.pidlRoot = listaRaiz;
    info.pszDisplayName = nombre.data();
    info.lpszTitle = tituloW.c_str();
    info.ulFlags = estiloNuevo ? BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE
                               : BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_VALIDATE;
    info.lpfn = AvisoCarpeta;
    info.lParam = reinterpret_cast<LPARAM>(inicial.c_str());

    PIDLIST_ABSOLUTE elegida = SHBrowseForFolderW(&info);
    if (listaRaiz) memoria->Free(listaRaiz);
    if (!elegida) return false;
    wchar_t ruta[MAX_PATH] = L"";
    const bool enDisco = SHGetPathFromIDListW(elegida, ruta);
    memoria->Free(elegida);
    if (!enDisco) return false;
    carpeta = text::Narrow(ruta);
    return true;
}

bool GuardarComo(TSaveDialog& dialogo) {
    if (auto respuesta = ui::ScriptedAnswer(
            {"GuardarComo", dialogo.Title, dialogo.Filter, {}, dialogo.FileName})) {
        if (respuesta->result != IDOK) return false;
        dialogo.FileName = respuesta->value;
        return true;
    }

    CarpetaActualGuardada carpetaActual;
    const std::wstring filtro = ListaFiltro(dialogo.Filter), titulo = text::Wide(dialogo.Title),
                       inicial = text::Wide(dialogo.InitialDir),
                       extension = text::Wide(dialogo.DefaultExt);
    std::vector<wchar_t> fichero(261, L'\0');
    const std::wstring actual = text::Wide(dialogo.FileName);
    actual.copy(fichero.data(), fichero.size() - 1);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = dialogo.Owner;
    ofn.lpstrFilter = dialogo.Filter.empty() ? nullptr : filtro.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = fichero.data();
    ofn.nMaxFile = DWORD(fichero.size());
    ofn.lpstrTitle = titulo.empty() ? nullptr : titulo.c_str();
    ofn.lpstrInitialDir = inicial.empty() ? nullptr : inicial.c_str();
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    ofn.Flags = OFN_HIDEREADONLY | (dialogo.FileMustExist ? OFN_FILEMUSTEXIST : 0) |
                (dialogo.OverwritePrompt ? OFN_OVERWRITEPROMPT : 0) |
                (dialogo.NoChangeDir ? OFN_NOCHANGEDIR : 0);
    if (!GetSaveFileNameW(&ofn)) return false;
    dialogo.FileName = text::Narrow(fichero.data());
    return true;
}
