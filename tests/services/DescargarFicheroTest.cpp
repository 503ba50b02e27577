// Downloads against the local test server: progress, cancel, cache bypass,
// local paths, and every way a transfer can go wrong.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Exception.h"
#include "FirmaFicheros.h"
#include "LibActualizadorComun.h"
#include "LibActualizadorComunRed.h"
#include "PoliticaFirmas.h"
#include "ProcessMessages.h"
#include "Registro.h"
#include "TestServer.h"
#include "TextCodec.h"

namespace {

// A fresh empty folder per test (with trailing backslash).
class Descarga : public ::testing::Test {
protected:
    void SetUp() override {
        server_.Reset();
        // What the tests' files are published as: the product, and each
        // path as it is on the server.
        firma::Politica().producto = "QTR";
        wchar_t tmp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, tmp);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = text::Narrow(tmp) + "kvdescarga_" + info->name() + "\\";
        for (char& c : dir_)
            if (c == '/') c = '_';
        ::CreateDirectoryW(text::Wide(dir_).c_str(), nullptr);
    }
    void TearDown() override { server_.Reset(); }

    std::string Error(const std::string& url) { return "Error descargando URL: " + url; }

    const TestServer& server_ = TestServer::Get();
    std::string dir_;
};

struct Llamada {
    uint32_t progress, progressMax;
    TEstadoDescarga status;
    std::string text;
};

TEST_F(Descarga, BringsTheWholeFileAndReportsGrowingProgress) {
    const std::string body = Pattern(300000);
    server_.Put("programa.kav", body);
    std::vector<Llamada> calls;
    DescargarFichero(server_.Url(), "programa.kav", dir_,
                     [&](void* sender, uint32_t p, uint32_t max, TEstadoDescarga s, const std::string& t,
                         bool& cancel) {
                         EXPECT_NE(sender, nullptr);
                         EXPECT_FALSE(cancel);
                         calls.push_back({p, max, s, t});
                     });
    EXPECT_EQ(ReadFile(dir_ + "programa.kav"), body);

    ASSERT_FALSE(calls.empty());
    uint32_t last = 0;
    for (const Llamada& c : calls) {
        EXPECT_GE(c.progress, last);
        last = c.progress;
        EXPECT_TRUE(c.progressMax == 0 || c.progressMax == body.size());
        if (!c.text.empty()) {
            EXPECT_NE(c.text.front(), ' ');
            EXPECT_NE(c.text.back(), ' ');
        }
    }
    EXPECT_EQ(calls.back().progress, body.size());
    EXPECT_EQ(calls.back().progressMax, body.size());
}

TEST_F(Descarga, JoinsUrlAndLocalPathAsGiven) {
    struct Caso {
        std::string base, fichero, carpeta, pedido, local;
    };
    const std::string tmp = CarpetaTemporal();
    const Caso casos[] = {
        // The base URL is used as it stands: no separator is added.
        {server_.Url() + "pre", "fijo.bin", dir_, "/prefijo.bin", dir_ + "fijo.bin"},
        // A folder without a trailing delimiter gets one.
        {server_.Url(), "a.bin", dir_.substr(0, dir_.size() - 1), "/a.bin", dir_ + "a.bin"},
        // No folder: the updater's temporary folder.
        {server_.Url(), "t.bin", "", "/t.bin", tmp + "t.bin"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.pedido);
        const std::string body = Pattern(1000 + c.pedido.size(), c.pedido.size());
        server_.Put(c.pedido.substr(1), body);
        DescargarFichero(c.base, c.fichero, c.carpeta);  // no handler
        EXPECT_EQ(server_.Gets(c.pedido), 1);
        EXPECT_EQ(ReadFile(c.local), body);
        ::DeleteFileW(text::Wide(c.local).c_str());
    }
}

TEST_F(Descarga, FetchesFromTheServerEveryTimeNeverFromTheCache) {
    server_.Put("version.ini", "primera");
    DescargarFichero(server_.Url(), "version.ini", dir_);
    server_.Put("version.ini", "segunda");
    DescargarFichero(server_.Url(), "version.ini", dir_);
    EXPECT_EQ(ReadFile(dir_ + "version.ini"), "segunda");
    EXPECT_EQ(server_.Gets("/version.ini"), 2);
}

