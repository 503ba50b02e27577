// The test web server from the test's side (Windows programs under Wine).
// The ctest entry starts it with tools/testserver/with-testserver.sh
// (kv_add_test ... WITH_SERVER); this class finds it through the environment,
// fills the folder it serves, switches its faults and reads its request log.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FirmaFicheros.h"

// What the statement of a file the tests publish binds, beside its name,
// size, digest and path. The defaults: product QTR, the release the test
// set up (TestServer::SetRelease), channel beta for a name with "BETA" in
// it, an incremental archive (a name ending in "ACT.KAV") or differences (a
// name with "DIF_") starting from the release before (one minor step down),
// signed now. Versions are major * 65536 + minor.
struct Publicacion {
    std::string producto = "QTR";
    std::optional<firma::Canal> canal;
    std::optional<uint32_t> version;
    std::optional<uint32_t> desde;
    bool completa = false;  // no starting version, whatever the name
    int64_t fecha = 0;      // seconds since 1970 UTC; 0: now
};
inline constexpr uint32_t Version(uint16_t mayor, uint16_t menor) { return (uint32_t(mayor) << 16) | menor; }

class TestServer {
public:
    // The running server; fails the current test when there is none.
    static const TestServer& Get();

    // "http://127.0.0.1:PORT/" + path (path without a leading "/").
    std::string Url(const std::string& path = {}) const { return base_ + path; }
    // The served folder as a Windows path.
    const std::string& Root() const { return root_; }
    // Writes a file into the served folder (creating its folders; the name
    // may hold "/") with its signature under the tests' release key (the
    // statement's path is the name), and returns its URL.
    std::string Put(const std::string& name, const std::string& bytes, const Publicacion& p = {}) const;
    // The same without a signature: a file the vendor never signed, or one
    // changed after signing when it replaces a signed one.
    std::string PutUnsigned(const std::string& name, const std::string& bytes) const;
    // The file and its signature taken off the server: what an earlier test
    // published stays served until then.
    void Remove(const std::string& name) const;
    // The file's signature replaced by one under another secret key (raw bytes).
    void SignWith(const std::string& name, const std::string& secretKey, const Publicacion& p = {}) const;
    // Fault of one path ("/x.bin"): "404", "500", "short", "slow[:ms]", "large:N",
    // "gzip", "hold:N" (stands still after N bytes until the fault is cleared).
    void SetFault(const std::string& path, const std::string& mode) const;
    // The release the statements of the files published from now on name
    // (10.05 until a test says otherwise).
    static void SetRelease(uint16_t mayor, uint16_t menor);
    static uint32_t Release();
    void Reset() const;
    // Every request line received so far ("GET /x.bin HTTP/1.1").
    std::vector<std::string> Requests() const;
    // How many GET requests asked for path.
    int Gets(const std::string& path) const;

private:
    void Control(const std::string& query) const;
    std::string base_, root_, log_;  // root_ and log_ as Windows paths
};

// The tests' release keys: the build carries both public keys, the second
// being a rotation of the first.
std::string TestSecretKey();
std::string RotatedSecretKey();
// Writes the signature of a file beside it, as the vendor ships a release
// for local installation: published under `published` (a path below the
// server's root); empty means the program archives' folder of the product,
// or its clients' folder for a per-installation record (a name ending in
// ".VER").
void SignFileWith(const std::string& path, const std::string& secretKey, const std::string& published = {},
                  const Publicacion& p = {});

// A path of the Linux side as Wine shows it (on Z:).
std::string WindowsPath(const std::string& unixPath);

// A byte pattern of the given size that shows truncation and reordering.
std::string Pattern(size_t size, unsigned seed = 1);
// The body the server generates for "large:N".
std::string GeneratedBody(size_t size);
// Whole file as bytes; empty when missing.
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
