// Engines shared by pixel size: the first creation's engine serves every later holder of the
// size, and the last release destroys it.

#include "render/text/TextEngine.h"

#include <gtest/gtest.h>

#include <string>

namespace likenex {
namespace {

class FakeEngine final : public TextEngine {
public:
    FakeEngine(std::wstring file, int& alive) : file(std::move(file)), alive(alive) { ++alive; }
    ~FakeEngine() override { --alive; }
    TextEngineKind kind() const override { return TextEngineKind::GlyphTextures; }
    void setText(std::wstring_view) override {}
    void draw(int, int, const Colour&) override {}
    int textWidth() override { return 0; }
    int textWidthOf(int) override { return 0; }

    std::wstring file;
    int& alive;
};

TEST(TextEngineRegistry, OneEnginePerSizeUntilTheLastHolderReleases) {
    TextEngineRegistry registry;
    int alive = 0, made = 0;
    auto maker = [&](std::wstring file) {
        return [&, file]() -> std::unique_ptr<TextEngine> {
            ++made;
            return std::make_unique<FakeEngine>(file, alive);
        };
    };
    TextEngine* first = registry.acquire(12, maker(L"mingliu.ttc"));
    TextEngine* second = registry.acquire(12, maker(L"SSERIFE.FON"));
    TextEngine* other = registry.acquire(11, maker(L"SSERIFE.FON"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, other);
    EXPECT_EQ(made, 2);
    EXPECT_EQ(static_cast<FakeEngine*>(second)->file, L"mingliu.ttc");  // the first creation's font wins
    EXPECT_EQ(registry.holders(12), 2);

    registry.release(12);
    EXPECT_EQ(registry.find(12), first);
    EXPECT_EQ(alive, 2);
    registry.release(12);
    EXPECT_EQ(registry.find(12), nullptr);
    EXPECT_EQ(alive, 1);
    registry.release(12);  // no holder left: ignored
    registry.release(13);
    EXPECT_EQ(registry.holders(11), 1);

    // A new creation after the last release makes a new engine with its own font.
    TextEngine* again = registry.acquire(12, maker(L"MSGOTHIC.TTC"));
    EXPECT_EQ(static_cast<FakeEngine*>(again)->file, L"MSGOTHIC.TTC");
    registry.release(12);
    registry.release(11);
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(registry.size(), 0u);
}

TEST(TextEngineRegistry, AFailedCreationEntersNothing) {
    TextEngineRegistry registry;
    EXPECT_EQ(registry.acquire(12, [] { return std::unique_ptr<TextEngine>(); }), nullptr);
    EXPECT_EQ(registry.acquire(12, nullptr), nullptr);
    EXPECT_EQ(registry.size(), 0u);
    EXPECT_EQ(registry.holders(12), 0);
}

TEST(TextEngineRegistry, FaceNameIsTheFileNameWithoutItsExtension) {
    EXPECT_EQ(faceNameFromFontFile(L"MSGOTHIC.TTC"), L"MSGOTHIC");
    EXPECT_EQ(faceNameFromFontFile(L"mingliu.ttc"), L"mingliu");
    EXPECT_EQ(faceNameFromFontFile(L".ttc"), L"");
    EXPECT_EQ(faceNameFromFontFile(L"a"), L"");
}

}  // namespace
}  // namespace likenex
