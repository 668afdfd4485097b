#include "app/AppUiHost.h"

#include "app/MainWindow.h"
#include "base/Text.h"
#include "catalogue/StringTable.h"
#include "platform/win/Clipboard.h"
#include "platform/win/DesktopInput.h"
#include "render/text/win/TextRenderer.h"
#include "ui/EditBox.h"

namespace likenex {
namespace {

// A widget's text through a text renderer of the main window's engines.
class RendererText final : public ui::UiText {
public:
    explicit RendererText(TextEngines& engines) : engines_(engines) {}
    bool create(std::wstring_view face, int size) override { return renderer_.create(engines_, face, size); }
    void release() override { renderer_.release(); }
    void setText(std::wstring_view text) override { renderer_.setPlainText(text); }
    int textWidth() override { return renderer_.textWidth(); }
    int textWidthOf(int count) override { return renderer_.textWidthOf(count); }
    void draw(Painter&, int x, int y, const Colour& colour) override { renderer_.draw(x, y, colour); }

private:
    TextEngines& engines_;
    TextRenderer renderer_;
};

}  // namespace

std::uint32_t AppUiHost::loopTime() const { return window_.loopTimeStamp(); }
int AppUiHost::clientWidth() const { return window_.clientRect().right - window_.clientRect().left; }
int AppUiHost::clientHeight() const { return window_.clientRect().bottom - window_.clientRect().top; }
std::wstring AppUiHost::fontFace() const { return window_.uiFontFile(); }

std::optional<ui::Point> AppUiHost::cursorPosition() const {
    const std::optional<POINT> point = cursorInClient(window_.window());
    if (!point) return std::nullopt;
    return ui::Point{point->x, point->y};
}

bool AppUiHost::shiftDown() const { return shiftKeyDown(); }

std::wstring AppUiHost::uiText(int identifier) const { return text::wideFromUtf16(strings_.uiText(identifier)); }

void AppUiHost::sendToMainWindow(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (HWND window = window_.window()) SendMessageW(window, message, wParam, lParam);
}

void AppUiHost::showHandCursor() { showCursorResource(window_.instance(), kHandCursorResource); }

void AppUiHost::putClipboardText(std::wstring_view text) { (void)likenex::putClipboardText(text); }

std::optional<std::wstring> AppUiHost::clipboardText() { return likenex::clipboardText(); }

void AppUiHost::startCaretTimer() { startWindowTimer(window_.window(), ui::kCaretTimerId, 500); }

void AppUiHost::stopCaretTimer() { stopWindowTimer(window_.window(), ui::kCaretTimerId); }

void AppUiHost::placeCompositionWindow(int x, int y) { likenex::placeCompositionWindow(window_.window(), POINT{x, y}); }

std::unique_ptr<ui::UiText> AppUiHost::makeText() { return std::make_unique<RendererText>(textEngines_); }

Painter& AppUiHost::painter() { return window_.painter(); }

bool AppUiHost::loadSkinImage(std::uint32_t skinIdentifier, SkinImage& image) {
    return archive_.getImage(skinIdentifier, image);
}

}  // namespace likenex
