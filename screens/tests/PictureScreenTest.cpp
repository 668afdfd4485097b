// The picture screen: the export crop against independently computed rows, what an export
// needs and leaves behind, the chat-client command with the last exported path, the replay
// of the avatar's actions with its pauses, the address and folder buttons, and the stored
// avatar's code with its copy button.
#include "screens/PictureScreen.h"

#include "base/Text.h"
#include "base/WindowMessages.h"
#include "catalogue/AvatarArchive.h"
#include "net/AvatarCode.h"
#include "screens/tests/RecordedActions.h"
#include "screens/tests/SmallCatalogue.h"
#include "test_support/FakeUiHost.h"
#include "test_support/RecordingRenderer.h"
#include "ui/MessageDialog.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

using namespace small_catalogue;
using testing::FakeUiHost;
using testing::RecordingRenderer;

constexpr ui::WParam kMark = kPictureScreenId;

class PictureScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingRenderer::install();
        ASSERT_TRUE(readSmallCatalogue(catalogue_));
        host_.anySkin = true;
        model_ = std::make_unique<AvatarModel>(AvatarModelParts{&catalogue_, &archive_, &cache_, &clock_, &events_,
                                                                nullptr, nullptr, &RecordingRenderer::painter()});
        model_->setRecord(std::make_shared<AvatarRecord>());
        model_->loadFromRecord(true);
        host_.stack.openWindow(nullptr, {0, 0, 654, 537}, false, std::make_unique<ui::Widget>(host_));
        screen_ = static_cast<PictureScreen*>(
            host_.stack.openWindow(host_.stack.root(), {0, 69, 654, 537}, false,
                                   std::make_unique<PictureScreen>(host_, actions_.pictureScreenParts())));
        screen_->setModel(model_.get());
        actions_.pictureList() = {{2001}, {2003}};
        actions_.lastPicturePath().clear();
    }
    void TearDown() override {
        actions_.pictureList().clear();
        actions_.lastPicturePath().clear();
        host_.stack.closeAllWindows();
        host_.stack.destroyClosed();
        model_.reset();
        RecordingRenderer::uninstall();
    }
    [[nodiscard]] ui::MessageDialog* dialog() const { return dynamic_cast<ui::MessageDialog*>(host_.stack.active()); }
    void click(int x, int y) {
        host_.stack.route(ui::kLButtonDown, 0, ui::mousePosition(x, y));
        host_.stack.route(ui::kLButtonUp, 0, ui::mousePosition(x, y));
    }

    Catalogue catalogue_;
    ColourTables tables_;
    AvatarArchive archive_{tables_};
    SpriteCache cache_;
    FakeClock clock_;
    FakeEvents events_;
    FakeUiHost host_;
    RecordedActions actions_;
    std::unique_ptr<AvatarModel> model_;
    PictureScreen* screen_ = nullptr;
};

TEST(ExportCrop, TakesRowsOneHundredTwentyOneDownAndEightyColumnsIn) {
    std::vector<std::uint8_t> snapshot(static_cast<std::size_t>(kSnapshotSize) * kSnapshotSize * 4);
    for (int row = 0; row < kSnapshotSize; ++row)
        for (int column = 0; column < kSnapshotSize; ++column) {
            std::uint8_t* p = &snapshot[(static_cast<std::size_t>(row) * kSnapshotSize + column) * 4];
            p[0] = static_cast<std::uint8_t>(row), p[1] = static_cast<std::uint8_t>(column), p[2] = 7, p[3] = 255;
        }
    const std::vector<std::uint8_t> picture = exportCrop(snapshot.data());
    ASSERT_EQ(picture.size(), 96u * 96u * 4u);
    for (int y : {0, 1, 50, 95})
        for (int x : {0, 17, 95}) {
            const std::uint8_t* p = &picture[(static_cast<std::size_t>(y) * 96 + x) * 4];
            EXPECT_EQ(p[0], 121 - y) << y;
            EXPECT_EQ(p[1], 80 + x) << x;
        }
}

