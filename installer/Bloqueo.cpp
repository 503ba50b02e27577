#include "Bloqueo.h"

#include "Exception.h"
#include "FinEjecucion.h"
#include "LibActualizadorComun.h"
#include "TextCodec.h"
#include "Win32Error.h"

void TBloqueo::Tomar(const std::string& carpeta, bool modoActualizacion) {
    std::string dir = carpeta;
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    ForzarDirectorios(dir);
    std::string ruta = dir + "KAVO.KAVO";
    win::FileHandle h(CreateFileW(text::Wide(ruta).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
        DWORD e = GetLastError();
        if (e == ERROR_SHARING_VIOLATION)
            throw EFinEjecucion(TFinEjecucion::Bloqueada, modoActualizacion
                                                              ? "Ya hay otro usuario Actualizando el programa."
                                                              : "Ya hay otro usuario Instalando el programa.");
        throw Exception("No se pudo Crear el Fichero KAVO.KAVO\r\n\r\n" + win::SysErrorMessage(e));
    }
    manejador_ = std::move(h);
    ruta_ = ruta;
}

void TBloqueo::Liberar() {
    if (!manejador_) return;
    manejador_.reset();
    if (FicheroExiste(ruta_)) BorrarFichero(ruta_, true);
}
