#include "KavoIMG.h"

#include <cstdint>
#include <vector>

#include "Exception.h"
#include "TextCodec.h"
#include "Win32Handle.h"

const wchar_t* const kRecursosKavoIMG[20] = {
    L"_EDITSBF2N_", L"_EDITSBF2P_", L"_EDITSBF2H_", L"_EDITSBF2D_",
    L"_DETENER_", L"_CONTINUAR_", L"_CANCELAR_",
    L"_FECHAN_", L"_FECHAP_", L"_FECHAH_", L"_FECHAD_",
    L"_VERPASSN_", L"_VERPASSP_",
    L"_EDITPOPUPQUEESESTO_", L"_EDITPOPUPFECHASISTEMA_", L"_EDITPOPUPHORASISTEMA_",
    L"_EDITPOPUPDESHACER_", L"_EDITPOPUPCORTAR_", L"_EDITPOPUPCOPIAR_", L"_EDITPOPUPPEGAR_",
};

namespace {

constexpr int kLado = 16;
constexpr COLORREF kFucsia = RGB(255, 0, 255);

// 16 x 16 pixels, top-down rows, 0x00RRGGBB.
using Pixeles = std::vector<uint32_t>;

BITMAPINFO InfoDib() {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = kLado;
    bi.bmiHeader.biHeight = -kLado;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

Pixeles LeerPixeles(HBITMAP bmp) {
    Pixeles px(kLado * kLado);
    BITMAPINFO bi = InfoDib();
    HDC dc = ::GetDC(nullptr);
    int filas = ::GetDIBits(dc, bmp, 0, kLado, px.data(), &bi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, dc);
    if (filas != kLado) throw Exception("No se puede leer la imagen");
    for (uint32_t& p : px) p &= 0xFFFFFF;
    return px;
}

win::GdiHandle CrearBitmap(const Pixeles& px) {
    BITMAPINFO bi = InfoDib();
    HDC dc = ::GetDC(nullptr);
    HBITMAP bmp = ::CreateDIBitmap(dc, &bi.bmiHeader, CBM_INIT, px.data(), &bi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, dc);
    if (!bmp) throw Exception("No se puede crear la imagen");
    return win::GdiHandle(bmp);
}

COLORREF AColorRef(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The disabled look: the picture's own shape in light greys (brightness kept
// in order, colour dropped) on fuchsia, which is then the transparent colour.
Pixeles Deshabilitada(const Pixeles& px, uint32_t transparente) {
    Pixeles out(px.size());
    for (size_t i = 0; i < px.size(); ++i) {
        if (px[i] == transparente) {
            out[i] = 0xFF00FF;
            continue;
        }
        uint32_t r = (px[i] >> 16) & 0xFF, g = (px[i] >> 8) & 0xFF, b = px[i] & 0xFF;
        uint32_t v = 128 + (r * 30 + g * 59 + b * 11) / 100 / 2;
        out[i] = (v << 16) | (v << 8) | v;
    }
    return out;
}

}  // namespace

TKavoImageListInternal::TKavoImageListInternal(HINSTANCE module) {
    lista_ = ::ImageList_Create(kLado, kLado, ILC_COLOR24 | ILC_MASK, 40, 4);
    if (!lista_) throw Exception("No se puede crear la lista de imágenes");
    try {
        std::vector<Pixeles> originales;
        std::vector<uint32_t> transparentes;
        for (const wchar_t* nombre : kRecursosKavoIMG) {
            HBITMAP h = static_cast<HBITMAP>(
                ::LoadImageW(module, nombre, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
            if (!h) throw Exception("No se encuentra el recurso " + text::Narrow(nombre));
            win::GdiHandle bmp(h);
            Pixeles px = LeerPixeles(h);
            uint32_t transparente = px[(kLado - 1) * kLado];  // bottom-left pixel
            ::ImageList_AddMasked(lista_, h, AColorRef(transparente));
            originales.push_back(std::move(px));
            transparentes.push_back(transparente);
        }
        BaseImageCount = 20;
        for (size_t i = 0; i < originales.size(); ++i) {
            win::GdiHandle bmp = CrearBitmap(Deshabilitada(originales[i], transparentes[i]));
            ::ImageList_AddMasked(lista_, static_cast<HBITMAP>(bmp.get()), kFucsia);
        }
    } catch (...) {
        ::ImageList_Destroy(lista_);
        throw;
    }
}

TKavoImageListInternal::~TKavoImageListInternal() { ::ImageList_Destroy(lista_); }

TKavoImageListInternal& KavoImageList() {
    static TKavoImageListInternal lista;
    return lista;
}
