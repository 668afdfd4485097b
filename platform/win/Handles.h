#pragma once
// Owners of Win32 handles and COM pointers. Logic never calls a close function itself:
// every handle is held by one of these from the moment it is obtained.
//
// Sections: UniqueResource and its traits (kernel, GDI, registry, BSTR, WinINet and CNG
// handles among them); window device context; COM pointer. The OpenGL
// rendering context has its own header (GlContext.h), so that only OpenGL code sees <GL/gl.h>.

#include <windows.h>

#include <bcrypt.h>
#include <wininet.h>

#include <utility>

namespace likenex {

// ---- UniqueResource ------------------------------------------------------------------
// Traits give the handle type, its invalid value and the release call. The invalid value
// belongs to the type: CreateFileW reports failure with INVALID_HANDLE_VALUE and most other
// calls with null, so a result can be stored as it comes and tested with operator bool.
template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() noexcept = default;
    explicit UniqueResource(Type value) noexcept : value_(value) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueResource() { reset(); }

    [[nodiscard]] Type get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    // Gives up ownership, for handles that another owner takes over (a window region
    // handed to SetWindowRgn, say).
    [[nodiscard]] Type release() noexcept { return std::exchange(value_, Traits::invalid()); }

    void reset(Type value = Traits::invalid()) noexcept {
        Type old = std::exchange(value_, value);
        if (old != Traits::invalid()) Traits::close(old);
    }

private:
    Type value_ = Traits::invalid();
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type invalid() { return nullptr; }
    static void close(Type h) { CloseHandle(h); }
};
// Files (CreateFileW) fail with INVALID_HANDLE_VALUE, never null.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Type h) { CloseHandle(h); }
};
struct ModuleTraits {
    using Type = HMODULE;
    static Type invalid() { return nullptr; }
    static void close(Type h) { FreeLibrary(h); }
};
struct RegionTraits {
    using Type = HRGN;
    static Type invalid() { return nullptr; }
    static void close(Type h) { DeleteObject(h); }
};
struct BitmapTraits {
    using Type = HBITMAP;
    static Type invalid() { return nullptr; }
    static void close(Type h) { DeleteObject(h); }
};
struct FontTraits {
    using Type = HFONT;
    static Type invalid() { return nullptr; }
    static void close(Type h) { DeleteObject(h); }
};
struct BrushTraits {
    using Type = HBRUSH;
    static Type invalid() { return nullptr; }
    static void close(Type h) { DeleteObject(h); }
};
struct MemoryDcTraits {
    using Type = HDC;
    static Type invalid() { return nullptr; }
    static void close(Type h) { DeleteDC(h); }
};
struct MenuTraits {
    using Type = HMENU;
    static Type invalid() { return nullptr; }
    static void close(Type h) { DestroyMenu(h); }
};
struct RegistryKeyTraits {
    using Type = HKEY;
    static Type invalid() { return nullptr; }
    static void close(Type h) { RegCloseKey(h); }
};
struct WindowTraits {
    using Type = HWND;
    static Type invalid() { return nullptr; }
    static void close(Type h) { DestroyWindow(h); }
};
// WinSock 1.1 sockets (<winsock.h>, which <windows.h> brings in): closesocket releases the
// handle at once; shut a connection down first when a peer or another thread must see its end.
struct SocketTraits {
    using Type = SOCKET;
    static Type invalid() { return INVALID_SOCKET; }
    static void close(Type s) { closesocket(s); }
};
// A BSTR (SysAllocString): COM's length-prefixed text.
struct BstrTraits {
    using Type = BSTR;
    static Type invalid() { return nullptr; }
    static void close(Type s) { SysFreeString(s); }
};
// A WinINet session, connection or request; link wininet where used.
struct InternetHandleTraits {
    using Type = HINTERNET;
    static Type invalid() { return nullptr; }
    static void close(Type h) { InternetCloseHandle(h); }
};
// CNG algorithm providers, keys and hashes; link bcrypt where used.
struct CngAlgorithmTraits {
    using Type = BCRYPT_ALG_HANDLE;
    static Type invalid() { return nullptr; }
    static void close(Type h) { BCryptCloseAlgorithmProvider(h, 0); }
};
struct CngKeyTraits {
    using Type = BCRYPT_KEY_HANDLE;
    static Type invalid() { return nullptr; }
    static void close(Type h) { BCryptDestroyKey(h); }
};
struct CngHashTraits {
    using Type = BCRYPT_HASH_HANDLE;
    static Type invalid() { return nullptr; }
    static void close(Type h) { BCryptDestroyHash(h); }
};
using UniqueHandle = UniqueResource<KernelHandleTraits>;  // events, semaphores, mappings, threads
using UniqueFile = UniqueResource<FileHandleTraits>;
using UniqueModule = UniqueResource<ModuleTraits>;
using UniqueRegion = UniqueResource<RegionTraits>;
using UniqueBitmap = UniqueResource<BitmapTraits>;
using UniqueFont = UniqueResource<FontTraits>;
using UniqueBrush = UniqueResource<BrushTraits>;
using UniqueMemoryDc = UniqueResource<MemoryDcTraits>;  // a DC of our own (CreateCompatibleDC)
using UniqueMenu = UniqueResource<MenuTraits>;
using UniqueRegistryKey = UniqueResource<RegistryKeyTraits>;
using UniqueWindow = UniqueResource<WindowTraits>;
using UniqueSocket = UniqueResource<SocketTraits>;
using UniqueBstr = UniqueResource<BstrTraits>;  // link oleaut32 where used
using UniqueInternetHandle = UniqueResource<InternetHandleTraits>;
using UniqueCngAlgorithm = UniqueResource<CngAlgorithmTraits>;
using UniqueCngKey = UniqueResource<CngKeyTraits>;
using UniqueCngHash = UniqueResource<CngHashTraits>;

// ---- WindowDc ------------------------------------------------------------------------
// A device context obtained with GetDC, released to its window.
class WindowDc {
public:
    WindowDc() noexcept = default;
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(window ? GetDC(window) : nullptr) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc(WindowDc&& other) noexcept
        : window_(std::exchange(other.window_, nullptr)), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDc& operator=(WindowDc&& other) noexcept {
        if (this != &other) {
            reset();
            window_ = std::exchange(other.window_, nullptr);
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }
    ~WindowDc() { reset(); }

    [[nodiscard]] HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }
    void reset() noexcept {
        if (dc_) ReleaseDC(window_, dc_);
        dc_ = nullptr;
        window_ = nullptr;
    }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// ---- ComPtr --------------------------------------------------------------------------
// Holds one reference to a COM object.
template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    explicit ComPtr(T* p) noexcept : p_(p) {}  // takes over a reference already counted
    ComPtr(const ComPtr& other) noexcept : p_(other.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr& operator=(const ComPtr& other) noexcept {
        if (this != &other) {
            if (other.p_) other.p_->AddRef();
            reset(other.p_);
        }
        return *this;
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) reset(std::exchange(other.p_, nullptr));
        return *this;
    }
    ~ComPtr() { reset(); }

    [[nodiscard]] T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // For functions that hand out a new reference through a T** argument.
    [[nodiscard]] T** put() noexcept {
        reset();
        return &p_;
    }
    void reset(T* p = nullptr) noexcept {
        T* old = std::exchange(p_, p);
        if (old) old->Release();
    }

private:
    T* p_ = nullptr;
};

}  // namespace likenex
