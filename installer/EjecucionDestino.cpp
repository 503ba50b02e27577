// Where each entry goes and whether it is written, and the check of the
// destination before the first change: files in use or read-only, the
// program folder writable, room on every drive.
#include "Ejecucion.h"

#include <map>
#include <set>

#include "CustExtractor.h"
#include "Exception.h"
#include "ReglasInstalador.h"
#include "Rutas.h"
#include "FormatoTexto.h"

namespace {

std::string ReemplazarSinMayusculas(const std::string& texto, const std::string& buscado,
                                    const std::string& nuevo) {
    if (buscado.empty()) return texto;
    const std::string t = Minusculas(texto), b = Minusculas(buscado);
    std::string r;
    size_t desde = 0;
    for (size_t p = t.find(b); p != std::string::npos; p = t.find(b, desde)) {
        r += texto.substr(desde, p - desde) + nuevo;
        desde = p + b.size();
    }
    return r + texto.substr(desde);
}

// Sizes for the user, rounded up: never less than what is needed.
std::string Tamano(int64_t bytes) {
    if (bytes < 10240) return std::to_string(bytes) + " bytes";
    if (bytes < 10485760) return std::to_string((bytes + 1023) / 1024) + " KB";
    const int64_t decimas = (bytes * 10 + 1048575) / 1048576;
    return std::to_string(decimas / 10) + "," + std::to_string(decimas % 10) + " MB";
}

// "C:" of a drive path, "\\servidor\recurso" of a network path.
std::string Unidad(const std::string& ruta) {
    if (ruta.size() >= 2 && ruta[1] == ':') return ruta.substr(0, 2);
    if (ruta.rfind("\\\\", 0) == 0) {
        const size_t servidor = ruta.find('\\', 2);
        const size_t recurso = servidor == std::string::npos ? servidor : ruta.find('\\', servidor + 1);
        return ruta.substr(0, recurso);
    }
    return ruta;
}

}  // namespace

std::string PalabraMotor(TTipoMotor tipo) {
    switch (tipo) {
    case tmPsql12: return "PSQL";
    case tmBtrieve12: return "BTRIEVE12";
    case tmBtrieve6: return "BTRIEVE6";
    }
    return "PSQL";
}

