#pragma once
// What the toolkit takes from the program around it: the main loop's clock, the client area,
// the desktop's cursor and keyboard, text, and the interface pictures. The application
// makes the one host (the Win32 one, app/) and hands it to every window it opens; tests make a
// fake of their own, so the toolkit's logic runs and is tested natively. UI thread only.

#include "render/Colour.h"
#include "ui/InterfaceArchive.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace likenex {
class Painter;
}

namespace likenex::ui {

class WindowStack;

struct Point {
    int x = 0, y = 0;
};

// A text renderer as widgets use it: one font at a time, the text set before it is measured
// or drawn.
class UiText {
public:
    virtual ~UiText() = default;
    [[nodiscard]] virtual bool create(std::wstring_view face, int size) = 0;
    virtual void release() = 0;
    virtual void setText(std::wstring_view text) = 0;
    [[nodiscard]] virtual int textWidth() = 0;
    // Width of the first `count` characters of the text.
    [[nodiscard]] virtual int textWidthOf(int count) = 0;
    // Draws the text with its baseline at y.
    virtual void draw(Painter& painter, int x, int y, const Colour& colour) = 0;
};

class UiHost {
public:
    virtual ~UiHost() = default;

    // The main loop's time stamp of the current pass, in milliseconds.
    [[nodiscard]] virtual std::uint32_t loopTime() const = 0;
    [[nodiscard]] virtual int clientWidth() const = 0;
    [[nodiscard]] virtual int clientHeight() const = 0;
    // The interface font file the application chose ("mingliu.ttc" unless changed).
    [[nodiscard]] virtual std::wstring fontFace() const = 0;

    // The cursor in client coordinates of the main window; empty when it cannot be read.
    [[nodiscard]] virtual std::optional<Point> cursorPosition() const = 0;
    [[nodiscard]] virtual bool shiftDown() const = 0;
    // The program's hand cursor (resource 102) over a button.
    virtual void showHandCursor() = 0;

    // The clipboard as UTF-16 text. Putting fails quietly when it cannot be opened; taking
    // gives nothing when it holds no text.
    virtual void putClipboardText(std::wstring_view text) = 0;
    [[nodiscard]] virtual std::optional<std::wstring> clipboardText() = 0;
    // The caret blink timer of the main window (identifier 65535, every 500 ms); it arrives
    // as a timer message routed like any other.
    virtual void startCaretTimer() = 0;
    virtual void stopCaretTimer() = 0;
    // Where the input method shows what is being composed, in client coordinates.
    virtual void placeCompositionWindow(int x, int y) = 0;

    // An interface text of the language in force, by its number in the string table.
    [[nodiscard]] virtual std::wstring uiText(int identifier) const = 0;
    // Sends a message to the main window and waits for it to be handled (dialog answers).
    virtual void sendToMainWindow(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;

    // The top-level windows, kept by the main window.
    [[nodiscard]] virtual WindowStack& windowStack() = 0;

    [[nodiscard]] virtual std::unique_ptr<UiText> makeText() = 0;
    // The painter of the window the widgets live in. Widgets draw through the one draw()
    // hands them; textures made outside drawing (a grid's cell pictures) come from this one.
    [[nodiscard]] virtual Painter& painter() = 0;
    // A picture of the interface archive, with caching on.
    [[nodiscard]] virtual bool loadSkinImage(std::uint32_t skinIdentifier, SkinImage& image) = 0;
};

}  // namespace likenex::ui
