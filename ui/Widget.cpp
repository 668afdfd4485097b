#include "ui/Widget.h"

#include "render/Painter.h"
#include "ui/Panel.h"
#include "ui/WindowStack.h"

#include <algorithm>

namespace likenex::ui {
namespace {

constexpr std::array<std::size_t, 9> kLoadOrder = kNinePatchLoadOrder;

ImageRect offset(const ImageRect& r, int dx, int dy) { return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

// The layout size of a skin image (its dimensions as the frame counts them) and the stored size.
std::uint32_t layoutW(const SkinImage& image) { return image.layoutWidth; }
std::uint32_t layoutH(const SkinImage& image) { return image.layoutHeight; }
std::int32_t texW(const SkinImage& image) { return image.width; }
std::int32_t texH(const SkinImage& image) { return image.height; }

}  // namespace

// ---- Layout --------------------------------------------------------------------------

void layoutNinePatch(int width, int height, NinePatch& p) {
    const auto w = [&](std::size_t k) { return static_cast<std::int32_t>(layoutW(p[k])); };
    const auto h = [&](std::size_t k) { return static_cast<std::int32_t>(layoutH(p[k])); };
    const auto tw = [&](std::size_t k) { return texW(p[k]); };
    const auto th = [&](std::size_t k) { return texH(p[k]); };
    const std::int32_t W = width, H = height;
    p[0].rect = {0, 0, tw(0), th(0)};
    p[2].rect = {W - w(2), 0, W - w(2) + tw(2), th(2)};
    p[6].rect = {0, H - h(6), tw(6), H - h(6) + th(6)};
    p[8].rect = {W - w(8), H - h(8), W - w(8) + tw(8), H - h(8) + th(8)};
    p[1].rect = {w(0), 0, p[2].rect.left, th(1)};
    p[3].rect = {0, h(0), tw(3), H - h(6)};
    p[5].rect = {W - w(5), h(2), W - w(5) + tw(5), H - h(8)};
    p[7].rect = {w(6), H - h(7), p[8].rect.left, H - h(7) + th(7)};
    // The centre keeps the stored picture's share of its layout size. The products are taken
    // in floating point on the values read as unsigned 32-bit numbers, truncated toward zero;
    // a zero layout size leaves the centre empty rather than dividing by it.
    const std::int32_t left = w(3);
    const std::int32_t bottom = H - h(7);
    std::int32_t right = left, top = bottom;
    // Both factors are below 2^32, so the truncated product fits in 64 unsigned bits; it is
    // then taken modulo 2^32 as the 32-bit arithmetic would.
    auto scaled = [](std::int32_t span, std::int32_t stored, std::uint32_t layout) {
        const double product = static_cast<double>(static_cast<std::uint32_t>(span)) *
                               static_cast<double>(static_cast<std::uint32_t>(stored)) / layout;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(product)));
    };
    if (layoutW(p[4]) != 0) right = left + scaled(W - w(5) - w(3), tw(4), layoutW(p[4]));
    if (layoutH(p[4]) != 0) top = bottom - scaled(bottom - h(1), th(4), layoutH(p[4]));
    p[4].rect = {left, top, right, bottom};
}

// ---- Widget --------------------------------------------------------------------------

Widget::Widget(UiHost& host) : host_(host) { setFont(host_.fontFace(), 12); }

Widget::~Widget() {
    host_.windowStack().forgetFocus(this);
    hovered = nullptr;
    children_.clear();
    if (font_) font_->release();
}

Control* Widget::focusedControl() const { return host_.windowStack().focused(); }

Control* Widget::focusedChild() const {
    Control* focused = focusedControl();
    return focused && focused->owner == this ? focused : nullptr;
}

void Widget::setBounds(const ImageRect& rect) { bounds = rect; }

void Widget::onNotify(int, int controlId, Widget*) {
    if (isClosingId(controlId)) close();
}

void Widget::close() { host_.windowStack().closeWindow(this); }

bool Widget::loadSkin() { return loadNinePatch(kWindowFrameSkin); }

bool Widget::loadImage(std::uint32_t skinIdentifier, SkinImage& image) {
    return host_.loadSkinImage(skinIdentifier, image);
}

void Widget::layoutNinePatch(const ImageRect& area, NinePatch& patch) {
    ui::layoutNinePatch(area.right - area.left, area.bottom - area.top, patch);
}

bool Widget::loadNinePatch(const SkinIds& ids) {
    for (std::size_t k : kLoadOrder)
        if (!loadImage(ids[k], skin[k])) return false;
    layoutNinePatch(bounds, skin);
    clientRect = skin[4].rect;
    return true;
}

