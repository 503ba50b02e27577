// Taskbar progress, states and thumbnail buttons against a recording taskbar,
// plus calls into the system's own taskbar object under Wine.
#include <windows.h>
#include <commctrl.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KavoIMG.h"
#include "ProcessMessages.h"
#include "TemasVisuales.h"
#include "Unit_Win7Taskbar.h"

namespace {

std::vector<std::string> g_log;
HRESULT g_estado = S_OK;  // what SetProgressState and SetProgressValue answer
HRESULT g_init = S_OK;    // what HrInit answers
int g_creados = 0;
HWND g_ventana = reinterpret_cast<HWND>(0x1234);
HIMAGELIST g_otraLista = reinterpret_cast<HIMAGELIST>(0x5678);

std::string Flags(UINT n, const THUMBBUTTON* b) {
    std::string s;
    for (UINT i = 0; i < n; ++i) {
        if (i) s += ",";
        s += b[i].dwFlags == THBF_ENABLED ? "E" : b[i].dwFlags == THBF_DISABLED ? "D"
             : b[i].dwFlags == THBF_HIDDEN                                       ? "H"
                                                                                 : "?";
    }
    return s;
}

// Records every call it receives; "?" marks a call for another window.
class TaskbarGrabadora final : public ITaskbarList3 {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITaskbarList) ||
            IsEqualIID(riid, IID_ITaskbarList2) || IsEqualIID(riid, IID_ITaskbarList3)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG n = --refs_;
        if (!n) delete this;
        return n;
    }
    STDMETHODIMP HrInit() override { return Log("HrInit"), g_init; }
    STDMETHODIMP AddTab(HWND) override { return Log("AddTab"), S_OK; }
    STDMETHODIMP DeleteTab(HWND) override { return Log("DeleteTab"), S_OK; }
    STDMETHODIMP ActivateTab(HWND) override { return Log("ActivateTab"), S_OK; }
    STDMETHODIMP SetActiveAlt(HWND) override { return Log("SetActiveAlt"), S_OK; }
    STDMETHODIMP MarkFullscreenWindow(HWND, WINBOOL) override { return Log("MarkFullscreenWindow"), S_OK; }
    STDMETHODIMP SetProgressValue(HWND w, ULONGLONG done, ULONGLONG total) override {
        return Log(w, "Value " + std::to_string(done) + "/" + std::to_string(total)), g_estado;
    }
    STDMETHODIMP SetProgressState(HWND w, TBPFLAG f) override {
        return Log(w, "State " + std::to_string(f)), g_estado;
    }
    STDMETHODIMP RegisterTab(HWND, HWND) override { return Log("RegisterTab"), S_OK; }
    STDMETHODIMP UnregisterTab(HWND) override { return Log("UnregisterTab"), S_OK; }
    STDMETHODIMP SetTabOrder(HWND, HWND) override { return Log("SetTabOrder"), S_OK; }
    STDMETHODIMP SetTabActive(HWND, HWND, DWORD) override { return Log("SetTabActive"), S_OK; }
    STDMETHODIMP ThumbBarAddButtons(HWND w, UINT n, LPTHUMBBUTTON b) override {
        return Log(w, "Add " + Flags(n, b)), S_OK;
    }
    STDMETHODIMP ThumbBarUpdateButtons(HWND w, UINT n, LPTHUMBBUTTON b) override {
        return Log(w, "Update " + Flags(n, b)), S_OK;
    }
    STDMETHODIMP ThumbBarSetImageList(HWND w, HIMAGELIST l) override {
        return Log(w, l == KavoImageList().Handle() ? "Images Kavo" : l == g_otraLista ? "Images other" : "Images ?"),
               S_OK;
    }
    STDMETHODIMP SetOverlayIcon(HWND, HICON, LPCWSTR) override { return Log("SetOverlayIcon"), S_OK; }
    STDMETHODIMP SetThumbnailTooltip(HWND, LPCWSTR) override { return Log("SetThumbnailTooltip"), S_OK; }
    STDMETHODIMP SetThumbnailClip(HWND, RECT*) override { return Log("SetThumbnailClip"), S_OK; }

private:
    ~TaskbarGrabadora() = default;
    void Log(const std::string& s) { g_log.push_back(s); }
    void Log(HWND w, const std::string& s) { g_log.push_back(w == g_ventana ? s : "? " + s); }
    ULONG refs_ = 1;
};

