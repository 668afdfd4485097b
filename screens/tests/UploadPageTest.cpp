// The upload page on the editor screen: the checks before an upload, the guest rule, the price
// confirmation and the request it sends, the password and access digests, the remembered
// sign-in, the reply's dialogs (unreadable ones too), the code of the uploaded avatar on the
// picture screen, and an avatar reply loading a stored
// avatar into the editor, which drops the questions asked about the old one.
#include "screens/EditorScreen.h"

#include "base/Text.h"
#include "base/WindowMessages.h"
#include "net/AvatarCode.h"
#include "net/PasswordDigest.h"
#include "screens/FrameWindows.h"
#include "screens/PictureScreen.h"
#include "screens/tests/EditorTestBed.h"
#include "ui/MessageDialog.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>

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
        openEditor(std::make_unique<ui::Widget>(host_));
        page_ = &editor_->uploadPage();
    }
    // To the upload page with a one-step script, a title and a signed-in user; no password
    // leaves the box as it is.
    void readyToUpload(std::wstring user = L"ann", int action = 1,
                       std::optional<std::wstring> password = std::wstring(L"secret")) {
        EditorState& state = editor_->state();
        state.showPage(kScriptPage);
        state.selectAction(action);
        ASSERT_EQ(state.addStep(u"hi"), StepRefusal::none);
        editor_->pressNext();
        ASSERT_EQ(state.page(), kUploadPage);
        page_->titleBox()->setEditText(L"My avatar");
        page_->userBox()->setEditText(user);
        if (password) page_->passwordBox()->setEditText(*password);
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
    void reply(const ProtocolMessage& message, std::uint32_t windowMessage) { reply(message.bytes(), windowMessage); }
    void reply(std::span<const std::uint8_t> bytes, std::uint32_t windowMessage) {
        host_.stack.route(windowMessage, bytes.size(), reinterpret_cast<ui::LParam>(bytes.data()));
    }
    // The exchange ends without a reply, and its dialog is put away.
    void failExchange() {
        host_.stack.route(WM_SERVER_FAILED, static_cast<ui::WParam>(MessageType::SaveAvatarRequest), 0);
        if (ui::Widget* d = dialog()) host_.stack.closeWindow(d);
    }
    void clickControl(const ui::Widget* control) {
        ASSERT_TRUE(control);
        click((control->bounds.left + control->bounds.right) / 2, (control->bounds.top + control->bounds.bottom) / 2);
    }
    [[nodiscard]] static std::string digestOf(std::wstring_view password) {
        return typedPasswordDigest(std::u16string(password.begin(), password.end()), latin);
    }
    [[nodiscard]] static std::string latin(std::u16string_view text) { return std::string(text.begin(), text.end()); }

    UploadPage* page_ = nullptr;
};

TEST_F(UploadPageTest, TheScriptsCaptionsFillTheEmptySecondTextAndTheTitleIsRequired) {
    readyToUpload();
    EXPECT_EQ(page_->secondTextBox()->editText(), L"hi\r");
    EXPECT_EQ(host_.stack.focused(), page_->titleBox());
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
    const std::string digest = digestOf(L"secret");
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
    readyToUpload(L"ann", 2, std::nullopt);
    editor_->pressNext();
    answer(WM_DIALOG_OK, 0);
    EXPECT_EQ(lastRequest().passwordDigest, digest);
}

TEST_F(UploadPageTest, ATypedPasswordIsDigestedWhateverItsLength) {
    readyToUpload(L"ann", 1, std::nullopt);
    page_->rememberBox()->setTicked(true, false);
    clickControl(page_->passwordBox());
    const std::wstring typed = L"thirty two characters typed here";
    ASSERT_EQ(typed.size(), 32u);
    typeText(typed);
    ASSERT_EQ(page_->passwordBox()->editText(), typed);
    editor_->pressNext();
    EXPECT_EQ(actions_.stored.passwordDigestText(), digestOf(typed)) << "opt.dat never holds the password";
    answer(WM_DIALOG_OK, 0);
    EXPECT_EQ(lastRequest().passwordDigest, digestOf(typed));
}

