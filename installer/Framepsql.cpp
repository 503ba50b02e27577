#include "Framepsql.h"

using namespace forms;

TFFramepsql::TFFramepsql(TContenedor* padre) : TFFrameBase(padre, "Framepsql", 344) {
    RadioGroup1 = Crear<TRadioGroup>("RadioGroup1", Limites{8, 9, 322, 56}, " Pervasive Sql 12 ",
                                     std::vector<std::string>{"Instalar Servidor", "Instalar Cliente"}, 2);
    RadioGroup1->SetItemIndex(0);
    RichEdit1 = Crear<TRichEdit>("RichEdit1", Limites{8, 70, 321, 59},
                                 "El Servidor de Base de Datos debe instalarse en el \r\n"
                                 "Ordenador, donde estan los datos ");
    RichEdit1->SetEnabled(false);
    LbMotor = Crear<TLabel>("LbMotor", Limites{14, 144, 305, 26}, "", FuenteActual(), TLabel::Alineacion::Izquierda,
                            false, true);
    RadioGroup1->OnClick = [this] { RadioGroup1Click(); };
}

void TFFramepsql::RadioGroup1Click() {
    RichEdit1->SetText(RadioGroup1->ItemIndex() == 0
                           ? "El Servidor debe instalarse en el Ordenador donde estan los datos."
                           : "El Cliente debe instalarse en todos los Ordenadores que van a acceder a los datos. "
                             "(Excepto el Servidor)");
}
