#include "FormKavoInstala.h"

#include "Application.h"
#include "Confinamiento.h"
#include "Desatendido.h"
#include "LibActualizadorComun.h"
#include "LibActualizadorConta.h"
#include "Exception.h"
#include "FirmaFicheros.h"
#include "Mensajes.h"
#include "PoliticaFirmas.h"
#include "Rutas.h"
#include "Registro.h"
#include "TextCodec.h"
#include "Unit_Win7Taskbar.h"
#include "VersionesInstaladas.h"

using namespace forms;

bool FormularioListo = false;

namespace {

const Fuente kBlancaNegrita{12, true, RGB(255, 255, 255)};
const Fuente kPlata{12, false, RGB(192, 192, 192)};
const Fuente kContacto{11, false, RGB(255, 255, 255)};

// Asked about the running program's own file, the loader answers with the
// image in memory, not with the newer copy just written over it: the version
// is read from a copy of the file.
TypeVersion VersionEnDisco(const std::string& ruta) {
    wchar_t carpeta[MAX_PATH], copia[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, carpeta) || !GetTempFileNameW(carpeta, L"kav", 0, copia))
        return LeerVersionFichero(ruta);
    struct Borrar {
        const wchar_t* f;
        ~Borrar() { DeleteFileW(f); }
    } borrar{copia};
    if (!CopyFileW(text::Wide(ruta).c_str(), copia, FALSE)) return LeerVersionFichero(ruta);
    return LeerVersionFichero(text::Narrow(copia));
}

}  // namespace

TFFormKavoInstala::TFFormKavoInstala() : TForm("FFormKavoInstala", 586, 481, "Conta Kavo") {
    CrearComponentes();
    const std::string ruta = RutaProgramaPropio();
    ProgramaPropio = ruta;
    BorrarProgramaApartado();
    DirEjecutable = CarpetaDe(ruta);
    NombreEjecutable = Mayusculas(NombreDe(ruta));
    PosicionArchivo = PosicionArchivoPropio(RutaEjecutable());
    FijarRol(RolSegunArchivo(PosicionArchivo), *this);
    // The window owns its taskbar button; a run's progress shows there too.
    SetTaskbarWindow(Handle());
    InitTaskbar();
}

void TFFormKavoInstala::CrearComponentes() {
    const auto centro = TLabel::Alineacion::Centro;
    PanelKavo1 = Crear<TPanel>("PanelKavo1", Limites{0, 0, 586, 481}, GetSysColor(COLOR_BTNFACE));
    PanelKavo2 = PanelKavo1->Crear<TPanel>("PanelKavo2", Limites{1, 1, 584, 479}, GetSysColor(COLOR_ACTIVECAPTION));
    Image1 = PanelKavo2->Crear<TImage>("Image1", Limites{1, 1, 582, 477});
    auto etiqueta = [&](const char* nombre, Limites l, const char* caption, const Fuente& f) {
        return PanelKavo2->Crear<TLabel>(nombre, l, caption, f, centro, true);
    };
    LabelPrograma = etiqueta("LabelPrograma", {202, 77, 340, 23}, "", kPlata);
    LabelFecha = etiqueta("LabelFecha", {200, 105, 340, 20}, "31 de Diciembre de 2000", kBlancaNegrita);
    LabelVersion = etiqueta("LabelVersion", {200, 125, 340, 20}, " Versión 10.00", kBlancaNegrita);
    LSerie = etiqueta("LSerie", {200, 145, 340, 20}, "Serie", kBlancaNegrita);
    kvLabel10 = etiqueta("kvLabel10", {9, 375, 185, 13}, "Teléfono 981 000 480", kContacto);
    kvLabel12 = etiqueta("kvLabel12", {9, 389, 185, 13}, "soporte@kavo.es", kContacto);
    kvLabel13 = etiqueta("kvLabel13", {9, 402, 185, 13}, "www.kavo.es", kContacto);
    LVersionAct = etiqueta("LVersionAct", {9, 439, 185, 23}, "", kPlata);
    PanelFrame = PanelKavo2->Crear<TPanel>("PanelFrame", Limites{233, 178, 340, 245}, PanelKavo2->Color());
    bInstalar = PanelKavo2->Crear<TButton>("bInstalar", Limites{407, 433, 75, 25}, "Instalar");
    bCancelar = PanelKavo2->Crear<TButton>("bCancelar", Limites{496, 433, 75, 25}, "Salir");
    bInstalar->SetDefault(true);

    OnActivate = [this] { FormActivate(); };
    OnCloseQuery = [this](bool& puede) { FormCloseQuery(puede); };
    OnKeyDown = [this](WORD& tecla) { FormKeyDown(tecla); };
    for (TControl* c : std::initializer_list<TControl*>{
             this, PanelKavo1, PanelKavo2, Image1, LabelFecha, LabelVersion, LabelPrograma, kvLabel10, kvLabel12,
             kvLabel13, LSerie, LVersionAct, PanelFrame})
        c->OnMouseDown = [this] { MoverPantalla(); };
    bCancelar->OnClick = [this] { bCancelarClick(); };
    bInstalar->OnClick = [this] { bInstalarClick(); };
    Timer1.OnTimer = [this] { Timer1Timer(); };
    Timer2.OnTimer = [this] { Timer2Timer(); };
    Timer3.OnTimer = [this] { Timer3Timer(); };
}

