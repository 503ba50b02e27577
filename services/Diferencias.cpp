#include "Diferencias.h"

#define ZSTD_STATIC_LINKING_ONLY  // ZSTD_getFrameHeader: the window a frame asks for
#include <zstd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>

#include "ArchiveFormat.h"
#include "Extractor.h"
#include "FirmaFicheros.h"
#include "FormatoTexto.h"
#include "TextCodec.h"
#include "PathUtils.h"
#include "StoredArchive.h"
#include "platform/MappedFile.h"
#include "platform/Platform.h"

namespace diferencias {
namespace {

constexpr std::string_view kCabecera = "KAVO-DIFERENCIAS 1";

[[noreturn]] void Inaplicable(const std::string& motivo) { throw EDiferenciasInaplicables(motivo); }

bool Linea(std::string_view& texto, std::string_view& linea) {
    const size_t fin = texto.find('\n');
    if (fin == std::string_view::npos) return false;
    linea = texto.substr(0, fin);
    texto.remove_prefix(fin + 1);
    return true;
}

// The next blank-separated word of a line.
std::string_view Palabra(std::string_view& linea) {
    const size_t fin = linea.find(' ');
    if (fin == 0 || fin == std::string_view::npos) Inaplicable("Manifiesto de diferencias dañado");
    const std::string_view p = linea.substr(0, fin);
    linea.remove_prefix(fin + 1);
    return p;
}

uint64_t Tamano(std::string_view digitos) {
    if (digitos.empty() || digitos.size() > 10 || (digitos.size() > 1 && digitos[0] == '0'))
        Inaplicable("Manifiesto de diferencias dañado: tamaño no válido");
    uint64_t n = 0;
    for (char c : digitos) {
        if (c < '0' || c > '9') Inaplicable("Manifiesto de diferencias dañado: tamaño no válido");
        n = n * 10 + uint64_t(c - '0');
    }
    if (n > kTamanoMaximo) Inaplicable("Manifiesto de diferencias dañado: tamaño no válido");
    return n;
}

std::string Resumen(std::string_view hex) {
    for (char c : hex)
        if (c >= 'A' && c <= 'F') Inaplicable("Manifiesto de diferencias dañado: resumen no válido");
    try {
        return firma::DesdeHex(hex, firma::kBytesResumen);
    } catch (const Exception&) {
        Inaplicable("Manifiesto de diferencias dañado: resumen no válido");
    }
}

// "12.05": digits, a dot, digits.
std::string Version(std::string_view linea, std::string_view clave) {
    if (linea.substr(0, clave.size() + 1) != std::string(clave) + " ")
        Inaplicable("Manifiesto de diferencias dañado: falta \"" + std::string(clave) + "\"");
    const std::string_view v = linea.substr(clave.size() + 1);
    const size_t punto = v.find('.');
    const bool valida = punto != std::string_view::npos && punto > 0 && punto < 6 && v.size() - punto - 1 > 0 &&
                        v.size() - punto - 1 < 6 &&
                        v.find_first_not_of("0123456789.") == std::string_view::npos &&
                        v.find('.', punto + 1) == std::string_view::npos;
    if (!valida) Inaplicable("Manifiesto de diferencias dañado: versión no válida");
    return std::string(v);
}

bool NombreValido(std::string_view nombre) {
    if (nombre.empty() || nombre.size() > kav::kMaxNameLength) return false;
    for (unsigned char c : nombre)
        if (c < ' ' || c == 0x7f) return false;
    return true;
}

class TInstaladoMapeado : public TInstalado {
public:
    explicit TInstaladoMapeado(kav::os::MappedFile f) : f_(std::move(f)) {}
    std::string_view Bytes() const override { return {f_.Data(), f_.Size()}; }

private:
    kav::os::MappedFile f_;
};

class TInstaladoCopiado : public TInstalado {
public:
    explicit TInstaladoCopiado(std::string bytes) : bytes_(std::move(bytes)) {}
    std::string_view Bytes() const override { return bytes_; }

private:
    std::string bytes_;
};

struct LiberarDCtx {
    void operator()(ZSTD_DCtx* c) const { ZSTD_freeDCtx(c); }
};

}  // namespace

std::unique_ptr<TInstalado> MapearInstalado(const std::string& ruta) {
    kav::os::MappedFile f;
    if (!f.Open(ruta, kTamanoMaximo)) return nullptr;
    return std::make_unique<TInstaladoMapeado>(std::move(f));
}

std::unique_ptr<TInstalado> InstaladoEnMemoria(std::string bytes) {
    return std::make_unique<TInstaladoCopiado>(std::move(bytes));
}

std::string NombreDiferencias(const std::string& producto, uint16_t mayorDesde, uint16_t menorDesde,
                              uint16_t mayorHasta, uint16_t menorHasta) {
    return producto + "DIF_" + FormatoCerosFijo(mayorDesde, 2) + "." + FormatoCerosFijo(menorDesde, 2) + "_" +
           FormatoCerosFijo(mayorHasta, 2) + "." + FormatoCerosFijo(menorHasta, 2) + ".KAV";
}

std::optional<uint32_t> DesdeDiferencias(uint32_t instalada, uint32_t nueva, bool relanzado) {
    if (instalada == 0) return std::nullopt;
    if (instalada < nueva) return instalada;
    // 11.00's predecessor is no minor step away: nothing says which it was.
    if (relanzado && instalada == nueva && (nueva & 0xFFFF) > 0) return nueva - 1;
    return std::nullopt;
}

std::string TextoManifiesto(const TManifiesto& m) {
    std::string t = std::string(kCabecera) + "\ndesde " + m.desde + "\nhasta " + m.hasta + "\n";
    for (const TParche& p : m.parches)
        t += "parche " + std::to_string(p.tamanoAntes) + " " + firma::Hex(p.resumenAntes) + " " +
             std::to_string(p.tamanoDespues) + " " + firma::Hex(p.resumenDespues) + " " + p.nombre + "\n";
    return t;
}

TManifiesto LeerManifiesto(std::string_view texto) {
    TManifiesto m;
    std::string_view linea;
    if (!Linea(texto, linea) || linea != kCabecera) Inaplicable("Manifiesto de diferencias dañado: cabecera");
    if (!Linea(texto, linea)) Inaplicable("Manifiesto de diferencias dañado: falta \"desde\"");
    m.desde = Version(linea, "desde");
    if (!Linea(texto, linea)) Inaplicable("Manifiesto de diferencias dañado: falta \"hasta\"");
    m.hasta = Version(linea, "hasta");
    std::set<std::string> nombres;
    while (!texto.empty()) {
        if (!Linea(texto, linea)) Inaplicable("Manifiesto de diferencias dañado: última línea incompleta");
        if (Palabra(linea) != "parche") Inaplicable("Manifiesto de diferencias dañado: línea desconocida");
        if (m.parches.size() == kMaximoParches) Inaplicable("Manifiesto de diferencias dañado: demasiadas líneas");
        TParche p;
        p.tamanoAntes = Tamano(Palabra(linea));
        p.resumenAntes = Resumen(Palabra(linea));
        p.tamanoDespues = Tamano(Palabra(linea));
        p.resumenDespues = Resumen(Palabra(linea));
        if (!NombreValido(linea)) Inaplicable("Manifiesto de diferencias dañado: nombre no válido");
        p.nombre = std::string(linea);
        if (!nombres.insert(text::UpperAscii(p.nombre)).second)
            Inaplicable("Manifiesto de diferencias dañado: " + p.nombre + " dos veces");
        m.parches.push_back(std::move(p));
    }
    return m;
}

void ComprobarParche(std::string_view parche, uint64_t tamanoEsperado) {
    // Only what the frame's header promises is ever allocated, and only
    // when it is the size the manifest names.
    ZSTD_frameHeader cabecera;
    if (tamanoEsperado > kTamanoMaximo || ZSTD_getFrameHeader(&cabecera, parche.data(), parche.size()) != 0 ||
        cabecera.frameType != ZSTD_frame || cabecera.frameContentSize != tamanoEsperado ||
        cabecera.windowSize > (uint64_t(1) << kVentanaMaximaLog))
        Inaplicable("Parche dañado");
    const size_t marco = ZSTD_findFrameCompressedSize(parche.data(), parche.size());
    if (ZSTD_isError(marco) || marco != parche.size()) Inaplicable("Parche dañado");
}

void AplicarParche(std::string_view anterior, std::string_view parche, char* resultado, uint64_t tamanoEsperado) {
    ComprobarParche(parche, tamanoEsperado);
    std::unique_ptr<ZSTD_DCtx, LiberarDCtx> ctx(ZSTD_createDCtx());
    if (!ctx) throw Exception("Memoria insuficiente");
    if (ZSTD_isError(ZSTD_DCtx_setParameter(ctx.get(), ZSTD_d_windowLogMax, kVentanaMaximaLog)) ||
        ZSTD_isError(ZSTD_DCtx_refPrefix(ctx.get(), anterior.data(), anterior.size())))
        Inaplicable("Parche dañado");
    const size_t n = ZSTD_decompressDCtx(ctx.get(), resultado, static_cast<size_t>(tamanoEsperado), parche.data(),
                                         parche.size());
    if (ZSTD_isError(n) || n != tamanoEsperado) Inaplicable("Parche dañado");
}

std::string AplicarParche(std::string_view anterior, std::string_view parche, uint64_t tamanoEsperado) {
    ComprobarParche(parche, tamanoEsperado);
    std::string resultado(static_cast<size_t>(tamanoEsperado), '\0');
    AplicarParche(anterior, parche, resultado.data(), tamanoEsperado);
    return resultado;
}

std::vector<TEntradaLeida> LeerArchivo(const std::string& archivo, const std::string& carpetaTrabajo) {
    kav::TExtractor lector;
    lector.ErrorAction = kav::eaAbort;  // no handler: the first fault ends the reading as an error
    lector.RestoreAction = kav::raOverwrite;
    lector.Options -= kav::oShowBusyMessage;
    lector.ExtractPath = carpetaTrabajo;
    // Each entry in a folder of its own, by its place in the archive: two
    // entries of the same name cannot meet, and no stored path is restored.
    std::vector<TEntradaLeida> entradas;
    std::vector<std::string> ficheros;
    // The copy under an entry's second name is not wanted: the entry's
    // record keeps the name for the rebuilt archive.
    lector.OnExtractFile = [&](kav::TCustomExtractor&, const kav::TFileEntry& e, std::string& destino, bool& aceptar) {
        if (!e.AltName.empty() && e.Name == e.AltName) aceptar = false;
        destino = kav::IncludeTrailingBackslash(carpetaTrabajo) + std::to_string(ficheros.size() + 1);
    };
    lector.OnFileExtracted = [&](kav::TCustomExtractor&, const kav::TFileEntry& e, const std::string& destino) {
        entradas.push_back({e, {}});
        ficheros.push_back(kav::IncludeTrailingBackslash(destino) + kav::ExtractFileName(e.Name));
    };
    auto limpiar = [&] {
        for (const std::string& f : ficheros) {
            kav::os::SetAttributes(f, kav::os::kAttrNormal);  // entries may carry read-only
            kav::os::RemoveFile(f);
        }
        for (size_t i = 1; i <= ficheros.size() + 1; ++i)
            kav::os::RemoveEmptyDirectory(kav::IncludeTrailingBackslash(carpetaTrabajo) + std::to_string(i));
        kav::os::RemoveEmptyDirectory(carpetaTrabajo);
    };
    try {
        lector.SetFileName(archivo);
        lector.ExtractFiles();
        const int32_t codigo = lector.ResultCode();
        lector.Close();
        if (codigo == -1) throw Exception("Error leyendo " + archivo);
        for (size_t i = 0; i < entradas.size(); ++i) {
            kav::os::File f;
            if (!f.Open(ficheros[i], kav::os::Access::Read, kav::os::Share::DenyWrite,
                        kav::os::Disposition::OpenExisting))
                throw Exception("No se puede leer el fichero " + ficheros[i]);
            std::string& datos = entradas[i].datos;
            datos.resize(static_cast<size_t>(entradas[i].entrada.Size));
            if (f.Read(datos.data(), datos.size()) != datos.size())
                throw Exception("No se puede leer el fichero " + ficheros[i]);
        }
    } catch (...) {
        limpiar();
        throw;
    }
    limpiar();
    return entradas;
}

TArchivoReconstruido ConstruirArchivo(const std::vector<TEntradaLeida>& entradas, const TLeerInstalado& leerInstalado,
                                      const TSeEscribe& seEscribe) {
    const TEntradaLeida* manifiesto = nullptr;
    for (const TEntradaLeida& e : entradas)
        if (e.entrada.Name == kNombreManifiesto) {
            if (manifiesto) Inaplicable("Manifiesto de diferencias repetido");
            manifiesto = &e;
        }
    if (!manifiesto) Inaplicable("Falta el manifiesto de las diferencias");
    const TManifiesto m = LeerManifiesto(manifiesto->datos);
    std::map<std::string, const TParche*> porNombre;
    for (const TParche& p : m.parches) porNombre[p.nombre] = &p;

    // Every entry, its size and where its bytes come from first, each
    // patch's frame checked against the size the manifest names and each
    // installed copy against its digests: the archive is then written in
    // one buffer of its final size, each result made in its place.
    enum class TOrigen { Datos, Parche, Instalado };
    struct TPlan {
        const TEntradaLeida* entrada;
        const TParche* parche;  // null: the entry's data as it came
        TOrigen origen;
        std::unique_ptr<TInstalado> instalado;  // the reference of a patch, or the result itself
    };
    std::vector<TPlan> plan;
    std::vector<kav::StoredItem> items;
    TArchivoReconstruido r;
    uint64_t total = kav::kHeaderFixedSize;
    size_t parcheados = 0;
    for (const TEntradaLeida& e : entradas) {
        if (&e == manifiesto || (e.entrada.FileFlags & kav::kFileFolder)) continue;
        const auto p = porNombre.find(e.entrada.Name);
        TPlan x{&e, p == porNombre.end() ? nullptr : p->second, TOrigen::Datos, {}};
        if (x.parche) {
            const TParche& parche = *x.parche;
            ++parcheados;
            try {
                ComprobarParche(e.datos, parche.tamanoDespues);
            } catch (const EDiferenciasInaplicables& y) {
                Inaplicable(std::string(y.what()) + ": " + parche.nombre);
            }
            std::unique_ptr<TInstalado> instalado = leerInstalado(parche.nombre);
            if (instalado) {
                const uint64_t tamano = instalado->Bytes().size();
                const std::string resumen = tamano == parche.tamanoAntes || tamano == parche.tamanoDespues
                                                ? firma::Resumen(instalado->Bytes())
                                                : std::string();
                if (tamano == parche.tamanoAntes && resumen == parche.resumenAntes)
                    x.origen = TOrigen::Parche;
                else if (tamano == parche.tamanoDespues && resumen == parche.resumenDespues)
                    x.origen = TOrigen::Instalado;
            }
            if (x.origen == TOrigen::Datos) {
                if (seEscribe(e.entrada)) {
                    if (!instalado) Inaplicable("Falta el fichero instalado " + parche.nombre);
                    Inaplicable("El fichero instalado " + parche.nombre + " no es el que esperan las diferencias");
                }
                r.dejados.push_back(parche.nombre);
                continue;
            }
            x.instalado = std::move(instalado);
        }
        const uint64_t tamano = x.parche ? x.parche->tamanoDespues : e.datos.size();
        // With room for its record and block headers: an archive's offsets are 32 bits.
        total += kav::EncodeFileEntry(e.entrada).size() + tamano +
                 (tamano / kav::kStoredBlockSize + 1) * kav::kBlockHeaderSize;
        if (total > kTamanoMaximo) Inaplicable("Las diferencias rehacen más de lo que cabe en un archivo");
        items.push_back({e.entrada, static_cast<size_t>(tamano)});
        plan.push_back(std::move(x));
    }
    if (parcheados != m.parches.size()) Inaplicable("Faltan parches que nombra el manifiesto de las diferencias");

    const auto hacer = [&](size_t i, char* salida) {
        TPlan& x = plan[i];
        switch (x.origen) {
        case TOrigen::Datos:
            std::memcpy(salida, x.entrada->datos.data(), x.entrada->datos.size());
            return;
        case TOrigen::Instalado:
            if (!x.instalado->Bytes().empty())
                std::memcpy(salida, x.instalado->Bytes().data(), x.instalado->Bytes().size());
            break;
        case TOrigen::Parche: {
            const TParche& parche = *x.parche;
            try {
                AplicarParche(x.instalado->Bytes(), x.entrada->datos, salida, parche.tamanoDespues);
            } catch (const EDiferenciasInaplicables& e) {
                Inaplicable(std::string(e.what()) + ": " + parche.nombre);
            }
            if (firma::Resumen(std::string_view(salida, static_cast<size_t>(parche.tamanoDespues))) !=
                parche.resumenDespues)
                Inaplicable("El resultado de " + parche.nombre + " no es el que nombran las diferencias");
            break;
        }
        }
        x.instalado.reset();  // each reference released once used
    };
    r.bytes = kav::StoredArchive(items, hacer, kav::kStoredBlockSize, &r.entradas);
    return r;
}

}  // namespace diferencias
