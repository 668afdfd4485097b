// The editor's avatar codes and random dressing, driven as the main window routes keys and
// clicks: Ctrl+C and Ctrl+V in an edit box, texts that are no code, a guest's random dressing,
// the preview's right-click menu, the messages of the help band, and opening a code as a new
// avatar. The keys' plain path, through the system clipboard, is EditorCodeWindowTest's.
#include "base/WindowMessages.h"
#include "net/AvatarCode.h"
#include "screens/EditorScreen.h"
#include "screens/FrameWindows.h"
#include "screens/PreviewMenu.h"
#include "screens/TextIds.h"
#include "screens/tests/EditorTestBed.h"
#include "ui/MessageDialog.h"

#include <gtest/gtest.h>

#include <string>

namespace likenex {
namespace {

constexpr wchar_t kCtrlA = 0x01, kCtrlC = 0x03, kCtrlV = 0x16, kCtrlR = 0x12;

class EditorCodeTest : public EditorTestBed {
protected:
    void SetUp() override {
        EditorTestBed::SetUp();
        openEditor(std::make_unique<MainFrame>(host_, actions_.mainFrameParts()));
        state().showPage(kFacePage);
    }
    EditorState& state() { return editor_->state(); }
    void pressNext() { click(600, 470); }
    void rightClick(int x, int y) {
        host_.stack.route(ui::kRButtonDown, 0, ui::mousePosition(x, y));
        host_.stack.route(ui::kRButtonUp, 0, ui::mousePosition(x, y));
    }
    // The code of an avatar wearing the hat in colour 9, top 301, shoes 601, body part 9, face
    // option 21, skin 30, facing 3, with a two-step script.
    [[nodiscard]] static AvatarFields dressed() {
        AvatarFields look;
        look.direction = 3;
        look.faceOption2 = 21;
        look.skin = 30;
        look.items[0] = {101, 9};
        look.items[2] = {301, 5};
        look.items[4] = {601, 8};
        look.bodyPart = 9;
        look.script = {{2001, u"hello"}, {2003, u""}};
        return look;
    }
    [[nodiscard]] static std::wstring codeOf(const AvatarFields& look) {
        const AvatarCodeResult result = encodeAvatarCode(look);
        EXPECT_EQ(result.refusal, CodeRefusal::none);
        return std::wstring(result.code.begin(), result.code.end());
    }
    [[nodiscard]] PreviewMenu* menu() const {
        return static_cast<PreviewMenu*>(host_.stack.findWindow(kPreviewMenuId));
    }
    void chooseFromMenu(int item) {
        PreviewMenu* open = menu();
        ASSERT_TRUE(open);
        const ImageRect r = open->itemRect(item);
        click(r.left + 10, r.top + 10);
        EXPECT_FALSE(menu()) << "a choice closes the menu";
    }
    [[nodiscard]] std::wstring band() const { return editor_->helpBandText(); }
    [[nodiscard]] static std::wstring text(int id) { return L"#" + std::to_wstring(id); }
};

TEST_F(EditorCodeTest, CtrlCAndCtrlVInAFocusedEditBoxKeepTheirTextMeaning) {
    for (int page = 0; page < kScriptPage; ++page) pressNext();
    ASSERT_EQ(state().page(), kScriptPage);
    ui::EditBox* box = editor_->captionBox();
    const ImageRect r = box->bounds;
    click(r.left + 5, r.top + 5);
    ASSERT_EQ(host_.stack.focused(), box);
    typeText(L"hi there");
    typeKey('A', kCtrlA);
    typeKey('C', kCtrlC);
    EXPECT_EQ(host_.clipboard, std::wstring(L"hi there")) << "the box's selection, not the avatar's code";

    host_.clipboard = codeOf(dressed());
    const AvatarFields before = state().uploadFields();
    typeKey('V', kCtrlV);
    EXPECT_EQ(box->editText(), *host_.clipboard) << "the code pasted as words";
    EXPECT_EQ(state().uploadFields(), before);
}

TEST_F(EditorCodeTest, TextThatIsNoCodeChangesNothingAndTheBandSaysWhy) {
    state().chooseSkin(12);
    const AvatarFields before = state().uploadFields();
    const std::size_t depth = state().undoDepth();
    auto paste = [&](std::optional<std::wstring> clipboard) {
        host_.clipboard = std::move(clipboard);
        typeKey('V', kCtrlV);
        EXPECT_EQ(state().uploadFields(), before);
        EXPECT_EQ(state().undoDepth(), depth);
    };
    paste(L"see you at eight!");
    EXPECT_EQ(band(), text(kTextNotACode));
    paste(std::nullopt);
    EXPECT_EQ(band(), text(kTextNotACode));
    std::wstring code = codeOf(dressed());
    paste(code.substr(0, code.size() - 3));
    EXPECT_EQ(band(), text(kTextDamagedCode));
    code[4] = code[4] == L'A' ? L'B' : L'A';
    paste(code);
    EXPECT_EQ(band(), text(kTextDamagedCode));

    // The message stays a few seconds, or until the page changes.
    host_.now += kNoticeShownMs - 1;
    EXPECT_EQ(band(), text(kTextDamagedCode));
    (void)editor_->advance(host_.now);
    host_.now += 1;
    (void)editor_->advance(host_.now);
    EXPECT_EQ(band(), text(kTextPageHelp + kFacePage));
    paste(L"nope");
    pressNext();
    EXPECT_EQ(band(), text(kTextPageHelp + 1));
}

TEST_F(EditorCodeTest, TheBandSaysWhenACodeHoldsWhatTheCatalogueLacks) {
    AvatarFields look = dressed();
    look.items[3] = {999, 1};
    host_.clipboard = codeOf(look);
    typeKey('V', kCtrlV);
    EXPECT_EQ(band(), text(kTextLeftOut));
    EXPECT_EQ(state().pageChoice(3).identifier, 301) << "the rest is worn";
}

TEST_F(EditorCodeTest, AGuestIsDressedOnlyInWhatCostsNothing) {
    editor_->uploadPage().userBox()->setEditText(L"GuEsT");
    for (int press = 0; press < 8; ++press) {
        typeKey('R', kCtrlR);
        // In the small catalogue only face option 13 costs nothing.
        EXPECT_EQ(state().price(), 0) << press;
        const AvatarFields worn = state().uploadFields();
        for (const ItemPair& pair : worn.items) EXPECT_EQ(pair.item, 0) << press;
        EXPECT_EQ(worn.faceOption1, 13);
    }
}

TEST_F(EditorCodeTest, TheRightClickMenuOfThePreviewDoesWhatTheKeysDo) {
    const ImageRect preview = editor_->previewArea();
    rightClick(preview.left - 5, preview.top + 20);
    EXPECT_FALSE(menu()) << "outside the preview";

    ASSERT_EQ(state().applyLook(dressed(), LookTakes::everything), LeftOut{});
    rightClick(preview.left + 20, preview.top + 20);
    chooseFromMenu(kMenuCopyCode);
    EXPECT_EQ(host_.clipboard, codeOf(dressed()));

    state().startOver(model_.get());
    rightClick(preview.left + 20, preview.top + 20);
    chooseFromMenu(kMenuPasteCode);
    EXPECT_EQ(state().uploadFields(), dressed());

    // Random dressing until the figure changes: each choice is one step of undo.
    const std::size_t depth = state().undoDepth();
    rightClick(preview.left + 20, preview.top + 20);
    chooseFromMenu(kMenuRandomFigure);
    EXPECT_EQ(state().undoDepth(), depth + 1);
    EXPECT_EQ(state().script().size(), 2u) << "the script stays";
    const AvatarFields whole = state().uploadFields();
    rightClick(preview.left + 20, preview.top + 20);
    chooseFromMenu(kMenuRandomPage);
    EXPECT_EQ(state().undoDepth(), depth + 2);
    AvatarFields page = state().uploadFields();
    page.faceOption1 = whole.faceOption1;
    page.faceOption2 = whole.faceOption2;
    page.skin = whole.skin;
    EXPECT_EQ(page, whole);
}

TEST_F(EditorCodeTest, TheMenuClosesOnEscapeOrAPressElsewhereWithoutActing) {
    const ImageRect preview = editor_->previewArea();
    rightClick(preview.right - 3, preview.bottom - 3);
    PreviewMenu* open = menu();
    ASSERT_TRUE(open);
    EXPECT_LE(open->bounds.right, host_.width) << "kept in the client area";
    EXPECT_LE(open->bounds.bottom, host_.height);
    const AvatarFields before = state().uploadFields();
    host_.stack.route(ui::kKeyDown, ui::kVkEscape, 1);
    host_.stack.route(ui::kKeyUp, ui::kVkEscape, static_cast<ui::LParam>(0xC0000001u));
    EXPECT_FALSE(menu());

    rightClick(preview.left + 20, preview.top + 20);
    ASSERT_TRUE(menu());
    click(30, 200);  // a face option's cell: the press only closes the menu
    EXPECT_FALSE(menu());
    EXPECT_EQ(state().uploadFields(), before);
    EXPECT_EQ(state().faceSelection(0), -1);

    // Pages that choose nothing offer no random page.
    for (int page = 0; page < kScriptPage; ++page) pressNext();
    ASSERT_EQ(state().page(), kScriptPage);
    const ImageRect scriptPreview = editor_->previewArea();
    rightClick(scriptPreview.left + 20, scriptPreview.top + 20);
    ASSERT_TRUE(menu());
    const ImageRect item = menu()->itemRect(kMenuRandomPage);
    click(item.left + 10, item.top + 10);
    EXPECT_TRUE(menu()) << "the greyed item takes no press";
    EXPECT_EQ(state().uploadFields(), before);
}

TEST_F(EditorCodeTest, ACodeOpensAsANewAvatar) {
    for (int page = 0; page < 3; ++page) pressNext();
    state().chooseEntry(0);
    const AvatarModel* before = model_.get();
    EXPECT_FALSE(editor_->openAvatarCode("not a code"));
    EXPECT_EQ(model_.get(), before) << "nothing changes";
    EXPECT_EQ(state().page(), 3);
    EXPECT_EQ(band(), text(kTextNotACode));

    const ImageRect preview = editor_->previewArea();
    rightClick(preview.left + 20, preview.top + 20);
    ASSERT_TRUE(menu());
    const std::wstring code = codeOf(dressed());
    EXPECT_TRUE(editor_->openAvatarCode(std::string(code.begin(), code.end())));
    EXPECT_FALSE(menu()) << "its choices were for the avatar replaced";
    EXPECT_NE(model_.get(), before);
    EXPECT_EQ(state().model(), model_.get());
    EXPECT_EQ(state().page(), kFacePage);
    EXPECT_EQ(state().uploadFields(), dressed());
    EXPECT_FALSE(state().undo()) << "a new avatar has no history";
}

TEST_F(EditorCodeTest, AskingFirstOpensTheCodeOnlyOnYes) {
    const std::wstring wide = codeOf(dressed());
    const std::string code(wide.begin(), wide.end());
    editor_->askToOpenAvatarCode("not a code");
    EXPECT_EQ(host_.stack.active(), editor_) << "no question for a code that cannot be read";
    EXPECT_EQ(band(), text(kTextNotACode));

    const AvatarFields unchanged = state().uploadFields();
    editor_->askToOpenAvatarCode(code);
    ASSERT_NE(host_.stack.findWindow(kEditorQuestionId), nullptr);
    auto* question = static_cast<ui::MessageDialog*>(host_.stack.findWindow(kEditorQuestionId));
    EXPECT_EQ(question->lines()[0], text(kTextStartOver));
    host_.stack.route(WM_DIALOG_CANCEL, kEditorScreenId, kEditorOpenCodeAnswer);
    EXPECT_EQ(state().uploadFields(), unchanged) << "no";
    host_.stack.closeWindow(question);

    const AvatarModel* before = model_.get();
    editor_->askToOpenAvatarCode(code);
    host_.stack.route(WM_DIALOG_OK, kEditorScreenId, kEditorNewAvatarAnswer);
    EXPECT_EQ(model_.get(), before) << "another question's answer";
    host_.stack.route(WM_DIALOG_OK, kEditorScreenId, kEditorOpenCodeAnswer);
    EXPECT_NE(model_.get(), before);
    EXPECT_EQ(state().uploadFields(), dressed());
}

}  // namespace
}  // namespace likenex
