// Engines shared by pixel size and font file: the first creation's engine serves every later
// holder of the pair, and the last release destroys it.

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

// Makes engines that remember their file, counting those made and those alive.
struct Maker {
    TextEngineRegistry::Factory operator()(std::wstring file) {
        return [this, file]() -> std::unique_ptr<TextEngine> {
            ++made;
            return std::make_unique<FakeEngine>(file, alive);
        };
    }
    int alive = 0, made = 0;
};

std::wstring fileOf(TextEngine* engine) { return static_cast<FakeEngine*>(engine)->file; }

TEST(TextEngineRegistry, OneEnginePerSizeAndFileUntilTheLastHolderReleases) {
    TextEngineRegistry registry;
    Maker maker;
    TextEngine* first = registry.acquire(12, L"mingliu.ttc", maker(L"mingliu.ttc"));
    TextEngine* second = registry.acquire(12, L"MINGLIU.TTC", maker(L"MINGLIU.TTC"));
    TextEngine* other = registry.acquire(11, L"mingliu.ttc", maker(L"mingliu.ttc"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second) << "file names are compared as Windows compares them";
    EXPECT_NE(first, other);
    EXPECT_EQ(maker.made, 2);
    EXPECT_EQ(registry.holders(12, L"mingliu.ttc"), 2);

    registry.release(12, L"mingliu.TTC");
    EXPECT_EQ(registry.find(12, L"mingliu.ttc"), first);
    EXPECT_EQ(maker.alive, 2);
    registry.release(12, L"mingliu.ttc");
    EXPECT_EQ(registry.find(12, L"mingliu.ttc"), nullptr);
    EXPECT_EQ(maker.alive, 1);
    registry.release(12, L"mingliu.ttc");  // no holder left: ignored
    registry.release(11, L"SSERIFE.FON");  // never entered: ignored
    registry.release(13, L"mingliu.ttc");
    EXPECT_EQ(registry.holders(11, L"mingliu.ttc"), 1);
    registry.release(11, L"mingliu.ttc");
    EXPECT_EQ(maker.alive, 0);
    EXPECT_EQ(registry.size(), 0u);
}

// A change of language: every holder of a size makes its renderer again with the new file,
// one after another, so the size never drops to no holders. Each must get the new file's
// engine at once, and the old one must go with its last holder.
TEST(TextEngineRegistry, RenderersMadeAgainWithAnotherFileGetThatFileAtOnce) {
    TextEngineRegistry registry;
    Maker maker;
    constexpr int kHolders = 3;
    for (int i = 0; i < kHolders; ++i) ASSERT_NE(registry.acquire(12, L"mingliu.TTC", maker(L"mingliu.TTC")), nullptr);
    for (int i = 0; i < kHolders; ++i) {
        registry.release(12, L"mingliu.TTC");
        TextEngine* engine = registry.acquire(12, L"SSERIFE.FON", maker(L"SSERIFE.FON"));
        ASSERT_NE(engine, nullptr);
        EXPECT_EQ(fileOf(engine), L"SSERIFE.FON") << "holder " << i;
    }
    EXPECT_EQ(registry.find(12, L"mingliu.TTC"), nullptr) << "the old file's engine went with its last holder";
    EXPECT_EQ(registry.holders(12, L"SSERIFE.FON"), kHolders);
    EXPECT_EQ(registry.enginesOfSize(12), 1u);
    EXPECT_EQ(maker.alive, 1);
    for (int i = 0; i < kHolders; ++i) registry.release(12, L"SSERIFE.FON");
    EXPECT_EQ(maker.alive, 0);
}

TEST(TextEngineRegistry, AFailedCreationEntersNothing) {
    TextEngineRegistry registry;
    EXPECT_EQ(registry.acquire(12, L"a.ttf", [] { return std::unique_ptr<TextEngine>(); }), nullptr);
    EXPECT_EQ(registry.acquire(12, L"a.ttf", nullptr), nullptr);
    EXPECT_EQ(registry.size(), 0u);
    EXPECT_EQ(registry.holders(12, L"a.ttf"), 0);
}

TEST(TextEngineRegistry, FaceNameIsTheFileNameWithoutItsExtension) {
    EXPECT_EQ(faceNameFromFontFile(L"MSGOTHIC.TTC"), L"MSGOTHIC");
    EXPECT_EQ(faceNameFromFontFile(L"mingliu.ttc"), L"mingliu");
    EXPECT_EQ(faceNameFromFontFile(L".ttc"), L"");
    EXPECT_EQ(faceNameFromFontFile(L"a"), L"");
}

}  // namespace
}  // namespace likenex
