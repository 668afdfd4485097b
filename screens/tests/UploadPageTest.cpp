// The upload page on the editor screen: the checks before an upload, the guest rule, the price
// confirmation and the request it sends, the remembered sign-in, the reply's dialogs, and an
// avatar reply loading a stored avatar into the editor.
#include "screens/EditorScreen.h"

#include "base/WindowMessages.h"
#include "net/PasswordDigest.h"
#include "screens/FrameWindows.h"
#include "screens/tests/EditorTestBed.h"
#include "ui/MessageDialog.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

using namespace small_catalogue;

constexpr ui::WParam kMark = kEditorScreenId;

class UploadPageTest : public EditorTestBed {
protected:
    void SetUp() override {
        EditorTestBed::SetUp();
        open();
    }
    void open() {
        openEditor(std::make_unique<ui::Widget>());
        page_ = &editor_->uploadPage();
    }
    // To the upload page with a one-step script, a title and a signed-in user.
    void readyToUpload(std::wstring user = L"ann", int action = 1) {
        EditorState& state = editor_->state();
        state.showPage(kScriptPage);
        state.selectAction(action);
        ASSERT_EQ(state.addStep(u"hi"), StepRefusal::none);
        editor_->pressNext();
        ASSERT_EQ(state.page(), kUploadPage);
        page_->titleBox()->setEditText(L"My avatar");
        page_->userBox()->setEditText(user);
        page_->passwordBox()->setEditText(L"secret");
    }
    [[nodiscard]] ui::MessageDialog* dialog() const { return dynamic_cast<ui::MessageDialog*>(host_.stack.active()); }
    void answer(std::uint32_t message, std::intptr_t lParam) {
        if (ui::Widget* d = dialog()) host_.stack.closeWindow(d);
        host_.stack.route(message, kMark, lParam);
    }
    [[nodiscard]] SaveAvatarRequest lastRequest() const {
        SaveAvatarRequest request;
        EXPECT_FALSE(actions_.sent.empty());
        if (!actions_.sent.empty()) {
            EXPECT_TRUE(request.assign(actions_.sent.back()));
            EXPECT_TRUE(request.decode());
        }
        return request;
    }
    void reply(const ProtocolMessage& message, std::uint32_t windowMessage) {
        host_.stack.route(windowMessage, message.bytes().size(), reinterpret_cast<ui::LParam>(message.bytes().data()));
    }

    UploadPage* page_ = nullptr;
};

TEST_F(UploadPageTest, TheScriptsCaptionsFillTheEmptySecondTextAndTheTitleIsRequired) {
    readyToUpload();
    EXPECT_EQ(page_->secondTextBox()->editText(), L"hi\r");
    EXPECT_EQ(ui::focusedWidget(), page_->titleBox());
    page_->titleBox()->setEditText(L"");
    editor_->pressNext();
    ASSERT_TRUE(dialog());
    EXPECT_EQ(dialog()->lines()[0], L"#473");
    EXPECT_TRUE(actions_.sent.empty());
}

TEST_F(UploadPageTest, AConfirmedUploadSendsTheAvatarAndRemembersTheSignIn) {
    readyToUpload();
    page_->rememberBox()->setTicked(true, false);
    page_->restrictBox()->setTicked(false, false);
    page_->accessChoice(2)->setTicked(true, true, false);  // shown or not, the box decides
    editor_->pressNext();
    ASSERT_TRUE(dialog());
    EXPECT_EQ(dialog()->title(), L"#941");
    EXPECT_EQ(page_->pendingAction(), 1);
    EXPECT_EQ(actions_.stored.rememberLogin, 1);
    EXPECT_EQ(actions_.stored.userNameText(), u"ann");
    const std::string digest =
        passwordDigest(u"secret", [](std::u16string_view t) { return std::string(t.begin(), t.end()); });
    EXPECT_EQ(actions_.stored.passwordDigestText(), digest);
    EXPECT_TRUE(actions_.sent.empty()) << "nothing goes out before the confirmation";

    answer(WM_DIALOG_OK, 0);
    EXPECT_TRUE(page_->busy());
    const SaveAvatarRequest request = lastRequest();
    EXPECT_EQ(request.userName, u"ann");
    EXPECT_EQ(request.passwordDigest, digest);
    EXPECT_EQ(request.title, u"My avatar");
    EXPECT_EQ(request.secondText, u"hi\r");
    EXPECT_EQ(request.accessMode, 0);
    EXPECT_TRUE(request.accessDigest.empty());
    ASSERT_EQ(request.avatar.script.size(), 1u);
    EXPECT_EQ(request.avatar.script[0].action, 2001);

    editor_->pressNext();  // busy: the button does nothing
    EXPECT_EQ(actions_.sent.size(), 1u);

    // A remembered sign-in comes back as the digest and is sent unchanged.
    SaveAvatarReply saved;
    saved.result = SaveAvatarReply::Saved;
    saved.avatarNumber = 7;
    saved.address = "http://127.0.0.1:8080/a/7";
    ASSERT_TRUE(saved.encode());
    reply(saved, WM_SAVE_REPLY);
    EXPECT_FALSE(page_->busy());
    EXPECT_EQ(actions_.closedConnections, 1);
    open();
    EXPECT_EQ(page_->passwordBox()->editText(), std::wstring(digest.begin(), digest.end()));
    readyToUpload(L"ann", 2);
    page_->passwordBox()->setEditText(std::wstring(digest.begin(), digest.end()));
    editor_->pressNext();
    answer(WM_DIALOG_OK, 0);
    EXPECT_EQ(lastRequest().passwordDigest, digest);
}

