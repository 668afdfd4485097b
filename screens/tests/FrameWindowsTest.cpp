// The main frame's bands and toolbar, the language window and the About window, driven
// through the window stack as the main window routes messages.
#include "screens/FrameWindows.h"
#include "screens/tests/RecordedActions.h"
#include "test_support/FakeUiHost.h"
#include "test_support/RecordingRenderer.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

using testing::FakeUiHost;
using testing::RecordingRenderer;

class FrameWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingRenderer::install();
        host.anySkin = true;
        frame = static_cast<MainFrame*>(host.stack.openWindow(
            nullptr, {0, 0, 654, 537}, false, std::make_unique<MainFrame>(host, actions.mainFrameParts())));
    }
    void TearDown() override {
        host.stack.clearFocus();
        RecordingRenderer::uninstall();
    }
    void click(int x, int y) {
        host.stack.route(ui::kLButtonDown, 0, ui::mousePosition(x, y));
        host.stack.route(ui::kLButtonUp, 0, ui::mousePosition(x, y));
    }
    void clickButton(ui::Widget& window, std::int32_t id) {
        for (const auto& child : window.children())
            if (child->id == id) {
                click((child->bounds.left + child->bounds.right) / 2, (child->bounds.top + child->bounds.bottom) / 2);
                return;
            }
        ADD_FAILURE() << "no control " << id;
    }
    RecordedActions actions;
    FakeUiHost host;
    MainFrame* frame = nullptr;
};

TEST_F(FrameWindowsTest, WebAddressesGetExactlyOneSlash) {
    EXPECT_EQ(joinWebAddress("http://127.0.0.1:8080", "?c=reg"), "http://127.0.0.1:8080/?c=reg");
    EXPECT_EQ(joinWebAddress("http://127.0.0.1:8080/", "/my.aspx?mc=account&to=pay"),
              "http://127.0.0.1:8080/my.aspx?mc=account&to=pay");
    EXPECT_EQ(joinWebAddress("http://h/", "/"), "http://h/");
}

TEST_F(FrameWindowsTest, ThePressInTheBandsMovesTheWindowAndBelowDoesNothing) {
    click(400, 40);
    click(400, 530);
    click(400, 300);
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"move", "move"}));
}

TEST_F(FrameWindowsTest, ToolbarButtonsDoTheirActions) {
    clickButton(*frame, 101);
    clickButton(*frame, 4);
    clickButton(*frame, 203);
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"tray", "quit?", "web /?c=search&type=0"}));
    EXPECT_EQ(host.stack.size(), 1u) << "the close button only asks";
}

TEST_F(FrameWindowsTest, TheLanguageButtonOpensOneWindowThatSwitchesTheLanguage) {
    clickButton(*frame, 204);
    clickButton(*frame, 204);
    EXPECT_EQ(host.stack.size(), 2u) << "a second press brings the open one to front";
    auto* window = dynamic_cast<LanguageWindow*>(host.stack.findWindow(kLanguageWindowId));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->modal);
    EXPECT_EQ(window->bounds, (ImageRect{327 - 127, 268 - 68, 327 + 127, 268 + 68}));
    ASSERT_NE(window->list(), nullptr);
    EXPECT_EQ(window->list()->entries().size(), 5u);
    EXPECT_EQ(window->list()->entries()[4].text, L"#481");
    EXPECT_EQ(window->list()->selected(), 2) << "the language in force";

    (void)window->list()->selectEntry(4);
    clickButton(*window, 2);
    EXPECT_EQ(actions.calls.back(), "language 4");
    EXPECT_EQ(host.stack.findWindow(kLanguageWindowId), nullptr) << "confirmed and closed";
}

TEST_F(FrameWindowsTest, DialogsCannotBeDraggedOverTheBands) {
    clickButton(*frame, 204);
    ui::Widget* window = host.stack.findWindow(kLanguageWindowId);
    ASSERT_NE(window, nullptr);
    const ImageRect before = window->bounds;
    window->dragAnchor = {before.left + 2, before.top + 2};
    window->dragTo(before.left + 2, 30);
    EXPECT_EQ(window->bounds, before) << "over the title band";
    window->dragTo(before.left + 12, before.top + 22);
    EXPECT_EQ(window->bounds.left, before.left + 10);
}

TEST_F(FrameWindowsTest, AboutLinksOpenPagesAndAskForUpdates) {
    clickButton(*frame, 205);
    auto* about = dynamic_cast<AboutWindow*>(host.stack.findWindow(kAboutWindowId));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->bounds, (ImageRect{327 - 157, 268 - 137, 327 + 157, 268 + 137}));
    const int c = (about->bounds.left + about->bounds.right) / 2;
    EXPECT_EQ(about->linkAt(c, about->bounds.top + 90), AboutWindow::address);
    host.stack.route(ui::kLButtonDown, 0, ui::mousePosition(c, about->bounds.top + 90));
    host.stack.route(ui::kLButtonDown, 0, ui::mousePosition(c, about->bounds.top + 155));
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"web /", "web /?c=help"}));
    host.stack.route(ui::kMouseMove, 0, ui::mousePosition(c, about->bounds.top + 130));
    EXPECT_EQ(host.handCursors, 1);
    host.stack.route(ui::kLButtonDown, 0, ui::mousePosition(c, about->bounds.top + 130));
    EXPECT_EQ(actions.calls.back(), "version");
    EXPECT_EQ(host.stack.findWindow(kAboutWindowId), nullptr) << "the update link closes the window";
}

}  // namespace
}  // namespace likenex
