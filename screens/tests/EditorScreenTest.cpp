// The editor screen on the window stack, driven as the main window routes messages: tabs and
// the outfit, the script page's buttons and dialogs, palettes, undo keys, starting over, the
// price on every page, and every text after a change of language.
#include "screens/EditorScreen.h"

#include "base/WindowMessages.h"
#include "screens/FrameWindows.h"
#include "screens/tests/EditorTestBed.h"
#include "ui/ListBox.h"
#include "ui/MessageDialog.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace likenex {
namespace {

using namespace small_catalogue;

class EditorScreenTest : public EditorTestBed {
protected:
    void SetUp() override {
        EditorTestBed::SetUp();
        openEditor(std::make_unique<MainFrame>(host_, actions_.mainFrameParts()));
    }
    void clickControl(const ui::Widget* control) {
        ASSERT_TRUE(control);
        click((control->bounds.left + control->bounds.right) / 2, (control->bounds.top + control->bounds.bottom) / 2);
    }
    void clickCell(ui::ChoiceGrid* grid, int index) {
        const ImageRect r = grid->cellRect(index);
        click(r.left + 3, r.top + 3);
    }
    void pressNext() { click(600, 470); }
    [[nodiscard]] bool dialogOpen() const {
        return host_.stack.active() && host_.stack.active() != editor_ && host_.stack.active() != frame_;
    }
    void closeDialog() { host_.stack.closeWindow(host_.stack.active()); }
};

TEST_F(EditorScreenTest, TheOutfitSkipsPagesAndMovesTheLastTabs) {
    for (int page = 0; page < 7; ++page) pressNext();
    EXPECT_EQ(editor_->state().page(), kScriptPage);
    EXPECT_EQ(editor_->tab(6)->bounds.left, 16 + 300);
    EXPECT_EQ(editor_->tab(7)->bounds.left, 16 + 350);

    clickControl(editor_->tab(2));
    ASSERT_EQ(editor_->state().page(), kOutfitPage);
    clickCell(editor_->itemGrid(), 0);  // the outfit
    EXPECT_TRUE(editor_->state().outfit());
    for (int k : {3, 4, 5}) EXPECT_FALSE(editor_->tab(k)->visible);
    EXPECT_EQ(editor_->tab(6)->bounds.left, 16 + 150);
    EXPECT_EQ(editor_->tab(7)->bounds.left, 16 + 200);
    pressNext();
    EXPECT_EQ(editor_->state().page(), kBodyPartPage);
    EXPECT_FALSE(editor_->tab(8)->visible);
}

TEST_F(EditorScreenTest, TheScriptPageRefusesEmptyScriptsAndAddsCaptionedSteps) {
    for (int page = 0; page < 7; ++page) pressNext();
    pressNext();  // an empty script may not leave the page
    EXPECT_EQ(editor_->state().page(), kScriptPage);
    ASSERT_TRUE(dialogOpen());
    closeDialog();

    clickControl(editor_->captionBox());
    host_.stack.route(ui::kChar, 'H', 0);
    host_.stack.route(ui::kChar, 'i', 0);
    click(260, 490);  // add step, nothing chosen
    EXPECT_TRUE(dialogOpen());
    closeDialog();
    clickCell(editor_->actionList(), 1);
    click(260, 490);
    ASSERT_EQ(editor_->state().script().size(), 1u);
    EXPECT_EQ(editor_->state().script()[0].caption, u"Hi");
    EXPECT_TRUE(editor_->captionBox()->editText().empty());
    EXPECT_EQ(editor_->scriptList()->size(), 1u);
    EXPECT_EQ(editor_->scriptList()->selected(), 0);

    // Ctrl+Z types its control character: with the caption box focused it stays there.
    clickControl(editor_->captionBox());
    host_.stack.route(ui::kChar, 0x1A, 0);
    EXPECT_EQ(editor_->state().script().size(), 1u);
    host_.stack.clearFocus();
    host_.stack.route(ui::kChar, 0x1A, 0);
    EXPECT_TRUE(editor_->state().script().empty());
    EXPECT_EQ(editor_->scriptList()->size(), 0u);
    host_.stack.route(ui::kChar, 0x19, 0);
    EXPECT_EQ(editor_->scriptList()->size(), 1u);
}

TEST_F(EditorScreenTest, PalettesPickTheSkinAndTheItemColour) {
    click(373 + 22 * 2 + 5, 410 + 17 * 1 + 5);  // row 1, column 2
    EXPECT_EQ(editor_->state().skin(), 11);
    EXPECT_EQ(model_->look().skin, 11);
    EXPECT_EQ(EditorScreen::paletteCellAt(373 + 22 * 8 + 21, 410, kColourCells), 8);
    EXPECT_EQ(EditorScreen::paletteCellAt(373 + 22 * 9, 410, kColourCells), -1);
    EXPECT_EQ(EditorScreen::paletteCellAt(373, 410 + 17 * 4 + 16, kSkinCells), 36);
    EXPECT_EQ(EditorScreen::paletteCellAt(373 + 22 * 8, 410 + 17 * 4, kSkinCells), -1);  // cell 44

    pressNext();              // page 1: the hat
    click(373 + 5, 410 + 5);  // nothing chosen yet: no colour
    EXPECT_EQ(editor_->state().pageChoice(1).colour, -1);
    clickCell(editor_->itemGrid(), 0);
    click(373 + 22 * 4 + 5, 410 + 5);
    EXPECT_EQ(model_->look().items[0].colourId, 4);
}

TEST_F(EditorScreenTest, ANewAvatarIsConfirmedThenStartsFromTheFirstPage) {
    for (int page = 0; page < 3; ++page) pressNext();
    clickCell(editor_->itemGrid(), 0);
    const AvatarModel* before = model_.get();
    frame_->onNotify(ui::kNotifyButton, 201, frame_);
    EXPECT_EQ(editor_->pendingAction(), kEditorNewAvatarAnswer);
    ASSERT_TRUE(dialogOpen());
    // Another dialog's answer is not ours.
    host_.stack.route(WM_DIALOG_OK, 0, 0);
    EXPECT_EQ(editor_->pendingAction(), kEditorNewAvatarAnswer);
    host_.stack.route(WM_DIALOG_OK, kEditorScreenId, kEditorNewAvatarAnswer);
    EXPECT_EQ(editor_->pendingAction(), 0);
    EXPECT_NE(model_.get(), before);
    EXPECT_EQ(editor_->state().model(), model_.get());
    EXPECT_EQ(editor_->state().page(), kFacePage);
    EXPECT_FALSE(editor_->state().outfit());
    for (int k = 1; k < 9; ++k) EXPECT_FALSE(editor_->tab(k)->visible) << k;
    EXPECT_TRUE(shownOnWindow(*editor_->faceGrid(0)));
    EXPECT_FALSE(shownOnWindow(*editor_->itemGrid()));
    // It wears the free eyes, shown chosen in their grid.
    EXPECT_EQ(editor_->faceGrid(0)->selected(), 1);
    EXPECT_EQ(editor_->faceGrid(1)->selected(), -1);
}

TEST_F(EditorScreenTest, ThePriceIsDrawnOnEveryPage) {
    host_.texts[940] = L"Price %d";
    auto drawnPrices = [&] {
        host_.drawnTexts.clear();
        editor_->draw(testing::RecordingRenderer::painter());
        std::vector<std::wstring> prices;
        for (const auto& t : host_.drawnTexts)
            if (t.text.starts_with(L"Price")) prices.push_back(t.text);
        return prices;
    };
    using Texts = std::vector<std::wstring>;
    clickCell(editor_->faceGrid(0), 0);  // face option 11, 5
    EXPECT_EQ(drawnPrices(), Texts{L"Price 5"}) << "page 0";
    pressNext();
    clickCell(editor_->itemGrid(), 0);  // the hat, 10
    for (int page = 1; page < kScriptPage; ++page) {
        ASSERT_EQ(editor_->state().page(), page);
        EXPECT_EQ(drawnPrices(), Texts{L"Price 15"}) << "page " << page;
        pressNext();
    }
    ASSERT_EQ(editor_->state().page(), kScriptPage);
    clickCell(editor_->actionList(), 1);  // action 2001, 2
    click(260, 490);
    EXPECT_EQ(drawnPrices(), Texts{L"Price 17"}) << "page 7";
    pressNext();
    ASSERT_EQ(editor_->state().page(), kUploadPage);
    EXPECT_EQ(drawnPrices(), Texts{L"Price 17"}) << "page 8";
}

TEST_F(EditorScreenTest, WordsTooLongForAnUploadAreRefusedWhenTheStepIsAdded) {
    for (int page = 0; page < 7; ++page) pressNext();
    const std::wstring words(1794, L'w');  // one more than leaves room for the upload's texts
    editor_->captionBox()->setEditText(words);
    clickCell(editor_->actionList(), 3);
    click(260, 490);
    auto* refusal = dynamic_cast<ui::MessageDialog*>(host_.stack.active());
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->lines()[0], L"#950");
    EXPECT_TRUE(editor_->state().script().empty());
    EXPECT_EQ(editor_->captionBox()->editText(), words) << "kept to be shortened";
}

