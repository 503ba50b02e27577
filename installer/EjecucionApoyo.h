// What the files of the run share: the end an error stands for, steps
// whose errors are ignored on purpose, and the text of a missing file.
#pragma once
#include <exception>

#include "FinEjecucion.h"
#include "FirmaFicheros.h"

namespace ejecucion {

inline constexpr const char* kNoSeEncuentra = "No se encuentra el Fichero:\n\r";

// The end an error stands for: its own when it names one, a refused
// signature as such, otherwise `otro`.
inline TFinEjecucion FinDeError(const std::exception& e, TFinEjecucion otro) {
    if (auto* f = dynamic_cast<const EFinEjecucion*>(&e)) return f->Fin();
    if (dynamic_cast<const firma::EFirmaRechazada*>(&e)) return TFinEjecucion::FirmaRechazada;
    return otro;
}

// Runs a step whose errors the run ignores on purpose.
template <typename F>
void SinErrores(F&& paso) {
    try {
        paso();
    } catch (...) {
    }
}

}  // namespace ejecucion
