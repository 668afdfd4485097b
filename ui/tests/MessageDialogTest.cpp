// The message dialog: where it opens, how its text is split into lines, what each style's
// buttons answer, and what it draws.
#include "base/WindowMessages.h"
#include "test_support/FakeUiHost.h"
#include "test_support/RecordingRenderer.h"
#include "ui/MessageDialog.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

namespace likenex::ui {
namespace {

using testing::FakeUiHost;
using testing::RecordingRenderer;
using Sent = FakeUiHost::Sent;

class MessageDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingRenderer::install();
        host.anySkin = true;
        root = host.stack.openWindow(nullptr, {0, 0, 654, 537}, false);
    }
    void TearDown() override {
        host.windowStack().clearFocus();
        RecordingRenderer::uninstall();
    }
    void click(int x, int y) {
        host.stack.route(kLButtonDown, 0, mousePosition(x, y));
        host.stack.route(kLButtonUp, 0, mousePosition(x, y));
    }
    // The dialog's button with the identifier, by its centre in client coordinates.
    Point centreOf(MessageDialog& dialog, int id) {
        for (const auto& child : dialog.children())
            if (child->id == id)
                return {(child->bounds.left + child->bounds.right) / 2, (child->bounds.top + child->bounds.bottom) / 2};
        ADD_FAILURE() << "no button " << id;
        return {};
    }
    FakeUiHost host;
    Widget* root = nullptr;
};

TEST_F(MessageDialogTest, OpensCentredModalAndOwnedByTheRoot) {
    MessageDialog* dialog = showMessageDialog(host, L"text", L"title", DialogStyle::okCancel, 5, 6);
    EXPECT_EQ(dialog->bounds, (ImageRect{327 - 127, 268 - 88, 327 + 127, 268 + 88}));
    EXPECT_TRUE(dialog->modal);
    EXPECT_EQ(dialog->owner, root);
    EXPECT_EQ(host.stack.active(), dialog);
    EXPECT_EQ(dialog->clientRect, (ImageRect{9, 28, 245, 137}));
    EXPECT_EQ(dialog->title(), L"title");
    EXPECT_EQ(dialog->lines()[0], L"text");
}

TEST_F(MessageDialogTest, TextSplitsIntoAtMostFiveLinesAndALeadingFeedKeepsTheRestWhole) {
    MessageDialog dialog(host, DialogStyle::okOnly, 0, 0);
    dialog.setDialogText(L"one\ntwo\nthree\nfour\nfive\nsix\nseven");
    EXPECT_EQ(dialog.lines(), (std::array<std::wstring, 5>{L"one", L"two", L"three", L"four", L"five"}));
    dialog.setDialogText(L"a\n\nb\nc");
    EXPECT_EQ(dialog.lines(), (std::array<std::wstring, 5>{L"a", L"\nb\nc", L"", L"", L""}));
    dialog.setDialogText(L"no feed");
    EXPECT_EQ(dialog.lines()[0], L"no feed");
    EXPECT_EQ(dialog.lines()[1], L"");
    // A style cast from a number outside the named ones is the text-only one.
    EXPECT_EQ(MessageDialog(host, static_cast<DialogStyle>(9), 0, 0).dialogStyle(), DialogStyle::okOnly)
        << "an unknown style is the text-only one";
}

TEST_F(MessageDialogTest, EachStyleHasItsButtonsAndAnswers) {
    struct Case {
        DialogStyle style;
        std::vector<std::pair<int, std::wstring>> buttons;  // identifier, caption
    } cases[] = {
        {DialogStyle::okOnly, {{2, L"#111"}}},
        {DialogStyle::okCancel, {{2, L"#111"}, {3, L"#356"}}},
        {DialogStyle::yesNo, {{2, L"#506"}, {3, L"#507"}}},
        {DialogStyle::yesNoCancel, {{2, L"#506"}, {3, L"#507"}, {4, L"#356"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.style));
        MessageDialog* dialog = showMessageDialog(host, L"?", L"", c.style, 41, 42);
        std::vector<std::pair<int, std::wstring>> buttons;
        for (auto it = dialog->children().rbegin(); it != dialog->children().rend(); ++it)
            if ((*it)->kind == ControlKind::button) buttons.emplace_back((*it)->id, static_cast<Button&>(**it).text());
        EXPECT_EQ(buttons, c.buttons);
        for (const auto& [id, caption] : c.buttons) {
            // Every button closes the dialog; 2 and 3 of a dialog with buttons answer first.
            MessageDialog* again = id == 2 ? dialog : showMessageDialog(host, L"?", L"", c.style, 41, 42);
            host.sent.clear();
            const Point p = centreOf(*again, id);
            click(p.x, p.y);
            EXPECT_EQ(host.stack.size(), 1u) << "button " << id << " closed the dialog";
            std::vector<Sent> expected;
            if (c.style != DialogStyle::okOnly && id == 2) expected.push_back({WM_DIALOG_OK, 41, 42});
            if (c.style != DialogStyle::okOnly && id == 3) expected.push_back({WM_DIALOG_CANCEL, 41, 42});
            EXPECT_EQ(host.sent, expected) << "button " << id;
        }
    }
}

TEST_F(MessageDialogTest, EnterOnTheFocusedButtonAnswersLikeAClick) {
    MessageDialog* dialog = showMessageDialog(host, L"quit?", L"", DialogStyle::okCancel, 7, 8);
    dialog->keyboardNavigation = true;
    for (const auto& child : dialog->children())
        if (child->id == 2) host.windowStack().setFocus(child.get());
    host.stack.route(kKeyDown, kVkReturn, 0);
    host.stack.route(kKeyUp, kVkReturn, 0);
    EXPECT_EQ(host.sent, (std::vector<Sent>{{WM_DIALOG_OK, 7, 8}}));
    EXPECT_EQ(host.stack.size(), 1u);
    EXPECT_EQ(host.windowStack().focused(), nullptr) << "the focused button went with its dialog";
}

TEST_F(MessageDialogTest, DrawsTheTitleCentredAndEachLineInItsSlot) {
    MessageDialog* dialog = showMessageDialog(host, L"first\n\nthird", L"Title", DialogStyle::okOnly, 0, 0);
    host.drawnTexts.clear();
    dialog->draw(RecordingRenderer::painter());
    std::vector<std::tuple<std::wstring, int, int>> texts;
    for (const auto& t : host.drawnTexts) texts.emplace_back(t.text, t.x, t.y);
    const int left = dialog->bounds.left, top = dialog->bounds.top;
    // The lines are "first" and "\nthird" (a feed first keeps the rest whole).
    EXPECT_NE(std::find(texts.begin(), texts.end(), std::make_tuple(std::wstring(L"Title"), left + 127 - 15, top + 15)),
              texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), std::make_tuple(std::wstring(L"first"), left + 35, top + 50)),
              texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), std::make_tuple(std::wstring(L"\nthird"), left + 35, top + 67)),
              texts.end());
}

}  // namespace
}  // namespace likenex::ui
