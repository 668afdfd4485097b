#include "platform/win/Clipboard.h"

#include "platform/win/Handles.h"

#include <windows.h>

#include <cstring>

namespace likenex {
namespace {

// The clipboard, open for the life of this object.
class OpenClipboardScope {
public:
    OpenClipboardScope() : open_(OpenClipboard(nullptr) != FALSE) {}
    ~OpenClipboardScope() {
        if (open_) CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    explicit operator bool() const { return open_; }

private:
    bool open_;
};

struct GlobalMemoryTraits {
    using Type = HGLOBAL;
    static Type invalid() { return nullptr; }
    static void close(Type h) { GlobalFree(h); }
};
using UniqueGlobalMemory = UniqueResource<GlobalMemoryTraits>;

// A locked global memory block, unlocked when this ends.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL memory) : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
    ~GlobalLockScope() {
        if (data_) GlobalUnlock(memory_);
    }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    [[nodiscard]] void* data() const { return data_; }

private:
    HGLOBAL memory_;
    void* data_;
};

}  // namespace

bool putClipboardText(std::wstring_view text) {
    OpenClipboardScope clipboard;
    if (!clipboard || !EmptyClipboard()) return false;
    UniqueGlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
    if (!memory) return false;
    {
        GlobalLockScope lock(memory.get());
        if (!lock.data()) return false;
        auto* units = static_cast<wchar_t*>(lock.data());
        std::memcpy(units, text.data(), text.size() * sizeof(wchar_t));
        units[text.size()] = L'\0';
    }
    if (!SetClipboardData(CF_UNICODETEXT, memory.get())) return false;
    // The clipboard owns the memory from here on.
    (void)memory.release();
    return true;
}

std::optional<std::wstring> clipboardText() {
    OpenClipboardScope clipboard;
    if (!clipboard) return std::nullopt;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return std::nullopt;
    GlobalLockScope lock(data);
    if (!lock.data()) return std::nullopt;
    // The block's size bounds the text: a missing terminator never makes us read past it.
    const SIZE_T units = GlobalSize(data) / sizeof(wchar_t);
    const auto* text = static_cast<const wchar_t*>(lock.data());
    std::size_t length = 0;
    while (length < units && text[length] != L'\0') ++length;
    return std::wstring(text, length);
}

}  // namespace likenex
