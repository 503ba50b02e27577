#include "kvSystemInfo.h"

#include <windows.h>

#include "TextCodec.h"
#include "VersionSistema.h"
#include "Win32Handle.h"

namespace {

template <typename Fn>
Fn FuncionKernel(const char* nombre) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), nombre)));
}

TValorRegistro LeerValor(const wchar_t* clave, const wchar_t* valor) {
    HKEY h = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, clave, 0, KEY_READ, &h) != ERROR_SUCCESS) return {};
    win::RegistryKey key(h);
    DWORD tipo = 0, size = 0;
    if (::RegQueryValueExW(key.get(), valor, nullptr, &tipo, nullptr, &size) != ERROR_SUCCESS) return {};
    if (tipo == REG_DWORD) {
        DWORD v = 0;
        size = sizeof v;
        ::RegQueryValueExW(key.get(), valor, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size);
        return TValorRegistro::DeEntero(v);
    }
    if (tipo != REG_SZ && tipo != REG_EXPAND_SZ) return TValorRegistro::DeOtroTipo();
    std::wstring buf(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key.get(), valor, nullptr, nullptr, reinterpret_cast<BYTE*>(buf.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    buf.resize(wcsnlen(buf.c_str(), buf.size()));
    return TValorRegistro::DeTexto(text::Narrow(buf));
}

std::optional<std::string> LeerTexto(const wchar_t* clave, const wchar_t* valor) {
    TValorRegistro v = LeerValor(clave, valor);
    if (v.tipo != TValorRegistro::Tipo::Texto) return std::nullopt;
    return v.texto;
}

bool Confirma63() {
    using VerifyFn = BOOL(WINAPI*)(OSVERSIONINFOEXA*, DWORD, DWORDLONG);
    using MaskFn = ULONGLONG(WINAPI*)(ULONGLONG, DWORD, BYTE);
    auto verify = FuncionKernel<VerifyFn>("VerifyVersionInfoA");
    auto mask = FuncionKernel<MaskFn>("VerSetConditionMask");
    if (!verify || !mask) return false;
    OSVERSIONINFOEXA v = {};
    v.dwOSVersionInfoSize = sizeof v;
    v.dwMajorVersion = 6;
    v.dwMinorVersion = 3;
    ULONGLONG m = mask(mask(0, VER_MAJORVERSION, VER_EQUAL), VER_MINORVERSION, VER_EQUAL);
    return verify(&v, VER_MAJORVERSION | VER_MINORVERSION, m) != FALSE;
}

std::string Carpeta(UINT (WINAPI* leer)(LPWSTR, UINT)) {
    wchar_t buf[MAX_PATH + 1] = {};
    UINT n = leer(buf, MAX_PATH);
    return n > 0 && n <= MAX_PATH ? text::Narrow(buf) : std::string();
}

UINT WINAPI TempPath(LPWSTR buf, UINT n) { return ::GetTempPathW(n, buf); }

}  // namespace

