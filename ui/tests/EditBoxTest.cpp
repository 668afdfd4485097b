// The edit box: typing in each mode, the selection by Shift and keys, the clipboard, line
// wrapping and scrolling, the mouse, the caret timer and what it draws.
#include "test_support/FakeUiHost.h"
#include "test_support/RecordingRenderer.h"
#include "ui/EditBox.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

namespace likenex::ui {
namespace {

using testing::FakeUiHost;
using testing::RecordingRenderer;

class Panel : public Widget {
public:
    void onNotify(int code, int, Widget*) override { notes.push_back(code); }
    std::vector<int> notes;
};

class EditBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingRenderer::install();
        host.anySkin = true;
        panel = static_cast<Panel*>(host.stack.openWindow(nullptr, {0, 0, 654, 537}, false, std::make_unique<Panel>()));
    }
    void TearDown() override {
        clearFocus();
        RecordingRenderer::uninstall();
    }
    // A box 70 wide: a text area of 60 pixels, ten characters of the fake font.
    EditBox* box(std::int32_t mode, int height = 22) {
        EditBox* b = panel->createEditBox(40, {100, 100, 170, 100 + height}, mode);
        setFocus(b);
        return b;
    }
    void type(std::wstring_view text) {
        for (wchar_t c : text) host.stack.route(kChar, static_cast<WParam>(c), 0);
    }
    void press(WParam key) {
        host.stack.route(kKeyDown, key, 0);
        host.stack.route(kKeyUp, key, 0);
    }
    FakeUiHost host;
    Panel* panel = nullptr;
};

TEST_F(EditBoxTest, DigitsModeKeepsTenDigitsAndRefusesLettersAndPasting) {
    EditBox* b = box(EditBox::digits);
    type(L"12a345678901");
    EXPECT_EQ(b->editText(), L"1234567890");
    host.clipboard = L"55";
    EXPECT_FALSE(b->onMessage(kChar, 22, 0)) << "Ctrl+V is not the box's in digits mode";
    b->setEditText(L"12x");
    EXPECT_EQ(b->editText(), L"") << "a text with a non-digit is refused whole";
    b->setEditText(L"42");
    EXPECT_EQ(b->editText(), L"42");
}

TEST_F(EditBoxTest, PasswordModeShowsStarsAndRefusesTheClipboardButEditsTheRealText) {
    EditBox* b = box(EditBox::password);
    type(L"secret");
    EXPECT_EQ(b->editText(), L"secret");
    EXPECT_EQ(b->mask(), L"******");
    EXPECT_FALSE(b->onMessage(kChar, 1, 0)) << "Ctrl+A";
    EXPECT_FALSE(b->onMessage(kChar, 3, 0)) << "Ctrl+C";
    EXPECT_FALSE(b->onMessage(kChar, 24, 0)) << "Ctrl+X";
    EXPECT_FALSE(b->onMessage(kChar, 22, 0)) << "Ctrl+V";
    EXPECT_FALSE(host.clipboard.has_value());
    type(L"\b");
    press(kVkLeft);
    press(kVkLeft);
    press(0x2E);  // Delete
    EXPECT_EQ(b->editText(), L"sece");
    EXPECT_EQ(b->mask(), L"****");
    // A drag does not select in a password box.
    host.stack.route(kLButtonDown, 0, mousePosition(106, 110));
    host.stack.route(kMouseMove, kMkLButton, mousePosition(130, 110));
    EXPECT_EQ(b->caret(), b->anchor());
    host.drawnTexts.clear();
    b->draw();
    ASSERT_FALSE(host.drawnTexts.empty());
    EXPECT_EQ(host.drawnTexts[0].text, L"****") << "only the stars are drawn";
}

TEST_F(EditBoxTest, EnterTellsInOneLineAndBreaksTheLineInMany) {
    EditBox* one = box(EditBox::singleLine);
    type(L"ab\r");
    EXPECT_EQ(one->editText(), L"ab");
    EXPECT_EQ(panel->notes, (std::vector<int>{kNotifyEditChanged, kNotifyEditChanged, kNotifyEditEnter}));

    EditBox* many = box(EditBox::multiLine, 60);
    type(L"ab\rcd");
    EXPECT_EQ(many->editText(), L"ab\rcd");
    ASSERT_EQ(many->lines().size(), 2u);
    EXPECT_EQ(many->lines()[1], (std::pair<std::int32_t, std::int32_t>{3, 2}));
    EXPECT_EQ(many->caretLine(), 1);
    press(kVkUp);
    EXPECT_EQ(many->caret(), 2) << "the same column of the line above";
    press(kVkDown);
    EXPECT_EQ(many->caret(), 5);
}

TEST_F(EditBoxTest, LongLinesWrapAtTheBoxWidth) {
    EditBox* b = box(EditBox::multiLine, 60);
    type(L"abcdefghijklmnopqrstuvwxy");  // 25 characters, 10 to a line
    ASSERT_EQ(b->lines().size(), 3u);
    EXPECT_EQ(b->lines()[0], (std::pair<std::int32_t, std::int32_t>{0, 10}));
    EXPECT_EQ(b->lines()[2], (std::pair<std::int32_t, std::int32_t>{20, 5}));
    b->setEditText(L"");
    EXPECT_EQ(b->lines().size(), 1u) << "an empty text has one empty line";
}

