// The Windows build links Debian's FreeType: open a font through its Wine path and render a glyph.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(Freetype, RendersAMonochromeGlyphFromAFontFile) {
    FT_Library rawLibrary = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&rawLibrary), 0);
    std::unique_ptr<FT_LibraryRec_, decltype(&FT_Done_FreeType)> library(rawLibrary, FT_Done_FreeType);
    FT_Face rawFace = nullptr;
    ASSERT_EQ(FT_New_Face(library.get(), LIKENEX_TEST_FONT, 0, &rawFace), 0) << LIKENEX_TEST_FONT;
    std::unique_ptr<FT_FaceRec_, decltype(&FT_Done_Face)> face(rawFace, FT_Done_Face);

    ASSERT_EQ(FT_Set_Pixel_Sizes(face.get(), 0, 16), 0);
    ASSERT_EQ(FT_Select_Charmap(face.get(), FT_ENCODING_UNICODE), 0);
    const FT_UInt glyph = FT_Get_Char_Index(face.get(), U'A');
    ASSERT_NE(glyph, 0u);
    ASSERT_EQ(FT_Load_Glyph(face.get(), glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO), 0);
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    EXPECT_EQ(bitmap.pixel_mode, FT_PIXEL_MODE_MONO);
    int setBits = 0;
    for (unsigned y = 0; y < bitmap.rows; ++y)
        for (unsigned x = 0; x < bitmap.width; ++x)
            setBits += bitmap.buffer[y * static_cast<unsigned>(bitmap.pitch) + x / 8] >> (7 - x % 8) & 1;
    EXPECT_GT(bitmap.width * bitmap.rows, 50u);
    EXPECT_GT(setBits, 10);
}

}  // namespace
