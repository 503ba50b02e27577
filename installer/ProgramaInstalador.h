// The program around its main window: the application with its title, the
// window built and started (FormCreate) and, when its start-up succeeded,
// shown and activated, ready for the message loop.
#pragma once
#include <objbase.h>

#include <memory>
#include <optional>

#include "Desatendido.h"
#include "main.h"

// COM for the main thread, held for the life of the module (a global).
struct ComHiloPrincipal {
    ComHiloPrincipal() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComHiloPrincipal() { CoUninitialize(); }
};

class ProgramaInstalador {
public:
    ProgramaInstalador();
    ~ProgramaInstalador();
    ProgramaInstalador(const ProgramaInstalador&) = delete;
    ProgramaInstalador& operator=(const ProgramaInstalador&) = delete;

    // The main window when its start-up succeeded, nullptr otherwise.
    TFMain* Ventana() const { return FormularioListo ? form_.get() : nullptr; }
    // Runs the message loop until the application ends; nothing when the
    // start-up failed. Unattended (/SILENT, /VERYSILENT), runs the
    // installation instead, with no one asked. Returns the process exit code.
    int Ejecutar();

private:
    // The dialog script of an unattended run: each message to the log with
    // the safe answer. The exit code comes from the run's end, not from here.
    ui::DialogAnswer Contestar(const ui::DialogRequest& pedido);

    std::unique_ptr<TFMain> form_;
    desatendido::Opciones opciones_;
    std::optional<desatendido::CodigoSalida> fallo_;  // a refused switch: nothing ran
};
