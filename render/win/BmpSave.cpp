#include "render/win/BmpSave.h"

#include "platform/win/Handles.h"
#include "render/BmpFile.h"

#include <windows.h>

#include <algorithm>

namespace likenex {

bool saveBmp32(const wchar_t* path, int width, int height, std::span<const std::uint8_t> bottomUpBgra) {
    if (!path) return false;
    const std::vector<std::uint8_t> file = encodeBmp32(width, height, bottomUpBgra);
    if (file.empty()) return false;

    const UniqueFile handle(
        CreateFileW(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return false;

    std::size_t written = 0;
    while (written < file.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(file.size() - written, 1u << 30));
        DWORD done = 0;
        if (!WriteFile(handle.get(), file.data() + written, chunk, &done, nullptr) || done == 0) return false;
        written += done;
    }
    return true;
}

}  // namespace likenex
