#include "render/text/win/GlyphFont.h"

#include "platform/win/CodePage.h"
#include "render/Painter.h"

#include <windows.h>

#include <mmsystem.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <optional>

namespace likenex {
namespace {

constexpr char16_t kSpace = 32;
constexpr int kSpaceWidth = 5;
constexpr wchar_t kFallbackFontFile[] = L"mingliu.ttc";

std::uint32_t systemMilliseconds() { return timeGetTime(); }

// FreeType opens files by narrow name: the path in the ANSI code page, or its short form when
// the ANSI code page cannot spell it.
std::string narrowPath(const std::wstring& path) {
    const CodePage& page = systemCodePage();
    if (std::optional<std::string> narrow = page.fromWideExact(path)) return *narrow;
    std::wstring shortPath(MAX_PATH, L'\0');
    const DWORD got = GetShortPathNameW(path.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
    if (got == 0 || got >= shortPath.size()) return {};
    shortPath.resize(got);
    return page.fromWideExact(shortPath).value_or(std::string());
}

}  // namespace

void GlyphFont::releaseTexture(GlyphRecord& record) {
    if (record.texture != 0 && painter_.isTexture(&record.texture)) painter_.releaseTexture(&record.texture);
    record.texture = 0;
}

void GlyphFont::LibraryDone::operator()(FT_LibraryRec_* library) const { FT_Done_FreeType(library); }
void GlyphFont::FaceDone::operator()(FT_FaceRec_* face) const { FT_Done_Face(face); }

GlyphFont::GlyphFont(Painter& painter, const FontFolders& folders, MillisecondClock clock)
    : painter_(painter), folders_(folders), clock_(clock ? clock : systemMilliseconds) {}

GlyphFont::~GlyphFont() { close(); }

bool GlyphFont::openFace(const std::wstring& path, int pixelSize, OpenFace& out) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return false;
    out.library.reset(library);
    if (path.empty()) return false;
    FT_Face face = nullptr;
    if (FT_New_Face(library, narrowPath(path).c_str(), 0, &face) != 0) return false;
    out.face.reset(face);
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(std::max(pixelSize, 1))) != 0) return false;
    return FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0;
}

bool GlyphFont::open(std::wstring_view fontFile, int pixelSize) {
    close();
    pixelSize_ = pixelSize;
    fontPath_ = resolveFontPath(fontFile, folders_);
    if (!openFace(fontPath_, pixelSize, primary_) ||
        !openFace(resolveFontPath(kFallbackFontFile, folders_), pixelSize, fallback_)) {
        close();
        return false;
    }
    scratch_.fill(0);
    return true;
}

void GlyphFont::close() {
    cache_.clear([this](GlyphRecord& record) { releaseTexture(record); });
    laidOut_.clear();
    text_.clear();
    primary_.face.reset();
    primary_.library.reset();
    fallback_.face.reset();
    fallback_.library.reset();
}

bool GlyphFont::isOpen() const { return primary_.face && fallback_.face; }

bool GlyphFont::renderIntoScratch(char16_t c, GlyphRecord& record, int& blockWidth) {
    scratch_.fill(0);
    if (c == kSpace) {
        record = GlyphRecord{0, kSpaceWidth, kGlyphBlock, 0, 0};
        blockWidth = kGlyphBlock;
        return true;
    }
    if (!isOpen()) return false;
    FT_Face face = primary_.face.get();
    FT_UInt index = FT_Get_Char_Index(face, c);
    if (index == 0) {
        const FT_UInt fallbackIndex = FT_Get_Char_Index(fallback_.face.get(), c);
        if (fallbackIndex != 0) face = fallback_.face.get(), index = fallbackIndex;
    }
    // In neither face: the character is left out, as one that fails to load.
    if (index == 0) return false;
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_MONOCHROME) != 0) return false;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    record = GlyphRecord{0, static_cast<std::int32_t>(bitmap.width), static_cast<std::int32_t>(bitmap.rows),
                         slot->bitmap_left, slot->bitmap_top};
    blockWidth = blockWidthFor(record.width);
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
        expandMonoBitmap(MonoBitmap{bitmap.buffer, record.width, record.rows, bitmap.pitch}, blockWidth, scratch_);
    return true;
}

void GlyphFont::layOut(std::wstring_view text) {
    text_.assign(text);
    const std::uint32_t now = clock_();
    cache_.evict(now, [this](GlyphRecord& record) { releaseTexture(record); });
    laidOut_.clear();
    for (const wchar_t character : text_) {
        const auto c = static_cast<char16_t>(character);
        if (const GlyphRecord* cached = cache_.use(c, now)) {
            laidOut_.push_back(*cached);
            continue;
        }
        GlyphRecord record;
        int blockWidth = 1;
        if (!renderIntoScratch(c, record, blockWidth)) continue;
        const std::vector<std::uint8_t> pixels = blockToTexturePixels(scratch_, blockWidth);
        if (painter_.createTexture(&record.texture, kGlyphBlock, kGlyphBlock, pixels.data()) != 0) record.texture = 0;
        cache_.insert(c, record, now);
        laidOut_.push_back(record);
    }
}

void GlyphFont::drawLaidOut(int x, int y, const Colour& colour) const {
    painter_.setColour(colour);
    int pen = 0;
    for (const GlyphRecord& record : laidOut_) {
        if (record.texture != 0) {
            // The block is stored bottom row first, so the glyph's top row is at t = 1 and its
            // last row ends at t = 1 - rows / 16. Bitmaps beyond the block were clipped to it.
            const int width = std::min(record.width, kGlyphBlock);
            const int rows = std::min(record.rows, kGlyphBlock);
            const int left = x + pen, top = y - record.top;
            painter_.drawTexture(&record.texture, 0.0f, 1.0f - rows / 16.0f, width / 16.0f, 1.0f, left, top,
                                 left + width, top + rows);
        }
        pen += record.width + record.left + spacing_;
    }
}

int GlyphFont::textWidth() { return laidOutWidth(laidOut_, static_cast<int>(laidOut_.size()), spacing_); }

int GlyphFont::textWidthOf(int n) { return laidOutWidth(laidOut_, n, spacing_); }

bool GlyphFont::renderCharacter(char16_t c, std::vector<std::uint8_t>& pixels, int& width, int& height, int& advance) {
    GlyphRecord record;
    int blockWidth = 1;
    if (!renderIntoScratch(c, record, blockWidth)) return false;
    pixels = blockToCharacterPixels(scratch_, blockWidth);
    width = blockWidth;
    height = kGlyphBlock;
    advance = spacing_ + record.left + record.width;
    return true;
}

}  // namespace likenex
