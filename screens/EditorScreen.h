#pragma once
// The editor screen: the wizard of pages through which the user dresses the figure (face and
// skin, items, body parts), writes its action script and finally uploads it. It shows the
// choices that EditorState keeps, in the toolkit's controls, and draws the model's own view
// in its preview area. Each page's controls sit in a panel of their own (the face page's, the
// item pages' one, the script page's and the upload page), and the screen shows the panel of
// the page shown. The tabs, the next button and the preview's buttons belong to the screen,
// as do the palettes: they are drawn with the preview and the page's texts, under every control.

#include "render/OwnedTexture.h"
#include "screens/AvatarStage.h"
#include "screens/EditorState.h"
#include "screens/FrameWindows.h"
#include "screens/UploadPage.h"
#include "ui/Buttons.h"
#include "ui/ChoiceGrid.h"
#include "ui/EditBox.h"
#include "ui/Panel.h"
#include "ui/Widget.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace likenex {

class AvatarArchive;
struct ChoicePicture;
class StringTable;

inline constexpr std::int32_t kEditorNewAvatarAnswer = 3;
inline constexpr std::int32_t kEditorOpenCodeAnswer = 4;
// How long a message stays in the help band, unless the page changes first.
inline constexpr std::uint32_t kNoticeShownMs = 6000;
// The preview area at its corner (previewCorner): a right click there opens the preview menu.
inline constexpr int kPreviewWidth = 207, kPreviewHeight = 218;

class EditorScreen : public ui::Widget, public NewAvatarQuestion, public AvatarStage {
public:
    struct Parts {
        const Catalogue& catalogue;
        const AvatarArchive& archive;
        const StringTable& strings;
        AvatarModel* model;  // the avatar being edited when the screen opens
        AvatarFactory& avatars;
        UploadPage::Parts upload;
    };

    EditorScreen(ui::UiHost& host, Parts parts);
    ~EditorScreen() override;

    bool loadSkin() override;
    bool onMessage(std::uint32_t message, ui::WParam wParam, ui::LParam lParam) override;
    void onNotify(int code, int controlId, ui::Widget* sender) override;
    void draw(Painter& painter) override;
    [[nodiscard]] DueIn advance(Tick now) override;
    void dragTo(int, int) override {}
    void languageChanged() override;

    [[nodiscard]] EditorState& state() { return state_; }
    // Pressing tab 401 + k, or the next button.
    void pressTab(int tab);
    void pressNext();
    // The main frame's new-avatar button.
    void askToStartOver() override;
    // The preview area shows the avatar on every page.
    [[nodiscard]] bool showsAvatar() const override { return true; }

    // --- Avatar codes and random dressing ---
    // Opens an avatar code as a new avatar, as a stored avatar opens: the picture screen
    // closes and the upload page starts over. A code that cannot be read changes nothing and
    // returns false; either way the help band says what happened.
    bool openAvatarCode(std::string_view code);
    // Asks first, as the new-avatar button does, and opens the code on yes; a code that cannot
    // be read is refused at once, without the question.
    void askToOpenAvatarCode(std::string code);
    // The avatar's code to the clipboard (Ctrl+C).
    void copyAvatarCode();
    // Dresses the figure as the clipboard's code says, direction and script too, as one step
    // of undo (Ctrl+V).
    void pasteAvatarCode();
    // The whole figure (Ctrl+R), or only the page shown (Ctrl+Shift+R), at random; a guest
    // gets only what costs nothing.
    void dressAtRandom(bool pageOnly);
    // What the bottom band shows: a message while one is up, else the page's help line.
    [[nodiscard]] std::wstring helpBandText() const;
    // The preview where the avatar stands on the page shown, in client coordinates.
    [[nodiscard]] ImageRect previewArea() const;

