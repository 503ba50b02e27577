#include "Automatizacion.h"

#include <shellapi.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "ArchiveBuilder.h"
#include "InstallerBuilder.h"
#include "RegistroLanzamiento.h"
#include "TextCodec.h"
#include "Versiones.h"

using text::Narrow;
using text::Wide;

namespace prueba {

Proceso::Proceso(const std::string& exe, const std::vector<std::string>& args, const std::string& carpeta,
                 const std::string& errorEstandar) {
    std::wstring linea = L"\"" + Wide(exe) + L"\"";
    for (const auto& a : args) {
        // Backslashes before the closing quote are doubled, or the last one
        // would escape it (a folder with its trailing backslash).
        std::wstring w = Wide(a);
        size_t finales = w.size() - (w.find_last_not_of(L'\\') + 1);
        linea += L" \"" + w + std::wstring(finales, L'\\') + L"\"";
    }
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    HANDLE error = INVALID_HANDLE_VALUE;
    if (!errorEstandar.empty()) {
        SECURITY_ATTRIBUTES heredable{sizeof heredable, nullptr, TRUE};
        error = CreateFileW(Wide(errorEstandar).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &heredable, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdError = error;
    }
    const BOOL iniciado = CreateProcessW(nullptr, linea.data(), nullptr, nullptr, error != INVALID_HANDLE_VALUE, 0,
                                         nullptr, carpeta.empty() ? nullptr : Wide(carpeta).c_str(), &si, &pi_);
    if (error != INVALID_HANDLE_VALUE) CloseHandle(error);
    if (!iniciado) throw std::runtime_error("no arranca " + exe);
}

Proceso::~Proceso() {
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
}

bool Proceso::EsperarFin(std::chrono::milliseconds limite) {
    return WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(limite.count())) == WAIT_OBJECT_0;
}

DWORD Proceso::CodigoSalida() const {
    DWORD codigo = STILL_ACTIVE;
    GetExitCodeProcess(pi_.hProcess, &codigo);
    return codigo;
}

namespace {

struct Busqueda {
    DWORD pid;
    const wchar_t* clase;
    HWND encontrada = nullptr;
};

BOOL CALLBACK ConVentana(HWND h, LPARAM lp) {
    auto* b = reinterpret_cast<Busqueda*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    wchar_t clase[64];
    GetClassNameW(h, clase, 64);
    if ((b->pid == 0 || pid == b->pid) && IsWindowVisible(h) && wcscmp(clase, b->clase) == 0) {
        b->encontrada = h;
        return FALSE;
    }
    return TRUE;
}

template <typename F>
auto Esperar(std::chrono::milliseconds limite, F f) -> decltype(f()) {
    auto fin = std::chrono::steady_clock::now() + limite;
    for (;;) {
        if (auto r = f()) return r;
        if (std::chrono::steady_clock::now() > fin) return {};
        Sleep(50);
    }
}

std::string NombreComponente(HWND h) {
    auto atomo = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(h, L"KvNombre")));
    if (!atomo) return {};
    wchar_t buf[128];
    UINT n = GlobalGetAtomNameW(atomo, buf, 128);
    return Narrow(std::wstring(buf, n));
}

struct BusquedaControl {
    std::string nombre;
    HWND encontrado = nullptr;
};

BOOL CALLBACK ConHijo(HWND h, LPARAM lp) {
    auto* b = reinterpret_cast<BusquedaControl*>(lp);
    if (NombreComponente(h) == b->nombre) {
        b->encontrado = h;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK ConBoton(HWND h, LPARAM lp) {
    wchar_t clase[32];
    GetClassNameW(h, clase, 32);
    if (_wcsicmp(clase, L"Button") == 0) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

}  // namespace

HWND EsperarVentana(DWORD pid, const wchar_t* clase, std::chrono::milliseconds limite) {
    return Esperar(limite, [&]() -> HWND {
        Busqueda b{pid, clase};
        EnumWindows(&ConVentana, reinterpret_cast<LPARAM>(&b));
        return b.encontrada;
    });
}

HWND Control(HWND raiz, const std::string& nombre) {
    BusquedaControl b{nombre};
    EnumChildWindows(raiz, &ConHijo, reinterpret_cast<LPARAM>(&b));
    return b.encontrado;
}

std::string Texto(HWND h) {
    wchar_t buf[1024];
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &n))
        return {};
    return Narrow(std::wstring(buf, n));
}

