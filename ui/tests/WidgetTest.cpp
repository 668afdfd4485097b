// The toolkit's base: children, focus and keyboard navigation, the mouse, dragging, the
// nine-patch layout and the tooltip, driven by messages as the main window routes them.
#include "test_support/FakeUiHost.h"
#include "test_support/RecordingRenderer.h"
#include "ui/Widget.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

namespace likenex::ui {
namespace {

using testing::FakeUiHost;
using testing::RecordingRenderer;

// A control whose focusability the test decides; it records what reached it.
class Probe : public Control {
public:
    explicit Probe(UiHost& host, bool focusable = true) : Control(host), focusable_(focusable) {}
    bool canFocus() const override { return focusable_ && visible && enabled; }
    bool onMouse(std::uint32_t message, int x, int y, WParam, LParam) override {
        mouse.push_back({message, x, y});
        return takesMouse;
    }
    bool onKey(std::uint32_t, WParam key, LParam) override {
        keys.push_back(key);
        return false;
    }
    void focusGained() override {
        Control::focusGained();
        ++gained;
    }
    void focusLost() override {
        Control::focusLost();
        ++lost;
    }
    struct Mouse {
        std::uint32_t message;
        int x, y;
    };
    std::vector<Mouse> mouse;
    std::vector<WParam> keys;
    bool takesMouse = false;
    int gained = 0, lost = 0;

private:
    bool focusable_;
};

Probe* addProbe(Widget& window, std::int32_t id, ImageRect rect, bool focusable = true) {
    auto* probe = new Probe(window.host(), focusable);
    probe->id = id;
    probe->setBounds(rect);
    EXPECT_EQ(window.addChild(probe), kStatusOk);
    return probe;
}

class WidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingRenderer::install();
        host.anySkin = true;
    }
    void TearDown() override {
        host.windowStack().clearFocus();
        RecordingRenderer::uninstall();
    }
    bool send(std::uint32_t message, WParam wParam = 0, LParam lParam = 0) {
        return host.stack.route(message, wParam, lParam);
    }
    bool mouse(std::uint32_t message, int x, int y, WParam buttons = 0) {
        return send(message, buttons, mousePosition(x, y));
    }
    FakeUiHost host;
};

TEST_F(WidgetTest, ChildrenAreKeptNewestFirstAndTabFollowsTheOrderAdded) {
    Widget window(host);
    Probe* a = addProbe(window, 1, {0, 0, 50, 50});
    Probe* b = addProbe(window, 2, {0, 0, 50, 50});
    Probe* c = addProbe(window, 3, {0, 0, 50, 50});
    ASSERT_EQ(window.children().size(), 3u);
    EXPECT_EQ(window.children()[0].get(), c);
    EXPECT_EQ(window.children()[2].get(), a);
    EXPECT_EQ(a->tabIndex, 0);
    EXPECT_EQ(c->tabIndex, 2);
    EXPECT_EQ(a->owner, &window);
    EXPECT_EQ(window.childAt(10, 10), c) << "the newest child is found first";
    EXPECT_EQ(window.nextTabChild(a), b);
    EXPECT_EQ(window.nextTabChild(c), a);
    EXPECT_EQ(window.previousTabChild(a), c);
    EXPECT_EQ(window.addChild(nullptr), kInvalidArgument);

    c->enabled = false;
    EXPECT_EQ(window.childAt(10, 10), b) << "a disabled child is passed over";
    b->visible = false;
    EXPECT_EQ(window.childAt(10, 10), a);
    EXPECT_EQ(window.childAt(50, 10), nullptr) << "right edge excluded";
}

