// DescargarFichero: one blocking download through the URL moniker, with a
// status callback that feeds the progress handler and watches the answer.
//
// The moniker alone reports success for an error page (404, 500) or for a body
// that ends before its announced length on some systems, leaving a file that
// looks complete. So the callback records the HTTP status and the announced
// size, and a transfer counts as done only when the status is 200 (or the
// scheme has none) and the file on disk has exactly the announced size. A
// content-encoded answer announces its encoded size, which the decoded file
// need not match, so its size is not compared.
//
// A build that carries the vendor's public keys fetches each file's signature
// beside it and checks it before the caller can open the file; a file that
// fails is deleted with its signature.
#include <windows.h>
#include <urlmon.h>
#include <wininet.h>

#include <algorithm>
#include <cctype>
#include <exception>
#include <memory>
#include <vector>

#include "Exception.h"
#include "FirmaFicheros.h"
#include "Ficheros.h"
#include "LibActualizadorComun.h"
#include "LibActualizadorComunRed.h"
#include "ProcessMessages.h"
#include "Registro.h"
#include "TextCodec.h"
#include "Win32Handle.h"

namespace {

using URLDownloadToFileWFn = HRESULT(WINAPI*)(LPUNKNOWN, LPCWSTR, LPCWSTR, DWORD,
                                              LPBINDSTATUSCALLBACK);

// Loaded on the first download and kept until the program ends.
URLDownloadToFileWFn FuncionDescarga() {
    static win::Library urlmon = win::LoadSystemLibrary(L"urlmon.dll");
    static auto fn = urlmon ? reinterpret_cast<URLDownloadToFileWFn>(
                                  reinterpret_cast<void*>(::GetProcAddress(urlmon.get(), "URLDownloadToFileW")))
                            : nullptr;
    if (!fn) throw Exception("Incapaz de cargar URLMON.DLL");
    return fn;
}

std::string SinBlancos(std::string s) {
    auto blanco = [](unsigned char c) { return c <= ' '; };
    auto first = std::find_if_not(s.begin(), s.end(), blanco);
    auto last = std::find_if_not(s.rbegin(), s.rend(), blanco).base();
    return first < last ? std::string(first, last) : std::string();
}

// The value of one header in a block of response headers ("" when absent).
std::string Cabecera(const std::string& cabeceras, const std::string& nombreMinusculas) {
    std::string::size_type pos = 0;
    while (pos < cabeceras.size()) {
        std::string::size_type fin = cabeceras.find('\n', pos);
        std::string linea = cabeceras.substr(pos, fin == std::string::npos ? std::string::npos : fin - pos);
        pos = fin == std::string::npos ? cabeceras.size() : fin + 1;
        std::string::size_type dos = linea.find(':');
        if (dos == std::string::npos) continue;
        std::string nombre = SinBlancos(linea.substr(0, dos));
        for (char& c : nombre) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (nombre == nombreMinusculas) return SinBlancos(linea.substr(dos + 1));
    }
    return {};
}

// The status callback of one transfer ("the download action"). Heap object,
// reference counted: the moniker may keep it a moment after the call.
class TAccionDescarga final : public IBindStatusCallback, public IHttpNegotiate {
public:
    explicit TAccionDescarga(const TProgresoDescarga& progreso) : progreso_(progreso) {}

