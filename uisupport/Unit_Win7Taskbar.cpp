#include "Unit_Win7Taskbar.h"

#include "KavoIMG.h"
#include "ProcessMessages.h"
#include "TemasVisuales.h"
#include "kvSystemInfo.h"

namespace {

// Process-wide, UI thread only.
ITaskbarList3* g_taskbar = nullptr;
HWND g_window = nullptr;
THUMBBUTTON g_botones[3] = {};
bool g_cancelAllowed = false;

HIMAGELIST ImagenesOPorDefecto(HIMAGELIST images) {
    return images ? images : KavoImageList().Handle();
}

void Rellenar(THUMBBUTTON& b, UINT id, UINT bitmap, const wchar_t* tooltip) {
    b = {};
    b.dwMask = THB_BITMAP | THB_TOOLTIP | THB_FLAGS;
    b.iId = id;
    b.iBitmap = bitmap;
    wcsncpy(b.szTip, tooltip, ARRAYSIZE(b.szTip) - 1);
}

}  // namespace

void SetTaskbarWindow(HWND window) { g_window = window; }

bool SistemaConBarraWin7(bool isServer, int32_t osCode) { return osCode >= (isServer ? 103 : 24); }

ITaskbarList3* CrearTaskbarDelSistema() {
    ITaskbarList3* t = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                  reinterpret_cast<void**>(&t))))
        return nullptr;
    return t;
}

bool InitTaskbarCon(bool temasActivos, bool sistemaApto, CrearTaskbarFn crear) {
    if (!temasActivos) return false;
    if (g_taskbar) return true;
    if (!sistemaApto) return false;
    ITaskbarList3* t = nullptr;
    try {
        t = crear();
    } catch (...) {
        t = nullptr;
    }
    if (t && t->HrInit() == S_OK)
        g_taskbar = t;
    else if (t)
        t->Release();
    return g_taskbar != nullptr;
}

bool InitTaskbar() {
    if (!ui::TemasVisualesActivos()) return false;
    if (g_taskbar) return true;
    bool apto = false;
    {
        TkvSystemInfo info;
        apto = SistemaConBarraWin7(info.IsServer(), info.OSCode());
    }
    return InitTaskbarCon(true, apto, CrearTaskbarDelSistema);
}

bool TaskbarAvailable() { return g_taskbar != nullptr; }

bool SetTaskbarState(uint8_t kind, HWND bar, HIMAGELIST images, bool cancelAllowed, bool withButtons) {
    if (!TaskbarAvailable()) return false;
    g_cancelAllowed = cancelAllowed;
    TBPFLAG estado = TBPF_NOPROGRESS;
    WPARAM estadoBarra = 0;
    switch (kind) {
        case tbsIndeterminado: estado = TBPF_INDETERMINATE; estadoBarra = PBST_NORMAL; break;
        case tbsNormal: estado = TBPF_NORMAL; estadoBarra = PBST_NORMAL; break;
        case tbsError: estado = TBPF_ERROR; estadoBarra = PBST_ERROR; break;
        case tbsPausado: estado = TBPF_PAUSED; estadoBarra = PBST_PAUSED; break;
        default: break;
    }
    if (bar) {
        if (estadoBarra) ::SendMessageW(bar, PBM_SETSTATE, estadoBarra, 0);
        ui::ProcessMessages();
    }
    bool ok = g_taskbar->SetProgressState(g_window, estado) == S_OK;
    images = ImagenesOPorDefecto(images);
    if (withButtons) {
        if (kind == tbsIndeterminado || kind == tbsNormal || kind == tbsPausado)
            UpdateThumbButtons(tbMostrar, images, kind == tbsPausado);
        else
            UpdateThumbButtons(tbOcultar, images, false);
    }
    return ok;
}

bool SetTaskbarProgress(int32_t position, int32_t maximum) {
    if (!TaskbarAvailable()) return false;
    // Negative values pass on as the same 64-bit numbers the shell would get
    // from a sign-extending caller.
    return g_taskbar->SetProgressValue(g_window, static_cast<ULONGLONG>(static_cast<int64_t>(position)),
                                       static_cast<ULONGLONG>(static_cast<int64_t>(maximum))) == S_OK;
}

bool UpdateThumbButtons(int mode, HIMAGELIST images, bool paused) {
    if (!TaskbarAvailable()) return false;
    const bool added = g_botones[0].iId != 0;
    if (mode == tbOcultar) {
        if (!added) return false;
        for (THUMBBUTTON& b : g_botones) b.dwFlags = THBF_HIDDEN;
    } else if (added) {
        if (paused) {
            g_botones[0].dwFlags = THBF_DISABLED;
            g_botones[1].dwFlags = THBF_ENABLED;
            g_botones[2].dwFlags = THBF_ENABLED;
        } else {
            g_botones[0].dwFlags = THBF_ENABLED;
            g_botones[1].dwFlags = THBF_DISABLED;
            g_botones[2].dwFlags = g_cancelAllowed ? THBF_ENABLED : THBF_DISABLED;
        }
    } else {
        // The first show always starts "running", whatever paused says.
        Rellenar(g_botones[0], idDetener, 4, L"Detener");
        Rellenar(g_botones[1], idContinuar, 5, L"Continuar");
        Rellenar(g_botones[2], idCancelar, 6, L"Cancelar");
        g_botones[0].dwFlags = THBF_ENABLED;
        g_botones[1].dwFlags = THBF_DISABLED;
        g_botones[2].dwFlags = g_cancelAllowed ? THBF_ENABLED : THBF_DISABLED;
    }
    g_taskbar->ThumbBarSetImageList(g_window, ImagenesOPorDefecto(images));
    if (added)
        g_taskbar->ThumbBarUpdateButtons(g_window, 3, g_botones);
    else
        g_taskbar->ThumbBarAddButtons(g_window, 3, g_botones);
    return false;
}

void FinalizarTaskbar() {
    if (g_taskbar) g_taskbar->Release();
    g_taskbar = nullptr;
    for (THUMBBUTTON& b : g_botones) b = {};
    g_cancelAllowed = false;
}

const THUMBBUTTON* ThumbButtons() { return g_botones; }
