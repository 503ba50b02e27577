#include "Carpetas.h"

#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "Entorno.h"
#include "TextCodec.h"

namespace {

using Microsoft::WRL::ComPtr;

bool TerminaEn(const std::string& s, const std::string& final) {
    return s.size() >= final.size() && s.compare(s.size() - final.size(), final.size(), final) == 0;
}

TEST(CarpetaTemporal, IsPerProductAndCreatedOnFirstUse) {
    const std::string anterior = PalabraProducto;
    wchar_t sistema[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, sistema);
    const std::string base = text::Narrow(sistema);
    for (const char* palabra : {"Rolda", "Conta"}) {
        PalabraProducto = palabra;
        RemoveDirectoryW(text::Wide(base + "Kavo\\" + palabra).c_str());
        const std::string carpeta = CarpetaTemporal();
        EXPECT_EQ(carpeta, base + "Kavo\\" + palabra + "\\");
        EXPECT_TRUE(prueba::Existe(carpeta)) << carpeta;
    }
    PalabraProducto = anterior;
    EXPECT_EQ(anterior, "Rolda") << "the library's initial word";
}

TEST(CarpetaEspecial, GivesDiskFoldersWithTheirBackslash) {
    const std::string escritorio = CarpetaEscritorio();
    EXPECT_EQ(escritorio, CarpetaEspecial(CSIDL_DESKTOPDIRECTORY));
    ASSERT_TRUE(TerminaEn(escritorio, "\\")) << escritorio;
    EXPECT_TRUE(prueba::Existe(escritorio)) << escritorio;
    EXPECT_EQ(CarpetaEspecial(CSIDL_CONTROLS), "") << "a virtual folder has no path";
    EXPECT_EQ(CarpetaEspecial(0x7F), "") << "no such folder";
}

struct Acceso {
    std::string destino, trabajo, descripcion, icono;
    int indice = 0;
};

Acceso LeerAcceso(const std::string& lnk) {
    ComPtr<IShellLinkW> enlace;
    ComPtr<IPersistFile> fichero;
    EXPECT_HRESULT_SUCCEEDED(
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&enlace)));
    enlace.As(&fichero);
    Acceso a;
    if (FAILED(fichero->Load(text::Wide(lnk).c_str(), STGM_READ))) return a;
    wchar_t texto[MAX_PATH] = L"";
    enlace->GetPath(texto, MAX_PATH, nullptr, 0);
    a.destino = text::Narrow(texto);
    enlace->GetWorkingDirectory(texto, MAX_PATH);
    a.trabajo = text::Narrow(texto);
    enlace->GetDescription(texto, MAX_PATH);
    a.descripcion = text::Narrow(texto);
    texto[0] = 0;
    enlace->GetIconLocation(texto, MAX_PATH, &a.indice);
    a.icono = text::Narrow(texto);
    return a;
}

TEST(CrearAccesoDirecto, WritesARealShortcut) {
    prueba::CarpetaPrueba dir;
    const std::string programa = dir / "Programa\\CONTA.EXE", icono = dir / "Programa\\CONTAICO.ico";
    CreateDirectoryW(text::Wide(dir / "Programa").c_str(), nullptr);
    prueba::EscribirFichero(programa, "MZ");
    prueba::EscribirFichero(icono, "ico");

    CrearAccesoDirecto(programa, "ContaKavo", dir.Ruta() + "\\", icono);
    Acceso a = LeerAcceso(dir / "ContaKavo.lnk");
    EXPECT_EQ(a.destino, programa);
    EXPECT_EQ(a.trabajo, dir / "Programa\\");
    EXPECT_EQ(a.descripcion,
              "Los Programas Kavo están especialmente diseñados para no causar ningún daño a la capa "
              "de ozono");
    EXPECT_EQ(a.icono, icono);
    EXPECT_EQ(a.indice, -1);

    // Rewritten in place; a missing icon file sets no icon.
    const std::string otro = dir / "Programa\\EDITOR.EXE";
    prueba::EscribirFichero(otro, "MZ");
    CrearAccesoDirecto(otro, "ContaKavo", dir.Ruta() + "\\", dir / "no.ico");
    a = LeerAcceso(dir / "ContaKavo.lnk");
    EXPECT_EQ(a.destino, otro);
    EXPECT_EQ(a.icono, "");
}

}  // namespace