TEST_F(UploadPageTest, AGuestMayUploadOnlyAFreeOutfit) {
    readyToUpload(L"GuEsT", 3);  // action 2003 costs nothing
    editor_->pressNext();
    ASSERT_TRUE(dialog());
    EXPECT_EQ(dialog()->lines()[0], L"#512");
    answer(WM_DIALOG_CANCEL, 1);
    EXPECT_EQ(actions_.sent.size(), 1u);

    editor_->state().showPage(0);
    editor_->state().chooseFaceOption(0, 0);  // an option with a price
    editor_->state().showPage(kUploadPage);
    page_->upload();
    ASSERT_TRUE(page_->busy());  // still waiting for the first reply
    host_.stack.route(WM_SERVER_FAILED, static_cast<ui::WParam>(MessageType::SaveAvatarRequest), 0);
    EXPECT_FALSE(page_->busy());
    if (ui::Widget* d = dialog()) host_.stack.closeWindow(d);
    page_->upload();
    answer(WM_DIALOG_CANCEL, 1);
    EXPECT_EQ(actions_.sent.size(), 1u) << "a guest's outfit with a price stays";
}

TEST_F(UploadPageTest, RepliesAndFailuresSayWhatHappened) {
    readyToUpload();
    actions_.serverReachable = false;
    editor_->pressNext();
    answer(WM_DIALOG_OK, 0);
    EXPECT_FALSE(page_->busy());
    ASSERT_TRUE(dialog());
    EXPECT_EQ(dialog()->lines()[0], L"#455");

    SaveAvatarReply rejected;
    rejected.result = SaveAvatarReply::SignInRejected;
    ASSERT_TRUE(rejected.encode());
    reply(rejected, WM_SAVE_REPLY);
    ASSERT_TRUE(dialog());
    EXPECT_EQ(dialog()->lines()[0], L"#454");
    answer(WM_DIALOG_OK, 2);
    EXPECT_EQ(actions_.calls.back(), "web ?c=forgot&type=pwd");

    SaveAvatarReply refused;
    refused.result = SaveAvatarReply::Refused;
    ASSERT_TRUE(refused.encode());
    reply(refused, WM_SAVE_REPLY);
    EXPECT_EQ(page_->pendingAction(), 2);
    answer(WM_DIALOG_OK, 0);
    EXPECT_EQ(actions_.calls.back(), "web /");
    EXPECT_EQ(actions_.closedConnections, 2);
}

TEST_F(UploadPageTest, AnAvatarReplyLoadsTheStoredAvatar) {
    AvatarReply stored;
    stored.result = AvatarReply::Found;
    stored.avatar.direction = 3;
    stored.avatar.items[0] = {101, 12};
    stored.avatar.script = {{2001, u"hello"}, {2003, u""}};
    ASSERT_TRUE(stored.encode());
    const AvatarModel* before = model_.get();
    reply(stored, WM_AVATAR_REPLY);
    EXPECT_NE(model_.get(), before);
    EXPECT_EQ(editor_->state().model(), model_.get());
    EXPECT_EQ(editor_->state().page(), kFacePage);
    EXPECT_EQ(editor_->state().direction(), 3);
    EXPECT_EQ(model_->look().items[0].colourId, 12);
    EXPECT_EQ(editor_->state().script().size(), 2u);
    EXPECT_EQ(actions_.closedConnections, 1);

    AvatarReply missing;
    missing.result = AvatarReply::Refused;
    ASSERT_TRUE(missing.encode());
    reply(missing, WM_AVATAR_REPLY);
    ASSERT_TRUE(dialog());
    EXPECT_EQ(dialog()->lines()[0], L"#480");
    host_.stack.closeWindow(dialog());
    AvatarReply quiet;
    quiet.result = 3;
    ASSERT_TRUE(quiet.encode());
    reply(quiet, WM_AVATAR_REPLY);
    EXPECT_FALSE(dialog()) << "result 3 shows nothing";
    EXPECT_EQ(editor_->state().script().size(), 2u);
}

}  // namespace
}  // namespace likenex
