#include "render/tests/WinTestSupport.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace likenex::test {
namespace {

const wchar_t kWindowClass[] = L"LikenexRenderTest";

void registerWindowClass() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kWindowClass;
        return RegisterClassW(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
}

}  // namespace

UniqueWindow createTestWindow(int width, int height) {
    registerWindowClass();
    UniqueWindow window(CreateWindowExW(0, kWindowClass, L"render test", WS_POPUP, 100, 100, width, height, nullptr,
                                        nullptr, GetModuleHandleW(nullptr), nullptr));
    if (window) {
        ShowWindow(window.get(), SW_SHOWNOACTIVATE);
        UpdateWindow(window.get());
        pumpMessages();
    }
    return window;
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::wstring tempBmpPath() {
    static int counter = 0;
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"likenex-render-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter) + L".bmp";
}

std::vector<std::uint8_t> readFile(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<DecodedBmp> captureRegion(int x, int y, int width, int height) {
    const std::wstring path = tempBmpPath();
    const bool saved = renderOps().saveRegion(x, y, width, height, path.c_str());
    EXPECT_TRUE(saved) << "saveRegion(" << x << ", " << y << ", " << width << ", " << height << ")";
    if (!saved) return std::nullopt;
    const std::vector<std::uint8_t> bytes = readFile(path);
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(path), ignored);
    // A region is saved as exactly this many bytes.
    EXPECT_EQ(bytes.size(), 54u + 4u * static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    auto picture = decodeBmp(bytes);
    EXPECT_TRUE(picture) << "not a 32-bit BMP";
    if (picture) {
        EXPECT_EQ(picture->width, width);
        EXPECT_EQ(picture->height, height);
    }
    return picture;
}

Mismatches compare(const DecodedBmp& picture, const std::function<std::uint32_t(int, int)>& expected) {
    Mismatches result;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t want = expected(x, y), got = picture.at(x, y);
            if (want == got) continue;
            if (++result.count <= 5) {
                char line[96];
                std::snprintf(line, sizeof line, " (%d,%d): %08X instead of %08X;", x, y, static_cast<unsigned>(got),
                              static_cast<unsigned>(want));
                result.first += line;
            }
        }
    return result;
}

const char* backEndName(BackEndKind kind) { return kind == BackEndKind::OpenGl ? "OpenGl" : "Direct3D8"; }

void RendererFixture::startBackEnd(BackEndKind kind) {
    setMessageBoxHook([this](const ShownMessage& m) {
        shownMessages.push_back(m);
        return defaultAnswer(m.type);
    });
    window = createTestWindow();
    ASSERT_TRUE(window);
    ASSERT_TRUE(startRenderer(window.get(), kind, context)) << backEndName(kind) << " did not start";
    currentRenderContext() = &context;
}

void RendererFixture::stopBackEnd() {
    stopRenderer(context);
    renderOps() = RenderOps{};
    currentRenderContext() = nullptr;
    window.reset();
    setMessageBoxHook({});
}

void RendererFixture::beginFrame() {
    renderOps().clear();
    renderOps().beginScene();
}

void RendererFixture::endFrame() { EXPECT_EQ(renderOps().endFrame(), 0); }

}  // namespace likenex::test
