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

// What the frame's new-avatar button asks of the screen below it.
class NewAvatarQuestion {
public:
    virtual ~NewAvatarQuestion() = default;
    // Asks whether to start a new avatar; the answer comes back as a dialog message.
    virtual void askToStartOver() = 0;
};

class MainFrame : public ui::Widget {
public:
    // What the toolbar and the windows it opens ask of the program.
    struct Parts {
        WindowControl& window;
        WebPages& web;
        ServerChannel& server;
        UserSettings& settings;
    };

    MainFrame(ui::UiHost& host, Parts parts) : ui::Widget(host), parts_(parts) {}

    bool loadSkin() override;
    bool onMessage(std::uint32_t message, ui::WParam wParam, ui::LParam lParam) override;
    void onNotify(int code, int controlId, ui::Widget* sender) override;
    void draw(Painter& painter) override;

    // The screen that asks when the new-avatar button is pressed: the editor, which is opened
    // over the frame and closed with it. Without one the button only closes the frame's windows.
    void setNewAvatarQuestion(NewAvatarQuestion* question) { newAvatarQuestion_ = question; }

private:
    void openOrRaise(std::int32_t id, int halfWidth, int halfHeight);

    Parts parts_;
    NewAvatarQuestion* newAvatarQuestion_ = nullptr;
    std::array<ui::Button*, 6> toolbar_{};
    SkinImage logo_;
};

// A window that cannot be dragged while the mouse is over the frame's bands.
class FramedDialog : public ui::Widget {
public:
    using ui::Widget::Widget;

    void dragTo(int x, int y) override;

protected:
    // The confirming button (id 2, caption 111): 54 by 20, centred, 10 above the bottom.
    void addConfirmButton();
};

class LanguageWindow : public FramedDialog {
public:
    LanguageWindow(ui::UiHost& host, UserSettings& settings) : FramedDialog(host), settings_(settings) {}

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
    AboutWindow(ui::UiHost& host, WebPages& web, ServerChannel& server)
        : FramedDialog(host), web_(web), server_(server) {}

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
