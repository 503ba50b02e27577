// The running Windows: product, edition, version numbers (recognised once,
// when the object is made) and the figures that change while the program
// runs (memory, names, folders, disk), read each time they are asked for.
#pragma once
#include <cstdint>
#include <string>

#include "kvSystemInfoDatos.h"

// What the running system reports, for the recognition.
TInstantaneaSistema LeerInstantaneaSistema();

class TkvSystemInfo : public TkvSystemInfoDatos {
public:
    // The running system. Raises as TkvSystemInfoDatos does.
    TkvSystemInfo();
    // A given snapshot; the figures read on demand still come from this machine.
    explicit TkvSystemInfo(const TInstantaneaSistema& s) : TkvSystemInfoDatos(s) {}

    // True when the 64-bit memory status call may be used.
    bool HasMemoryStatusEx() const;
    // Kilobytes.
    int64_t TotalPhysMemory() const;
    int64_t AvailPhysMemory() const;
    int64_t TotalSwapMemory() const;
    int64_t AvailSwapMemory() const;

    std::string ComputerName() const;
    std::string NetworkUserName() const;
    std::string SystemDirectory() const;
    std::string WindowsDirectory() const;
    std::string TempDirectory() const;
    // Megabytes of the Windows drive.
    int64_t DiskCapacity() const;
    int64_t DiskFreeCapacity() const;
    // File system of the user's home drive (HOMEDRIVE).
    std::string DiskFileSystem() const;

private:
    struct Memoria {
        uint64_t totalPhys, availPhys, totalSwap, availSwap;  // bytes
    };
    Memoria LeerMemoria() const;
};