std::string TextoDe(HWND raiz, const std::string& nombre) {
    HWND h = Control(raiz, nombre);
    return h ? Texto(h) : "<" + nombre + " no existe>";
}

void Escribir(HWND edit, const std::string& texto) {
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(texto).c_str()));
}

void Pulsar(HWND boton) { PostMessageW(boton, BM_CLICK, 0, 0); }

namespace {
constexpr int kDesdeLaIzquierda = 10;
}

void Clic(HWND control) {
    RECT r;
    GetClientRect(control, &r);
    LPARAM punto = MAKELPARAM(kDesdeLaIzquierda, (r.bottom - r.top) / 2);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, punto);
    PostMessageW(control, WM_LBUTTONUP, 0, punto);
}

void MoverPuntero(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MoverPuntero(r.left + kDesdeLaIzquierda, (r.top + r.bottom) / 2);
}

void MoverPuntero(int x, int y) { SetCursorPos(x, y); }

void PulsarTecla(HWND ventana, WORD tecla) {
    PostMessageW(ventana, WM_KEYDOWN, tecla, 1);
    PostMessageW(ventana, WM_KEYUP, tecla, static_cast<LPARAM>(0xC0000001u));
}

int Opacidad(HWND h) {
    BYTE alfa = 255;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(h, nullptr, &alfa, &flags) || !(flags & LWA_ALPHA)) return 255;
    return alfa;
}

std::optional<Dialogo> EsperarDialogo(DWORD pid, std::chrono::milliseconds limite) {
    HWND h = EsperarVentana(pid, L"#32770", limite);
    if (!h) return std::nullopt;
    Sleep(200);  // let the captions of the buttons settle
    Dialogo d;
    d.h = h;
    d.titulo = Texto(h);
    d.texto = Texto(GetDlgItem(h, 0xFFFF));
    std::vector<HWND> botones;
    EnumChildWindows(h, &ConBoton, reinterpret_cast<LPARAM>(&botones));
    for (HWND b : botones) d.botones.push_back(Texto(b));
    return d;
}

void Responder(const Dialogo& d, const std::string& boton) {
    std::vector<HWND> botones;
    EnumChildWindows(d.h, &ConBoton, reinterpret_cast<LPARAM>(&botones));
    for (HWND b : botones)
        if (Texto(b) == boton) {
            PostMessageW(d.h, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(b), BN_CLICKED), reinterpret_cast<LPARAM>(b));
            return;
        }
    throw std::runtime_error("el diálogo no tiene el botón " + boton);
}

namespace {

// What the screen shows of the window: 24-bit BGR rows, bottom-up and padded
// to 4 bytes, as BMP files store them.
struct Captura {
    BITMAPINFOHEADER cabecera{};
    std::vector<uint8_t> bits;
    size_t TamFila() const { return static_cast<size_t>((cabecera.biWidth * 3 + 3) & ~3); }
};

Captura Capturar(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    int w = r.right - r.left, alto = r.bottom - r.top;
    HDC pantalla = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(pantalla);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = alto;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP mapa = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ antes = SelectObject(dc, mapa);
    BitBlt(dc, 0, 0, w, alto, pantalla, r.left, r.top, SRCCOPY);
    GdiFlush();
    Captura c;
    c.cabecera = bi.bmiHeader;
    const auto* inicio = static_cast<const uint8_t*>(bits);
    c.bits.assign(inicio, inicio + c.TamFila() * static_cast<size_t>(alto));
    SelectObject(dc, antes);
    DeleteObject(mapa);
    DeleteDC(dc);
    ReleaseDC(nullptr, pantalla);
    return c;
}

}  // namespace

