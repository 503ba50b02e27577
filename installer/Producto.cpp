#include "Producto.h"

#include "EntradasArchivo.h"
#include "ReglasInstalador.h"
#include "FormatoTexto.h"

bool TProducto::AceptarFichero(uint8_t tipo, const std::string& nombre, double fecha, std::string& carpeta) {
    switch (tipo) {
    case teSiempre:
        return true;
    case teSiMasViejo: {
        // Only an older copy is replaced.
        std::optional<double> actual = e_.ficheros.FechaFichero(ConBarraFinal(carpeta) + nombre);
        return !actual || FechaAnterior(*actual, fecha);
    }
    case teDatos:
        carpeta = d_.DirDatos;
        return !e_.ficheros.FicheroExiste(ConBarraFinal(d_.DirDatos) + nombre);
    default:
        return !e_.ficheros.FicheroExiste(ConBarraFinal(carpeta) + nombre);
    }
}
