// What the end-to-end runs of the install button share: the vendor's server
// filled with release archives, the program started and answered, and an
// installed copy of 10.05 to update.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>

#include <gtest/gtest.h>

#include "ArchiveBuilder.h"
#include "Automatizacion.h"
#include "TestServer.h"
#include "TextCodec.h"

namespace prueba {

using kavmake::FileOptions;

inline std::string RutaWindows(std::string p) {
    std::replace(p.begin(), p.end(), '/', '\\');
    return "Z:" + p;
}
inline std::string Programa() { return RutaWindows(KV_ACTUALIZADOR_EXE); }
inline std::string Registrador() { return RutaWindows(KV_REGISTRADOR_EXE); }

inline const double kFecha = kavmake::DateFromCivil(2026, 11, 20, 9, 0, 0);

inline FileOptions Tipo(uint8_t tipo) {
    FileOptions o;
    o.fileType = tipo;
    o.date = kFecha;
    return o;
}

// A program's bytes with its fixed version block saying major.minor.
inline std::string ConVersion(std::string b, uint16_t major, uint16_t minor) {
    // The block that follows the resource's key: a program's code may hold
    // the signature too.
    const std::wstring clave = L"VS_VERSION_INFO";
    const size_t inicio = b.find(std::string(reinterpret_cast<const char*>(clave.data()), clave.size() * 2));
    const char firma[] = {'\xBD', '\x04', '\xEF', '\xFE'};
    size_t p = inicio == std::string::npos ? inicio : b.find(std::string(firma, 4), inicio);
    if (p == std::string::npos) throw std::runtime_error("sin bloque de versión");
    // Signature, struct version, then the file version: MS (major, minor), LS.
    auto pon16 = [&](size_t o, uint16_t v) {
        b[o] = static_cast<char>(v & 0xFF);
        b[o + 1] = static_cast<char>(v >> 8);
    };
    pon16(p + 8, minor);
    pon16(p + 10, major);
    return b;
}

// A copy of the stand-in program whose fixed version block says major.minor.
inline std::string ProgramaConVersion(uint16_t major, uint16_t minor) {
    return ConVersion(ReadFile(Registrador()), major, minor);
}

// The bytes with one changed in the middle: what the vendor signed, altered
// on its way without changing its size.
inline std::string Alterado(std::string bytes) {
    bytes[bytes.size() / 2] ^= 0x01;
    return bytes;
}

inline std::string IniLeer(const std::string& ini, const char* seccion, const char* clave) {
    wchar_t buf[256];
    DWORD n = GetPrivateProfileStringW(text::Wide(seccion).c_str(), text::Wide(clave).c_str(), L"<nada>", buf, 256,
                                       text::Wide(ini).c_str());
    return text::Narrow(std::wstring(buf, n));
}

inline std::string Escritorio() {
    wchar_t buf[MAX_PATH];
    SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, buf);
    return text::Narrow(buf) + "\\";
}

inline bool Existe(const std::string& ruta) { return GetFileAttributesW(text::Wide(ruta).c_str()) != INVALID_FILE_ATTRIBUTES; }

// The vendor's server with the release of these tests (10.05): no beta for
// anyone.
struct Vendedor {
    const TestServer& http = TestServer::Get();
    Vendedor() {
        http.Reset();
        TestServer::SetRelease(10, 5);
        Conta("QTRBETA.INI", "[ACTUALIZACION]\r\nULTIMA_BETA=01/12/2026 10:00:00\r\n[10.05]\r\nSERIES=1\r\n");
        std::string url = http.Url();
        url.pop_back();
        SetEnvironmentVariableW(L"KAVO_SERVIDOR", text::Wide(url).c_str());
    }
    void Conta(const std::string& nombre, const std::string& bytes, const Publicacion& p = {}) const {
        http.Put("_descargas_/externos/Conta/" + nombre, bytes, p);
    }
    void Externo(const std::string& nombre, const std::string& bytes) const {
        http.Put("_descargas_/externos/" + nombre, bytes);
    }
    // The engine and support archives of a Btrieve 6 installation, one file each.
    void ExternosBtrieve6() const {
        kavmake::ArchiveBuilder motor;
        motor.AddFile("Externos\\Motor\\BTRV6.TXT", "btrieve 6", Tipo(3));
        Externo("BTRIEVE6.KAV", motor.Bytes());
        Soporte();
    }
    // The support archive of a first installation, one file.
    void Soporte() const {
        kavmake::ArchiveBuilder soporte;
        soporte.AddFile("Conta\\Soporte\\LEEME.TXT", "soporte", Tipo(11));
        Externo("SOPORTE.KAV", soporte.Bytes());
    }
    bool Informado(const std::string& peticion) const {
        for (const std::string& r : http.Requests())
            if (r.find(peticion) != std::string::npos) return true;
        return false;
    }
};

struct Ventana {
    std::unique_ptr<Proceso> proceso;
    HWND h = nullptr;
    DWORD Pid() const { return proceso->Id(); }
};

