// The recognition on the running system (Wine). The ctest entries run it in
// prefixes where Wine reports Windows 7 and Windows 10; each names the
// product it expects in KV_EXPECTED_OSNAME.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "kvSystemInfo.h"
#include "TextCodec.h"
#include "VersionSistema.h"

TEST(SystemInfoLive, RecognisesTheRunningSystem) {
    const wchar_t* esperado = ::_wgetenv(L"KV_EXPECTED_OSNAME");
    ASSERT_NE(esperado, nullptr) << "KV_EXPECTED_OSNAME names the product Wine reports";
    TkvSystemInfo info;
    EXPECT_EQ(info.OSName(), text::Narrow(esperado));
    EXPECT_EQ(info.OSCode(), CodigoSistema(text::Narrow(esperado)));
    EXPECT_EQ(info.Platform(), "Windows NT");
    EXPECT_FALSE(info.IsServer());
    EXPECT_EQ(info.Architecture(), "X64");
    EXPECT_GE(info.NumberOfProcessors(), 1);
    EXPECT_GT(std::stoll(info.BuildNumber()), 0);
}

TEST(SystemInfoLive, FiguresReadOnDemand) {
    TkvSystemInfo info;
    EXPECT_TRUE(info.HasMemoryStatusEx());
    EXPECT_GT(info.TotalPhysMemory(), 0);
    EXPECT_GE(info.TotalPhysMemory(), info.AvailPhysMemory());
    EXPECT_GE(info.TotalSwapMemory(), info.AvailSwapMemory());
    EXPECT_FALSE(info.ComputerName().empty());
    EXPECT_NE(info.NetworkUserName(), "Desconocido");
    EXPECT_EQ(text::UpperAscii(info.WindowsDirectory()), "C:\\WINDOWS");
    EXPECT_EQ(text::UpperAscii(info.SystemDirectory()), "C:\\WINDOWS\\SYSTEM32");
    EXPECT_FALSE(info.TempDirectory().empty());
    EXPECT_GT(info.DiskCapacity(), 0);
    EXPECT_GE(info.DiskCapacity(), info.DiskFreeCapacity());
}

// The true version whatever the manifest lets the program see (the run
// without a manifest in the Windows 10 prefix is told less by the other
// answer); the platform family is the same in both.
TEST(SystemInfoLive, TheRealVersionIgnoresTheManifest) {
    const wchar_t* esperado = ::_wgetenv(L"KV_EXPECTED_OSNAME");
    ASSERT_NE(esperado, nullptr);
    const win::TVersionSistema real = win::LeerVersionSistema(win::TRespuestaVersion::Real);
    const win::TVersionSistema programa = win::LeerVersionSistema(win::TRespuestaVersion::ParaEstePrograma);
    ASSERT_TRUE(real.leida);
    ASSERT_TRUE(programa.leida);
    EXPECT_EQ(real.plataforma, 2u);
    EXPECT_EQ(programa.plataforma, 2u);
    const auto version = text::Narrow(esperado) == "Windows 7" ? std::make_pair(6u, 1u) : std::make_pair(10u, 0u);
    EXPECT_EQ(std::make_pair(real.mayor, real.menor), version);
    EXPECT_LE(std::make_pair(programa.mayor, programa.menor), version);
}
