#include "ui/Buttons.h"

#include "render/Painter.h"
#include "ui/WindowStack.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace likenex::ui {
namespace {

constexpr SkinIds kLabelSkin = {11004001, 11004002, 11004003, 11004004, 11004005,
                                11004006, 11004007, 11004008, 11004009};
constexpr std::array<std::uint32_t, 18> kCloseButtonImages = {1001001, 1001002, 1001003, 1001004, 1001005, 1001006,
                                                              1001007, 1001008, 1001009, 1001010, 1001011, 1001012,
                                                              1001013, 1001014, 1001015, 1001016, 1001017, 1001018};
// 1004011 is not one of them.
constexpr std::array<std::uint32_t, 18> kButtonImages = {1004001, 1004002, 1004003, 1004004, 1004005, 1004006,
                                                         1004007, 1004008, 1004009, 1004010, 1004012, 1004013,
                                                         1004014, 1004015, 1004016, 1004017, 1004018, 1004019};
constexpr std::array<std::uint32_t, 2> kImageButtonFour = {1002002, 1002001};
constexpr std::array<std::size_t, 9> kLoadOrder = {0, 2, 6, 8, 1, 3, 5, 7, 4};

void drawInto(Painter& painter, const SkinImage& image, const ImageRect& r) {
    if (image.texture) painter.drawImage(&image.texture, r.left, r.top, r.right, r.bottom);
}

}  // namespace

// ---- Label ---------------------------------------------------------------------------

Label::Label(UiHost& host) : Control(host) {
    tabStop = true;
    defaultFocus = false;
    kind = ControlKind::label;
}

bool Label::loadSkin() { return loadNinePatch(kLabelSkin); }

void Label::draw(Painter& painter) {
    Control::draw(painter);
    drawText(painter);
}

bool Label::hitTest(int, int) const { return false; }

void Label::setCaption(std::wstring_view text) {
    text_.assign(text.substr(0, kMaxCaption));
    UiText* f = font();
    if (!f || text_.empty()) return;
    f->setText(text_);
    const int width = bounds.right - bounds.left;
    const auto length = static_cast<int>(text_.size());
    int n = 1;
    while (n <= length && f->textWidthOf(n) <= width) ++n;
    text_.resize(static_cast<std::size_t>(n - 1));
}

void Label::drawText(Painter& painter, std::optional<int> left, bool shifted) {
    UiText* f = font();
    if (!f || text_.empty()) return;
    f->setText(text_);
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    int x = left ? *left : bounds.left + width / 2 - f->textWidth() / 2;
    int y = bounds.top + height / 2 + textBaseline - fontSize / 2;
    if (shifted) {
        ++x;
        ++y;
    }
    f->draw(painter, x, y, textColour);
}

// ---- Button --------------------------------------------------------------------------

Button::Button(UiHost& host) : Label(host) {
    textColour = Colour::fromPacked(0xFFFFFFFFu);
    setFont(host.fontFace(), 11);
    kind = ControlKind::button;
}

bool Button::loadSkin() {
    if (style == image) return true;  // the screen gives the pictures
    if (id == 4) {
        style = image;
        return setButtonImages(kImageButtonFour);
    }
    return setButtonImages(id == 3 ? std::span<const std::uint32_t>(kCloseButtonImages)
                                   : std::span<const std::uint32_t>(kButtonImages));
}

bool Button::setButtonImages(std::span<const std::uint32_t> ids) {
    if (style == image) {
        if (ids.size() != 2 && ids.size() != 3) return false;
        for (std::size_t k = 0; k < ids.size(); ++k)
            if (!loadImage(ids[k], skin[k])) return false;
        return true;
    }
    if (ids.size() != 18) return false;
    for (std::size_t k : kLoadOrder)
        if (!loadImage(ids[k], skin[k])) return false;
    for (std::size_t k : kLoadOrder)
        if (!loadImage(ids[9 + k], pressedSkin[k])) return false;
    layoutNinePatch(bounds, skin);
    clientRect = skin[4].rect;
    return true;
}

void Button::draw(Painter& painter) {
    painter.setColour(Colour::fromPacked(0xFFFFFFFFu));
    if (style == image) {
        const SkinImage* picture = &skin[0];
        if (pressed) picture = &skin[1];
        else if (!enabled && skin[2].texture) picture = &skin[2];
        drawInto(painter, *picture,
                 {bounds.left, bounds.top, bounds.left + picture->width, bounds.top + picture->height});
    } else {
        for (std::size_t k = 0; k < skin.size(); ++k) {
            const ImageRect& d = skin[k].rect;
            drawInto(painter, pressed ? pressedSkin[k] : skin[k],
                     {bounds.left + d.left, bounds.top + d.top, bounds.left + d.right, bounds.top + d.bottom});
        }
    }
    drawText(painter, std::nullopt, pressed);
}

bool Button::hitTest(int x, int y) const { return Widget::hitTest(x, y); }

bool Button::canFocus() const { return visible && enabled; }

void Button::focusLost() {
    Control::focusLost();
    pressed = false;
}

void Button::notifyOwner(int code) {
    if (owner) owner->onNotify(code, id, this);
}

bool Button::onKey(std::uint32_t message, WParam key, LParam) {
    if (!enabled || !visible) return false;
    if (key != kVkReturn && key != kVkSpace) return false;
    if (message == kKeyDown) {
        pressed = true;
        return true;
    }
    if (message == kKeyUp) {
        if (pressed) {
            pressed = false;
            notifyOwner(kNotifyButton);
        }
        return true;
    }
    return false;
}

