#include "render/text/win/Fonts.h"

#include "render/text/FontFiles.h"

#include <windows.h>

namespace likenex {

FontFolders defaultFontFolders() {
    FontFolders folders;
    wchar_t windows[1000] = {};
    const UINT length = GetWindowsDirectoryW(windows, 1000);
    if (length > 0 && length < 1000) folders.windowsFonts = std::wstring(windows, length) + L"\\Fonts\\";

    // Long program paths do not fit MAX_PATH; grow until the whole name fits.
    std::wstring module(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got = GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
        if (got == 0) return folders;
        if (got < module.size()) {
            module.resize(got);
            break;
        }
        module.resize(module.size() * 2);
    }
    const std::size_t slash = module.find_last_of(L"\\/");
    if (slash != std::wstring::npos) folders.programFonts = module.substr(0, slash + 1) + L"fonts\\";
    return folders;
}

std::wstring resolveFontPath(std::wstring_view fontFile, const FontFolders& folders) {
    return resolveFontPathIn(fontFile, folders.windowsFonts, folders.programFonts);
}

}  // namespace likenex
