#include "ui/EditBox.h"

#include "render/Painter.h"
#include "ui/WindowStack.h"

#include <algorithm>

namespace likenex::ui {
namespace {

constexpr SkinIds kEditSkin = {4001001, 4001002, 4001003, 4001004, 4001005, 4001006, 4001007, 4001008, 4001009};
constexpr std::uint32_t kImeStartComposition = 0x010D;
constexpr WParam kVkEnd = 0x23, kVkHome = 0x24, kVkDelete = 0x2E;
constexpr wchar_t kCtrlA = 1, kCtrlC = 3, kBackspace = 8, kEnter = 13, kCtrlV = 22, kCtrlX = 24;
constexpr std::int32_t kMaxLineCharacters = 250;
constexpr std::int32_t kMaxRunCharacters = 251;
constexpr std::size_t kMaxDigits = 10;

void fill(Painter& painter, const ImageRect& r, const Colour& colour) {
    painter.setColour(colour);
    painter.fillRect(r.left, r.top, r.right, r.bottom);
}

}  // namespace

EditBox::EditBox(UiHost& host, std::int32_t initialMode) : Control(host), mode(initialMode) {
    kind = ControlKind::editBox;
    tabStop = true;
    defaultFocus = false;
    textColour = Colour::fromPacked(0xFF000000u);
    host.windowStack().editBoxMade();
}

EditBox::~EditBox() { host().windowStack().editBoxGone(); }

bool EditBox::loadSkin() { return loadNinePatch(kEditSkin); }

bool EditBox::canFocus() const { return visible && enabled; }

void EditBox::setBounds(const ImageRect& rect) {
    bounds = rect;
    textRect_ = {rect.left + margin_, rect.top + margin_, rect.right - margin_, rect.top + margin_ + fontSize};
    visibleLines_ = fontSize > 0 ? (rect.bottom - rect.top - 2 * margin_) / fontSize : 0;
    needsLayout_ = true;
}

void EditBox::setMargin(std::int32_t margin) {
    margin_ = margin;
    setBounds(bounds);
}

void EditBox::setFont(std::wstring_view face, int size) {
    Widget::setFont(face, size);
    setBounds(bounds);
    charWidths_.clear();
    for (wchar_t c : text_) charWidths_.push_back(mode == password ? measure(L'*') : measure(c));
    layout();
}

int EditBox::measure(wchar_t c) {
    if (c == kEnter) return 0;
    UiText* f = font();
    if (!f) return 0;
    f->setText(std::wstring_view(&c, 1));
    return f->textWidth();
}

int EditBox::width(std::int32_t from, std::int32_t to) const {
    const auto n = static_cast<std::int32_t>(charWidths_.size());
    from = std::clamp(from, 0, n);
    to = std::clamp(to, from, n);
    int sum = 0;
    for (std::int32_t i = from; i < to; ++i) sum += charWidths_[static_cast<std::size_t>(i)];
    return sum;
}

void EditBox::layout() {
    needsLayout_ = false;
    const auto length = static_cast<std::int32_t>(text_.size());
    const int room = textRect_.right - textRect_.left;
    lines_.clear();
    if (mode == multiLine) {
        std::int32_t start = 0;
        for (;;) {
            std::int32_t n = 0;
            // A line takes at least one character, so a character wider than the box still
            // moves the layout on.
            while (start + n < length && text_[static_cast<std::size_t>(start + n)] != kEnter &&
                   n < kMaxLineCharacters && (n == 0 || width(start, start + n + 1) <= room))
                ++n;
            lines_.emplace_back(start, n);
            start += n;
            if (start < length && text_[static_cast<std::size_t>(start)] == kEnter) {
                ++start;  // the line break ends its line; the next starts after it
                continue;
            }
            if (start >= length) break;
        }
        findCaretLine();
        if (caretLine_ < firstLine_) firstLine_ = caretLine_;
        if (visibleLines_ > 0 && caretLine_ >= firstLine_ + visibleLines_) firstLine_ = caretLine_ - visibleLines_ + 1;
        return;
    }
    scroll_ = std::clamp(scroll_, 0, length);
    while (width(scroll_, caret_) > room && scroll_ < caret_) ++scroll_;
    if (scroll_ == caret_ && scroll_ > 0) --scroll_;
    std::int32_t n = 0;
    while (scroll_ + n < length && n < kMaxRunCharacters && width(scroll_, scroll_ + n + 1) <= room) ++n;
    lines_.emplace_back(scroll_, n);
}

void EditBox::findCaretLine() {
    caretLine_ = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto [start, length] = lines_[i];
        const bool last = i + 1 == lines_.size();
        if (caret_ >= start && caret_ <= start + length && (last || caret_ < lines_[i + 1].first)) {
            caretLine_ = static_cast<std::int32_t>(i);
            return;
        }
        if (last) caretLine_ = static_cast<std::int32_t>(i);
    }
}

