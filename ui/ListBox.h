#pragma once
// The drop-down list: a closed box showing the selected entry with an arrow button at its
// right, and while dropped a framed list of entries below it with its own scroll bar. It
// tells its owner (code 0x201) whenever the selection is taken over.

#include "ui/Buttons.h"
#include "ui/ScrollBar.h"

#include <string>
#include <string_view>
#include <vector>

namespace likenex::ui {

inline constexpr std::size_t kMaxEntryText = 255;

class ListBox : public Button {
public:
    struct Entry {
        std::wstring text;
        std::int32_t value = 0;
        ImageRect rect;  // on screen, while shown
        bool shown = false;
        TextureHandle icon = 0;  // 16 by 16, none when added
    };

    explicit ListBox(UiHost& host);

    bool loadSkin() override;
    void setBounds(const ImageRect& rect) override;
    void draw(Painter& painter) override;
    bool onKey(std::uint32_t message, WParam wParam, LParam lParam) override;
    bool onMouse(std::uint32_t message, int x, int y, WParam wParam, LParam lParam) override;
    void focusLost() override;

    // The text is cut to 255 characters. The first entry added becomes the selection.
    Status addEntry(const wchar_t* text, std::int32_t value);
    Status selectEntry(std::int32_t index);
    // Replaces an entry's text, cut as addEntry cuts it (a new language); the selection stays.
    Status setEntryText(std::int32_t index, std::wstring_view text);
    // The next entry, wrapping after the last; not while dropped or with nothing selected.
    void selectNext();

    [[nodiscard]] const std::vector<Entry>& entries() const { return entries_; }
    [[nodiscard]] std::int32_t selected() const { return selected_; }
    [[nodiscard]] std::int32_t highlighted() const { return highlighted_; }
    [[nodiscard]] bool dropped() const { return dropped_; }
    [[nodiscard]] std::int32_t firstVisible() const { return firstVisible_; }
    [[nodiscard]] ScrollBar& scrollBar() { return scrollBar_; }
    [[nodiscard]] const ImageRect& arrowRect() const { return arrowRect_; }
    [[nodiscard]] const ImageRect& listRect() const { return listRect_; }
    [[nodiscard]] const ImageRect& innerRect() const { return innerRect_; }
    void setIcon(std::size_t index, TextureHandle icon);

    std::int32_t listHeight = 96;

private:
    [[nodiscard]] int lineHeight() const { return fontSize + 2; }
    [[nodiscard]] int linesShown() const;
    // Closes the list; clears the focus when the owner navigates by mouse only.
    void closeList();
    void notifySelection() { notifyOwner(kNotifyListSelection); }
    // Moves the highlight (and the selection) by one, keeping it in view.
    bool step(int delta);
    void keepInView(std::int32_t index);

    ScrollBar scrollBar_;
    std::int32_t selected_ = -1;
    std::int32_t highlighted_ = -1;
    bool dropped_ = false;
    ImageRect textRect_, arrowRect_, listRect_, innerRect_;
    std::int32_t firstVisible_ = 0;
    std::vector<Entry> entries_;
    NinePatch listFrame_;
    SkinImage arrowNormal_, arrowPressed_, highlight_;
};

}  // namespace likenex::ui