ITaskbarList3* CrearGrabadora() {
    ++g_creados;
    return new TaskbarGrabadora;
}

class Taskbar : public ::testing::Test {
protected:
    void SetUp() override {
        FinalizarTaskbar();
        g_log.clear();
        g_estado = g_init = S_OK;
        g_creados = 0;
        SetTaskbarWindow(g_ventana);
    }
    void TearDown() override { FinalizarTaskbar(); }
    void Activar() {
        ASSERT_TRUE(InitTaskbarCon(true, true, CrearGrabadora));
        g_log.clear();
    }
};

TEST_F(Taskbar, StartsOnlyWithThemesOnAnEligibleSystem) {
    struct Caso {
        bool temas, apto;
        HRESULT init;
        bool disponible;
        std::vector<std::string> log;
    } casos[] = {
        {true, true, S_OK, true, {"HrInit"}},
        {false, true, S_OK, false, {}},
        {true, false, S_OK, false, {}},
        {true, true, E_FAIL, false, {"HrInit"}},
        {true, true, S_FALSE, false, {"HrInit"}},  // only S_OK counts
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(testing::Message() << c.temas << c.apto << std::hex << c.init);
        SetUp();
        g_init = c.init;
        EXPECT_EQ(InitTaskbarCon(c.temas, c.apto, CrearGrabadora), c.disponible);
        EXPECT_EQ(TaskbarAvailable(), c.disponible);
        EXPECT_EQ(g_log, c.log);
    }
    // Once there, it is kept: no second object; themes off still says no.
    SetUp();
    Activar();
    EXPECT_TRUE(InitTaskbarCon(true, false, CrearGrabadora));
    EXPECT_FALSE(InitTaskbarCon(false, true, CrearGrabadora));
    EXPECT_EQ(g_creados, 1);
}

TEST_F(Taskbar, EligibleFromWindows7OrServer2008R2) {
    struct Caso {
        bool server;
        int32_t code;
        bool apto;
    } casos[] = {{false, 23, false}, {false, 24, true}, {false, 28, true}, {false, -1, false},
                 {true, 102, false}, {true, 103, true}, {true, 106, true}, {true, 27, false}};
    for (const Caso& c : casos) EXPECT_EQ(SistemaConBarraWin7(c.server, c.code), c.apto) << c.code;
}

// A progress bar that records the look it is asked for.
WNDPROC g_barraOriginal = nullptr;
LRESULT CALLBACK BarraGrabadora(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == PBM_SETSTATE) g_log.push_back("Bar " + std::to_string(wp));
    return ::CallWindowProcW(g_barraOriginal, w, msg, wp, lp);
}
HWND BarraGrabando() {
    HWND bar = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_POPUP, 0, 0, 100, 10, nullptr, nullptr, nullptr, nullptr);
    g_barraOriginal = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BarraGrabadora)));
    return bar;
}

TEST_F(Taskbar, WithoutTheTaskbarNothingHappens) {
    HWND bar = BarraGrabando();
    EXPECT_FALSE(SetTaskbarState(tbsError, bar, nullptr, true, true));
    EXPECT_FALSE(SetTaskbarProgress(1, 2));
    EXPECT_FALSE(UpdateThumbButtons(tbMostrar, nullptr, false));
    EXPECT_TRUE(g_log.empty());
    ::DestroyWindow(bar);
}

TEST_F(Taskbar, KindSetsTheButtonAndTheBar) {
    Activar();
    HWND bar = BarraGrabando();
    struct Caso {
        uint8_t kind;
        std::vector<std::string> log;
    } casos[] = {{tbsNinguno, {"State 0"}},           {tbsIndeterminado, {"Bar 1", "State 1"}},
                 {tbsNormal, {"Bar 1", "State 2"}},   {tbsError, {"Bar 2", "State 4"}},
                 {tbsPausado, {"Bar 3", "State 8"}},  {5, {"State 0"}}};
    // With a bar, its new look is painted before the taskbar is told.
    auto previous = ui::SetProcessMessagesHook([] { g_log.push_back("Pump"); });
    for (const Caso& c : casos) {
        SCOPED_TRACE(int(c.kind));
        g_log.clear();
        EXPECT_TRUE(SetTaskbarState(c.kind, bar));
        std::vector<std::string> esperado = c.log;
        esperado.insert(esperado.end() - 1, "Pump");
        EXPECT_EQ(g_log, esperado);
    }
    g_log.clear();
    g_estado = E_FAIL;
    EXPECT_FALSE(SetTaskbarState(tbsNormal));
    EXPECT_EQ(g_log, std::vector<std::string>{"State 2"});  // no bar, no pump
    ui::SetProcessMessagesHook(previous);
    ::DestroyWindow(bar);
}

