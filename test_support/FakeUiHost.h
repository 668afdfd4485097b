#pragma once
// A user-interface host for tests: the clock, client size, cursor and Shift key are fields the
// test sets; text is measured at 6 pixels a character and drawn into a log; skin pictures come
// from a table the test fills (or, for any identifier, a 4 x 4 picture when `anySkin` is set).

#include "test_support/RecordingRenderer.h"
#include "ui/UiHost.h"
#include "ui/WindowStack.h"

#include <map>
#include <string>
#include <vector>

namespace likenex::testing {

class FakeUiHost : public ui::UiHost {
public:
    struct DrawnText {
        std::wstring text;
        int x, y;
    };

    FakeUiHost() = default;
    ~FakeUiHost() override {
        stack.closeAllWindows();
        while (!stack.windows().empty()) stack.closeWindow(stack.windows().back().get());
        stack.destroyClosed();
    }

    std::uint32_t loopTime() const override { return now; }
    int clientWidth() const override { return width; }
    int clientHeight() const override { return height; }
    std::wstring fontFace() const override { return L"mingliu.ttc"; }
    std::optional<ui::Point> cursorPosition() const override { return cursor; }
    bool shiftDown() const override { return shift; }
    void showHandCursor() override { ++handCursors; }
    void putClipboardText(std::wstring_view text) override { clipboard = std::wstring(text); }
    std::optional<std::wstring> clipboardText() override { return clipboard; }
    void startCaretTimer() override { ++caretTimerStarts; }
    void stopCaretTimer() override { ++caretTimerStops; }
    void placeCompositionWindow(int x, int y) override { composition = ui::Point{x, y}; }
    ui::WindowStack& windowStack() override { return stack; }
    std::wstring uiText(int identifier) const override { return L"#" + std::to_wstring(identifier); }
    // Delivered as the main window would: through the window stack.
    void sendToMainWindow(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        sent.push_back({message, wParam, lParam});
        (void)stack.route(message, wParam, lParam);
    }
    struct Sent {
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        bool operator==(const Sent&) const = default;
    };
    std::vector<Sent> sent;

    std::unique_ptr<ui::UiText> makeText() override { return std::make_unique<Text>(*this); }
    // The recording renderer's painter: textures reach it while a test has it installed.
    Painter& painter() override { return RecordingRenderer::painter(); }

    bool loadSkinImage(std::uint32_t id, SkinImage& image) override {
        auto found = skins.find(id);
        if (found != skins.end()) {
            image = found->second;
            return true;
        }
        if (!anySkin) return false;
        image = SkinImage{};
        image.layoutWidth = image.layoutHeight = 4;
        image.width = image.height = 4;
        image.texture = id;
        image.rect = {0, 0, 4, 4};
        return true;
    }

    // A skin picture with the given layout and stored sizes; its texture is its identifier.
    void addSkin(std::uint32_t id, std::uint32_t layoutW, std::uint32_t layoutH, int texW, int texH) {
        SkinImage image;
        image.layoutWidth = layoutW;
        image.layoutHeight = layoutH;
        image.width = texW;
        image.height = texH;
        image.texture = id;
        image.rect = {0, 0, texW, texH};
        skins[id] = image;
    }

    std::uint32_t now = 1000;
    int width = 654, height = 537;
    std::optional<ui::Point> cursor;
    bool shift = false;
    int handCursors = 0;
    std::optional<std::wstring> clipboard;
    int caretTimerStarts = 0, caretTimerStops = 0;
    std::optional<ui::Point> composition;
    bool anySkin = false;
    std::map<std::uint32_t, SkinImage> skins;
    std::vector<DrawnText> drawnTexts;
    ui::WindowStack stack{*this};

private:
    class Text : public ui::UiText {
    public:
        explicit Text(FakeUiHost& host) : host_(host) {}
        bool create(std::wstring_view, int) override { return true; }
        void release() override {}
        void setText(std::wstring_view text) override { text_ = text; }
        int textWidth() override { return static_cast<int>(text_.size()) * 6; }
        int textWidthOf(int count) override { return std::min(count, static_cast<int>(text_.size())) * 6; }
        void draw(Painter&, int x, int y, const Colour&) override { host_.drawnTexts.push_back({text_, x, y}); }

    private:
        FakeUiHost& host_;
        std::wstring text_;
    };
};

}  // namespace likenex::testing
