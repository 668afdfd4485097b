#include "test_support/WinTestSupport.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace likenex::test {

UniqueWindow createTestWindow() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LikenexRenderTest";
        return RegisterClassW(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    UniqueWindow window(CreateWindowExW(0, L"LikenexRenderTest", L"render test", WS_POPUP, 100, 100, kWidth, kHeight,
                                        nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    ShowWindow(window.get(), SW_SHOWNOACTIVATE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return window;
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

DecodedBmp RendererFixture::captureRegion(int x, int y, int width, int height) {
    const std::wstring path = tempBmpPath();
    const bool saved = painter.saveRegion(x, y, width, height, path.c_str());
    EXPECT_TRUE(saved) << "saveRegion(" << x << ", " << y << ", " << width << ", " << height << ")";
    const std::vector<std::uint8_t> bytes = readFile(path);
    DeleteFileW(path.c_str());
    EXPECT_EQ(bytes.size(), 54u + 4u * static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    auto picture = decodeBmp(bytes);
    EXPECT_TRUE(picture && picture->width == width && picture->height == height) << "not the region's BMP";
    return picture && saved ? *picture : DecodedBmp{};
}

Mismatches compare(const DecodedBmp& picture, const std::function<std::uint32_t(int, int)>& expected) {
    Mismatches result;
    if (picture.pixels.empty()) result.count = 1, result.first = " no picture";
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t want = expected(x, y), got = picture.at(x, y);
            if (want != got && ++result.count <= 5) {
                char line[64];
                std::snprintf(line, sizeof line, " (%d,%d) is %08X not %08X;", x, y, static_cast<unsigned>(got),
                              static_cast<unsigned>(want));
                result.first += line;
            }
        }
    return result;
}

void RendererFixture::startBackEnd(BackEndKind kind) {
    setMessageBoxHook([this](const ShownMessage& m) {
        shownMessages.push_back(m);
        return IDOK;
    });
    window = createTestWindow();
    ASSERT_TRUE(window);
    ASSERT_TRUE(startRenderer(window.get(), kind, context));
}

void RendererFixture::stopBackEnd() {
    stopRenderer(context);
    window.reset();
    setMessageBoxHook({});
}

void RendererFixture::beginFrame() {
    painter.clear();
    painter.beginScene();
}

void RendererFixture::endFrame() { EXPECT_EQ(painter.endFrame(), 0); }

}  // namespace likenex::test
