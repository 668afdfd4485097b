// The choice grid: which cell a point falls in as rows scroll, arrows by cell and by row
// within the list, the selection kept in view, and what the owner is told.
#include "test_support/FakeUiHost.h"
#include "test_support/RecordingRenderer.h"
#include "ui/ChoiceGrid.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

namespace likenex::ui {
namespace {

using testing::FakeUiHost;
using testing::RecordingRenderer;

class Owner : public Widget {
public:
    using Widget::Widget;
    void onNotify(int code, int controlId, Widget* sender) override {
        if (code == kNotifyListSelection) chosen.push_back(static_cast<ChoiceGrid*>(sender)->selected());
        (void)controlId;
    }
    std::vector<int> chosen;
};

class ChoiceGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingRenderer::install();
        host.anySkin = true;
        owner =
            static_cast<Owner*>(host.stack.openWindow(nullptr, {0, 0, 654, 537}, false, std::make_unique<Owner>(host)));
        grid = new ChoiceGrid(host);
        grid->setBounds({20, 100, 338, 264});
        grid->id = 7;
        grid->setLayout({5, 2, 61, 75, 7, 8});
        ASSERT_EQ(owner->addChild(grid), kStatusOk);
        grid->setCells(std::vector<ChoiceGrid::Cell>(23));
    }
    void TearDown() override {
        host.windowStack().clearFocus();
        RecordingRenderer::uninstall();
    }
    void click(int x, int y) {
        host.stack.route(kLButtonDown, 0, mousePosition(x, y));
        host.stack.route(kLButtonUp, 0, mousePosition(x, y));
    }
    void key(WParam k) { host.stack.route(kKeyDown, k, 0); }

    FakeUiHost host;
    Owner* owner = nullptr;
    ChoiceGrid* grid = nullptr;
};

TEST_F(ChoiceGridTest, PointsFallInCellsOfTheRowsShown) {
    EXPECT_EQ(grid->cellAt(27, 108), 0);
    EXPECT_EQ(grid->cellAt(26, 108), -1);               // the margin before the first cell
    EXPECT_EQ(grid->cellAt(27 + 61 * 4 + 60, 108), 4);  // last pixel of the row's last cell
    EXPECT_EQ(grid->cellAt(27 + 61 * 5, 108), -1);      // past the columns
    EXPECT_EQ(grid->cellAt(27, 108 + 75), 5);
    EXPECT_EQ(grid->cellAt(27, 108 + 150), -1);  // a third row is not shown
    grid->select(22);                            // the last row scrolls into view
    EXPECT_EQ(grid->firstRow(), 3);
    EXPECT_EQ(grid->cellAt(27 + 61 * 2, 108 + 75), 22);
    EXPECT_EQ(grid->cellAt(27 + 61 * 3, 108 + 75), -1);  // no cell 23
    EXPECT_EQ(grid->cellRect(22).left, 27 + 61 * 2);
}

TEST_F(ChoiceGridTest, ClicksAndArrowsChooseAndTellTheOwner) {
    click(27 + 61 + 5, 108 + 75 + 5);
    EXPECT_EQ(grid->selected(), 6);
    key(kVkRight);
    key(kVkDown);
    key(kVkDown);  // row 3 of 5 columns: cell 17
    EXPECT_EQ(grid->selected(), 17);
    EXPECT_EQ(grid->firstRow(), 2);
    key(kVkDown);  // cell 22 exists
    key(kVkDown);  // cell 27 does not: nothing moves
    key(kVkLeft);
    EXPECT_EQ(owner->chosen, (std::vector<int>{6, 7, 12, 17, 22, 21}));
    grid->select(-1);
    key(kVkLeft);  // without a selection the arrows do nothing
    EXPECT_EQ(owner->chosen.size(), 6u);
}

TEST_F(ChoiceGridTest, AOneColumnListMovesByRowsOnly) {
    grid->setLayout({1, 4, 171, 19, 6, 29});
    grid->setCells(std::vector<ChoiceGrid::Cell>(3));
    grid->select(1);
    host.windowStack().setFocus(grid);
    key(kVkRight);
    EXPECT_EQ(grid->selected(), 1);
    key(kVkUp);
    EXPECT_EQ(grid->selected(), 0);
    grid->setCells({});
    EXPECT_EQ(grid->selected(), -1);
    EXPECT_EQ(grid->cellAt(26 + 6, 100 + 29), -1);
}

}  // namespace
}  // namespace likenex::ui
