// Owned Win32 handles: one owner, closed on destruction, movable, not
// copyable. Every kernel, find, GDI, window and registry handle the program
// opens lives in one of these.
#pragma once
#include <windows.h>
#include <wininet.h>

#include <utility>

namespace win {

// Traits: the handle type, its "none" value and how to close it.
template <typename Traits>
class UniqueHandle {
    using T = typename Traits::Type;
    static T Invalid() { return Traits::Invalid(); }

public:
    UniqueHandle() = default;
    explicit UniqueHandle(T h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, Invalid()));
        return *this;
    }

    T get() const { return h_; }
    explicit operator bool() const { return h_ != Invalid(); }
    T release() { return std::exchange(h_, Invalid()); }
    void reset(T h = Invalid()) {
        if (h_ != Invalid()) Traits::Close(h_);
        h_ = h;
    }

private:
    T h_ = Invalid();
};

#define KV_HANDLE_TRAITS(Name, HandleType, NoneValue, CloseCall)        \
    struct Name {                                                         \
        using Type = HandleType;                                          \
        static Type Invalid() { return NoneValue; }                       \
        static void Close(Type h) { CloseCall(h); }                       \
    }

// Kernel objects that use INVALID_HANDLE_VALUE as "none" (files, find).
KV_HANDLE_TRAITS(FileTraits, HANDLE, INVALID_HANDLE_VALUE, ::CloseHandle);
KV_HANDLE_TRAITS(FindTraits, HANDLE, INVALID_HANDLE_VALUE, ::FindClose);
// Kernel objects that use nullptr as "none" (processes, threads, events, pipes).
KV_HANDLE_TRAITS(KernelTraits, HANDLE, nullptr, ::CloseHandle);
KV_HANDLE_TRAITS(GdiTraits, HGDIOBJ, nullptr, ::DeleteObject);
KV_HANDLE_TRAITS(MemoryDcTraits, HDC, nullptr, ::DeleteDC);
KV_HANDLE_TRAITS(WindowTraits, HWND, nullptr, ::DestroyWindow);
KV_HANDLE_TRAITS(RegistryTraits, HKEY, nullptr, ::RegCloseKey);
KV_HANDLE_TRAITS(LibraryTraits, HMODULE, nullptr, ::FreeLibrary);
// WinInet sessions and requests (users link wininet).
KV_HANDLE_TRAITS(InternetTraits, HINTERNET, nullptr, ::InternetCloseHandle);
#undef KV_HANDLE_TRAITS

using FileHandle = UniqueHandle<FileTraits>;
using FindHandle = UniqueHandle<FindTraits>;
using KernelHandle = UniqueHandle<KernelTraits>;
using GdiHandle = UniqueHandle<GdiTraits>;
using MemoryDc = UniqueHandle<MemoryDcTraits>;  // CreateCompatibleDC
using WindowHandle = UniqueHandle<WindowTraits>;
using RegistryKey = UniqueHandle<RegistryTraits>;
using Library = UniqueHandle<LibraryTraits>;
using InternetHandle = UniqueHandle<InternetTraits>;

// A system DLL, loaded from System32 only (never from the program's folder).
inline Library LoadSystemLibrary(const wchar_t* name) {
    return Library(::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

}  // namespace win
