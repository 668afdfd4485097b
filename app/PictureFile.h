#pragma once
// Exported pictures on disk: a 96 by 96 picture written as a BMP with GDI+ into the program's
// photo folder, named after the tick count, so that two exports in one tick write one file.

#include "screens/PictureStore.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace likenex {

// `pixels` are BGRA, top row first, width * height * 4 bytes. Creates the folder when it is
// missing; the written file's path, or nothing when the folder or file cannot be written.
[[nodiscard]] std::optional<std::wstring> writeBmpWithGdiPlus(const std::wstring& folder, int width, int height,
                                                              std::span<const std::uint8_t> pixels);

// The program's picture store: the photo folder of the program directory, which start-up
// names once the directory is known.
class PictureFolder final : public PictureStore {
public:
    void setFolder(std::wstring folder) { folder_ = std::move(folder); }

    [[nodiscard]] std::wstring pictureFolder() const override { return folder_; }
    [[nodiscard]] std::optional<std::wstring> writePicture(std::span<const std::uint8_t> pixels) override;
    [[nodiscard]] bool writeFile(const std::wstring& path, std::span<const std::uint8_t> bytes) override;

private:
    std::wstring folder_;
};

}  // namespace likenex
