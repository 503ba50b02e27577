// Switching the wizard pages and the looks of the two buttons.
#include "Application.h"
#include "FormKavoInstala.h"

void TFFormKavoInstala::BotonesEnReposo() {
    bInstalar->SetEnabled(true);
    bInstalar->SetDefault(true);
    bCancelar->SetEnabled(true);
    bCancelar->SetCaption("Salir");
    bCancelar->SetDefault(false);
}

void TFFormKavoInstala::BotonesTrabajando() {
    bInstalar->SetEnabled(false);
    bInstalar->SetDefault(false);
    bCancelar->SetCaption("Cancelar");
    bCancelar->SetDefault(true);
}

void TFFormKavoInstala::BotonesMotor() {
    bInstalar->SetEnabled(true);
    bInstalar->SetDefault(false);
    bCancelar->SetCaption("Cancelar");
    bCancelar->SetDefault(true);
}

void TFFormKavoInstala::MostrarPagina(int indice, bool desactivarActual) {
    PanelFrame->SetEnabled(false);
    if (desactivarActual) Paginas.at(static_cast<size_t>(PaginaActual))->SetEnabled(false);
    TFFrameBase* pagina = Paginas.at(static_cast<size_t>(indice));
    pagina->SetEnabled(true);
    pagina->BringToFront();
    PaginaActual = indice;
    PanelFrame->SetEnabled(true);
    bInstalar->SetVisible(ModoActualizacion || TipoMotor == tmBtrieve6 ? indice == pgPrograma : indice < 3);
    forms::Application().ProcessMessages();
}

void TFFormKavoInstala::PaginaDescargando() {
    PanelFrame->SetEnabled(false);
    PaginaInstalacion->stDe->SetCaption("");
    PaginaInstalacion->stCopiar->SetVisible(false);
    PaginaInstalacion->stText->SetVisible(false);
    Paginas.at(static_cast<size_t>(PaginaActual))->SetEnabled(false);
    PaginaInstalacion->SetEnabled(true);
    PaginaInstalacion->BringToFront();
    PanelFrame->SetEnabled(true);
    BotonesTrabajando();
    MostrarPagina(1, false);
}

void TFFormKavoInstala::PaginaInstalando() {
    PaginaInstalacion->ProgressBar1->SetPosition(0);
    PaginaInstalacion->ProgressBar1->SetMax(100);
    PaginaInstalacion->stDe->SetCaption("Extrayendo de:");
    std::string titulo = " INSTALANDO " + TextoProgramaMayusculas() + " ";
    PaginaInstalacion->Label1->SetCaption(titulo);
    PaginaInstalacion->gbInstalar2->SetCaption(titulo);
    PaginaInstalacion->stCopiar->SetVisible(true);
    PaginaInstalacion->stText->SetVisible(true);
    PanelFrame->SetEnabled(false);
    Paginas.at(static_cast<size_t>(PaginaActual))->SetEnabled(false);
    PaginaInstalacion->SetEnabled(true);
    PaginaInstalacion->BringToFront();
    PanelFrame->SetEnabled(true);
    BotonesTrabajando();
}

void TFFormKavoInstala::PaginaEnReposo(bool reiniciar) {
    BotonesEnReposo();
    PaginaInstalacion->SetEnabled(false);
    MostrarPagina(reiniciar ? pgPrograma : PaginaActual, true);
}

void TFFormKavoInstala::MostrarPaginaMotor() {
    BotonesMotor();
    MostrarPagina(2, false);
}
