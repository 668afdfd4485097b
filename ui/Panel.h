#pragma once
// A page of a window: a control of the window that holds controls of its own and is shown and
// hidden as one. The window offers every message to its panels before its own dispatch
// (Widget::onMessage); a panel then treats its controls as the window treats its own, through
// the same steps of Widget: the program's own messages and presses on the page itself, the
// focused control first, the control under the mouse with the window's tooltip, hover and the
// hand cursor, and the focused control drawn last. Its controls notify the panel; what the
// panel does not handle goes on to the window. UI thread only.

#include "ui/Widget.h"

#include <cstdint>

namespace likenex::ui {

class Panel : public Control {
public:
    explicit Panel(UiHost& host) : Control(host) {}

    // What the window offers its panels before dispatching a message to its own children;
    // true when handled.
    bool offerMessage(std::uint32_t message, WParam wParam, LParam lParam);
    // The point is on a shown control of the panel.
    [[nodiscard]] bool hitTest(int x, int y) const override;
    bool onMouse(std::uint32_t message, int x, int y, WParam wParam, LParam lParam) override;
    void mouseLeave() override;
    void onNotify(int code, int controlId, Widget* sender) override;
    void draw(Painter& painter) override;

protected:
    // The program's own messages (dialog answers, server replies) reach a page shown or not.
    virtual bool onProgramMessage(std::uint32_t, WParam, LParam) { return false; }
    // A press on the shown page where none of the window's controls is; false when it is not
    // on one of the page's own spots.
    virtual bool onPress(int, int) { return false; }
    // What the page draws under its controls.
    virtual void drawPage(Painter&) {}
};

// The control is shown on its window: it, and the panel holding it if any, are visible.
[[nodiscard]] bool shownOnWindow(const Control& control);

}  // namespace likenex::ui