void Widget::drawNinePatch(Painter& painter, const NinePatch& patch, int x, int y) {
    for (const SkinImage& image : patch) {
        if (!image.texture) continue;
        painter.drawImage(&image.texture, x + image.rect.left, y + image.rect.top, x + image.rect.right,
                          y + image.rect.bottom);
    }
}

bool Widget::hitTest(int x, int y) const { return bounds.contains(x, y); }

void Widget::setFont(std::wstring_view face, int size) {
    if (!font_) font_ = host_.makeText();
    else font_->release();
    fontSize = size;
    if (font_) (void)font_->create(face, size);
}

void Widget::languageChanged() {
    setFont(host_.fontFace(), fontSize);
    for (const auto& child : children_) child->languageChanged();
}

Status Widget::addChild(Control* control) {
    if (!control) return kInvalidArgument;
    std::unique_ptr<Control> child(control);
    child->tabIndex = static_cast<std::int32_t>(children_.size());
    child->loadSkin();
    child->owner = this;
    children_.insert(children_.begin(), std::move(child));
    return kStatusOk;
}

Control* Widget::childAt(int x, int y) const {
    for (const auto& child : children_)
        if (child->hitTest(x, y) && child->enabled && child->visible) return child.get();
    return nullptr;
}

Control* Widget::nextTabChild(const Control* control) const {
    const auto n = static_cast<std::int32_t>(children_.size());
    if (!control || n == 0) return nullptr;
    const std::int32_t k = (control->tabIndex + 1) % n;
    return children_[static_cast<std::size_t>(n - 1 - k)].get();
}

Control* Widget::previousTabChild(const Control* control) const {
    const auto n = static_cast<std::int32_t>(children_.size());
    if (!control || n == 0) return nullptr;
    const std::int32_t k = (control->tabIndex - 1 + n) % n;
    return children_[static_cast<std::size_t>(n - 1 - k)].get();
}

bool Widget::moveFocus(bool forward) {
    WindowStack& stack = host_.windowStack();
    Control* start = stack.focused();
    if (!start || start->owner != this) return false;
    Control* f = start;
    for (int step = 0; step < 65535; ++step) {
        f = forward ? nextTabChild(f) : previousTabChild(f);
        if (!f || f == start) return false;
        if (f->tabStop && f->owner && f->owner->keyboardNavigation && f->canFocus()) {
            start->focusLost();
            stack.recordFocus(f);
            f->focusGained();
            return true;
        }
    }
    return false;
}

bool Widget::onMessage(std::uint32_t message, WParam wParam, LParam lParam) {
    // The panels come first, for the program's messages and presses on their pages as for
    // their focused controls, which the window's own steps below do not reach.
    for (const auto& child : children_)
        if (auto* panel = dynamic_cast<Panel*>(child.get()); panel && panel->offerMessage(message, wParam, lParam))
            return true;

    WindowStack& stack = host_.windowStack();
    Control* focused = focusedChild();
    if (focused && !focused->enabled) focused = nullptr;
    if (const std::optional<bool> decided = offerToFocused(focused, *this, message, wParam, lParam)) return *decided;

    if (isKeyMessage(message)) {
        if (message != kKeyDown || !keyboardNavigation) return false;
        switch (wParam) {
        case kVkTab:
            if (!focusedControl()) {
                for (const auto& child : children_) {
                    if (!child->defaultFocus) continue;
                    child->focusGained();
                    stack.recordFocus(child.get());
                    break;
                }
            } else {
                (void)moveFocus(!host_.shiftDown());
            }
            return true;
        case kVkLeft:
        case kVkUp:
            if (!focusedControl()) return false;
            (void)moveFocus(false);
            return true;
        case kVkRight:
        case kVkDown:
            if (!focusedControl()) return false;
            (void)moveFocus(true);
            return true;
        default: return false;
        }
    }

    if (isMouseMessage(message)) {
        const int x = mouseX(lParam), y = mouseY(lParam);
        Control* c = childAt(x, y);
        if (c && c->enabled) {
            if (offerToControlAt(*c, *this, message, x, y, wParam, lParam)) return true;
        } else if (message == kLButtonDown && focusedChild()) {
            stack.clearFocus();
        }
        switch (message) {
        case kMouseMove:
            if (wParam == kMkLButton && dragging) dragTo(x, y);
            else mouseMove(x, y);
            return false;
        case kLButtonDown: {
            if (!bounds.contains(x, y) || stack.root() == this) return false;
            if (!offset(clientRect, bounds.left, bounds.top).contains(x, y)) {
                dragging = true;
                dragAnchor = {x, y};
            }
            return true;
        }
        case kLButtonUp: dragging = false; return false;
        default: return false;
        }
    }
    return false;
}

