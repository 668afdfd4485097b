#include "ui/ListBox.h"

#include "render/Painter.h"
#include "ui/WindowStack.h"

#include <algorithm>
#include <array>
#include <cwchar>

namespace likenex::ui {
namespace {

constexpr SkinIds kBoxSkin = {6001001, 6001002, 6001003, 6001004, 6001005, 6001006, 6001007, 6001008, 6001009};
constexpr std::array<std::size_t, 9> kLoadOrder = {0, 2, 6, 8, 1, 3, 5, 7, 4};
constexpr WParam kVkF4 = 0x73;
constexpr LParam kRepeatBit = 1 << 30;
constexpr int kIconSize = 16;

void drawInto(Painter& painter, const SkinImage& image, const ImageRect& r) {
    if (image.texture) painter.drawImage(&image.texture, r.left, r.top, r.right, r.bottom);
}

}  // namespace

ListBox::ListBox(UiHost& host) : Button(host), scrollBar_(host) {
    kind = ControlKind::listBox;
    textColour = Colour::fromPacked(0xFF000000u);
    scrollBar_.owner = this;
}

bool ListBox::loadSkin() {
    bool ok = true;
    for (std::size_t k : kLoadOrder) ok = ok && loadImage(kBoxSkin[k], skin[k]);
    for (std::size_t k : kLoadOrder) ok = ok && loadImage(kBoxSkin[k], listFrame_[k]);
    ok = ok && loadImage(3001005, arrowNormal_) && loadImage(3001001, arrowPressed_) && loadImage(3001004, highlight_);
    ok = scrollBar_.loadSkin() && ok;
    setBounds(bounds);  // the frame's edges decide the list's inner area
    return ok;
}

void ListBox::setBounds(const ImageRect& rect) {
    bounds = rect;
    const int height = rect.bottom - rect.top;
    arrowRect_ = {rect.right - height, rect.top, rect.right, rect.bottom};
    textRect_ = {rect.left, rect.top, rect.right - height, rect.bottom};
    listRect_ = {rect.left, rect.bottom, rect.right - height, rect.bottom + listHeight};
    innerRect_ = {listRect_.left + listFrame_[3].width + 2, listRect_.top + listFrame_[1].height + 2,
                  listRect_.right - listFrame_[5].width - 2, listRect_.bottom - listFrame_[7].height - 2};
    const int barWidth = scrollBar_.skin[0].width > 0 ? scrollBar_.skin[0].width : 16;
    scrollBar_.setBounds({listRect_.right + 1, listRect_.top, listRect_.right + 1 + barWidth, listRect_.bottom});
    layoutNinePatch(bounds, skin);
    layoutNinePatch(listRect_, listFrame_);
}

int ListBox::linesShown() const { return std::max(0, (innerRect_.bottom - innerRect_.top) / lineHeight()); }

Status ListBox::addEntry(const wchar_t* text, std::int32_t value) {
    if (!text) return kInvalidArgument;
    Entry entry;
    entry.text.assign(text, std::min(std::wcslen(text), kMaxEntryText));
    entry.value = value;
    entries_.push_back(std::move(entry));
    scrollBar_.setRange(0, static_cast<std::int32_t>(entries_.size()));
    if (entries_.size() == 1) {
        selected_ = highlighted_ = 0;
        if (owner && owner->notifyOnSet) notifySelection();
    }
    return kStatusOk;
}

Status ListBox::setEntryText(std::int32_t index, std::wstring_view text) {
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return kInvalidArgument;
    entries_[static_cast<std::size_t>(index)].text.assign(text.substr(0, kMaxEntryText));
    return kStatusOk;
}

Status ListBox::selectEntry(std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return kInvalidArgument;
    selected_ = highlighted_ = index;
    if (owner && owner->notifyOnSet) notifySelection();
    return kStatusOk;
}

void ListBox::selectNext() {
    if (dropped_ || selected_ == -1 || entries_.empty()) return;
    selected_ = (selected_ + 1) % static_cast<std::int32_t>(entries_.size());
    highlighted_ = selected_;
    notifySelection();
}

void ListBox::setIcon(std::size_t index, TextureHandle icon) {
    if (index < entries_.size()) entries_[index].icon = icon;
}

void ListBox::closeList() {
    dropped_ = false;
    if (owner && !owner->keyboardNavigation) host().windowStack().clearFocus();
}

void ListBox::keepInView(std::int32_t index) {
    const int lines = linesShown();
    if (lines <= 0) return;
    if (index < scrollBar_.position()) scrollBar_.setPosition(index);
    else if (index >= scrollBar_.position() + lines) scrollBar_.setPosition(index - lines + 1);
    firstVisible_ = scrollBar_.position();
}

bool ListBox::step(int delta) {
    const std::int32_t next = highlighted_ + delta;
    if (next < 0 || static_cast<std::size_t>(next) >= entries_.size()) return true;
    highlighted_ = selected_ = next;
    if (dropped_) keepInView(next);
    else notifySelection();
    return true;
}

bool ListBox::onKey(std::uint32_t message, WParam key, LParam lParam) {
    if (!enabled || !visible) return false;
    if (dropped_ && scrollBar_.onKey(message, key, lParam)) return true;
    if (message != kKeyDown) return false;
    switch (key) {
    case kVkReturn:
        if (!dropped_) return false;
        if (highlighted_ != selected_) {
            selected_ = highlighted_;
            notifySelection();
        }
        closeList();
        return true;
    case kVkLeft:
    case kVkUp: return step(-1);
    case kVkRight:
    case kVkDown: return step(1);
    case kVkF4:
        if (lParam & kRepeatBit) return true;
        if (!dropped_) {
            dropped_ = true;
            keepInView(highlighted_);
        } else {
            notifySelection();
            closeList();
        }
        return true;
    default: return false;
    }
}

bool ListBox::onMouse(std::uint32_t message, int x, int y, WParam wParam, LParam lParam) {
    if (!enabled || !visible) return false;
    if (dropped_ && scrollBar_.onMouse(message, x, y, wParam, lParam)) {
        firstVisible_ = scrollBar_.position();
        return true;
    }
    if (message == kMouseMove) {
        if (dropped_ && listRect_.contains(x, y)) {
            for (std::size_t i = 0; i < entries_.size(); ++i)
                if (entries_[i].shown && entries_[i].rect.contains(x, y)) highlighted_ = static_cast<std::int32_t>(i);
            return true;
        }
        return false;
    }
    if (message == kLButtonDown || message == kLButtonDblClk) {
        if (dropped_ && listRect_.contains(x, y)) {
            for (std::size_t i = static_cast<std::size_t>(std::max(0, firstVisible_)); i < entries_.size(); ++i) {
                if (!entries_[i].shown || !entries_[i].rect.contains(x, y)) continue;
                selected_ = highlighted_ = static_cast<std::int32_t>(i);
                notifySelection();
                closeList();
                return true;
            }
            return true;  // between entries: the list stays open
        }
        // The whole closed box opens and closes the list, not only its arrow.
        if (bounds.contains(x, y)) {
            pressed = true;
            if (focusedControl() != this) host().windowStack().setFocus(this);
            if (focusedControl() != this) return true;
            dropped_ = !dropped_;
            if (dropped_) keepInView(highlighted_);
            else if (owner && !owner->keyboardNavigation) host().windowStack().clearFocus();
            return true;
        }
        if (dropped_) {
            highlighted_ = selected_;
            notifySelection();
            dropped_ = false;
            pressed = false;
            if (owner && !owner->keyboardNavigation) host().windowStack().clearFocus();
            return true;
        }
        return false;
    }
    if (message == kLButtonUp && pressed) {
        if (bounds.contains(x, y)) pressed = false;
        return true;
    }
    return false;
}

void ListBox::focusLost() {
    Button::focusLost();
    dropped_ = false;
}

void ListBox::draw(Painter& painter) {
    if (!visible) return;
    painter.setColour(Colour::fromPacked(0xFFFFFFFFu));
    drawNinePatch(painter, skin, bounds.left, bounds.top);
    drawInto(painter, pressed || dropped_ ? arrowPressed_ : arrowNormal_, arrowRect_);
    UiText* f = font();
    const int textY = [&](const ImageRect& r) {
        return r.top + (r.bottom - r.top) / 2 + textBaseline - fontSize / 2;
    }(textRect_);
    if (f && selected_ >= 0 && static_cast<std::size_t>(selected_) < entries_.size()) {
        f->setText(entries_[static_cast<std::size_t>(selected_)].text);
        f->draw(painter, textRect_.left + 4, textY, textColour);
    }
    for (Entry& entry : entries_) entry.shown = false;
    if (!dropped_) return;

    painter.setColour(Colour::fromPacked(0xFFFFFFFFu));
    drawNinePatch(painter, listFrame_, listRect_.left, listRect_.top);
    scrollBar_.setPageSize(linesShown());
    firstVisible_ = scrollBar_.position();
    scrollBar_.draw(painter);
    const int line = lineHeight();
    int top = innerRect_.top;
    for (std::size_t i = static_cast<std::size_t>(std::max(0, firstVisible_)); i < entries_.size(); ++i) {
        if (top + line > innerRect_.bottom) break;
        Entry& entry = entries_[i];
        entry.rect = {innerRect_.left, top, innerRect_.right, top + line};
        entry.shown = true;
        const bool isHighlighted = static_cast<std::int32_t>(i) == highlighted_;
        if (isHighlighted) {
            // Text drawing may leave its colour behind: the picture is drawn untinted.
            painter.setColour(Colour::fromPacked(0xFFFFFFFFu));
            drawInto(painter, highlight_, entry.rect);
        }
        int textLeft = innerRect_.left + 2;
        if (entry.icon) {
            painter.drawImage(&entry.icon, innerRect_.left, top + (line - kIconSize) / 2, innerRect_.left + kIconSize,
                              top + (line - kIconSize) / 2 + kIconSize);
            textLeft += kIconSize + 2;
        }
        if (f) {
            f->setText(entry.text);
            f->draw(painter, textLeft, top + line / 2 + textBaseline - fontSize / 2, textColour);
        }
        top += line;
    }
}

// ---- Factory on Widget ---------------------------------------------------------------

ListBox* Widget::createListBox(std::int32_t controlId, const ImageRect& rect) {
    return addControl<ListBox>(controlId, rect, [](ListBox&) {});
}

}  // namespace likenex::ui
