// The editor in the running program with the program's own data, driven by the mouse and
// keyboard messages that reach the main window: clicks dress the figure and move the price,
// an outfit worn over single pieces is undone and redone with the keys, the new-avatar button
// starts over once confirmed, and the picture screen exports the avatar's picture and copies
// its code.
#include "app/Application.h"
#include "app/Entry.h"
#include "app/tests/win/TestSupport.h"
#include "avatar/AvatarModel.h"
#include "base/Text.h"
#include "base/WindowMessages.h"
#include "net/AvatarCode.h"
#include "platform/win/Clipboard.h"
#include "screens/EditorScreen.h"
#include "screens/FrameWindows.h"
#include "screens/PictureScreen.h"
#include "test_support/BmpDecode.h"
#include "ui/MessageDialog.h"

#include <filesystem>
#include <fstream>
#include <optional>

#include <gtest/gtest.h>

namespace likenex {
namespace {

using testing::CapturedMessages;
using testing::RecordingRenderer;
using testing::StartedApplication;
using testing::WindowInput;

class EditorWindowTest : public ::testing::Test {
protected:
    void SetUp() override { RecordingRenderer::reset(); }
    void TearDown() override { RecordingRenderer::reset(); }
};

TEST_F(EditorWindowTest, ClicksDressTheFigureAndKeysUndoTheOutfit) {
    CapturedMessages messages;
    StartedApplication app;
    app.onFirstFrame = [&] {
        auto* editor = static_cast<EditorScreen*>(app.windowStack().findWindow(kEditorScreenId));
        ASSERT_TRUE(editor);
        EditorState& state = editor->state();
        const WindowInput input(app.window());
        auto click = [&](int x, int y) { input.click(x, y); };
        auto firstCell = [&] { click(26 + 20, 154 + 20); };
        auto next = [&] { click(600, 470); };

        next();
        next();
        next();
        ASSERT_EQ(state.page(), 3);
        ASSERT_FALSE(state.pageItems(3).empty());
        firstCell();
        const Item& top = *state.pageItems(3)[0];
        EXPECT_EQ(app.avatarModel()->look().items[2].item, top.identifier);
        next();
        firstCell();
        const Item& legs = *state.pageItems(4)[0];
        EXPECT_EQ(state.price(), top.price + legs.price);

        click(16 + 100 + 23, 96);  // tab 403: the outfits
        ASSERT_EQ(state.page(), 2);
        const Item& outfit = *state.pageItems(2)[0];
        ASSERT_NE(outfit.outfitKind, 0) << "the data set lists its outfits first";
        firstCell();
        EXPECT_TRUE(state.outfit());
        EXPECT_EQ(state.price(), outfit.price) << "an outfit's pieces are not counted";
        EXPECT_EQ(app.avatarModel()->look().items[6].item, outfit.outfitSlot6);
        EXPECT_FALSE(editor->tab(3)->visible);

        input.control('Z');
        EXPECT_FALSE(state.outfit());
        EXPECT_EQ(app.avatarModel()->look().items[2].item, top.identifier);
        EXPECT_EQ(state.price(), top.price + legs.price);
        EXPECT_TRUE(editor->tab(3)->visible);
        input.control('Y');
        EXPECT_TRUE(state.outfit());
        EXPECT_EQ(state.price(), outfit.price);

        click(566, 378);  // turn
        EXPECT_EQ(state.direction(), 1);
        EXPECT_EQ(app.avatarModel()->direction(), 1);

        const AvatarModel* before = app.avatarModel().get();
        click(37, 37);  // the frame's new-avatar button asks first
        EXPECT_EQ(editor->pendingAction(), kEditorNewAvatarAnswer);
        SendMessageW(app.window(), WM_DIALOG_OK, kEditorScreenId, kEditorNewAvatarAnswer);
        EXPECT_NE(app.avatarModel().get(), before);
        EXPECT_EQ(state.model(), app.avatarModel().get());
        EXPECT_EQ(state.page(), kFacePage);
        EXPECT_EQ(state.price(), 0);
        EXPECT_EQ(app.avatarModel()->action()->identifier, kStandingAction);
    };
    EXPECT_EQ(runEntry(app, nullptr), 0);
    EXPECT_EQ(app.frames, 1);
}

// The picture screen's export, written with GDI+ into the photo folder, holds exactly the
// pixels of the data tool's export of the same avatar, upright.
TEST_F(EditorWindowTest, TheExportedPictureMatchesTheToolsExport) {
    CapturedMessages messages;
    StartedApplication app;
    std::wstring written;
    app.onFirstFrame = [&] {
        ui::WindowStack& stack = app.windowStack();
        auto* screen =
            static_cast<PictureScreen*>(stack.openWindow(stack.root(), {0, 69, app.width(), app.height()}, false,
                                                         std::make_unique<PictureScreen>(app.windowStack().root()->host(), app.pictureScreenParts())));
        ASSERT_TRUE(screen);
        screen->setModel(app.avatarModel().get());
        app.pictures().pictureList() = {{kStandingAction}};
        ASSERT_TRUE(screen->exportPicture());
        written = app.pictures().lastPicturePath();
        app.pictures().pictureList().clear();
    };
    EXPECT_EQ(runEntry(app, nullptr), 0);
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(std::filesystem::path(written).parent_path().filename(), "photo");
    auto read = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    };
    const auto picture = test::decodeBmp(read(written));
    const auto golden = test::decodeBmp(read(LIKENEX_GOLDEN_EXPORT));
    ASSERT_TRUE(picture && golden);
    ASSERT_EQ(picture->width, 96);
    ASSERT_EQ(picture->height, 96);
    ASSERT_EQ(golden->width, 96);
    int differing = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x)
            if ((picture->at(x, y) & 0xFFFFFFu) != (golden->at(x, y) & 0xFFFFFFu)) ++differing;
    EXPECT_EQ(differing, 0);
    // The BMP, and the transparent picture and the animation written beside it.
    std::filesystem::path stem(written);
    stem.replace_extension();
    for (const wchar_t* suffix : {L".bmp", L".png", L"_anim.png"}) std::filesystem::remove(stem.wstring() + suffix);
}

