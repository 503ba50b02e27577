#include "kvSystemInfoDatos.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "Exception.h"
#include "TextCodec.h"

namespace {

struct Producto {
    const char* nombre;
    int32_t codigo;
};
const Producto kProductos[] = {
    {"Desconocido", -1},           {"Windows 95", 10},
    {"Windows 95 OSR2", 11},       {"Windows 98", 12},
    {"Windows 98 SE", 13},         {"Windows ME", 14},
    {"Windows NT", 20},            {"Windows 2000", 21},
    {"Windows XP", 22},            {"Windows Vista", 23},
    {"Windows 7", 24},             {"Windows 8", 25},
    {"Windows 8.1", 26},           {"Windows 10", 27},
    {"Windows 11", 28},            {"Windows Server 2003", 100},
    {"Windows Server 2003 R2", 101}, {"Windows Server 2008", 102},
    {"Windows Server 2008 R2", 103}, {"Windows Server 2012", 104},
    {"Windows Server 2012 R2", 105}, {"Windows Server 2016", 106},
};

struct EdicionProducto {
    uint32_t codigo;
    const char* texto;
};
// Searched from the top; the first equal code wins.
const EdicionProducto kEdiciones[] = {
    {6, "Business"},
    {16, "Business N"},
    {18, "Cluster Server"},
    {8, "Server Datacenter (Intalación completa)"},
    {12, "Server Datacenter (Instalación Core)"},
    {39, "Server Datacenter Sin Hyper-V (Instalación Core)"},
    {37, "Server Datacenter Sin Hyper-V (Instalación Completa)"},
    {4, "Enterprise"},
    {70, "Enterprise E"},
    {27, "Enterprise N"},
    {10, "Server Enterprise (Instalación Completa)"},
    {14, "Server Enterprise (Instalación Core)"},
    {41, "Server Enterprise Sin Hyper-V (Instalación Core)"},
    {15, "Server Enterprise para Sistema Itanium"},
    {38, "Server Enterprise Sin Hyper-V (Instalación Completa)"},
    {2, "Home Basic"},
    {67, "Home Basic E"},
    {5, "Home Basic N"},
    {3, "Home Premium"},
    {68, "Home Premium E"},
    {26, "Home Premium N"},
    {19, "Home Server"},
    {42, "Microsoft Hyper-V Server"},
    {30, "Windows Essential Business Server Management Server"},
    {32, "Windows Essential Business Server Messaging Server"},
    {31, "Windows Essential Business Server Security Server"},
    {48, "Professional"},
    {69, "Professional E"},
    {49, "Professional N"},
    {24, "Server for Small Business"},
    {35, "Windows Server 2008 Sin Hyper-V para Windows Essential Server Solutions"},
    {33, "Server Foundation"},
    {9, "Small Business Server"},
    {25, "Small Business Server Premium"},
    {7, "Server Standard (Instalación Completa)"},
    {13, "Server Standard (Instalación Core)"},
    {40, "Server Standard Sin Hyper-V (Instalación Core)"},
    {36, "Server Standard Sin Hyper-V (Instalación Completa)"},
    {11, "Starter"},
    {66, "Starter E"},
    {47, "Starter N"},
    {23, "Storage Server Enterprise"},
    {20, "Storage Server Express"},
    {21, "Storage Server Standard"},
    {22, "Storage Server Workgroup"},
    {0, "Edición Desconocida"},
    {1, "Ultimate"},
    {71, "Ultimate E"},
    {28, "Ultimate N"},
    {17, "Web Server"},
    {29, "Web Server (Instalación Core)"},
    {0xABCDABCD, "Producto Sin Licencia"},
};

std::string Recortar(const std::string& s) {
    auto blanco = [](unsigned char c) { return c <= ' '; };
    auto first = std::find_if_not(s.begin(), s.end(), blanco);
    auto last = std::find_if_not(s.rbegin(), s.rend(), blanco).base();
    return first < last ? std::string(first, last) : std::string();
}

bool IgualesSinMayusculas(const std::string& a, const std::string& b) {
    return text::UpperAscii(a) == text::UpperAscii(b);
}

// The text without the first occurrence of quitar (ignoring case), trimmed.
std::string SinTexto(const std::string& s, const std::string& quitar) {
    std::string::size_type pos = text::UpperAscii(s).find(text::UpperAscii(quitar));
    if (pos == std::string::npos) return Recortar(s);
    return Recortar(s.substr(0, pos) + s.substr(pos + quitar.size()));
}

// The one rule for ProductType and ProcessorNameString.
std::string TextoDeRegistro(const TValorRegistro& v) {
    switch (v.tipo) {
        case TValorRegistro::Tipo::Ausente: return {};
        case TValorRegistro::Tipo::Texto: return v.texto;
        case TValorRegistro::Tipo::Entero: return std::to_string(v.entero);
        case TValorRegistro::Tipo::Otro: break;
    }
    throw Exception("Valor No Soportado");
}

// Decimal integer with optional blanks around it and a sign; anything else
// is the conversion error of the program's runtime.
long long EnteroDeTexto(const std::string& s) {
    std::string t = Recortar(s);
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(t.c_str(), &end, 10);
    if (t.empty() || *end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
        throw Exception("'" + s + "' no es un valor entero válido");
    return v;
}

bool Bit(uint32_t mask, uint32_t bit) { return (mask & bit) != 0; }

}  // namespace

int32_t CodigoSistema(const std::string& osName) {
    for (const Producto& p : kProductos)
        if (osName == p.nombre) return p.codigo;
    return 0;
}

std::string EdicionDeProducto(uint32_t productInfo) {
    for (const EdicionProducto& e : kEdiciones)
        if (e.codigo == productInfo) return e.texto;
    return {};
}

TkvSystemInfoDatos::TkvSystemInfoDatos(const TInstantaneaSistema& s)
    : productTypeRegistro_(s.productTypeRegistro) {
    versionExOK_ = s.versionExOK;
    TInstantaneaSistema v = s;
    if (!v.versionExOK) {
        v.major = v.minor = v.build = v.platformId = 0;
        v.servicio.clear();
        v.servicePackMajor = v.servicePackMinor = v.suiteMask = 0;
        v.productType = 0;
        v.hasProductInfo = false;
    }
    spMajor_ = v.servicePackMajor;
    spMinor_ = v.servicePackMinor;
    suiteMask_ = v.suiteMask;
    productType_ = v.productType;
    hasProductInfo_ = v.hasProductInfo;
    productInfo_ = v.hasProductInfo ? v.productInfo : 0;

    majorVersion_ = std::to_string(v.major);
    minorVersion_ = std::to_string(v.minor);
    long long build = v.currentBuildNumber ? EnteroDeTexto(*v.currentBuildNumber) : 0;
    buildNumber_ = std::to_string(build != 0 ? build : static_cast<long long>(v.build));

    ReconocerProducto(v);
    edition_ = Edicion(v);

    numberOfProcessors_ = static_cast<int32_t>(v.numberOfProcessors);
    switch (v.processorArchitecture) {
        case 0: architecture_ = "X86"; break;
        case 1: architecture_ = "MIPS"; break;
        case 2: architecture_ = "DEC ALPHA"; break;
        case 3: architecture_ = "PPC"; break;
        case 6: architecture_ = "IA64"; break;
        case 9: architecture_ = "X64"; break;
        case 0xFFFF: architecture_ = "Desconocida"; break;
        default: break;
    }
    processorType_ = Recortar(TextoDeRegistro(v.processorNameString));
}

void TkvSystemInfoDatos::SetOSName(const std::string& name) {
    osName_ = name;
    osCode_ = CodigoSistema(name);
}

bool TkvSystemInfoDatos::IsServer() const {
    if (versionExOK_) return productType_ != 1;
    // Without the extended query only the registry can tell; no value at all
    // counts as a server.
    return !IgualesSinMayusculas(TextoDeRegistro(productTypeRegistro_), "WINNT");
}

void TkvSystemInfoDatos::ReconocerProducto(const TInstantaneaSistema& s) {
    const std::string& sp = s.servicio;
    auto letraDeServicio = [&sp](char c) {
        return (sp.size() > 0 && sp[0] == c) || (sp.size() > 1 && sp[1] == c);
    };
    switch (s.platformId) {
        case 0:
            platform_ = "Win 32s Sobre Windows 3.1";
            SetOSName("Desconocido");
            return;
        case 1:
            platform_ = "Windows 9x/ME";
            if (s.major == 4 && s.minor == 0)
                SetOSName(letraDeServicio('C') ? "Windows 95 OSR2" : "Windows 95");
            else if (s.major == 4 && s.minor == 10)
                SetOSName(letraDeServicio('A') ? "Windows 98 SE" : "Windows 98");
            else if (s.major == 4 && s.minor == 90)
                SetOSName("Windows ME");
            else
                SetOSName("Desconocido");
            return;
        case 2:
            platform_ = "Windows NT";
            break;
        case 3:
            platform_ = "Win32 Sobre Windows CE";
            SetOSName("Windows CE");
            return;
        default:
            platform_ = "Desconocido";
            SetOSName("Desconocido");
            return;
    }

    const bool server = IsServer();
    if (s.major <= 4) {
        SetOSName("Windows NT");
    } else if (s.major == 5) {
        if (s.minor == 0)
            SetOSName("Windows 2000");
        else if (s.minor == 1)
            SetOSName("Windows XP");
        else if (s.minor == 2)
            SetOSName(s.metricaServerR2 != 0 ? "Windows Server 2003 R2"
                      : server               ? "Windows Server 2003"
                                             : "Desconocido");
        else
            SetOSName("Desconocido");
    } else if (s.major == 6 || (s.major == 10 && s.minor == 0)) {
        // A program that declares Windows 10 in its manifest (this one does)
        // is told 10.0 instead of 6.2: the same products as the 6.2 that
        // names Windows 10, told apart by build and product type.
        switch (s.major == 10 ? 4 : MinorEfectivo(s)) {
            case 0: SetOSName(server ? "Windows Server 2008" : "Windows Vista"); break;
            case 1: SetOSName(server ? "Windows Server 2008 R2" : "Windows 7"); break;
            case 2: SetOSName(server ? "Windows Server 2012" : "Windows 8"); break;
            case 3: SetOSName(server ? "Windows Server 2012 R2" : "Windows 8.1"); break;
            case 4:
                SetOSName(server                               ? "Windows Server 2016"
                          : std::stoll(buildNumber_) < 22000 ? "Windows 10"
                                                               : "Windows 11");
                break;
            default: SetOSName("Desconocido"); break;
        }
    } else {
        SetOSName("Desconocido");
    }
}

// Windows 8.1 and later report 6.2 to programs that do not declare them, so
// the product name and the version check tell the real product.
int TkvSystemInfoDatos::MinorEfectivo(const TInstantaneaSistema& s) {
    const std::string nombre = s.productName.value_or("");
    for (const char* marca : {"Windows 10", "Windows Server 2016"}) {
        if (nombre.find(marca) != std::string::npos) {
            edition_ = SinTexto(nombre, marca);
            return 4;
        }
    }
    return s.confirma63 ? 3 : static_cast<int>(s.minor);
}

std::string TkvSystemInfoDatos::EdicionRegistro(const TInstantaneaSistema& s) const {
    if (osCode_ == 104) return s.productName ? SinTexto(*s.productName, "Windows Server 2012") : "";
    std::string tipo = TextoDeRegistro(productTypeRegistro_);
    std::string edicion = IgualesSinMayusculas(tipo, "WINNT")      ? "WorkStation"
                          : IgualesSinMayusculas(tipo, "LANMANNT") ? "Server"
                          : IgualesSinMayusculas(tipo, "SERVERNT") ? "Advanced Server"
                                                                   : "";
    return edicion + " " + majorVersion_ + "." + minorVersion_;
}

std::string TkvSystemInfoDatos::Edicion(const TInstantaneaSistema& s) const {
    const uint32_t suite = s.suiteMask;
    switch (osCode_) {
        case 20:
            if (!hasProductInfo_) return EdicionRegistro(s);
            if (IsServer()) return Bit(suite, 0x0002) ? "Enterprise" : "Server";
            return "Workstation";
        case 21:
            if (!IsServer()) return "Professional";
            return Bit(suite, 0x0080)   ? "Datacenter Server"
                   : Bit(suite, 0x0002) ? "Advanced Server"
                                        : "Server";
        case 22:
            return s.metricaStarter != 0   ? "Starter"
                   : Bit(suite, 0x0200) ? "Home Edition"
                                        : "Professional";
        case 23: case 24: case 25: case 26: case 27: case 28:
        case 102: case 103: case 105: case 106:
            return EdicionDeProducto(productInfo_);
        case 100:
        case 101:
            if (s.processorArchitecture == 6)
                return Bit(suite, 0x0080)   ? "Datacenter para Sistemas Itanium"
                       : Bit(suite, 0x0002) ? "Enterprise para Sistemas Itanium"
                                            : "";
            if (s.processorArchitecture == 9)
                return Bit(suite, 0x0080)   ? "Datacenter"
                       : Bit(suite, 0x0002) ? "Enterprise"
                                            : "Standard";
            return Bit(suite, 0x4000)                          ? "Compute Cluster"
                   : Bit(suite, 0x0080)                        ? "Datacenter"
                   : Bit(suite, 0x0400)                        ? "Web Edition"
                   : Bit(suite, 0x2000)                        ? "Storage Server"
                   : Bit(suite, 0x0002)                        ? "Enterprise"
                   : Bit(suite, 0x0001) && Bit(suite, 0x0020) ? "Small Business"
                                                               : "Standard";
        default:
            return EdicionRegistro(s);
    }
}
