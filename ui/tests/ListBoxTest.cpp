// The scroll bar's range, clamping, thumb and mouse, and the drop-down list's entries,
// selection by keys and mouse, and its notifications.
#include "test_support/FakeUiHost.h"
#include "test_support/RecordingRenderer.h"
#include "ui/ListBox.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

namespace likenex::ui {
namespace {

using testing::FakeUiHost;
using testing::RecordingRenderer;

class Panel : public Widget {
public:
    using Widget::Widget;
    void onNotify(int code, int controlId, Widget*) override {
        notes.push_back(code == kNotifyListSelection ? controlId : -1);
    }
    std::vector<int> notes;
};

class ListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingRenderer::install();
        host.anySkin = true;
        panel =
            static_cast<Panel*>(host.stack.openWindow(nullptr, {0, 0, 654, 537}, false, std::make_unique<Panel>(host)));
    }
    void TearDown() override {
        host.windowStack().clearFocus();
        RecordingRenderer::uninstall();
    }
    bool mouse(std::uint32_t message, int x, int y, WParam buttons = 0) {
        return host.stack.route(message, buttons, mousePosition(x, y));
    }
    bool key(WParam k, LParam lParam = 0) {
        const bool handled = host.stack.route(kKeyDown, k, lParam);
        host.stack.route(kKeyUp, k, lParam);
        return handled;
    }
    ListBox* listWith(int count) {
        ListBox* box = panel->createListBox(30, {100, 100, 220, 120});
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(box->addEntry((L"entry " + std::to_wstring(i)).c_str(), 100 + i), kStatusOk);
        return box;
    }
    FakeUiHost host;
    Panel* panel = nullptr;
};

TEST_F(ListBoxTest, ScrollPositionsStayWithinTheRange) {
    ScrollBar bar(host);
    bar.setBounds({0, 0, 10, 120});  // arrows 10 high: a track of 100 from 10 to 110
    EXPECT_EQ(bar.track(), (ImageRect{0, 10, 10, 110}));
    bar.setRange(0, 10);
    bar.setPageSize(4);
    bar.setPosition(3);
    EXPECT_EQ(bar.position(), 3);
    EXPECT_EQ(bar.thumb(), (ImageRect{0, 10 + 60 * 3 / 6, 10, 10 + 60 * 3 / 6 + 40})) << "page 4 of 10: 40 pixels";
    bar.scrollBy(100);
    EXPECT_EQ(bar.position(), 6) << "at most maximum - page";
    bar.scrollBy(-100);
    EXPECT_EQ(bar.position(), 0);
    bar.setPageSize(10);
    EXPECT_FALSE(bar.thumbShown()) << "a page holds everything";
    EXPECT_EQ(bar.thumb().bottom - bar.thumb().top, 0);
    bar.setPosition(5);
    EXPECT_EQ(bar.position(), 0);

    bar.setRange(0, 1000);
    bar.setPageSize(1);
    EXPECT_TRUE(bar.thumbShown());
    EXPECT_EQ(bar.thumb().bottom - bar.thumb().top, 8) << "a tiny thumb is raised to 8";
    bar.setRange(INT32_MIN, INT32_MAX);
    bar.scrollBy(INT32_MAX);
    EXPECT_EQ(bar.position(), INT32_MAX - 1);
}

TEST_F(ListBoxTest, ArrowsTrackAndThumbMoveThePosition) {
    ScrollBar bar(host);
    bar.setBounds({0, 0, 10, 120});
    bar.setRange(0, 10);
    bar.setPageSize(4);
    EXPECT_TRUE(bar.onMouse(kLButtonDown, 5, 115, 0, 0));
    EXPECT_EQ(bar.position(), 1);
    EXPECT_EQ(bar.heldArrow(), 2);
    EXPECT_FALSE(bar.onMouse(kLButtonUp, 5, 115, 0, 0));
    EXPECT_EQ(bar.heldArrow(), 0);
    EXPECT_TRUE(bar.onMouse(kLButtonDown, 5, 5, 0, 0));
    EXPECT_EQ(bar.position(), 0);
    EXPECT_TRUE(bar.onMouse(kLButtonDown, 5, 5, 0, 0));
    EXPECT_EQ(bar.position(), 0) << "not below the minimum";
    EXPECT_TRUE(bar.onMouse(kLButtonDown, 5, 100, 0, 0));
    EXPECT_EQ(bar.position(), 3) << "the track after the thumb pages by pageSize - 1";
    EXPECT_TRUE(bar.onMouse(kLButtonDown, 5, 11, 0, 0));
    EXPECT_EQ(bar.position(), 0);
    EXPECT_FALSE(bar.onMouse(kLButtonDown, 50, 50, 0, 0)) << "outside the bar";

    // Drag the thumb (10..50) by its middle to the end of the track.
    EXPECT_TRUE(bar.onMouse(kLButtonDown, 5, 30, 0, 0));
    EXPECT_TRUE(bar.dragging());
    EXPECT_TRUE(bar.onMouse(kMouseMove, 5, 500, kMkLButton, 0));
    EXPECT_EQ(bar.position(), 6);
    EXPECT_TRUE(bar.onMouse(kMouseMove, 5, 30 + 30, kMkLButton, 0));  // lead 40 of a free 60: 3 of 6 steps
    EXPECT_EQ(bar.position(), 3);
    bar.onMouse(kLButtonUp, 5, 60, 0, 0);
    EXPECT_FALSE(bar.dragging());
}