    [[nodiscard]] ui::ChoiceGrid* faceGrid(int list) const { return faceGrids_[static_cast<std::size_t>(list & 1)]; }
    [[nodiscard]] ui::ChoiceGrid* itemGrid() const { return itemGrid_; }
    [[nodiscard]] ui::ChoiceGrid* actionList() const { return actionList_; }
    [[nodiscard]] ui::ChoiceGrid* scriptList() const { return scriptList_; }
    [[nodiscard]] ui::EditBox* captionBox() const { return captionBox_; }
    [[nodiscard]] ui::Button* tab(int k) const { return tabs_[static_cast<std::size_t>(k)]; }
    [[nodiscard]] int pendingAction() const { return pendingAction_; }
    // The preview's corner for the page shown: the avatar stands in it.
    [[nodiscard]] ui::Point previewCorner() const;
    // The palette cell under a point, or -1.
    [[nodiscard]] static int paletteCellAt(int x, int y, int cells);
    [[nodiscard]] UploadPage& uploadPage() { return *upload_; }
    // A rectangle of the main window's client area, relative to this screen.
    [[nodiscard]] ImageRect local(int left, int top, int right, int bottom) const;

private:
    void enterPage(int page);
    struct CellPicture;
    [[nodiscard]] CellPicture cellPicture(const ChoicePicture& picture);
    [[nodiscard]] static ui::ChoiceGrid::Cell cellOf(const CellPicture& picture, std::wstring text, std::wstring note);
    void fillFaceGrids();
    void fillItemGrid();
    void fillActionList();
    void fillScriptList();
    void syncControls();
    void startOver();
    // Asks whether to start a new avatar (text 484); the answer comes back tagged `answer`.
    void askNewAvatarQuestion(int answer);
    void showDialog(int textId);
    // A press on the page's palette; false when it is not on one.
    bool onPalette(int x, int y);
    void drawTexts(Painter& painter);
    void drawPalette(Painter& painter);
    void drawPreview(Painter& painter);
    // The link to buying points, on every page.
    void drawPaymentLink(Painter& painter);
    [[nodiscard]] bool onPaymentLink(int x, int y);
    // A panel covering the screen, hidden, for one page's controls.
    ui::Panel* addPagePanel();
    // The focused control is this screen's, directly or in one of its panels.
    [[nodiscard]] bool holdsFocus(const ui::Control& focused) const;
    void onAvatarReply(std::span<const std::uint8_t> bytes);
    // Starts over with the avatar a server reply or a code holds.
    void openStoredAvatar(const AvatarFields& avatar);
    // A message in the help band, in place of the page's help line.
    void showNotice(int textId);
    // The controls show the state again after undo, redo or a whole new look.
    void showChangedLook();
    [[nodiscard]] RandomSource& randomSource();
    // Every control shows the state again after it changed wholesale (undo, a loaded avatar).
    void refreshAll();
    void closePictureScreen();
    void closePreviewMenu();
    // Controls made on `on`: the screen or one of its panels.
    ui::Button* imageButton(ui::Widget& on, std::int32_t id, const ImageRect& rect, std::uint32_t normal,
                            std::uint32_t pressed, int tooltipText = 0);
    ui::ChoiceGrid* grid(ui::Widget& on, std::int32_t id, const ImageRect& rect, const ui::ChoiceGrid::Layout& layout);
    [[nodiscard]] std::wstring catalogueText(int kind, std::int32_t identifier) const;

    Parts parts_;
    EditorState state_;
    int pendingAction_ = 0;
    ui::NinePatch frame_;
    SkinImage backdrop_, skinPalette_, colourPalette_;
    std::array<ui::Button*, 9> tabs_{};
    ui::Button *reset_ = nullptr, *turn_ = nullptr, *next_ = nullptr, *addStep_ = nullptr, *stepUp_ = nullptr,
               *stepDown_ = nullptr, *deleteStep_ = nullptr, *play_ = nullptr;
    std::array<ui::Panel*, 3> pagePanels_{};
    std::array<ui::ChoiceGrid*, 2> faceGrids_{};
    ui::ChoiceGrid *itemGrid_ = nullptr, *actionList_ = nullptr, *scriptList_ = nullptr;
    ui::EditBox* captionBox_ = nullptr;
    // The pictures of the grids' cells, made once per page and skin.
    struct CellPicture {
        OwnedTexture texture;
        int width = 0, height = 0;
    };
    std::array<std::vector<CellPicture>, 2> facePictures_;
    std::array<std::vector<CellPicture>, 7> pagePictures_;
    std::array<std::int32_t, 7> pageSkins_{-2, -2, -2, -2, -2, -2, -2};  // the skin of each page's hairstyles
    std::int32_t faceSkin_ = -2;
    UploadPage* upload_ = nullptr;  // a child of this screen
    // Made on first use: the colour table is read after the screen is made.
    std::optional<RandomAvatar> dresser_;
    // Seeded on first use from the loop's clock, which by then depends on the person.
    std::optional<RandomSource> random_;
    int noticeText_ = 0;  // 0 while the help band shows the page's help
    int noticePage_ = 0;
    Tick noticeShownAt_ = 0;
    std::string pendingCode_;  // the code the open question is about
};

}  // namespace likenex