TEST_F(Taskbar, ProgressValuesPassOn) {
    Activar();
    EXPECT_TRUE(SetTaskbarProgress(300000, 1200000));
    g_estado = E_FAIL;
    EXPECT_FALSE(SetTaskbarProgress(0, 100));
    EXPECT_EQ(g_log, (std::vector<std::string>{"Value 300000/1200000", "Value 0/100"}));
}

TEST_F(Taskbar, ThumbnailButtonsFollowTheState) {
    Activar();
    struct Paso {
        const char* que;
        uint8_t kind;
        bool cancelAllowed;
        std::vector<std::string> log;
    } pasos[] = {
        {"hide before any show: state only", tbsNinguno, false, {"State 0"}},
        {"first show, paused: still running", tbsPausado, false, {"State 8", "Images Kavo", "Add E,D,D"}},
        {"show paused", tbsPausado, false, {"State 8", "Images Kavo", "Update D,E,E"}},
        {"show running, cancel allowed", tbsNormal, true, {"State 2", "Images Kavo", "Update E,D,E"}},
        {"show running, no cancel", tbsIndeterminado, false, {"State 1", "Images Kavo", "Update E,D,D"}},
        {"error hides", tbsError, true, {"State 4", "Images Kavo", "Update H,H,H"}},
        {"none hides", tbsNinguno, false, {"State 0", "Images Kavo", "Update H,H,H"}},
        {"shown again: updated, never added", tbsNormal, true, {"State 2", "Images Kavo", "Update E,D,E"}},
    };
    for (const Paso& p : pasos) {
        SCOPED_TRACE(p.que);
        g_log.clear();
        EXPECT_TRUE(SetTaskbarState(p.kind, nullptr, nullptr, p.cancelAllowed, true));
        EXPECT_EQ(g_log, p.log);
    }
    // Without buttons asked for, none are touched; a given list is used as is.
    g_log.clear();
    SetTaskbarState(tbsPausado, nullptr, nullptr, false, false);
    EXPECT_FALSE(UpdateThumbButtons(tbMostrar, g_otraLista, false));
    EXPECT_EQ(g_log, (std::vector<std::string>{"State 8", "Images other", "Update E,D,D"}));

    struct Boton {
        UINT id, bitmap;
        const wchar_t* tip;
    } botones[] = {{40001, 4, L"Detener"}, {40002, 5, L"Continuar"}, {40003, 6, L"Cancelar"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ThumbButtons()[i].dwMask, 13u);
        EXPECT_EQ(ThumbButtons()[i].iId, botones[i].id);
        EXPECT_EQ(ThumbButtons()[i].iBitmap, botones[i].bitmap);
        EXPECT_STREQ(ThumbButtons()[i].szTip, botones[i].tip);
    }
}

// The system's own taskbar object, as Wine provides it.
TEST(TaskbarLive, SystemObjectTakesTheCalls) {
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    FinalizarTaskbar();
    HWND w = ::CreateWindowExW(0, L"STATIC", L"kv", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                               nullptr);
    SetTaskbarWindow(w);
    // The Wine prefix draws the classic look: the unit stays inactive.
    if (!ui::TemasVisualesActivos()) {
        EXPECT_FALSE(InitTaskbar());
        EXPECT_FALSE(SetTaskbarState(tbsNormal));
    }
    // Forced on, every call reaches the shell's object and is accepted.
    ASSERT_TRUE(InitTaskbarCon(true, true, CrearTaskbarDelSistema));
    EXPECT_TRUE(SetTaskbarState(tbsNormal, nullptr, nullptr, true, true));
    EXPECT_TRUE(SetTaskbarProgress(50, 100));
    EXPECT_TRUE(SetTaskbarState(tbsNinguno, nullptr, nullptr, false, true));
    FinalizarTaskbar();
    ::DestroyWindow(w);
    ::CoUninitialize();
}

}  // namespace