TEST_F(ListBoxTest, EntriesAreAddedCutAndTheFirstSelected) {
    ListBox* box = panel->createListBox(30, {100, 100, 220, 120});
    EXPECT_EQ(box->selected(), -1);
    EXPECT_EQ(box->addEntry(nullptr, 0), kInvalidArgument);
    panel->notifyOnSet = true;
    EXPECT_EQ(box->addEntry(std::wstring(300, L'x').c_str(), 5), kStatusOk);
    EXPECT_EQ(box->entries()[0].text.size(), 255u);
    EXPECT_EQ(box->selected(), 0);
    EXPECT_EQ(panel->notes, std::vector<int>{30});
    EXPECT_EQ(box->addEntry(L"second", 6), kStatusOk);
    EXPECT_EQ(box->selected(), 0) << "more entries leave the selection alone";
    EXPECT_EQ(box->selectEntry(2), kInvalidArgument);
    EXPECT_EQ(box->selectEntry(1), kStatusOk);
    EXPECT_EQ(box->highlighted(), 1);
    panel->notifyOnSet = false;
    box->selectNext();
    EXPECT_EQ(box->selected(), 0) << "wraps after the last";
    EXPECT_EQ(box->scrollBar().maximum(), 2);
    EXPECT_EQ(box->arrowRect(), (ImageRect{200, 100, 220, 120}));
    EXPECT_EQ(box->listRect(), (ImageRect{100, 120, 200, 120 + box->listHeight}));
}

TEST_F(ListBoxTest, ArrowKeysSelectAtOnceWhenClosedAndOnlyOnEnterWhenDropped) {
    ListBox* box = listWith(5);
    host.windowStack().setFocus(box);
    EXPECT_TRUE(key(kVkDown));
    EXPECT_EQ(box->selected(), 1);
    EXPECT_EQ(panel->notes, std::vector<int>{30});
    EXPECT_TRUE(key(kVkUp));
    EXPECT_TRUE(key(kVkUp));
    EXPECT_EQ(box->selected(), 0) << "not above the first";
    EXPECT_EQ(panel->notes.size(), 2u);

    panel->notes.clear();
    EXPECT_TRUE(key(0x73));  // F4 drops the list
    EXPECT_TRUE(box->dropped());
    EXPECT_TRUE(host.stack.route(kKeyDown, 0x73, 1 << 30)) << "an auto-repeated F4 is swallowed";
    EXPECT_TRUE(box->dropped());
    EXPECT_TRUE(key(kVkDown));
    EXPECT_TRUE(key(kVkDown));
    EXPECT_EQ(box->highlighted(), 2);
    EXPECT_TRUE(panel->notes.empty()) << "a dropped list tells on Enter";
    EXPECT_TRUE(key(kVkReturn));
    EXPECT_FALSE(box->dropped());
    EXPECT_EQ(box->selected(), 2);
    EXPECT_EQ(host.windowStack().focused(), nullptr) << "without keyboard navigation the focus goes with the list";
    EXPECT_FALSE(key(kVkReturn)) << "Enter on a closed list is not the list's";
}

