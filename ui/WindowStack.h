#pragma once
// The top-level windows of the main window, bottom to top. The first window opened is the
// root (the frame): it stays at the bottom of the list, is drawn last, over everything, and
// is asked first for every message. The active window is the one last brought to front.
// UI thread only.

#include "ui/UiMessages.h"
#include "ui/Widget.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace likenex::ui {

class WindowStack {
public:
    explicit WindowStack(UiHost& host) : host_(host) {}
    WindowStack(const WindowStack&) = delete;
    WindowStack& operator=(const WindowStack&) = delete;
    ~WindowStack();

    // Takes the widget (a plain Widget when null), sets its owner, modality and bounds, loads
    // its skin and brings it to front. The first window becomes the root, never modal.
    Widget* openWindow(Widget* owner, const ImageRect& rect, bool modal, std::unique_ptr<Widget> widget = nullptr);
    void bringToFront(Widget* widget);
    // Removes the window at once; it is destroyed once the outermost message or frame being
    // handled is over, since it may be the very window whose code asked to close it, perhaps
    // from a nested message loop (a message box) that this code is waiting in.
    void closeWindow(Widget* widget);
    [[nodiscard]] Widget* windowAt(int x, int y) const;
    [[nodiscard]] Widget* findWindow(std::int32_t id) const;
    void closeAllWindows();
    void drawWindows(Painter& painter);
    // Advances every shown window (Widget::advance) and gives the soonest change among them.
    [[nodiscard]] DueIn advanceWindows(Tick now);

    // Offers a message of the main window to the windows; true when one handled it.
    bool route(std::uint32_t message, WParam wParam, LParam lParam);

    // Destroys the windows closed so far; while a message or a frame is being handled it does
    // nothing, and the end of the outermost one destroys them.
    void destroyClosed();

    [[nodiscard]] Widget* root() const { return root_; }
    [[nodiscard]] Widget* active() const { return active_; }
    [[nodiscard]] std::size_t size() const { return windows_.size(); }
    [[nodiscard]] const std::vector<std::unique_ptr<Widget>>& windows() const { return windows_; }

    // The control that has the keyboard focus, or null.
    [[nodiscard]] Control* focused() const { return focused_; }
    // Nothing when the control already has the focus or cannot take it.
    void setFocus(Control* control);
    void clearFocus();
    // The focus moves without a word to anyone: for a window's keyboard navigation, which
    // tells the controls itself.
    void recordFocus(Control* control) { focused_ = control; }
    // A widget going away takes the focus with it when it, or a child of it, has it.
    void forgetFocus(const Widget* widget);

    // Loaded on the first tooltip drawn and kept as long as the stack.
    [[nodiscard]] NinePatch& tooltipSkin();

    // Edit boxes in existence: the caret timer runs while there is one.
    void editBoxMade();
    void editBoxGone();
    [[nodiscard]] int liveEditBoxes() const { return liveEditBoxes_; }

private:
    // Counts the messages and frames being handled, nested ones included, for its lifetime.
    class Running {
    public:
        explicit Running(WindowStack& stack) : stack_(stack) { ++stack_.running_; }
        ~Running();
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;

    private:
        WindowStack& stack_;
    };

    UiHost& host_;
    Control* focused_ = nullptr;
    NinePatch tooltipSkin_;
    bool tooltipSkinLoaded_ = false;
    int liveEditBoxes_ = 0;
    std::vector<std::unique_ptr<Widget>> windows_;
    std::vector<std::unique_ptr<Widget>> closed_;
    Widget* root_ = nullptr;
    Widget* active_ = nullptr;
    int running_ = 0;
};

}  // namespace likenex::ui
