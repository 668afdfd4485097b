#include "app/PictureFile.h"

#include "platform/win/Handles.h"
#include "screens/PictureScreen.h"

#include <windows.h>
// GDI+ needs the min and max of <windows.h>'s era, which NOMINMAX hides.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include <cstdio>
#include <vector>

namespace likenex {
namespace {

// GDI+ for the life of one export.
class GdiPlusSession {
public:
    GdiPlusSession() {
        Gdiplus::GdiplusStartupInput input;
        ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiPlusSession() {
        if (ok_) Gdiplus::GdiplusShutdown(token_);
    }
    GdiPlusSession(const GdiPlusSession&) = delete;
    GdiPlusSession& operator=(const GdiPlusSession&) = delete;
    [[nodiscard]] bool ok() const { return ok_; }

private:
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};

std::optional<CLSID> encoderFor(const wchar_t* mimeType) {
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return std::nullopt;
    std::vector<std::uint8_t> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return std::nullopt;
    for (UINT i = 0; i < count; ++i)
        if (codecs[i].MimeType && wcscmp(codecs[i].MimeType, mimeType) == 0) return codecs[i].Clsid;
    return std::nullopt;
}

}  // namespace

std::optional<std::wstring> writeBmpWithGdiPlus(const std::wstring& folder, int width, int height,
                                                std::span<const std::uint8_t> pixels) {
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<std::size_t>(width) * height * 4) return std::nullopt;
    if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES && !CreateDirectoryW(folder.c_str(), nullptr))
        return std::nullopt;
    wchar_t name[32];
    std::swprintf(name, 32, L"tovik_%ld.bmp", static_cast<long>(GetTickCount()));
    const std::wstring path = folder + L"\\" + name;

    const GdiPlusSession session;
    if (!session.ok()) return std::nullopt;
    Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData locked{};
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &locked) != Gdiplus::Ok)
        return std::nullopt;
    for (int row = 0; row < height; ++row)
        std::copy_n(pixels.data() + static_cast<std::size_t>(row) * width * 4, static_cast<std::size_t>(width) * 4,
                    static_cast<std::uint8_t*>(locked.Scan0) + static_cast<std::ptrdiff_t>(row) * locked.Stride);
    if (bitmap.UnlockBits(&locked) != Gdiplus::Ok) return std::nullopt;
    const std::optional<CLSID> bmp = encoderFor(L"image/bmp");
    if (!bmp || bitmap.Save(path.c_str(), &*bmp, nullptr) != Gdiplus::Ok) return std::nullopt;
    return path;
}

std::optional<std::wstring> PictureFolder::writePicture(std::span<const std::uint8_t> pixels) {
    return writeBmpWithGdiPlus(folder_, kExportSize, kExportSize, pixels);
}

bool PictureFolder::writeFile(const std::wstring& path, std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return false;
    UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace likenex
