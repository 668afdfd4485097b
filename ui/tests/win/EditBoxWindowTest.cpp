// The edit box behind a real window: keys are posted as the keyboard sends them, the message
// loop's TranslateMessage makes their characters from the thread's key state, Shift is read
// with GetKeyState while the message is handled, and copy and paste go through the system's
// clipboard. What a person would see is read back: the box's text and the clipboard's.
#include "platform/win/Clipboard.h"
#include "platform/win/DesktopInput.h"
#include "platform/win/Handles.h"
#include "ui/EditBox.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <imm.h>

#include <array>
#include <string>
#include <vector>

namespace likenex::ui {
namespace {

// The toolkit's host for one window of its own. Text is measured at 6 pixels a character and
// not drawn: no renderer runs here, and none is needed to edit.
class WindowHost final : public UiHost {
public:
    WindowHost() {
        static const bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &WindowHost::procedure;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"LikenexToolkitTest";
            return RegisterClassW(&wc) != 0;
        }();
        EXPECT_TRUE(registered);
        window_.reset(CreateWindowExW(0, L"LikenexToolkitTest", L"toolkit test", WS_POPUP, 0, 0, 654, 537, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr));
        EXPECT_TRUE(window_) << "no window to send keys to";
        if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        EXPECT_TRUE(GetKeyboardState(keys_.data()));
    }
    ~WindowHost() override {
        stack_.closeAllWindows();
        while (!stack_.windows().empty()) stack_.closeWindow(stack_.windows().back().get());
        stack_.destroyClosed();
        keys_[VK_SHIFT] = keys_[VK_CONTROL] = 0;
        SetKeyboardState(keys_.data());
        if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
    }
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    std::uint32_t loopTime() const override { return GetTickCount(); }
    int clientWidth() const override { return 654; }
    int clientHeight() const override { return 537; }
    std::wstring fontFace() const override { return L"mingliu.ttc"; }
    std::optional<Point> cursorPosition() const override {
        const std::optional<POINT> point = cursorInClient(window_.get());
        if (!point) return std::nullopt;
        return Point{point->x, point->y};
    }
    bool shiftDown() const override { return shiftKeyDown(); }
    void showHandCursor() override {}
    void putClipboardText(std::wstring_view text) override { (void)likenex::putClipboardText(text); }
    std::optional<std::wstring> clipboardText() override { return likenex::clipboardText(); }
    void startCaretTimer() override { startWindowTimer(window_.get(), kCaretTimerId, 500); }
    void stopCaretTimer() override { stopWindowTimer(window_.get(), kCaretTimerId); }
    void placeCompositionWindow(int x, int y) override { likenex::placeCompositionWindow(window_.get(), POINT{x, y}); }
    std::wstring uiText(int identifier) const override { return L"#" + std::to_wstring(identifier); }
    void sendToMainWindow(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        SendMessageW(window_.get(), message, wParam, lParam);
    }
    WindowStack& windowStack() override { return stack_; }
    std::unique_ptr<UiText> makeText() override { return std::make_unique<FixedText>(); }
    bool loadSkinImage(std::uint32_t, SkinImage&) override { return false; }
    // No back end runs: the keys are what these tests look at, not the pictures.
    Painter& painter() override { return painter_; }

    [[nodiscard]] HWND window() const { return window_.get(); }

    // A key as the keyboard sends it: the key state changes as the press reaches the thread,
    // WM_KEYDOWN is posted and the loop runs (TranslateMessage adds the character), then
    // WM_KEYUP.
    void press(WORD key) {
        down(key);
        up(key);
    }
    void down(WORD key) {
        keys_[key] = 0x80;
        post(WM_KEYDOWN, key, keyParam(key, false));
    }
    void up(WORD key) {
        keys_[key] = 0;
        post(WM_KEYUP, key, keyParam(key, true));
    }
    void withKey(WORD modifier, WORD key) {
        down(modifier);
        press(key);
        up(modifier);
    }
    // Letters, digits and spaces by their keys on a US keyboard.
    void type(std::wstring_view text) {
        for (wchar_t c : text) press(static_cast<WORD>(c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c));
    }
    void click(int x, int y) {
        post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        post(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

    // The key and character messages the window received, in order.
    struct Received {
        UINT message;
        WPARAM wParam;
        bool operator==(const Received&) const = default;
    };
    std::vector<Received> received;

private:
    class FixedText final : public UiText {
    public:
        bool create(std::wstring_view, int) override { return true; }
        void release() override {}
        void setText(std::wstring_view text) override { length_ = static_cast<int>(text.size()); }
        int textWidth() override { return length_ * 6; }
        int textWidthOf(int count) override { return std::min(count, length_) * 6; }
        void draw(Painter&, int, int, const Colour&) override {}

    private:
        int length_ = 0;
    };

    static LPARAM keyParam(WORD key, bool release) {
        const auto scanCode = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
        return 1 | (scanCode << 16) | (release ? static_cast<LPARAM>(0xC0000000u) : 0);
    }

    void post(UINT message, WPARAM wParam, LPARAM lParam) {
        ASSERT_TRUE(SetKeyboardState(keys_.data()));
        ASSERT_TRUE(PostMessageW(window_.get(), message, wParam, lParam));
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* host = reinterpret_cast<WindowHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!host) return DefWindowProcW(window, message, wParam, lParam);
        if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR)
            host->received.push_back({message, wParam});
        if (host->stack_.route(message, wParam, static_cast<LParam>(lParam))) return 0;
        return DefWindowProcW(window, message, wParam, lParam);
    }

