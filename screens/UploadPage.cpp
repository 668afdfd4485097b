#include "screens/UploadPage.h"

#include "base/Text.h"
#include "base/WindowMessages.h"
#include "net/PasswordDigest.h"
#include "screens/EditorScreen.h"
#include "screens/PictureScreen.h"
#include "ui/MessageDialog.h"
#include "ui/WindowStack.h"

#include <algorithm>
#include <cwctype>
#include <utility>

namespace likenex {
namespace {

constexpr int kTitle = 601, kAccessPassword = 602, kRestrict = 603, kChoiceB = 604, kChoiceC = 605, kSecond = 606,
              kThird = 607, kFirstOptions = 608, kSecondOptions = 609, kUser = 610, kPassword = 611, kRemember = 612,
              kRegister = 613, kForgotten = 614, kChoiceA = 615;
constexpr int kAccessGroup = 1;
constexpr std::uintptr_t kEditorMark = 100;  // the editor's dialogs carry it as their first value
constexpr std::intptr_t kGuestAnswer = 1, kForgottenAnswer = 2;
constexpr int kPendingUpload = 1, kPendingWebSite = 2;
constexpr int kFirstOptionText = 458, kLastOptionText = 468;
constexpr std::array<int, 7> kSecondOptionTexts = {476, 477, 478, 479, 481, 510, 511};
constexpr std::uint32_t kInk = 0xFF3A3A3Au, kLink = 0xFF1F6FB2u;
constexpr ImageRect kExplainLink = {155, 387, 220, 407};

[[nodiscard]] std::u16string utf16(const ui::EditBox* box) {
    return box ? text::utf16FromWide(box->editText()) : std::u16string();
}

// What a remembered sign-in may put into the password box: a digest as this program stores
// it. Anything else in opt.dat (an earlier version kept long passwords there in clear) is
// not shown, so that it is neither sent nor written back.
[[nodiscard]] bool isDigest(std::string_view text) {
    return text.size() == kDigestLength && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

}  // namespace

UploadPage::UploadPage(ui::UiHost& host, EditorScreen& editor, Parts parts)
    : ui::Panel(host), editor_(editor), parts_(parts) {}

bool UploadPage::loadSkin() {
    // The page covers the editor: places on the editor are places on the page.
    auto edit = [&](int id, ImageRect r, ui::EditBox::Mode mode, int limit) {
        ui::EditBox* box = createEditBox(id, editor_.local(r.left, r.top, r.right, r.bottom), mode);
        if (box) box->maxLength = limit;
        return box;
    };
    title_ = edit(kTitle, {45, 147, 276, 171}, ui::EditBox::singleLine, kTitleUnits);
    second_ = edit(kSecond, {45, 190, 276, 250}, ui::EditBox::multiLine, kSecondTextUnits);
    third_ = edit(kThird, {45, 268, 276, 308}, ui::EditBox::multiLine, kThirdTextUnits);
    accessPassword_ = edit(kAccessPassword, {65, 493, 223, 517}, ui::EditBox::password, 33);
    user_ = edit(kUser, {430, 393, 549, 416}, ui::EditBox::singleLine, 100);
    password_ = edit(kPassword, {430, 423, 549, 446}, ui::EditBox::password, 33);

    firstOptions_ = createListBox(kFirstOptions, editor_.local(45, 326, 150, 342));
    secondOptions_ = createListBox(kSecondOptions, editor_.local(45, 364, 165, 380));
    if (firstOptions_)
        for (int text = kFirstOptionText; text <= kLastOptionText; ++text)
            (void)firstOptions_->addEntry(host().uiText(text).c_str(), text);
    if (secondOptions_) {
        for (int text : kSecondOptionTexts) (void)secondOptions_->addEntry(host().uiText(text).c_str(), text);
        (void)secondOptions_->selectEntry(std::clamp(parts_.pictureScreen.settings.language(), 0, 6));
    }
    restrict_ = createCheckBox(kRestrict, host().uiText(kTextRestrict), false, editor_.local(48, 390, 146, 406));
    choices_[0] =
        createRadioButton(kChoiceA, kAccessGroup, host().uiText(kTextChoiceA), true, editor_.local(47, 416, 255, 432));
    choices_[1] =
        createRadioButton(kChoiceB, kAccessGroup, host().uiText(kTextChoiceB), false, editor_.local(47, 436, 166, 452));
    choices_[2] =
        createRadioButton(kChoiceC, kAccessGroup, host().uiText(kTextChoiceC), false, editor_.local(47, 456, 166, 472));
    remember_ = createCheckBox(kRemember, host().uiText(kTextRemember), false, editor_.local(400, 456, 501, 472));
    register_ = createButton(kRegister, L"", editor_.local(402, 479, 416, 493), ui::Button::image);
    forgotten_ = createButton(kForgotten, L"", editor_.local(402, 502, 416, 516), ui::Button::image);
    if (register_) {
        const std::uint32_t pictures[] = {16001113, 16001114};
        (void)register_->setButtonImages(pictures);
    }
    if (forgotten_) {
        const std::uint32_t pictures[] = {16001120, 16001119};
        (void)forgotten_->setButtonImages(pictures);
    }

    const Settings& settings = parts_.pictureScreen.settings.settings();
    if (settings.rememberLogin) {
        if (user_) user_->setEditText(text::wideFromUtf16(settings.userNameText()));
        const std::string digest = settings.passwordDigestText();
        if (password_ && isDigest(digest)) {
            rememberedText_ = parts_.pictureScreen.codePage.fromCodePage(digest);
            password_->setEditText(rememberedText_);
            rememberedDigest_ = true;
        }
        if (remember_) remember_->setTicked(true, false);
    }
    show(false);
    return true;
}

void UploadPage::languageChanged() {
    ui::Panel::languageChanged();
    // The entries' values are their text numbers; the selections stay where the user left them.
    for (ui::ListBox* list : {firstOptions_, secondOptions_}) {
        if (!list) continue;
        for (std::size_t i = 0; i < list->entries().size(); ++i)
            (void)list->setEntryText(static_cast<std::int32_t>(i), host().uiText(list->entries()[i].value));
    }
    for (auto [box, textId] : {std::pair<ui::CheckBox*, int>{restrict_, kTextRestrict},
                               {choices_[0], kTextChoiceA},
                               {choices_[1], kTextChoiceB},
                               {choices_[2], kTextChoiceC},
                               {remember_, kTextRemember}})
        if (box) box->setCaption(host().uiText(textId));
}

void UploadPage::show(bool shown) {
    visible = shown;
    syncAccessControls();
    if (shown && title_) host().windowStack().setFocus(title_);
}

void UploadPage::syncAccessControls() {
    const bool restricted = restrict_ && restrict_->ticked;
    for (ui::RadioButton* choice : choices_)
        if (choice) choice->visible = restricted;
    if (accessPassword_) accessPassword_->visible = restricted && choices_[2] && choices_[2]->ticked;
}

std::uint8_t UploadPage::accessMode() const {
    if (!restrict_ || !restrict_->ticked) return 0;
    if (choices_[1] && choices_[1]->ticked) return 1;
    if (choices_[2] && choices_[2]->ticked) return 2;
    return 3;
}

bool UploadPage::guest() const {
    const std::wstring name = user_ ? user_->editText() : L"";
    if (name.size() != 5) return false;
    return std::equal(name.begin(), name.end(), L"guest", [](wchar_t a, wchar_t b) {
        return std::towlower(static_cast<wint_t>(a)) == static_cast<wint_t>(b);
    });
}

ui::MessageDialog* UploadPage::dialog(int textId, ui::DialogStyle style, std::uintptr_t answerW,
                                      std::intptr_t answerL) {
    return ui::showMessageDialog(host(), host().uiText(textId), host().uiText(kTextDialogTitle), style, answerW,
                                 answerL);
}

void UploadPage::startOver() {
    // A confirmation still open was asked about the avatar that is going away.
    pendingAction_ = 0;
    guestAsked_ = false;
    ui::WindowStack& stack = host().windowStack();
    while (ui::Widget* question = stack.findWindow(kEditorQuestionId)) stack.closeWindow(question);
    for (ui::EditBox* box : {title_, second_, third_})
        if (box) box->setEditText(L"");
    if (remember_ && !remember_->ticked) {
        if (user_) user_->setEditText(L"");
        if (password_) password_->setEditText(L"");
        rememberedDigest_ = false;
    }
}

void UploadPage::offerCaptions(const std::u16string& captions) {
    if (second_ && second_->editText().empty()) second_->setEditText(text::wideFromUtf16(captions));
}

bool UploadPage::holdsRememberedDigest() const {
    return rememberedDigest_ && password_ && password_->editText() == rememberedText_;
}

std::string UploadPage::signInDigest() const {
    // The remembered digest goes out as it was kept; a typed password, whatever its length,
    // is digested, so that it is never sent or stored in clear.
    const CodePageText& codePage = parts_.pictureScreen.codePage;
    if (holdsRememberedDigest()) return codePage.toCodePage(utf16(password_));
    return typedPasswordDigest(utf16(password_),
                               [&codePage](std::u16string_view text) { return codePage.toCodePage(text); });
}

void UploadPage::saveSignIn() {
    Settings& settings = parts_.pictureScreen.settings.settings();
    if (remember_ && remember_->ticked) {
        settings.rememberLogin = 1;
        settings.setUserName(utf16(user_));
        settings.setPasswordDigest(signInDigest());
    } else {
        settings.rememberLogin = 0;
        settings.setUserName(u"");
        settings.setPasswordDigest("");
    }
    parts_.pictureScreen.settings.saveSettings();
}

void UploadPage::upload() {
    if (busy_) return;
    if (!title_ || title_->editText().empty()) {
        dialog(kTextNoTitle, ui::DialogStyle::okOnly);
        return;
    }
    if (editor_.state().scriptLength() > kMaxScriptFrames) {
        dialog(kTextTooLong, ui::DialogStyle::okOnly);
        return;
    }
    // Steps are refused before they make the script too large; this catches what came
    // another way, before the user is asked to pay for an upload that cannot go out.
    if (SaveAvatarRequest whole = makeRequest(); !whole.encode()) {
        dialog(kTextTooLargeToUpload, ui::DialogStyle::okOnly);
        return;
    }
    if (guest()) {
        if (ui::MessageDialog* question = dialog(kTextGuest, ui::DialogStyle::yesNo, kEditorMark, kGuestAnswer))
            question->id = kEditorQuestionId;
        guestAsked_ = true;
        return;
    }
    ui::MessageDialog* price =
        ui::showMessageDialog(host(), text::withNumber(host().uiText(kTextPriceQuestion), editor_.state().price()),
                              host().uiText(kTextPriceQuestionTitle), ui::DialogStyle::okCancel, kEditorMark, 0);
    if (price) price->id = kEditorQuestionId;
    pendingAction_ = kPendingUpload;
    saveSignIn();
}

SaveAvatarRequest UploadPage::makeRequest() const {
    SaveAvatarRequest request;
    request.userName = utf16(user_).substr(0, kMaxUserNameUnits);
    request.passwordDigest = signInDigest();
    request.avatar = editor_.state().uploadFields();
    request.title = utf16(title_);
    request.secondText = utf16(second_);
    request.thirdText = utf16(third_);
    request.firstOption = static_cast<std::uint8_t>(std::max(0, firstOptions_ ? firstOptions_->selected() : 0));
    request.secondOption = static_cast<std::uint8_t>(std::max(0, secondOptions_ ? secondOptions_->selected() : 0));
    request.accessMode = accessMode();
    request.language = static_cast<std::uint8_t>(std::clamp(parts_.pictureScreen.settings.language(), 0, 4));
    // The access password is always digested: it is never a remembered digest.
    if (request.accessMode == 2) {
        const CodePageText& codePage = parts_.pictureScreen.codePage;
        request.accessDigest = typedPasswordDigest(
            utf16(accessPassword_), [&codePage](std::u16string_view text) { return codePage.toCodePage(text); });
    }
    return request;
}

void UploadPage::send() {
    SaveAvatarRequest whole = makeRequest();
    if (!whole.encode()) {
        dialog(kTextTooLargeToUpload, ui::DialogStyle::okOnly);
        return;
    }
    busy_ = true;
    // The picture screen shows the code of what went out, whatever is edited meanwhile.
    uploaded_ = whole.avatar;
    if (!parts_.server.sendToServer(whole)) {
        busy_ = false;
        dialog(kTextNoConnection, ui::DialogStyle::okOnly);
    }
}

void UploadPage::onNotify(int code, int controlId, ui::Widget* sender) {
    switch (controlId) {
    case kPassword:
        if (code != ui::kNotifyEditChanged) break;
        rememberedDigest_ = false;
        return;
    case kRestrict:
    case kChoiceA:
    case kChoiceB:
    case kChoiceC: syncAccessControls(); return;
    case kRemember: saveSignIn(); return;
    case kRegister: parts_.pictureScreen.web.openRegistrationPage(); return;
    case kForgotten: parts_.pictureScreen.web.openWebPage("?c=forgot&type=pwd"); return;
    default: break;
    }
    ui::Panel::onNotify(code, controlId, sender);
}

bool UploadPage::onProgramMessage(std::uint32_t message, ui::WParam wParam, ui::LParam lParam) {
    switch (message) {
    case WM_DIALOG_OK:
        if (wParam != kEditorMark) return false;
        if (lParam == kGuestAnswer) {
            guestAsked_ = false;
            parts_.pictureScreen.web.openRegistrationPage();
        } else if (lParam == kForgottenAnswer) {
            parts_.pictureScreen.web.openWebPage("?c=forgot&type=pwd");
        } else if (pendingAction_ == kPendingUpload) {
            pendingAction_ = 0;
            send();
        } else if (pendingAction_ == kPendingWebSite) {
            pendingAction_ = 0;
            parts_.pictureScreen.web.openWebPage("/");
        } else {
            return false;  // the editor's own (a new avatar)
        }
        return true;
    case WM_DIALOG_CANCEL:
        if (wParam != kEditorMark) return false;
        if (lParam == kGuestAnswer && std::exchange(guestAsked_, false) && editor_.state().price() < 1) send();
        if (pendingAction_ == kPendingUpload || pendingAction_ == kPendingWebSite) pendingAction_ = 0;
        return lParam == kGuestAnswer || lParam == 0;
    case WM_SAVE_REPLY:
        onSaveReply({reinterpret_cast<const std::uint8_t*>(lParam), static_cast<std::size_t>(wParam)});
        return true;
    case WM_SERVER_FAILED:
        if (wParam != static_cast<std::uintptr_t>(MessageType::SaveAvatarRequest)) return false;
        busy_ = false;
        dialog(kTextNoConnection, ui::DialogStyle::okOnly);
        return true;
    default: return false;
    }
}

void UploadPage::onSaveReply(std::span<const std::uint8_t> bytes) {
    busy_ = false;
    SaveAvatarReply reply;
    const bool readable = bytes.data() && reply.assign(bytes) && reply.decode();
    switch (readable ? reply.result : -1) {
    case SaveAvatarReply::SignInRejected:
        dialog(kTextRejected, ui::DialogStyle::yesNo, kEditorMark, kForgottenAnswer);
        break;
    case SaveAvatarReply::Refused:
        pendingAction_ = kPendingWebSite;
        dialog(kTextRefused, ui::DialogStyle::okCancel, kEditorMark, 0);
        break;
    case SaveAvatarReply::Failed: dialog(kTextNoConnection, ui::DialogStyle::okOnly); break;
    case SaveAvatarReply::Saved: showPictureScreen(reply); break;
    // A reply that cannot be read, or a result this program does not know, confirms
    // nothing: the avatar may or may not be stored, and the person must not be left waiting.
    default: dialog(kTextUnconfirmed, ui::DialogStyle::okOnly); break;
    }
    parts_.server.closeServerConnection();
}

void UploadPage::showPictureScreen(const SaveAvatarReply& reply) {
    AvatarModel* model = editor_.state().model();
    if (model) model->turn(editor_.state().direction());
    ui::WindowStack& stack = host().windowStack();
    auto* screen = dynamic_cast<PictureScreen*>(stack.findWindow(kPictureScreenId));
    if (!screen) {
        screen = static_cast<PictureScreen*>(
            stack.openWindow(stack.root(), {0, 69, host().clientWidth(), host().clientHeight()}, false,
                             std::make_unique<PictureScreen>(host(), parts_.pictureScreen)));
    }
    if (!screen) return;
    auto selectedText = [](const ui::ListBox* list) {
        if (!list || list->selected() < 0) return std::wstring();
        return list->entries()[static_cast<std::size_t>(list->selected())].text;
    };
    screen->setField(101, title_ ? title_->editText() : L"");
    screen->setField(102, parts_.pictureScreen.codePage.fromCodePage(reply.address));
    screen->setField(103, second_ ? second_->editText() : L"");
    screen->setField(104, third_ ? third_->editText() : L"");
    screen->setField(105, selectedText(firstOptions_));
    screen->setField(106, selectedText(secondOptions_));
    screen->setField(107, std::to_wstring(reply.avatarNumber));
    screen->setField(108, user_ ? user_->editText() : L"");
    screen->showAvatarCode(uploaded_);
    auto& list = parts_.pictureScreen.pictures.pictureList();
    list.clear();
    for (const ScriptStep& step : editor_.state().script()) list.push_back({step.action, step.caption});
    screen->setModel(model);
    (void)screen->exportPicture();
    stack.bringToFront(screen);
}

ImageRect UploadPage::linkRect(int textId, int x, int y) const {
    ui::UiText* f = font();
    if (!f) return {};
    f->setText(host().uiText(textId));
    return {x, y, x + f->textWidth(), y + 18};
}

bool UploadPage::onPress(int x, int y) {
    if (linkRect(kTextRegister, 420, 476).contains(x, y)) {
        parts_.pictureScreen.web.openRegistrationPage();
        return true;
    }
    if (linkRect(kTextForgotten, 420, 497).contains(x, y)) {
        parts_.pictureScreen.web.openWebPage("?c=forgot&type=pwd");
        return true;
    }
    if (kExplainLink.contains(x, y)) {
        (void)ui::showMessageDialog(host(), host().uiText(kTextExplain) + host().uiText(kTextExplainMore),
                                    host().uiText(kTextExplainTitle), ui::DialogStyle::okOnly, 0, 0);
        return true;
    }
    return false;
}

void UploadPage::drawPage(Painter& painter) {
    ui::UiText* f = font();
    if (!f) return;
    auto write = [&](int textId, int x, int y, std::uint32_t colour) {
        f->setText(host().uiText(textId));
        f->draw(painter, x, y, Colour::fromPacked(colour));
    };
    write(930, 45, 143, kInk);
    write(931, 45, 186, kInk);
    write(932, 45, 264, kInk);
    write(933, 45, 322, kInk);
    write(934, 45, 360, kInk);
    write(943, 158, 402, kLink);
    if (accessPassword_ && accessPassword_->visible) write(935, 65, 489, kInk);
    write(936, 400, 383, kInk);
    for (auto [textId, y] : {std::pair{937, 409}, {938, 439}}) {
        f->setText(host().uiText(textId));
        f->draw(painter, 424 - f->textWidth(), y, Colour::fromPacked(kInk));
    }
    write(kTextRegister, 420, 490, kLink);
    write(kTextForgotten, 420, 511, kLink);
}

}  // namespace likenex
