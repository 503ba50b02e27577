// Progress and state on the program's taskbar button, and the three
// thumbnail-toolbar buttons ("Detener", "Continuar", "Cancelar"), through the
// shell's ITaskbarList3. Harmless where the feature is missing (classic look,
// systems before Windows 7 / Server 2008 R2): every call returns false and
// does nothing. UI thread only; COM must be initialised (apartment) first.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shobjidl.h>

#include <cstdint>

// Kinds of SetTaskbarState.
enum : uint8_t { tbsNinguno = 0, tbsIndeterminado = 1, tbsNormal = 2, tbsError = 3, tbsPausado = 4 };
// Modes of UpdateThumbButtons.
enum : int { tbMostrar = 0, tbOcultar = 4 };
// Ids of the thumbnail buttons (they arrive as WM_COMMAND to the window).
enum : UINT { idDetener = 40001, idContinuar = 40002, idCancelar = 40003 };

// The window that owns the program's taskbar button; every call passes it.
void SetTaskbarWindow(HWND window);

// Creates the taskbar interface once, when themes are on and the system is
// eligible. True when the interface exists afterwards.
bool InitTaskbar();
bool TaskbarAvailable();
// Sets the button's state from the kind; with a bar, the bar takes the
// matching look too. images null means KavoImageList.
bool SetTaskbarState(uint8_t kind, HWND bar = nullptr, HIMAGELIST images = nullptr,
                     bool cancelAllowed = false, bool withButtons = false);
bool SetTaskbarProgress(int32_t position, int32_t maximum);
// Shows (adding them the first time) or hides the thumbnail buttons. Always false.
bool UpdateThumbButtons(int mode, HIMAGELIST images, bool paused);
// Releases the interface and forgets the buttons. Call before CoUninitialize:
// releasing a shell object after it is undefined.
void FinalizarTaskbar();

// The parts InitTaskbar decides from, for hosts that know better and tests.
// Windows 7 and later, or Server 2008 R2 and later.
bool SistemaConBarraWin7(bool isServer, int32_t osCode);
using CrearTaskbarFn = ITaskbarList3* (*)();
// The real shell object (null when it cannot be created).
ITaskbarList3* CrearTaskbarDelSistema();
bool InitTaskbarCon(bool temasActivos, bool sistemaApto, CrearTaskbarFn crear);
// The three button records as last given to the taskbar.
const THUMBBUTTON* ThumbButtons();
