// The toolkit in the editor's real window with the OpenGL renderer: real window messages go
// through the program's own routing, and what is drawn is read back from the frame.
#include "app/Application.h"
#include "app/Entry.h"
#include "app/tests/win/TestSupport.h"
#include "avatar/AvatarModel.h"
#include "test_support/BmpDecode.h"
#include "ui/Buttons.h"
#include "ui/EditBox.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

#include <imm.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace likenex {
namespace {

using testing::CapturedMessages;
using testing::RecordedRequests;

namespace fs = std::filesystem;

// The application with its real renderer; `whileRunning` runs in its first frame, then the
// window closes.
class ToolkitApplication : public Application {
public:
    ToolkitApplication() {
        setProgramDirectory(LIKENEX_PROGRAM_DIR_PATH);
        server().setRequests(&requests);
    }
    void updateFrame() override {
        Application::updateFrame();
        if (frames++ == 0 && whileRunning) whileRunning();
        PostMessageW(window(), WM_CLOSE, 0, 0);
    }
    void drawPreviewBackdrop() override {}
    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) { return SendMessageW(window(), message, wParam, lParam); }
    LRESULT click(const ui::Control& control, UINT message) {
        const LPARAM at = MAKELPARAM((control.bounds.left + control.bounds.right) / 2,
                                     (control.bounds.top + control.bounds.bottom) / 2);
        return send(message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, at);
    }
    // The region as drawn by a fresh frame.
    test::DecodedBmp capture(const ImageRect& r) {
        Painter& ops = painter();
        ops.clear();
        ops.beginScene();
        Application::updateFrame();
        const std::wstring path = (fs::temp_directory_path() / "likenex-toolkit-frame.bmp").wstring();
        test::DecodedBmp picture;
        if (ops.saveRegion(r.left, r.top, r.right - r.left, r.bottom - r.top, path.c_str())) {
            std::ifstream in(fs::path(path), std::ios::binary);
            const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
            if (auto decoded = test::decodeBmp(bytes)) picture = *decoded;
        }
        (void)ops.endFrame();
        fs::remove(fs::path(path));
        return picture;
    }
    RecordedRequests requests;
    int frames = 0;
    std::function<void()> whileRunning;
};

class ToolkitWindowTest : public ::testing::Test {
};

TEST_F(ToolkitWindowTest, RealMessagesDriveTheWidgetsAndTheFrameShowsThem) {
    CapturedMessages messages;
    ToolkitApplication app;
    bool ran = false;
    app.whileRunning = [&] {
        ran = true;
        ui::WindowStack& stack = app.windowStack();
        const std::size_t opened = stack.size() + 1;
        // Below the frame's title band, whose presses move the main window.
        ui::Widget* window = stack.openWindow(stack.root(), {10, 100, 300, 340}, false);
        ui::Button* close = window->createButton(4, L"", {20, 40, 36, 56});
        ui::CheckBox* box = window->createCheckBox(20, L"tick", false, {20, 70, 120, 90});
        ui::EditBox* edit = window->createEditBox(30, {20, 100, 200, 124}, ui::EditBox::singleLine);
        ui::EditBox* other = window->createEditBox(31, {20, 140, 200, 164}, ui::EditBox::singleLine);
        ASSERT_TRUE(close && box && edit && other);

        // The close button's picture changes while it is held, and comes back after.
        const ImageRect buttonArea = close->bounds;
        const test::DecodedBmp normal = app.capture(buttonArea);
        ASSERT_EQ(normal.width, 16);
        EXPECT_NE(std::count(normal.pixels.begin(), normal.pixels.end(), 0xFF000000u),
                  static_cast<std::ptrdiff_t>(normal.pixels.size()))
            << "the button is drawn";
        EXPECT_EQ(app.click(*close, WM_LBUTTONDOWN), 1);
        EXPECT_TRUE(close->pressed);
        EXPECT_NE(app.capture(buttonArea).pixels, normal.pixels);

        // A release off the button ends the press without closing the window.
        EXPECT_EQ(app.send(WM_LBUTTONUP, 0, MAKELPARAM(250, 200)), 1);
        EXPECT_FALSE(close->pressed);
        EXPECT_EQ(stack.size(), opened);
        EXPECT_EQ(app.capture(buttonArea).pixels, normal.pixels);

        const test::DecodedBmp unticked = app.capture(box->boxRect);
        app.click(*box, WM_LBUTTONDOWN);
        app.click(*box, WM_LBUTTONUP);
        EXPECT_TRUE(box->ticked);
        EXPECT_NE(app.capture(box->boxRect).pixels, unticked.pixels);

        // Typing, the caret timer, the clipboard and the input method.
        app.click(*edit, WM_LBUTTONDOWN);
        app.click(*edit, WM_LBUTTONUP);
        EXPECT_EQ(app.windowStack().focused(), edit);
        for (wchar_t c : std::wstring(L"\u65e5\u672c caf\u00e9")) app.send(WM_CHAR, c, 1);
        EXPECT_EQ(edit->editText(), L"\u65e5\u672c caf\u00e9");
        const bool caret = edit->caretVisible();
        app.send(WM_TIMER, ui::kCaretTimerId, 0);
        EXPECT_NE(edit->caretVisible(), caret);
        app.send(WM_CHAR, 1, 1);  // Ctrl+A
        app.send(WM_CHAR, 3, 1);  // Ctrl+C
        app.click(*other, WM_LBUTTONDOWN);
        app.click(*other, WM_LBUTTONUP);
        app.send(WM_CHAR, 22, 1);  // Ctrl+V
        EXPECT_EQ(other->editText(), L"\u65e5\u672c caf\u00e9");

        app.send(WM_IME_STARTCOMPOSITION, 0, 0);
        COMPOSITIONFORM form{};
        HWND imeWindow = ImmGetDefaultIMEWnd(app.window());
        HIMC context = ImmGetContext(imeWindow ? imeWindow : app.window());
        ASSERT_NE(context, nullptr) << "the main window has no input context to place";
        const bool read = ImmGetCompositionWindow(context, &form);
        ImmReleaseContext(imeWindow ? imeWindow : app.window(), context);
        ASSERT_TRUE(read) << "the composition window was never placed";
        EXPECT_EQ(form.dwStyle, static_cast<DWORD>(CFS_POINT));
        // After the caret, which stands past the pasted text: right of the text's start.
        EXPECT_GT(form.ptCurrentPos.x, other->textRect().left + other->fontSize);
        EXPECT_LE(form.ptCurrentPos.x, other->textRect().right + other->fontSize);
        EXPECT_EQ(form.ptCurrentPos.y, other->textRect().bottom);
    };
    EXPECT_EQ(runEntry(app, nullptr), 0);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace likenex