TEST_F(ListBoxTest, ClicksDropPickAndCloseTheList) {
    ListBox* box = listWith(20);
    EXPECT_TRUE(mouse(kLButtonDown, 210, 110));
    mouse(kLButtonUp, 210, 110);
    ASSERT_TRUE(box->dropped());
    EXPECT_EQ(host.windowStack().focused(), box);
    box->draw(RecordingRenderer::painter());  // lays the shown entries out
    ASSERT_TRUE(box->entries()[0].shown);
    const int lines = (box->innerRect().bottom - box->innerRect().top) / 14;
    EXPECT_EQ(box->scrollBar().pageSize(), lines);
    EXPECT_FALSE(box->entries()[static_cast<std::size_t>(lines)].shown) << "entries past the list are not shown";

    const ImageRect& third = box->entries()[2].rect;
    mouse(kMouseMove, third.left + 3, third.top + 3);
    EXPECT_EQ(box->highlighted(), 2);
    mouse(kLButtonDown, third.left + 3, third.top + 3);
    mouse(kLButtonUp, third.left + 3, third.top + 3);
    EXPECT_FALSE(box->dropped());
    EXPECT_EQ(box->selected(), 2);
    EXPECT_EQ(panel->notes, std::vector<int>{30});
    EXPECT_EQ(host.windowStack().focused(), nullptr);

    // Dropped again, a click elsewhere closes it and puts the highlight back on the selection.
    mouse(kLButtonDown, 210, 110);
    mouse(kLButtonUp, 210, 110);
    box->draw(RecordingRenderer::painter());
    mouse(kMouseMove, box->entries()[4].rect.left + 2, box->entries()[4].rect.top + 2);
    EXPECT_EQ(box->highlighted(), 4);
    mouse(kLButtonDown, 600, 500);
    EXPECT_FALSE(box->dropped());
    EXPECT_EQ(box->highlighted(), 2);
    EXPECT_EQ(box->selected(), 2);
    EXPECT_EQ(panel->notes.size(), 2u);
}

TEST_F(ListBoxTest, F4ClosesWithANotificationAndTheFocusStaysOnlyWithKeyboardNavigation) {
    constexpr WParam kF4 = 0x73;
    ListBox* box = listWith(5);
    host.windowStack().setFocus(box);
    EXPECT_TRUE(key(kF4));
    ASSERT_TRUE(box->dropped());
    EXPECT_TRUE(key(kVkDown));
    EXPECT_TRUE(panel->notes.empty()) << "nothing is told while the list is dropped";
    EXPECT_TRUE(host.stack.route(kKeyDown, kF4, 1 << 30));
    EXPECT_TRUE(box->dropped()) << "an auto-repeated F4 does not close the list";
    EXPECT_TRUE(key(kF4));
    EXPECT_FALSE(box->dropped());
    EXPECT_EQ(box->selected(), 1);
    EXPECT_EQ(panel->notes, std::vector<int>{30}) << "closing by F4 tells the selection";
    EXPECT_EQ(host.windowStack().focused(), nullptr) << "without keyboard navigation the focus goes with the list";

    // With keyboard navigation the box keeps the focus however the list closes: F4, Enter,
    // the arrow again, or a click outside.
    panel->keyboardNavigation = true;
    host.windowStack().setFocus(box);
    key(kF4);
    key(kF4);
    EXPECT_FALSE(box->dropped());
    EXPECT_EQ(panel->notes.size(), 2u);
    EXPECT_EQ(host.windowStack().focused(), box);
    key(kF4);
    key(kVkDown);
    key(kVkReturn);
    EXPECT_EQ(box->selected(), 2);
    EXPECT_EQ(host.windowStack().focused(), box);
    mouse(kLButtonDown, 210, 110, kMkLButton);
    mouse(kLButtonUp, 210, 110);
    ASSERT_TRUE(box->dropped());
    mouse(kLButtonDown, 210, 110, kMkLButton);
    mouse(kLButtonUp, 210, 110);
    EXPECT_FALSE(box->dropped());
    EXPECT_EQ(host.windowStack().focused(), box);
    mouse(kLButtonDown, 210, 110, kMkLButton);
    mouse(kLButtonUp, 210, 110);
    panel->notes.clear();
    mouse(kLButtonDown, 600, 500, kMkLButton);
    EXPECT_FALSE(box->dropped());
    EXPECT_FALSE(box->pressed);
    EXPECT_EQ(panel->notes, std::vector<int>{30});
    EXPECT_EQ(host.windowStack().focused(), box);

    // Without it, closing by the arrow lets the focus go too.
    panel->keyboardNavigation = false;
    mouse(kLButtonDown, 210, 110, kMkLButton);
    mouse(kLButtonUp, 210, 110);
    ASSERT_TRUE(box->dropped());
    mouse(kLButtonDown, 210, 110, kMkLButton);
    mouse(kLButtonUp, 210, 110);
    EXPECT_FALSE(box->dropped());
    EXPECT_EQ(host.windowStack().focused(), nullptr);
}

TEST_F(ListBoxTest, KeysKeepTheHighlightInViewOfADroppedList) {
    ListBox* box = listWith(40);
    host.windowStack().setFocus(box);
    key(0x73);
    box->draw(RecordingRenderer::painter());
    const int lines = box->scrollBar().pageSize();
    ASSERT_GT(lines, 0);
    for (int i = 0; i < lines + 3; ++i) key(kVkDown);
    box->draw(RecordingRenderer::painter());
    const auto& highlighted = box->entries()[static_cast<std::size_t>(box->highlighted())];
    EXPECT_TRUE(highlighted.shown);
    EXPECT_EQ(box->firstVisible(), box->highlighted() - lines + 1);
}

}  // namespace
}  // namespace likenex::ui
