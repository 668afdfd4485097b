#pragma once
// The exported pictures: the folder they go to, the writing of their files, and what the
// picture screen replays and offers to the chat client. The editor fills the picture list
// before it opens the picture screen; the list and the last picture's path outlive the screen.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace likenex {

// The avatar's actions, one entry per step of its script, in order.
struct PictureEntry {
    std::uint16_t action = 0;
    std::u16string caption;
};

class PictureStore {
public:
    virtual ~PictureStore() = default;

    [[nodiscard]] std::vector<PictureEntry>& pictureList() { return pictureList_; }
    [[nodiscard]] std::wstring& lastPicturePath() { return lastPicturePath_; }

    // Where exported pictures go: the program directory's photo folder.
    [[nodiscard]] virtual std::wstring pictureFolder() const = 0;
    // Writes a 96 by 96 picture (BGRA, top row first) into the picture folder as a BMP named
    // after the tick count; its path, or nothing when the folder or file cannot be written.
    [[nodiscard]] virtual std::optional<std::wstring> writePicture(std::span<const std::uint8_t> pixels) = 0;
    // Writes a file whole (the export's other pictures); false when it cannot be written.
    [[nodiscard]] virtual bool writeFile(const std::wstring& path, std::span<const std::uint8_t> bytes) = 0;

private:
    std::vector<PictureEntry> pictureList_;
    std::wstring lastPicturePath_;
};

}  // namespace likenex
