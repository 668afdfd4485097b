#pragma once
// The simple controls, one inheritance chain: a Label is framed text; a Button a label that
// can be pressed; a CheckBox a button with a ticked state; a RadioButton a check box that
// clears the others of its group. Each reports what the user did to its owner's onNotify.

#include "ui/Widget.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace likenex::ui {

inline constexpr std::size_t kMaxCaption = 250;

class Label : public Control {
public:
    explicit Label(UiHost& host);

    bool loadSkin() override;
    void draw(Painter& painter) override;
    // A label never takes the mouse or the focus.
    [[nodiscard]] bool hitTest(int x, int y) const override;

    // Keeps at most 250 characters, and only as many as fit the control's width.
    virtual void setCaption(std::wstring_view text);

    [[nodiscard]] const std::wstring& text() const { return text_; }

protected:
    // The text centred in the bounds (x from `left` when given), one pixel right and down
    // when `shifted`.
    void drawText(Painter& painter, std::optional<int> left = std::nullopt, bool shifted = false);

    std::wstring text_;
};

class Button : public Label {
public:
    enum Style : std::int32_t { ninePatch = 0, image = 1 };

    explicit Button(UiHost& host);

    bool loadSkin() override;
    void draw(Painter& painter) override;
    [[nodiscard]] bool hitTest(int x, int y) const override;
    bool onKey(std::uint32_t message, WParam wParam, LParam lParam) override;
    bool onMouse(std::uint32_t message, int x, int y, WParam wParam, LParam lParam) override;
    [[nodiscard]] bool canFocus() const override;
    void focusLost() override;

    // Style 1: 2 (normal, pressed) or 3 (and disabled) identifiers. Style 0: 18, the normal
    // nine-patch then the pressed one. False at the first picture missing, or for a count
    // that does not fit the style.
    bool setButtonImages(std::span<const std::uint32_t> ids);

    bool pressed = false;
    std::int32_t style = ninePatch;
    NinePatch pressedSkin;

protected:
    void notifyOwner(int code);
};

class CheckBox : public Button {
public:
    explicit CheckBox(UiHost& host);

    void setBounds(const ImageRect& rect) override;
    bool loadSkin() override;
    void draw(Painter& painter) override;
    [[nodiscard]] bool hitTest(int x, int y) const override;
    bool onKey(std::uint32_t message, WParam wParam, LParam lParam) override;
    bool onMouse(std::uint32_t message, int x, int y, WParam wParam, LParam lParam) override;

    virtual void toggle();
    virtual void setTicked(bool ticked, bool notify);

    bool ticked = false;
    ImageRect boxRect;
    ImageRect textRect;

protected:
    // What a completed press (Space or the mouse) does.
    virtual void userToggle();
};

class RadioButton : public CheckBox {
public:
    explicit RadioButton(UiHost& host);

    bool loadSkin() override;
    // Selects this button: the others of its group are cleared, and the owner told.
    void toggle() override;
    void setTicked(bool ticked, bool notify) override;
    virtual void setTicked(bool ticked, bool untickGroup, bool notify);

    std::int32_t group = 0;

protected:
    void userToggle() override;
};

}  // namespace likenex::ui
