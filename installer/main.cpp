#include "main.h"

#include "Exception.h"
#include "FirmaFicheros.h"
#include "Rutas.h"
#include "FrameProgramaConta.h"
#include "Mensajes.h"
#include "MotorSistema.h"
#include "PoliticaFirmas.h"
#include "ProgramaPropio.h"
#include "Registro.h"
#include "SistemaContaWin32.h"

namespace {

// The updater's ways to its per-installation record on this machine.
class TFuenteRegistroWin32 : public TFuenteRegistroCliente {
public:
    TFuenteRegistroWin32(std::string dirEjecutable, std::string nombreIni, std::string urlClientes,
                         std::string carpetaTemporal, TProgresoDescarga progreso,
                         std::function<bool(const std::string&)> dialogoModoLocal)
        : dirEjecutable_(std::move(dirEjecutable)),
          nombreIni_(std::move(nombreIni)),
          urlClientes_(std::move(urlClientes)),
          carpetaTemporal_(std::move(carpetaTemporal)),
          progreso_(std::move(progreso)),
          dialogoModoLocal_(std::move(dialogoModoLocal)) {}

    uint32_t CodigoRegistrado() override { return LeerCodigoClienteRegistrado(dirEjecutable_, nombreIni_); }
    void Descargar(const std::string& nombre) override {
        DescargarFichero(urlClientes_, nombre, carpetaTemporal_, progreso_);
    }
    bool OfrecerModoLocal(const std::string& error) override { return dialogoModoLocal_(error); }
    bool EnCarpetaTemporal(const std::string& nombre) override { return FicheroExiste(carpetaTemporal_ + nombre); }
    bool AlLado(const std::string& nombre) override { return FicheroExiste(dirEjecutable_ + nombre); }

private:
    std::string dirEjecutable_, nombreIni_, urlClientes_, carpetaTemporal_;
    TProgresoDescarga progreso_;
    std::function<bool(const std::string&)> dialogoModoLocal_;
};

}  // namespace

TFMain::TFMain() {
    std::vector<uint8_t> fondo = RecursoPropio("FONDO");
    if (!fondo.empty()) Image1->CargarJpeg(fondo);
}

TFMain::~TFMain() = default;

TProductoConta& TFMain::ProductoConta() {
    if (!producto_) {
        sistema_ = std::make_unique<TSistemaContaWin32>([this] { return IniPrograma(); });
        producto_ = std::make_unique<TProductoConta>(*this, Efectos(), *sistema_);
    }
    return *producto_;
}

void TFMain::FormCreate() {
    // Before anything else: every temporary file, the start-up downloads
    // included, goes to the product's own temporary folder.
    PalabraProducto = conta::kNombreProducto;
    firma::Politica().carpetaClientes = conta::kCarpetaClientes;
    TFFormKavoInstala::FormCreate();
}

TFFramePrograma* TFMain::CrearPaginaPrograma() { return PanelFrame->Crear<TFFrameProgramaConta>(); }

