#include "app/WidgetGallery.h"

#include "ui/Buttons.h"
#include "ui/EditBox.h"
#include "ui/ListBox.h"
#include "ui/MessageDialog.h"
#include "ui/WindowStack.h"

#include <memory>

namespace likenex {

void openWidgetGallery(ui::WindowStack& stack, int clientWidth, int clientHeight) {
    // Without the editor's frame, an invisible root keeps the gallery an ordinary window.
    if (!stack.root()) stack.openWindow(nullptr, {0, 0, clientWidth, clientHeight}, false)->visible = false;
    ui::Widget* window = stack.openWindow(stack.root(), {20, 20, clientWidth - 20, clientHeight - 20}, false);
    window->keyboardNavigation = true;

    window->createLabel(10, L"Labels, buttons and boxes", {20, 36, 260, 60});
    window->createButton(11, L"Button", {20, 72, 110, 96});
    if (ui::Button* pressed = window->createButton(12, L"Pressed", {120, 72, 210, 96})) pressed->pressed = true;
    if (ui::Button* disabled = window->createButton(13, L"Disabled", {220, 72, 310, 96})) disabled->enabled = false;
    window->createButton(4, L"", {320, 72, 344, 96});
    window->createButton(3, L"", {354, 72, 378, 96});

    window->createCheckBox(20, L"Ticked", true, {20, 110, 130, 130});
    window->createCheckBox(21, L"Not ticked", false, {140, 110, 270, 130});
    window->createRadioButton(22, 1, L"Chosen", true, {20, 140, 130, 160});
    window->createRadioButton(23, 1, L"Other", false, {140, 140, 270, 160});

    if (ui::ListBox* closed = window->createListBox(30, {20, 180, 200, 202})) {
        for (const wchar_t* text : {L"English", L"Fran\u00e7ais", L"\u65e5\u672c\u8a9e"})
            (void)closed->addEntry(text, 0);
        (void)closed->selectEntry(1);
    }
    if (ui::ListBox* dropped = window->createListBox(31, {220, 180, 400, 202})) {
        dropped->listHeight = 120;
        dropped->setBounds(dropped->bounds);
        for (int i = 0; i < 12; ++i) (void)dropped->addEntry((L"Entry " + std::to_wstring(i + 1)).c_str(), i);
        (void)dropped->selectEntry(2);
        window->host().windowStack().setFocus(dropped);
        dropped->onKey(ui::kKeyDown, 0x73, 0);  // F4 drops it
        dropped->onKey(ui::kKeyDown, ui::kVkDown, 0);
    }

    if (ui::EditBox* single = window->createEditBox(40, {20, 230, 200, 254}, ui::EditBox::singleLine))
        single->setEditText(L"Single line");
    if (ui::EditBox* password = window->createEditBox(41, {20, 264, 200, 288}, ui::EditBox::password))
        password->setEditText(L"secret");
    if (ui::EditBox* digits = window->createEditBox(42, {20, 298, 200, 322}, ui::EditBox::digits))
        digits->setEditText(L"1234567890");
    if (ui::EditBox* many = window->createEditBox(43, {20, 332, 200, 400}, ui::EditBox::multiLine))
        many->setEditText(L"A multi-line box wraps its text at its own width.\rAnd breaks at Enter.");

    // Moved as a drag moves it, children and all, to the free corner.
    ui::MessageDialog* dialog = ui::showMessageDialog(window->host(), L"A message dialog\nwith two lines", L"Dialog",
                                                      ui::DialogStyle::okCancel, 0, 0);
    dialog->dragAnchor = {dialog->bounds.left, dialog->bounds.top};
    dialog->dragTo(clientWidth - 290, clientHeight - 220);
}

namespace {

// The field is there to time the drawing of a busy screen: it asks for a frame at every period,
// where an ordinary window is drawn only when something changes.
class WidgetField : public ui::Widget {
public:
    using ui::Widget::Widget;
    DueIn advance(Tick) override { return DueIn::in(0); }
};

}  // namespace

void openWidgetField(ui::WindowStack& stack, int clientWidth, int clientHeight, int count) {
    if (!stack.root()) stack.openWindow(nullptr, {0, 0, clientWidth, clientHeight}, false)->visible = false;
    ui::Widget* window = stack.openWindow(stack.root(), {10, 10, clientWidth - 10, clientHeight - 10}, false,
                                          std::make_unique<WidgetField>(stack.root()->host()));
    const int columns = 5, cellWidth = (clientWidth - 40) / columns, cellHeight = 28;
    for (int i = 0; i < count; ++i) {
        const int x = 10 + (i % columns) * cellWidth, y = 36 + (i / columns) * cellHeight;
        const ImageRect cell{x, y, x + cellWidth - 8, y + cellHeight - 6};
        const std::wstring text = L"Widget " + std::to_wstring(i + 1);
        switch (i % 4) {
        case 0: window->createLabel(100 + i, text, cell); break;
        case 1: window->createButton(100 + i, text, cell); break;
        case 2: window->createCheckBox(100 + i, text, i % 8 == 2, cell); break;
        default:
            if (ui::EditBox* edit = window->createEditBox(100 + i, cell, ui::EditBox::singleLine))
                edit->setEditText(text);
            break;
        }
    }
}

}  // namespace likenex