TEST_F(WidgetTest, TabAndArrowsMoveTheFocusWithinTheWindow) {
    Widget* window = host.stack.openWindow(nullptr, {0, 0, 654, 537}, false);  // root
    window->keyboardNavigation = true;
    Probe* a = addProbe(*window, 1, {0, 0, 10, 10});
    Probe* skipped = addProbe(*window, 2, {0, 0, 10, 10}, false);
    Probe* c = addProbe(*window, 3, {0, 0, 10, 10});

    // Nothing focused and nothing marked for it: Tab changes nothing but counts as handled.
    EXPECT_TRUE(send(kKeyDown, kVkTab));
    EXPECT_EQ(host.windowStack().focused(), nullptr);
    EXPECT_FALSE(send(kKeyDown, kVkLeft)) << "arrows without a focus fall through";

    a->defaultFocus = true;
    EXPECT_TRUE(send(kKeyDown, kVkTab));
    EXPECT_EQ(host.windowStack().focused(), a);
    EXPECT_TRUE(send(kKeyDown, kVkTab));
    EXPECT_EQ(host.windowStack().focused(), c) << "an unfocusable child is stepped over";
    EXPECT_EQ(a->lost, 1);
    EXPECT_TRUE(send(kKeyDown, kVkTab));
    EXPECT_EQ(host.windowStack().focused(), a) << "wraps to the first added";
    host.shift = true;
    EXPECT_TRUE(send(kKeyDown, kVkTab));
    EXPECT_EQ(host.windowStack().focused(), c) << "Shift+Tab goes backward";
    host.shift = false;
    EXPECT_TRUE(send(kKeyDown, kVkDown));
    EXPECT_EQ(host.windowStack().focused(), a);
    EXPECT_TRUE(send(kKeyDown, kVkUp));
    EXPECT_EQ(host.windowStack().focused(), c);
    EXPECT_EQ(skipped->gained, 0);
    EXPECT_EQ(c->keys.size(), 2u) << "the focused child sees each key first";

    // Only keys down navigate, and only with keyboard navigation on.
    EXPECT_FALSE(send(kKeyUp, kVkTab));
    window->keyboardNavigation = false;
    EXPECT_FALSE(send(kKeyDown, kVkTab));
    EXPECT_EQ(host.windowStack().focused(), c);
}

TEST_F(WidgetTest, FocusSearchStopsWhenNoOtherChildCanTakeIt) {
    Widget* window = host.stack.openWindow(nullptr, {0, 0, 100, 100}, false);
    window->keyboardNavigation = true;
    Probe* only = addProbe(*window, 1, {0, 0, 10, 10});
    for (int i = 0; i < 5; ++i) addProbe(*window, 10 + i, {0, 0, 10, 10}, false);
    host.windowStack().setFocus(only);
    EXPECT_TRUE(send(kKeyDown, kVkTab));
    EXPECT_EQ(host.windowStack().focused(), only);
    EXPECT_EQ(only->lost, 0);
}

TEST_F(WidgetTest, SetFocusAndClearFocusTellBothHolders) {
    Widget window(host);
    Probe* a = addProbe(window, 1, {0, 0, 10, 10});
    Probe* b = addProbe(window, 2, {0, 0, 10, 10});
    Probe* never = addProbe(window, 3, {0, 0, 10, 10}, false);
    host.windowStack().setFocus(a);
    host.windowStack().setFocus(a);
    EXPECT_EQ(a->gained, 1) << "a second setFocus on the holder does nothing";
    host.windowStack().setFocus(never);
    EXPECT_EQ(host.windowStack().focused(), a);
    host.windowStack().setFocus(b);
    EXPECT_EQ(a->lost, 1);
    EXPECT_TRUE(b->focusedFlag);
    host.windowStack().clearFocus();
    EXPECT_EQ(host.windowStack().focused(), nullptr);
    EXPECT_FALSE(b->focusedFlag);
}

TEST_F(WidgetTest, DestroyingAWindowDropsItsChildsFocusWithoutTellingIt) {
    {
        Widget window(host);
        Probe* a = addProbe(window, 1, {0, 0, 10, 10});
        host.windowStack().setFocus(a);
    }
    EXPECT_EQ(host.windowStack().focused(), nullptr);
}

TEST_F(WidgetTest, MouseGoesToTheFocusedChildFirstThenTheChildUnderIt) {
    Widget* root = host.stack.openWindow(nullptr, {0, 0, 654, 537}, false);
    Probe* left = addProbe(*root, 1, {10, 10, 60, 60});
    Probe* right = addProbe(*root, 2, {100, 10, 150, 60});
    right->tooltip = L"right";
    mouse(kMouseMove, 120, 20);
    ASSERT_EQ(right->mouse.size(), 1u);
    EXPECT_EQ(right->mouse[0].x, 120);
    EXPECT_EQ(root->tooltip, L"right");
    EXPECT_EQ(root->lastMouseTime, host.now);
    EXPECT_EQ(root->hovered, right);
    EXPECT_TRUE(right->hoveredFlag);

    // A focused child that takes the mouse keeps it, wherever the mouse is (a capture).
    host.windowStack().setFocus(left);
    left->takesMouse = true;
    EXPECT_TRUE(mouse(kLButtonUp, 300, 300));
    ASSERT_EQ(left->mouse.size(), 1u);
    EXPECT_EQ(right->mouse.size(), 1u);

    // A press on empty area takes the focus away.
    left->takesMouse = false;
    mouse(kLButtonDown, 300, 300);
    EXPECT_EQ(host.windowStack().focused(), nullptr);
    EXPECT_EQ(left->lost, 1);
    mouse(kMouseMove, 300, 300);
    EXPECT_EQ(root->hovered, nullptr);
    EXPECT_FALSE(right->hoveredFlag) << "leaving a child ends its hover";
    EXPECT_TRUE(root->tooltip.empty());
}

