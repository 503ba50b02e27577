#include "Dialogos.h"

#include <gtest/gtest.h>

#include "DialogSeam.h"

namespace {

TEST(BuscarCarpeta, KeepsTheFolderUnlessTheUserChooses) {
    std::vector<ui::DialogRequest> pedidos;
    int respuesta = IDCANCEL;
    ui::ScopedDialogScript guion([&](const ui::DialogRequest& r) {
        pedidos.push_back(r);
        return ui::DialogAnswer{respuesta, "D:\\Apps"};
    });
    std::string carpeta = "C:\\Kavo";
    EXPECT_FALSE(BuscarCarpeta(nullptr, carpeta, "Selecciona el Directorio de Instalación", true, ""));
    EXPECT_EQ(carpeta, "C:\\Kavo");
    respuesta = IDOK;
    EXPECT_TRUE(BuscarCarpeta(nullptr, carpeta, "Selecciona el Directorio de Instalación", true, ""));
    EXPECT_EQ(carpeta, "D:\\Apps");
    ASSERT_EQ(pedidos.size(), 2u);
    EXPECT_EQ(pedidos[0].kind, "BuscarCarpeta");
    EXPECT_EQ(pedidos[0].caption, "Selecciona el Directorio de Instalación");
    EXPECT_EQ(pedidos[0].value, "C:\\Kavo");
}

TEST(GuardarComo, StoresTheConfirmedName) {
    int respuesta = IDCANCEL;
    ui::ScopedDialogScript guion([&](const ui::DialogRequest& r) {
        EXPECT_EQ(r.kind, "GuardarComo");
        EXPECT_EQ(r.caption, "Guardar enlaces");
        EXPECT_EQ(r.text, "Páginas|*.html");
        return ui::DialogAnswer{respuesta, "C:\\Enlaces\\Kavo.Html"};
    });
    TSaveDialog dialogo;
    dialogo.FileName = "Kavo.Html";
    dialogo.Title = "Guardar enlaces";
    dialogo.Filter = "Páginas|*.html";
    EXPECT_FALSE(GuardarComo(dialogo));
    EXPECT_EQ(dialogo.FileName, "Kavo.Html");
    respuesta = IDOK;
    EXPECT_TRUE(GuardarComo(dialogo));
    EXPECT_EQ(dialogo.FileName, "C:\\Enlaces\\Kavo.Html");
}

}  // namespace
