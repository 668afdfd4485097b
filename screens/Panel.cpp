#include "screens/Panel.h"

#include "ui/WindowStack.h"

namespace likenex {

ui::Control* Panel::focusedChild() const {
    ui::Control* focused = focusedControl();
    return focused && focused->owner == this ? focused : nullptr;
}

bool Panel::offerMessage(std::uint32_t message, ui::WParam wParam, ui::LParam lParam) {
    if (message > ui::kUserFirst && onProgramMessage(message, wParam, lParam)) return true;
    // The page's own spots come before the focused control, as nothing else is under them.
    if (message == ui::kLButtonDown && visible && owner) {
        const int x = ui::mouseX(lParam), y = ui::mouseY(lParam);
        if (!owner->childAt(x, y) && onPress(x, y)) return true;
    }

    ui::Control* focused = focusedChild();
    if (!focused || !focused->enabled) return false;
    if (focused->onMessage(message, wParam, lParam)) return true;
    if (message == ui::kActivateApp) {
        if (wParam != 0) focused->focusGained();
        else focused->focusLost();
        return false;
    }
    if (ui::isKeyMessage(message)) return focused->onKey(message, wParam, lParam);
    if (ui::isMouseMessage(message) && owner && owner->acceptsMouse) {
        // The window's own note of the mouse, taken before the focused control may end the
        // message here.
        owner->lastMouseTime = host().loopTime();
        owner->tooltip.clear();
        const int x = ui::mouseX(lParam), y = ui::mouseY(lParam);
        if (focused->onMouse(message, x, y, wParam, lParam)) return true;
        // A press on none of the window's controls takes the focus away.
        if (message == ui::kLButtonDown && !owner->childAt(x, y)) host().windowStack().clearFocus();
    }
    return false;
}

bool Panel::hitTest(int x, int y) const { return childAt(x, y) != nullptr; }

bool Panel::onMouse(std::uint32_t message, int x, int y, ui::WParam wParam, ui::LParam lParam) {
    ui::Control* c = childAt(x, y);
    if (!c) return false;
    // The window draws the tooltip of the control under the mouse.
    if (owner) owner->tooltip = c->tooltip;
    if (c->onMouse(message, x, y, wParam, lParam)) return true;
    if (message == ui::kMouseMove) {
        if (owner && owner->visible && c->visible && c->kind == ui::ControlKind::button) host().showHandCursor();
        if (c != hovered) {
            if (hovered) hovered->mouseLeave();
            hovered = c;
            c->mouseEnter();
        }
    }
    return false;
}

void Panel::mouseLeave() {
    if (hovered) hovered->mouseLeave();
    hovered = nullptr;
    ui::Control::mouseLeave();
}

void Panel::onNotify(int code, int controlId, ui::Widget* sender) {
    if (owner) owner->onNotify(code, controlId, sender);
}

void Panel::draw(Painter& painter) {
    drawPage(painter);
    ui::Control* focused = focusedChild();
    for (const auto& child : children())
        if (child->visible && child.get() != focused) child->draw(painter);
    if (focused && focused->visible) focused->draw(painter);
}

bool offerToPanels(const ui::Widget& window, std::uint32_t message, ui::WParam wParam, ui::LParam lParam) {
    for (const auto& child : window.children())
        if (auto* panel = dynamic_cast<Panel*>(child.get()); panel && panel->offerMessage(message, wParam, lParam))
            return true;
    return false;
}

bool shownOnWindow(const ui::Control& control) {
    if (!control.visible) return false;
    const auto* panel = dynamic_cast<const Panel*>(control.owner);
    return !panel || panel->visible;
}

}  // namespace likenex
