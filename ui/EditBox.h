#pragma once
// The text-entry control: a framed field with a caret, a selection, horizontal scrolling
// (single line) or line wrapping (multi-line), the input method's composition window and the
// clipboard. Typed characters arrive as character messages, keys through onKey, the mouse
// through onMouse; edits are told to the owner (0x602, and 0x601 for Enter in one line).

#include "ui/Widget.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace likenex::ui {

inline constexpr std::int32_t kMaxEditLength = 65535;
inline constexpr WParam kCaretTimerId = 0xFFFF;

class EditBox : public Control {
public:
    enum Mode : std::int32_t { singleLine = 0, multiLine = 1, digits = 2, password = 3 };

    explicit EditBox(UiHost& host, std::int32_t initialMode = singleLine);
    ~EditBox() override;

    bool onMessage(std::uint32_t message, WParam wParam, LParam lParam) override;
    void setBounds(const ImageRect& rect) override;
    bool loadSkin() override;
    void draw(Painter& painter) override;
    void setFont(std::wstring_view face, int size) override;
    bool onKey(std::uint32_t message, WParam wParam, LParam lParam) override;
    bool onMouse(std::uint32_t message, int x, int y, WParam wParam, LParam lParam) override;
    [[nodiscard]] bool canFocus() const override;
    void focusGained() override;
    void focusLost() override;

    // Replaces the content without telling the owner; cut to maxLength. In digits mode a text
    // holding anything but digits is refused whole.
    void setEditText(std::wstring_view text);
    [[nodiscard]] const std::wstring& editText() const { return text_; }
    void setMargin(std::int32_t margin);

    [[nodiscard]] std::int32_t caret() const { return caret_; }
    [[nodiscard]] std::int32_t anchor() const { return anchor_; }
    [[nodiscard]] std::int32_t scroll() const { return scroll_; }
    [[nodiscard]] std::int32_t firstLine() const { return firstLine_; }
    [[nodiscard]] std::int32_t caretLine() const { return caretLine_; }
    [[nodiscard]] bool caretVisible() const { return caretVisible_; }
    [[nodiscard]] const std::wstring& mask() const { return mask_; }
    [[nodiscard]] const std::vector<std::pair<std::int32_t, std::int32_t>>& lines() const { return lines_; }
    [[nodiscard]] const ImageRect& textRect() const { return textRect_; }
    // The live edit boxes, which keep the caret timer running.

    std::int32_t mode = singleLine;
    std::int32_t maxLength = kMaxEditLength;

private:
    [[nodiscard]] const std::wstring& shown() const { return mode == password ? mask_ : text_; }
    [[nodiscard]] int width(std::int32_t from, std::int32_t to) const;
    [[nodiscard]] int measure(wchar_t c);
    [[nodiscard]] bool hasSelection() const { return caret_ != anchor_; }
    void layout();
    void scrollToCaret();
    void findCaretLine();
    void deleteSelection();
    void removeAt(std::int32_t index);
    // Inserts at the caret when the length allows; false (nothing changed) otherwise.
    bool insert(std::wstring_view characters);
    void copySelection();
    void paste();
    void notify(int code);
    void placeComposition();
    // The character boundary under x in the line (start, length).
    [[nodiscard]] std::int32_t positionIn(const std::pair<std::int32_t, std::int32_t>& line, int x) const;
    // The line under y, or -1 (multi-line).
    [[nodiscard]] int lineAt(int y) const;
    [[nodiscard]] std::pair<std::int32_t, std::int32_t> caretLineSpan() const;

    std::wstring text_;
    std::vector<std::pair<std::int32_t, std::int32_t>> lines_;
    std::vector<std::int32_t> charWidths_;
    bool needsLayout_ = true;
    std::int32_t caret_ = 0;
    bool caretVisible_ = true;
    std::int32_t anchor_ = 0;
    std::int32_t scroll_ = 0;
    std::int32_t firstLine_ = 0;
    std::int32_t visibleLines_ = 0;
    std::int32_t caretLine_ = 0;
    bool selecting_ = false;
    std::int32_t margin_ = 5;
    ImageRect textRect_;
    std::wstring mask_;
};

}  // namespace likenex::ui
