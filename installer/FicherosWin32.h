// The files seam on Windows: the services' file functions, the journal held
// open through its handle, and the folders the run is lent.
#pragma once
#include "EfectosFicheros.h"
#include "Win32Handle.h"

class TCarpetaPrivada;

class TFicherosWin32 : public TEfectosFicheros {
public:
    // `descargas`: the process's private download folder, made at its first use.
    explicit TFicherosWin32(TCarpetaPrivada& descargas) : descargas_(descargas) {}

    bool FicheroExiste(const std::string& ruta) override;
    bool DirectorioExiste(const std::string& ruta) override;
    bool FicheroSoloLectura(const std::string& ruta) override;
    bool FicheroEnUso(const std::string& ruta) override;
    std::optional<double> FechaFichero(const std::string& ruta) override;
    int64_t TamanoFichero(const std::string& ruta) override;
    int64_t EspacioLibre(const std::string& carpeta) override;
    bool CarpetaEscribible(const std::string& carpeta) override;
    std::string ProgramasQueUsan(const std::string& ruta) override;
    TypeVersion VersionFichero(const std::string& ruta, bool lanzar) override;
    void CrearCarpeta(const std::string& carpeta) override;
    void MoverFichero(const std::string& origen, const std::string& destino) override;
    bool CopiarFichero(const std::string& origen, const std::string& destino) override;
    bool BorrarDirectorio(const std::string& carpeta) override;
    bool BorrarFichero(const std::string& ruta, bool lanzar) override;
    bool BorrarCarpetaVacia(const std::string& carpeta) override;
    void EscribirFichero(const std::string& ruta, const std::string& contenido) override;
    bool PuntoDeReparse(const std::string& ruta) override;
    void ReemplazarPrograma(const std::string& nuevo, const std::string& programa,
                            const std::string& apartado) override;
    std::string LeerFichero(const std::string& ruta) override;
    std::unique_ptr<diferencias::TInstalado> VerFichero(const std::string& ruta) override;
    void AnexarDiario(const std::string& diario, const std::string& linea) override;
    void CerrarDiario() override;
    std::string AbrirDiario(const std::string& diario) override;
    bool BorrarDiario() override;
    std::vector<std::string> BuscarDiarios(const std::string& carpeta) override;
    void EscribirIni(const std::string& fichero, const std::string& seccion, const std::string& clave,
                     const std::string& valor) override;
    std::string CarpetaDescargas() override;
    std::string CarpetaFicheroCliente() override;
    bool LeerPermisos(const std::string& ruta, std::vector<permisos::TAce>& lista, std::string& error) override;
    std::string FijarPermisos(const std::string& carpeta, const std::vector<permisos::TAce>& lista) override;
    permisos::TUsuario UsuarioActual() override;

private:
    // Opens the journal as it is held: readable by others, neither writable
    // nor deletable by them, never through a reparse point.
    void AbrirManejadorDiario(const std::string& diario, DWORD disposicion);

    TCarpetaPrivada& descargas_;
    win::FileHandle diario_;
    std::string rutaDiario_;
};