TEST_F(Descarga, LargeBodyArrivesIntact) {
    const size_t size = 6 * 1024 * 1024;
    server_.Put("grande.kav", GeneratedBody(size));  // signed as the server will send it
    server_.SetFault("/grande.kav", "large:" + std::to_string(size));
    int calls = 0;
    DescargarFichero(server_.Url(), "grande.kav", dir_,
                     [&](void*, uint32_t, uint32_t, TEstadoDescarga, const std::string&, bool&) { ++calls; });
    EXPECT_EQ(ReadFile(dir_ + "grande.kav"), GeneratedBody(size));
    EXPECT_GT(calls, 0);
}

// A compressed answer announces its compressed size; the file that arrives
// decoded is complete all the same.
TEST_F(Descarga, ContentEncodedAnswerIsNotJudgedByItsEncodedSize) {
    const std::string body = std::string(100000, 'k');
    server_.Put("comprimido.ini", body);
    server_.SetFault("/comprimido.ini", "gzip");
    DescargarFichero(server_.Url(), "comprimido.ini", dir_);
    EXPECT_EQ(ReadFile(dir_ + "comprimido.ini"), body);
}

TEST_F(Descarga, KeepsTheWindowAliveWhileItRuns) {
    static int pumped;
    pumped = 0;
    auto previous = ui::SetProcessMessagesHook([] { ++pumped; });
    server_.Put("lento.kav", Pattern(64 * 1024));
    server_.SetFault("/lento.kav", "slow:20");
    DescargarFichero(server_.Url(), "lento.kav", dir_);
    ui::SetProcessMessagesHook(previous);
    EXPECT_GT(pumped, 0);
}

// Every failure: the exact message, and nothing left under the local name,
// not even the older copy that was there before. Only a 404 says "not
// there" by its type.
TEST_F(Descarga, EveryFailureRaisesAndLeavesNoFile) {
    struct Caso {
        const char* nombre;
        const char* fault;  // nullptr: no fault
        bool existe;        // the file exists on the server
        bool cancelar;      // the handler cancels (after the first data)
        bool noEncontrado;  // raised as EDescargaNoEncontrada
    };
    const Caso casos[] = {
        {"no-existe.kav", nullptr, false, false, true},
        {"e404.kav", "404", true, false, true},
        {"e500.kav", "500", true, false, false},
        {"corto.kav", "short", true, false, false},
        {"cancelado.kav", "slow:20", true, true, false},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        if (c.existe) server_.Put(c.nombre, Pattern(200000));
        if (c.fault) server_.SetFault(std::string("/") + c.nombre, c.fault);
        const std::string local = dir_ + c.nombre;
        WriteFile(local, "copia anterior");
        TProgresoDescarga handler = [&](void*, uint32_t p, uint32_t, TEstadoDescarga, const std::string&,
                                        bool& cancel) { cancel = c.cancelar && p > 0; };
        try {
            DescargarFichero(server_.Url(), c.nombre, dir_, handler);
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), Error(server_.Url(c.nombre)));
            EXPECT_EQ(dynamic_cast<const EDescargaNoEncontrada*>(&e) != nullptr, c.noEncontrado);
        }
        EXPECT_FALSE(FileExists(local));
    }
}