TEST_F(PictureScreenTest, AnExportNeedsAPictureListAndAWritableFolder) {
    EXPECT_EQ(screen_->field(109), L"C:\\Likenex\\photo");
    actions_.pictureList().clear();
    EXPECT_FALSE(screen_->exportPicture());
    EXPECT_TRUE(actions_.pictures.empty());

    actions_.pictureList() = {{2001}};
    actions_.picturesWritable = false;
    EXPECT_FALSE(screen_->exportPicture());
    EXPECT_TRUE(actions_.lastPicturePath().empty());

    actions_.picturesWritable = true;
    ASSERT_TRUE(screen_->exportPicture());
    EXPECT_EQ(model_->action()->identifier, 2001);
    EXPECT_EQ(actions_.pictures.back(), exportCrop(model_->snapshot().data()));
    EXPECT_EQ(actions_.lastPicturePath(), L"C:\\Likenex\\photo\\tovik_2.bmp");
    // Beside it, the transparent picture and the animation, both PNG files.
    ASSERT_EQ(actions_.files.size(), 2u);
    EXPECT_EQ(actions_.files[0].first, L"C:\\Likenex\\photo\\tovik_2.png");
    EXPECT_EQ(actions_.files[1].first, L"C:\\Likenex\\photo\\tovik_2_anim.png");
    for (const auto& [path, bytes] : actions_.files) {
        ASSERT_GE(bytes.size(), 8u);
        EXPECT_EQ(bytes[1], 'P');
        EXPECT_EQ(bytes[2], 'N');
    }
}

TEST_F(PictureScreenTest, AFailedOrThrowingFileWriteFailsTheExportWithoutEscaping) {
    actions_.failFileWrites = RecordedActions::FileFault::refused;
    EXPECT_FALSE(screen_->exportPicture()) << "a PNG beside the picture was not written";
    EXPECT_EQ(actions_.lastPicturePath(), L"C:\\Likenex\\photo\\tovik_1.bmp") << "the BMP itself was written";

    actions_.failFileWrites = RecordedActions::FileFault::throws;
    bool result = true;
    EXPECT_NO_THROW(result = screen_->exportPicture());
    EXPECT_FALSE(result);

    actions_.failFileWrites = RecordedActions::FileFault::none;
    EXPECT_TRUE(screen_->exportPicture());
}

TEST_F(PictureScreenTest, TheChatCommandCarriesTheLastExportedPath) {
    ASSERT_TRUE(screen_->exportPicture());
    click(580, 250);  // the picture asks first
    ASSERT_TRUE(dialog());
    EXPECT_EQ(dialog()->lines()[0], L"#504");
    host_.stack.closeWindow(dialog());
    host_.stack.route(WM_DIALOG_OK, kMark, 1);
    ASSERT_EQ(actions_.chatCommands.size(), 1u);
    EXPECT_EQ(actions_.chatCommands[0], L"set avatar 1 C:\\Likenex\\photo\\tovik_1.bmp");
    ASSERT_TRUE(dialog()) << "no chat client answered";
    EXPECT_EQ(dialog()->lines()[0], L"#502");
    host_.stack.closeWindow(dialog());

    // Opened again without an export, the command still names the last picture.
    host_.stack.closeWindow(screen_);
    host_.stack.destroyClosed();
    actions_.chatAttached = true;
    screen_ = static_cast<PictureScreen*>(
        host_.stack.openWindow(host_.stack.root(), {0, 69, 654, 537}, false,
                               std::make_unique<PictureScreen>(host_, actions_.pictureScreenParts())));
    host_.stack.route(WM_DIALOG_OK, kMark, 1);
    EXPECT_EQ(actions_.chatCommands.back(), L"set avatar 1 C:\\Likenex\\photo\\tovik_1.bmp");
    EXPECT_FALSE(dialog());
}

