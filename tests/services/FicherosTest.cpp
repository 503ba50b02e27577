#include "Ficheros.h"

#include <gtest/gtest.h>

#include <cmath>

#include "Entorno.h"
#include "Exception.h"
#include "Plataforma.h"
#include "ProcessMessages.h"
#include "TextCodec.h"
#include "Win32Error.h"

namespace {

using prueba::CarpetaPrueba;
using prueba::EscribirFichero;
using prueba::Existe;
using prueba::LeerFichero;

const std::string kEnUso =
    "No se puede eliminar el archivo: Está siendo usado por otra persona o programa\r\n";
const std::string kRenombrar = "No se puede cambiar el nombre del archivo: ";

// The message of the exception that `accion` throws ("" when none).
template <typename F>
std::string Mensaje(F accion) {
    try {
        accion();
    } catch (const Exception& e) {
        return e.what();
    }
    return "";
}

void SoloLectura(const std::string& ruta) {
    SetFileAttributesW(text::Wide(ruta).c_str(), FILE_ATTRIBUTE_READONLY);
}

// Counts the calls of the message pump made while a service waits.
int g_bombeos = 0;
struct ContarBombeos {
    ContarBombeos() { g_bombeos = 0, anterior = ui::SetProcessMessagesHook([] { ++g_bombeos; }); }
    ~ContarBombeos() { ui::SetProcessMessagesHook(anterior); }
    ui::IdleHook anterior;
};

TEST(BorrarFichero, DeletesOrSaysWhy) {
    CarpetaPrueba dir;
    const std::string libre = dir / "libre.txt", usado = dir / "usado.txt",
                      soloLectura = dir / "solo.txt", falta = dir / "falta.txt";
    for (const auto& f : {libre, usado, soloLectura}) EscribirFichero(f, "x");
    SoloLectura(soloLectura);

    EXPECT_TRUE(BorrarFichero(libre, true));
    EXPECT_FALSE(Existe(libre));

    prueba::FicheroRetenido retenido(usado);
    EXPECT_FALSE(BorrarFichero(usado, false));
    EXPECT_EQ(Mensaje([&] { BorrarFichero(usado, true); }), kEnUso + usado);
    EXPECT_TRUE(Existe(usado));

    EXPECT_EQ(Mensaje([&] { BorrarFichero(soloLectura, true); }), kEnUso + soloLectura);
    EXPECT_TRUE(Existe(soloLectura));

    EXPECT_FALSE(BorrarFichero(falta, false));
    EXPECT_EQ(Mensaje([&] { BorrarFichero(falta, true); }),
              win::SysErrorMessage(ERROR_FILE_NOT_FOUND) + "\r\n" + falta);
    EXPECT_EQ(Mensaje([&] { BorrarFichero(dir / "no hay\\f.txt", true); }),
              win::SysErrorMessage(ERROR_PATH_NOT_FOUND) + "\r\n" + dir / "no hay\\f.txt");
}

TEST(RenombrarFichero, WaitsForASourceThatAppearsLate) {
    CarpetaPrueba dir;
    const std::string origen = dir / "tarde.txt", destino = dir / "nuevo.txt";
    ContarBombeos bombeos;
    prueba::Ayudante creador("crear " + prueba::Comillas(origen) + " 2000");
    const ULONGLONG inicio = GetTickCount64();
    EXPECT_TRUE(RenombrarFichero(origen, destino, true));
    EXPECT_GE(GetTickCount64() - inicio, 1500u);
    EXPECT_EQ(LeerFichero(destino), "tarde");
    EXPECT_FALSE(Existe(origen));
    EXPECT_GT(g_bombeos, 50) << "the window must stay alive while waiting";
}

TEST(RenombrarFichero, GivesUpOnASourceThatNeverAppears) {
    CarpetaPrueba dir;
    const std::string destino = dir / "nuevo.txt";
    ContarBombeos bombeos;
    const ULONGLONG inicio = GetTickCount64();
    EXPECT_EQ(Mensaje([&] { RenombrarFichero(dir / "nunca.txt", destino, true); }),
              kRenombrar + win::SysErrorMessage(ERROR_FILE_NOT_FOUND) + "\r\n" + destino);
    EXPECT_GE(GetTickCount64() - inicio, 14000u);
    EXPECT_GT(g_bombeos, 1000);
}

TEST(RenombrarFichero, RefusesAnExistingTargetAndAllowsACaseChange) {
    CarpetaPrueba dir;
    const std::string a = dir / "a.txt", b = dir / "b.txt";
    EscribirFichero(a, "A");
    EscribirFichero(b, "B");
    EXPECT_FALSE(RenombrarFichero(a, b, false));
    EXPECT_EQ(Mensaje([&] { RenombrarFichero(a, b, true); }),
              kRenombrar + win::SysErrorMessage(ERROR_ALREADY_EXISTS) + "\r\n" + b);
    EXPECT_EQ(LeerFichero(b), "B");

    // The old name still "exists" after a change of case only: no false alarm.
    EXPECT_TRUE(RenombrarFichero(a, dir / "A.TXT", true));
}

TEST(CopiarFichero, FailIfExistsDecidesOverAnExistingTarget) {
    CarpetaPrueba dir;
    const std::string origen = dir / "origen.txt", destino = dir / "destino.txt";
    EscribirFichero(origen, "nuevo");
    const struct {
        bool existe, fallarSiExiste, resultado;
        const char* contenido;
    } casos[] = {
        {false, true, true, "nuevo"},
        {true, true, false, "viejo"},
        {true, false, true, "nuevo"},
    };
    for (const auto& c : casos) {
        DeleteFileW(text::Wide(destino).c_str());
        if (c.existe) EscribirFichero(destino, "viejo");
        EXPECT_EQ(CopiarFichero(origen, destino, c.fallarSiExiste, false), c.resultado);
        EXPECT_EQ(LeerFichero(destino), c.contenido);
    }
}

TEST(CopiarFichero, BehavesByWindowsVersion) {
    CarpetaPrueba dir;
    const std::string destino = dir / "destino.txt", falta = dir / "falta.txt";
    const servicios::VersionWindows xp{true, 5, 1}, vista{true, 6, 0}, siete{true, 6, 1};
    const std::string textoFalta = win::SysErrorMessage(ERROR_FILE_NOT_FOUND) + "\r\n" + destino;

    EXPECT_FALSE(servicios::CopiarFicheroEn(vista, falta, destino, false, false));
    EXPECT_EQ(Mensaje([&] { servicios::CopiarFicheroEn(xp, falta, destino, false, true); }), textoFalta);
    // The raise flag is honoured on every version.
    EXPECT_EQ(Mensaje([&] { servicios::CopiarFicheroEn(vista, falta, destino, false, true); }), textoFalta);

    // Windows 7 waits for a source that appears late.
    const std::string tarde = dir / "tarde.txt";
    prueba::Ayudante creador("crear " + prueba::Comillas(tarde) + " 1000");
    EXPECT_TRUE(servicios::CopiarFicheroEn(siete, tarde, destino, false, true));
    EXPECT_EQ(LeerFichero(destino), "tarde");
}

TEST(CopiarDirectorio, CopiesFilesAndCreatesTheTarget) {
    CarpetaPrueba dir;
    CreateDirectoryW(text::Wide(dir / "o").c_str(), nullptr);
    CreateDirectoryW(text::Wide(dir / "o\\sub").c_str(), nullptr);
    EscribirFichero(dir / "o\\uno.txt", "1");
    EscribirFichero(dir / "o\\dos.exe", "2");
    EscribirFichero(dir / "o\\sub\\tres.txt", "3");

    EXPECT_TRUE(CopiarDirectorio(dir / "o\\", dir / "d\\más\\abajo\\", true));
    EXPECT_EQ(LeerFichero(dir / "d\\más\\abajo\\uno.txt"), "1");
    EXPECT_EQ(LeerFichero(dir / "d\\más\\abajo\\dos.exe"), "2");
    EXPECT_EQ(LeerFichero(dir / "d\\más\\abajo\\sub\\tres.txt"), "3");

    // Without subfolders: the files directly in it, whatever order the
    // subfolder comes in.
    EXPECT_TRUE(CopiarDirectorio(dir / "o", dir / "plano", false));
    EXPECT_EQ(LeerFichero(dir / "plano\\uno.txt"), "1");
    EXPECT_EQ(LeerFichero(dir / "plano\\dos.exe"), "2");
    EXPECT_FALSE(Existe(dir / "plano\\sub"));
}

TEST(CopiarDirectorio, AFailedFileDoesNotStopTheOthers) {
    // A backup being restored: one file in use must not leave the rest behind.
    CarpetaPrueba dir;
    CreateDirectoryW(text::Wide(dir / "copia").c_str(), nullptr);
    CreateDirectoryW(text::Wide(dir / "programa").c_str(), nullptr);
    for (const char* n : {"a.dll", "b.exe", "c.bpl", "d.dll"}) {
        EscribirFichero(dir / "copia\\" + n, "copia");
        EscribirFichero(dir / "programa\\" + n, "roto");
    }
    prueba::FicheroRetenido retenido(dir / "programa\\b.exe");

    EXPECT_FALSE(CopiarDirectorio(dir / "copia", dir / "programa", false));
    EXPECT_EQ(LeerFichero(dir / "programa\\a.dll"), "copia");
    EXPECT_EQ(LeerFichero(dir / "programa\\c.bpl"), "copia");
    EXPECT_EQ(LeerFichero(dir / "programa\\d.dll"), "copia");
}

TEST(BorrarDirectorio, RemovesReadOnlyAndHiddenFilesAndTheFolder) {
    CarpetaPrueba dir;
    const std::string raiz = dir / "árbol";
    CreateDirectoryW(text::Wide(raiz).c_str(), nullptr);
    CreateDirectoryW(text::Wide(raiz + "\\sub").c_str(), nullptr);
    EscribirFichero(raiz + "\\normal.txt", "n");
    EscribirFichero(raiz + "\\sub\\solo.txt", "s");
    EscribirFichero(raiz + "\\sub\\oculto.txt", "o");
    SoloLectura(raiz + "\\sub\\solo.txt");
    SetFileAttributesW(text::Wide(raiz + "\\sub\\oculto.txt").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);

    EXPECT_TRUE(BorrarDirectorio(raiz + "\\", true));
    EXPECT_FALSE(Existe(raiz));
    EXPECT_TRUE(BorrarDirectorio(raiz, true)) << "a folder already gone is no failure";
}

TEST(BorrarDirectorio, StopsAtAFileInUseOrAnUnaskedSubfolder) {
    CarpetaPrueba dir;
    const std::string raiz = dir / "árbol";
    CreateDirectoryW(text::Wide(raiz).c_str(), nullptr);
    EscribirFichero(raiz + "\\usado.txt", "u");
    {
        prueba::FicheroRetenido retenido(raiz + "\\usado.txt");
        EXPECT_FALSE(BorrarDirectorio(raiz, true));
        EXPECT_TRUE(Existe(raiz + "\\usado.txt"));
    }
    DeleteFileW(text::Wide(raiz + "\\usado.txt.retenido").c_str());

    CreateDirectoryW(text::Wide(raiz + "\\sub").c_str(), nullptr);
    EXPECT_FALSE(BorrarDirectorio(raiz, false));
    EXPECT_TRUE(Existe(raiz + "\\sub"));
}

TEST(BorrarDirectorio, RemovesALinkButNotWhatItPointsTo) {
    CarpetaPrueba dir;
    const std::string fuera = dir / "fuera", raiz = dir / "árbol";
    CreateDirectoryW(text::Wide(fuera).c_str(), nullptr);
    CreateDirectoryW(text::Wide(raiz).c_str(), nullptr);
    EscribirFichero(fuera + "\\valioso.txt", "v");
    if (!CreateSymbolicLinkW(text::Wide(raiz + "\\enlace").c_str(), text::Wide(fuera).c_str(),
                             SYMBOLIC_LINK_FLAG_DIRECTORY))
        GTEST_SKIP() << "this system makes no folder links";

    EXPECT_TRUE(BorrarDirectorio(raiz, true));
    EXPECT_FALSE(Existe(raiz));
    EXPECT_EQ(LeerFichero(fuera + "\\valioso.txt"), "v");
}

TEST(FicheroEnUsoYSoloLectura, TellTheStateOfAFile) {
    CarpetaPrueba dir;
    const std::string normal = dir / "normal.txt", solo = dir / "solo.txt", usado = dir / "usado.txt";
    for (const auto& f : {normal, solo, usado}) EscribirFichero(f, "x");
    SoloLectura(solo);
    prueba::FicheroRetenido retenido(usado);
    const struct {
        std::string ruta;
        bool enUso, soloLectura;
    } casos[] = {
        {normal, false, false},
        {solo, true, true},
        {usado, true, false},
        {dir / "falta.txt", true, false},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(FicheroEnUso(c.ruta), c.enUso) << c.ruta;
        EXPECT_EQ(FicheroSoloLectura(c.ruta), c.soloLectura) << c.ruta;
    }
}

// The archives' dates are local day counts: a file given a local time reads
// back as exactly that second, so "not older than the entry" can compare.
TEST(FechaModificacion, LocalDayCountToTheSecond) {
    CarpetaPrueba dir;
    const std::string f = dir / "fecha.txt";
    EscribirFichero(f, "x");
    SYSTEMTIME st{2026, 12, 4, 10, 9, 30, 15, 0};  // Thursday 10 Dec 2026 09:30:15, local
    FILETIME local, utc;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &local));
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
    {
        HANDLE h = CreateFileW(text::Wide(f).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        SetFileTime(h, nullptr, nullptr, &utc);
        CloseHandle(h);
    }
    double dias = 0;
    ASSERT_TRUE(FechaModificacion(f, dias));
    // 10 Dec 2026 is day 46366 after 30 Dec 1899.
    EXPECT_EQ(std::llround(dias * 86400.0), 46366LL * 86400 + 9 * 3600 + 30 * 60 + 15);
    EXPECT_FALSE(FechaModificacion(dir / "falta.txt", dias));
}

}  // namespace