// The test build carries the tests' keys: a file comes out of the download
// only with its own signature, whole, under one of them; otherwise it is
// refused naming it, and neither it nor its signature stays.
TEST_F(Descarga, AcceptsOnlyTheFileItsSignatureVouchesFor) {
    const std::string body = Pattern(200000, 5);
    const std::string revocada = firma::NuevoParClaves().secreta;
    struct Caso {
        const char* nombre;
        std::function<void(const TestServer&)> preparar;
        const char* motivo;  // nullptr: accepted
    };
    const Caso casos[] = {
        {"firmado.kav", [&](const TestServer& s) { s.Put("firmado.kav", body); }, nullptr},
        {"rotada.kav",
         [&](const TestServer& s) {
             s.PutUnsigned("rotada.kav", body);
             s.SignWith("rotada.kav", RotatedSecretKey());
         },
         nullptr},
        {"alterado.kav",
         [&](const TestServer& s) {
             s.Put("alterado.kav", body);
             std::string cambiado = body;
             cambiado[150000] ^= 0x20;
             s.PutUnsigned("alterado.kav", cambiado);
         },
         "no coincide con su firma"},
        {"sin-firma.kav", [&](const TestServer& s) { s.PutUnsigned("sin-firma.kav", body); }, "falta su firma"},
        {"ajeno.kav",
         [&](const TestServer& s) {
             s.Put("otro.kav", body);
             s.PutUnsigned("ajeno.kav", body);
             s.PutUnsigned("ajeno.kav.firma", ReadFile(s.Root() + "\\otro.kav.firma"));
         },
         "es la de otro fichero (otro.kav)"},
        {"revocada.kav",
         [&](const TestServer& s) {
             s.PutUnsigned("revocada.kav", body);
             s.SignWith("revocada.kav", revocada);
         },
         "no es de ninguna clave reconocida"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        c.preparar(server_);
        const std::string local = dir_ + c.nombre;
        try {
            DescargarFichero(server_.Url(), c.nombre, dir_);
            EXPECT_EQ(c.motivo, nullptr) << "accepted";
            EXPECT_TRUE(ReadFile(local) == body);
        } catch (const firma::EFirmaRechazada& e) {
            ASSERT_NE(c.motivo, nullptr) << e.what();
            EXPECT_EQ(e.Message().rfind(std::string("Fichero ") + c.nombre + " rechazado: ", 0), 0u) << e.what();
            EXPECT_NE(e.Message().find(c.motivo), std::string::npos) << e.what();
            EXPECT_FALSE(FileExists(local));
        }
        EXPECT_FALSE(FileExists(local + ".firma"));
    }
}

// The statement comes first, small; a refused one means the file is never
// asked for, and an accepted one bounds the file: a longer body is refused
// and nothing of it stays. (The transfer is told to stop as soon as the
// announced size or the bytes received pass the bound; Wine's moniker still
// reads the rest of the answer before it returns, so the time it takes is
// not measured here.)
TEST_F(Descarga, StatementFirstAndTheFileNoLongerThanItNames) {
    struct Caso {
        const char* nombre;
        std::function<void(const TestServer&)> preparar;
        const char* motivo;
        bool pideFichero;  // the file itself was asked for
    };
    const Caso casos[] = {
        {"otro-producto.kav",
         [](const TestServer& s) {
             Publicacion p;
             p.producto = "NOM";
             s.Put("otro-producto.kav", "programa", p);
         },
         "la firma es la de otro producto (NOM, no QTR)", false},
        {"otra-ruta.kav",
         [](const TestServer& s) {
             s.Put("Nominas/otra-ruta.kav", "programa");
             s.PutUnsigned("otra-ruta.kav.firma", ReadFile(s.Root() + "\\Nominas\\otra-ruta.kav.firma"));
         },
         "la firma es la de otra ruta (Nominas/otra-ruta.kav, no otra-ruta.kav)", false},
        {"firma-enorme.kav",
         [](const TestServer& s) {
             s.PutUnsigned("firma-enorme.kav", "programa");
             s.PutUnsigned("firma-enorme.kav.firma", std::string(100000, 'x'));
         },
         "su firma es demasiado grande", false},
        {"mas-que-su-firma.kav",
         [](const TestServer& s) {
             s.Put("mas-que-su-firma.kav", Pattern(1000));
             s.SetFault("/mas-que-su-firma.kav", "large:5000000");
         },
         "el servidor envía más de los 1000 bytes de su firma", true},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        c.preparar(server_);
        try {
            DescargarFichero(server_.Url(), c.nombre, dir_);
            ADD_FAILURE() << "accepted";
        } catch (const firma::EFirmaRechazada& e) {
            EXPECT_EQ(e.Message(), std::string("Fichero ") + c.nombre + " rechazado: " + c.motivo + ".");
        }
        EXPECT_EQ(server_.Gets("/" + std::string(c.nombre) + ".firma"), 1);
        EXPECT_EQ(server_.Gets("/" + std::string(c.nombre)), c.pideFichero ? 1 : 0);
        EXPECT_FALSE(FileExists(dir_ + c.nombre));
        EXPECT_FALSE(FileExists(dir_ + c.nombre + ".firma"));
    }
    // Accepted: the statement was asked for before its file.
    server_.Put("bueno.kav", Pattern(1000));
    DescargarFichero(server_.Url(), "bueno.kav", dir_);
    const std::vector<std::string> pedidos = server_.Requests();
    auto indice = [&](const std::string& r) { return std::find(pedidos.begin(), pedidos.end(), r) - pedidos.begin(); };
    EXPECT_LT(indice("GET /bueno.kav.firma HTTP/1.1"), indice("GET /bueno.kav HTTP/1.1"));
}

// A transient failure (the server's error, a cut transfer) is tried again
// after a pause, each retry in the log; a 404 never is, and a failure that
// lasts ends as the usual error once the retries are spent.
TEST_F(Descarga, RetriesTransientFailuresAndLogsEach) {
    struct Caso {
        const char* nombre;
        std::string fault;
        int peticiones;  // GETs of the file
        bool llega;
    };
    const int todas = 1 + descarga::kReintentos;
    const Caso casos[] = {
        {"e500-pasajero.kav", "500*2", 3, true},
        {"corto-pasajero.kav", "short*1", 2, true},
        {"reintentos-e500.kav", "500", todas, false},
        {"reintentos-corto.kav", "short", todas, false},
        {"reintentos-e404.kav", "404", 1, false},
    };
    const std::string registro = dir_ + "registro.log";
    Registro().FijarRuta(registro);
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        const std::string body = Pattern(100000, 9);
        server_.Put(c.nombre, body);
        server_.SetFault(std::string("/") + c.nombre, c.fault);
        bool llego = true;
        try {
            DescargarFichero(server_.Url(), c.nombre, dir_);
        } catch (const Exception& e) {
            llego = false;
            EXPECT_EQ(e.Message(), Error(server_.Url(c.nombre)));
        }
        EXPECT_EQ(llego, c.llega);
        EXPECT_EQ(FileExists(dir_ + c.nombre), c.llega);
        EXPECT_EQ(server_.Gets(std::string("/") + c.nombre), c.peticiones);
        const std::string log = ReadFile(registro);
        for (int r = 1; r < c.peticiones; ++r)
            EXPECT_NE(log.find(server_.Url(c.nombre) + "; reintento " + std::to_string(r) + " de " +
                               std::to_string(descarga::kReintentos)),
                      std::string::npos)
                << log;
        EXPECT_EQ(log.find(server_.Url(c.nombre) + "; reintento " + std::to_string(c.peticiones)), std::string::npos);
    }
    Registro().FijarRuta("");
    const std::string log = ReadFile(registro);
    EXPECT_NE(log.find("Descarga fallida (HTTP 500): " + server_.Url("reintentos-e500.kav")), std::string::npos) << log;
    EXPECT_NE(log.find("Descarga fallida (transferencia cortada): " + server_.Url("reintentos-corto.kav")), std::string::npos)
        << log;
}