TEST_F(PictureScreenTest, TheReplayPlaysEachActionAfterAPauseAndAClickStopsIt) {
    actions_.pictureList() = {{2001, u"Hello"}, {2003, u"Bye"}};
    screen_->onNotify(ui::kNotifyButton, 201, screen_);
    EXPECT_TRUE(screen_->replaying());
    EXPECT_EQ(model_->action()->identifier, 2001);
    EXPECT_EQ(model_->bubbleLine(0), u"Hello") << "each replayed step says its caption";
    host_.now = 1000;
    host_.stack.route(WM_AVATAR_ACTION_END, 2001, 0);
    EXPECT_EQ(screen_->replayIndex(), 1);
    screen_->update(1499);
    EXPECT_EQ(model_->action()->identifier, 2001);
    screen_->update(1500);
    EXPECT_EQ(model_->action()->identifier, 2003);
    EXPECT_EQ(model_->bubbleLine(0), u"Bye");
    host_.stack.route(WM_AVATAR_ACTION_END, 2003, 0);
    EXPECT_FALSE(screen_->replaying()) << "after the last entry";
    EXPECT_EQ(model_->action()->identifier, kStandingAction);

    screen_->onNotify(ui::kNotifyButton, 201, screen_);
    host_.stack.route(ui::kRButtonDown, 0, ui::mousePosition(100, 300));
    EXPECT_FALSE(screen_->replaying());
    EXPECT_EQ(screen_->replayIndex(), 0);
}

TEST_F(PictureScreenTest, ButtonsCopyAndOpenTheAddressAndTheFolder) {
    screen_->setField(102, L"http://127.0.0.1:8080/a/5");
    screen_->onNotify(ui::kNotifyButton, 200, screen_);
    EXPECT_EQ(host_.clipboard, std::optional<std::wstring>(L"http://127.0.0.1:8080/a/5"));
    screen_->onNotify(ui::kNotifyButton, 205, screen_);
    EXPECT_EQ(actions_.calls.back(), "address http://127.0.0.1:8080/a/5");
    screen_->onNotify(ui::kNotifyButton, 203, screen_);
    EXPECT_EQ(actions_.calls.back(), "folder C:\\Likenex\\photo");
    screen_->onNotify(ui::kNotifyButton, 206, screen_);
    ASSERT_TRUE(dialog());
    EXPECT_EQ(dialog()->dialogStyle(), ui::DialogStyle::yesNoCancel);
    host_.stack.closeWindow(dialog());
    host_.stack.route(WM_DIALOG_OK, kMark, 2);
    EXPECT_FALSE(host_.stack.findWindow(kPictureScreenId));
    EXPECT_TRUE(actions_.pictureList().empty());
}

TEST_F(PictureScreenTest, TheStoredAvatarsCodeIsShownAndItsButtonCopiesIt) {
    AvatarFields stored;
    stored.direction = 5;
    stored.skin = 9;
    stored.items[0] = {104, 17};
    stored.script = {{2001, u"Hello!"}, {2003, u""}};
    screen_->showAvatarCode(stored);
    const std::wstring code = screen_->field(kAvatarCodeField);
    const DecodedAvatarCode decoded = decodeAvatarCode(text::utf8FromWide(code), catalogue_);
    ASSERT_EQ(decoded.refusal, CodeRefusal::none) << describeRefusal(decoded.refusal);
    EXPECT_EQ(decoded.avatar, stored);

    // The button beside the field, pressed where it is drawn.
    click(514, 69 + 380);
    EXPECT_EQ(host_.clipboard, std::optional<std::wstring>(code));
    ASSERT_TRUE(dialog());
    EXPECT_EQ(dialog()->lines()[0], L"#971");
    host_.stack.closeWindow(dialog());
    host_.stack.destroyClosed();

    // An avatar with no code leaves the field empty, and the button has nothing to copy.
    host_.clipboard.reset();
    stored.direction = 8;
    screen_->showAvatarCode(stored);
    EXPECT_TRUE(screen_->field(kAvatarCodeField).empty());
    screen_->onNotify(ui::kNotifyButton, kCopyCodeButton, screen_);
    EXPECT_FALSE(host_.clipboard);
    EXPECT_FALSE(dialog());
}

}  // namespace
}  // namespace likenex