bool Button::onMouse(std::uint32_t message, int x, int y, WParam, LParam) {
    if (!enabled || !visible) return false;
    if ((message == kLButtonDown || message == kLButtonDblClk) && hitTest(x, y)) {
        pressed = true;
        if (focusedControl() != this) host().windowStack().setFocus(this);
        return true;
    }
    if (message == kLButtonUp && pressed) {
        pressed = false;
        if (owner && !owner->keyboardNavigation) host().windowStack().clearFocus();
        if (hitTest(x, y)) notifyOwner(kNotifyButton);
        return true;
    }
    return false;
}

// ---- CheckBox ------------------------------------------------------------------------

CheckBox::CheckBox(UiHost& host) : Button(host) {
    textColour = Colour::fromPacked(0xFF000000u);
    kind = ControlKind::checkBox;
}

void CheckBox::setBounds(const ImageRect& rect) {
    bounds = rect;
    boxRect = rect;
    boxRect.right = rect.left + (rect.bottom - rect.top);
    textRect = rect;
    textRect.left = rect.left + static_cast<std::int32_t>(std::trunc(1.25 * (boxRect.right - boxRect.left)));
}

bool CheckBox::loadSkin() {
    return loadImage(2001001, skin[0]) && loadImage(2001002, skin[1]) && loadImage(2001003, skin[2]);
}

void CheckBox::draw(Painter& painter) {
    setBounds(bounds);
    painter.setColour(Colour::fromPacked(0xFFFFFFFFu));
    drawInto(painter, skin[0], bounds);
    drawInto(painter, ticked ? skin[2] : skin[1], boxRect);
    drawText(painter, textRect.left);
}

bool CheckBox::hitTest(int x, int y) const { return bounds.contains(x, y) || boxRect.contains(x, y); }

bool CheckBox::onKey(std::uint32_t message, WParam key, LParam) {
    if (!enabled || !visible || key != kVkSpace) return false;
    if (message == kKeyDown) {
        pressed = true;
        return true;
    }
    if (message == kKeyUp) {
        if (pressed) {
            pressed = false;
            userToggle();
        }
        return true;
    }
    return false;
}

bool CheckBox::onMouse(std::uint32_t message, int x, int y, WParam, LParam) {
    if (!enabled || !visible) return false;
    if ((message == kLButtonDown || message == kLButtonDblClk) && hitTest(x, y)) {
        pressed = true;
        if (owner && owner->keyboardNavigation && focusedControl() != this) host().windowStack().setFocus(this);
        return true;
    }
    if (message == kLButtonUp && pressed) {
        pressed = false;
        if (hitTest(x, y)) userToggle();
        return true;
    }
    return false;
}

void CheckBox::userToggle() { setTicked(!ticked, true); }

void CheckBox::toggle() { setTicked(!ticked, true); }

void CheckBox::setTicked(bool state, bool notify) {
    ticked = state;
    if (notify || (owner && owner->notifyOnSet)) notifyOwner(kNotifyCheckBox);
}

// ---- RadioButton ---------------------------------------------------------------------

RadioButton::RadioButton(UiHost& host) : CheckBox(host) { kind = ControlKind::radioButton; }

bool RadioButton::loadSkin() {
    return loadImage(2001001, skin[0]) && loadImage(7001001, skin[1]) && loadImage(7001002, skin[2]);
}

void RadioButton::toggle() { setTicked(true, true, true); }

void RadioButton::setTicked(bool state, bool notify) { setTicked(state, false, notify); }

void RadioButton::setTicked(bool state, bool clearGroup, bool notify) {
    if (state && clearGroup && owner) owner->untickGroup(group);
    ticked = state;
    if (notify || (owner && owner->notifyOnSet)) notifyOwner(kNotifyRadioButton);
}

void RadioButton::userToggle() {
    // Clearing the group clears this button too, so it ends ticked.
    if (owner) owner->untickGroup(group);
    ticked = !ticked;
    notifyOwner(kNotifyRadioButton);
}

// ---- Factories on Widget -------------------------------------------------------------

Label* Widget::createLabel(std::int32_t controlId, std::wstring_view text, const ImageRect& rect) {
    return addControl<Label>(controlId, rect, [&](Label& label) { label.setCaption(text); });
}

Button* Widget::createButton(std::int32_t controlId, std::wstring_view text, const ImageRect& rect,
                             std::int32_t style) {
    return addControl<Button>(controlId, rect, [&](Button& button) {
        button.style = style;
        button.setCaption(text);
    });
}

CheckBox* Widget::createCheckBox(std::int32_t controlId, std::wstring_view text, bool ticked, const ImageRect& rect) {
    return addControl<CheckBox>(controlId, rect, [&](CheckBox& box) {
        box.setCaption(text);
        box.setTicked(ticked, false);
    });
}

RadioButton* Widget::createRadioButton(std::int32_t controlId, std::int32_t group, std::wstring_view text, bool ticked,
                                       const ImageRect& rect) {
    RadioButton* button = addControl<RadioButton>(controlId, rect, [&](RadioButton& radio) {
        radio.group = group;
        radio.setCaption(text);
    });
    // Set once it is among its siblings, so that a button made ticked clears the others of its
    // group; quietly, as a made button tells nobody.
    if (button) {
        if (ticked) untickGroup(group);
        button->ticked = ticked;
    }
    return button;
}

void Widget::untickGroup(std::int32_t group) {
    for (const auto& child : children_)
        if (child->kind == ControlKind::radioButton) {
            auto* radio = static_cast<RadioButton*>(child.get());
            if (radio->group == group) radio->setTicked(false, false, false);
        }
}

}  // namespace likenex::ui
