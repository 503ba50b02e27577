// The image list: 20 pictures from the resources plus their disabled forms.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

#include "Exception.h"
#include "KavoIMG.h"

namespace {

// Image i drawn transparently on white; top-down 0x00RRGGBB pixels.
std::vector<uint32_t> Dibujar(int i) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = -16;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bmp = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bmp);
    RECT r = {0, 0, 16, 16};
    ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::ImageList_Draw(KavoImageList().Handle(), i, dc, 0, 0, ILD_TRANSPARENT);
    ::GdiFlush();
    std::vector<uint32_t> px(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + 256);
    for (uint32_t& p : px) p &= 0xFFFFFF;
    ::SelectObject(dc, old);
    ::DeleteObject(bmp);
    ::DeleteDC(dc);
    return px;
}

bool Gris(uint32_t p) { return (p >> 16 & 0xFF) == (p >> 8 & 0xFF) && (p >> 8 & 0xFF) == (p & 0xFF); }

TEST(KavoIMG, HoldsTwentyPicturesAndTheirDisabledForms) {
    EXPECT_EQ(KavoImageList().BaseImageCount, 20);
    EXPECT_EQ(KavoImageList().Count(), 40);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(KavoImageList().Handle(), &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);

    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        std::vector<uint32_t> normal = Dibujar(i), deshabilitada = Dibujar(i + 20);
        int visibles = 0;
        for (int p = 0; p < 256; ++p) {
            // Same shape: transparent exactly where the picture is, grey elsewhere.
            EXPECT_EQ(normal[p] == 0xFFFFFF, deshabilitada[p] == 0xFFFFFF) << p;
            if (normal[p] != 0xFFFFFF) {
                ++visibles;
                EXPECT_TRUE(Gris(deshabilitada[p])) << p;
            }
        }
        EXPECT_GT(visibles, 10);  // a picture, not an empty square
        EXPECT_NE(normal[0], 0xFF00FF);  // the fuchsia is transparent, never shown
        EXPECT_EQ(normal[15 * 16], 0xFFFFFFu);  // bottom-left is the transparent colour
    }
    // The button pictures are in colour; their disabled forms are not.
    int coloured = 0;
    for (uint32_t p : Dibujar(4)) coloured += p != 0xFFFFFF && !Gris(p);
    EXPECT_GT(coloured, 50);
}

TEST(KavoIMG, MissingPictureStopsTheList) {
    try {
        TKavoImageListInternal lista(::GetModuleHandleW(L"kernel32.dll"));
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "No se encuentra el recurso _EDITSBF2N_");
    }
}

}  // namespace
