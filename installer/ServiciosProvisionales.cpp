#include "ServiciosProvisionales.h"

#include <shlobj.h>
#include <wininet.h>
#include <zlib.h>

#include <cstring>
#include <vector>

#include "Controls.h"
#include "DialogSeam.h"
#include "Exception.h"
#include "Mensajes.h"
#include "ProcessMessages.h"
#include "TextCodec.h"
#include "Win32Error.h"

using text::Narrow;
using text::Wide;

int LeerPlataforma() {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof(v);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&v);
#pragma GCC diagnostic pop
    return v.dwPlatformId == VER_PLATFORM_WIN32_NT ? 2 : v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? 1 : 0;
}

TypeVersion LeerVersionFichero(const std::string& ruta) {
    TypeVersion v;
    std::wstring w = Wide(ruta);
    DWORD n = GetFileVersionInfoSizeW(w.c_str(), nullptr);
    if (n == 0) return v;
    std::vector<uint8_t> buf(n);
    if (!GetFileVersionInfoW(w.c_str(), 0, n, buf.data())) return v;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(buf.data(), L"\\", reinterpret_cast<void**>(&info), &len) || !info)
        throw Exception("Información de versión no disponible");
    v.major = HIWORD(info->dwFileVersionMS);
    v.minor = LOWORD(info->dwFileVersionMS);
    v.release = HIWORD(info->dwFileVersionLS);
    v.build = LOWORD(info->dwFileVersionLS);
    return v;
}

bool VersionMayor(const TypeVersion& a, const TypeVersion& b, bool estricto) {
    uint32_t x = (uint32_t(a.major) << 16) | a.minor, y = (uint32_t(b.major) << 16) | b.minor;
    return estricto ? x > y : x >= y;
}

uint32_t TypeVersionesConta::CodigoCliente() const {
    return bytes[12] | (bytes[13] << 8) | (bytes[14] << 16) | (uint32_t(bytes[15]) << 24);
}

TypeVersion TypeVersionesConta::Version(int codigo) const {
    size_t o = static_cast<size_t>(8 * codigo - 715);
    auto u16 = [&](size_t k) { return static_cast<uint16_t>(bytes[o + k] | (bytes[o + k + 1] << 8)); };
    return TypeVersion{u16(0), u16(2), u16(4), u16(6)};
}

