// An update that died halfway, put back at the next start.
#include "Ejecucion.h"

#include "EjecucionApoyo.h"
#include "FormatoTexto.h"
#include "Rutas.h"

using namespace ejecucion;

void TEjecucion::Recuperar(const std::string& carpetaPrograma) {
    if (e_.ficheros.BuscarDiarios(carpetaPrograma).empty()) return;
    const TCarpetasInstalacion carpetas = p_.CarpetasInstalacion();
    // Under the lock, as a run: another updater at work on this installation
    // keeps its journal and its files, and two never walk one back at once.
    try {
        e_.proceso.BloquearCarpeta(carpetas.bloqueo);
    } catch (const std::exception& error) {
        Anotar(std::string("Actualización interrumpida sin recuperar, la instalación está bloqueada: ") + error.what());
        return;
    }
    try {
        for (const std::string& diario : e_.ficheros.BuscarDiarios(carpetaPrograma)) {
            Anotar("Actualización interrumpida encontrada: " + diario);
            std::string motivo;
            switch (
                TCopiaSeguridad::DeshacerDiario(e_.ficheros, diario, carpetas.permitidas, d_.ProgramaPropio, motivo)) {
                case ResultadoDeshacer::Restaurada:
                    Mensaje("La última " + d_.TextoOperacion() +
                                " no terminó.\r\n\r\nSe ha restaurado la instalación "
                                "tal como estaba antes. Ya puedes actualizar de nuevo.",
                            TipoMensaje::Informacion, BotonesMensaje::Ok);
                    break;
                case ResultadoDeshacer::Incompleta:
                    Mensaje("La última " + d_.TextoOperacion() +
                                " no terminó y no se han podido restaurar todos los "
                                "ficheros.\r\n\r\nLa copia de seguridad se conserva en:\r\n\r\n" +
                                QuitarBarraFinal(CarpetaDe(diario)),
                            TipoMensaje::Error, BotonesMensaje::Ok);
                    break;
                case ResultadoDeshacer::Rechazada:
                    Mensaje("Se ha encontrado un diario de actualización que no se ha seguido:\r\n\r\n" + diario +
                                "\r\n\r\n" + motivo +
                                ".\r\n\r\nNo se ha cambiado ningún fichero; el diario se conserva para el servicio "
                                "técnico.",
                            TipoMensaje::Error, BotonesMensaje::Ok);
                    break;
                case ResultadoDeshacer::Ocupada:
                    break;
            }
        }
    } catch (...) {
        SinErrores([&] { e_.proceso.Desbloquear(); });
        throw;
    }
    e_.proceso.Desbloquear();
}
