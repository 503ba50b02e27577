// The local installation dialog. When a file cannot be fetched from the
// vendor's server it shows the error and explains how to fetch the archives
// with a web browser, on this computer or on another one (with a page of
// links saved to a pendrive), and to put them into the program folder; it
// closes with true once the archive is there.
#pragma once
#include <windows.h>

#include <string>

#include "FormModal.h"
#include "ModoLocalLogica.h"
#include "OvcURL.h"

class TFModoLocal : public forms::TFormModal {
public:
    // The client area while compact; the window grows to
    // TModoLocalLogica::kAltoAmpliado once a solution is chosen.
    static constexpr int kAncho = 679;
    static constexpr int kAltoCompacto = 225;

    TFModoLocal(HWND propietario, DatosModoLocal datos);

    forms::TPanel* Panel2;
    forms::TLabel* Label1;
    forms::TLabel* LbError;
    forms::TLabel* Label3;
    forms::TButton* btnCerrar;
    forms::TButton* btnLocal;
    forms::TButton* btnNoInternet;
    forms::TPanel* PanelLocal;
    forms::TLabel* Label2;
    forms::TLabel* Label4;
    forms::TOvcURL* OvcURLPrograma;
    forms::TLabel* Label5;
    forms::TOvcURL* OvcURLPath;
    forms::TPanel* PanelNoInternet;
    forms::TLabel* Label7;
    forms::TLabel* Label8;
    forms::TButton* btEnlaces;
    forms::TLabel* Label9;
    forms::TOvcURL* OvcURLPath2;
    forms::TButton* BtIniciar;
    forms::TLabel* Label6;

    void btnSoluciontClick(int tag);
    void OvcURLComunClick(const forms::TOvcURL& enlace);
    void btEnlacesClick();
    void BtIniciarClick();
    void btnCerrarClick();

    const TModoLocalLogica& Logica() const { return logica_; }

private:
    // The real system: the save dialog owned by this window, the plain
    // message, the system's ANSI code page and the shell.
    class TSistemaVentana : public TSistemaModoLocal {
    public:
        explicit TSistemaVentana(TFModoLocal& dialogo) : dialogo_(dialogo) {}
        std::string Ansi(const std::string& utf8) override;
        bool GuardarComo(std::string& nombre) override;
        void Mensaje(const std::string& texto) override;
        void Abrir(const std::string& destino) override;

    private:
        TFModoLocal& dialogo_;
    };

    void CrearParteSuperior();
    void CrearPanelLocal();
    void CrearPanelNoInternet();
    // Shows what the logic decided: height, panels, start button, the end.
    void Reflejar();

    TSistemaVentana sistema_;
    TModoLocalLogica logica_;
};

// Shows the dialog owned by `propietario` with the download error, the
// program folder (trailing backslash), the archive's file name and the base
// URL of the downloads (ending with "/"). True only when the user started the
// local installation with the archive present in the program folder.
bool MostrarModoLocal(HWND propietario, const std::string& mensaje, const std::string& carpeta,
                      const std::string& fichero, const std::string& url);