    RenderContext renderContext_;
    Painter painter_{renderContext_};
    UniqueWindow window_;
    WindowStack stack_{*this};
    std::array<BYTE, 256> keys_{};
};

class EditBoxWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.window());
        panel = host.windowStack().openWindow(nullptr, {0, 0, 654, 537}, false);
    }
    void TearDown() override { host.windowStack().clearFocus(); }
    // A single-line box at (100, top), 200 wide; a click gives it the focus.
    EditBox* box(int top) {
        EditBox* b = panel->createEditBox(40, {100, top, 300, top + 22}, EditBox::singleLine);
        host.click(150, top + 10);
        EXPECT_EQ(host.windowStack().focused(), b);
        return b;
    }
    WindowHost host;
    Widget* panel = nullptr;
};

TEST_F(EditBoxWindowTest, ATypedCharacterReplacesTheSelectionShiftMade) {
    EditBox* b = box(100);
    host.type(L"hello");
    ASSERT_EQ(b->editText(), L"hello") << "TranslateMessage made no characters of the keys";
    host.withKey(VK_SHIFT, VK_LEFT);
    EXPECT_EQ(b->caret(), 4);
    EXPECT_EQ(b->anchor(), 5);
    host.received.clear();
    host.type(L"p");
    EXPECT_EQ(host.received, (std::vector<WindowHost::Received>{{WM_KEYDOWN, 'P'}, {WM_CHAR, 'p'}, {WM_KEYUP, 'P'}}))
        << "the character came between its key's press and release";
    EXPECT_EQ(b->editText(), L"hellp");
}

TEST_F(EditBoxWindowTest, CtrlAThenBackspaceEmptiesTheBox) {
    EditBox* b = box(100);
    host.type(L"hello world");
    host.received.clear();
    host.withKey(VK_CONTROL, 'A');
    EXPECT_EQ(host.received,
              (std::vector<WindowHost::Received>{
                  {WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'A'}, {WM_CHAR, 1}, {WM_KEYUP, 'A'}, {WM_KEYUP, VK_CONTROL}}));
    EXPECT_EQ(b->anchor(), 0);
    EXPECT_EQ(b->caret(), 11);
    host.press(VK_BACK);
    EXPECT_EQ(b->editText(), L"");
}

TEST_F(EditBoxWindowTest, CopyCutAndPasteGoThroughTheSystemClipboard) {
    EditBox* first = box(100);
    host.type(L"copy me");
    ASSERT_TRUE(putClipboardText(L"something else"));
    host.withKey(VK_CONTROL, 'A');
    host.withKey(VK_CONTROL, 'C');
    EXPECT_EQ(clipboardText(), L"copy me");
    EXPECT_EQ(first->editText(), L"copy me");

    // Pasted over a selection made with Shift in the other box.
    EditBox* second = box(140);
    host.type(L"abc");
    host.withKey(VK_SHIFT, VK_HOME);
    ASSERT_EQ(second->anchor(), 3);
    host.withKey(VK_CONTROL, 'V');
    EXPECT_EQ(second->editText(), L"copy me");

    // Cut: the last word leaves the box for the clipboard.
    for (int i = 0; i < 2; ++i) host.withKey(VK_SHIFT, VK_LEFT);
    host.withKey(VK_CONTROL, 'X');
    EXPECT_EQ(clipboardText(), L"me");
    EXPECT_EQ(second->editText(), L"copy ");
}

TEST_F(EditBoxWindowTest, TheCompositionWindowFollowsTheCaret) {
    EditBox* b = box(100);
    host.type(L"abc");
    SendMessageW(host.window(), WM_IME_STARTCOMPOSITION, 0, 0);
    HWND imeWindow = ImmGetDefaultIMEWnd(host.window());
    HWND owner = imeWindow ? imeWindow : host.window();
    HIMC context = ImmGetContext(owner);
    ASSERT_NE(context, nullptr) << "the window has no input context to place";
    COMPOSITIONFORM form{};
    const bool read = ImmGetCompositionWindow(context, &form);
    ImmReleaseContext(owner, context);
    ASSERT_TRUE(read);
    EXPECT_EQ(form.dwStyle, static_cast<DWORD>(CFS_POINT));
    // After the three characters and one font size, on the line below the text.
    EXPECT_EQ(form.ptCurrentPos.x, b->textRect().left + 3 * 6 + b->fontSize);
    EXPECT_EQ(form.ptCurrentPos.y, b->textRect().bottom);
}

}  // namespace
}  // namespace likenex::ui
