#include "render/text/GlyphBlock.h"

#include <algorithm>

namespace likenex {

int blockWidthFor(int bitmapWidth) {
    int width = 1;
    while (width < bitmapWidth && width < kGlyphBlock) width *= 2;
    return width;
}

void expandMonoBitmap(const MonoBitmap& bitmap, int blockWidth, GlyphScratch& scratch) {
    scratch.fill(0);
    if (!bitmap.buffer || bitmap.pitch <= 0) return;
    blockWidth = std::clamp(blockWidth, 1, kGlyphBlock);
    const int rows = std::min(bitmap.rows, kGlyphBlock);
    const int columns = std::min({bitmap.width, blockWidth, bitmap.pitch * 8});
    for (int r = 0; r < rows; ++r) {
        const std::uint8_t* row = bitmap.buffer + static_cast<std::ptrdiff_t>(r) * bitmap.pitch;
        for (int i = 0; i < columns; ++i) {
            if ((row[i / 8] >> (7 - i % 8) & 1) == 0) continue;
            const std::size_t at = static_cast<std::size_t>(r) * 2 * blockWidth + 2 * i;
            scratch[at] = 255;
            scratch[at + 1] = 255;
        }
    }
}

std::vector<std::uint8_t> blockToTexturePixels(const GlyphScratch& scratch, int blockWidth) {
    blockWidth = std::clamp(blockWidth, 1, kGlyphBlock);
    std::vector<std::uint8_t> pixels(kGlyphBlock * kGlyphBlock * 4, 0);
    for (int r = 0; r < kGlyphBlock; ++r)
        for (int i = 0; i < blockWidth; ++i) {
            const std::size_t from = static_cast<std::size_t>(r) * 2 * blockWidth + 2 * i;
            std::uint8_t* to = &pixels[(static_cast<std::size_t>(kGlyphBlock - 1 - r) * kGlyphBlock + i) * 4];
            to[0] = to[1] = to[2] = scratch[from];
            to[3] = scratch[from + 1];
        }
    return pixels;
}

std::vector<std::uint8_t> blockToCharacterPixels(const GlyphScratch& scratch, int blockWidth) {
    blockWidth = std::clamp(blockWidth, 1, kGlyphBlock);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(blockWidth) * kGlyphBlock * 4, 0);
    for (int r = 0; r < kGlyphBlock; ++r)
        for (int i = 0; i < blockWidth; ++i) {
            const std::uint8_t luminance = scratch[static_cast<std::size_t>(r) * 2 * blockWidth + 2 * i];
            std::uint8_t* to = &pixels[(static_cast<std::size_t>(kGlyphBlock - 1 - r) * blockWidth + i) * 4];
            to[0] = to[1] = to[2] = to[3] = luminance;
        }
    return pixels;
}

int laidOutWidth(const std::vector<GlyphRecord>& records, int n, int spacing) {
    const std::size_t count = n <= 0 ? 0 : std::min(records.size(), static_cast<std::size_t>(n));
    int width = 0;
    for (std::size_t i = 0; i < count; ++i) width += records[i].width + records[i].left + spacing;
    return width;
}

const GlyphRecord* GlyphCache::use(char16_t c, std::uint32_t now) {
    auto found = entries_.find(c);
    if (found == entries_.end()) return nullptr;
    found->second.lastUse = now;
    return &found->second.record;
}

void GlyphCache::insert(char16_t c, const GlyphRecord& record, std::uint32_t now) { entries_[c] = Entry{record, now}; }

void GlyphCache::evict(std::uint32_t now, const std::function<void(GlyphRecord&)>& release) {
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (static_cast<std::uint32_t>(now - it->second.lastUse) >= kGlyphEvictAfterMs) {
            release(it->second.record);
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

void GlyphCache::clear(const std::function<void(GlyphRecord&)>& release) {
    for (auto& [c, entry] : entries_) release(entry.record);
    entries_.clear();
}

}  // namespace likenex