// A transfer cut, or standing still, at a chosen byte goes on from there: the
// second request moves only the rest, and the file arrives whole.
TEST_F(Descarga, ResumesACutOrStalledTransferFromTheByteReached) {
    const std::string body = Pattern(300000, 3);
    descarga::Limites limites;
    limites.sinProgresoMs = 2000;
    const std::string registro = dir_ + "registro.log";
    Registro().FijarRuta(registro);
    for (const char* fault : {"cut:270000*1", "hold:270000*1"}) {
        SCOPED_TRACE(fault);
        const std::string nombre = std::string(fault).substr(0, 3) + ".kav";
        server_.Put(nombre, body);
        server_.SetFault("/" + nombre, fault);
        DescargarFichero(server_.Url(), nombre, dir_, {}, limites);
        EXPECT_TRUE(ReadFile(dir_ + nombre) == body);
        EXPECT_FALSE(FileExists(dir_ + nombre + ".parcial"));
        EXPECT_EQ(server_.Gets("/" + nombre), 2);
        const auto log = server_.Requests();
        EXPECT_NE(std::find(log.begin(), log.end(), "SENT /" + nombre + " 206 30000"), log.end());
    }
    Registro().FijarRuta("");
    const std::string log = ReadFile(registro);
    EXPECT_NE(log.find("Descarga fallida (sin progreso en 2 s): " + server_.Url("hol.kav")), std::string::npos) << log;
    EXPECT_NE(log.find("Descarga reanudada en el byte 270000: " + server_.Url("cut.kav")), std::string::npos) << log;
}