TEST_F(EditBoxTest, TypingPastTheRightEdgeKeepsTheCaretInViewWithACharacterBeforeIt) {
    EditBox* b = box(EditBox::singleLine);
    type(L"abcdefghijklmno");  // 15 characters in room for 10
    EXPECT_EQ(b->caret(), 15);
    EXPECT_EQ(b->scroll(), 5);
    ASSERT_EQ(b->lines().size(), 1u);
    EXPECT_EQ(b->lines()[0], (std::pair<std::int32_t, std::int32_t>{5, 10}));
    press(0x24);  // Home
    EXPECT_EQ(b->scroll(), 0);
    press(0x23);  // End
    EXPECT_EQ(b->scroll(), 5);
    for (int i = 0; i < 10; ++i) press(kVkLeft);
    EXPECT_EQ(b->caret(), 5);
    EXPECT_EQ(b->scroll(), 4) << "one character stays visible left of the caret";
}

TEST_F(EditBoxTest, ShiftLeftSelectsAndTypingReplacesTheSelection) {
    EditBox* b = box(EditBox::singleLine);
    type(L"hello");
    host.shift = true;
    press(kVkLeft);
    host.shift = false;
    EXPECT_EQ(b->caret(), 4);
    EXPECT_EQ(b->anchor(), 5);
    type(L"p");
    EXPECT_EQ(b->editText(), L"hellp");
    EXPECT_EQ(b->caret(), 5);

    type(std::wstring(1, 1));  // Ctrl+A
    EXPECT_EQ(b->anchor(), 0);
    type(std::wstring(1, 24));  // Ctrl+X
    EXPECT_EQ(host.clipboard, L"hellp");
    EXPECT_EQ(b->editText(), L"");
    host.clipboard = L"one\r\ntwo";
    type(std::wstring(1, 22));  // Ctrl+V
    EXPECT_EQ(b->editText(), L"onetwo") << "line breaks do not enter a single line";
    b->maxLength = 8;
    type(std::wstring(1, 22));
    EXPECT_EQ(b->editText(), L"onetwo") << "a paste that does not fit changes nothing";
    type(L"xyz");
    EXPECT_EQ(b->editText(), L"onetwoxy");
}

TEST_F(EditBoxTest, TabMovesOnUnlessTheBoxKeepsItAndOtherKeysAreSwallowed) {
    EditBox* b = box(EditBox::singleLine);
    EXPECT_FALSE(b->onKey(kKeyDown, kVkTab, 0));
    b->tabStop = false;
    EXPECT_TRUE(b->onKey(kKeyDown, kVkTab, 0));
    EXPECT_FALSE(b->onKey(kKeyDown, kVkEscape, 0));
    EXPECT_TRUE(b->onKey(kKeyDown, 0x70, 0)) << "F1";
    EXPECT_FALSE(b->onKey(kKeyDown, 0x2E, 0)) << "Delete at the end of the text";
}

TEST_F(EditBoxTest, ClicksPlaceTheCaretAtTheNearestBoundaryAndDragsSelect) {
    EditBox* b = box(EditBox::singleLine);
    b->setEditText(L"abcdef");
    // Text from x = 105; boundaries every 6 pixels.
    host.stack.route(kLButtonDown, 0, mousePosition(105 + 8, 110));
    EXPECT_EQ(b->caret(), 1) << "8 pixels in is nearer the boundary at 6 than at 12";
    EXPECT_EQ(b->anchor(), 1);
    ASSERT_TRUE(host.composition);
    EXPECT_EQ(host.composition->x, 105 + 6 + 12);
    host.stack.route(kMouseMove, kMkLButton, mousePosition(105 + 25, 110));
    EXPECT_EQ(b->caret(), 4);
    EXPECT_EQ(b->anchor(), 1);
    host.stack.route(kLButtonUp, 0, mousePosition(105 + 25, 110));
    host.stack.route(kMouseMove, 0, mousePosition(105 + 2, 110));
    EXPECT_EQ(b->caret(), 4) << "the drag ended with the release";
}

TEST_F(EditBoxTest, TheCaretBlinksOnlyInTheFocusedBoxAndTheTimerFollowsTheLiveBoxes) {
    const int starts = host.caretTimerStarts;
    EditBox* b = box(EditBox::singleLine);
    EXPECT_EQ(host.caretTimerStarts, starts + (EditBox::liveCount() == 1 ? 1 : 0));
    EXPECT_TRUE(b->caretVisible());
    EXPECT_TRUE(host.stack.route(kTimer, kCaretTimerId, 0));
    EXPECT_FALSE(b->caretVisible());
    clearFocus();
    EXPECT_FALSE(host.stack.route(kTimer, kCaretTimerId, 0));
    EXPECT_FALSE(b->caretVisible());
    const int stops = host.caretTimerStops;
    host.stack.closeAllWindows();
    host.stack.closeWindow(host.stack.root());
    host.stack.destroyClosed();
    EXPECT_EQ(EditBox::liveCount(), 0);
    EXPECT_GT(host.caretTimerStops, stops);
}

TEST_F(EditBoxTest, DrawsTheSelectionInvertedAndTheCaret) {
    EditBox* b = box(EditBox::singleLine);
    type(L"abcd");
    host.shift = true;
    press(kVkLeft);
    press(kVkLeft);
    host.shift = false;
    host.drawnTexts.clear();
    b->draw();
    ASSERT_EQ(host.drawnTexts.size(), 2u);
    EXPECT_EQ(host.drawnTexts[0].text, L"abcd");
    EXPECT_EQ(host.drawnTexts[1].text, L"cd");
    EXPECT_EQ(host.drawnTexts[1].x, 105 + 12);
}

}  // namespace
}  // namespace likenex::ui
