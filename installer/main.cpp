#include "main.h"

#include <shellapi.h>

#include "Exception.h"
#include "FrameProgramaConta.h"
#include "Mensajes.h"
#include "TextCodec.h"

using text::Narrow;
using text::Wide;

namespace {

std::vector<uint8_t> RecursoDatos(const wchar_t* nombre) {
    HRSRC r = FindResourceW(nullptr, nombre, MAKEINTRESOURCEW(10));
    HGLOBAL g = r ? LoadResource(nullptr, r) : nullptr;
    auto* p = g ? static_cast<const uint8_t*>(LockResource(g)) : nullptr;
    if (!p) return {};
    return std::vector<uint8_t>(p, p + SizeofResource(nullptr, r));
}

std::string PrimerArgumento() {
    int n = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &n);
    std::string r = args && n > 1 ? Narrow(args[1]) : std::string();
    LocalFree(args);
    return r;
}

// Removes the last "\" and everything after it.
std::string QuitarUltimo(const std::string& p) {
    size_t i = p.find_last_of('\\');
    return i == std::string::npos ? std::string() : p.substr(0, i);
}

}  // namespace

void RegistrarCodigoCliente(const std::string& ini, uint32_t codigo) {
    WritePrivateProfileStringW(L"ACTUALIZACION", L"CODIGOCLIENTE", Wide(std::to_string(codigo)).c_str(),
                               Wide(ini).c_str());
}

uint32_t LeerCodigoClienteRegistrado(const std::string& ini) {
    wchar_t buf[32];
    DWORD n = GetPrivateProfileStringW(L"ACTUALIZACION", L"CODIGOCLIENTE", L"", buf, 32, Wide(ini).c_str());
    std::wstring w(buf, n);
    if (w.empty() || w.size() > 10 || w.find_first_not_of(L"0123456789") != std::wstring::npos) return 0;
    unsigned long long v = std::stoull(w);
    return v > 0xFFFFFFFFull ? 0 : static_cast<uint32_t>(v);
}

std::string NombreFicheroClienteDe(uint32_t codigo) { return "CLI" + std::to_string(codigo) + ".VER"; }

TFMain::TFMain() {
    std::vector<uint8_t> fondo = RecursoDatos(L"FONDO");
    if (!fondo.empty()) Image1->CargarJpeg(fondo);
}

void TFMain::FormCreate() {
    PalabraProducto = "Conta";
    TFFormKavoInstala::FormCreate();
}

TFFramePrograma* TFMain::CrearPaginaPrograma() { return PanelFrame->Crear<TFFrameProgramaConta>(); }

void TFMain::PrepararActualizacion() { VersionesInstaladas = LeerVersionesInstaladas(DirEjecutable, "Actualizador.exe"); }

std::string TFMain::RutaProgramaInstalado() {
    std::string p = Extractor1.ExtractPath;
    if (!p.empty() && p.back() != '\\') p += '\\';
    return p + SubdirPrograma() + "CONTA.EXE";
}

bool TFMain::Preparar() {
    forms::TEdit& edit = *PaginaDirectorio->eDirPrograma;
    if (!ModoActualizacion) {
        TypeDirInstalacion d = DirectorioInstalacion(CodigoProducto(), CarpetaEscritorio(), edit.Text());
        CarpetaPrograma = d.Producto;
        edit.SetText(d.Base);
        return true;
    }
    LabelPrograma->SetCaption("Actualización ");
    bInstalar->SetCaption("Actualizar");
    NombreFicheroCliente = PrimerArgumento();
    if (!NombreFicheroCliente.empty()) IniciadoConArgumento = true;
    if (NombreFicheroCliente.empty()) {
        try {
            ObtenerFicheroCliente();
        } catch (const EAbort&) {
            throw;
        } catch (const std::exception& e) {
            if (!MostrarModoLocal(Handle(), e.what(), DirEjecutable, ArchivoPrincipal, UrlBaseProgramas)) return false;
            ModoLocal = true;
            UrlBaseProgramas = DirEjecutable;
            UrlBaseExternos = DirEjecutable;
        }
    }
    std::string p = QuitarUltimo(QuitarUltimo(RutaProgramaEjecutar()));
    CarpetaPrograma = p.substr(p.find_last_of('\\') + 1);
    edit.SetText(QuitarUltimo(p));
    DatosWeb = LeerVersionesComprimidas(DirDescargas() + NombreFicheroCliente);
    if (IniciadoConArgumento && EsVersionSiguiente()) ArchivoPrincipal = FicheroActualizacion();
    LabelFecha->SetCaption(TextoFecha(DatosWeb.Dia(), NombreMes(static_cast<int>(DatosWeb.Mes())), DatosWeb.Anio()));
    TypeVersion v = DatosWeb.VersionFichero(99);
    LabelVersion->SetCaption(TextoVersion(v.Major, v.Minor, false));
    LSerie->SetCaption(LSerie->Caption() + " " + std::to_string(DatosWeb.CodigoCliente()));
    return true;
}

// Started without the name of its release record: the updater asks the
// vendor's server for the record of the customer recorded at installation.
void TFMain::ObtenerFicheroCliente() {
    uint32_t codigo = LeerCodigoClienteRegistrado(DirEjecutable + NombreIniPrograma());
    if (codigo == 0)
        throw Exception("No se encuentra el Código de Cliente de la instalación en\r\n\r\n" + DirEjecutable +
                        NombreIniPrograma());
    std::string nombre = NombreFicheroClienteDe(codigo);
    DescargarFichero(UrlBaseProgramas + kCarpetaClientes, nombre, DirDescargas(), ProgresoArranque());
    NombreFicheroCliente = nombre;
}

// The extraction decisions of the accounting product arrive with the
// installation workflow; until then no archive is extracted by this window.
std::string TFMain::RutaPaqueteDatos() { throw Exception("Operación no disponible"); }
void TFMain::CrearAccesos() { throw Exception("Operación no disponible"); }
void TFMain::LeerRutasDatos() { throw Exception("Operación no disponible"); }
bool TFMain::AceptarPaquete(const std::string&) { throw Exception("Operación no disponible"); }
bool TFMain::AceptarFichero(uint8_t tipo, const std::string& nombre, double fecha, std::string& carpeta) {
    return TFFormKavoInstala::AceptarFichero(tipo, nombre, fecha, carpeta);
}
void TFMain::IniExtraido() {}
void TFMain::TrasExtraer() {}