// The bytes held belong to the old file: the resume is refused by the
// server (If-Range) and the new file is asked for whole. Its statement was
// fetched before the change, for the old file, so the new one is refused
// as not the file signed; nothing of either stays.
TEST_F(Descarga, AFileChangedOnTheServerBetweenCutAndResumeComesWhole) {
    const std::string viejo = Pattern(300000, 4), nuevo = Pattern(320000, 5);
    server_.Put("cambia.kav", viejo);
    server_.SetFault("/cambia.kav", "cut:150000*1");
    bool cambiado = false;
    try {
        DescargarFichero(server_.Url(), "cambia.kav", dir_,
                         [&](void*, uint32_t p, uint32_t, TEstadoDescarga, const std::string&, bool&) {
                             if (cambiado || p == 0) return;
                             server_.Put("cambia.kav", nuevo);
                             cambiado = true;
                         });
        ADD_FAILURE() << "accepted";
    } catch (const firma::EFirmaRechazada& e) {
        EXPECT_EQ(e.Message(), "Fichero cambia.kav rechazado: el servidor envía más de los 300000 bytes de su firma.");
    }
    EXPECT_FALSE(FileExists(dir_ + "cambia.kav"));
    EXPECT_FALSE(FileExists(dir_ + "cambia.kav.parcial"));
    std::vector<std::string> enviados;
    for (const std::string& l : server_.Requests())
        if (l.rfind("SENT /cambia.kav ", 0) == 0) enviados.push_back(l);
    ASSERT_EQ(enviados.size(), 2u);
    EXPECT_EQ(enviados[0], "SENT /cambia.kav 200 150000");
    EXPECT_EQ(enviados[1].rfind("SENT /cambia.kav 200 ", 0), 0u) << "asked for whole, not resumed: " << enviados[1];
}

// Cancel in the pause before a retry: at once, and the bytes already held go.
TEST_F(Descarga, CancelDuringARetryPauseEndsAtOnceAndDeletesThePartialFile) {
    server_.Put("pausa.kav", Pattern(200000, 6));
    server_.SetFault("/pausa.kav", "cut:100000*1");
    descarga::Limites limites;
    limites.pausaPrimeraMs = limites.pausaMaximaMs = 60000;
    const std::string local = dir_ + "pausa.kav";
    std::string parcialAlCancelar;
    ULONGLONG cancelado = 0;
    try {
        DescargarFichero(server_.Url(), "pausa.kav", dir_,
                         [&](void*, uint32_t, uint32_t, TEstadoDescarga s, const std::string&, bool& cancel) {
                             if (s != TEstadoDescarga::EsperandoReintento || cancelado) return;
                             parcialAlCancelar = ReadFile(local + ".parcial");
                             cancelado = GetTickCount64();
                             cancel = true;
                         },
                         limites);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Error(server_.Url("pausa.kav")));
    }
    ASSERT_NE(cancelado, 0u);
    EXPECT_LT(GetTickCount64() - cancelado, 2000u) << "the pause went on after the cancel";
    EXPECT_EQ(parcialAlCancelar.size(), 100000u);
    EXPECT_FALSE(FileExists(local));
    EXPECT_FALSE(FileExists(local + ".parcial"));
    EXPECT_EQ(server_.Gets("/pausa.kav"), 1);
}

