#pragma once
// The editor's last page: the avatar's title and texts, the sharing options, the sign-in
// fields with the remembered sign-in, the rules checked before an upload, the price
// confirmation, the upload request and what its reply does, and the account links.

#include "screens/EditorState.h"
#include "ui/Buttons.h"
#include "ui/EditBox.h"
#include "ui/ListBox.h"

#include <array>

namespace likenex {

class EditorScreen;

class UploadPage {
public:
    explicit UploadPage(EditorScreen& editor);

    // Makes the controls on the editor, hidden, with the remembered sign-in filled in.
    void create();
    void show(bool shown);
    // The editor's next button on this page.
    void upload();
    // A control of this page told the editor something; false when it is not this page's.
    bool onNotify(int controlId);
    // Dialog answers, the upload's reply and a failed exchange; false when not this page's.
    bool onMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    // A press on one of the page's text links; false when not on one.
    bool onPress(int x, int y);
    void draw();
    // Empties the texts, and the sign-in too unless it is remembered.
    void startOver();
    // The second text box takes the script's captions when it is empty.
    void offerCaptions(const std::u16string& captions);

    [[nodiscard]] bool busy() const { return busy_; }
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

private:
    void send();
    void saveSignIn();
    void syncAccessControls();
    void dialog(int textId, int style, std::uintptr_t answerW = 0, std::intptr_t answerL = 0);
    void onSaveReply(std::span<const std::uint8_t> bytes);
    void showPictureScreen(const SaveAvatarReply& reply);
    [[nodiscard]] bool guest() const;
    [[nodiscard]] ImageRect linkRect(int textId, int x, int y) const;

    EditorScreen& editor_;
    bool shown_ = false;
    bool busy_ = false;
    int pendingAction_ = 0;
    ui::EditBox *title_ = nullptr, *second_ = nullptr, *third_ = nullptr, *accessPassword_ = nullptr, *user_ = nullptr,
                *password_ = nullptr;
    ui::ListBox *firstOptions_ = nullptr, *secondOptions_ = nullptr;
    ui::CheckBox *restrict_ = nullptr, *remember_ = nullptr;
    std::array<ui::RadioButton*, 3> choices_{};  // A, B, C
    ui::Button *register_ = nullptr, *forgotten_ = nullptr;
};

}  // namespace likenex