TEST_F(UploadPageTest, TheRememberedDigestGoesOutAsItIsOnlyUntilTheBoxIsEdited) {
    const std::string remembered = digestOf(L"secret");
    const std::wstring shown(remembered.begin(), remembered.end());
    actions_.stored.rememberLogin = 1;
    actions_.stored.setUserName(u"ann");
    actions_.stored.setPasswordDigest(remembered);
    open();
    ASSERT_TRUE(page_->holdsRememberedDigest());
    readyToUpload(L"ann", 1, std::nullopt);
    editor_->pressNext();
    EXPECT_EQ(actions_.stored.passwordDigestText(), remembered) << "kept, not digested again";
    answer(WM_DIALOG_OK, 0);
    EXPECT_EQ(lastRequest().passwordDigest, remembered);
    failExchange();

    // A character typed and taken back leaves the same text, but typed by the person.
    clickControl(page_->passwordBox());
    typeText(L"x");
    typeKey(ui::kVkBack, L'\b');
    ASSERT_EQ(page_->passwordBox()->editText(), shown);
    EXPECT_FALSE(page_->holdsRememberedDigest());
    editor_->pressNext();
    EXPECT_EQ(actions_.stored.passwordDigestText(), digestOf(shown));
    answer(WM_DIALOG_OK, 0);
    EXPECT_EQ(lastRequest().passwordDigest, digestOf(shown));

    // Nor is another text put into the box by the program taken for the remembered digest.
    open();
    ASSERT_TRUE(page_->holdsRememberedDigest());
    page_->passwordBox()->setEditText(L"secret");
    EXPECT_FALSE(page_->holdsRememberedDigest());

    // What an earlier version left in opt.dat in clear is neither shown nor sent.
    actions_.stored.setPasswordDigest("a long password kept in clear!!");
    open();
    EXPECT_TRUE(page_->passwordBox()->editText().empty());
    EXPECT_FALSE(page_->holdsRememberedDigest());
    EXPECT_EQ(page_->userBox()->editText(), L"ann");
}

TEST_F(UploadPageTest, AccessChoicesMapToModesAndOnlyThePasswordChoiceSendsItsDigest) {
    readyToUpload();
    const std::wstring access = L"an access password of 33 letters!";
    page_->accessPasswordBox()->setEditText(access);
    ASSERT_EQ(page_->accessPasswordBox()->editText(), access);
    struct Case {
        bool restricted;
        int choice;  // A, B, C
        std::uint8_t mode;
    };
    for (const Case& c : {Case{true, 1, 1}, Case{true, 2, 2}, Case{true, 0, 3}, Case{false, 2, 0}}) {
        page_->restrictBox()->setTicked(c.restricted, true);
        page_->accessChoice(c.choice)->setTicked(true, true, true);
        EXPECT_EQ(page_->accessPasswordBox()->visible, c.mode == 2);
        editor_->pressNext();
        answer(WM_DIALOG_OK, 0);
        const SaveAvatarRequest request = lastRequest();
        EXPECT_EQ(request.accessMode, c.mode);
        EXPECT_EQ(request.accessDigest, c.mode == 2 ? digestOf(access) : "") << int{c.mode};
        failExchange();
    }
}

TEST_F(UploadPageTest, ANewOrLoadedAvatarDropsTheQuestionsAskedAboutTheOldOne) {
    readyToUpload();
    editor_->pressNext();
    ASSERT_TRUE(dialog());
    ASSERT_EQ(dialog()->title(), L"#941");
    editor_->askToStartOver();
    answer(WM_DIALOG_OK, kEditorNewAvatarAnswer);
    EXPECT_FALSE(dialog()) << "the price question went with its avatar";
    EXPECT_EQ(page_->pendingAction(), 0);
    host_.stack.route(WM_DIALOG_OK, kMark, 0);  // an answer that was already on its way
    EXPECT_TRUE(actions_.sent.empty());

    readyToUpload(L"guest", 3);  // a free avatar
    editor_->pressNext();
    ASSERT_TRUE(dialog());
    ASSERT_EQ(dialog()->lines()[0], L"#512");
    AvatarReply stored;
    stored.result = AvatarReply::Found;
    stored.avatar.script = {{2003, u"free too"}};
    ASSERT_TRUE(stored.encode());
    reply(stored, WM_AVATAR_REPLY);
    EXPECT_FALSE(dialog());
    host_.stack.route(WM_DIALOG_CANCEL, kMark, 1);
    EXPECT_TRUE(actions_.sent.empty()) << "nothing goes out untitled for the loaded avatar";

    // Asked to start over, then an avatar arrives: the question no longer concerns it.
    editor_->askToStartOver();
    ASSERT_TRUE(dialog());
    reply(stored, WM_AVATAR_REPLY);
    EXPECT_FALSE(dialog());
    EXPECT_EQ(editor_->pendingAction(), 0);
    const AvatarModel* loaded = model_.get();
    host_.stack.route(WM_DIALOG_OK, kMark, kEditorNewAvatarAnswer);
    EXPECT_EQ(model_.get(), loaded);
    EXPECT_EQ(editor_->state().script().size(), 1u);
}