// An endless answer, a file longer than the caller expects, a redirect off
// https: refused at once, not retried, nothing left on disk.
TEST_F(Descarga, RefusesEndlessAndOverlongBodiesAndRedirectsOffHttps) {
    struct Caso {
        const char* nombre;
        std::string fault;
        uint64_t tamanoMaximo;
        std::string mensaje;  // empty: the download error
    };
    server_.Put("otro.kav", Pattern(1000));
    const Caso casos[] = {
        // Past the size its statement names: a refusal of the file.
        {"sin-fin.kav", "endless", 1 << 20,
         "Fichero sin-fin.kav rechazado: el servidor envía más de los 200000 bytes de su firma."},
        {"largo.kav", "", 100000, ""},
        {"redirigido.kav", "redirect:" + server_.Url("otro.kav"), descarga::kTamanoMaximo, ""},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        server_.Put(c.nombre, Pattern(200000, 8));
        if (!c.fault.empty()) server_.SetFault(std::string("/") + c.nombre, c.fault);
        descarga::Limites limites;
        limites.tamanoMaximo = c.tamanoMaximo;
        const std::string local = dir_ + c.nombre;
        try {
            DescargarFichero(server_.Url(), c.nombre, dir_, {}, limites);
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.mensaje.empty() ? Error(server_.Url(c.nombre)) : c.mensaje);
        }
        EXPECT_EQ(server_.Gets(std::string("/") + c.nombre), 1);
        EXPECT_FALSE(FileExists(local));
        EXPECT_FALSE(FileExists(local + ".parcial"));
    }
    EXPECT_EQ(server_.Gets("/otro.kav"), 0);
}

// What the progress handler raises must not unwind through the system's
// download function: the transfer is cancelled there, and the very same
// error comes out of DescargarFichero afterwards, with no file left.
TEST_F(Descarga, AnErrorOfTheHandlerCancelsAndComesOutUnchanged) {
    struct ErrorPropio : std::runtime_error {
        ErrorPropio() : std::runtime_error("del manejador") {}
    };
    server_.Put("lanza.kav", Pattern(400000));
    server_.SetFault("/lanza.kav", "slow:100");
    WriteFile(dir_ + "lanza.kav", "copia anterior");
    int llamadasTrasElError = 0;
    bool lanzado = false;
    const ULONGLONG inicio = GetTickCount64();
    EXPECT_THROW(DescargarFichero(server_.Url(), "lanza.kav", dir_,
                                  [&](void*, uint32_t p, uint32_t, TEstadoDescarga, const std::string&, bool&) {
                                      if (lanzado) ++llamadasTrasElError;
                                      if (p > 0 && !lanzado) {
                                          lanzado = true;
                                          throw ErrorPropio();
                                      }
                                  }),
                 ErrorPropio);
    EXPECT_TRUE(lanzado);
    EXPECT_EQ(llamadasTrasElError, 0);
    // The whole body, 4 KiB every 100 ms, would take about ten seconds.
    EXPECT_LT(GetTickCount64() - inicio, 5000u) << "the transfer went on after the error";
    EXPECT_FALSE(FileExists(dir_ + "lanza.kav"));

    // The silent stop of the program passes through the same way.
    EXPECT_THROW(DescargarFichero(server_.Url(), "lanza.kav", dir_,
                                  [](void*, uint32_t, uint32_t, TEstadoDescarga, const std::string&, bool&) {
                                      Abort();
                                  }),
                 EAbort);
}

TEST_F(Descarga, CancelOnTheFirstCallStopsTheTransfer) {
    server_.Put("primera.kav", Pattern(500000));
    int calls = 0;
    try {
        DescargarFichero(server_.Url(), "primera.kav", dir_,
                         [&](void*, uint32_t, uint32_t, TEstadoDescarga, const std::string&, bool& cancel) {
                             ++calls;
                             cancel = true;
                         });
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Error(server_.Url("primera.kav")));
    }
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(FileExists(dir_ + "primera.kav"));
}

TEST_F(Descarga, UnreachableServerRaises) {
    const std::string base = "http://127.0.0.1:9/";  // discard port: nobody listens
    try {
        DescargarFichero(base, "x.kav", dir_);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Error(base + "x.kav"));
    }
}

}  // namespace