TFFormKavoInstala::~TFFormKavoInstala() {
    // A relaunched updater may have started before its predecessor ended.
    BorrarProgramaApartado();
    // Every downloaded file goes; errors here are of no use to anyone.
    if (!ModoLocal && ListaDescargas) {
        for (const auto& f : *ListaDescargas)
            if (FicheroExiste(f)) BorrarFichero(f, false);
        // Only ever a plain name here (refused at start-up otherwise): the
        // file goes from the folder it was read from and nowhere else. A
        // newer updater this run started reads the same file: it is its own now.
        if (ModoActualizacion && NombreSimple(NombreFicheroCliente) && !Relanzado)
            BorrarFichero(DirFicheroCliente() + NombreFicheroCliente, false);
        CarpetaDescargas.Borrar();
        // The product's temporary folder and the vendor's above it go when
        // nothing is left in them (the log usually is, for support).
        try {
            const std::string temporal = QuitarBarraFinal(CarpetaTemporal());
            if (RemoveDirectoryW(text::Wide(temporal).c_str()))
                RemoveDirectoryW(text::Wide(QuitarBarraFinal(CarpetaDe(temporal))).c_str());
        } catch (...) {
        }
    }
    if (ManejadorBloqueo.Tomado()) {
        try {
            ManejadorBloqueo.Liberar();
        } catch (...) {
        }
    }
}

// What an earlier update renamed aside while it ran from this file goes once
// that program has ended; while it still runs the file stays for next time.
void TFFormKavoInstala::BorrarProgramaApartado() {
    const std::string apartado = ProgramaApartado(ProgramaPropio);
    if (FicheroExiste(apartado)) BorrarFichero(apartado, false);
}

// --- base behaviour of the virtual operations ---------------------------------

TFFrameBase* TFFormKavoInstala::PaginaPrograma() { return PaginaDirectorio; }
TFFramePrograma* TFFormKavoInstala::CrearPaginaPrograma() { return PanelFrame->Crear<TFFramePrograma>(); }

// --- start-up -----------------------------------------------------------------

std::string TFFormKavoInstala::IniEjecutable() const {
    std::string ini = RutaEjecutable();
    size_t punto = ini.find_last_of('.');
    if (punto != std::string::npos && punto > ini.find_last_of('\\')) ini.resize(punto);
    return ini + ".INI";
}

