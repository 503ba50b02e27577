// JPEG decoding for the window's pictures (libjpeg).
#pragma once
#include <cstdint>
#include <vector>

namespace forms {

struct ImagenRgb {
    int ancho = 0, alto = 0;
    std::vector<uint8_t> bgr;  // rows top-down, 3 bytes per pixel, rows padded to 4 bytes
    int BytesPorFila() const { return (ancho * 3 + 3) & ~3; }
};

// Decodes a baseline or progressive JPEG; raises Exception on damaged data or
// on a picture larger than 8192 × 8192.
ImagenRgb DecodificarJpeg(const std::vector<uint8_t>& datos);

}  // namespace forms
