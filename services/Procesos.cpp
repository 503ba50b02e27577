#include "Procesos.h"

#include <windows.h>

#include <vector>

#include "Mensajes.h"
#include "ProcessMessages.h"
#include "TextCodec.h"
#include "Win32Handle.h"

namespace {

// Minimises and hides the installer's visible top-level windows for the
// lifetime of the object, and brings them back afterwards.
class VentanasOcultas {
public:
    explicit VentanasOcultas(bool ocultar) {
        if (!ocultar) return;
        EnumThreadWindows(GetCurrentThreadId(), &VentanasOcultas::Anotar,
                          reinterpret_cast<LPARAM>(&ventanas_));
        for (HWND v : ventanas_) {
            ShowWindow(v, SW_MINIMIZE);
            ShowWindow(v, SW_HIDE);
        }
    }
    ~VentanasOcultas() {
        for (HWND v : ventanas_) {
            if (!IsWindow(v)) continue;
            ShowWindow(v, SW_SHOW);
            ShowWindow(v, SW_RESTORE);
        }
    }
    VentanasOcultas(const VentanasOcultas&) = delete;
    VentanasOcultas& operator=(const VentanasOcultas&) = delete;

private:
    static BOOL CALLBACK Anotar(HWND v, LPARAM lista) {
        if (IsWindowVisible(v)) reinterpret_cast<std::vector<HWND>*>(lista)->push_back(v);
        return TRUE;
    }
    std::vector<HWND> ventanas_;
};

// The command interpreter of System32: never one planted beside the updater
// or in the working folder.
std::wstring InterpreteComandos() {
    wchar_t sistema[MAX_PATH];
    const UINT n = GetSystemDirectoryW(sistema, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    return std::wstring(sistema, n) + L"\\cmd.exe";
}

// cmd writes in the console's OEM code page.
std::string DesdeOem(const std::string& bytes) {
    if (bytes.empty()) return {};
    const int n = MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), int(bytes.size()), w.data(), n);
    return text::Narrow(w);
}

GrabadorProgramas& Grabador() {
    static GrabadorProgramas grabador;
    return grabador;
}

// The one place where the services create a process. `aplicacion` empty:
// the program is the first word of the line. The thread handle is closed
// here; the process handle is the caller's (null when nothing started).
win::KernelHandle CrearProceso(const std::wstring& aplicacion, std::wstring linea, STARTUPINFOW& inicio,
                               bool heredarHandles, DWORD opciones, const std::wstring& carpeta) {
    inicio.cb = sizeof inicio;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(aplicacion.empty() ? nullptr : aplicacion.c_str(), linea.data(), nullptr, nullptr,
                        heredarHandles, opciones, nullptr, carpeta.empty() ? nullptr : carpeta.c_str(), &inicio,
                        &pi))
        return win::KernelHandle();
    CloseHandle(pi.hThread);
    return win::KernelHandle(pi.hProcess);
}

}  // namespace

GrabadorProgramas InstalarGrabadorProgramas(GrabadorProgramas grabador) {
    GrabadorProgramas anterior = std::move(Grabador());
    Grabador() = std::move(grabador);
    return anterior;
}

std::string LineaPrograma(const std::string& programa, const std::string& argumentos) {
    std::string linea = "\"" + programa + "\"";
    if (!argumentos.empty()) linea += " " + argumentos;
    return linea;
}

bool IniciarPrograma(const std::string& programa, const std::string& argumentos) {
    const std::string linea = LineaPrograma(programa, argumentos);
    if (Grabador()) return Grabador()(InicioPrograma{linea, false, false});
    STARTUPINFOW inicio{};
    inicio.dwFlags = STARTF_USESHOWWINDOW;
    inicio.wShowWindow = SW_SHOWNORMAL;
    return bool(CrearProceso({}, text::Wide(linea), inicio, false, 0, {}));
}

bool EjecutarYEsperar(const std::string& lineaComando, bool ocultar) {
    bool iniciado = false;
    win::KernelHandle proceso;
    if (Grabador()) {
        iniciado = Grabador()(InicioPrograma{lineaComando, true, ocultar});
    } else {
        STARTUPINFOW inicio{};
        proceso = CrearProceso({}, text::Wide(lineaComando), inicio, false, 0, {});
        iniciado = bool(proceso);
    }
    if (!iniciado) {
        MostrarMensaje("No se puede Ejecutar la Aplicación");
        return false;
    }
    if (!proceso) return true;  // recorded, not started
    VentanasOcultas ocultas(ocultar);
    const HANDLE h = proceso.get();
    for (;;) {
        ui::ProcessMessages();
        // A quit request stays queued for the main loop and would wake the
        // wait at once, again and again: then only the program is waited
        // for, in short steps that still keep the window alive.
        MSG pendiente;
        if (PeekMessageW(&pendiente, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) {
            if (WaitForSingleObject(h, 100) != WAIT_TIMEOUT) break;
            continue;
        }
        const DWORD r = MsgWaitForMultipleObjects(1, &h, FALSE, INFINITE, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1) break;  // ended (or the wait itself failed)
    }
    return true;
}

std::string EjecutarComando(const std::string& lineaComando, const std::string& carpeta) {
    SECURITY_ATTRIBUTES heredable{sizeof heredable, nullptr, TRUE};
    HANDLE lectura = nullptr, escritura = nullptr;
    if (!CreatePipe(&lectura, &escritura, &heredable, 0)) return {};
    win::KernelHandle extremoLectura(lectura), extremoEscritura(escritura);
    // Only the write end goes to the child: were the read end inherited too,
    // the child would hold it open for nothing.
    SetHandleInformation(lectura, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW inicio{};
    inicio.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    inicio.wShowWindow = SW_HIDE;
    inicio.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    inicio.hStdOutput = escritura;
    inicio.hStdError = escritura;

    const std::wstring interprete = InterpreteComandos();
    win::KernelHandle proceso;
    if (!interprete.empty())
        proceso = CrearProceso(interprete, L"cmd.exe /C " + text::Wide(lineaComando), inicio, true,
                               CREATE_NO_WINDOW, text::Wide(carpeta));
    // Our copy of the write end must go now, or the reads below never see
    // the end of the output.
    extremoEscritura.reset();
    if (!proceso) return {};

    std::string salida;
    char trozo[255];
    DWORD leidos = 0;
    while (ReadFile(lectura, trozo, sizeof trozo, &leidos, nullptr) && leidos > 0)
        salida.append(trozo, leidos);
    WaitForSingleObject(proceso.get(), INFINITE);
    return DesdeOem(salida);
}
