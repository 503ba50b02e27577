// What a transfer cut at 90 % costs again, measured on the real download
// (Windows program, under Wine) against the test web server, in one run:
//   whole     the file downloaded uncut: the reference
//   resumed   cut at 90 %, then resumed from the bytes held
//   restart   cut at 90 %, the file changed meanwhile (same size), so the
//             resume is refused and the file comes whole again: what every
//             cut cost before downloads resumed
// For each: the bytes the server sent after the cut as a share of the file
// (target for resumed: at most 0.15), and the wall time against whole.
//   tools/testserver/with-testserver.sh wine build/win/tools/bench/resume_bench.exe [MB]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "LibActualizadorComunRed.h"
#include "TestServer.h"
#include "TextCodec.h"

namespace {

// The bytes the server sent for path in each answer, in order.
std::vector<uint64_t> Enviados(const TestServer& s, const std::string& path) {
    std::vector<uint64_t> out;
    const std::string prefijo = "SENT " + path + " ";
    for (const std::string& l : s.Requests())
        if (l.rfind(prefijo, 0) == 0) out.push_back(std::strtoull(l.substr(l.rfind(' ') + 1).c_str(), nullptr, 10));
    return out;
}

struct Medida {
    double segundos = 0;
    uint64_t trasElCorte = 0;  // bytes sent after the first answer
};

Medida Medir(const TestServer& s, const std::string& nombre, const std::string& body, const std::string& dir,
             bool cortar, bool cambiar) {
    s.Reset();
    s.Put(nombre, body);
    // The server's log spans every round: only this download's answers count.
    const size_t antes = Enviados(s, "/" + nombre).size();
    const uint64_t corte = body.size() / 10 * 9;
    if (cortar) s.SetFault("/" + nombre, "cut:" + std::to_string(corte) + "*1");
    std::string otro = body;
    otro[0] ^= 1;
    bool cambiado = false;
    const ULONGLONG inicio = ::GetTickCount64();
    DescargarFichero(s.Url(), nombre, dir, [&](void*, uint32_t p, uint32_t, TEstadoDescarga, const std::string&, bool&) {
        if (!cambiar || cambiado || p == 0) return;
        s.Put(nombre, otro);
        cambiado = true;
    });
    Medida m;
    m.segundos = static_cast<double>(::GetTickCount64() - inicio) / 1000.0;
    const std::vector<uint64_t> enviados = Enviados(s, "/" + nombre);
    for (size_t i = antes + 1; i < enviados.size(); ++i) m.trasElCorte += enviados[i];
    ::DeleteFileW(text::Wide(dir + nombre).c_str());
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    const size_t mb = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 32;
    const TestServer& s = TestServer::Get();
    wchar_t tmp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tmp);
    const std::string dir = text::Narrow(tmp) + "kv_resume_bench\\";
    ::CreateDirectoryW(text::Wide(dir).c_str(), nullptr);
    const std::string body = Pattern(mb << 20, 11);
    const double tamano = static_cast<double>(body.size());

    std::printf("file %zu MB, cut at 90 %%; best of 3 rounds taking turns\n", mb);
    Medida whole, resumed, restart;
    for (int ronda = 0; ronda < 3; ++ronda) {
        const Medida w = Medir(s, "entero.kav", body, dir, false, false);
        const Medida r = Medir(s, "reanudado.kav", body, dir, true, false);
        const Medida x = Medir(s, "reiniciado.kav", body, dir, true, true);
        if (ronda == 0 || w.segundos < whole.segundos) whole = w;
        if (ronda == 0 || r.segundos < resumed.segundos) resumed = r;
        if (ronda == 0 || x.segundos < restart.segundos) restart = x;
    }
    std::printf("%-8s %22s %10s %12s\n", "", "moved again (of file)", "seconds", "time/whole");
    std::printf("%-8s %22s %10.2f %12.2f\n", "whole", "-", whole.segundos, 1.0);
    std::printf("%-8s %22.3f %10.2f %12.2f   (target: at most 0.15 moved again)\n", "resumed",
                static_cast<double>(resumed.trasElCorte) / tamano, resumed.segundos, resumed.segundos / whole.segundos);
    std::printf("%-8s %22.3f %10.2f %12.2f\n", "restart", static_cast<double>(restart.trasElCorte) / tamano,
                restart.segundos, restart.segundos / whole.segundos);
    return static_cast<double>(resumed.trasElCorte) / tamano <= 0.15 ? 0 : 1;
}
