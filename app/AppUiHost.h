#pragma once
// The toolkit's host in the editor: the main window's clock, client area and font, the
// desktop's cursor and keyboard, text renderers of the running back end and the interface
// archive. The window stack itself lives here, owned for the main window.

#include "ui/UiHost.h"
#include "ui/WindowStack.h"

#include <windows.h>

namespace likenex {

class MainWindow;
class StringTable;
class TextEngines;

inline constexpr int kHandCursorResource = 102;

class AppUiHost final : public ui::UiHost {
public:
    AppUiHost(MainWindow& window, InterfaceArchive& archive, StringTable& strings, TextEngines& textEngines)
        : window_(window), archive_(archive), strings_(strings), textEngines_(textEngines), stack_(*this) {}

    [[nodiscard]] std::uint32_t loopTime() const override;
    [[nodiscard]] int clientWidth() const override;
    [[nodiscard]] int clientHeight() const override;
    [[nodiscard]] std::wstring fontFace() const override;
    [[nodiscard]] std::optional<ui::Point> cursorPosition() const override;
    [[nodiscard]] bool shiftDown() const override;
    void showHandCursor() override;
    void putClipboardText(std::wstring_view text) override;
    [[nodiscard]] std::optional<std::wstring> clipboardText() override;
    void startCaretTimer() override;
    void stopCaretTimer() override;
    void placeCompositionWindow(int x, int y) override;
    [[nodiscard]] std::wstring uiText(int identifier) const override;
    void sendToMainWindow(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    [[nodiscard]] ui::WindowStack& windowStack() override { return stack_; }
    [[nodiscard]] std::unique_ptr<ui::UiText> makeText() override;
    [[nodiscard]] bool loadSkinImage(std::uint32_t skinIdentifier, SkinImage& image) override;
    [[nodiscard]] Painter& painter() override;

private:
    MainWindow& window_;
    InterfaceArchive& archive_;
    StringTable& strings_;
    TextEngines& textEngines_;
    ui::WindowStack stack_;
};

}  // namespace likenex