void GuardarCaptura(HWND h, const std::string& ruta) {
    Captura c = Capturar(h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(BITMAPINFOHEADER);
    fh.bfSize = static_cast<DWORD>(fh.bfOffBits + c.bits.size());
    std::ofstream f(std::filesystem::path(Wide(ruta)), std::ios::binary);
    f.write(reinterpret_cast<const char*>(&fh), sizeof(fh));
    f.write(reinterpret_cast<const char*>(&c.cabecera), sizeof(BITMAPINFOHEADER));
    f.write(reinterpret_cast<const char*>(c.bits.data()), static_cast<std::streamsize>(c.bits.size()));
}

int PixelesDeColor(HWND h, COLORREF color) {
    Captura c = Capturar(h);
    int n = 0;
    for (size_t fila = 0; fila < static_cast<size_t>(c.cabecera.biHeight); ++fila)
        for (size_t x = 0; x < static_cast<size_t>(c.cabecera.biWidth); ++x) {
            const uint8_t* p = c.bits.data() + fila * c.TamFila() + x * 3;
            if (RGB(p[2], p[1], p[0]) == color) ++n;
        }
    return n;
}

void ConstruirInstalador(const std::string& programa, const std::string& destino,
                         const std::array<uint8_t, 128>& datos) {
    // The installer's own archive: a header alone, carrying the record.
    kavmake::ArchiveOptions opciones;
    opciones.extraFlags = 0x02;
    std::copy(datos.begin(), datos.end(), opciones.userData.Bytes.begin());
    std::string archivo = kavmake::ArchiveBuilder(opciones).Bytes();
    std::ifstream f(std::filesystem::path(Wide(programa)), std::ios::binary);
    std::vector<uint8_t> imagen((std::istreambuf_iterator<char>(f)), {});
    kav::sfx::Built r = kav::sfx::BuildInstaller(imagen, std::vector<uint8_t>(archivo.begin(), archivo.end()));
    std::ofstream o(std::filesystem::path(Wide(destino)), std::ios::binary | std::ios::trunc);
    o.write(reinterpret_cast<const char*>(r.bytes.data()), static_cast<std::streamsize>(r.bytes.size()));
    if (!o) throw std::runtime_error("no se escribe " + destino);
}

std::array<uint8_t, 128> DatosLanzamiento(unsigned anio, unsigned mes, unsigned dia, uint32_t codigo,
                                          unsigned major, unsigned minor, int motor) {
    return CodificarDatosArchivo({anio, mes, dia, codigo, major, minor, static_cast<TTipoMotor>(motor)});
}

std::string RegistroComprimido(uint16_t anio, uint8_t mes, uint8_t dia, uint32_t codigo, uint16_t major,
                               uint16_t minor) {
    TypeVersionesConta r;
    r.FijarFecha(anio, mes, dia);
    r.FijarCodigoCliente(codigo);
    TypeVersion v;
    v.Major = major;
    v.Minor = minor;
    r.FijarVersionFichero(99, v);
    return ComprimirVersiones(r);
}

// --- files ---------------------------------------------------------------

void EscribirFichero(const std::string& ruta, const std::string& contenido) {
    std::ofstream f(std::filesystem::path(Wide(ruta)), std::ios::binary);
    f << contenido;
}

std::string CarpetaNueva(const std::string& nombre) {
    wchar_t actual[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, actual);
    std::string c = Narrow(actual) + "\\" + nombre + "\\";
    std::wstring doble = Wide(c.substr(0, c.size() - 1)) + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = doble.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
    CreateDirectoryW(Wide(c).c_str(), nullptr);
    return c;
}

std::string CarpetaTemporalWindows() {
    wchar_t buf[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    return Narrow(std::wstring(buf, n));
}

}  // namespace prueba
