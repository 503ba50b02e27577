// The vendor's server as a run uses it: downloads, reports and the signature
// checks of what it publishes.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "Exception.h"

// The server answered that a file it was asked for is not there.
class EFicheroNoPublicado : public Exception {
public:
    using Exception::Exception;
};

// Where the vendor publishes a release file, and with it its signature: the
// program archives apart from the shared ones (the engine, the support).
enum class CarpetaPublicada { Programas, Externos };

class TEfectosServidor {
public:
    virtual ~TEfectosServidor() = default;

    virtual bool HayConexionInternet() = 0;
    // Downloads base + nombre into the folder; raises on failure, also when
    // the progress handler cancelled, and EFicheroNoPublicado when the
    // server says the file is not there.
    using Progreso = std::function<void(uint32_t progreso, uint32_t maximo, bool& cancelar)>;
    virtual void DescargarFichero(const std::string& base, const std::string& nombre, const std::string& carpeta,
                                  const Progreso& progreso) = 0;
    virtual void AvisarServidor(const std::string& url) = 0;
    // Checks a release file taken from a folder against its signature beside
    // it, as published in `carpeta`, when the build carries the vendor's
    // keys; raises naming the file. Downloads are checked by the download
    // itself.
    virtual void ComprobarFirma(const std::string& ruta, CarpetaPublicada carpeta) = 0;
    // Checks the file at ruta, which reached this computer by another way,
    // against the statement published for url, fetched now; raises the
    // refusal (firma::EFirmaRechazada) or the download's error.
    virtual void ComprobarFirmaPublicada(const std::string& url, const std::string& ruta) = 0;
    virtual std::string Servidor() = 0;  // without a final "/"
};
