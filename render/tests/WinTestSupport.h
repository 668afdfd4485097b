#pragma once
// Shared pieces of the back-end tests: a 654 x 537 popup window like the editor's, a fixture
// that runs one back end in it, and reading back what was drawn.

#include "app/win/Handles.h"
#include "app/win/MessageBox.h"
#include "render/RendererStart.h"
#include "render/tests/BmpDecode.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace likenex::test {

inline constexpr int kWindowWidth = 654;
inline constexpr int kWindowHeight = 537;
inline constexpr std::uint32_t kBlack = 0xFF000000u;

// A shown WS_POPUP window of the editor's size, with a plain window procedure.
[[nodiscard]] UniqueWindow createTestWindow(int width = kWindowWidth, int height = kWindowHeight);

// Lets pending window messages through (showing a window queues several).
void pumpMessages();

// A file name under the temporary folder, unique within the run.
[[nodiscard]] std::wstring tempBmpPath();
[[nodiscard]] std::vector<std::uint8_t> readFile(const std::wstring& path);

// Saves the region through the running back end's saveRegion and decodes the file.
[[nodiscard]] std::optional<DecodedBmp> captureRegion(int x, int y, int width, int height);

// Pixels where the picture differs from `expected(x, y)` (0xAARRGGBB), with the first few
// described for the failure message.
struct Mismatches {
    std::size_t count = 0;
    std::string first;
};
[[nodiscard]] Mismatches compare(const DecodedBmp& picture, const std::function<std::uint32_t(int, int)>& expected);

[[nodiscard]] inline bool inside(int x, int y, int left, int top, int right, int bottom) {
    return x >= left && x < right && y >= top && y < bottom;
}

const char* backEndName(BackEndKind kind);

// Starts the back end in a fresh window; stops it and empties the table afterwards.
// Message boxes are captured instead of shown.
class RendererFixture {
public:
    void startBackEnd(BackEndKind kind);
    void stopBackEnd();

    // clear + beginScene, and endFrame.
    static void beginFrame();
    static void endFrame();

    UniqueWindow window;
    RenderContext context;
    std::vector<ShownMessage> shownMessages;
};

}  // namespace likenex::test