TEST_F(WidgetTest, ButtonsShowTheHandCursor) {
    Widget* root = host.stack.openWindow(nullptr, {0, 0, 654, 537}, false);
    Probe* button = addProbe(*root, 1, {10, 10, 60, 60});
    Probe* other = addProbe(*root, 2, {100, 10, 150, 60});
    button->kind = ControlKind::button;
    mouse(kMouseMove, 20, 20);
    EXPECT_EQ(host.handCursors, 1);
    mouse(kMouseMove, 110, 20);
    EXPECT_EQ(host.handCursors, 1);
    EXPECT_TRUE(other->hoveredFlag);
}

TEST_F(WidgetTest, AWindowDragsByItsFrameOnlyAndNeverTheRoot) {
    Widget* root = host.stack.openWindow(nullptr, {0, 0, 654, 537}, false);
    Widget* dialog = host.stack.openWindow(root, {100, 100, 300, 250}, false);
    Probe* child = addProbe(*dialog, 1, {150, 150, 170, 170});
    // The frame's pictures are 4 x 4: the client area starts 4 pixels in.
    EXPECT_EQ(dialog->clientRect, (ImageRect{4, 4, 196, 146}));

    EXPECT_TRUE(mouse(kLButtonDown, 150, 130)) << "inside the client area: handled";
    EXPECT_FALSE(dialog->dragging);
    EXPECT_TRUE(mouse(kLButtonDown, 102, 101));
    EXPECT_TRUE(dialog->dragging);
    mouse(kMouseMove, 112, 106, kMkLButton);
    EXPECT_EQ(dialog->bounds, (ImageRect{110, 105, 310, 255}));
    EXPECT_EQ(child->bounds, (ImageRect{160, 155, 180, 175})) << "children move with it";
    mouse(kMouseMove, 150, 150, kMkLButton | 0x0002);
    EXPECT_EQ(dialog->bounds.left, 110) << "with another button down too, no move";
    mouse(kLButtonUp, 150, 150);
    EXPECT_FALSE(dialog->dragging);

    host.stack.closeWindow(dialog);
    EXPECT_FALSE(mouse(kLButtonDown, 1, 1));
    EXPECT_FALSE(root->dragging) << "the root never drags";
}

TEST_F(WidgetTest, ClosingIdentifiersCloseTheirWindowAfterTheMessage) {
    Widget* root = host.stack.openWindow(nullptr, {0, 0, 654, 537}, false);
    Widget* dialog = host.stack.openWindow(root, {100, 100, 300, 250}, true);
    struct Closer : Probe {
        using Probe::Probe;
        bool onMouse(std::uint32_t message, int x, int y, WParam w, LParam l) override {
            Probe::onMouse(message, x, y, w, l);
            if (message == kLButtonUp) owner->onNotify(kNotifyButton, id, this);
            // Still here after asking: the window is destroyed only once the message is over.
            mouse.push_back({message, x, y});
            return true;
        }
    };
    auto* ok = new Closer(host);
    ok->id = 2;
    ok->setBounds({150, 150, 200, 170});
    ASSERT_EQ(dialog->addChild(ok), kStatusOk);
    auto* plain = new Closer(host);
    plain->id = 7;
    plain->setBounds({210, 150, 260, 170});
    ASSERT_EQ(dialog->addChild(plain), kStatusOk);

    EXPECT_TRUE(mouse(kLButtonUp, 220, 160));
    EXPECT_EQ(host.stack.size(), 2u) << "identifier 7 keeps the window";
    EXPECT_TRUE(mouse(kLButtonUp, 160, 160));
    EXPECT_EQ(host.stack.size(), 1u);
    EXPECT_EQ(host.stack.active(), root);
}

