#include "Jpeg.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "Exception.h"

namespace forms {

namespace {

constexpr int kLadoMaximo = 8192;

struct GestorErrores {
    jpeg_error_mgr base;
    std::jmp_buf salto;
};

void SalirConError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<GestorErrores*>(info->err)->salto, 1);
}

// Plain C frames only between setjmp and longjmp: nothing with a destructor
// is skipped. Returns false on any decoding error.
bool Decodificar(const std::vector<uint8_t>& datos, ImagenRgb& img) {
    jpeg_decompress_struct info;
    GestorErrores errores;
    info.err = jpeg_std_error(&errores.base);
    errores.base.error_exit = &SalirConError;
    errores.base.output_message = [](j_common_ptr) {};
    if (setjmp(errores.salto)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, datos.data(), static_cast<unsigned long>(datos.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || info.image_width == 0 || info.image_height == 0 ||
        info.image_width > kLadoMaximo || info.image_height > kLadoMaximo) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    img.ancho = static_cast<int>(info.output_width);
    img.alto = static_cast<int>(info.output_height);
    img.bgr.resize(static_cast<size_t>(img.BytesPorFila()) * static_cast<size_t>(img.alto));
    while (info.output_scanline < info.output_height) {
        JSAMPROW fila = img.bgr.data() + static_cast<size_t>(info.output_scanline) * img.BytesPorFila();
        jpeg_read_scanlines(&info, &fila, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

ImagenRgb DecodificarJpeg(const std::vector<uint8_t>& datos) {
    ImagenRgb img;
    if (datos.empty() || !Decodificar(datos, img)) throw Exception("Imagen JPEG no válida");
    return img;
}

}  // namespace forms
