#pragma once
// The windows of the program's own frame: the main frame (title band, toolbar, the root of
// the window stack), the language window and the About window.

#include "screens/ScreenServices.h"
#include "ui/Buttons.h"
#include "ui/ListBox.h"
#include "ui/Widget.h"

#include <array>

namespace likenex {

inline constexpr std::int32_t kLanguageWindowId = 103;
inline constexpr std::int32_t kAboutWindowId = 105;
inline constexpr std::int32_t kEditorScreenId = 100;
inline constexpr int kTitleBandHeight = 70;
inline constexpr int kStatusBandHeight = 20;

class MainFrame : public ui::Widget {
public:
    // What the toolbar and the windows it opens ask of the program.
    struct Parts {
        WindowControl& window;
        WebPages& web;
        ServerChannel& server;
        UserSettings& settings;
    };

    explicit MainFrame(Parts parts) : parts_(parts) {}

    bool loadSkin() override;
    bool onMessage(std::uint32_t message, ui::WParam wParam, ui::LParam lParam) override;
    void onNotify(int code, int controlId, ui::Widget* sender) override;
    void draw(Painter& painter) override;

private:
    void openOrRaise(std::int32_t id, int halfWidth, int halfHeight);

    Parts parts_;
    std::array<ui::Button*, 6> toolbar_{};
    SkinImage logo_;
};

// A window that cannot be dragged while the mouse is over the frame's bands.
class FramedDialog : public ui::Widget {
public:
    void dragTo(int x, int y) override;

protected:
    // The confirming button (id 2, caption 111): 54 by 20, centred, 10 above the bottom.
    void addConfirmButton();
};

class LanguageWindow : public FramedDialog {
public:
    explicit LanguageWindow(UserSettings& settings) : settings_(settings) {}

    bool loadSkin() override;
    void onNotify(int code, int controlId, ui::Widget* sender) override;
    void draw(Painter& painter) override;

    [[nodiscard]] ui::ListBox* list() const { return list_; }

private:
    UserSettings& settings_;
    ui::ListBox* list_ = nullptr;
};

class AboutWindow : public FramedDialog {
public:
    AboutWindow(WebPages& web, ServerChannel& server) : web_(web), server_(server) {}

    bool loadSkin() override;
    bool onMessage(std::uint32_t message, ui::WParam wParam, ui::LParam lParam) override;
    void mouseMove(int x, int y) override;
    void draw(Painter& painter) override;

    enum Link { none = -1, address = 0, update = 1, help = 2 };
    // The link under the point, in client coordinates of the main window.
    [[nodiscard]] Link linkAt(int x, int y);

private:
    [[nodiscard]] ImageRect linkRect(Link link);

    WebPages& web_;
    ServerChannel& server_;
    SkinImage logo_, picture_;
};

}  // namespace likenex
