// Recognition of the Windows product from what the system reports about
// itself. Pure: the facts come in as a snapshot (version structure, exported
// functions, system metrics, registry values), so every product can be
// recognised on any machine. The Windows side (kvSystemInfo.h) takes the
// snapshot of the running system and adds the figures read on demand.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

// A registry value as read: its presence and data type matter.
struct TValorRegistro {
    enum class Tipo { Ausente, Texto, Entero, Otro };
    Tipo tipo = Tipo::Ausente;
    std::string texto;   // Texto (string or expandable string)
    uint32_t entero = 0; // Entero (32-bit integer)

    static TValorRegistro DeTexto(std::string s) { return {Tipo::Texto, std::move(s), 0}; }
    static TValorRegistro DeEntero(uint32_t v) { return {Tipo::Entero, {}, v}; }
    static TValorRegistro DeOtroTipo() { return {Tipo::Otro, {}, 0}; }
};

// Everything the recognition looks at, as the running system reports it.
struct TInstantaneaSistema {
    // Extended version query; when it failed every number counts as 0.
    bool versionExOK = false;
    uint32_t major = 0, minor = 0, build = 0, platformId = 0;
    std::string servicio;  // the service text ("Service Pack 1", " C", " A")
    uint16_t servicePackMajor = 0, servicePackMinor = 0, suiteMask = 0;
    uint8_t productType = 0;  // 1 workstation, 2 domain controller, 3 server
    // Product-information call: exported at all, and the product type it gave
    // (0 when the call failed).
    bool hasProductInfo = false;
    uint32_t productInfo = 0;
    // Native system information.
    uint16_t processorArchitecture = 0;
    uint32_t numberOfProcessors = 0;
    // System metrics SM_SERVERR2 and SM_STARTER.
    int metricaServerR2 = 0, metricaStarter = 0;
    // The version-verification call confirms exactly 6.3 (false when missing).
    bool confirma63 = false;
    // HKLM registry values.
    TValorRegistro productTypeRegistro;  // ...\ProductOptions\ProductType
    TValorRegistro processorNameString;  // ...\CentralProcessor\0\ProcessorNameString
    std::optional<std::string> productName;         // ...\Windows NT\CurrentVersion
    std::optional<std::string> currentBuildNumber;  // ...\Windows NT\CurrentVersion
};

// The numeric code of a product name; names are compared exactly, unknown
// ones give 0 and "Desconocido" gives -1.
int32_t CodigoSistema(const std::string& osName);

// The edition text of a product type code of the product-information call,
// empty when the code is not in the table.
std::string EdicionDeProducto(uint32_t productInfo);

// What the recognition makes of a snapshot. Raises "Valor No Soportado" for a
// registry value of an unsupported type, and a conversion error when
// CurrentBuildNumber is present but not a number.
class TkvSystemInfoDatos {
public:
    explicit TkvSystemInfoDatos(const TInstantaneaSistema& s);

    int32_t NumberOfProcessors() const { return numberOfProcessors_; }
    const std::string& Architecture() const { return architecture_; }
    const std::string& ProcessorType() const { return processorType_; }
    const std::string& MajorVersion() const { return majorVersion_; }
    const std::string& MinorVersion() const { return minorVersion_; }
    const std::string& BuildNumber() const { return buildNumber_; }
    const std::string& Platform() const { return platform_; }
    int32_t Win32ServicePackMajor() const { return spMajor_; }
    int32_t Win32ServicePackMinor() const { return spMinor_; }
    int32_t Win32SuiteMask() const { return suiteMask_; }
    int32_t Win32ProductType() const { return productType_; }
    uint32_t Win32ProductInfo() const { return productInfo_; }
    const std::string& Edition() const { return edition_; }
    const std::string& OSName() const { return osName_; }
    void SetOSName(const std::string& name);
    int32_t OSCode() const { return osCode_; }

    bool VersionExOK() const { return versionExOK_; }
    bool HasProductInfo() const { return hasProductInfo_; }
    bool IsServer() const;

private:
    void ReconocerProducto(const TInstantaneaSistema& s);
    int MinorEfectivo(const TInstantaneaSistema& s);
    std::string EdicionRegistro(const TInstantaneaSistema& s) const;
    std::string Edicion(const TInstantaneaSistema& s) const;

    int32_t numberOfProcessors_ = 0;
    std::string architecture_, processorType_, majorVersion_, minorVersion_, buildNumber_;
    std::string platform_, edition_, osName_;
    int32_t spMajor_ = 0, spMinor_ = 0, suiteMask_ = 0, productType_ = 0;
    uint32_t productInfo_ = 0;
    int32_t osCode_ = 0;
    bool versionExOK_ = false, hasProductInfo_ = false;
    TValorRegistro productTypeRegistro_;
};
