#pragma once
// Glyph pictures as the text engines keep them: a monochrome FreeType bitmap expanded into a
// 16 x 16 block of luminance-alpha pixels, and the per-character cache that holds the blocks'
// textures between layouts. Nothing here touches FreeType or a renderer, so the bit expansion,
// the widths and the cache's ageing are checked natively.

#include "render/RenderContext.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace likenex {

inline constexpr int kGlyphBlock = 16;  // every glyph texture is 16 x 16

// Cached glyphs unused for this long (or longer) are dropped at the next layout.
inline constexpr std::uint32_t kGlyphEvictAfterMs = 180001;

struct GlyphRecord {
    TextureHandle texture = 0;  // 0: nothing to draw (the pen still advances)
    std::int32_t width = 0;     // bitmap width
    std::int32_t rows = 0;      // bitmap rows
    std::int32_t left = 0;      // left bearing
    std::int32_t top = 0;       // top bearing: rows above the baseline

    friend bool operator==(const GlyphRecord&, const GlyphRecord&) = default;
};

// One glyph as 16 x 16 luminance-alpha pixels, row r at byte r * 2 * blockWidth, top row first.
using GlyphScratch = std::array<std::uint8_t, kGlyphBlock * kGlyphBlock * 2>;

// A monochrome bitmap as FreeType hands it over: rows top first, pitch bytes apart, the
// leftmost pixel in the top bit.
struct MonoBitmap {
    const std::uint8_t* buffer = nullptr;
    std::int32_t width = 0;
    std::int32_t rows = 0;
    std::int32_t pitch = 0;
};

// The smallest power of two not below the bitmap width, at least 1. Widths beyond the block
// give 16: what lies past the block is clipped.
[[nodiscard]] int blockWidthFor(int bitmapWidth);

// Clears the scratch and writes the bitmap into it, set pixels as 255, 255, clipped to the
// block width and 16 rows. A bitmap whose pitch cannot hold its width, or that has no buffer,
// is read only as far as its bytes go (nothing, without a buffer).
void expandMonoBitmap(const MonoBitmap& bitmap, int blockWidth, GlyphScratch& scratch);

// The scratch as a 16 x 16 texture for createTexture: blue, green, red = luminance, alpha =
// alpha, bottom row first. Columns past blockWidth are transparent.
[[nodiscard]] std::vector<std::uint8_t> blockToTexturePixels(const GlyphScratch& scratch, int blockWidth);

// The scratch as blockWidth x 16 pixels of four equal luminance bytes, bottom row first: what
// the snapshot blends into its canvas.
[[nodiscard]] std::vector<std::uint8_t> blockToCharacterPixels(const GlyphScratch& scratch, int blockWidth);

// The width of the first n records: width + left bearing + spacing each. n <= 0 gives 0; n
// beyond the records gives the whole width.
[[nodiscard]] int laidOutWidth(const std::vector<GlyphRecord>& records, int n, int spacing);

// Glyph records by UTF-16 code unit with their last use in milliseconds. Times are a wrapping
// 32-bit millisecond count, so ages are taken modulo 2^32.
class GlyphCache {
public:
    // The record of c, marking it used now; null when c is not cached.
    [[nodiscard]] const GlyphRecord* use(char16_t c, std::uint32_t now);
    void insert(char16_t c, const GlyphRecord& record, std::uint32_t now);
    // Drops every glyph last used kGlyphEvictAfterMs or more before now, handing each record
    // to release (to free its texture) first.
    void evict(std::uint32_t now, const std::function<void(GlyphRecord&)>& release);
    // Hands every record to release and empties the cache.
    void clear(const std::function<void(GlyphRecord&)>& release);

    [[nodiscard]] bool contains(char16_t c) const { return entries_.count(c) != 0; }
    [[nodiscard]] std::size_t size() const { return entries_.size(); }

private:
    struct Entry {
        GlyphRecord record;
        std::uint32_t lastUse = 0;
    };
    std::map<char16_t, Entry> entries_;
};

}  // namespace likenex
