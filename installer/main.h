// The accounting product's installer window: its program page and the
// start-up preparation of "Contabilidad Kavo". The product's names, folders
// and per-entry decisions are TProductoConta's; this class lends it the
// system and shows what the start-up found.
#pragma once
#include "FormKavoInstala.h"
#include "ProductoConta.h"

class TFMain : public TFFormKavoInstala {
public:
    TFMain();
    ~TFMain() override;

    TProducto& Producto() override { return ProductoConta(); }
    TProductoConta& ProductoConta();
    TFFramePrograma* CrearPaginaPrograma() override;
    bool Preparar() override;

    void FormCreate() override;

    bool IniciadoConArgumento = false;

private:
    bool FicheroClienteAlLado(const std::string& urlClientes);
    std::unique_ptr<conta::TSistemaConta> sistema_;
    std::unique_ptr<TProductoConta> producto_;
};
