// The edit box: typing in each mode, the selection by Shift and keys, the clipboard, line
// wrapping and scrolling, the mouse, the caret timer and what it draws. Keys arrive as Windows
// sends them: WM_KEYDOWN, the WM_CHAR that TranslateMessage makes of it, WM_KEYUP, with the
// modifier's own key messages around them.
#include "test_support/FakeUiHost.h"
#include "test_support/RecordingRenderer.h"
#include "ui/EditBox.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace likenex::ui {
namespace {

using testing::FakeUiHost;
using testing::RecordingRenderer;

constexpr WParam kVkShift = 0x10, kVkControl = 0x11, kVkHome = 0x24, kVkDelete = 0x2E;
constexpr LParam kKeyUpBits = static_cast<LParam>(0xC0000001u);

// What the box painted, in order: filled rectangles with the colour in force, and texts with
// the colour they were drawn in.
std::vector<std::string> painted;
std::uint32_t colourInForce = 0;

std::string hex(std::uint32_t argb) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08x", argb);
    return buffer;
}

// The fake host's 6-pixel text, also writing what it draws into `painted`.
class PaintingHost : public FakeUiHost {
public:
    std::unique_ptr<UiText> makeText() override { return std::make_unique<Text>(*this); }

private:
    class Text : public UiText {
    public:
        explicit Text(PaintingHost& host) : host_(host) {}
        bool create(std::wstring_view, int) override { return true; }
        void release() override {}
        void setText(std::wstring_view text) override { text_ = text; }
        int textWidth() override { return static_cast<int>(text_.size()) * 6; }
        int textWidthOf(int count) override { return std::min(count, static_cast<int>(text_.size())) * 6; }
        void draw(Painter&, int x, int y, const Colour& colour) override {
            host_.drawnTexts.push_back({text_, x, y});
            painted.push_back("text " + std::string(text_.begin(), text_.end()) + " " + std::to_string(x) + " " +
                              hex(colour.packed));
        }

    private:
        PaintingHost& host_;
        std::wstring text_;
    };
};

class Panel : public Widget {
public:
    using Widget::Widget;
    void onNotify(int code, int, Widget*) override { notes.push_back(code); }
    std::vector<int> notes;
};

class EditBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingRenderer::install();
        painted.clear();
        RecordingRenderer::current().onSetColour = [](Colour colour) { colourInForce = colour.packed; };
        RecordingRenderer::current().onFillRect = [](int left, int top, int right, int bottom) {
            painted.push_back("fill " + std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(right) +
                              "," + std::to_string(bottom) + " " + hex(colourInForce));
        };
        host.anySkin = true;
        panel =
            static_cast<Panel*>(host.stack.openWindow(nullptr, {0, 0, 654, 537}, false, std::make_unique<Panel>(host)));
    }
    void TearDown() override {
        host.windowStack().clearFocus();
        RecordingRenderer::uninstall();
    }
    // A box 70 wide: a text area of 60 pixels, ten characters of the fake font.
    EditBox* box(std::int32_t mode, int height = 22) {
        EditBox* b = panel->createEditBox(40, {100, 100, 170, 100 + height}, mode);
        host.windowStack().setFocus(b);
        return b;
    }
    // One key stroke; `character` is what TranslateMessage makes of it (none for 0).
    void stroke(WParam key, wchar_t character = 0) {
        host.stack.route(kKeyDown, key, 1);
        if (character) host.stack.route(kChar, static_cast<WParam>(character), 1);
        host.stack.route(kKeyUp, key, kKeyUpBits);
    }
    void withModifier(WParam modifier, wchar_t letter, wchar_t character) {
        if (modifier == kVkShift) host.shift = true;
        host.stack.route(kKeyDown, modifier, 1);
        stroke(static_cast<WParam>(letter), character);
        host.shift = false;
        host.stack.route(kKeyUp, modifier, kKeyUpBits);
    }
    void control(wchar_t letter) { withModifier(kVkControl, letter, static_cast<wchar_t>(letter - L'A' + 1)); }
    void shifted(WParam key) {
        host.shift = true;
        host.stack.route(kKeyDown, kVkShift, 1);
        stroke(key);
        host.shift = false;
        host.stack.route(kKeyUp, kVkShift, kKeyUpBits);
    }
    // Types the text on a US keyboard: letters, digits and space by their keys (capitals with
    // Shift), CR as Enter, BS as Backspace, codes 1 to 26 as Ctrl with a letter. Anything else
    // comes as an input method delivers it: the character alone.
    void type(std::wstring_view text) {
        for (wchar_t c : text) {
            if (c >= L'a' && c <= L'z') stroke(static_cast<WParam>(c - L'a' + L'A'), c);
            else if (c >= L'A' && c <= L'Z') withModifier(kVkShift, c, c);
            else if ((c >= L'0' && c <= L'9') || c == L' ') stroke(static_cast<WParam>(c), c);
            else if (c == L'\r') stroke(kVkReturn, c);
            else if (c == L'\b') stroke(kVkBack, c);
            else if (c >= 1 && c <= 26) control(static_cast<wchar_t>(L'A' + c - 1));
            else host.stack.route(kChar, static_cast<WParam>(c), 1);
        }
    }
    void press(WParam key) { stroke(key); }
    PaintingHost host;
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
    press(kVkDelete);
    EXPECT_EQ(b->editText(), L"sece");
    EXPECT_EQ(b->mask(), L"****");
    // A drag does not select in a password box.
    host.stack.route(kLButtonDown, 0, mousePosition(106, 110));
    host.stack.route(kMouseMove, kMkLButton, mousePosition(130, 110));
    EXPECT_EQ(b->caret(), b->anchor());
    host.drawnTexts.clear();
    b->draw(RecordingRenderer::painter());
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
    press(kVkHome);
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
    shifted(kVkLeft);
    EXPECT_EQ(b->caret(), 4);
    EXPECT_EQ(b->anchor(), 5);
    type(L"p");
    EXPECT_EQ(b->editText(), L"hellp") << "the character's own key press keeps the selection";
    EXPECT_EQ(b->caret(), 5);

    control(L'A');
    EXPECT_EQ(b->anchor(), 0);
    EXPECT_EQ(b->caret(), 5);
    control(L'X');
    EXPECT_EQ(host.clipboard, L"hellp");
    EXPECT_EQ(b->editText(), L"");
    host.clipboard = L"one\r\ntwo";
    control(L'V');
    EXPECT_EQ(b->editText(), L"onetwo") << "line breaks do not enter a single line";
    b->maxLength = 8;
    control(L'V');
    EXPECT_EQ(b->editText(), L"onetwo") << "a paste that does not fit changes nothing";
    type(L"xyz");
    EXPECT_EQ(b->editText(), L"onetwoxy");
}

TEST_F(EditBoxTest, CtrlAThenBackspaceEmptiesTheBoxAndACopyPastesOverASelectionElsewhere) {
    EditBox* first = box(EditBox::singleLine);
    type(L"hello");
    control(L'A');
    control(L'C');
    EXPECT_EQ(host.clipboard, L"hello");
    EXPECT_EQ(first->editText(), L"hello") << "a copy leaves the text";

    EditBox* second = panel->createEditBox(41, {100, 140, 170, 162}, EditBox::singleLine);
    host.stack.route(kLButtonDown, kMkLButton, mousePosition(110, 150));
    host.stack.route(kLButtonUp, 0, mousePosition(110, 150));
    ASSERT_EQ(host.windowStack().focused(), second);
    type(L"ab");
    shifted(kVkHome);
    EXPECT_EQ(second->anchor(), 2);
    panel->notes.clear();
    control(L'V');
    EXPECT_EQ(second->editText(), L"hello") << "the paste replaces the selection";
    EXPECT_EQ(second->caret(), 5);
    EXPECT_EQ(second->anchor(), 5);
    EXPECT_EQ(panel->notes, std::vector<int>{kNotifyEditChanged});

    host.stack.route(kLButtonDown, kMkLButton, mousePosition(110, 110));
    host.stack.route(kLButtonUp, 0, mousePosition(110, 110));
    ASSERT_EQ(host.windowStack().focused(), first);
    control(L'A');
    panel->notes.clear();
    type(L"\b");
    EXPECT_EQ(first->editText(), L"") << "Backspace takes the whole selection";
    EXPECT_EQ(panel->notes, std::vector<int>{kNotifyEditChanged});
}

