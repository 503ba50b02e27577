// The in-house image list: 20 pictures of 16 x 16 from the program's bitmap
// resources, followed by a disabled copy of each (image i + BaseImageCount
// is the disabled form of image i). The thumbnail buttons use 4 to 6.
#pragma once
#include <windows.h>
#include <commctrl.h>

// The resource names, in list order.
extern const wchar_t* const kRecursosKavoIMG[20];

class TKavoImageListInternal {
public:
    // Loads the pictures from module's resources; a missing one raises
    // "No se encuentra el recurso " + its name.
    explicit TKavoImageListInternal(HINSTANCE module = ::GetModuleHandleW(nullptr));
    ~TKavoImageListInternal();
    TKavoImageListInternal(const TKavoImageListInternal&) = delete;
    TKavoImageListInternal& operator=(const TKavoImageListInternal&) = delete;

    HIMAGELIST Handle() const { return lista_; }
    int Count() const { return ::ImageList_GetImageCount(lista_); }
    int BaseImageCount = 0;

private:
    HIMAGELIST lista_ = nullptr;
};

// The one instance, made on first use and kept until the program ends.
TKavoImageListInternal& KavoImageList();
