#include "ExtraccionWin32.h"

#include <windows.h>

#include "CarpetaPrivada.h"
#include "Carpetas.h"
#include "Exception.h"
#include "ExtractorInstalador.h"
#include "Ficheros.h"
#include "Rutas.h"
#include "VersionesInstaladas.h"
#include "Win32Error.h"

void TExtraccionWin32::FijarDestinoExtraccion(const std::string& carpeta) { extractor_.ExtractPath = carpeta; }

std::string TExtraccionWin32::DestinoExtraccion() { return extractor_.ExtractPath; }

namespace {

// The extractor's events go to one receiver for one extraction, and to no
// one once it is over: the extractor outlives the run that lent it.
class TEnlaceReceptor {
public:
    TEnlaceReceptor(TExtractorInstalador& extractor, TReceptorExtraccion& receptor) : x_(extractor) {
        x_.OnExtractFile = [&receptor](kav::TCustomExtractor&, const kav::TFileEntry& e, std::string& carpeta,
                                       bool& aceptar) { receptor.ExtraerFichero(e, carpeta, aceptar); };
        x_.OnFileExtracted = [&receptor](kav::TCustomExtractor&, const kav::TFileEntry& e, const std::string& c) {
            receptor.FicheroExtraido(e, c);
        };
        x_.OnFileProgress = [&receptor](kav::TArchiverRoot&, int32_t p) { receptor.ProgresoFichero(p); };
        x_.OnFinishOperation = [&receptor](kav::TArchiverRoot& x) {
            receptor.FinOperacion(static_cast<TResultadoExtractor>(x.ResultCode()));
        };
        x_.OnError = [&receptor](kav::TArchiverRoot&, const std::exception& e, const kav::TFileEntry&,
                                 kav::TErrorAction& accion) {
            accion = kav::eaAbort;
            receptor.ErrorExtraccion(e.what());
        };
    }
    ~TEnlaceReceptor() {
        x_.OnExtractFile = nullptr;
        x_.OnFileExtracted = nullptr;
        x_.OnFileProgress = nullptr;
        x_.OnFinishOperation = nullptr;
        x_.OnError = nullptr;
    }
    TEnlaceReceptor(const TEnlaceReceptor&) = delete;
    TEnlaceReceptor& operator=(const TEnlaceReceptor&) = delete;

private:
    TExtractorInstalador& x_;
};

}  // namespace

TResultadoExtractor TExtraccionWin32::ExtraerArchivo(const std::string& archivo, TReceptorExtraccion& receptor) {
    TEnlaceReceptor enlace(extractor_, receptor);
    LeerRetenido(extractor_, archivo);
    extractor_.SetFileName(archivo);
    extractor_.Open();
    extractor_.ExtractFiles();
    return static_cast<TResultadoExtractor>(extractor_.ResultCode());
}

void TExtraccionWin32::CerrarArchivo() { extractor_.Close(); }

std::vector<kav::TFileEntry> TExtraccionWin32::ComprobarArchivo(const std::string& archivo,
                                                             const ProgresoLectura& progreso) {
    // An extractor of its own: the window's answers the extraction's events.
    TExtractorInstalador lector;
    lector.ErrorAction = kav::eaAbort;  // no handler: the first fault ends the reading as an error
    LeerRetenido(lector, archivo);
    lector.SetFileName(archivo);
    std::vector<kav::TFileEntry> entradas;
    lector.OnFileTested = [&](kav::TCustomExtractor&, const kav::TFileEntry& e) { entradas.push_back(e); };
    // The engine's next report after an abort request raises EAbort.
    lector.OnFileProgress = [&](kav::TArchiverRoot&, int32_t porcentaje) {
        bool cancelar = false;
        progreso(porcentaje, cancelar);
        if (cancelar) lector.RequestAbort();
    };
    lector.TestFiles();
    const auto resultado = static_cast<TResultadoExtractor>(lector.ResultCode());
    lector.Close();
    if (resultado == TResultadoExtractor::Fallido) throw Exception("Error leyendo " + archivo);
    return entradas;
}

std::vector<diferencias::TEntradaLeida> TExtraccionWin32::LeerArchivo(const std::string& archivo) {
    return diferencias::LeerArchivo(archivo, descargas_.Ruta() + "Diferencias");
}

void TExtraccionWin32::AbortarExtraccion() { extractor_.RequestAbort(); }

TypeVersion TExtraccionWin32::VersionEnArchivo(const std::string& archivo, const kav::TFileEntry& entrada) {
    // A folder of its own below the temporary one, gone afterwards.
    const std::string carpeta = ::CarpetaTemporal() + "version_" + std::to_string(::GetCurrentProcessId()) + "\\";
    ForzarDirectorios(carpeta);
    struct Borrar {
        std::string c;
        ~Borrar() { ::BorrarDirectorio(c, true); }
    } borrar{carpeta};
    TExtractorInstalador lector;
    lector.ErrorAction = kav::eaAbort;
    LeerRetenido(lector, archivo);
    lector.SetFileName(archivo);
    lector.ExtractPath = carpeta;
    lector.OnExtractFile = [&](kav::TCustomExtractor&, const kav::TFileEntry& e, std::string& destino, bool& aceptar) {
        aceptar = e.Name == entrada.Name;
        destino = carpeta;
    };
    lector.Open();
    lector.ExtractFiles();
    const auto resultado = static_cast<TResultadoExtractor>(lector.ResultCode());
    lector.Close();
    if (resultado == TResultadoExtractor::Fallido) throw Exception("Error leyendo " + archivo);
    return LeerVersionFichero(carpeta + NombreDe(entrada.Name));
}

void TExtraccionWin32::RetenerArchivo(const std::string& archivo) {
    if (retenidos_.count(archivo) || enMemoria_.count(archivo)) return;
    kav::os::File f;
    if (!f.Open(archivo, kav::os::Access::Read, kav::os::Share::DenyWrite, kav::os::Disposition::OpenExisting))
        win::RaiseLastOSError(archivo);
    retenidos_.emplace(archivo, std::move(f));
}

void TExtraccionWin32::SoltarArchivos() {
    extractor_.UseHeldFile({}, nullptr);
    retenidos_.clear();
    enMemoria_.clear();
}

void TExtraccionWin32::RetenerEnMemoria(const std::string& archivo, std::string bytes) {
    enMemoria_[archivo] = std::move(bytes);
}

void TExtraccionWin32::LeerRetenido(kav::TArchiverRoot& lector, const std::string& archivo) {
    if (auto m = enMemoria_.find(archivo); m != enMemoria_.end()) {
        lector.UseHeldBytes(archivo, m->second);
        return;
    }
    auto i = retenidos_.find(archivo);
    lector.UseHeldFile(archivo, i == retenidos_.end() ? nullptr : &i->second);
}