TInstantaneaSistema LeerInstantaneaSistema() {
    TInstantaneaSistema s;
    const win::TVersionSistema v = win::LeerVersionSistema(win::TRespuestaVersion::ParaEstePrograma);
    s.versionExOK = v.leida;
    if (s.versionExOK) {
        s.major = v.mayor;
        s.minor = v.menor;
        s.build = v.compilacion;
        s.platformId = v.plataforma;
        s.servicio = v.servicio;
        s.servicePackMajor = v.servicePackMayor;
        s.servicePackMinor = v.servicePackMenor;
        s.suiteMask = v.suite;
        s.productType = v.tipoProducto;
        using ProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
        auto productInfo = FuncionKernel<ProductInfoFn>("GetProductInfo");
        s.hasProductInfo = productInfo != nullptr;
        DWORD tipo = 0;
        if (productInfo && productInfo(v.mayor, v.menor, v.servicePackMayor, v.servicePackMenor, &tipo))
            s.productInfo = tipo;
    }
    SYSTEM_INFO si = {};
    using NativeFn = void(WINAPI*)(LPSYSTEM_INFO);
    if (auto native = FuncionKernel<NativeFn>("GetNativeSystemInfo"))
        native(&si);
    else
        ::GetSystemInfo(&si);
    s.processorArchitecture = si.wProcessorArchitecture;
    s.numberOfProcessors = si.dwNumberOfProcessors;
    s.metricaServerR2 = ::GetSystemMetrics(SM_SERVERR2);
    s.metricaStarter = ::GetSystemMetrics(SM_STARTER);
    s.confirma63 = Confirma63();

    const wchar_t* cv = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    s.productTypeRegistro = LeerValor(L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions", L"ProductType");
    s.processorNameString =
        LeerValor(L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0\\", L"ProcessorNameString");
    s.productName = LeerTexto(cv, L"ProductName");
    s.currentBuildNumber = LeerTexto(cv, L"CurrentBuildNumber");
    return s;
}

TkvSystemInfo::TkvSystemInfo() : TkvSystemInfoDatos(LeerInstantaneaSistema()) {}

bool TkvSystemInfo::HasMemoryStatusEx() const {
    if (OSCode() < 22) return false;
    static const bool exportada = FuncionKernel<void*>("GlobalMemoryStatusEx") != nullptr;
    return exportada;
}

TkvSystemInfo::Memoria TkvSystemInfo::LeerMemoria() const {
    if (HasMemoryStatusEx()) {
        MEMORYSTATUSEX m = {};
        m.dwLength = sizeof m;
        ::GlobalMemoryStatusEx(&m);
        return {m.ullTotalPhys, m.ullAvailPhys, m.ullTotalPageFile, m.ullAvailPageFile};
    }
    MEMORYSTATUS m = {};
    m.dwLength = sizeof m;
    ::GlobalMemoryStatus(&m);
    return {m.dwTotalPhys, m.dwAvailPhys, m.dwTotalPageFile, m.dwAvailPageFile};
}

int64_t TkvSystemInfo::TotalPhysMemory() const { return LeerMemoria().totalPhys / 1024; }
int64_t TkvSystemInfo::AvailPhysMemory() const { return LeerMemoria().availPhys / 1024; }
int64_t TkvSystemInfo::TotalSwapMemory() const { return LeerMemoria().totalSwap / 1024; }
int64_t TkvSystemInfo::AvailSwapMemory() const { return LeerMemoria().availSwap / 1024; }

std::string TkvSystemInfo::ComputerName() const {
    wchar_t buf[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD n = MAX_COMPUTERNAME_LENGTH + 1;
    return ::GetComputerNameW(buf, &n) ? text::Narrow(buf) : "Desconocido";
}

std::string TkvSystemInfo::NetworkUserName() const {
    DWORD n = 0;
    ::GetUserNameW(nullptr, &n);
    if (n == 0) return "Desconocido";
    std::wstring buf(n, L'\0');
    if (!::GetUserNameW(buf.data(), &n)) return "Desconocido";
    return text::Narrow(buf.c_str());
}

std::string TkvSystemInfo::SystemDirectory() const { return Carpeta(::GetSystemDirectoryW); }
std::string TkvSystemInfo::WindowsDirectory() const { return Carpeta(::GetWindowsDirectoryW); }
std::string TkvSystemInfo::TempDirectory() const { return Carpeta(TempPath); }

namespace {
bool EspacioDisco(const std::string& windows, ULARGE_INTEGER& total, ULARGE_INTEGER& libre) {
    if (windows.empty()) return false;
    std::wstring raiz = text::Wide(windows.substr(0, 1)) + L":\\";
    return ::GetDiskFreeSpaceExW(raiz.c_str(), nullptr, &total, &libre) != FALSE;
}
}  // namespace

int64_t TkvSystemInfo::DiskCapacity() const {
    ULARGE_INTEGER total{}, libre{};
    return EspacioDisco(WindowsDirectory(), total, libre) ? total.QuadPart / 1024 / 1024 : -1;
}

int64_t TkvSystemInfo::DiskFreeCapacity() const {
    ULARGE_INTEGER total{}, libre{};
    return EspacioDisco(WindowsDirectory(), total, libre) ? libre.QuadPart / 1024 / 1024 : -1;
}

std::string TkvSystemInfo::DiskFileSystem() const {
    const wchar_t* home = ::_wgetenv(L"HOMEDRIVE");
    std::wstring raiz = std::wstring(home ? home : L"") + L"\\";
    wchar_t fs[33] = {};
    if (!::GetVolumeInformationW(raiz.c_str(), nullptr, 0, nullptr, nullptr, nullptr, fs, 33)) return {};
    return text::Narrow(fs);
}
