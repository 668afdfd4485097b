#include "screens/PreviewMenu.h"

#include "screens/TextIds.h"
#include "ui/Buttons.h"
#include "ui/WindowStack.h"

#include <algorithm>
#include <array>
#include <memory>

namespace likenex {
namespace {

constexpr int kItemWidth = 160, kItemHeight = 22, kGap = 2, kMargin = 5;
constexpr int kItemCount = 4;
constexpr int kMenuWidth = kItemWidth + 2 * kMargin;
constexpr int kMenuHeight = kItemCount * kItemHeight + (kItemCount - 1) * kGap + 2 * kMargin;
constexpr std::array<std::pair<int, int>, kItemCount> kItems = {{{kMenuCopyCode, kTextMenuCopyCode},
                                                                  {kMenuPasteCode, kTextMenuPasteCode},
                                                                  {kMenuRandomFigure, kTextMenuRandomFigure},
                                                                  {kMenuRandomPage, kTextMenuRandomPage}}};
constexpr std::uint32_t kBackground = 0xFFF4F4F0u, kBorder = 0xFF8A8A8Au, kGreyedText = 0xFFB0B0B0u;

}  // namespace

PreviewMenu::PreviewMenu(ui::UiHost& host, bool randomPage) : ui::Widget(host), randomPage_(randomPage) {
    id = kPreviewMenuId;
}

PreviewMenu* PreviewMenu::open(ui::Widget& owner, int x, int y, bool randomPage) {
    ui::UiHost& host = owner.host();
    const int left = std::max(0, std::min(x, host.clientWidth() - kMenuWidth));
    const int top = std::max(0, std::min(y, host.clientHeight() - kMenuHeight));
    return static_cast<PreviewMenu*>(host.windowStack().openWindow(
        &owner, {left, top, left + kMenuWidth, top + kMenuHeight}, true,
        std::make_unique<PreviewMenu>(host, randomPage)));
}

ImageRect PreviewMenu::itemRect(int item) const {
    const auto found = std::find_if(kItems.begin(), kItems.end(), [&](const auto& entry) { return entry.first == item; });
    const int k = static_cast<int>(found - kItems.begin());
    const int top = bounds.top + kMargin + k * (kItemHeight + kGap);
    return {bounds.left + kMargin, top, bounds.left + kMargin + kItemWidth, top + kItemHeight};
}

bool PreviewMenu::loadSkin() {
    // No frame picture and no title: the whole menu is its client area, so a press between
    // its items never starts a drag.
    clientRect = {0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
    for (const auto& [item, text] : kItems) {
        const ImageRect r = itemRect(item);
        ui::Button* button = createButton(item, host().uiText(text),
                                          {r.left - bounds.left, r.top - bounds.top, r.right - bounds.left,
                                           r.bottom - bounds.top});
        if (button && item == kMenuRandomPage && !randomPage_) {
            button->enabled = false;
            button->setTextColour(Colour::fromPacked(kGreyedText));
        }
    }
    return true;
}

bool PreviewMenu::onMessage(std::uint32_t message, ui::WParam wParam, ui::LParam lParam) {
    if (message == ui::kKeyDown && wParam == ui::kVkEscape) {
        close();
        return true;
    }
    if (ui::isMouseMessage(message)) {
        const bool inside = bounds.contains(ui::mouseX(lParam), ui::mouseY(lParam));
        if (!inside && (message == ui::kLButtonDown || message == ui::kRButtonDown)) {
            // A press elsewhere only closes the menu, as a desktop menu does.
            close();
            return true;
        }
        (void)Widget::onMessage(message, wParam, lParam);
        return inside;
    }
    return Widget::onMessage(message, wParam, lParam);
}

void PreviewMenu::onNotify(int code, int controlId, ui::Widget* sender) {
    if (code != ui::kNotifyButton) return;
    // Closed first: the choice may open a window of its own (a dialog), which must not go
    // under the menu.
    close();
    if (owner) owner->onNotify(code, controlId, sender);
}

void PreviewMenu::draw(Painter& painter) {
    if (!visible) return;
    painter.setColour(Colour::fromPacked(kBorder));
    painter.fillRect(bounds.left, bounds.top, bounds.right, bounds.bottom);
    painter.setColour(Colour::fromPacked(kBackground));
    painter.fillRect(bounds.left + 1, bounds.top + 1, bounds.right - 1, bounds.bottom - 1);
    drawChildren(painter);
}

}  // namespace likenex
