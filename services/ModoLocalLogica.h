// The local installation dialog without its window: what each press decides,
// the start check and the links page for another computer. The window
// (ModoLocal.cpp) shows the state kept here. Side effects go through
// TSistemaModoLocal, whose portable defaults answer the two dialogs through
// the dialog seam, so the decisions are tested in both trees.
#pragma once
#include <optional>
#include <string>
#include <vector>

struct DatosModoLocal {
    std::string error;    // the download error that brought the dialog up
    std::string carpeta;  // the program folder, with trailing backslash
    std::string fichero;  // the file name of the release archive to install
    std::string urlBase;  // the vendor's download folder, ending with "/"

    std::string UrlPrograma() const { return urlBase + fichero; }
    std::string RutaArchivo() const { return carpeta + fichero; }
};

// The tags of the two solution buttons.
enum TagSolucion : int { kSolucionLocal = 1, kSolucionNoInternet = 2 };

// Which lower panel the window shows: none while compact.
enum class PanelModoLocal { Ninguno, Local, NoInternet };

// How the dialog stands: open, closed to install from local copies (the
// dialog's true), or closed without (false).
enum class FinModoLocal { Abierto, Instalar, Cerrado };

// The updater's own file, offered beside the archive on the links page.
inline constexpr const char* kFicheroActualizador = "Actualizador.exe";
// The dialog's kind in the dialog seam: a script may answer the whole dialog
// (mrOk: install from the local copies; anything else: close).
inline constexpr const char* kDialogoModoLocal = "ModoLocal";

// The name the save dialog proposes for the links page.
inline constexpr const char* kNombrePaginaEnlaces = "Kavo.Html";

// The eleven lines of the links page, without line ends. The link targets
// are written unquoted and each link is closed by "</>": that is the page
// the support team knows, and browsers read both links from it.
std::vector<std::string> LineasPaginaEnlaces(const std::string& urlPrograma, const std::string& urlBase);

// What the dialog does to the system.
class TSistemaModoLocal {
public:
    virtual ~TSistemaModoLocal() = default;
    virtual bool Existe(const std::string& ruta);
    // Writes the bytes, replacing an existing file; raises Exception naming
    // the file when it cannot be written.
    virtual void Escribir(const std::string& ruta, const std::string& bytes);
    // UTF-8 text in the system's ANSI code page (Windows-1252 here).
    virtual std::string Ansi(const std::string& utf8);
    // The save dialog (seam kind "GuardarComo"): true with the chosen name
    // stored into `nombre`; nothing chosen without a script.
    virtual bool GuardarComo(std::string& nombre);
    // The plain message with one button (seam kind "MostrarMensaje").
    virtual void Mensaje(const std::string& texto);
    // Opens a URL or folder with the shell; nothing here.
    virtual void Abrir(const std::string& destino);
};

// The whole dialog answered by a script, when one is installed: nobody is
// there to copy the archive, so a "start" counts only with the archive in
// the program folder. Nothing without a script (the window is shown).
std::optional<bool> RespuestaGuionModoLocal(const DatosModoLocal& datos, TSistemaModoLocal& sistema);

class TModoLocalLogica {
public:
    // The window's height, frame included, once a solution button was pressed.
    static constexpr int kAltoAmpliado = 500;

    TModoLocalLogica(DatosModoLocal datos, TSistemaModoLocal& sistema);

    const DatosModoLocal& Datos() const { return datos_; }
    PanelModoLocal Panel() const { return panel_; }
    bool Ampliado() const { return panel_ != PanelModoLocal::Ninguno; }
    // The start button is enabled from the first expansion on.
    bool IniciarActivo() const { return Ampliado(); }
    FinModoLocal Fin() const { return fin_; }

    // A solution button with its tag; the last one pressed decides the panel.
    void Solucion(int tag);
    // The start check: closes to install when the archive is in the program
    // folder, otherwise says which file is missing and stays open.
    void Iniciar();
    // Saves the links page where the user says, tells what to do next and
    // closes; a cancelled save dialog changes nothing.
    void GuardarEnlaces();
    // The close button and the close box.
    void Cerrar() { fin_ = FinModoLocal::Cerrado; }
    // Any link: its caption goes to the shell; a failure is not reported.
    void AbrirEnlace(const std::string& caption);

private:
    DatosModoLocal datos_;
    TSistemaModoLocal& sistema_;
    PanelModoLocal panel_ = PanelModoLocal::Ninguno;
    FinModoLocal fin_ = FinModoLocal::Abierto;
    std::string nombrePagina_ = kNombrePaginaEnlaces;
};
