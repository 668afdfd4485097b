#pragma once
// Shared pieces of the back-end tests: a 654 x 537 popup window like the editor's, a fixture
// that runs one back end in it, and reading back what was drawn.

#include "platform/win/Handles.h"
#include "platform/win/MessageBox.h"
#include "render/Painter.h"
#include "render/win/RendererStart.h"
#include "test_support/BmpDecode.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace likenex::test {

inline constexpr int kWidth = 654, kHeight = 537;
inline constexpr std::uint32_t kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;
inline constexpr std::uint32_t kTeal = 0xFF2090C0u, kOrange = 0xFFF08010u;

[[nodiscard]] UniqueWindow createTestWindow();
[[nodiscard]] std::wstring tempBmpPath();
[[nodiscard]] std::vector<std::uint8_t> readFile(const std::wstring& path);

// Counts pixels that differ from expected(x, y), describing the first few.
struct Mismatches {
    std::size_t count = 0;
    std::string first;
};
[[nodiscard]] Mismatches compare(const DecodedBmp& picture, const std::function<std::uint32_t(int, int)>& expected);
#define EXPECT_PICTURE(picture, expected)                       \
    do {                                                        \
        const auto mismatches = compare((picture), (expected)); \
        EXPECT_EQ(mismatches.count, 0u) << mismatches.first;    \
    } while (0)

[[nodiscard]] inline bool inside(int x, int y, int left, int top, int right, int bottom) {
    return x >= left && x < right && y >= top && y < bottom;
}

// Starts a back end in a fresh window with message boxes captured, and stops it again; the
// test draws through the painter.
class RendererFixture {
public:
    void startBackEnd(BackEndKind kind);
    void stopBackEnd();
    void beginFrame();  // clear and beginScene
    void endFrame();
    void setColour(std::uint32_t argb) { painter.setColour(Colour::fromPacked(argb)); }
    // The region saved through the running back end's saveRegion, decoded; fails the test
    // (and gives an empty picture) when it cannot be saved or read.
    [[nodiscard]] DecodedBmp captureRegion(int x, int y, int width, int height);

    UniqueWindow window;
    RenderContext context;
    Painter painter{context};
    std::vector<ShownMessage> shownMessages;
};

}  // namespace likenex::test
