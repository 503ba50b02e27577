#include "Registro.h"

#include <cstdio>

#include "platform/DateConvert.h"
#include "platform/Platform.h"

namespace {

std::string Hora() {
    const kav::os::CivilTime t = kav::os::CivilFromDate(kav::os::Now());
    char b[64];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, t.millisecond);
    return b;
}

std::string EnUnaLinea(const std::string& texto) {
    std::string r;
    r.reserve(texto.size());
    for (size_t i = 0; i < texto.size();) {
        if (texto[i] != '\r' && texto[i] != '\n') {
            r += texto[i++];
            continue;
        }
        while (i < texto.size() && (texto[i] == '\r' || texto[i] == '\n')) ++i;
        r += " | ";
    }
    return r;
}

// The file past its limit becomes the older one; false when it could not,
// and then the lines go on into the same file rather than being lost.
bool Rotar(const std::string& ruta, kav::os::File& actual) {
    using namespace kav::os;
    const int64_t tamano = actual.Size();
    std::string bytes(static_cast<size_t>(tamano), '\0');
    if (!actual.Seek(0) || actual.Read(bytes.data(), bytes.size()) != bytes.size()) return false;
    File anterior;
    if (!anterior.Open(RutaRegistroAnterior(ruta), Access::ReadWrite, Share::DenyNone, Disposition::CreateAlways) ||
        !anterior.Write(bytes.data(), bytes.size()))
        return false;
    actual.Close();
    return actual.Open(ruta, Access::ReadWrite, Share::DenyNone, Disposition::CreateAlways);
}

}  // namespace

std::string RutaRegistroAnterior(const std::string& ruta) {
    const size_t barra = ruta.find_last_of("\\/");
    const size_t punto = ruta.find_last_of('.');
    if (punto == std::string::npos || (barra != std::string::npos && punto < barra)) return ruta + ".anterior";
    return ruta.substr(0, punto) + ".anterior" + ruta.substr(punto);
}

void TRegistro::FijarRuta(const std::string& ruta) {
    std::lock_guard<std::mutex> l(m_);
    ruta_ = ruta;
}

void TRegistro::FijarRutaPredeterminada(std::function<std::string()> ruta) {
    std::lock_guard<std::mutex> l(m_);
    predeterminada_ = std::move(ruta);
}

std::string TRegistro::Ruta() {
    std::lock_guard<std::mutex> l(m_);
    if (!ruta_.empty()) return ruta_;
    return predeterminada_ ? predeterminada_() : kav::os::TempFolder() + kFicheroRegistro;
}

void TRegistro::Anotar(const std::string& texto) noexcept {
    try {
        const std::string ruta = Ruta();
        const std::string linea = Hora() + "  " + EnUnaLinea(texto) + "\r\n";
        std::lock_guard<std::mutex> l(m_);
        // Opened for each line and closed again: nothing stays buffered in
        // the process, and the file is never held while support copies it.
        kav::os::File f;
        using namespace kav::os;
        if (!f.Open(ruta, Access::ReadWrite, Share::DenyNone, Disposition::OpenExisting) &&
            !f.Open(ruta, Access::ReadWrite, Share::DenyNone, Disposition::CreateAlways))
            return;
        if (f.Size() >= limite_ && !Rotar(ruta, f) && !f.IsOpen()) return;
        if (f.Seek(f.Size())) f.Write(linea.data(), linea.size());
    } catch (...) {
        // A log that cannot be written must not stop an update.
    }
}

TRegistro& Registro() {
    static TRegistro r;
    return r;
}