std::pair<std::int32_t, std::int32_t> EditBox::caretLineSpan() const {
    if (mode == multiLine && caretLine_ >= 0 && static_cast<std::size_t>(caretLine_) < lines_.size())
        return lines_[static_cast<std::size_t>(caretLine_)];
    return lines_.empty() ? std::pair<std::int32_t, std::int32_t>{scroll_, 0} : lines_.front();
}

void EditBox::scrollToCaret() {
    needsLayout_ = true;
    layout();
}

void EditBox::removeAt(std::int32_t index) {
    const auto i = static_cast<std::size_t>(index);
    text_.erase(i, 1);
    if (mode == password && !mask_.empty()) mask_.pop_back();
    charWidths_.erase(charWidths_.begin() + index);
    needsLayout_ = true;
}

void EditBox::deleteSelection() {
    if (!hasSelection()) return;
    const std::int32_t from = std::min(caret_, anchor_), to = std::max(caret_, anchor_);
    text_.erase(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    if (mode == password) mask_.resize(text_.size(), L'*');
    charWidths_.erase(charWidths_.begin() + from, charWidths_.begin() + to);
    caret_ = anchor_ = from;
    if (scroll_ > from) scroll_ = from;
    needsLayout_ = true;
}

bool EditBox::insert(std::wstring_view characters) {
    const auto count = static_cast<std::int64_t>(characters.size());
    if (static_cast<std::int64_t>(text_.size()) + count > std::min(kMaxEditLength, maxLength)) return false;
    const auto at = static_cast<std::size_t>(caret_);
    text_.insert(at, characters);
    std::vector<std::int32_t> widths;
    widths.reserve(characters.size());
    for (wchar_t c : characters) widths.push_back(mode == password ? measure(L'*') : measure(c));
    charWidths_.insert(charWidths_.begin() + caret_, widths.begin(), widths.end());
    if (mode == password) mask_.append(characters.size(), L'*');
    caret_ = anchor_ = caret_ + static_cast<std::int32_t>(count);
    needsLayout_ = true;
    layout();
    return true;
}

void EditBox::notify(int code) {
    if (owner) owner->onNotify(code, id, this);
}

void EditBox::copySelection() {
    if (!hasSelection()) return;
    const std::int32_t from = std::min(caret_, anchor_), to = std::max(caret_, anchor_);
    host().putClipboardText(
        std::wstring_view(text_).substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
}

void EditBox::paste() {
    deleteSelection();
    std::optional<std::wstring> pasted = host().clipboardText();
    if (!pasted) {
        layout();
        return;
    }
    // Line breaks come as CR LF from the clipboard: a multi-line box keeps one CR per break,
    // a single-line box none.
    std::wstring clean;
    for (std::size_t i = 0; i < pasted->size(); ++i) {
        const wchar_t c = (*pasted)[i];
        if (c == L'\r' || c == L'\n') {
            if (c == L'\r' && i + 1 < pasted->size() && (*pasted)[i + 1] == L'\n') ++i;
            if (mode == multiLine) clean += L'\r';
            continue;
        }
        clean += c;
    }
    if (!insert(clean)) layout();
}

void EditBox::placeComposition() {
    const auto [start, length] = caretLineSpan();
    (void)length;
    host().placeCompositionWindow(textRect_.left + width(start, caret_) + fontSize,
                                  textRect_.bottom + (caretLine_ - firstLine_) * fontSize);
}

bool EditBox::onMessage(std::uint32_t message, WParam wParam, LParam) {
    if (message == kImeStartComposition) {
        placeComposition();
        return true;
    }
    if (message == kTimer) {
        if (wParam != kCaretTimerId || focusedControl() != this) return false;
        UiHost& host = this->host();
        host.stopCaretTimer();
        host.startCaretTimer();
        caretVisible_ = !caretVisible_;
        return true;
    }
    if (message != kChar || !enabled || !visible) return false;

    const auto c = static_cast<wchar_t>(wParam);
    switch (c) {
    case kCtrlA:
        if (mode == password) return false;
        if (!hasSelection()) {
            anchor_ = 0;
            caret_ = static_cast<std::int32_t>(text_.size());
            scrollToCaret();
        }
        return true;
    case kCtrlC:
    case kCtrlX:
        if (mode == password) return false;
        copySelection();
        if (c == kCtrlX && hasSelection()) {
            deleteSelection();
            layout();
            notify(kNotifyEditChanged);
        }
        return true;
    case kBackspace:
        if (hasSelection()) {
            deleteSelection();
            notify(kNotifyEditChanged);
        } else if (caret_ > 0) {
            if (caret_ == scroll_) --scroll_;
            removeAt(caret_ - 1);
            anchor_ = --caret_;
            notify(kNotifyEditChanged);
        }
        needsLayout_ = true;
        layout();
        return true;
    case kCtrlV:
        if (mode == digits || mode == password) return false;
        paste();
        notify(kNotifyEditChanged);
        return true;
    case kEnter:
        if (mode == multiLine) {
            deleteSelection();
            if (insert(std::wstring_view(&c, 1))) notify(kNotifyEditChanged);
        } else {
            notify(kNotifyEditEnter);
        }
        return true;
    default: break;
    }
    // Other control characters, and the DEL that Ctrl+Backspace makes, are not text.
    if (c < 30 || c == 0x7f) return true;

    const bool hadSelection = hasSelection();
    deleteSelection();
    bool inserted = false;
    if (mode != digits || (c >= L'0' && c <= L'9' && text_.size() < kMaxDigits))
        inserted = insert(std::wstring_view(&c, 1));
    if (!inserted) layout();
    if (inserted || hadSelection) notify(kNotifyEditChanged);
    return true;
}

bool EditBox::onKey(std::uint32_t message, WParam key, LParam) {
    if (message != kKeyDown || !enabled || !visible) return false;
    const auto length = static_cast<std::int32_t>(text_.size());
    switch (key) {
    case kVkTab: return !tabStop;  // with tabStop the window moves the focus on
    case kVkEscape: return false;
    case kVkEnd:
        caret_ = length;
        scrollToCaret();
        break;
    case kVkHome:
        caret_ = scroll_ = firstLine_ = caretLine_ = 0;
        needsLayout_ = true;
        layout();
        break;
    case kVkLeft:
        if (caret_ > 0) {
            if (mode == multiLine) {
                --caret_;
                findCaretLine();
                scrollToCaret();
            } else {
                if (caret_ == scroll_) {
                    --scroll_;
                    layout();
                }
                --caret_;
                layout();
            }
        }
        break;
    case kVkRight:
        if (caret_ < length) {
            ++caret_;
            if (mode == multiLine) findCaretLine();
            scrollToCaret();
        }
        break;
    case kVkUp:
    case kVkDown:
        if (mode == multiLine) {
            layout();
            const int target = caretLine_ + (key == kVkUp ? -1 : 1);
            if (target >= 0 && static_cast<std::size_t>(target) < lines_.size()) {
                const std::int32_t column = caret_ - lines_[static_cast<std::size_t>(caretLine_)].first;
                const auto [start, count] = lines_[static_cast<std::size_t>(target)];
                caret_ = start + std::min(column, count);
                findCaretLine();
                scrollToCaret();
            }
        }
        break;
    case kVkDelete:
        if (hasSelection()) {
            deleteSelection();
        } else if (caret_ < length) {
            removeAt(caret_);
        } else {
            return false;
        }
        layout();
        notify(kNotifyEditChanged);
        return true;
    default:
        // Swallowed as it is: a key with a character sends it next, as WM_CHAR, and that
        // character (Ctrl+C, a letter, Backspace) works on the selection as it stands.
        return true;
    }
    // Only the caret's movements get here: with Shift they extend the selection, without it
    // they collapse it.
    if (!host().shiftDown()) anchor_ = caret_;
    return true;
}

int EditBox::lineAt(int y) const {
    int top = textRect_.top;
    for (std::size_t i = static_cast<std::size_t>(std::max(0, firstLine_)); i < lines_.size(); ++i) {
        if (top >= bounds.bottom - margin_) return -1;
        if (y < top + fontSize) return static_cast<int>(i);
        top += fontSize;
    }
    return -1;
}

std::int32_t EditBox::positionIn(const std::pair<std::int32_t, std::int32_t>& line, int x) const {
    const auto [start, length] = line;
    const int rx = x - textRect_.left;
    for (std::int32_t k = 0; k < length; ++k)
        if (rx <= (width(start, start + k) + width(start, start + k + 1)) / 2) return start + k;
    return start + length;
}

bool EditBox::onMouse(std::uint32_t message, int x, int y, WParam, LParam) {
    if (!enabled || !visible || message < kMouseMove || message > kLButtonDblClk) return false;
    if (message == kLButtonDown || message == kLButtonDblClk) {
        if (focusedControl() != this) host().windowStack().setFocus(this);
        if (!bounds.contains(x, y)) return false;
        selecting_ = true;
        layout();
        std::pair<std::int32_t, std::int32_t> line = lines_.empty() ? std::pair{0, 0} : lines_.front();
        if (mode == multiLine) {
            const int index = lineAt(y);
            line = index >= 0 ? lines_[static_cast<std::size_t>(index)] : lines_.back();
        }
        caret_ = anchor_ = positionIn(line, x);
        if (mode == multiLine) findCaretLine();
        placeComposition();
        return true;
    }
    if (message == kMouseMove) {
        if (!selecting_ || mode == password || !bounds.contains(x, y)) return false;
        layout();
        if (mode == multiLine) {
            if (y < textRect_.top && firstLine_ > 0) --firstLine_;
            else if (y >= textRect_.top + visibleLines_ * fontSize &&
                     firstLine_ + visibleLines_ < static_cast<std::int32_t>(lines_.size()))
                ++firstLine_;
            const int index = lineAt(y);
            const auto line = index >= 0 ? lines_[static_cast<std::size_t>(index)]
                                         : lines_[static_cast<std::size_t>(std::min<std::size_t>(
                                               static_cast<std::size_t>(firstLine_), lines_.size() - 1))];
            caret_ = positionIn(line, x);
            caretLine_ = index >= 0 ? index : caretLine_;
        } else {
            const auto line = lines_.front();
            const std::int32_t position = positionIn(line, x);
            const auto length = static_cast<std::int32_t>(text_.size());
            if (position == line.first && x < textRect_.left && scroll_ > 0) {
                --scroll_;
                caret_ = scroll_;
            } else if (position == line.first + line.second && line.first + line.second < length &&
                       x > textRect_.left + width(line.first, line.first + line.second)) {
                ++scroll_;
                caret_ = position + 1;
            } else {
                caret_ = position;
            }
        }
        return true;
    }
    if (message == kLButtonUp) selecting_ = false;
    return false;
}

void EditBox::focusGained() {
    Control::focusGained();
    placeComposition();
}

void EditBox::focusLost() {
    Control::focusLost();
    selecting_ = false;
}

void EditBox::setEditText(std::wstring_view text) {
    text_.clear();
    mask_.clear();
    charWidths_.clear();
    caret_ = anchor_ = scroll_ = firstLine_ = caretLine_ = 0;
    selecting_ = false;
    needsLayout_ = true;
    if (text.empty()) {
        layout();
        return;
    }
    const auto limit = static_cast<std::size_t>(std::max(0, std::min(kMaxEditLength, maxLength)));
    if (text.size() > limit) text = text.substr(0, limit);
    if (mode == digits && !std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; })) {
        layout();
        return;
    }
    text_.assign(text);
    if (mode == password) {
        mask_.assign(text_.size(), L'*');
        charWidths_.assign(text_.size(), measure(L'*'));
    } else {
        for (wchar_t c : text_) charWidths_.push_back(measure(c));
    }
    layout();
}

