#include "ExtractorInstalador.h"

#include "Mensajes.h"

TExtractorInstalador::TExtractorInstalador() {
    ErrorAction = kav::eaAsk;
    RestoreAction = kav::raOverwrite;
    Filter = "*.*";
    SetBlockSize(65536);
    // The engine's prompts (key, segments, overwrite) speak like the rest of
    // the program.
    kav::TExtrMessages& m = Messages();
    m.Ok = "Vale";
    m.Cancel = "Cancelar";
    m.Yes = "&Sí";
    m.YesToAll = "Sí a &Todo";
    m.No = "&No";
    m.Information = TituloMensaje(TipoMensaje::Informacion);
    m.Warning = TituloMensaje(TipoMensaje::Aviso);
    m.Confirmation = TituloMensaje(TipoMensaje::Confirmacion);
    m.Error = TituloMensaje(TipoMensaje::Error);
    m.PublishDialogTexts();
}

int32_t TExtractorInstalador::MessageDlg(const std::string& text, kav::TMsgDlgType type, kav::TMsgDlgButtons buttons,
                                         int32_t helpCtx) {
    using kav::Buttons;
    TipoMensaje tipo = type == kav::mtWarning        ? TipoMensaje::Aviso
                       : type == kav::mtError        ? TipoMensaje::Error
                       : type == kav::mtConfirmation ? TipoMensaje::Confirmacion
                                                     : TipoMensaje::Informacion;
    if (buttons == Buttons({kav::mbOK})) return Mensaje(text, tipo, BotonesMensaje::Ok);
    if (buttons == Buttons({kav::mbOK, kav::mbCancel})) return Mensaje(text, tipo, BotonesMensaje::OkCancelar);
    if (buttons == Buttons({kav::mbYes, kav::mbNo})) return Mensaje(text, tipo, BotonesMensaje::SiNo);
    return kav::TExtractor::MessageDlg(text, type, buttons, helpCtx);
}