TypeVersionesConta LeerVersionesComprimidas(const std::string& ruta) {
    TypeVersionesConta r;
    win::FileHandle f(CreateFileW(Wide(ruta).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
    if (!f) win::RaiseLastOSError(ruta);
    LARGE_INTEGER tam;
    if (!GetFileSizeEx(f.get(), &tam)) win::RaiseLastOSError(ruta);
    if (tam.QuadPart > (1 << 20)) throw Exception("Error de descompresión\r\n\r\n" + ruta);
    std::vector<uint8_t> datos(static_cast<size_t>(tam.QuadPart));
    DWORD leidos = 0;
    if (!datos.empty() && !ReadFile(f.get(), datos.data(), static_cast<DWORD>(datos.size()), &leidos, nullptr))
        win::RaiseLastOSError(ruta);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw Exception("Error de descompresión");
    z.next_in = datos.data();
    z.avail_in = leidos;
    z.next_out = r.bytes.data();
    z.avail_out = static_cast<uInt>(r.bytes.size());
    int e = inflate(&z, Z_SYNC_FLUSH);
    inflateEnd(&z);
    if (e != Z_OK && e != Z_STREAM_END && !(e == Z_BUF_ERROR && z.avail_out == 0))
        throw Exception("Error de descompresión\r\n\r\n" + ruta);
    return r;
}

TypeVersionesConta LeerVersionesInstaladas(const std::string& carpeta, const std::string& actualizador) {
    TypeVersionesConta r;
    std::string c = carpeta;
    if (!c.empty() && c.back() != '\\') c += '\\';
    auto poner = [&](int codigo, const TypeVersion& v) {
        size_t o = static_cast<size_t>(8 * codigo - 715);
        const uint16_t p[4] = {v.build, v.release, v.minor, v.major};
        for (int k = 0; k < 4; ++k) {
            r.bytes[o + 2 * k] = static_cast<uint8_t>(p[k]);
            r.bytes[o + 2 * k + 1] = static_cast<uint8_t>(p[k] >> 8);
        }
    };
    poner(98, LeerVersionFichero(c + actualizador));
    poner(99, LeerVersionFichero(c + "CONTA.EXE"));
    return r;
}

std::string PalabraProducto = "Rolda";

std::string CarpetaTemporal() {
    wchar_t buf[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    std::string r = Narrow(std::wstring(buf, n)) + "Kavo\\" + PalabraProducto + "\\";
    ForzarDirectorios(r);
    return r;
}

std::string ExpandirRuta(const std::string& ruta) {
    if (ruta.size() < 4) return ruta;
    wchar_t buf[1024];
    DWORD n = GetFullPathNameW(Wide(ruta).c_str(), 1024, buf, nullptr);
    return n > 0 && n < 1024 ? Narrow(std::wstring(buf, n)) : ruta;
}

std::string FormatoCeros(long long numero, int ancho) {
    std::string s = std::to_string(numero);
    if (static_cast<int>(s.size()) < ancho) s.insert(0, static_cast<size_t>(ancho) - s.size(), '0');
    return s;
}

std::string FormatoCerosFijo(long long numero, int ancho) { return FormatoCeros(numero, ancho).substr(0, ancho); }

std::string NombreMes(int mes) {
    if (mes < 1 || mes > 12) return {};
    wchar_t buf[80];
    int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SMONTHNAME1 + static_cast<LCTYPE>(mes - 1), buf, 80);
    return n > 1 ? Narrow(std::wstring(buf, static_cast<size_t>(n - 1))) : std::string();
}

std::string NombreUsuario() {
    wchar_t buf[257];
    DWORD n = 257;
    if (!GetUserNameW(buf, &n) || n <= 1) return "Desconocido";
    std::wstring w(buf, n - 1);
    CharUpperBuffW(w.data(), static_cast<DWORD>(w.size()));
    return Narrow(w);
}

bool FicheroExiste(const std::string& ruta) {
    DWORD a = GetFileAttributesW(Wide(ruta).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectorioExiste(const std::string& ruta) {
    DWORD a = GetFileAttributesW(Wide(ruta).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool BorrarFichero(const std::string& ruta, bool lanzar) {
    if (DeleteFileW(Wide(ruta).c_str())) return true;
    if (lanzar) win::RaiseLastOSError(ruta);
    return false;
}

bool ForzarDirectorios(const std::string& ruta) {
    std::string r = ruta;
    while (!r.empty() && r.back() == '\\') r.pop_back();
    if (r.empty() || DirectorioExiste(r)) return true;
    size_t p = r.find_last_of('\\');
    if (p != std::string::npos && p > 2) ForzarDirectorios(r.substr(0, p));
    return CreateDirectoryW(Wide(r).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string CarpetaEscritorio() {
    wchar_t buf[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, buf))) return {};
    std::string r = Narrow(buf);
    if (!r.empty() && r.back() != '\\') r += '\\';
    return r;
}

TypeDirInstalacion DirectorioInstalacion(const std::string& codigo, const std::string&, const std::string& base) {
    return {base, text::UpperAscii(codigo) == "QTR" ? "Conta" : ""};
}

bool BuscarCarpeta(HWND propietario, std::string& carpeta, const std::string& titulo, bool estiloNuevo,
                   const std::string&) {
    if (auto r = ui::ScriptedAnswer({"BuscarCarpeta", titulo, "", {}, carpeta})) {
        if (r->result != mrOk) return false;
        carpeta = r->value;
        return true;
    }
    std::wstring t = Wide(titulo);
    BROWSEINFOW bi{};
    bi.hwndOwner = propietario;
    bi.lpszTitle = t.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS | (estiloNuevo ? BIF_NEWDIALOGSTYLE : 0);
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&bi);
    if (!pidl) return false;
    wchar_t buf[MAX_PATH];
    bool ok = SHGetPathFromIDListW(pidl, buf);
    CoTaskMemFree(pidl);
    if (ok) carpeta = Narrow(buf);
    return ok;
}

namespace {
struct InternetHandle {
    HINTERNET h = nullptr;
    ~InternetHandle() {
        if (h) InternetCloseHandle(h);
    }
};
}  // namespace

void DescargarFichero(const std::string& base, const std::string& nombre, const std::string& carpeta,
                      const ProgresoDescargaFn& progreso) {
    std::string url = base + nombre;
    std::string destino = carpeta.empty() ? CarpetaTemporal() : carpeta;
    if (destino.back() != '\\') destino += '\\';
    destino += nombre;
    auto fallo = [&] { throw Exception("Error descargando URL: " + url); };
    InternetHandle sesion{InternetOpenW(L"Actualizador", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)};
    if (!sesion.h) fallo();
    InternetHandle pet{InternetOpenUrlW(sesion.h, Wide(url).c_str(), nullptr, 0,
                                        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)};
    if (!pet.h) fallo();
    DWORD estado = 0, len = sizeof(estado);
    HttpQueryInfoW(pet.h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &estado, &len, nullptr);
    if (estado != 200) fallo();
    DWORD total = 0;
    len = sizeof(total);
    if (!HttpQueryInfoW(pet.h, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &total, &len, nullptr)) total = 0;
    DeleteFileW(Wide(destino).c_str());
    win::FileHandle f(CreateFileW(Wide(destino).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!f) fallo();
    uint32_t recibidos = 0;
    char buf[16384];
    for (;;) {
        DWORD n = 0;
        if (!InternetReadFile(pet.h, buf, sizeof(buf), &n)) fallo();
        if (n == 0) break;
        DWORD escritos = 0;
        if (!WriteFile(f.get(), buf, n, &escritos, nullptr) || escritos != n) fallo();
        recibidos += n;
        bool cancelar = false;
        if (progreso) progreso(recibidos, total, cancelar);
        if (cancelar) fallo();
    }
}

bool HayConexionInternet() {
    DWORD flags = 0;
    return InternetGetConnectedState(&flags, 0);
}

void PosicionBarra(forms::TProgressBar& barra, int posicion) {
    barra.SetPosition(posicion);
    UpdateWindow(barra.Handle());
}

bool MostrarModoLocal(HWND, const std::string& mensaje, const std::string&, const std::string&,
                      const std::string&) {
    MensajeError(mensaje);
    return false;
}

std::array<uint8_t, 128> LeerDatosUsuarioAnexos(const std::string& ruta, int32_t sfxSize) {
    win::FileHandle f(CreateFileW(Wide(ruta).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!f) win::RaiseLastOSError(ruta);
    LARGE_INTEGER pos;
    pos.QuadPart = sfxSize;
    uint8_t cab[268];
    DWORD leidos = 0;
    if (!SetFilePointerEx(f.get(), pos, nullptr, FILE_BEGIN) || !ReadFile(f.get(), cab, sizeof(cab), &leidos, nullptr) ||
        leidos < sizeof(cab))
        throw Exception("Firma Erronea: el archivo \"" + ruta + "\" no es valido");
    int32_t firma, version;
    std::memcpy(&firma, cab, 4);
    std::memcpy(&version, cab + 4, 4);
    if (firma != 4664) throw Exception("Firma Erronea: el archivo \"" + ruta + "\" no es valido");
    if (version > 1) throw Exception("Versión desconocida");
    std::array<uint8_t, 128> r;
    std::memcpy(r.data(), cab + 73, 128);
    return r;
}
