#pragma once
// A page of a screen: a control of the screen's window that holds controls of its own and is
// shown and hidden as one. The toolkit's window deals only with its own children, so it offers
// every message to its panels first (offerToPanels); a panel then treats its controls as the
// window treats its own: the program's own messages and presses on the page itself, the
// focused control first, the control under the mouse with the window's tooltip, hover and the
// hand cursor, and the focused control drawn last. Its controls notify the panel; what the
// panel does not handle goes on to the window. UI thread only.

#include "ui/Widget.h"

#include <cstdint>

namespace likenex {

class Panel : public ui::Control {
public:
    explicit Panel(ui::UiHost& host) : ui::Control(host) {}

    // What the window offers its panels before dispatching a message to its own children;
    // true when handled.
    bool offerMessage(std::uint32_t message, ui::WParam wParam, ui::LParam lParam);
    // The point is on a shown control of the panel.
    [[nodiscard]] bool hitTest(int x, int y) const override;
    bool onMouse(std::uint32_t message, int x, int y, ui::WParam wParam, ui::LParam lParam) override;
    void mouseLeave() override;
    void onNotify(int code, int controlId, ui::Widget* sender) override;
    void draw(Painter& painter) override;
    // The focused control when it is one of this panel's, else null.
    [[nodiscard]] ui::Control* focusedChild() const;

protected:
    // The program's own messages (dialog answers, server replies) reach a page shown or not.
    virtual bool onProgramMessage(std::uint32_t, ui::WParam, ui::LParam) { return false; }
    // A press on the shown page where none of the window's controls is; false when it is not
    // on one of the page's own spots.
    virtual bool onPress(int, int) { return false; }
    // What the page draws under its controls.
    virtual void drawPage(Painter&) {}
};

// Offers a message of `window` to each of its panels in turn; true when one handled it.
bool offerToPanels(const ui::Widget& window, std::uint32_t message, ui::WParam wParam, ui::LParam lParam);

// The control is shown on its window: it, and the panel holding it if any, are visible.
[[nodiscard]] bool shownOnWindow(const ui::Control& control);

}  // namespace likenex
