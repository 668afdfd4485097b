#include "ui/Panel.h"

#include "ui/WindowStack.h"

namespace likenex::ui {

bool Panel::offerMessage(std::uint32_t message, WParam wParam, LParam lParam) {
    if (message > kUserFirst && onProgramMessage(message, wParam, lParam)) return true;
    // The page's own spots come before the focused control, as nothing else is under them.
    if (message == kLButtonDown && visible && owner) {
        const int x = mouseX(lParam), y = mouseY(lParam);
        if (!owner->childAt(x, y) && onPress(x, y)) return true;
    }

    Control* focused = focusedChild();
    if (!focused || !focused->enabled || !owner) return false;
    if (const std::optional<bool> decided = offerToFocused(focused, *owner, message, wParam, lParam)) return *decided;
    // A press on none of the window's controls takes the focus away. The panel decides it
    // here, before the other panels are offered the press, as the window never sees the
    // focused control of a panel.
    if (message == kLButtonDown && !owner->childAt(mouseX(lParam), mouseY(lParam))) host().windowStack().clearFocus();
    return false;
}

bool Panel::hitTest(int x, int y) const { return childAt(x, y) != nullptr; }

bool Panel::onMouse(std::uint32_t message, int x, int y, WParam wParam, LParam lParam) {
    Control* c = childAt(x, y);
    if (!c || !owner) return false;
    if (offerToControlAt(*c, *owner, message, x, y, wParam, lParam)) return true;
    if (message == kMouseMove) hover(c, owner->visible);
    return false;
}

void Panel::mouseLeave() {
    hover(nullptr, false);
    Control::mouseLeave();
}

void Panel::onNotify(int code, int controlId, Widget* sender) {
    if (owner) owner->onNotify(code, controlId, sender);
}

void Panel::draw(Painter& painter) {
    drawPage(painter);
    drawChildren(painter);
}

bool shownOnWindow(const Control& control) {
    if (!control.visible) return false;
    const auto* panel = dynamic_cast<const Panel*>(control.owner);
    return !panel || panel->visible;
}

}  // namespace likenex::ui
