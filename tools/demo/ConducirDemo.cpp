// Drives the demo as a user would, with the window tests' automation: the
// first installation (folder page, the run, the engine page with the engine
// installer, the closing question) and the update started by the accounting
// program (the run, the relaunch of the newer updater, its run, the question
// "¿Abrimos la Conta?" answered yes). Every step leaves a screenshot (BMP)
// in the given folder; every message met is answered and printed.
//   ConducirDemo instalar   INSTALADOR CARPETA_CAPTURAS
//   ConducirDemo actualizar CARPETA_PROGRAMA CARPETA_CAPTURAS
// Exit status 0 when every step was seen, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>

#include "Automatizacion.h"
#include "TextCodec.h"

using namespace prueba;

namespace {

std::string g_capturas;
int g_paso = 0;

void Decir(const std::string& texto) {
    std::printf("conducir: %s\n", texto.c_str());
    std::fflush(stdout);
}

void Captura(HWND h, const std::string& nombre) {
    char n[8];
    std::snprintf(n, sizeof n, "%02d_", ++g_paso);
    std::string ruta = g_capturas + n + nombre + ".bmp";
    Sleep(300);  // let the window paint
    GuardarCaptura(h, ruta);
    Decir("captura " + ruta);
}

[[noreturn]] void Fallo(const std::string& texto) { throw std::runtime_error(texto); }

std::string UnaLinea(std::string t) {
    for (char& c : t)
        if (c == '\r' || c == '\n') c = ' ';
    return t;
}

// Waits until `hecho` says so, answering every message box met meanwhile
// with what `responder` chooses (after a screenshot of it).
using Respuesta = std::function<std::string(const Dialogo&)>;
template <typename F>
auto AtenderHasta(F hecho, const Respuesta& responder, std::chrono::seconds limite, const std::string& que) {
    auto fin = std::chrono::steady_clock::now() + limite;
    for (;;) {
        if (auto r = hecho()) return r;
        auto d = EsperarDialogo(0, 200ms);
        // A message box on its way out has lost its texts and buttons.
        if (d && d->titulo.empty() && d->botones.empty()) {
            d.reset();
            Sleep(50);
        }
        if (d) {
            Decir("mensaje \"" + d->titulo + "\": " + UnaLinea(d->texto));
            Captura(d->h, "mensaje");
            std::string boton = responder(*d);
            Decir("  responde " + (boton.empty() ? "Intro" : boton));
            if (boton.empty())
                PostMessageW(d->h, WM_COMMAND, IDOK, 0);
            else
                Responder(*d, boton);
            for (int i = 0; i < 100 && IsWindow(d->h); ++i) Sleep(100);
        }
        if (std::chrono::steady_clock::now() > fin) Fallo("no llega: " + que);
    }
}

// The installer window of any process, other than `salvo`.
HWND VentanaKavo(const std::string& titulo, HWND salvo = nullptr) {
    HWND h = nullptr;
    while ((h = FindWindowExW(nullptr, h, L"KvFormulario", nullptr)))
        if (h != salvo && IsWindowVisible(h) && Texto(h) == titulo) return h;
    return nullptr;
}

// Fade-in done.
void Asentada(HWND h) {
    for (int i = 0; i < 100 && Opacidad(h) != 255; ++i) Sleep(50);
}

// Messages that only inform are acknowledged; questions get their answer.
Respuesta Contestar(const std::string& pregunta, const std::string& respuesta) {
    return [=](const Dialogo& d) {
        if (d.texto.find(pregunta) != std::string::npos) return respuesta;
        for (const char* b : {"Vale", "&Sí", "Sí"})
            for (const auto& x : d.botones)
                if (x == b) return x;
        return d.botones.empty() ? std::string() : d.botones.front();
    };
}

// The closing question "¿Abrimos la Conta?" gets `respuesta` and is noted;
// every other message is acknowledged.
Respuesta AnotarPregunta(bool& preguntado, const std::string& respuesta) {
    return [&preguntado, respuesta](const Dialogo& d) {
        if (d.texto.find("¿Abrimos la Conta?") == std::string::npos) return Contestar("", "")(d);
        preguntado = true;
        return respuesta;
    };
}

int Instalar(const std::string& instalador) {
    std::string carpeta = instalador.substr(0, instalador.find_last_of('\\') + 1);
    Proceso p(instalador, {}, carpeta);
    HWND h = AtenderHasta([&] { return VentanaKavo("Instalación Conta Kavo"); }, Contestar("", ""),
                          std::chrono::seconds(60), "la ventana del instalador");
    Asentada(h);
    Decir("instalador: " + TextoDe(h, "LabelFecha") + ", " + TextoDe(h, "LabelVersion") + ", " +
          TextoDe(h, "LSerie") + ", carpeta " + TextoDe(h, "eDirPrograma"));
    Captura(h, "instalador");
    Pulsar(Control(h, "bInstalar"));
    bool preguntado = false;
    Respuesta responder = AnotarPregunta(preguntado, "&No");
    // The engine page comes after the run.
    HWND motor = AtenderHasta(
        [&]() -> HWND {
            HWND f = Control(h, "Framepsql");
            return f && IsWindowVisible(f) && IsWindowEnabled(f) ? f : nullptr;
        },
        responder, std::chrono::seconds(300), "la página del motor");
    (void)motor;
    Decir("página del motor: " + TextoDe(h, "RadioGroup1"));
    Captura(h, "pagina_motor");
    Pulsar(Control(h, "bInstalar"));
    AtenderHasta(
        [&]() -> HWND {
            HWND w = FindWindowW(nullptr, L"Actian PSQL v12 Workgroup");
            return w;
        },
        responder, std::chrono::seconds(60), "el instalador del motor");
    if (HWND w = FindWindowW(nullptr, L"Actian PSQL v12 Workgroup")) Captura(w, "instalador_motor");
    AtenderHasta([&]() -> bool { return preguntado; }, responder, std::chrono::seconds(120), "la pregunta final");
    if (!p.EsperarFin(30s)) Fallo("el instalador no termina");
    Decir("instalación terminada");
    return 0;
}

int Actualizar(const std::string& programa) {
    // The accounting program finds the update and starts the updater.
    Proceso conta(programa + "CONTA.EXE", {"/ACTUALIZAR"}, programa);
    const std::string titulo = "Actualización Conta Kavo";
    HWND h = AtenderHasta([&] { return VentanaKavo(titulo); }, Contestar("", ""), std::chrono::seconds(60),
                          "la ventana del actualizador");
    Asentada(h);
    Decir("actualizador: " + TextoDe(h, "LabelFecha") + ", " + TextoDe(h, "LabelVersion") + ", " +
          TextoDe(h, "LSerie") + ", " + TextoDe(h, "LVersionAct"));
    Captura(h, "actualizador");
    Pulsar(Control(h, "bInstalar"));

    // The newer updater of the archive takes over: the window goes and
    // comes back in the same place.
    RECT antes;
    GetWindowRect(h, &antes);
    HWND nueva = AtenderHasta(
        [&]() -> HWND {
            if (IsWindow(h)) return nullptr;
            return VentanaKavo(titulo);
        },
        Contestar("¿Abrimos la Conta?", "&No"), std::chrono::seconds(300), "el actualizador relanzado");
    Asentada(nueva);
    RECT despues;
    GetWindowRect(nueva, &despues);
    Decir("relanzado: " + TextoDe(nueva, "LVersionAct") + ", en " + std::to_string(despues.left) + "," +
          std::to_string(despues.top) + " (antes " + std::to_string(antes.left) + "," + std::to_string(antes.top) +
          ")");
    Captura(nueva, "actualizador_relanzado");
    Pulsar(Control(nueva, "bInstalar"));

    bool preguntado = false;
    Respuesta responder = AnotarPregunta(preguntado, "&Sí");
    AtenderHasta([&]() -> bool { return preguntado; }, responder, std::chrono::seconds(300), "la pregunta final");
    // The accounting program, started by the updater, says what it is.
    auto d = EsperarDialogo(0, 30s);
    if (!d || d->titulo != "Contabilidad Kavo") Fallo("no arranca la Conta");
    Decir("la Conta: " + UnaLinea(d->texto));
    Captura(d->h, "conta");
    Responder(*d, d->botones.empty() ? std::string("Aceptar") : d->botones.front());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "uso: ConducirDemo instalar|actualizar RUTA CARPETA_CAPTURAS\n");
        return 2;
    }
    std::string modo = text::Narrow(argv[1]), ruta = text::Narrow(argv[2]);
    g_capturas = text::Narrow(argv[3]);
    if (g_capturas.back() != '\\') g_capturas += '\\';
    if (modo == "actualizar") g_paso = 10;
    try {
        return modo == "instalar" ? Instalar(ruta) : Actualizar(ruta);
    } catch (const std::exception& e) {
        Decir(std::string("FALLO: ") + e.what());
        return 1;
    }
}
