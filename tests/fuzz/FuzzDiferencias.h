// What the differences' fuzzer and its seeds share: the installed file the
// patches refer to, and how one input is split into a mode and its bytes.
#pragma once
#include <cstdint>
#include <string>

namespace kav::fuzz {

// Modes: the first byte of an input, modulo kModos.
enum class ModoDiferencias : uint8_t {
    Manifiesto = 0,  // the rest is a manifest
    Parche = 1,      // two bytes of expected size, then a patch against Referencia()
    Archivo = 2,     // a manifest, a zero byte, then the data of the entry it patches
    Memoria = 3,     // the rest is an archive the engine reads from memory
};
inline constexpr uint8_t kModos = 4;
// The stored name of the patched entry in the Archivo mode.
inline constexpr const char* kNombreParcheado = "Conta\\Programa\\CONTA.EXE";

// 4 KiB of deterministic bytes, text and binary runs.
inline std::string Referencia() {
    std::string r;
    uint32_t x = 12345;
    while (r.size() < 4096) {
        x = x * 1103515245u + 12345u;
        r += (x >> 28) < 10 ? std::string("factura asiento ") : std::string(1, static_cast<char>(x >> 16));
    }
    r.resize(4096);
    return r;
}

}  // namespace kav::fuzz