TIniPropio TFFormKavoInstala::LeerIniEjecutable() const {
    const std::string ini = IniEjecutable();
    TIniPropio r;
    r.descargarExternos = LeerIniBooleano(ini, "EXTERNOS", "DESCARGAR", true);
    r.local = LeerIniBooleano(ini, "PATH", "LOCAL", false);
    r.fichero = LeerIniTexto(ini, "PATH", "FICHERO", "");
    return r;
}

TNombresLanzamiento TFFormKavoInstala::NombresLanzamiento() {
    TProducto& p = Producto();
    return {p.FicheroPrograma(), p.FicheroActualizacion(), p.FicheroBeta(), p.IniBeta(), p.FicheroV2(), p.IniV2(),
            p.UrlProgramas(),    UrlExternos()};
}

void TFFormKavoInstala::MostrarEtiquetas(const TEtiquetasLanzamiento& e) {
    LabelFecha->SetCaption(e.fecha);
    LabelVersion->SetCaption(e.version);
    LSerie->SetCaption(LSerie->Caption() + " " + std::to_string(e.serie));
}

void TFFormKavoInstala::FormCreate() {
    // The log goes into the product's temporary folder, known only now.
    Registro().FijarRutaPredeterminada([] { return CarpetaTemporal() + kFicheroRegistro; });
    Anotar("Arranque de " + RutaEjecutable() + " en modo " + (ModoActualizacion ? "actualización" : "instalación"));
    if (firma::ClavesDeLaVersion().empty()) Anotar(kLineaSinFirmas);
    const TRol rol = RolSegunArchivo(PosicionArchivo);
    PrepararPoliticaFirmas();
    const TInicio inicio = DecidirInicio(rol, NombresLanzamiento(), DirEjecutable,
                                         rol == TRol::Instalador ? LeerIniEjecutable() : TIniPropio{},
                                         [](const std::string& ruta) { return FicheroExiste(ruta); });
    AplicarInicio(inicio, Producto().NombreProducto(), *this);
    if (!inicio.aviso.empty()) MostrarMensaje(inicio.aviso);
    Plataforma = LeerPlataforma();
    if (!PlataformaAdmitida(Plataforma)) {
        Show();
        MensajeError(kMensajePlataforma);
        Abort();
    }
    if (ModoActualizacion) {
        // Before the installed versions are read: they must be the ones the
        // installation had before an update that died halfway.
        Ejecucion().Recuperar(DirEjecutable);
        Producto().PrepararActualizacion();
    } else {
        Extractor1.SetFileName(RutaEjecutable());
        Extractor1.SFXSize = PosicionArchivo;
        Extractor1.OnAfterOpen = [this](kav::TArchiverRoot&) { Extractor1AfterOpen(); };
        Extractor1.Open();
        Extractor1.Close();
    }
    SetCaption(TextoOperacion() + " " + Caption());
    Application().SetTitle(Caption());
    CrearPaginas();
    if (!Preparar()) return;
    if (!ModoLocal) EleccionLanzamiento();
    PaginaDirectorio->eDirPrograma->OnChange = [this] { eDirProgramaChange(); };
    PaginaDirectorio->eDirPrograma->OnKeyDown = [this](WORD& tecla) { eDirProgramaKeyDown(tecla); };
    eDirProgramaChange();
    TypeVersion propia = LeerVersionFichero(RutaEjecutable());
    LVersionAct->SetCaption(
        TextoVersionPropia(ModoActualizacion, propia.Major, propia.Minor, firma::ClavesDeLaVersion().empty()));
    FormularioListo = true;
    PaginaActual = 0;
    MostrarPagina(0, false);
}