TEST_F(WidgetTest, NinePatchLayoutAtOddSizes) {
    NinePatch p;
    auto set = [&](std::size_t k, std::uint32_t lw, std::uint32_t lh, int tw, int th) {
        p[k].layoutWidth = lw;
        p[k].layoutHeight = lh;
        p[k].width = tw;
        p[k].height = th;
    };
    // Corners laid out 5 x 6 but stored 8 x 8; edges 5 wide or 6 high; the centre stored at
    // 16 x 16 for a layout size of 20 x 10.
    for (std::size_t k : {0, 2, 6, 8}) set(k, 5, 6, 8, 8);
    set(1, 1, 6, 1, 8);
    set(7, 1, 6, 1, 8);
    set(3, 5, 1, 8, 1);
    set(5, 5, 1, 8, 1);
    set(4, 20, 10, 16, 16);
    layoutNinePatch(37, 23, p);
    EXPECT_EQ(p[0].rect, (ImageRect{0, 0, 8, 8}));
    EXPECT_EQ(p[2].rect, (ImageRect{32, 0, 40, 8}));
    EXPECT_EQ(p[6].rect, (ImageRect{0, 17, 8, 25}));
    EXPECT_EQ(p[8].rect, (ImageRect{32, 17, 40, 25}));
    EXPECT_EQ(p[1].rect, (ImageRect{5, 0, 32, 8}));
    EXPECT_EQ(p[3].rect, (ImageRect{0, 6, 8, 17}));
    EXPECT_EQ(p[5].rect, (ImageRect{32, 6, 40, 17}));
    EXPECT_EQ(p[7].rect, (ImageRect{5, 17, 32, 25}));
    // Centre: right = 5 + (37 - 5 - 5) * 16 / 20 = 5 + 21.6 -> 26; bottom = 23 - 6 = 17;
    // top = 17 - (17 - 6) * 16 / 10 = 17 - 17.6 -> 17 - 17 = 0.
    EXPECT_EQ(p[4].rect, (ImageRect{5, 0, 26, 17}));

    // An area narrower than its edges: the span is taken as an unsigned number, as the
    // products are specified, and no division by a zero layout size happens.
    set(4, 0, 0, 16, 16);
    layoutNinePatch(3, 3, p);
    EXPECT_EQ(p[4].rect, (ImageRect{5, -3, 5, -3}));
}

TEST_F(WidgetTest, TooltipsStayInsideTheClientArea) {
    Widget* root = host.stack.openWindow(nullptr, {0, 0, 654, 537}, false);
    Probe* child = addProbe(*root, 1, {0, 0, 654, 537});
    child->tooltip = L"ten chars!";  // 60 pixels wide in the fake font
    host.skins.clear();
    auto tipAt = [&](int x, int y) {
        host.cursor = Point{x, y};
        mouse(kMouseMove, x, y);
        ++host.now;  // the tip shows from the next pass of the loop on
        host.drawnTexts.clear();
        root->draw(RecordingRenderer::painter());
        EXPECT_EQ(host.drawnTexts.size(), 1u);
        return host.drawnTexts.empty() ? Point{-1, -1} : Point{host.drawnTexts[0].x, host.drawnTexts[0].y};
    };
    Point p = tipAt(100, 100);
    EXPECT_EQ(p.x, 100 + 10 + 3);
    EXPECT_EQ(p.y, 100 + 10 + 12);
    p = tipAt(600, 100);  // 654 - 10 < 600 + 60 + 6: to the left
    EXPECT_EQ(p.x, 600 + (654 - 600 - 60 - 16) + 3);
    p = tipAt(100, 520);  // 537 - 18 < 520 + 12 + 6: above
    EXPECT_EQ(p.y, 520 + (537 - 12 - 520 - 14) + 12);

    // Not in the pass the mouse moved in, and not with the cursor outside the window.
    host.cursor = Point{100, 100};
    mouse(kMouseMove, 100, 100);
    host.drawnTexts.clear();
    root->draw(RecordingRenderer::painter());
    EXPECT_TRUE(host.drawnTexts.empty());
    ++host.now;
    host.cursor = Point{700, 100};
    root->draw(RecordingRenderer::painter());
    EXPECT_TRUE(host.drawnTexts.empty());
}

TEST_F(WidgetTest, AFocusedChildIsDrawnOverItsSiblings) {
    Widget window(host);
    window.setBounds({0, 0, 100, 100});
    host.anySkin = false;
    struct Drawn : Control {
        Drawn(UiHost& host, std::vector<int>& log) : Control(host), log_(log) {}
        void draw(Painter&) override { log_.push_back(id); }
        bool canFocus() const override { return true; }
        std::vector<int>& log_;
    };
    std::vector<int> order;
    for (int id : {1, 2, 3}) {
        auto* c = new Drawn(host, order);
        c->id = id;
        ASSERT_EQ(window.addChild(c), kStatusOk);
    }
    host.windowStack().setFocus(window.children()[1].get());  // id 2
    window.children()[2]->visible = false;                    // id 1
    window.draw(RecordingRenderer::painter());
    EXPECT_EQ(order, (std::vector<int>{3, 2}));
}

}  // namespace
}  // namespace likenex::ui