bool TFMain::Preparar() {
    forms::TEdit& edit = *PaginaDirectorio->eDirPrograma;
    if (!ModoActualizacion) {
        TypeDirInstalacion d = DirectorioInstalacion(conta::kCodigoProducto, CarpetaEscritorio(), edit.Text());
        CarpetaPrograma = d.Producto;
        edit.SetText(d.Base);
        return true;
    }
    LabelPrograma->SetCaption("Actualización ");
    bInstalar->SetCaption("Actualizar");
    conta::ArgumentosActualizador args = conta::InterpretarArgumentos(ArgumentosPrograma());
    // A relaunched updater comes back where the previous one was.
    if (args.x && args.y) MoverA(*args.x, *args.y);
    IniciadoPorRelanzamiento = args.relanzado;
    const std::string urlClientes = UrlBaseProgramas + conta::kCarpetaClientes;
    TFuenteRegistroWin32 fuente(DirEjecutable, conta::kIniPrograma, urlClientes, DirFicheroCliente(), ProgresoArranque(),
                                [this](const std::string& error) {
                                    return MostrarModoLocal(Handle(), error, DirEjecutable, ArchivoPrincipal,
                                                            UrlBaseProgramas);
                                });
    const TRegistroCliente registro =
        ObtenerRegistroCliente(args.ficheroCliente, DirEjecutable + conta::kIniPrograma, conta::NombreFicheroCliente,
                               fuente);
    AplicarRegistroCliente(registro, *this);
    IniciadoConArgumento = registro.iniciadoConArgumento;
    // Neither the server nor local copies: the updater ends here.
    if (Fin != TFinEjecucion::EnCurso) return false;
    if (registro.comprobacion == TComprobacionRegistro::AlLado && !FicheroClienteAlLado(urlClientes)) return false;
    conta::CarpetasInstalacion c = conta::CarpetasDesdePrograma(CarpetaDe(ProductoConta().RutaProgramaEjecutar()));
    CarpetaPrograma = c.producto;
    edit.SetText(c.base);
    // An update keeps the engine the installation has, as its settings say:
    // the engine's files and keys follow it.
    const std::string ini = IniPrograma();
    TipoMotor = MotorInstalado(LeerIniTexto(ini, kSeccionMotor, kClavePervasive, ""),
                               LeerIniTexto(ini, kSeccionMotor, kClaveLibreria, ""));
    Anotar("Motor de la instalación: " + PalabraMotor(TipoMotor));
    // The record the accounting program fetched and names is checked as one
    // the updater fetches itself would be: against the statement the vendor
    // published for it (a local one was checked beside the updater). A
    // statement that was obtained and is refused ends the program here; a
    // server that cannot be reached now leaves the check to the run, which
    // makes it before any archive and treats that failure as the failed
    // download it is, as it would without a server at all.
    if (registro.comprobacion == TComprobacionRegistro::ConFirmaPublicada) {
        const std::string url = UrlBaseProgramas + conta::kCarpetaClientes + NombreFicheroCliente;
        try {
            ComprobarConFirmaPublicada(url, DirFicheroCliente() + NombreFicheroCliente);
        } catch (const EAbort&) {
            throw;
        } catch (const firma::EFirmaRechazada&) {
            throw;
        } catch (const std::exception& e) {
            RegistroPorComprobar = url;
            Anotar(std::string("Sin comprobar todavía ") + NombreFicheroCliente + " con su firma publicada (" +
                   e.what() + "): se comprueba antes de descargar nada");
        }
    }
    DatosWeb = LeerVersionesComprimidas(DirFicheroCliente() + NombreFicheroCliente);
    Lanzamiento = LanzamientoDeDatosWeb(DatosWeb);
    // From here on the release's archives must be of this release.
    firma::Politica().version = DatosWeb.VersionFichero(99).MayorMenor();
    firma::Politica().instalada = VersionesInstaladas.VersionFichero(99).MayorMenor();
    firma::Politica().relanzado = IniciadoPorRelanzamiento;
    ArchivoPrincipal = ArchivoDeActualizacion(ArchivoPrincipal, NombresLanzamiento(), IniciadoConArgumento, ModoLocal,
                                              EsVersionSiguiente());
    MostrarEtiquetas(EtiquetasDeDatosWeb(DatosWeb, NombreMes(static_cast<int>(DatosWeb.Mes()))));
    return true;
}

// A local update reads its release record from the per-installation file
// beside the updater, as it reads the archive from there: without it the
// versions of the release are unknown and the run would refuse every file
// it tracks. The file is named by the customer the installation records,
// else by the one in the program archive's header. When it is missing the
// user is told which file to fetch and where to put it, and nothing changes.
// Both files are checked against their signatures before they are read, as
// downloads would be.
bool TFMain::FicheroClienteAlLado(const std::string& urlClientes) {
    firma::TPolitica& politica = firma::Politica();
    if (NombreFicheroCliente.empty()) {
        firma::ComprobarLocal(politica, DirEjecutable + ArchivoPrincipal, politica.rutaProgramas + ArchivoPrincipal);
        Extractor1.SetFileName(DirEjecutable + ArchivoPrincipal);
        Extractor1.SFXSize = 0;
        Extractor1.Open();
        const std::array<uint8_t, 128> datos = Extractor1.Header().UserData.Bytes;
        Extractor1.Close();
        const uint32_t codigo = InterpretarDatosArchivo(datos).codigoCliente;
        if (codigo != 0) NombreFicheroCliente = conta::NombreFicheroCliente(codigo);
    }
    if (NombreFicheroCliente.empty() || !FicheroExiste(DirEjecutable + NombreFicheroCliente)) {
        MensajeError(conta::MensajeFaltaFicheroCliente(NombreFicheroCliente, DirEjecutable, urlClientes,
                                                       ArchivoPrincipal));
        return false;
    }
    firma::ComprobarLocal(politica, DirEjecutable + NombreFicheroCliente,
                          politica.rutaProgramas + politica.carpetaClientes + NombreFicheroCliente);
    return true;
}

