#include "Dialogos.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include "DialogSeam.h"
#include "Entorno.h"
#include "TextCodec.h"

namespace {

TEST(BuscarCarpeta, KeepsTheFolderUnlessTheUserChooses) {
    std::vector<ui::DialogRequest> pedidos;
    int respuesta = IDCANCEL;
    ui::ScopedDialogScript guion([&](const ui::DialogRequest& r) {
        pedidos.push_back(r);
        return ui::DialogAnswer{respuesta, "D:\\Apps"};
    });
    std::string carpeta = "C:\\Kavo";
    EXPECT_FALSE(BuscarCarpeta(nullptr, carpeta, "Selecciona el Directorio de Instalación", true, ""));
    EXPECT_EQ(carpeta, "C:\\Kavo");
    respuesta = IDOK;
    EXPECT_TRUE(BuscarCarpeta(nullptr, carpeta, "Selecciona el Directorio de Instalación", true, ""));
    EXPECT_EQ(carpeta, "D:\\Apps");
    ASSERT_EQ(pedidos.size(), 2u);
    EXPECT_EQ(pedidos[0].kind, "BuscarCarpeta");
    EXPECT_EQ(pedidos[0].caption, "Selecciona el Directorio de Instalación");
    EXPECT_EQ(pedidos[0].value, "C:\\Kavo");
}

TEST(GuardarComo, StoresTheConfirmedName) {
    int respuesta = IDCANCEL;
    ui::ScopedDialogScript guion([&](const ui::DialogRequest& r) {
        EXPECT_EQ(r.kind, "GuardarComo");
        EXPECT_EQ(r.caption, "Guardar enlaces");
        EXPECT_EQ(r.text, "Páginas|*.html");
        return ui::DialogAnswer{respuesta, "C:\\Enlaces\\Kavo.Html"};
    });
    TSaveDialog dialogo;
    dialogo.FileName = "Kavo.Html";
    dialogo.Title = "Guardar enlaces";
    dialogo.Filter = "Páginas|*.html";
    EXPECT_FALSE(GuardarComo(dialogo));
    EXPECT_EQ(dialogo.FileName, "Kavo.Html");
    respuesta = IDOK;
    EXPECT_TRUE(GuardarComo(dialogo));
    EXPECT_EQ(dialogo.FileName, "C:\\Enlaces\\Kavo.Html");
}

}  // namespace

namespace dialogo_real {

// Answers a real dialog from inside its own modal loop, as a user would:
// types g_nombre into the file name box (when there is a name to type) and
// presses the OK button.
std::wstring g_nombre;
std::wstring g_titulo;
bool g_respondido = false;
// For the folder picker: the name its tree must have selected before OK is
// pressed (the tree fills in while the dialog runs), and how long to wait.
std::wstring g_seleccion;
int g_esperas = 0;

BOOL CALLBACK BuscarDialogo(HWND v, LPARAM salida) {
    wchar_t clase[16] = L"";
    GetClassNameW(v, clase, 16);
    if (std::wstring(clase) != L"#32770" || !IsWindowVisible(v)) return TRUE;
    *reinterpret_cast<HWND*>(salida) = v;
    return FALSE;
}

BOOL CALLBACK BuscarArbol(HWND v, LPARAM salida) {
    wchar_t clase[32] = L"";
    GetClassNameW(v, clase, 32);
    if (std::wstring(clase) != WC_TREEVIEWW) return TRUE;
    *reinterpret_cast<HWND*>(salida) = v;
    return FALSE;
}

std::wstring TextoSeleccionado(HWND dialogo) {
    HWND arbol = nullptr;
    EnumChildWindows(dialogo, BuscarArbol, reinterpret_cast<LPARAM>(&arbol));
    if (!arbol) return {};
    wchar_t texto[MAX_PATH] = L"";
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = TreeView_GetSelection(arbol);
    item.pszText = texto;
    item.cchTextMax = MAX_PATH;
    if (!item.hItem || !TreeView_GetItem(arbol, &item)) return {};
    return texto;
}

void CALLBACK Responder(HWND, UINT, UINT_PTR temporizador, DWORD) {
    HWND dialogo = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), BuscarDialogo, reinterpret_cast<LPARAM>(&dialogo));
    if (!dialogo) return;
    if (!g_seleccion.empty() && TextoSeleccionado(dialogo) != g_seleccion && ++g_esperas < 200) return;
    KillTimer(nullptr, temporizador);
    wchar_t titulo[128] = L"";
    GetWindowTextW(dialogo, titulo, 128);
    g_titulo = titulo;
    // The file name box: the combo cmb13 of the explorer look, or the edit
    // edt1 of the old one.
    if (!g_nombre.empty() && !SetDlgItemTextW(dialogo, 0x47c, g_nombre.c_str()))
        SetDlgItemTextW(dialogo, 0x480, g_nombre.c_str());
    PostMessageW(dialogo, WM_COMMAND, IDOK, 0);
    g_respondido = true;
}

TEST(GuardarComo, RealDialogKeepsTheCurrentFolder) {
    prueba::CarpetaPrueba dir;
    wchar_t antes[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, antes);

    g_nombre = text::Wide(dir / "Kavo.Html");
    g_seleccion.clear();
    g_respondido = false;
    const UINT_PTR temporizador = SetTimer(nullptr, 0, 200, Responder);
    TSaveDialog dialogo;
    dialogo.FileName = "Kavo.Html";
    dialogo.Title = "Guardar los enlaces";
    dialogo.Filter = "Páginas web|*.html|Todos|*.*";
    dialogo.DefaultExt = "html";
    dialogo.InitialDir = dir.Ruta();
    const bool aceptado = GuardarComo(dialogo);
    KillTimer(nullptr, temporizador);

    ASSERT_TRUE(g_respondido) << "the dialog never showed";
    EXPECT_EQ(g_titulo, L"Guardar los enlaces");
    EXPECT_TRUE(aceptado);
    EXPECT_EQ(dialogo.FileName, dir / "Kavo.Html");
    wchar_t despues[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, despues);
    EXPECT_STREQ(despues, antes);
}

TEST(BuscarCarpeta, RealPickerStartsAtTheGivenFolder) {
    prueba::CarpetaPrueba dir;
    prueba::CrearCarpeta(dir / "Kavo\\Conta");
    // New style rooted at the desktop; old style rooted at the test folder.
    // Wine's new-style tree sometimes loses the initial selection while it
    // fills in under load, so there only a real folder coming back is
    // required; the old style must come back with exactly the given one.
    for (const bool estiloNuevo : {true, false}) {
        const std::string raiz = estiloNuevo ? "" : dir.Ruta();
        g_respondido = false;
        g_nombre.clear();  // OK only: the picker's own selection comes back
        g_seleccion = estiloNuevo ? L"" : L"Conta";
        g_esperas = 0;
        const UINT_PTR temporizador = SetTimer(nullptr, 0, 300, Responder);
        std::string carpeta = dir / "Kavo\\Conta";
        const bool elegida = BuscarCarpeta(nullptr, carpeta, "Selecciona el Directorio", estiloNuevo, raiz);
        KillTimer(nullptr, temporizador);
        ASSERT_TRUE(g_respondido) << "the picker never showed";
        EXPECT_TRUE(elegida) << estiloNuevo;
        EXPECT_TRUE(prueba::Existe(carpeta)) << carpeta;
        if (!estiloNuevo) {
            EXPECT_EQ(carpeta, dir / "Kavo\\Conta");
        }
    }
}

}  // namespace dialogo_real
