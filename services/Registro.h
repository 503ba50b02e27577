// The updater's log for support staff: every run appends what it did, one
// line per event (local time, text), UTF-8. Each line is on disk before the
// call returns, so a run that is killed still leaves its story. Writing it
// never fails a run: a line that cannot be written is dropped.
// The log stays bounded on machines that update for years: once the file
// has passed its limit, it becomes the older file (NAME.anterior.EXT,
// replacing the one before) and a new file starts, so support still finds
// the last runs whole.
// Portable.
#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

// The log's file name in the updater's temporary folder.
inline constexpr const char* kFicheroRegistro = "Actualizador.log";
// Past this size the log starts a new file.
inline constexpr int64_t kLimiteRegistro = 1024 * 1024;

// The older file of a log: "C:\x\Actualizador.log" -> "C:\x\Actualizador.anterior.log".
std::string RutaRegistroAnterior(const std::string& ruta);

class TRegistro {
public:
    // Sends the following lines to this file (created when missing);
    // empty goes back to the default.
    void FijarRuta(const std::string& ruta);
    // The default file, asked at each line while no file was chosen: the
    // temporary folder depends on the product, which is known only after
    // start-up. Without one, the system's temporary folder.
    void FijarRutaPredeterminada(std::function<std::string()> ruta);
    std::string Ruta();
    void FijarLimite(int64_t bytes) { limite_ = bytes; }
    // One line; line breaks inside the text are shown as " | ", so that
    // each event stays on its own line.
    void Anotar(const std::string& texto) noexcept;

private:
    std::mutex m_;
    std::string ruta_;
    std::function<std::string()> predeterminada_;
    int64_t limite_ = kLimiteRegistro;
};

// The process's one log.
TRegistro& Registro();
inline void Anotar(const std::string& texto) noexcept { Registro().Anotar(texto); }
