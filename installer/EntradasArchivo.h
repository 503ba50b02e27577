// The archive engine as the installer reads it: the kind the vendor's
// producer gives every entry, and what the engine says of its last run.
// Portable.
#pragma once
#include <cstdint>

// How the installer treats an entry (its FileType, and AltFileType for its
// second name). The values are stored in the archives: never renumber. A
// product adds kinds of its own above these (the accounting product's data
// files); a kind nobody names is an ordinary file.
enum TTipoEntrada : uint8_t {
    teComun = 0,              // an ordinary file: written only where missing
    teSiempre = 1,            // always written, over any copy
    teSiFalta = 2,            // written only where missing
    teMotorBtrieve6 = 3,      // the Btrieve 6 engine's files, unless the copy there is newer
    teMotorPsql = 4,          // the PSQL 12 and Btrieve 12 engines' files, likewise
    tePaquete = 5,            // a program package: the product's module table decides
    tePaqueteSerie = 6,       // likewise; the engine hands its file over open once written
    teOmitido = 7,            // carried in the archive, never written here
    teSiMasViejo = 8,         // written only over an older copy
    teDatos = 9,              // into the data folder, only where missing
    teActualizador = 10,      // a copy of the updater: as the engine proposes, and remembered
    teSinMasNuevo = 11,       // written unless the copy there is newer
    teOmitidoOtro = 12,       // like teOmitido
    tePaqueteAdicional = 13,  // an additional package: the product decides
};

// The archive engine's ResultCode after an extraction or a check.
enum class TResultadoExtractor : int32_t {
    AbortoPedido = -2,  // an abort was asked for and no run has started since
    Fallido = -1,       // the engine's own error, or the abort a confirmed cancel asked for
    SinEmpezar = 0,
    Terminado = 1,
};