TEST_F(EditBoxTest, OnlyMovingTheCaretWithoutShiftDropsTheSelection) {
    EditBox* b = box(EditBox::singleLine);
    type(L"abcd");
    shifted(kVkLeft);
    shifted(kVkLeft);
    ASSERT_EQ(b->anchor(), 4);
    press(0x70);  // F1: swallowed by the box
    host.stack.route(kKeyDown, kVkControl, 1);
    host.stack.route(kKeyUp, kVkControl, kKeyUpBits);
    EXPECT_EQ(b->caret(), 2);
    EXPECT_EQ(b->anchor(), 4) << "keys that move nothing keep the selection";
    press(kVkRight);
    EXPECT_EQ(b->caret(), 3);
    EXPECT_EQ(b->anchor(), 3);
    shifted(kVkLeft);
    press(kVkDelete);
    EXPECT_EQ(b->editText(), L"abd") << "Delete takes the selection";
    EXPECT_EQ(b->caret(), 2);
    EXPECT_EQ(b->anchor(), 2);
}

TEST_F(EditBoxTest, CtrlBackspaceInsertsNothing) {
    EditBox* b = box(EditBox::singleLine);
    type(L"ab");
    panel->notes.clear();
    withModifier(kVkControl, static_cast<wchar_t>(kVkBack), 0x7f);  // TranslateMessage makes DEL
    EXPECT_EQ(b->editText(), L"ab");
    EXPECT_EQ(b->caret(), 2);
    EXPECT_TRUE(panel->notes.empty());
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
    EXPECT_EQ(host.caretTimerStarts, starts + (host.stack.liveEditBoxes() == 1 ? 1 : 0));
    EXPECT_TRUE(b->caretVisible());
    EXPECT_TRUE(host.stack.route(kTimer, kCaretTimerId, 0));
    EXPECT_FALSE(b->caretVisible());
    host.windowStack().clearFocus();
    EXPECT_FALSE(host.stack.route(kTimer, kCaretTimerId, 0));
    EXPECT_FALSE(b->caretVisible());
    const int stops = host.caretTimerStops;
    host.stack.closeAllWindows();
    host.stack.closeWindow(host.stack.root());
    host.stack.destroyClosed();
    EXPECT_EQ(host.stack.liveEditBoxes(), 0);
    EXPECT_GT(host.caretTimerStops, stops);
}

TEST_F(EditBoxTest, DrawsTheSelectionInvertedAndTheCaret) {
    EditBox* b = box(EditBox::singleLine);
    type(L"abcd");
    shifted(kVkLeft);
    shifted(kVkLeft);
    painted.clear();
    b->draw(RecordingRenderer::painter());
    // The text area starts at (105, 105) and is 12 high; the caret stands before "cd".
    const std::vector<std::string> withCaret = {"text abcd 105 ff000000", "fill 117,105,129,117 ff000000",
                                                "text cd 117 ffffffff", "fill 117,105,118,117 ff000000"};
    EXPECT_EQ(painted, withCaret);

    EXPECT_TRUE(host.stack.route(kTimer, kCaretTimerId, 0));
    painted.clear();
    b->draw(RecordingRenderer::painter());
    EXPECT_EQ(painted, std::vector<std::string>(withCaret.begin(), withCaret.end() - 1)) << "the blink's dark phase";

    // Scrolled: the run starts at the sixth character and the selection is its last one.
    b->setEditText(L"");
    EXPECT_TRUE(host.stack.route(kTimer, kCaretTimerId, 0));
    ASSERT_TRUE(b->caretVisible());
    type(L"abcdefghijklmno");
    shifted(kVkLeft);
    ASSERT_EQ(b->scroll(), 5);
    painted.clear();
    b->draw(RecordingRenderer::painter());
    EXPECT_EQ(painted, (std::vector<std::string>{"text fghijklmno 105 ff000000", "fill 159,105,165,117 ff000000",
                                                 "text o 159 ffffffff", "fill 159,105,160,117 ff000000"}));

    host.windowStack().clearFocus();
    painted.clear();
    b->draw(RecordingRenderer::painter());
    EXPECT_EQ(painted.size(), 3u) << "no caret without the focus";
}

}  // namespace
}  // namespace likenex::ui