    DWORD EstadoHttp() const { return estadoHttp_; }
    // The size the file must have, 0 when the answer does not tell it.
    uint32_t TamanoAnunciado() const { return codificada_ ? 0 : tamanoAnunciado_; }
    bool Cancelada() const { return cancelada_; }
    // What the progress handler raised, null when it raised nothing.
    std::exception_ptr Error() const { return error_; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback)) {
            *ppv = static_cast<IBindStatusCallback*>(this);
        } else if (IsEqualIID(riid, IID_IHttpNegotiate)) {
            *ppv = static_cast<IHttpNegotiate*>(this);
        } else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    // IBindStatusCallback
    STDMETHODIMP OnStartBinding(DWORD, IBinding* binding) override {
        if (binding) binding->QueryInterface(IID_IWinInetHttpInfo, reinterpret_cast<void**>(&httpInfo_));
        return S_OK;
    }
    STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP OnLowResource(DWORD) override { return S_OK; }
    STDMETHODIMP OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                            LPCWSTR statusText) override {
        tamanoAnunciado_ = std::max<uint32_t>(tamanoAnunciado_, progressMax);
        if (cancelada_) return E_ABORT;  // the handler said its last word
        // No exception may cross the system's download function: an error of
        // the handler (or of the window code the pump runs) cancels the
        // transfer here and is raised again once the download call returned.
        try {
            ui::ProcessMessages();
            if (progreso_) {
                bool cancel = false;
                std::string texto = statusText ? SinBlancos(text::Narrow(statusText)) : std::string();
                progreso_(this, progress, progressMax, static_cast<TEstadoDescarga>(statusCode), texto,
                          cancel);
                if (cancel) cancelada_ = true;
            }
        } catch (...) {
            error_ = std::current_exception();
            cancelada_ = true;
        }
        return cancelada_ ? E_ABORT : S_OK;
    }
    STDMETHODIMP OnStopBinding(HRESULT, LPCWSTR) override {
        if (httpInfo_) {
            if (estadoHttp_ == 0) {
                DWORD code = 0, size = sizeof(code), flags = 0;
                if (SUCCEEDED(httpInfo_->QueryInfo(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                                                   &code, &size, &flags, nullptr)))
                    estadoHttp_ = code;
            }
            char encoding[64] = {};
            DWORD size = sizeof(encoding) - 1, flags = 0;
            if (SUCCEEDED(httpInfo_->QueryInfo(HTTP_QUERY_CONTENT_ENCODING, encoding, &size, &flags, nullptr)))
                NotarCodificacion(std::string(encoding, std::min<DWORD>(size, sizeof(encoding) - 1)));
            httpInfo_->Release();
            httpInfo_ = nullptr;
        }
        return S_OK;
    }
    STDMETHODIMP GetBindInfo(DWORD*, BINDINFO*) override { return S_OK; }
    STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
    STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

    // IHttpNegotiate: the only place where every system tells the status.
    STDMETHODIMP BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* extra) override {
        if (extra) *extra = nullptr;
        return S_OK;
    }
    STDMETHODIMP OnResponse(DWORD code, LPCWSTR headers, LPCWSTR, LPWSTR* extra) override {
        if (extra) *extra = nullptr;
        estadoHttp_ = code;
        if (headers) NotarCodificacion(Cabecera(text::Narrow(headers), "content-encoding"));
        // An error page is never wanted: stop before its body is written.
        return code >= 400 ? E_ABORT : S_OK;
    }

private:
    void NotarCodificacion(const std::string& valor) {
        std::string v = text::UpperAscii(SinBlancos(valor));
        if (!v.empty() && v != "IDENTITY") codificada_ = true;
    }

    ~TAccionDescarga() {
        if (httpInfo_) httpInfo_->Release();
    }

    ULONG refs_ = 1;
    const TProgresoDescarga progreso_;
    IWinInetHttpInfo* httpInfo_ = nullptr;
    DWORD estadoHttp_ = 0;
    uint32_t tamanoAnunciado_ = 0;
    bool cancelada_ = false;
    bool codificada_ = false;
    std::exception_ptr error_;
};

// One reference held by DescargarFichero, dropped on every way out.
struct SoltarAccion {
    void operator()(TAccionDescarga* a) const { a->Release(); }
};

