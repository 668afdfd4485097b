// Avatar codes and random dressing in the running program with its own data, driven by the key
// and mouse messages that reach the main window (WM_KEYDOWN, the WM_CHAR TranslateMessage makes
// of it, WM_KEYUP) and through the system clipboard: the codes copied and pasted, the help
// band's message for a text that is no code, random dressing undone, the preview's menu, and
// an edit box that keeps Ctrl+C for its own text.
#include "app/tests/win/TestSupport.h"
#include "app/Entry.h"
#include "net/AvatarCode.h"
#include "platform/win/Clipboard.h"
#include "screens/EditorScreen.h"
#include "screens/FrameWindows.h"
#include "screens/PreviewMenu.h"
#include "screens/TextIds.h"

#include <gtest/gtest.h>

#include <array>

namespace likenex {
namespace {

using testing::CapturedMessages;
using testing::RecordingRenderer;
using testing::StartedApplication;
using testing::WindowInput;

class EditorCodeWindowTest : public ::testing::Test {
protected:
    void SetUp() override { RecordingRenderer::reset(); }
    void TearDown() override { RecordingRenderer::reset(); }
};

// Dressed in the data set's first offers, facing 5, with a one-step script.
AvatarFields lookFrom(const EditorState& state) {
    AvatarFields look;
    look.direction = 5;
    look.faceOption1 = state.faceOptions(0).front()->optionNumber;
    look.skin = 17;
    for (int page : {1, 3, 4, 5}) {
        const Item& item = *state.pageItems(page).front();
        look.items[static_cast<std::size_t>(page - 1)] = {item.identifier,
                                                         static_cast<std::uint8_t>(item.word0 < 0 ? 255 : 11)};
    }
    look.script = {{state.actions().back().identifier, u"hi"}};
    return look;
}

TEST_F(EditorCodeWindowTest, CodesAndRandomDressingComeByKeysAndTheClipboard) {
    CapturedMessages messages;
    StartedApplication app;
    app.onFirstFrame = [&] {
        auto* editor = static_cast<EditorScreen*>(app.windowStack().findWindow(kEditorScreenId));
        ASSERT_TRUE(editor);
        EditorState& state = editor->state();
        const WindowInput input(app.window());
        auto uiText = [&](int id) { return app.windowStack().root()->host().uiText(id); };
        auto withoutDirection = [](AvatarFields fields) {
            fields.direction = 0;
            return fields;
        };

        // Ctrl+V of a code dresses the figure, direction and script too, as one step of undo.
        const AvatarFields look = lookFrom(state);
        const AvatarCodeResult code = encodeAvatarCode(look);
        ASSERT_EQ(code.refusal, CodeRefusal::none);
        const AvatarFields before = state.uploadFields();
        ASSERT_TRUE(putClipboardText(std::wstring(code.code.begin(), code.code.end())));
        input.control('V');
        EXPECT_EQ(state.uploadFields(), look);
        EXPECT_EQ(app.avatarModel()->direction(), 5);
        input.control('Z');
        EXPECT_EQ(withoutDirection(state.uploadFields()), withoutDirection(before));
        EXPECT_TRUE(state.script().empty());
        input.control('Y');

        // Ctrl+C gives the code of what an upload would send.
        input.control('C');
        const std::optional<std::wstring> copied = clipboardText();
        ASSERT_TRUE(copied);
        const DecodedAvatarCode decoded = decodeAvatarCode(std::string(copied->begin(), copied->end()), state.catalogue());
        ASSERT_EQ(decoded.refusal, CodeRefusal::none);
        EXPECT_EQ(decoded.avatar, state.uploadFields());
        EXPECT_EQ(editor->helpBandText(), uiText(kTextCodeOnClipboard));

        // A text that is no code changes nothing, and the help band says so.
        ASSERT_TRUE(putClipboardText(L"see you at eight"));
        const std::size_t depth = state.undoDepth();
        input.control('V');
        EXPECT_EQ(state.uploadFields(), look);
        EXPECT_EQ(state.undoDepth(), depth);
        EXPECT_EQ(editor->helpBandText(), uiText(kTextNotACode));

        // Ctrl+R changes the look (some press of a few), and undo gives it back.
        bool changed = false;
        for (int press = 0; press < 5; ++press) {
            input.control('R');
            changed = changed || withoutDirection(state.uploadFields()) != withoutDirection(look);
            EXPECT_EQ(state.uploadFields().script, look.script) << "the script stays";
            input.control('Z');
            EXPECT_EQ(state.uploadFields(), look);
        }
        EXPECT_TRUE(changed);

        // Ctrl+Shift+R on the face page changes only the face options and the skin.
        ASSERT_EQ(state.page(), kFacePage);
        for (int press = 0; press < 5; ++press) {
            input.control('R', true);
            AvatarFields after = state.uploadFields();
            after.faceOption1 = look.faceOption1;
            after.faceOption2 = look.faceOption2;
            after.skin = look.skin;
            EXPECT_EQ(after, look) << press;
        }

        // The preview's right-click menu: its copy item puts the code on the clipboard.
        ASSERT_TRUE(putClipboardText(L"empty"));
        const ImageRect preview = editor->previewArea();
        input.rightClick(preview.left + 30, preview.top + 30);
        auto* menu = static_cast<PreviewMenu*>(app.windowStack().findWindow(kPreviewMenuId));
        ASSERT_TRUE(menu);
        const ImageRect copyItem = menu->itemRect(kMenuCopyCode);
        input.click(copyItem.left + 10, copyItem.top + 10);
        EXPECT_FALSE(app.windowStack().findWindow(kPreviewMenuId));
        const std::optional<std::wstring> fromMenu = clipboardText();
        ASSERT_TRUE(fromMenu);
        EXPECT_EQ(decodeAvatarCode(std::string(fromMenu->begin(), fromMenu->end()), state.catalogue()).avatar,
                  state.uploadFields());

        // Its random item dresses the figure as Ctrl+R does: one more step of undo.
        const std::size_t menuDepth = state.undoDepth();
        input.rightClick(preview.left + 30, preview.top + 30);
        menu = static_cast<PreviewMenu*>(app.windowStack().findWindow(kPreviewMenuId));
        ASSERT_TRUE(menu);
        const ImageRect randomItem = menu->itemRect(kMenuRandomFigure);
        input.click(randomItem.left + 10, randomItem.top + 10);
        EXPECT_EQ(state.undoDepth(), menuDepth + 1);

        // In a focused edit box, Ctrl+C copies the box's own text.
        while (state.page() != kScriptPage) editor->pressNext();
        ui::EditBox* box = editor->captionBox();
        input.click(box->bounds.left + 5, box->bounds.top + 5);
        ASSERT_EQ(app.windowStack().focused(), box);
        for (wchar_t c : std::wstring(L"hello")) input.key(static_cast<WPARAM>(c - L'a' + L'A'), c);
        input.control('A');
        input.control('C');
        EXPECT_EQ(clipboardText(), std::optional<std::wstring>(L"hello"));
    };
    EXPECT_EQ(runEntry(app, nullptr), 0);
    EXPECT_EQ(app.frames, 1);
}

}  // namespace
}  // namespace likenex
