#pragma once
// A scroll bar: two arrows, a track and a thumb over a range of positions, of which one page
// is shown. Embedded in the drop-down list; never added to a window by a factory.

#include "ui/Widget.h"

namespace likenex::ui {

class ScrollBar : public Control {
public:
    explicit ScrollBar(UiHost& host);

    bool loadSkin() override;
    void setBounds(const ImageRect& rect) override;
    void draw(Painter& painter) override;
    bool onMouse(std::uint32_t message, int x, int y, WParam wParam, LParam lParam) override;

    void setRange(std::int32_t minimum, std::int32_t maximum);
    void scrollBy(std::int32_t delta);
    void setPosition(std::int32_t position);
    void setPageSize(std::int32_t pageSize);
    // Keeps the position within [minimum, maximum - pageSize], or at minimum when a page
    // holds the whole range.
    void clampPosition();

    [[nodiscard]] std::int32_t position() const { return position_; }
    [[nodiscard]] std::int32_t pageSize() const { return pageSize_; }
    [[nodiscard]] std::int32_t minimum() const { return minimum_; }
    [[nodiscard]] std::int32_t maximum() const { return maximum_; }
    [[nodiscard]] bool thumbShown() const { return thumbShown_; }
    [[nodiscard]] const ImageRect& thumb() const { return thumb_; }
    [[nodiscard]] const ImageRect& track() const { return track_; }
    [[nodiscard]] const ImageRect& firstArrow() const { return firstArrow_; }
    [[nodiscard]] const ImageRect& secondArrow() const { return secondArrow_; }
    [[nodiscard]] int heldArrow() const { return heldArrow_; }
    [[nodiscard]] bool dragging() const { return draggingThumb_; }

    std::int32_t horizontal = 0;  // 1 for a horizontal bar

private:
    void placeThumb();
    [[nodiscard]] int along(int x, int y) const { return horizontal ? x : y; }
    [[nodiscard]] int trackStart() const { return horizontal ? track_.left : track_.top; }
    [[nodiscard]] int trackLength() const {
        return horizontal ? track_.right - track_.left : track_.bottom - track_.top;
    }

    ImageRect firstArrow_, secondArrow_, track_, thumb_;
    std::int32_t position_ = 0, pageSize_ = 0, minimum_ = 0, maximum_ = 0;
    int heldArrow_ = 0;
    bool draggingThumb_ = false;
    // Where along the thumb it was taken hold of.
    int grabOffset_ = 0;
    bool thumbShown_ = true;
};

}  // namespace likenex::ui