// The picture screen shows the code of the avatar that went out, not of what the editor holds
// when the reply comes.
TEST_F(UploadPageTest, ThePictureScreenShowsTheCodeOfTheUploadedAvatar) {
    readyToUpload();
    editor_->pressNext();
    answer(WM_DIALOG_OK, 0);
    ASSERT_TRUE(page_->busy());
    const AvatarFields uploaded = lastRequest().avatar;
    editor_->state().turn();
    ASSERT_NE(editor_->state().uploadFields(), uploaded);

    SaveAvatarReply saved;
    saved.result = SaveAvatarReply::Saved;
    saved.avatarNumber = 7;
    saved.address = "http://127.0.0.1:8080/a/7";
    ASSERT_TRUE(saved.encode());
    reply(saved, WM_SAVE_REPLY);
    auto* screen = dynamic_cast<PictureScreen*>(host_.stack.findWindow(kPictureScreenId));
    ASSERT_TRUE(screen);
    const std::wstring code = screen->field(kAvatarCodeField);
    ASSERT_FALSE(code.empty());
    const DecodedAvatarCode decoded = decodeAvatarCode(text::utf8FromWide(code), catalogue_);
    ASSERT_EQ(decoded.refusal, CodeRefusal::none) << describeRefusal(decoded.refusal);
    EXPECT_EQ(decoded.avatar, uploaded);
}

TEST_F(UploadPageTest, AnUnreadableSaveReplySaysTheUploadIsNotConfirmed) {
    readyToUpload();
    editor_->pressNext();
    answer(WM_DIALOG_OK, 0);
    ASSERT_TRUE(page_->busy());
    SaveAvatarReply saved;
    saved.result = SaveAvatarReply::Saved;
    saved.avatarNumber = 7;
    saved.address = "http://127.0.0.1:8080/a/7";
    ASSERT_TRUE(saved.encode());
    std::vector<std::uint8_t> cut = saved.bytes();
    cut.resize(cut.size() - 4);
    reply(cut, WM_SAVE_REPLY);
    EXPECT_FALSE(page_->busy());
    ASSERT_TRUE(dialog());
    EXPECT_EQ(dialog()->lines()[0], L"#951");
    EXPECT_FALSE(host_.stack.findWindow(kPictureScreenId));
    EXPECT_EQ(actions_.closedConnections, 1);
    host_.stack.closeWindow(dialog());

    SaveAvatarReply unknown;
    unknown.result = 9;
    ASSERT_TRUE(unknown.encode());
    reply(unknown, WM_SAVE_REPLY);
    ASSERT_TRUE(dialog());
    EXPECT_EQ(dialog()->lines()[0], L"#951") << "a result this program does not know confirms nothing";
}

TEST_F(UploadPageTest, AnUploadTooLargeForOneMessageIsNotBlamedOnTheConnection) {
    // The longest caption that leaves room for every text at its limit in UTF-16 units.
    EditorState& state = editor_->state();
    state.showPage(kScriptPage);
    state.selectAction(3);
    ASSERT_EQ(state.addStep(std::u16string(1793, u'w')), StepRefusal::none);
    editor_->pressNext();
    page_->titleBox()->setEditText(L"t");
    page_->userBox()->setEditText(L"ann");
    // Characters outside the Basic Multilingual Plane take two units each: a text within its
    // limit of characters can still pass the room kept for it.
    std::wstring wide;
    for (int i = 0; i < 100; ++i) wide += text::wideFromUtf16(u"\U0001F600");
    page_->secondTextBox()->setEditText(wide);
    editor_->pressNext();
    ASSERT_TRUE(dialog());
    EXPECT_EQ(dialog()->lines()[0], L"#950");
    EXPECT_EQ(page_->pendingAction(), 0);
    EXPECT_TRUE(actions_.sent.empty());
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
