// A panel inside a window, driven as the main window routes messages: its controls get the
// keys, presses and notifications they would get as the window's own, the window shows their
// tooltips, and a hidden panel takes nothing.
#include "ui/Panel.h"

#include "test_support/FakeUiHost.h"
#include "ui/Buttons.h"
#include "ui/EditBox.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace likenex::ui {
namespace {

// A window that keeps the notifications it is told of.
class NotedWindow : public Widget {
public:
    using Widget::Widget;
    void onNotify(int, int controlId, Widget*) override { notified.push_back(controlId); }
    std::vector<int> notified;
};

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::RecordingRenderer::install();
        host_.anySkin = true;
        (void)host_.stack.openWindow(nullptr, {0, 0, 654, 537}, false);
        window_ = static_cast<NotedWindow*>(
            host_.stack.openWindow(nullptr, {0, 69, 654, 537}, false, std::make_unique<NotedWindow>(host_)));
        own_ = window_->createButton(10, L"", {500, 10, 540, 40});
        panel_ = window_->addControl<Panel>(0, {0, 0, 654, 468}, [](Panel&) {});
        ASSERT_TRUE(panel_);
        box_ = panel_->createEditBox(20, {10, 10, 200, 40}, EditBox::singleLine);
        button_ = panel_->createButton(21, L"", {300, 10, 340, 40});
        button_->tooltip = L"tip";
    }
    void TearDown() override {
        host_.stack.clearFocus();
        host_.stack.closeAllWindows();
        host_.stack.destroyClosed();
        testing::RecordingRenderer::uninstall();
    }
    void press(int x, int y) { host_.stack.route(kLButtonDown, 0, mousePosition(x, y)); }
    void click(int x, int y) {
        press(x, y);
        host_.stack.route(kLButtonUp, 0, mousePosition(x, y));
    }

    testing::FakeUiHost host_;
    NotedWindow* window_ = nullptr;
    Panel* panel_ = nullptr;
    Button* own_ = nullptr;
    EditBox* box_ = nullptr;
    Button* button_ = nullptr;
};

TEST_F(PanelTest, TheFocusedControlOfAPanelTakesTheKeysUntilAPressOnNoControl) {
    click(50, 69 + 20);
    ASSERT_EQ(host_.stack.focused(), box_);
    host_.stack.route(kChar, L'a', 1);
    EXPECT_EQ(box_->editText(), L"a");
    click(520, 69 + 20);  // the window's own button
    EXPECT_EQ(window_->notified, (std::vector<int>{20, 10})) << "the box's change, then the button";

    click(50, 69 + 20);
    press(600, 69 + 300);
    EXPECT_EQ(host_.stack.focused(), nullptr);
}

TEST_F(PanelTest, ItsControlsNotifyTheWindowAndShowTheirTooltipsThere) {
    click(320, 69 + 20);
    EXPECT_EQ(window_->notified, std::vector<int>{21});

    const int before = host_.handCursors;
    host_.stack.route(kMouseMove, 0, mousePosition(320, 69 + 20));
    EXPECT_EQ(window_->tooltip, L"tip");
    EXPECT_EQ(host_.handCursors, before + 1);
    EXPECT_TRUE(button_->hoveredFlag);
    host_.stack.route(kMouseMove, 0, mousePosition(600, 69 + 300));
    EXPECT_TRUE(window_->tooltip.empty());
    EXPECT_FALSE(button_->hoveredFlag);
}

TEST_F(PanelTest, AHiddenPanelTakesNoPresses) {
    panel_->visible = false;
    click(320, 69 + 20);
    EXPECT_TRUE(window_->notified.empty());
    EXPECT_FALSE(shownOnWindow(*button_));
    EXPECT_TRUE(shownOnWindow(*own_));
}

}  // namespace
}  // namespace likenex::ui
