#include "render/text/GlyphRaster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace likenex {
namespace {

constexpr char16_t kSpace = 32;
constexpr int kSpaceWidth = 5;

struct LibraryDone {
    void operator()(FT_LibraryRec_* library) const { FT_Done_FreeType(library); }
};
struct FaceDone {
    void operator()(FT_FaceRec_* face) const { FT_Done_Face(face); }
};

}  // namespace

// Each face has its library; declared library first, so each face is done before its library.
struct GlyphRaster::Faces {
    struct One {
        std::unique_ptr<FT_LibraryRec_, LibraryDone> library;
        std::unique_ptr<FT_FaceRec_, FaceDone> face;
    };
    One primary;
    One fallback;

    static bool open(const std::string& path, int pixelSize, One& out) {
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) != 0) return false;
        out.library.reset(library);
        FT_Face face = nullptr;
        if (path.empty() || FT_New_Face(library, path.c_str(), 0, &face) != 0) return false;
        out.face.reset(face);
        if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(std::max(pixelSize, 1))) != 0) return false;
        return FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0;
    }
};

GlyphRaster::GlyphRaster() = default;
GlyphRaster::~GlyphRaster() = default;

bool GlyphRaster::open(const std::string& fontFile, const std::string& fallbackFile, int pixelSize) {
    glyphs_.clear();
    auto faces = std::make_unique<Faces>();
    if (!Faces::open(fontFile, pixelSize, faces->primary) || !Faces::open(fallbackFile, pixelSize, faces->fallback)) {
        faces_.reset();
        return false;
    }
    faces_ = std::move(faces);
    return true;
}

bool GlyphRaster::isOpen() const { return faces_ != nullptr; }

const GlyphRaster::Glyph* GlyphRaster::glyph(char16_t c) {
    if (const auto it = glyphs_.find(c); it != glyphs_.end()) return it->second.get();
    std::unique_ptr<Glyph> made;
    GlyphScratch scratch{};
    if (c == kSpace) {
        made = std::make_unique<Glyph>();
        made->record = GlyphRecord{0, kSpaceWidth, kGlyphBlock, 0, 0};
        made->blockWidth = kGlyphBlock;
    } else if (faces_) {
        FT_Face face = faces_->primary.face.get();
        FT_UInt index = FT_Get_Char_Index(face, c);
        if (index == 0) {
            const FT_UInt fallbackIndex = FT_Get_Char_Index(faces_->fallback.face.get(), c);
            if (fallbackIndex != 0) face = faces_->fallback.face.get(), index = fallbackIndex;
        }
        if (index != 0 && FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_MONOCHROME) == 0) {
            const FT_GlyphSlot slot = face->glyph;
            const FT_Bitmap& bitmap = slot->bitmap;
            made = std::make_unique<Glyph>();
            made->record = GlyphRecord{0, static_cast<std::int32_t>(bitmap.width),
                                       static_cast<std::int32_t>(bitmap.rows), slot->bitmap_left, slot->bitmap_top};
            made->blockWidth = blockWidthFor(made->record.width);
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                expandMonoBitmap(MonoBitmap{bitmap.buffer, made->record.width, made->record.rows, bitmap.pitch},
                                 made->blockWidth, scratch);
        }
    }
    if (made) made->pixels = blockToCharacterPixels(scratch, made->blockWidth);
    return glyphs_.emplace(c, std::move(made)).first->second.get();
}

int GlyphRaster::widthOf(const std::u16string& text, int count) {
    std::vector<GlyphRecord> records;
    for (const char16_t c : text)
        if (const Glyph* g = glyph(c)) records.push_back(g->record);
    return laidOutWidth(records, count, 0);
}

}  // namespace likenex
