#include "ui/ScrollBar.h"

#include "render/Painter.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace likenex::ui {
namespace {

constexpr std::array<std::uint32_t, 8> kVerticalSkin = {8001001, 8001018, 8001019, 8001005,
                                                        8001006, 8001015, 8001016, 8001017};
constexpr std::array<std::uint32_t, 8> kHorizontalSkin = {8001007, 8001011, 8001012, 8001013,
                                                          8001014, 8001008, 8001009, 8001010};

// Only one thumb is dragged at a time: the offset of the mouse from its leading edge.

void drawInto(Painter& painter, const SkinImage& image, const ImageRect& r) {
    if (image.texture) painter.drawImage(&image.texture, r.left, r.top, r.right, r.bottom);
}

}  // namespace

ScrollBar::ScrollBar(UiHost& host) : Control(host) {
    tabStop = true;
    kind = ControlKind::scrollBar;
}

bool ScrollBar::loadSkin() {
    const auto& ids = horizontal ? kHorizontalSkin : kVerticalSkin;
    for (std::size_t k = 0; k < ids.size(); ++k)
        if (!loadImage(ids[k], skin[k])) return false;
    return true;
}

void ScrollBar::setBounds(const ImageRect& rect) {
    bounds = rect;
    if (horizontal) {
        const int side = rect.bottom - rect.top;
        firstArrow_ = {rect.left, rect.top, rect.left + side, rect.bottom};
        secondArrow_ = {rect.right - side, rect.top, rect.right, rect.bottom};
        track_ = {firstArrow_.right, rect.top, secondArrow_.left, rect.bottom};
    } else {
        const int side = rect.right - rect.left;
        firstArrow_ = {rect.left, rect.top, rect.right, rect.top + side};
        secondArrow_ = {rect.left, rect.bottom - side, rect.right, rect.bottom};
        track_ = {rect.left, firstArrow_.bottom, rect.right, secondArrow_.top};
    }
    placeThumb();
}

void ScrollBar::clampPosition() {
    if (position_ < minimum_) position_ = minimum_;
    // 64-bit sums: the range comes from callers and may span the whole 32-bit space.
    const std::int64_t range = static_cast<std::int64_t>(maximum_) - minimum_;
    if (pageSize_ >= range) position_ = minimum_;
    else if (static_cast<std::int64_t>(position_) + pageSize_ > maximum_) position_ = maximum_ - pageSize_;
}

void ScrollBar::setRange(std::int32_t minimum, std::int32_t maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    clampPosition();
    placeThumb();
}

void ScrollBar::scrollBy(std::int32_t delta) {
    position_ = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(static_cast<std::int64_t>(position_) + delta, INT32_MIN, INT32_MAX));
    clampPosition();
    placeThumb();
}

void ScrollBar::setPosition(std::int32_t position) {
    position_ = position;
    clampPosition();
    placeThumb();
}

void ScrollBar::setPageSize(std::int32_t pageSize) {
    pageSize_ = pageSize;
    clampPosition();
    placeThumb();
}

void ScrollBar::placeThumb() {
    const std::int64_t range = static_cast<std::int64_t>(maximum_) - minimum_;
    const int length = std::max(0, trackLength());
    thumb_ = track_;
    if (pageSize_ < range && pageSize_ >= 0) {
        std::int64_t c = static_cast<std::int64_t>(length) * pageSize_ / range;
        if (c < 9) c = 8;
        c = std::min<std::int64_t>(c, length);
        const std::int64_t start =
            trackStart() + (length - c) * (static_cast<std::int64_t>(position_) - minimum_) / (range - pageSize_);
        if (horizontal) {
            thumb_.left = static_cast<int>(start);
            thumb_.right = static_cast<int>(start + c);
        } else {
            thumb_.top = static_cast<int>(start);
            thumb_.bottom = static_cast<int>(start + c);
        }
        thumbShown_ = true;
    } else {
        if (horizontal) thumb_.right = thumb_.left;
        else thumb_.bottom = thumb_.top;
        thumbShown_ = false;
    }
}

bool ScrollBar::onMouse(std::uint32_t message, int x, int y, WParam wParam, LParam) {
    if (message == kLButtonDown || message == kLButtonDblClk) {
        if (!bounds.contains(x, y)) return false;
        if (firstArrow_.contains(x, y)) {
            if (position_ > minimum_) setPosition(position_ - 1);
            heldArrow_ = 1;
        } else if (secondArrow_.contains(x, y)) {
            if (static_cast<std::int64_t>(position_) + pageSize_ < maximum_) setPosition(position_ + 1);
            heldArrow_ = 2;
        } else if (thumbShown_ && thumb_.contains(x, y)) {
            draggingThumb_ = true;
            grabOffset_ = along(x, y) - along(thumb_.left, thumb_.top);
        } else if (along(x, y) < along(thumb_.left, thumb_.top)) {
            scrollBy(1 - pageSize_);
        } else {
            scrollBy(pageSize_ - 1);
        }
        return true;
    }
    if (message == kMouseMove && wParam == kMkLButton && draggingThumb_) {
        const int length = trackLength();
        const int thumbLength = horizontal ? thumb_.right - thumb_.left : thumb_.bottom - thumb_.top;
        const int free = length - thumbLength;
        const int lead = std::clamp(along(x, y) - grabOffset_, trackStart(), trackStart() + std::max(0, free));
        const std::int64_t steps = static_cast<std::int64_t>(maximum_) - pageSize_ - minimum_;
        std::int64_t position = minimum_;
        if (free > 0 && steps > 0)
            position += std::llround(static_cast<double>(lead - trackStart()) * static_cast<double>(steps) / free);
        position_ = static_cast<std::int32_t>(position);
        clampPosition();
        if (horizontal) {
            thumb_.left = lead;
            thumb_.right = lead + thumbLength;
        } else {
            thumb_.top = lead;
            thumb_.bottom = lead + thumbLength;
        }
        return true;
    }
    if (message == kLButtonUp) {
        draggingThumb_ = false;
        heldArrow_ = 0;
        placeThumb();
        return false;
    }
    return false;
}

void ScrollBar::draw(Painter& painter) {
    if (!visible) return;
    painter.setColour(tint);
    drawInto(painter, skin[0], track_);
    drawInto(painter, skin[heldArrow_ == 1 ? 2 : 1], firstArrow_);
    drawInto(painter, skin[heldArrow_ == 2 ? 4 : 3], secondArrow_);
    if (!thumbShown_) return;
    // Three pieces, each a pixel wider than the thumb on both sides across the axis.
    if (horizontal) {
        const int t = thumb_.top - 1, b = thumb_.bottom + 1;
        if (thumb_.right - thumb_.left <= 0) return;
        drawInto(painter, skin[5], {thumb_.left, t, thumb_.left + 2, b});
        drawInto(painter, skin[6], {thumb_.left + 2, t, thumb_.right - 2, b});
        drawInto(painter, skin[7], {thumb_.right - 2, t, thumb_.right, b});
    } else {
        const int l = thumb_.left - 1, r = thumb_.right + 1;
        if (thumb_.bottom - thumb_.top <= 0) return;
        drawInto(painter, skin[5], {l, thumb_.top, r, thumb_.top + 2});
        drawInto(painter, skin[6], {l, thumb_.top + 2, r, thumb_.bottom - 2});
        drawInto(painter, skin[7], {l, thumb_.bottom - 2, r, thumb_.bottom});
    }
}

}  // namespace likenex::ui