// What each release file this program fetches or finds beside it must be,
// before the first of them. The updater keeps the newest release record it
// accepted in its own settings, so that an older one is refused as a replay
// in every later run.
void TFFormKavoInstala::PrepararPoliticaFirmas() {
    firma::TPolitica& p = firma::Politica();
    TProducto& producto = Producto();
    p.producto = producto.CodigoProducto();
    p.rutaProgramas = firma::RutaPublicada(producto.UrlProgramas());
    p.rutaExternos = firma::RutaPublicada(UrlExternos());
    p.ficheroActualizacion = producto.FicheroActualizacion();
    p.ficheroBeta = producto.FicheroBeta();
    p.iniBeta = producto.IniBeta();
    p.ficheroV2 = producto.FicheroV2();
    p.iniV2 = producto.IniV2();
    if (!ModoActualizacion) return;
    const std::string ini = IniEjecutable();
    const std::string guardada = LeerIniTexto(ini, kSeccionFirmas, kClaveUltimaFirma, "");
    try {
        if (!guardada.empty()) p.fechaMinima = firma::LeerFecha(guardada);
    } catch (const std::exception&) {
        Anotar("Fecha de la última firma aceptada no válida en " + ini + ": " + guardada);
    }
    p.guardarFechaMinima = [ini](int64_t fecha) {
        EscribirIni(ini, kSeccionFirmas, kClaveUltimaFirma, firma::TextoFecha(fecha));
    };
}

void TFFormKavoInstala::Extractor1AfterOpen() {
    Extractor1.OnAfterOpen = nullptr;  // once: later archives are the downloaded ones
    const RegistroLanzamiento r = AplicarDatosArchivo(Extractor1.Header().UserData.Bytes, *this);
    Lanzamiento = LanzamientoDeRegistro(r);
    MostrarEtiquetas(EtiquetasDeRegistro(r, NombreMes(static_cast<int>(r.mes))));
    firma::Politica().version = (uint32_t(r.major) << 16) | r.minor;
    LabelPrograma->SetCaption("");
}

void TFFormKavoInstala::CrearPaginas() {
    for (int i = 0; i < 3; ++i) {
        if (i == pgMotor && (ModoActualizacion || TipoMotor == tmBtrieve6)) continue;
        TFFrameBase* pagina = nullptr;
        if (i == 0) {
            PaginaDirectorio = CrearPaginaPrograma();
            pagina = PaginaDirectorio;
        } else if (i == 1) {
            PaginaInstalacion = PanelFrame->Crear<TFFrameInstalar>();
            pagina = PaginaInstalacion;
        } else {
            PaginaMotor = PanelFrame->Crear<TFFramepsql>();
            if (TipoMotor == tmBtrieve12) PaginaMotor->RadioGroup1->SetCaption(" Btrieve 12 ");
            pagina = PaginaMotor;
        }
        Paginas.push_back(pagina);
        pagina->SetEnabled(false);
        pagina->SendToBack();
    }
}

// --- window behaviour ---------------------------------------------------------

void TFFormKavoInstala::FormActivate() {
    if (AlphaBlendValue() != 0) return;
    if (Plataforma == plWindowsNT)
        Timer1.SetEnabled(true);
    else
        SetAlphaBlendValue(255);  // no fading there: never leave the window invisible
}

void TFFormKavoInstala::Timer1Timer() {
    bool parar = false;
    SetAlphaBlendValue(static_cast<BYTE>(SiguienteOpacidadEntrada(AlphaBlendValue(), parar)));
    if (parar) Timer1.SetEnabled(false);
}

void TFFormKavoInstala::FundidoSalida() {
    // A busy wait on purpose: nothing may run between the steps.
    for (int alfa : SecuenciaSalida()) {
        if (alfa != 255) {
            DWORD inicio = GetTickCount();
            while (GetTickCount() - inicio < 80) {
            }
        }
        SetAlphaBlendValue(static_cast<BYTE>(alfa));
    }
}

void TFFormKavoInstala::FormCloseQuery(bool& puedeCerrar) {
    if (cierreSinPregunta_) return;
    puedeCerrar = cierreDecidido_ || Ejecucion().PedirCierre(TOrigenCierre::Ventana) == TDecisionCierre::Cerrar;
    cierreDecidido_ = false;
    if (puedeCerrar && Plataforma == 2) FundidoSalida();
}

