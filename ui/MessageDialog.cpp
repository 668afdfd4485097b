#include "ui/MessageDialog.h"

#include "base/WindowMessages.h"
#include "render/Painter.h"
#include "ui/WindowStack.h"

namespace likenex::ui {
namespace {

constexpr SkinIds kTextAreaSkin = {4001001, 4001002, 4001003, 4001004, 4001005, 4001006, 4001007, 4001008, 4001009};
constexpr std::array<std::uint32_t, 18> kCancelButtonImages = {1006001, 1006002, 1006003, 1006004, 1006005, 1006006,
                                                               1006007, 1006008, 1006009, 1006010, 1006011, 1006012,
                                                               1006013, 1006014, 1006015, 1006016, 1006017, 1006018};
constexpr int kTextOk = 111, kTextCancel = 356, kTextYes = 506, kTextNo = 507;

// The text area is a label whose frame is the dialog's inner panel.
class TextArea : public Label {
public:
    using Label::Label;
    bool loadSkin() override { return loadNinePatch(kTextAreaSkin); }
};

}  // namespace

MessageDialog::MessageDialog(UiHost& host, DialogStyle style, std::uintptr_t answerW, std::intptr_t answerL)
    : Widget(host),
      dialogStyle_(style >= DialogStyle::okOnly && style <= DialogStyle::yesNoCancel ? style : DialogStyle::okOnly),
      answerW_(answerW),
      answerL_(answerL) {}

bool MessageDialog::loadSkin() {
    const bool framed = Widget::loadSkin();
    clientRect = {9, 28, 245, 137};
    UiHost& host = this->host();
    switch (dialogStyle_) {
    case DialogStyle::okOnly: createButton(2, host.uiText(kTextOk), {105, 147, 158, 167}); break;
    case DialogStyle::okCancel:
        createButton(2, host.uiText(kTextOk), {69, 147, 122, 167});
        createButton(3, host.uiText(kTextCancel), {150, 147, 203, 167});
        break;
    case DialogStyle::yesNo:
        createButton(2, host.uiText(kTextYes), {69, 147, 122, 167});
        createButton(3, host.uiText(kTextNo), {150, 147, 203, 167});
        break;
    case DialogStyle::yesNoCancel: {
        createButton(2, host.uiText(kTextYes), {47, 147, 87, 167});
        createButton(3, host.uiText(kTextNo), {107, 147, 147, 167});
        // Identifier 4 makes an image button; this one goes back to a framed button.
        if (Button* cancel = createButton(4, host.uiText(kTextCancel), {167, 147, 207, 167})) {
            cancel->style = Button::ninePatch;
            (void)cancel->setButtonImages(kCancelButtonImages);
            cancel->setTextColour(Colour::fromPacked(0xFF000000u));
        }
        break;
    }
    default: break;
    }
    auto area = std::make_unique<TextArea>(host);
    area->setBounds({bounds.left + 9, bounds.top + 27, bounds.left + 246, bounds.top + 137});
    area->id = 1;
    textArea_ = area.get();
    if (addChild(area.release()) != kStatusOk) textArea_ = nullptr;
    return framed;
}

void MessageDialog::onNotify(int code, int controlId, Widget* sender) {
    if (dialogStyle_ != DialogStyle::okOnly && (controlId == 2 || controlId == 3))
        host().sendToMainWindow(controlId == 2 ? WM_DIALOG_OK : WM_DIALOG_CANCEL, answerW_, answerL_);
    Widget::onNotify(code, controlId, sender);
}

void MessageDialog::setDialogText(std::wstring_view text) {
    for (std::wstring& line : lines_) line.clear();
    for (std::size_t i = 0; i < kDialogLines; ++i) {
        const std::size_t feed = text.find(L'\n');
        if (feed == std::wstring_view::npos || feed == 0) {
            lines_[i] = text;
            return;
        }
        lines_[i] = text.substr(0, feed);
        text.remove_prefix(feed + 1);
    }
}

void MessageDialog::draw(Painter& painter) {
    if (!visible) return;
    Widget::draw(painter);
    UiText* f = font();
    if (!f) return;
    if (!title_.empty()) {
        f->setText(title_);
        f->draw(painter, bounds.left + 127 - f->textWidth() / 2, bounds.top + 15, Colour::fromPacked(0xFFFFFFFFu));
    }
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].empty()) continue;
        f->setText(lines_[i]);
        f->draw(painter, bounds.left + 35, bounds.top + 50 + 17 * static_cast<int>(i), Colour::fromPacked(0xFF000000u));
    }
}

MessageDialog* showMessageDialog(UiHost& host, std::wstring_view text, std::wstring_view title, DialogStyle style,
                                 std::uintptr_t answerW, std::intptr_t answerL) {
    const int cx = host.clientWidth() / 2, cy = host.clientHeight() / 2;
    WindowStack& stack = host.windowStack();
    auto* dialog =
        static_cast<MessageDialog*>(stack.openWindow(stack.root(), {cx - 127, cy - 88, cx + 127, cy + 88}, true,
                                                     std::make_unique<MessageDialog>(host, style, answerW, answerL)));
    dialog->setDialogTitle(title);
    dialog->setDialogText(text);
    return dialog;
}

}  // namespace likenex::ui