inline Ventana Arrancar(const std::string& exe, const std::vector<std::string>& args, const std::string& carpeta) {
    Ventana v;
    v.proceso = std::make_unique<Proceso>(exe, args, carpeta);
    v.h = EsperarVentana(v.proceso->Id(), L"KvFormulario");
    return v;
}

// Waits until the condition holds (up to 20 s).
template <typename F>
inline bool Esperar(F condicion) {
    for (int i = 0; i < 200; ++i, Sleep(100))
        if (condicion()) return true;
    return condicion();
}

// Presses the button and waits until the box is gone, so that the next one
// looked for is not this one on its way out.
inline void ResponderYCerrar(const Dialogo& d, const std::string& boton) {
    Responder(d, boton);
    for (int i = 0; i < 100 && IsWindow(d.h); ++i) Sleep(50);
}

// Answers the next message box and returns it.
inline Dialogo Contestar(const Ventana& v, const std::string& boton, std::chrono::milliseconds limite = 60s) {
    auto d = EsperarDialogo(v.Pid(), limite);
    if (!d) return {};
    try {
        ResponderYCerrar(*d, boton);
    } catch (const std::exception&) {
        std::string botones;
        for (const std::string& b : d->botones) botones += " [" + b + "]";
        ADD_FAILURE() << "\"" << d->titulo << "\": " << d->texto << " has no button " << boton << ", only" << botones;
        throw;
    }
    return *d;
}

// The closing question of an update, answered No: the window closes
// without another.
inline void TerminarSinAbrir(const Ventana& v) {
    Dialogo d = Contestar(v, "&No", 120s);
    EXPECT_EQ(d.texto, "Actualización Correcta\n\r\n\r¿Abrimos la Conta?");
    EXPECT_TRUE(v.proceso->EsperarFin());
}

// True when a file of this name is in the temporary folder or in one of the
// runs' download folders below it (a run downloads into a folder of its own).
inline bool ExisteDescarga(const std::string& nombre) {
    const std::string temporal = CarpetaTemporalWindows() + "Kavo\\Conta\\";
    if (GetFileAttributesW(text::Wide(temporal + nombre).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW(text::Wide(temporal + "Descarga.*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool hay = false;
    do {
        const std::string ruta = temporal + text::Narrow(d.cFileName) + "\\" + nombre;
        hay = hay || GetFileAttributesW(text::Wide(ruta).c_str()) != INVALID_FILE_ATTRIBUTES;
    } while (FindNextFileW(h, &d));
    FindClose(h);
    return hay;
}

// An installed copy of 10.05 in "<raíz>Contab\Programa\" (not the product's
// own folder word), started by the accounting program with the record of
// release 10.06 (fetched by the accounting program into the temporary
// folder, and published signed on the server): the incremental archive is
// the one fetched. The server's release is 10.06 from here on.
struct Instalada {
    std::string raiz, programa;
    std::map<std::string, std::string> ficheros;  // relative to `programa`

    const std::string ejecutable = "Actualizador.exe";

    explicit Instalada(const std::string& nombre) {
        raiz = CarpetaNueva(nombre);
        programa = raiz + "Contab\\Programa\\";
        CreateDirectoryW(text::Wide(raiz + "Contab").c_str(), nullptr);
        CreateDirectoryW(text::Wide(programa).c_str(), nullptr);
        CreateDirectoryW(text::Wide(programa + "Util").c_str(), nullptr);
        CopyFileW(text::Wide(Programa()).c_str(), text::Wide(programa + ejecutable).c_str(), FALSE);
        ficheros = {{"CONTA.EXE", ProgramaConVersion(10, 5)},
                    {"CONTA.INI", "[ACTUALIZACION]\r\nCODIGOCLIENTE=4711\r\n"},
                    {"LIB.DLL", Pattern(70000, 11)},
                    {"MEDIO.DLL", Pattern(5000, 12)},
                    {"Util\\LIB.DLL", Pattern(3000, 13)},
                    {"NOTAS.TXT", "del cliente"}};
        for (const auto& [f, bytes] : ficheros) EscribirFichero(programa + f, bytes);
        Registro(RegistroComprimido(2026, 11, 20, 4711, 10, 6));
        TestServer::SetRelease(10, 6);
    }
    // The record the accounting program fetched and names: in the temporary
    // folder, and as the vendor published it.
    void Registro(const std::string& bytes, const Publicacion& p = {}) const {
        std::string temporal = CarpetaTemporalWindows() + "Kavo\\Conta\\";
        SHCreateDirectoryExW(nullptr, text::Wide(temporal).c_str(), nullptr);
        EscribirFichero(temporal + "PRUEBA.VER", bytes);
        TestServer::Get().Put("_descargas_/externos/Conta/clientes/PRUEBA.VER", bytes, p);
    }
    Ventana Arrancar(const std::vector<std::string>& args = {"PRUEBA.VER"}) const {
        return prueba::Arrancar(programa + ejecutable, args, programa);
    }
    std::string Copias() const { return programa + "10.05"; }
};

}  // namespace prueba
