// The run's side effects on Windows: the update services, the window's
// extractor and lock, the message dialogs, the taskbar and the application.
#pragma once
#include <map>

#include "Efectos.h"
#include "platform/Platform.h"
#include "Win32Handle.h"

class TFFormKavoInstala;
namespace kav {
class TArchiverRoot;
}

class TEfectosWin32 : public TEfectosFicheros,
                      public TEfectosServidor,
                      public TEfectosExtraccion,
                      public TEfectosUsuario,
                      public TEfectosProceso {
public:
    explicit TEfectosWin32(TFFormKavoInstala& formulario) : f_(formulario) {}

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
    bool HayConexionInternet() override;
    void DescargarFichero(const std::string& base, const std::string& nombre, const std::string& carpeta,
                          const Progreso& progreso) override;
    void AvisarServidor(const std::string& url) override;
    void ComprobarFirma(const std::string& ruta) override;
    void ComprobarFirmaPublicada(const std::string& url, const std::string& ruta) override;
    std::string Servidor() override;
    void FijarDestinoExtraccion(const std::string& carpeta) override;
    std::string DestinoExtraccion() override;
    TResultadoExtractor ExtraerArchivo(const std::string& archivo) override;
    void CerrarArchivo() override;
    std::vector<kav::TFileEntry> ComprobarArchivo(const std::string& archivo,
                                                  const ProgresoLectura& progreso) override;
    void AbortarExtraccion() override;
    std::vector<diferencias::TEntradaLeida> LeerArchivo(const std::string& archivo) override;
    TypeVersion VersionEnArchivo(const std::string& archivo, const kav::TFileEntry& entrada) override;
    void RetenerArchivo(const std::string& archivo) override;
    void RetenerEnMemoria(const std::string& archivo, std::string bytes) override;
    void SoltarArchivos() override;
    int Mensaje(const std::string& texto, TipoMensaje tipo, BotonesMensaje botones) override;
    void MensajePlano(const std::string& texto) override;
    void TerminarAplicacion() override;
    bool IniciarPrograma(const std::string& programa) override;
    void ProcesarMensajes() override;
    void Bloquear(bool activar) override;
    void BloquearCarpeta(const std::string& carpeta) override;
    void BarraTareas(EstadoBarraTareas estado) override;
    void ProgresoBarraTareas(int posicion, int maximo) override;
    std::string FechaHoraActual() override;
    int64_t Ahora() override;

    TEfectos Efectos() { return {*this, *this, *this, *this, *this}; }

private:
    // Opens the journal as it is held: readable by others, neither writable
    // nor deletable by them, never through a reparse point.
    void AbrirManejadorDiario(const std::string& diario, DWORD disposicion);

    TFFormKavoInstala& f_;
    win::FileHandle diario_;
    // The archives held by RetenerArchivo and RetenerEnMemoria, by path.
    std::map<std::string, kav::os::File> retenidos_;
    std::map<std::string, std::string> enMemoria_;
    // Points the reader at the archive as it is held, if it is.
    void LeerRetenido(kav::TArchiverRoot& lector, const std::string& archivo);
    std::string rutaDiario_;
};
