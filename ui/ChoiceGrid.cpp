#include "ui/ChoiceGrid.h"

#include "render/Painter.h"
#include "ui/WindowStack.h"

#include <algorithm>

namespace likenex::ui {
namespace {

constexpr int kBarWidth = 12;
constexpr int kTextLine = 14;

void fill(Painter& painter, const ImageRect& r, const Colour& colour) {
    painter.setColour(colour);
    painter.fillRect(r.left, r.top, r.right, r.bottom);
}

}  // namespace

ChoiceGrid::ChoiceGrid(UiHost& host) : Control(host), scrollBar_(host) {
    kind = ControlKind::listBox;
    tabStop = true;
    scrollBar_.owner = this;
}

ChoiceGrid::Room ChoiceGrid::pictureRoom(const Layout& layout, int textLines) {
    const int lines = layout.textLines >= 0 ? layout.textLines : textLines;
    return {std::max(0, layout.cellWidth - 4), std::max(0, layout.cellHeight - 4 - lines * kTextLine)};
}

bool ChoiceGrid::loadSkin() {
    const bool ok = scrollBar_.loadSkin();
    setBounds(bounds);
    return ok;
}

void ChoiceGrid::setBounds(const ImageRect& rect) {
    bounds = rect;
    scrollBar_.setBounds({rect.right - kBarWidth, rect.top, rect.right, rect.bottom});
}

void ChoiceGrid::setLayout(const Layout& layout) {
    layout_ = layout;
    layout_.columns = std::max(1, layout_.columns);
    layout_.rowsShown = std::max(1, layout_.rowsShown);
    scrollBar_.setPageSize(layout_.rowsShown);
    scrollBar_.setRange(0, rowCount());
}

int ChoiceGrid::rowCount() const {
    return static_cast<int>((cells_.size() + static_cast<std::size_t>(layout_.columns) - 1) /
                            static_cast<std::size_t>(layout_.columns));
}

void ChoiceGrid::setCells(std::vector<Cell> cells) {
    cells_ = std::move(cells);
    selected_ = -1;
    scrollBar_.setRange(0, rowCount());
    scrollBar_.setPosition(0);
}

void ChoiceGrid::select(int index) {
    selected_ = index >= 0 && static_cast<std::size_t>(index) < cells_.size() ? index : -1;
    if (selected_ >= 0) keepInView(selected_);
}

void ChoiceGrid::keepInView(int index) {
    const int row = index / layout_.columns;
    const int first = scrollBar_.position();
    if (row < first) scrollBar_.setPosition(row);
    else if (row >= first + layout_.rowsShown) scrollBar_.setPosition(row - layout_.rowsShown + 1);
}

void ChoiceGrid::choose(int index) {
    select(index);
    if (owner) owner->onNotify(kNotifyListSelection, id, this);
}

ImageRect ChoiceGrid::cellRect(int index) const {
    const int row = index / layout_.columns - scrollBar_.position();
    const int column = index % layout_.columns;
    const int left = bounds.left + layout_.left + column * layout_.cellWidth;
    const int top = bounds.top + layout_.top + row * layout_.cellHeight;
    return {left, top, left + layout_.cellWidth, top + layout_.cellHeight};
}

int ChoiceGrid::cellAt(int x, int y) const {
    if (layout_.cellWidth <= 0 || layout_.cellHeight <= 0) return -1;
    const int dx = x - bounds.left - layout_.left, dy = y - bounds.top - layout_.top;
    if (dx < 0 || dy < 0) return -1;
    const int column = dx / layout_.cellWidth, row = dy / layout_.cellHeight;
    if (column >= layout_.columns || row >= layout_.rowsShown) return -1;
    const long long index = (static_cast<long long>(row) + scrollBar_.position()) * layout_.columns + column;
    return index < static_cast<long long>(cells_.size()) ? static_cast<int>(index) : -1;
}

bool ChoiceGrid::onKey(std::uint32_t message, WParam key, LParam) {
    if (!enabled || !visible || message != kKeyDown || selected_ < 0) return false;
    // Left and right step through the cells, up and down by a row; a one-column list has
    // rows only.
    int delta = 0;
    switch (key) {
    case kVkLeft: delta = layout_.columns > 1 ? -1 : 0; break;
    case kVkRight: delta = layout_.columns > 1 ? 1 : 0; break;
    case kVkUp: delta = -layout_.columns; break;
    case kVkDown: delta = layout_.columns; break;
    default: return false;
    }
    const int next = selected_ + delta;
    if (delta != 0 && next >= 0 && static_cast<std::size_t>(next) < cells_.size()) choose(next);
    return true;
}

bool ChoiceGrid::onMouse(std::uint32_t message, int x, int y, WParam wParam, LParam lParam) {
    if (!enabled || !visible) return false;
    if (rowCount() > layout_.rowsShown && scrollBar_.onMouse(message, x, y, wParam, lParam)) return true;
    if (message != kLButtonDown && message != kLButtonDblClk) return bounds.contains(x, y);
    if (!bounds.contains(x, y)) return false;
    host().windowStack().setFocus(this);
    if (const int index = cellAt(x, y); index >= 0) choose(index);
    return true;
}

void ChoiceGrid::draw(Painter& painter) {
    if (!visible) return;
    const int first = scrollBar_.position() * layout_.columns;
    const int last = std::min<int>(static_cast<int>(cells_.size()), first + layout_.rowsShown * layout_.columns);
    UiText* text = font();
    for (int i = first; i < last; ++i) {
        const Cell& c = cells_[static_cast<std::size_t>(i)];
        const ImageRect r = cellRect(i);
        if (i == selected_) fill(painter, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, selectionColour);
        const int lines = (c.text.empty() ? 0 : 1) + (c.note.empty() ? 0 : 1);
        if (c.picture && c.pictureWidth > 0 && c.pictureHeight > 0) {
            // Fitted into the cell above its text lines, never enlarged, centred.
            const Room room = pictureRoom(layout_, lines);
            const int roomH = room.height;
            double scale = std::min(1.0, std::min(static_cast<double>(room.width) / c.pictureWidth,
                                                  static_cast<double>(roomH) / c.pictureHeight));
            scale = std::max(scale, 0.0);
            const int w = static_cast<int>(c.pictureWidth * scale), h = static_cast<int>(c.pictureHeight * scale);
            const int left = r.left + (layout_.cellWidth - w) / 2, top = r.top + 2 + (roomH - h) / 2;
            painter.setColour(Colour::fromPacked(0xFFFFFFFFu));
            painter.drawImage(&c.picture, left, top, left + w, top + h);
        }
        if (!text) continue;
        const bool onlyText = !c.picture;
        int baseline =
            onlyText ? r.top + (layout_.cellHeight + fontSize) / 2 - 2 : r.bottom - 4 - (lines - 1) * kTextLine;
        for (const std::wstring* line : {&c.text, &c.note}) {
            if (line->empty()) continue;
            text->setText(*line);
            const int width = text->textWidth();
            const int x = onlyText ? r.left + 4 : r.left + (layout_.cellWidth - width) / 2;
            text->draw(painter, x, baseline, textColour);
            baseline += kTextLine;
        }
    }
    if (rowCount() > layout_.rowsShown) scrollBar_.draw(painter);
}

}  // namespace likenex::ui
