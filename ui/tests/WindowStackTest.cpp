// The window stack: which window a message reaches, in what order windows are drawn, and
// what opening and closing does to the root and the active window.
#include "test_support/FakeUiHost.h"
#include "test_support/RecordingRenderer.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace likenex::ui {
namespace {

using testing::FakeUiHost;
using testing::RecordingRenderer;

std::vector<std::string> journal;

// A window that logs what reaches it and answers as told.
class Logged : public Widget {
public:
    Logged(UiHost& host, std::string name, bool answer = false)
        : Widget(host), name_(std::move(name)), answer_(answer) {}
    ~Logged() override { journal.push_back("destroy " + name_); }
    bool onMessage(std::uint32_t message, WParam, LParam) override {
        journal.push_back(name_ + " " + std::to_string(message));
        return answer_ && message != kMouseMove;
    }
    void draw(Painter&) override { journal.push_back("draw " + name_); }
    std::string name_;
    bool answer_;
};

bool journalHas(const std::string& line) { return std::find(journal.begin(), journal.end(), line) != journal.end(); }

// A window whose handling of a click runs a nested message loop, as a message box shown from
// its code does, and then goes on with its own members, as the code after such a box does.
class Nesting : public Logged {
public:
    using Logged::Logged;
    bool onMessage(std::uint32_t message, WParam wParam, LParam lParam) override {
        if (message != kLButtonDown || !nestedLoop) return Logged::onMessage(message, wParam, lParam);
        const std::string name = name_;
        const auto loop = std::move(nestedLoop);
        loop();
        if (journalHas("destroy " + name)) return true;  // freed under its own code: nothing left to touch
        journal.push_back(name_ + " goes on");
        close();
        return true;
    }
    std::function<void()> nestedLoop;
};

// The frame: a click in its title band closes the window it was told to.
class Closing : public Logged {
public:
    using Logged::Logged;
    bool onMessage(std::uint32_t message, WParam wParam, LParam lParam) override {
        if (message == kLButtonDown && mouseY(lParam) < 70 && target) {
            host().windowStack().closeWindow(target);
            return true;
        }
        return Logged::onMessage(message, wParam, lParam);
    }
    Widget* target = nullptr;
};

class WindowStackTest : public ::testing::Test {
protected:
    void SetUp() override {
        journal.clear();
        RecordingRenderer::install();
        host.anySkin = true;
    }
    void TearDown() override { RecordingRenderer::uninstall(); }
    Logged* open(const std::string& name, ImageRect rect, bool modal = false, bool answer = false) {
        return static_cast<Logged*>(
            host.stack.openWindow(nullptr, rect, modal, std::make_unique<Logged>(host, name, answer)));
    }
    FakeUiHost host;
    WindowStack& stack = host.stack;
};

TEST_F(WindowStackTest, TheFirstWindowIsTheRootAndIsNeverModal) {
    Logged* frame = open("frame", {0, 0, 654, 537}, true);
    EXPECT_EQ(stack.root(), frame);
    EXPECT_EQ(stack.active(), frame);
    EXPECT_FALSE(frame->modal);
    Logged* editor = open("editor", {10, 10, 600, 500});
    EXPECT_EQ(stack.active(), editor);
    EXPECT_EQ(stack.windows().back().get(), editor);
    EXPECT_EQ(frame->clientRect, (ImageRect{4, 4, 650, 533})) << "the skin was loaded and laid out";
    Widget* plain = stack.openWindow(editor, {0, 0, 10, 10}, false);
    EXPECT_EQ(plain->owner, editor);
    plain->id = 77;
    EXPECT_EQ(stack.findWindow(77), plain);
    EXPECT_EQ(stack.findWindow(78), nullptr);
}

TEST_F(WindowStackTest, WindowsAreDrawnBottomUpThenTheActiveOneThenTheRootOverAll) {
    Logged* frame = open("frame", {0, 0, 654, 537});
    open("a", {0, 0, 10, 10});
    Logged* b = open("b", {0, 0, 10, 10});
    open("c", {0, 0, 10, 10});
    stack.bringToFront(b);
    Logged* hidden = open("hidden", {0, 0, 10, 10});
    hidden->visible = false;
    stack.bringToFront(b);
    journal.clear();
    stack.drawWindows(RecordingRenderer::painter());
    EXPECT_EQ(journal, (std::vector<std::string>{"draw a", "draw c", "draw b", "draw frame"}));
    (void)frame;
}

TEST_F(WindowStackTest, MessagesGoToTheRootTheActiveWindowThenPrivateOnesToAll) {
    open("frame", {0, 0, 654, 537});
    open("a", {0, 0, 100, 100});
    Logged* b = open("b", {200, 200, 300, 300});
    (void)b;
    journal.clear();
    EXPECT_FALSE(stack.route(kKeyDown, kVkReturn, 0));
    EXPECT_EQ(journal, (std::vector<std::string>{"frame 256", "b 256"})) << "a key: root, then active";

    journal.clear();
    EXPECT_FALSE(stack.route(1025, 1, 2));
    EXPECT_EQ(journal, (std::vector<std::string>{"frame 1025", "b 1025", "b 1025", "a 1025"}))
        << "above WM_USER every window but the root is asked, top first";

    journal.clear();
    EXPECT_FALSE(stack.route(1024, 0, 0));
    EXPECT_EQ(journal, (std::vector<std::string>{"frame 1024", "b 1024"})) << "WM_USER itself is not broadcast";
}

TEST_F(WindowStackTest, AClickReachesTheWindowUnderItAndBringsItToFront) {
    Logged* frame = open("frame", {0, 0, 654, 537});
    Logged* a = open("a", {0, 0, 100, 100}, false, true);
    Logged* b = open("b", {200, 200, 300, 300});
    journal.clear();
    EXPECT_TRUE(stack.route(kLButtonDown, 0, mousePosition(50, 50)));
    EXPECT_EQ(stack.active(), a);
    EXPECT_EQ(stack.windows().back().get(), a);
    EXPECT_EQ(journal, (std::vector<std::string>{"frame 513", "b 513", "a 513"}));

    // Inside the active window the mouse counts as handled after the window has seen it.
    journal.clear();
    EXPECT_TRUE(stack.route(kLButtonDown, 0, mousePosition(10, 10)));
    EXPECT_EQ(journal, (std::vector<std::string>{"frame 513", "a 513"}));

    // A mouse move reaches the window under it without bringing it to front, and is handled.
    journal.clear();
    EXPECT_TRUE(stack.route(kMouseMove, 0, mousePosition(250, 250)));
    EXPECT_EQ(stack.active(), a);
    EXPECT_EQ(journal, (std::vector<std::string>{"frame 512", "a 512", "b 512"}));

    // Nothing under the mouse but the root: not handled.
    a->answer_ = false;
    journal.clear();
    EXPECT_FALSE(stack.route(kLButtonDown, 0, mousePosition(600, 20)));
    EXPECT_EQ(journal, (std::vector<std::string>{"frame 513", "a 513"}));
    (void)frame;
    (void)b;
}

TEST_F(WindowStackTest, AModalActiveWindowKeepsTheMouseFromOtherWindows) {
    open("frame", {0, 0, 654, 537});
    open("a", {0, 0, 100, 100}, false, true);
    Logged* dialog = open("dialog", {200, 200, 300, 300}, true);
    EXPECT_EQ(stack.windowAt(50, 50), nullptr);
    journal.clear();
    EXPECT_FALSE(stack.route(kLButtonDown, 0, mousePosition(50, 50)));
    EXPECT_EQ(stack.active(), dialog);
    EXPECT_EQ(journal, (std::vector<std::string>{"frame 513", "dialog 513"}));
    dialog->modal = false;
    EXPECT_NE(stack.windowAt(50, 50), nullptr);
}

TEST_F(WindowStackTest, ClosingActivatesTheTopWindowAndClosingAllKeepsTheRoot) {
    Logged* frame = open("frame", {0, 0, 654, 537});
    Logged* a = open("a", {0, 0, 10, 10});
    Logged* b = open("b", {0, 0, 10, 10});
    stack.bringToFront(a);
    stack.closeWindow(a);
    EXPECT_EQ(stack.active(), b);
    stack.destroyClosed();
    EXPECT_EQ(journal.back(), "destroy a");

    Logged stranger(host, "stranger");
    stack.closeWindow(&stranger);  // not in the list: left alone
    EXPECT_EQ(stack.size(), 2u);

    open("c", {0, 0, 10, 10});
    stack.closeAllWindows();
    EXPECT_EQ(stack.size(), 1u);
    EXPECT_EQ(stack.root(), frame);
    EXPECT_EQ(stack.active(), nullptr);

    stack.closeWindow(frame);
    EXPECT_EQ(stack.root(), nullptr);
    EXPECT_EQ(stack.active(), nullptr);
    (void)b;
}

TEST_F(WindowStackTest, AWindowClosedInsideANestedLoopOfItsOwnCodeLivesUntilTheOutermostMessageIsDone) {
    auto* frame = static_cast<Closing*>(
        stack.openWindow(nullptr, {0, 0, 654, 537}, false, std::make_unique<Closing>(host, "frame")));
    auto* language = static_cast<Nesting*>(
        stack.openWindow(frame, {200, 200, 454, 336}, true, std::make_unique<Nesting>(host, "language")));
    frame->target = language;
    language->nestedLoop = [&] {
        // Inside the box's loop the toolbar is clicked, and the frame closes the window.
        EXPECT_TRUE(stack.route(kLButtonDown, kMkLButton, mousePosition(140, 30)));
        EXPECT_FALSE(journalHas("destroy language")) << "destroyed while its code still runs";
        // Windows closed by any means wait as well, and so does a frame drawn meanwhile.
        stack.closeAllWindows();
        stack.drawWindows(RecordingRenderer::painter());
        stack.destroyClosed();
        EXPECT_FALSE(journalHas("destroy language"));
    };
    journal.clear();
    EXPECT_TRUE(stack.route(kLButtonDown, kMkLButton, mousePosition(300, 300)));
    EXPECT_EQ(journal, (std::vector<std::string>{"frame 513", "draw frame", "language goes on", "destroy language"}))
        << "destroyed once the outermost message was handled";
    EXPECT_EQ(stack.size(), 1u);
    EXPECT_EQ(stack.active(), frame);
}

TEST_F(WindowStackTest, AMessageEndedByAnExceptionStillLetsClosedWindowsGo) {
    class Throwing : public Logged {
    public:
        using Logged::Logged;
        bool onMessage(std::uint32_t message, WParam, LParam) override {
            if (message == kKeyDown) {
                close();
                throw std::runtime_error("abandoned");
            }
            return false;
        }
    };
    open("frame", {0, 0, 654, 537});
    stack.openWindow(nullptr, {0, 0, 10, 10}, false, std::make_unique<Throwing>(host, "thrower"));
    EXPECT_THROW(stack.route(kKeyDown, kVkReturn, 0), std::runtime_error);
    EXPECT_TRUE(journalHas("destroy thrower"));
    Logged* later = open("later", {0, 0, 10, 10});
    stack.closeWindow(later);
    (void)stack.route(kKeyDown, kVkReturn, 0);
    EXPECT_TRUE(journalHas("destroy later")) << "the count of running messages came back to zero";
}

}  // namespace
}  // namespace likenex::ui