void EditBox::draw(Painter& painter) {
    if (!visible) return;
    Control::draw(painter);
    setBounds(bounds);
    layout();
    UiText* f = font();
    const std::wstring& shownText = shown();
    const std::int32_t selFrom = std::min(caret_, anchor_), selTo = std::max(caret_, anchor_);
    const Colour inverted = Colour::fromInts(255 - textColour.red, 255 - textColour.green, 255 - textColour.blue, 255);
    const bool showCaret = focusedControl() == this && caretVisible_;
    std::size_t first = mode == multiLine ? static_cast<std::size_t>(std::max(0, firstLine_)) : 0;
    int top = textRect_.top;
    for (std::size_t i = first; i < lines_.size(); ++i) {
        if (mode == multiLine && top >= bounds.bottom - margin_) break;
        const auto [start, length] = lines_[i];
        const int baseline = top + textBaseline;
        if (f && length > 0) {
            f->setText(
                std::wstring_view(shownText).substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length)));
            f->draw(painter, textRect_.left, baseline, textColour);
        }
        const std::int32_t a = std::max(selFrom, start), b = std::min(selTo, start + length);
        if (a < b) {
            const int left = textRect_.left + width(start, a);
            fill(painter, {left, top, left + width(a, b), top + fontSize}, textColour);
            if (f) {
                f->setText(
                    std::wstring_view(shownText).substr(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a)));
                f->draw(painter, left, baseline, inverted);
            }
        }
        const bool caretHere = mode == multiLine ? static_cast<std::int32_t>(i) == caretLine_ : true;
        if (showCaret && caretHere) {
            const int x = textRect_.left + width(start, caret_);
            fill(painter, {x, top, x + 1, top + fontSize}, textColour);
        }
        if (mode != multiLine) break;
        top += fontSize;
    }
    painter.setColour(Colour::fromPacked(0xFFFFFFFFu));
}

// ---- Factory on Widget ---------------------------------------------------------------

EditBox* Widget::createEditBox(std::int32_t controlId, const ImageRect& rect, std::int32_t mode) {
    // The mode is the box's before it is placed, as its layout follows it.
    return addControl<EditBox>(
        controlId, rect, [](EditBox&) {}, mode);
}

}  // namespace likenex::ui