// Every file this run will write, checked before the first one changes:
// none held open or read-only, the program folder writable, and room on the
// drive for the new files beside the backup of the old ones.
void TEjecucion::ComprobarDestino() {
    const std::string base = ConBarraFinal(e_.extraccion.DestinoExtraccion());
    const std::string cancelada = d_.TextoOperacion() + " Cancelada";
    // The bytes each drive must take, with a folder on it to ask. The
    // backup moves a replaced file within its drive, which takes no room;
    // it takes the old size on the backup's drive only where it copies
    // (the running updater's own file) or crosses drives.
    std::map<std::string, std::pair<std::string, int64_t>> porUnidad;
    auto anadir = [&](const std::string& carpeta, int64_t bytes) {
        auto& u = porUnidad[Minusculas(Unidad(carpeta))];
        if (u.first.empty()) u.first = carpeta;
        u.second += bytes;
    };
    anadir(base, 0);
    const std::string copias = copiasPorHacer_.empty() ? base : copiasPorHacer_;
    std::set<std::string> vistos;
    for (const kav::TFileEntry& entrada : entradas_) {
        for (bool alternativo : {false, true}) {
            const std::string guardado = alternativo ? entrada.AltName : entrada.Name;
            if (guardado.empty()) continue;
            std::string carpeta =
                CarpetaDestino(kav::EntryDestinationFolder(guardado, e_.extraccion.DestinoExtraccion(), true));
            const std::string nombre = NombreDe(guardado);
            if (!DecidirDestino(alternativo ? entrada.AltFileType : entrada.FileType, nombre, entrada.Date, carpeta,
                                false))
                continue;
            const std::string ruta = ConBarraFinal(carpeta) + nombre;
            if (!vistos.insert(Minusculas(ruta)).second) continue;
            anadir(carpeta, entrada.Size);
            if (!e_.ficheros.FicheroExiste(ruta)) continue;
            if (!copiasPorHacer_.empty() &&
                (MismaRuta(ruta, d_.ProgramaPropio) || Minusculas(Unidad(ruta)) != Minusculas(Unidad(copias))))
                anadir(copias, e_.ficheros.TamanoFichero(ruta));
            if (e_.ficheros.FicheroSoloLectura(ruta))
                throw Exception("El Fichero " + ruta + "\r\n\r\nes de Sólo Lectura. " + cancelada);
            // The running updater's own file is in use by this very run, and
            // is set aside rather than overwritten.
            if (!MismaRuta(ruta, d_.ProgramaPropio) && e_.ficheros.FicheroEnUso(ruta)) {
                const std::string programas = e_.ficheros.ProgramasQueUsan(ruta);
                throw EFinEjecucion(TFinEjecucion::FicheroEnUso, "El Fichero " + ruta + "\r\n\r\nestá en Uso" +
                                                                     (programas.empty() ? "" : " por " + programas) +
                                                                     ". " + cancelada);
            }
        }
    }
    const std::string programa = d_.ModoActualizacion ? CarpetaDe(p_.RutaProgramaInstalado()) : std::string();
    if (!programa.empty() && !e_.ficheros.CarpetaEscribible(programa))
        throw Exception("No se puede escribir en la carpeta " + programa + "\r\n\r\n" + cancelada);
    for (const auto& [unidad, falta] : porUnidad) {
        const auto& [carpeta, necesario] = falta;
        const int64_t libre = e_.ficheros.EspacioLibre(carpeta);
        Anotar("Espacio necesario en " + Unidad(carpeta) + ": " + Tamano(necesario) +
               "; libre: " + (libre < 0 ? "desconocido" : Tamano(libre)));
        if (libre >= 0 && libre < necesario)
            throw Exception("No hay espacio suficiente en la unidad " + Unidad(carpeta) + "\r\n\r\nSe necesitan " +
                            Tamano(necesario) + " y quedan libres " + Tamano(libre) + ". " + cancelada);
    }
}

bool TEjecucion::NingunoMasViejo(const std::string& ruta, double fecha) {
    std::optional<double> actual = e_.ficheros.FechaFichero(ruta);
    return !actual || !FechaAnterior(*actual, fecha);
}

// Archives store the program under the product's word; the entries land in
// the folder the user chose.
std::string TEjecucion::CarpetaDestino(std::string carpeta) {
    const std::string destino = ConBarraFinal(e_.extraccion.DestinoExtraccion());
    const std::string producto = destino + p_.NombreProducto();
    if (carpeta.compare(0, producto.size(), producto) == 0)
        carpeta = ReemplazarSinMayusculas(carpeta, producto, destino + d_.CarpetaPrograma);
    return carpeta;
}

bool TEjecucion::DecidirDestino(uint8_t tipo, const std::string& nombre, double fecha, std::string& carpeta,
                                bool avisar) {
    const std::string ruta = ConBarraFinal(carpeta) + nombre;
    switch (tipo) {
    case teMotorBtrieve6: return d_.TipoMotor == tmBtrieve6 && NingunoMasViejo(ruta, fecha);
    case teMotorPsql:
        return (d_.TipoMotor == tmPsql12 || d_.TipoMotor == tmBtrieve12) && NingunoMasViejo(ruta, fecha);
    case teSinMasNuevo: return NingunoMasViejo(ruta, fecha);
    case tePaquete:
    case tePaqueteSerie: return p_.AceptarPaquete(nombre, avisar);
    case tePaqueteAdicional: return p_.AceptarPaqueteAdicional(nombre);
    case teOmitido:
    case teOmitidoOtro: return false;
    case teActualizador: return true;  // the engine's proposal
    default: return p_.AceptarFichero(tipo, nombre, fecha, carpeta);
    }
}
