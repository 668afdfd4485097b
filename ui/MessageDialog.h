#pragma once
// The in-window message box: a framed window with a title, up to five lines of text and one
// to three buttons. A dialog with buttons answers by sending WM_DIALOG_OK or WM_DIALOG_CANCEL
// to the main window with the two values it was opened with; every open window is offered
// that message, and the one that asked knows its answer by those values.

#include "ui/Buttons.h"
#include "ui/Widget.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace likenex::ui {

inline constexpr int kDialogWidth = 254;
inline constexpr int kDialogHeight = 176;
inline constexpr std::size_t kDialogLines = 5;

// The buttons a dialog shows under its text.
enum class DialogStyle : std::int32_t {
    okOnly = 0,       // OK, answering nothing: the text-only dialog
    okCancel = 1,     // OK and Cancel
    yesNo = 2,        // Yes and No
    yesNoCancel = 3,  // Yes, No and Cancel (which answers nothing)
};

class MessageDialog : public Widget {
public:
    // A style outside the named ones is taken as okOnly.
    MessageDialog(UiHost& host, DialogStyle style, std::uintptr_t answerW, std::intptr_t answerL);

    bool loadSkin() override;
    void onNotify(int code, int controlId, Widget* sender) override;
    void draw(Painter& painter) override;

    void setDialogTitle(std::wstring_view text) { title_ = text; }
    // Splits at line feeds into at most five lines; a remaining text that starts with a line
    // feed (or has none) becomes one whole line.
    void setDialogText(std::wstring_view text);

    [[nodiscard]] const std::array<std::wstring, kDialogLines>& lines() const { return lines_; }
    [[nodiscard]] const std::wstring& title() const { return title_; }
    [[nodiscard]] DialogStyle dialogStyle() const { return dialogStyle_; }

private:
    std::array<std::wstring, kDialogLines> lines_;
    std::wstring title_;
    DialogStyle dialogStyle_;
    std::uintptr_t answerW_;
    std::intptr_t answerL_;
    Label* textArea_ = nullptr;
};

// Opens a dialog centred in the client area, modal, owned by the root window: its title, then
// its text. Returns it (the window stack owns it).
MessageDialog* showMessageDialog(UiHost& host, std::wstring_view text, std::wstring_view title, DialogStyle style,
                                 std::uintptr_t answerW, std::intptr_t answerL);

}  // namespace likenex::ui
