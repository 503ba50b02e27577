// What the Windows services tests share: scratch folders, file contents,
// the fixture programs beside the test executable, a second process.
#pragma once
#include <windows.h>

#include <string>

#include "Win32Handle.h"

namespace prueba {

// A fresh folder under the system's temporary folder, removed with all its
// contents at the end. Its path has no trailing backslash and holds
// non-ASCII letters, so every service meets real UTF-8 paths.
class CarpetaPrueba {
public:
    CarpetaPrueba();
    ~CarpetaPrueba();
    CarpetaPrueba(const CarpetaPrueba&) = delete;
    CarpetaPrueba& operator=(const CarpetaPrueba&) = delete;
    const std::string& Ruta() const { return ruta_; }
    std::string operator/(const std::string& nombre) const { return ruta_ + "\\" + nombre; }

private:
    std::string ruta_;
};

void EscribirFichero(const std::string& ruta, const std::string& contenido);
std::string LeerFichero(const std::string& ruta);  // "" when missing
bool Existe(const std::string& ruta);
void CrearCarpeta(const std::string& ruta);  // with its parents
// "text", for command lines.
std::string Comillas(const std::string& texto);

// A fixture program built beside the test executable ("version_fija.exe").
std::string Fixture(const std::string& nombre);

// The helper program running with the given arguments; ended (if still
// running) when the object goes.
class Ayudante {
public:
    explicit Ayudante(const std::string& argumentos);
    ~Ayudante();
    Ayudante(const Ayudante&) = delete;
    Ayudante& operator=(const Ayudante&) = delete;
    HANDLE Proceso() const { return proceso_.get(); }

private:
    win::KernelHandle proceso_;
};

// Starts the helper holding `ruta` open without sharing and waits until it
// has it.
class FicheroRetenido {
public:
    explicit FicheroRetenido(const std::string& ruta);

private:
    Ayudante ayudante_;
};

}  // namespace prueba