std::optional<bool> Widget::offerToFocused(Control* focused, Widget& window, std::uint32_t message, WParam wParam,
                                           LParam lParam) {
    if (focused && focused->onMessage(message, wParam, lParam)) return true;
    if (message == kActivateApp) {
        if (focused) {
            if (wParam != 0) focused->focusGained();
            else focused->focusLost();
        }
        return false;
    }
    if (isKeyMessage(message)) {
        if (focused && focused->onKey(message, wParam, lParam)) return true;
        return std::nullopt;
    }
    if (isMouseMessage(message)) {
        if (!window.acceptsMouse) return false;
        // The window notes the mouse before the focused control may end the message here.
        window.lastMouseTime = host_.loopTime();
        window.tooltip.clear();
        if (focused && focused->onMouse(message, mouseX(lParam), mouseY(lParam), wParam, lParam)) return true;
    }
    return std::nullopt;
}

bool Widget::offerToControlAt(Control& control, Widget& window, std::uint32_t message, int x, int y, WParam wParam,
                              LParam lParam) {
    window.tooltip = control.tooltip;
    return control.onMouse(message, x, y, wParam, lParam);
}

void Widget::hover(Control* control, bool windowShown) {
    if (windowShown && control && control->visible && control->kind == ControlKind::button) host_.showHandCursor();
    if (control == hovered) return;
    if (hovered) hovered->mouseLeave();
    hovered = control;
    if (control) control->mouseEnter();
}

void Widget::dragTo(int x, int y) {
    const int dx = x - dragAnchor.x, dy = y - dragAnchor.y;
    for (const auto& child : children_) {
        if (!child) continue;
        child->setBounds(offset(child->bounds, dx, dy));
    }
    bounds = offset(bounds, dx, dy);
    dragAnchor = {x, y};
}

void Widget::mouseMove(int x, int y) { hover(childAt(x, y), visible); }

void Widget::draw(Painter& painter) {
    if (!visible) return;
    painter.setColour(tint);
    drawNinePatch(painter, skin, bounds.left, bounds.top);
    drawChildren(painter);
    drawTooltip(painter);
    painter.setColour(Colour::fromPacked(0xFFFFFFFFu));
}

DueIn Widget::advance(Tick now) { return !tooltip.empty() && now == lastMouseTime ? DueIn::in(1) : DueIn::never(); }

void Widget::drawChildren(Painter& painter) {
    Control* focused = focusedChild();
    for (const auto& child : children_)
        if (child->visible && child.get() != focused) child->draw(painter);
    if (focused && focused->visible) focused->draw(painter);
}

void Widget::drawTooltip(Painter& painter) {
    UiHost& host = host_;
    if (host.loopTime() == lastMouseTime || tooltip.empty() || !font_) return;
    const std::optional<Point> cursor = host.cursorPosition();
    const int cw = host.clientWidth(), ch = host.clientHeight();
    if (!cursor || cursor->x < 0 || cursor->y < 0 || cursor->x >= cw || cursor->y >= ch) return;
    const int x = cursor->x, y = cursor->y;
    font_->setText(tooltip);
    const int tw = font_->textWidth();
    const int fs = fontSize;
    // Near the right or bottom edge the tip goes to the left of or above the cursor.
    const int dx = cw - 10 < x + tw + 6 ? cw - x - tw - 16 : 10;
    const int dy = ch - 18 < y + fs + 6 ? ch - fs - y - 14 : 10;
    const ImageRect tip{x + dx, y + dy, x + tw + 6 + dx, y + fs + 6 + dy};
    NinePatch& patch = host.windowStack().tooltipSkin();
    painter.setColour(Colour::fromPacked(0xFFFFFFFFu));
    layoutNinePatch(tip, patch);
    drawNinePatch(painter, patch, tip.left, tip.top);
    font_->draw(painter, tip.left + 3, tip.top + 12, Colour::fromPacked(0xFF000000u));
}

// ---- Control -------------------------------------------------------------------------

Control::~Control() { host().windowStack().forgetFocus(this); }

bool Control::onMessage(std::uint32_t, WParam, LParam) { return false; }
bool Control::loadSkin() { return true; }

void Control::draw(Painter& painter) {
    painter.setColour(tint);
    drawNinePatch(painter, skin, bounds.left, bounds.top);
}

bool Control::onKey(std::uint32_t, WParam, LParam) { return false; }
bool Control::onMouse(std::uint32_t, int, int, WParam, LParam) { return false; }
bool Control::canFocus() const { return false; }
void Control::focusGained() { focusedFlag = true; }
void Control::focusLost() { focusedFlag = false; }
void Control::mouseEnter() { hoveredFlag = true; }
void Control::mouseLeave() { hoveredFlag = false; }

}  // namespace likenex::ui