bool TamanoFichero(const std::wstring& path, uint64_t& size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

std::string RutaLocal(const std::string& carpeta, const std::string& fichero) {
    if (carpeta.empty()) return CarpetaTemporal() + fichero;
    char last = carpeta.back();
    return (last == '\\' || last == '/') ? carpeta + fichero : carpeta + "\\" + fichero;
}

// A failure a later attempt may not meet; the reason goes to the log.
class EDescargaTransitoria : public Exception {
public:
    EDescargaTransitoria(const std::string& mensaje, std::string motivo)
        : Exception(mensaje), motivo_(std::move(motivo)) {}
    const std::string& Motivo() const { return motivo_; }

private:
    std::string motivo_;
};

// What one transfer of a URL into a local file came to.
struct Transferencia {
    bool completa = false;     // the whole answer is in the file, status 200
    bool cancelada = false;    // the progress handler stopped it
    DWORD estadoHttp = 0;      // 0: no answer from a server (or a scheme without one)
    std::exception_ptr error;  // what the progress handler raised
};

// Fetches url into ruta, bypassing the cache and replacing an older copy.
// Whatever did not complete is removed: nothing that failed may stay behind
// under the name of a good copy.
Transferencia Intentar(const std::string& url, const std::string& ruta, const TProgresoDescarga& progreso) {
    const std::wstring urlW = text::Wide(url);
    const std::wstring rutaW = text::Wide(ruta);

    ::DeleteUrlCacheEntryW(urlW.c_str());
    BorrarFichero(ruta, false);

    auto descargar = FuncionDescarga();
    std::unique_ptr<TAccionDescarga, SoltarAccion> accion(new TAccionDescarga(progreso));
    HRESULT hr = descargar(nullptr, urlW.c_str(), rutaW.c_str(), 0, accion.get());

    uint64_t tamano = 0;
    Transferencia t;
    t.estadoHttp = accion->EstadoHttp();
    t.cancelada = accion->Cancelada();
    t.error = accion->Error();
    t.completa = SUCCEEDED(hr) && !t.cancelada && TamanoFichero(rutaW, tamano) &&
                 (t.estadoHttp == 0 || t.estadoHttp == 200) &&
                 (accion->TamanoAnunciado() == 0 || tamano == accion->TamanoAnunciado());
    if (!t.completa) BorrarFichero(ruta, false);
    return t;
}

// One transfer of url into ruta, as DescargarFichero promises it.
void Transferir(const std::string& url, const std::string& ruta, const TProgresoDescarga& progreso) {
    const Transferencia t = Intentar(url, ruta, progreso);
    if (t.completa) return;
    if (t.error) std::rethrow_exception(t.error);
    const std::string error = "Error descargando URL: " + url;
    if (t.estadoHttp == HTTP_STATUS_NOT_FOUND) throw EDescargaNoEncontrada(error);
    if (t.cancelada) throw Exception(error);
    // The server's own trouble, a transfer cut short, or no answer from
    // a web server at all may not happen again a moment later.
    if (t.estadoHttp >= 500) throw EDescargaTransitoria(error, "HTTP " + std::to_string(t.estadoHttp));
    if (t.estadoHttp == 200) throw EDescargaTransitoria(error, "transferencia cortada");
    if (t.estadoHttp == 0 && url.rfind("http", 0) == 0) throw EDescargaTransitoria(error, "sin respuesta del servidor");
    throw Exception(error);
}

// Transferir, again after a growing pause while the failure is transient;
// each retry goes to the log. The window stays alive during the pause.
void TransferirConReintentos(const std::string& url, const std::string& ruta, const TProgresoDescarga& progreso) {
    for (int intento = 1;; ++intento) {
        try {
            Transferir(url, ruta, progreso);
            return;
        } catch (const EDescargaTransitoria& e) {
            if (intento > kReintentosDescarga) throw;
            const DWORD pausa = kPausaPrimerReintentoMs << (intento - 1);
            Anotar("Descarga fallida (" + e.Motivo() + "): " + url + "; reintento " + std::to_string(intento) +
                   " de " + std::to_string(kReintentosDescarga) + " en " + std::to_string(pausa) + " ms");
            const DWORD inicio = ::GetTickCount();
            while (::GetTickCount() - inicio < pausa) {
                ui::ProcessMessages();
                ::Sleep(20);
            }
        }
    }
}

// Fetches the signature of the file at ruta and checks the file against it,
// under the name the server published it with; on any failure both are
// deleted. The signature is not kept: the file was checked before anyone
// opened it.
void ComprobarDescarga(const std::string& url, const std::string& ruta, const std::vector<std::string>& claves) {
    const std::string publicado = url.substr(url.find_last_of('/') + 1);
    const std::string rutaFirma = ruta + firma::kExtensionFirma;
    try {
        try {
            TransferirConReintentos(url + firma::kExtensionFirma, rutaFirma, {});
        } catch (const EDescargaNoEncontrada&) {
            throw firma::EFirmaRechazada("Fichero " + publicado + " rechazado: falta su firma.");
        }
        firma::ComprobarFichero(ruta, claves, publicado);
    } catch (...) {
        BorrarFichero(ruta, false);
        BorrarFichero(rutaFirma, false);
        throw;
    }
    BorrarFichero(rutaFirma, false);
}

}  // namespace

void DescargarFichero(const std::string& urlBase, const std::string& fichero,
                      const std::string& carpetaDestino, const TProgresoDescarga& progreso) {
    const std::string url = urlBase + fichero;
    const std::string ruta = RutaLocal(carpetaDestino, fichero);
    TransferirConReintentos(url, ruta, progreso);
    static const std::vector<std::string> claves = firma::ClavesDeLaVersion();
    if (!claves.empty()) ComprobarDescarga(url, ruta, claves);
}

void EnviarPeticion(const std::string& url) {
    // The answer lands in a temporary file of its own and goes at once.
    wchar_t nombre[MAX_PATH];
    if (!::GetTempFileNameW(text::Wide(CarpetaTemporal()).c_str(), L"kav", 0, nombre))
        throw Exception("Error descargando URL: " + url);
    const std::string ruta = text::Narrow(nombre);
    Transferencia t;
    try {
        t = Intentar(url, ruta, {});
    } catch (...) {
        BorrarFichero(ruta, false);
        throw;
    }
    BorrarFichero(ruta, false);
    // A server that answered has the request, whatever it answered.
    if (!t.completa && t.estadoHttp == 0) throw Exception("Error descargando URL: " + url);
}
