// Recognition of Windows products from snapshots of what each one reports.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "Exception.h"
#include "kvSystemInfoDatos.h"

namespace {

using Tipo = TValorRegistro::Tipo;

TInstantaneaSistema Nueve(uint32_t minor, const char* servicio) {
    TInstantaneaSistema s;
    s.versionExOK = true;
    s.platformId = 1;
    s.major = 4;
    s.minor = minor;
    s.servicio = servicio;
    return s;
}

// An NT-family system; productType 1 workstation, 3 server.
TInstantaneaSistema Nt(uint32_t major, uint32_t minor, uint8_t productType, uint32_t productInfo = 0) {
    TInstantaneaSistema s;
    s.versionExOK = true;
    s.platformId = 2;
    s.major = major;
    s.minor = minor;
    s.build = 7601;
    s.productType = productType;
    s.hasProductInfo = major >= 6;
    s.productInfo = productInfo;
    s.processorArchitecture = 9;
    s.numberOfProcessors = 4;
    s.productTypeRegistro = TValorRegistro::DeTexto(productType == 1 ? "WinNT" : "ServerNT");
    return s;
}

template <typename F>
TInstantaneaSistema Con(TInstantaneaSistema s, F cambio) {
    cambio(s);
    return s;
}

struct Caso {
    const char* que;
    TInstantaneaSistema s;
    const char* osName;
    int32_t osCode;
    const char* edition;
};

TEST(SystemInfo, RecognisesEachProductAndEdition) {
    const Caso casos[] = {
        {"95", Nueve(0, ""), "Windows 95", 10, " 4.0"},
        {"95 OSR2, C second", Nueve(0, " C"), "Windows 95 OSR2", 11, " 4.0"},
        {"95, C third", Nueve(0, "  C"), "Windows 95", 10, " 4.0"},
        {"98 SE, A second", Nueve(10, " A"), "Windows 98 SE", 13, " 4.10"},
        {"98 SE, A first", Nueve(10, "A"), "Windows 98 SE", 13, " 4.10"},
        {"98, A third", Nueve(10, "  A"), "Windows 98", 12, " 4.10"},
        {"ME", Nueve(90, ""), "Windows ME", 14, " 4.90"},
        {"9x other", Nueve(20, ""), "Desconocido", -1, " 4.20"},
        {"NT 4 workstation, no product info", Nt(4, 0, 1), "Windows NT", 20, "WorkStation 4.0"},
        {"NT with product info, server", Con(Nt(4, 0, 3), [](auto& s) { s.hasProductInfo = true; s.suiteMask = 2; }),
         "Windows NT", 20, "Enterprise"},
        {"2000 datacenter", Con(Nt(5, 0, 3), [](auto& s) { s.suiteMask = 0x82; }), "Windows 2000", 21,
         "Datacenter Server"},
        {"2000 professional", Nt(5, 0, 1), "Windows 2000", 21, "Professional"},
        {"XP starter", Con(Nt(5, 1, 1), [](auto& s) { s.metricaStarter = 1; s.suiteMask = 0x200; }),
         "Windows XP", 22, "Starter"},
        {"XP home", Con(Nt(5, 1, 1), [](auto& s) { s.suiteMask = 0x200; }), "Windows XP", 22, "Home Edition"},
        {"XP professional x64", Nt(5, 2, 1), "Desconocido", -1, "WorkStation 5.2"},
        {"2003 x64 enterprise", Con(Nt(5, 2, 3), [](auto& s) { s.suiteMask = 2; }), "Windows Server 2003", 100,
         "Enterprise"},
        {"2003 R2 x86 small business",
         Con(Nt(5, 2, 3), [](auto& s) { s.metricaServerR2 = 1; s.processorArchitecture = 0; s.suiteMask = 0x21; }),
         "Windows Server 2003 R2", 101, "Small Business"},
        {"2003 Itanium plain", Con(Nt(5, 2, 3), [](auto& s) { s.processorArchitecture = 6; }),
         "Windows Server 2003", 100, ""},
        {"Vista ultimate", Nt(6, 0, 1, 1), "Windows Vista", 23, "Ultimate"},
        {"Server 2008", Nt(6, 0, 3, 7), "Windows Server 2008", 102, "Server Standard (Instalación Completa)"},
        {"7 unlicensed", Nt(6, 1, 1, 0xABCDABCD), "Windows 7", 24, "Producto Sin Licencia"},
        {"7, product info failed", Nt(6, 1, 1, 0), "Windows 7", 24, "Edición Desconocida"},
        {"7, code not in the table", Nt(6, 1, 1, 999), "Windows 7", 24, ""},
        {"Server 2008 R2", Nt(6, 1, 3, 8), "Windows Server 2008 R2", 103, "Server Datacenter (Intalación completa)"},
        {"8", Nt(6, 2, 1, 48), "Windows 8", 25, "Professional"},
        {"Server 2012, edition from the product name",
         Con(Nt(6, 2, 3, 8), [](auto& s) { s.productName = "Windows Server 2012 Datacenter"; }),
         "Windows Server 2012", 104, "Datacenter"},
        {"8.1 behind 6.2", Con(Nt(6, 2, 1, 4), [](auto& s) { s.confirma63 = true; }), "Windows 8.1", 26,
         "Enterprise"},
        {"Server 2012 R2 behind 6.2", Con(Nt(6, 2, 3, 7), [](auto& s) { s.confirma63 = true; }),
         "Windows Server 2012 R2", 105, "Server Standard (Instalación Completa)"},
        {"10 behind 6.2, build 19045",
         Con(Nt(6, 2, 1, 48), [](auto& s) { s.productName = "Windows 10 Pro"; s.currentBuildNumber = "19045"; }),
         "Windows 10", 27, "Professional"},
        {"11 behind 6.2, build 22631",
         Con(Nt(6, 2, 1, 48), [](auto& s) { s.productName = "Windows 10 Pro"; s.currentBuildNumber = "22631"; }),
         "Windows 11", 28, "Professional"},
        {"Server 2016",
         Con(Nt(6, 2, 3, 7), [](auto& s) { s.productName = "Windows Server 2016 Standard"; }),
         "Windows Server 2016", 106, "Server Standard (Instalación Completa)"},
        {"name match is case-sensitive",
         Con(Nt(6, 2, 1, 48), [](auto& s) { s.productName = "windows 10 pro"; }), "Windows 8", 25,
         "Professional"},
        {"6.5", Nt(6, 5, 1, 48), "Desconocido", -1, "WorkStation 6.5"},
        // A program that declares Windows 10 in its manifest is told 10.0.
        {"10.0, build 19045", Con(Nt(10, 0, 1, 48), [](auto& s) { s.build = 19045; }), "Windows 10", 27,
         "Professional"},
        {"10.0, build 22631", Con(Nt(10, 0, 1, 4), [](auto& s) { s.build = 22631; }), "Windows 11", 28,
         "Enterprise"},
        {"10.0 server", Con(Nt(10, 0, 3, 7), [](auto& s) { s.build = 20348; }), "Windows Server 2016", 106,
         "Server Standard (Instalación Completa)"},
        {"10.1", Nt(10, 1, 1, 48), "Desconocido", -1, "WorkStation 10.1"},
        {"11.0", Nt(11, 0, 1, 48), "Desconocido", -1, "WorkStation 11.0"},
        {"CE", Con(Nt(4, 0, 1), [](auto& s) { s.platformId = 3; }), "Windows CE", 0, "WorkStation 4.0"},
        {"unknown platform", Con(Nt(6, 1, 1), [](auto& s) { s.platformId = 7; }), "Desconocido", -1,
         "WorkStation 6.1"},
        {"version query failed", Con(Nt(6, 1, 1), [](auto& s) { s.versionExOK = false; }), "Desconocido", -1,
         "WorkStation 0.0"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        TkvSystemInfoDatos info(c.s);
        EXPECT_EQ(info.OSName(), c.osName);
        EXPECT_EQ(info.OSCode(), c.osCode);
        EXPECT_EQ(info.Edition(), c.edition);
    }
}

TEST(SystemInfo, VersionNumbersPlatformAndProcessor) {
    TInstantaneaSistema s = Nt(6, 2, 1, 48);
    s.build = 9200;
    s.servicePackMajor = 1;
    s.suiteMask = 0x100;
    s.processorNameString = TValorRegistro::DeTexto("  Intel(R) Core(TM) i5  ");
    TkvSystemInfoDatos info(s);
    EXPECT_EQ(info.MajorVersion(), "6");
    EXPECT_EQ(info.MinorVersion(), "2");
    EXPECT_EQ(info.BuildNumber(), "9200");
    EXPECT_EQ(info.Platform(), "Windows NT");
    EXPECT_EQ(info.Win32ServicePackMajor(), 1);
    EXPECT_EQ(info.Win32SuiteMask(), 0x100);
    EXPECT_EQ(info.Win32ProductType(), 1);
    EXPECT_EQ(info.Win32ProductInfo(), 48u);
    EXPECT_EQ(info.NumberOfProcessors(), 4);
    EXPECT_EQ(info.ProcessorType(), "Intel(R) Core(TM) i5");

    struct Build {
        std::optional<std::string> registro;
        const char* esperado;
    } builds[] = {{std::nullopt, "9200"}, {"19045", "19045"}, {"0", "9200"}, {" 22631 ", "22631"}};
    for (const Build& b : builds) {
        s.currentBuildNumber = b.registro;
        EXPECT_EQ(TkvSystemInfoDatos(s).BuildNumber(), b.esperado);
    }

    struct Arquitectura {
        uint16_t codigo;
        const char* nombre;
    } arquitecturas[] = {{0, "X86"}, {1, "MIPS"}, {2, "DEC ALPHA"}, {3, "PPC"}, {6, "IA64"},
                         {9, "X64"}, {0xFFFF, "Desconocida"}, {5, ""}, {12, ""}};
    for (const Arquitectura& a : arquitecturas) {
        s.processorArchitecture = a.codigo;
        EXPECT_EQ(TkvSystemInfoDatos(s).Architecture(), a.nombre) << a.codigo;
    }

    s.processorNameString = TValorRegistro::DeEntero(586);
    EXPECT_EQ(TkvSystemInfoDatos(s).ProcessorType(), "586");
}

TEST(SystemInfo, ServerTestAndRegistryEditions) {
    struct Caso {
        bool versionExOK;
        uint8_t productType;
        TValorRegistro registro;
        bool server;
        const char* platform;
    } casos[] = {
        {true, 1, TValorRegistro::DeTexto("ServerNT"), false, "Windows NT"},
        {true, 2, TValorRegistro::DeTexto("WinNT"), true, "Windows NT"},
        {true, 3, {}, true, "Windows NT"},
        // Without the extended query only the registry tells, missing = server.
        {false, 1, TValorRegistro::DeTexto("winnt"), false, "Win 32s Sobre Windows 3.1"},
        {false, 1, TValorRegistro::DeTexto("LanmanNT"), true, "Win 32s Sobre Windows 3.1"},
        {false, 1, {}, true, "Win 32s Sobre Windows 3.1"},
    };
    for (const Caso& c : casos) {
        TInstantaneaSistema s = Nt(6, 1, c.productType);
        s.versionExOK = c.versionExOK;
        s.productTypeRegistro = c.registro;
        TkvSystemInfoDatos info(s);
        EXPECT_EQ(info.IsServer(), c.server) << c.versionExOK << " " << int(c.productType);
        EXPECT_EQ(info.Platform(), c.platform);
    }

    struct Edicion {
        const char* productType;
        const char* edition;
    } ediciones[] = {{"WINNT", "WorkStation 5.2"}, {"LanManNT", "Server 5.2"},
                     {"SERVERNT", "Advanced Server 5.2"}, {"Otro", " 5.2"}};
    for (const Edicion& e : ediciones) {
        TInstantaneaSistema s = Nt(5, 2, 1);
        s.productTypeRegistro = TValorRegistro::DeTexto(e.productType);
        EXPECT_EQ(TkvSystemInfoDatos(s).Edition(), e.edition);
    }
}

TEST(SystemInfo, UnreadableValuesStopTheConstruction) {
    struct Caso {
        const char* que;
        std::function<void(TInstantaneaSistema&)> cambio;
        const char* mensaje;
    } casos[] = {
        {"processor name of another type", [](auto& s) { s.processorNameString = TValorRegistro::DeOtroTipo(); },
         "Valor No Soportado"},
        {"product type of another type, needed for the edition",
         [](auto& s) { s.major = 5; s.minor = 2; s.productTypeRegistro = TValorRegistro::DeOtroTipo(); },
         "Valor No Soportado"},
        {"build that is not a number", [](auto& s) { s.currentBuildNumber = "19045a"; },
         "'19045a' no es un valor entero válido"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        TInstantaneaSistema s = Nt(6, 1, 1, 48);
        c.cambio(s);
        try {
            TkvSystemInfoDatos info(s);
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.mensaje);
        }
    }
}

TEST(SystemInfo, AssigningTheNameSetsTheCode) {
    TkvSystemInfoDatos info(Nt(6, 1, 1));
    struct Caso {
        const char* nombre;
        int32_t codigo;
    } casos[] = {{"Windows 7", 24}, {"windows 7", 0}, {"Windows Server 2016", 106},
                 {"Desconocido", -1}, {"Windows CE", 0}, {"", 0}};
    for (const Caso& c : casos) {
        info.SetOSName(c.nombre);
        EXPECT_EQ(info.OSName(), c.nombre);
        EXPECT_EQ(info.OSCode(), c.codigo) << c.nombre;
    }
}

}  // namespace
