#pragma once
// The screen shown after an avatar was stored: what was stored (read-only fields the editor
// fills), the 96 by 96 picture exported into the photo folder, the stored avatar's address
// to copy or open, the stored avatar's code to copy, a replay of the avatar's actions, the
// picture as the chat client's picture, and a way back to the editor.

#include "net/Messages.h"
#include "render/OwnedTexture.h"
#include "screens/PictureStore.h"
#include "screens/ScreenServices.h"
#include "ui/Buttons.h"
#include "ui/EditBox.h"
#include "ui/Widget.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace likenex {

class AvatarModel;

inline constexpr std::int32_t kPictureScreenId = 104;
inline constexpr int kExportSize = 96;
// The read-only field that holds the stored avatar's code, and the button that copies it.
inline constexpr std::int32_t kAvatarCodeField = 110, kCopyCodeButton = 207;

// The 96 by 96 export of a 256 by 256 snapshot (bottom row first): rows 121 down to 26,
// columns 80 to 175, BGRA, top row first.
[[nodiscard]] std::vector<std::uint8_t> exportCrop(const std::uint8_t* snapshot);

class PictureScreen : public ui::Widget {
public:
    // What the screen asks of the program.
    struct Parts {
        PictureStore& pictures;
        WebPages& web;
        UserSettings& settings;
        ChatCommands& chat;
        CodePageText& codePage;
    };

    PictureScreen(ui::UiHost& host, Parts parts);
    ~PictureScreen() override;

    bool loadSkin() override;
    bool onMessage(std::uint32_t message, ui::WParam wParam, ui::LParam lParam) override;
    void onNotify(int code, int controlId, ui::Widget* sender) override;
    void mouseMove(int x, int y) override;
    void draw(Painter& painter) override;
    [[nodiscard]] DueIn advance(Tick now) override;
    void dragTo(int, int) override {}

    // The model whose picture is exported and replayed.
    void setModel(AvatarModel* model) { model_ = model; }
    void setField(std::int32_t fieldId, std::wstring_view text);
    [[nodiscard]] std::wstring field(std::int32_t fieldId) const;
    // Shows the code of the avatar as it was uploaded; the field stays empty when the avatar
    // has no code (it could not be uploaded either).
    void showAvatarCode(const AvatarFields& stored);
    // Plays the first entry's action, takes the snapshot and writes its export; false when
    // the picture list is empty, when any of the export's files cannot be made or written,
    // or when anything on the way throws.
    [[nodiscard]] bool exportPicture();
    [[nodiscard]] bool replaying() const { return replaying_; }
    [[nodiscard]] int replayIndex() const { return replayIndex_; }
    // Called with every frame: starts the next replayed action once its pause is over.
    void update(std::uint32_t now);

    // What a press at a point of the main window opens; none when nothing.
    enum class Link { none, payment, picture };
    [[nodiscard]] Link linkAt(int x, int y);

private:
    [[nodiscard]] bool exportPictureFiles(const std::vector<PictureEntry>& list);
    void playEntry(int index);
    void stopReplay();
    [[nodiscard]] ui::EditBox* fieldBox(std::int32_t fieldId) const;

    Parts parts_;
    AvatarModel* model_ = nullptr;
    SkinImage backdrop_, frame_, coin_;
    OwnedTexture exported_;
    bool replaying_ = false;
    int replayIndex_ = -1;
    std::optional<std::uint32_t> nextEntryAt_;
    Link hovered_ = Link::none;
};

}  // namespace likenex
