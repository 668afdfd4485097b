#pragma once
// The small menu a right click on the editor's preview opens: copy the avatar's code, paste a
// code, dress the whole figure at random, or only the page shown. It is a modal window of the
// window stack, so that it is drawn over the editor and hears every click first: a choice, a
// click outside it or Escape closes it. A choice reaches the window that opened it as a button
// notification with the item's identifier.

#include "ui/Widget.h"

#include <cstdint>

namespace likenex {

inline constexpr std::int32_t kPreviewMenuId = 120;
inline constexpr int kMenuCopyCode = 901, kMenuPasteCode = 902, kMenuRandomFigure = 903, kMenuRandomPage = 904;

class PreviewMenu : public ui::Widget {
public:
    // `randomPage` says whether the page shown can be dressed at random; its item is greyed
    // out when not.
    PreviewMenu(ui::UiHost& host, bool randomPage);

    // Opens the menu at the point (client coordinates), moved left or up to stay in the client
    // area, owned by `owner`, which hears the choice.
    static PreviewMenu* open(ui::Widget& owner, int x, int y, bool randomPage);

    bool loadSkin() override;
    bool onMessage(std::uint32_t message, ui::WParam wParam, ui::LParam lParam) override;
    void onNotify(int code, int controlId, ui::Widget* sender) override;
    void draw(Painter& painter) override;

    // The item's place, for a click on it.
    [[nodiscard]] ImageRect itemRect(int item) const;

private:
    bool randomPage_;
};

}  // namespace likenex
