// What the installer asks the vendor's web server: the release descriptions
// that choose a beta or V2 release, and the report after a successful run.
#include "Application.h"
#include "DescripcionesWin32.h"
#include "FormKavoInstala.h"

// Start-up downloads: the window stays alive, and a close confirmed meanwhile
// stops them.
TProgresoDescarga TFFormKavoInstala::ProgresoArranque() {
    return [this](void*, uint32_t, uint32_t, TEstadoDescarga, const std::string&, bool& cancelar) {
        forms::Application().ProcessMessages();
        cancelar = CancelarPedido;
    };
}

std::string TFFormKavoInstala::UrlExternos() const { return Servidor() + "/_descargas_/externos/"; }

std::string TFFormKavoInstala::VersionInformada() const { return ::VersionInformada(LabelVersion->Caption()); }

TDescripcionesWin32 TFFormKavoInstala::Descripciones() {
    return TDescripcionesWin32(
        UrlBaseProgramas, DirDescargas(), ProgresoArranque(),
        // A download like the archives: it goes at exit, however the run ends.
        [this](const std::string& ruta) { AnadirDescarga(ruta); }, [this] { return IniPrograma(); });
}

bool TFFormKavoInstala::HayBeta() {
    TDescripcionesWin32 d = Descripciones();
    return ::HayBeta(Producto().IniBeta(), Lanzamiento, d);
}

bool TFFormKavoInstala::HayV2() {
    TDescripcionesWin32 d = Descripciones();
    return ::HayV2(Producto().IniV2(), Lanzamiento, d);
}

void TFFormKavoInstala::EleccionLanzamiento() {
    TDescripcionesWin32 d = Descripciones();
    const TEleccionLanzamiento e = ::EleccionLanzamiento(ArchivoPrincipal, NombresLanzamiento(), Lanzamiento, d);
    ArchivoPrincipal = e.archivo;
    LabelVersion->SetCaption(LabelVersion->Caption() + e.sufijo);
}

void TFFormKavoInstala::AvisarServidor(const std::string& url) { EnviarPeticion(url); }