// Every text of every page, after the language changed: the controls' captions, tooltips and
// list entries, and what each page draws.
TEST_F(EditorScreenTest, EveryTextFollowsTheLanguage) {
    for (int page = 0; page < 7; ++page) pressNext();
    clickCell(editor_->actionList(), 1);
    click(260, 490);
    pressNext();
    ASSERT_EQ(editor_->state().page(), kUploadPage);
    UploadPage& upload = editor_->uploadPage();
    ASSERT_EQ(upload.optionList(0)->selectEntry(4), ui::kStatusOk);
    ASSERT_EQ(upload.optionList(1)->selectEntry(3), ui::kStatusOk);

    changeLanguage(L"fr");
    std::vector<std::wstring> texts;
    std::function<void(const ui::Widget&)> collect = [&](const ui::Widget& widget) {
        for (const auto& child : widget.children()) {
            texts.push_back(child->tooltip);
            if (const auto* label = dynamic_cast<const ui::Label*>(child.get())) texts.push_back(label->text());
            if (const auto* list = dynamic_cast<const ui::ListBox*>(child.get()))
                for (const auto& entry : list->entries()) texts.push_back(entry.text);
            collect(*child);
        }
    };
    collect(*editor_);
    for (int tab = 0; tab < 8; ++tab) {
        editor_->pressTab(tab);
        editor_->draw(testing::RecordingRenderer::painter());
    }
    pressNext();
    ASSERT_EQ(editor_->state().page(), kUploadPage);
    editor_->draw(testing::RecordingRenderer::painter());
    for (const auto& drawn : host_.drawnTexts) texts.push_back(drawn.text);

    // Texts of the language table carry their number after "#"; names and numbers do not.
    for (const std::wstring& text : texts)
        if (text.find(L'#') != std::wstring::npos) {
            EXPECT_TRUE(text.starts_with(L"fr:#")) << text;
        }
    for (int id : {458, 468, 469, 470, 471, 472, 476, 511, 514, 482, 498})
        EXPECT_NE(std::find(texts.begin(), texts.end(), L"fr:#" + std::to_wstring(id)), texts.end()) << id;
    EXPECT_EQ(upload.optionList(0)->selected(), 4);
    EXPECT_EQ(upload.optionList(1)->selected(), 3);
}

}  // namespace
}  // namespace likenex
