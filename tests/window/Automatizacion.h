// Drives the real installer window from a test program, as a user would:
// starts Actualizador.exe as a separate process, finds its window and
// controls (by the component names the window publishes), reads texts,
// types, clicks, answers message boxes and saves screenshots.
#pragma once
#include <windows.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace prueba {

using namespace std::chrono_literals;

// A started program; killed when the test ends without closing it.
class Proceso {
public:
    // With `errorEstandar`, the program's standard error goes to that file.
    Proceso(const std::string& exe, const std::vector<std::string>& args, const std::string& carpeta,
            const std::string& errorEstandar = {});
    ~Proceso();
    Proceso(const Proceso&) = delete;
    Proceso& operator=(const Proceso&) = delete;
    DWORD Id() const { return pi_.dwProcessId; }
    // True when the program ended within the time.
    bool EsperarFin(std::chrono::milliseconds limite = 20s);
    // The exit code of an ended program (STILL_ACTIVE while it runs).
    DWORD CodigoSalida() const;

private:
    PROCESS_INFORMATION pi_{};
};

// The visible top-level window of the process with this class ("KvFormulario"
// for the installer window, "#32770" for a message box); nullptr on timeout.
// Process 0: a window of any process (one started by the program under test).
HWND EsperarVentana(DWORD pid, const wchar_t* clase, std::chrono::milliseconds limite = 30s);
// The control (at any depth) that publishes this component name.
HWND Control(HWND raiz, const std::string& nombre);
std::string Texto(HWND h);
std::string TextoDe(HWND raiz, const std::string& nombre);
void Escribir(HWND edit, const std::string& texto);
void Pulsar(HWND boton);
// A press and release of the left mouse button on the control, a few pixels
// in from its left edge and halfway down (where a label's text starts).
void Clic(HWND control);
// Moves the mouse pointer to that same place of the control, or to a screen point.
void MoverPuntero(HWND control);
void MoverPuntero(int x, int y);
// How many pixels of the window, as the screen shows it, have exactly this colour.
int PixelesDeColor(HWND h, COLORREF color);
void PulsarTecla(HWND ventana, WORD tecla);
// The window's opacity; 255 for a window that is not layered.
int Opacidad(HWND h);

struct Dialogo {
    HWND h = nullptr;
    std::string titulo, texto;
    std::vector<std::string> botones;
};
// Waits for a message box of the process and reads it.
std::optional<Dialogo> EsperarDialogo(DWORD pid, std::chrono::milliseconds limite = 20s);
// Presses the button with this caption.
void Responder(const Dialogo& d, const std::string& boton);

// Saves what the screen shows of the window as a BMP file.
void GuardarCaptura(HWND h, const std::string& ruta);

// The installer-building step (the producer and the installer-building tool):
// the program with an empty archive appended whose header holds the 128 bytes
// of user data, and the archive position written into SFXCODES.
void ConstruirInstalador(const std::string& programa, const std::string& destino,
                         const std::array<uint8_t, 128>& datosUsuario);

// A release record for tests: date, customer code, version, engine.
std::array<uint8_t, 128> DatosLanzamiento(unsigned anio, unsigned mes, unsigned dia, uint32_t codigo,
                                          unsigned major, unsigned minor, int motor /*0,1,2*/);

// A release's versions record as the vendor compresses it: date, customer
// code, and the accounting program's version.
std::string RegistroComprimido(uint16_t anio, uint8_t mes, uint8_t dia, uint32_t codigo, uint16_t major,
                               uint16_t minor);

// Helpers for files in the tests' folders.
void EscribirFichero(const std::string& ruta, const std::string& contenido);
std::string CarpetaNueva(const std::string& nombre);  // below the build tree, emptied
std::string CarpetaTemporalWindows();                 // %TEMP% with trailing backslash

}  // namespace prueba