void TFFormKavoInstala::FormKeyDown(WORD& tecla) {
    if (tecla != VK_ESCAPE) return;
    tecla = 0;
    CerrarSegun(Ejecucion().PedirCierre(TOrigenCierre::Escape));
}

// The run has already asked what there was to ask: the close query lets the
// window go without asking again.
void TFFormKavoInstala::CerrarSegun(TDecisionCierre decision) {
    if (decision != TDecisionCierre::Cerrar) return;
    cierreDecidido_ = true;
    Close();
}

void TFFormKavoInstala::MoverPantalla() { ArrastrarVentana(); }

void TFFormKavoInstala::Timer2Timer() {
    TProgressBar& barra = *PaginaInstalacion->ProgressBar1;
    if (barra.Position() >= barra.Max()) barra.SetPosition(0);
    PosicionBarra(barra.Handle(), barra.Position() + 1);
}

// --- non-virtual operations ---------------------------------------------------

std::string TFFormKavoInstala::DirPrograma() const { return ExpandirRuta(PaginaDirectorio->eDirPrograma->Text()); }
std::string TFFormKavoInstala::DirDescargas() const { return ModoLocal ? DirEjecutable : CarpetaDescargas.Ruta(); }

// The per-installation record is handed over in the temporary folder: the
// accounting program leaves it there for the updater it starts, and an
// updater for the newer one it starts, so it cannot live in a folder that
// goes with the process.
std::string TFFormKavoInstala::DirFicheroCliente() const { return ModoLocal ? DirEjecutable : CarpetaTemporal(); }

std::string TFFormKavoInstala::IniPrograma() {
    std::string base = DirPrograma();
    if (!base.empty() && base.back() != '\\') base += '\\';
    base += SubdirPrograma();
    std::string usuario = NombreUsuario() + ".INI";
    std::string nombre = FicheroExiste(Mayusculas(base) + usuario) ? usuario : Producto().NombreIniPrograma();
    return Mayusculas(base + nombre);
}

bool TFFormKavoInstala::EsVersionSiguiente() const {
    return ::EsVersionSiguiente(DatosWeb.VersionFichero(99), VersionesInstaladas.VersionFichero(99));
}

bool TFFormKavoInstala::RelanzarActualizador() {
    if (NuevoActualizador.empty()) return false;
    Limites p = PosicionEnPantalla();
    // An unattended update stays unattended in the updater it brought; the
    // switches were checked at start-up.
    std::string switches;
    try {
        switches = desatendido::SwitchesParaRelanzar(desatendido::InterpretarSwitches(ArgumentosPrograma()));
    } catch (const std::exception&) {
    }
    const std::optional<std::string> argumentos = ArgumentosRelanzamiento(
        VersionEnDisco(NuevoActualizador), VersionPrevia, NombreFicheroCliente, p.x, p.y, switches);
    if (!argumentos) return false;
    Anotar("Relanzando " + NuevoActualizador + " " + *argumentos);
    const bool iniciado = IniciarPrograma(NuevoActualizador, *argumentos);
    TerminarSinPregunta();
    return iniciado;
}

void TFFormKavoInstala::eDirProgramaChange() {
    TCheckBox& cb = *PaginaDirectorio->cbComprobarActualizaciones;
    std::string f = IniPrograma();
    std::string carpeta = CarpetaDe(f);
    if (DirectorioExiste(carpeta) && FicheroExiste(f) && ExisteClaveIni(f, "ACTUALIZACION", "COMPROBAR")) {
        cb.SetVisible(LeerIniEntero(f, "ACTUALIZACION", "COMPROBAR", 0) == 2);
        return;
    }
    cb.SetVisible(false);
    cb.SetChecked(true);
}

void TFFormKavoInstala::AnadirDescarga(const std::string& ruta) {
    if (ListaDescargas) ListaDescargas->insert(ruta);
}