// After an upload the picture screen shows the code of the avatar sent, and its button puts
// that code on the system's clipboard.
TEST_F(EditorWindowTest, ThePictureScreensCodeOpensAsTheUploadedAvatarAndIsCopied) {
    CapturedMessages messages;
    StartedApplication app;
    AvatarFields uploaded;
    std::wstring shown, copiedLine;
    std::optional<std::wstring> clipboard;
    app.onFirstFrame = [&] {
        auto* editor = static_cast<EditorScreen*>(app.windowStack().findWindow(kEditorScreenId));
        ASSERT_TRUE(editor);
        EditorState& state = editor->state();
        state.turn();
        state.showPage(kScriptPage);
        state.selectAction(0);
        ASSERT_EQ(state.addStep(u"Hello!"), StepRefusal::none);
        uploaded = state.uploadFields();

        ui::WindowStack& stack = app.windowStack();
        auto* screen = static_cast<PictureScreen*>(
            stack.openWindow(stack.root(), {0, 69, app.width(), app.height()}, false,
                             std::make_unique<PictureScreen>(stack.root()->host(), app.pictureScreenParts())));
        ASSERT_TRUE(screen);
        screen->showAvatarCode(uploaded);
        shown = screen->field(kAvatarCodeField);

        ASSERT_TRUE(putClipboardText(L"something else"));
        WindowInput(app.window()).click(514, 69 + 380);
        clipboard = clipboardText();
        if (auto* dialog = dynamic_cast<ui::MessageDialog*>(stack.active())) copiedLine = dialog->lines()[0];
    };
    EXPECT_EQ(runEntry(app, nullptr), 0);
    ASSERT_FALSE(shown.empty());
    const DecodedAvatarCode decoded = decodeAvatarCode(text::utf8FromWide(shown), Catalogue());
    ASSERT_EQ(decoded.refusal, CodeRefusal::none) << describeRefusal(decoded.refusal);
    EXPECT_EQ(decoded.avatar, uploaded);
    EXPECT_EQ(decoded.avatar.direction, 1);
    EXPECT_EQ(clipboard, std::optional<std::wstring>(shown));
    const std::wstring copied = app.uiText(971);
    EXPECT_EQ(copiedLine, copied.substr(0, copied.find(L'\n')));
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace likenex
