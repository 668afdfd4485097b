#pragma once
// The editor's last page, a panel of the editor screen: the avatar's title and texts, the
// sharing options, the sign-in fields with the remembered sign-in, the rules checked before an
// upload, the price confirmation, the upload request and what its reply does, and the account
// links.

#include "screens/EditorState.h"
#include "screens/PictureScreen.h"
#include "screens/ScreenServices.h"
#include "screens/TextIds.h"
#include "ui/Buttons.h"
#include "ui/EditBox.h"
#include "ui/ListBox.h"
#include "ui/MessageDialog.h"
#include "ui/Panel.h"

#include <array>

namespace likenex {

class EditorScreen;

// The window-stack entry of an open question whose answer would change or send the avatar
// being edited (the price confirmation, the guest's choice, starting over): a new or loaded
// avatar closes it, so that no answer acts on an avatar it was not asked about.
inline constexpr std::int32_t kEditorQuestionId = 110;

class UploadPage : public ui::Panel {
public:
    // The server takes the upload; the picture screen it opens after a stored avatar gets
    // its own parts, which the page also uses for the sign-in, the code page and the links.
    struct Parts {
        ServerChannel& server;
        PictureScreen::Parts pictureScreen;
    };

    UploadPage(ui::UiHost& host, EditorScreen& editor, Parts parts);

    // Makes the page's controls, hidden, with the remembered sign-in filled in.
    bool loadSkin() override;
    // Shows the page with the focus in its title box, or hides it.
    void show(bool shown);
    // The editor's next button on this page.
    void upload();
    void onNotify(int code, int controlId, ui::Widget* sender) override;
    // Empties the texts, and the sign-in too unless it is remembered; an upload waiting for
    // its confirmation is dropped with its question.
    void startOver();
    // The option lists' entries and the check and radio captions in the new language too.
    void languageChanged() override;
    // The second text box takes the script's captions when it is empty.
    void offerCaptions(const std::u16string& captions);

    [[nodiscard]] bool busy() const { return busy_; }
    // The user name box holds the guest account, which uploads only what costs nothing.
    [[nodiscard]] bool guest() const;
    [[nodiscard]] int pendingAction() const { return pendingAction_; }
    void setPendingAction(int action) { pendingAction_ = action; }
    [[nodiscard]] std::uint8_t accessMode() const;
    [[nodiscard]] ui::EditBox* titleBox() const { return title_; }
    [[nodiscard]] ui::EditBox* secondTextBox() const { return second_; }
    [[nodiscard]] ui::EditBox* userBox() const { return user_; }
    [[nodiscard]] ui::EditBox* passwordBox() const { return password_; }
    [[nodiscard]] ui::CheckBox* rememberBox() const { return remember_; }
    [[nodiscard]] ui::CheckBox* restrictBox() const { return restrict_; }
    [[nodiscard]] ui::RadioButton* accessChoice(int k) const { return choices_[static_cast<std::size_t>(k)]; }
    [[nodiscard]] ui::EditBox* accessPasswordBox() const { return accessPassword_; }
    // The first (0) or second (1) option list.
    [[nodiscard]] ui::ListBox* optionList(int k) const { return k == 0 ? firstOptions_ : secondOptions_; }

    // The password box still holds the digest loaded from the remembered sign-in, untouched.
    [[nodiscard]] bool holdsRememberedDigest() const;

protected:
    // Dialog answers, the upload's reply and a failed exchange.
    bool onProgramMessage(std::uint32_t message, ui::WParam wParam, ui::LParam lParam) override;
    // The page's text links.
    bool onPress(int x, int y) override;
    void drawPage(Painter& painter) override;

private:
    // The request as the page stands; its digests follow the password rules.
    [[nodiscard]] SaveAvatarRequest makeRequest() const;
    [[nodiscard]] std::string signInDigest() const;
    void send();
    void saveSignIn();
    void syncAccessControls();
    ui::MessageDialog* dialog(int textId, ui::DialogStyle style, std::uintptr_t answerW = 0, std::intptr_t answerL = 0);
    void onSaveReply(std::span<const std::uint8_t> bytes);
    void showPictureScreen(const SaveAvatarReply& reply);
    [[nodiscard]] ImageRect linkRect(int textId, int x, int y) const;

    EditorScreen& editor_;
    Parts parts_;
    bool busy_ = false;
    int pendingAction_ = 0;
    // The avatar of the last upload sent, for the picture screen its reply opens.
    AvatarFields uploaded_;
    // Set when the password box was filled with the remembered digest, cleared by any edit:
    // only then is its text a digest to send as it is, never to be digested again. The text is
    // kept too, so that one put into the box by the program's own hand is not taken for it.
    bool rememberedDigest_ = false;
    std::wstring rememberedText_;
    // The guest's question is open: only its own answer may send the upload as a guest.
    bool guestAsked_ = false;
    ui::EditBox *title_ = nullptr, *second_ = nullptr, *third_ = nullptr, *accessPassword_ = nullptr, *user_ = nullptr,
                *password_ = nullptr;
    ui::ListBox *firstOptions_ = nullptr, *secondOptions_ = nullptr;
    ui::CheckBox *restrict_ = nullptr, *remember_ = nullptr;
    std::array<ui::RadioButton*, 3> choices_{};  // A, B, C
    ui::Button *register_ = nullptr, *forgotten_ = nullptr;
};

}  // namespace likenex
