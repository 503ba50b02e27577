// The vendor's server seam on Windows: the download service and the
// signature checks of the update services.
#pragma once
#include "EfectosServidor.h"

class TServidorWin32 : public TEfectosServidor {
public:
    bool HayConexionInternet() override;
    void DescargarFichero(const std::string& base, const std::string& nombre, const std::string& carpeta,
                          const Progreso& progreso) override;
    void AvisarServidor(const std::string& url) override;
    void ComprobarFirma(const std::string& ruta, CarpetaPublicada carpeta) override;
    void ComprobarFirmaPublicada(const std::string& url, const std::string& ruta) override;
    std::string Servidor() override;
};

// The vendor's server address without a final "/" (the paths bring it).
std::string Servidor();
