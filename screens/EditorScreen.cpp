#include "screens/EditorScreen.h"

#include "avatar/ChoicePicture.h"
#include "base/Text.h"
#include "base/WindowMessages.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/StringTable.h"
#include "net/AvatarCode.h"
#include "render/Painter.h"
#include "screens/AvatarPlacement.h"
#include "screens/FrameWindows.h"
#include "screens/PictureScreen.h"
#include "screens/PreviewMenu.h"
#include "screens/TextIds.h"
#include "ui/MessageDialog.h"
#include "ui/WindowStack.h"

#include <algorithm>
#include <string>

namespace likenex {
namespace {

constexpr ui::SkinIds kScreenFrame = {16001094, 16001095, 16001096, 16001097, 16001098,
                                      16001099, 16001100, 16001101, 16001102};
constexpr std::array<std::array<std::uint32_t, 2>, 9> kTabSkins = {{{16001016, 16001015},
                                                                    {16001020, 16001019},
                                                                    {16001030, 16001029},
                                                                    {16001022, 16001021},
                                                                    {16001024, 16001023},
                                                                    {16001026, 16001025},
                                                                    {16001028, 16001027},
                                                                    {16001014, 16001013},
                                                                    {16001018, 16001017}}};
constexpr std::uint32_t kBackdrop = 16001090, kSkinPalette = 16001201, kColourPalette = 16001202;
constexpr int kFirstTabId = 401, kTabLeft = 16, kTabTop = 80;
constexpr int kReset = 301, kTurn = 302, kNext = 303, kCaption = 501, kAddStep = 502, kStepUp = 503, kStepDown = 504,
              kDeleteStep = 505, kPlay = 506;
constexpr int kFaceGrid1 = 701, kFaceGrid2 = 702, kItemGrid = 703, kActionList = 704, kScriptList = 705;
constexpr int kPaletteLeft = 372, kPaletteTop = 409;
// A face cell keeps a line for its price, an item cell two for its name and price, whether or
// not the choice has a price, so that the pictures of a grid line up.
constexpr ui::ChoiceGrid::Layout kFaceLayout{5, 2, 61, 75, 7, 8, 1}, kItemLayout{3, 3, 103, 114, 4, 6, 2};
[[nodiscard]] PictureRoom roomOf(const ui::ChoiceGrid::Layout& layout) {
    const ui::ChoiceGrid::Room room = ui::ChoiceGrid::pictureRoom(layout, layout.textLines);
    return {room.width, room.height};
}
constexpr std::uint32_t kInk = 0xFF3A3A3Au, kSoftInk = 0xFF6A6A6Au, kMark = 0xFFE0402Fu, kLink = 0xFF1F6FB2u;
// The page panels in pagePanels_.
constexpr std::size_t kFacePanel = 0, kItemPanel = 1, kScriptPanel = 2;
// Control characters that Ctrl+Z, Ctrl+Y, Ctrl+C, Ctrl+V and Ctrl+R type (Ctrl+Shift+R too).
constexpr ui::WParam kCtrlZ = 0x1A, kCtrlY = 0x19, kCtrlC = 0x03, kCtrlV = 0x16, kCtrlR = 0x12;
// A clipboard text longer than this is no code, even with spaces around one: it is not
// converted to be read.
constexpr std::size_t kLongestPastedText = 2 * kLongestAvatarCode;

void setColour(Painter& painter, std::uint32_t packed) { painter.setColour(Colour::fromPacked(packed)); }

void drawPicture(Painter& painter, const SkinImage& picture, int left, int top) {
    if (!picture.texture) return;
    setColour(painter, 0xFFFFFFFFu);
    painter.drawImage(&picture.texture, left, top, left + picture.width, top + picture.height);
}

// A one-pixel frame around a rectangle.
void outline(Painter& painter, const ImageRect& r, std::uint32_t colour) {
    setColour(painter, colour);
    painter.fillRect(r.left, r.top, r.right, r.top + 1);
    painter.fillRect(r.left, r.bottom - 1, r.right, r.bottom);
    painter.fillRect(r.left, r.top, r.left + 1, r.bottom);
    painter.fillRect(r.right - 1, r.top, r.right, r.bottom);
}

[[nodiscard]] std::wstring priceNote(std::int32_t value) { return value != 0 ? std::to_wstring(value) : L""; }

// A text without a code's shape holds no code at all (the reason given is "empty"); one with
// it that cannot be read is a damaged code.
[[nodiscard]] DecodedAvatarCode readCode(std::string_view text, const Catalogue& catalogue) {
    if (!looksLikeAvatarCode(text)) return {CodeRefusal::empty, {}};
    return decodeAvatarCode(text, catalogue);
}

// The help band's short reason for a code that was refused.
[[nodiscard]] int refusalText(CodeRefusal refusal) {
    switch (refusal) {
    case CodeRefusal::empty:
    case CodeRefusal::tooLong:
    case CodeRefusal::badCharacter: return kTextNotACode;
    case CodeRefusal::newerVersion: return kTextNewerCode;
    default: return kTextDamagedCode;
    }
}

}  // namespace

EditorScreen::EditorScreen(ui::UiHost& host, Parts parts) : ui::Widget(host), parts_(parts), state_(parts.catalogue) {
    id = kEditorScreenId;
}

EditorScreen::~EditorScreen() = default;

ImageRect EditorScreen::local(int left, int top, int right, int bottom) const {
    return {left - bounds.left, top - bounds.top, right - bounds.left, bottom - bounds.top};
}

ui::Button* EditorScreen::imageButton(ui::Widget& on, std::int32_t controlId, const ImageRect& rect,
                                      std::uint32_t normal, std::uint32_t pressed, int tooltipText) {
    ui::Button* button = on.createButton(controlId, L"", rect, ui::Button::image);
    if (!button) return nullptr;
    const std::uint32_t pictures[] = {normal, pressed};
    (void)button->setButtonImages(pictures);
    if (tooltipText) button->tooltip = host().uiText(tooltipText);
    return button;
}

ui::ChoiceGrid* EditorScreen::grid(ui::Widget& on, std::int32_t controlId, const ImageRect& rect,
                                   const ui::ChoiceGrid::Layout& layout) {
    return on.addControl<ui::ChoiceGrid>(controlId, rect, [&](ui::ChoiceGrid& g) {
        g.setLayout(layout);
        g.setTextColour(Colour::fromPacked(kInk));
        g.setFont(host().fontFace(), 11);
    });
}

ui::Panel* EditorScreen::addPagePanel() {
    // A panel covers the screen, so that places on the screen are places on the panel.
    ui::Panel* panel =
        addControl<ui::Panel>(0, local(bounds.left, bounds.top, bounds.right, bounds.bottom), [](ui::Panel&) {});
    if (panel) panel->visible = false;
    return panel;
}

bool EditorScreen::holdsFocus(const ui::Control& focused) const {
    return focused.owner == this || (focused.owner && focused.owner->owner == this);
}

bool EditorScreen::loadSkin() {
    // The frame is drawn under the page's pictures, so it is kept apart from the widget's own
    // skin, which the toolkit draws over them.
    bool ok = true;
    const std::array<std::size_t, 9> order = {0, 2, 6, 8, 1, 3, 5, 7, 4};
    for (std::size_t k : order) ok = loadImage(kScreenFrame[k], frame_[k]) && ok;
    layoutNinePatch(bounds, frame_);
    (void)loadImage(kBackdrop, backdrop_);
    (void)loadImage(kSkinPalette, skinPalette_);
    (void)loadImage(kColourPalette, colourPalette_);
    clientRect = {0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};

    for (int k = 0; k < 9; ++k) {
        const int left = kTabLeft + 50 * k;
        tabs_[static_cast<std::size_t>(k)] = imageButton(
            *this, kFirstTabId + k, local(left, kTabTop, left + 46, kTabTop + 32), kTabSkins[k][0], kTabSkins[k][1]);
    }
    reset_ = imageButton(*this, kReset, local(527, 371, 547, 386), 16001203, 16001204, 482);
    turn_ = imageButton(*this, kTurn, local(556, 371, 576, 386), 16001205, 16001206, 483);
    next_ = imageButton(*this, kNext, local(584, 458, 625, 488), 16001043, 16001042);
    play_ = imageButton(*this, kPlay, local(409, 496, 433, 518), 16001006, 16001005);

    for (ui::Panel*& panel : pagePanels_) panel = addPagePanel();
    if (ui::Panel* face = pagePanels_[kFacePanel]) {
        faceGrids_[0] = grid(*face, kFaceGrid1, local(20, 148, 338, 312), kFaceLayout);
        faceGrids_[1] = grid(*face, kFaceGrid2, local(20, 339, 338, 503), kFaceLayout);
    }
    if (ui::Panel* items = pagePanels_[kItemPanel])
        itemGrid_ = grid(*items, kItemGrid, local(22, 148, 340, 502), kItemLayout);
    if (ui::Panel* script = pagePanels_[kScriptPanel]) {
        addStep_ = imageButton(*script, kAddStep, local(252, 470, 268, 508), 16001066, 16001065);
        stepUp_ = imageButton(*script, kStepUp, local(523, 421, 541, 438), 16001003, 16001004, 496);
        stepDown_ = imageButton(*script, kStepDown, local(523, 442, 541, 459), 16001010, 16001009, 497);
        deleteStep_ = imageButton(*script, kDeleteStep, local(523, 473, 541, 490), 16001008, 16001007, 498);
        captionBox_ = script->createEditBox(kCaption, local(23, 470, 245, 509), ui::EditBox::multiLine);
        actionList_ = grid(*script, kActionList, local(22, 148, 254, 431), {1, 13, 171, 19, 6, 31});
        scriptList_ = grid(*script, kScriptList, local(306, 375, 488, 490), {1, 4, 171, 19, 6, 29});
    }
    upload_ = addControl<UploadPage>(
        0, local(bounds.left, bounds.top, bounds.right, bounds.bottom), [](UploadPage&) {}, *this, parts_.upload);

    fillFaceGrids();
    fillActionList();
    state_.attachModel(parts_.model);
    enterPage(kFacePage);
    return ok;
}

void EditorScreen::languageChanged() {
    Widget::languageChanged();
    for (auto [button, text] :
         {std::pair{reset_, 482}, {turn_, 483}, {stepUp_, 496}, {stepDown_, 497}, {deleteStep_, 498}})
        if (button) button->tooltip = host().uiText(text);
    // Names in the grids and lists are in the language too.
    const int selectedAction = actionList_ ? actionList_->selected() : -1;
    fillActionList();
    if (actionList_) actionList_->select(selectedAction);
    fillScriptList();
    if (state_.page() >= 1 && state_.page() <= kBodyPartPage) fillItemGrid();
}

std::wstring EditorScreen::catalogueText(int kind, std::int32_t identifier) const {
    return text::wideFromUtf16(parts_.strings.text(kind, identifier));
}

// ---- Filling the grids ---------------------------------------------------------------

void EditorScreen::fillFaceGrids() {
    const std::int32_t skin = state_.skin() >= 0 ? state_.skin() : kDefaultSkin;
    if (skin == faceSkin_) return;
    faceSkin_ = skin;
    for (int list = 0; list < 2; ++list) {
        ui::ChoiceGrid* g = faceGrids_[static_cast<std::size_t>(list)];
        if (!g) continue;
        auto& pictures = facePictures_[static_cast<std::size_t>(list)];
        pictures.clear();
        std::vector<ui::ChoiceGrid::Cell> cells;
        for (const LayerOption* option : state_.faceOptions(list)) {
            pictures.push_back(
                cellPicture(faceOptionPicture(parts_.catalogue, parts_.archive, *option, skin, roomOf(kFaceLayout))));
            cells.push_back(cellOf(pictures.back(), L"", priceNote(option->price)));
        }
        g->setCells(std::move(cells));
        g->select(state_.faceSelection(list));
    }
}

EditorScreen::CellPicture EditorScreen::cellPicture(const ChoicePicture& picture) {
    CellPicture cell;
    if (picture.empty()) return cell;
    cell.texture = OwnedTexture(host().painter(),
                                makeTexture(host().painter(), picture.width, picture.height, picture.pixels.data()));
    cell.width = picture.width;
    cell.height = picture.height;
    return cell;
}

ui::ChoiceGrid::Cell EditorScreen::cellOf(const CellPicture& picture, std::wstring text, std::wstring note) {
    ui::ChoiceGrid::Cell cell;
    cell.picture = picture.texture.get();
    cell.pictureWidth = picture.width;
    cell.pictureHeight = picture.height;
    cell.text = std::move(text);
    cell.note = std::move(note);
    return cell;
}

void EditorScreen::fillItemGrid() {
    const int page = state_.page();
    if (!itemGrid_ || page < 1 || page > kBodyPartPage) return;
    // Pictures are made the first time a page shows, and again when the skin a hairstyle is
    // shown on has changed; names follow the language every time.
    auto& pictures = pagePictures_[static_cast<std::size_t>(page)];
    const std::int32_t skin = state_.skin() >= 0 ? state_.skin() : kDefaultSkin;
    std::int32_t& madeInSkin = pageSkins_[static_cast<std::size_t>(page)];
    if (madeInSkin != skin && pageOffers(page, kHairCategory)) pictures.clear();
    madeInSkin = skin;
    const bool makePictures = pictures.empty();
    const PictureRoom room = roomOf(kItemLayout);
    std::vector<ui::ChoiceGrid::Cell> cells;
    if (page == kBodyPartPage) {
        const auto& parts = state_.bodyParts();
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (makePictures) pictures.push_back(cellPicture(bodyPartPicture(parts_.archive, *parts[i], room)));
            cells.push_back(cellOf(pictures[i], catalogueText(1, parts[i]->identifier), priceNote(parts[i]->price)));
        }
    } else {
        const auto& items = state_.pageItems(page);
        for (std::size_t i = 0; i < items.size(); ++i) {
            const Item& item = *items[i];
            if (makePictures)
                pictures.push_back(
                    cellPicture(itemPicture(parts_.catalogue, parts_.archive, item, item.word0, skin, room)));
            cells.push_back(cellOf(pictures[i], catalogueText(0, item.category * 9000 + item.identifier + 100000),
                                   priceNote(item.price)));
        }
    }
    itemGrid_->setCells(std::move(cells));
    itemGrid_->select(state_.pageChoice(page).index);
}

void EditorScreen::fillActionList() {
    if (!actionList_) return;
    std::vector<ui::ChoiceGrid::Cell> cells;
    for (const Action& action : state_.actions()) {
        ui::ChoiceGrid::Cell cell;
        cell.text = catalogueText(2, action.identifier);
        if (cell.text.empty()) cell.text = std::to_wstring(action.identifier);
        if (action.price != 0) cell.text += L"  (" + std::to_wstring(action.price) + L")";
        cells.push_back(std::move(cell));
    }
    actionList_->setCells(std::move(cells));
}

void EditorScreen::fillScriptList() {
    if (!scriptList_) return;
    std::vector<ui::ChoiceGrid::Cell> cells;
    int number = 1;
    for (const ScriptStep& step : state_.script()) {
        ui::ChoiceGrid::Cell cell;
        std::wstring name = catalogueText(2, step.action);
        if (name.empty()) name = std::to_wstring(step.action);
        cell.text = std::to_wstring(number++) + L". " + name;
        if (!step.caption.empty()) cell.text += L": " + text::wideFromUtf16(step.caption);
        cells.push_back(std::move(cell));
    }
    scriptList_->setCells(std::move(cells));
    scriptList_->select(state_.selectedStep());
}

// ---- Pages -----------------------------------------------------------------------

ui::Point EditorScreen::previewCorner() const {
    switch (state_.page()) {
    case kScriptPage: return {306, 133};
    case kUploadPage: return {370, 133};
    default: return {370, 148};
    }
}

void EditorScreen::enterPage(int page) {
    state_.showPage(page);
    if (page >= 1 && page <= kBodyPartPage) fillItemGrid();
    if (page == kScriptPage) fillScriptList();
    syncControls();
    if (upload_) upload_->show(page == kUploadPage);
    // The focus stays only on a control that the page shows.
    if (ui::Control* focused = host().windowStack().focused();
        focused && holdsFocus(*focused) && !ui::shownOnWindow(*focused))
        host().windowStack().clearFocus();
}

void EditorScreen::syncControls() {
    const int page = state_.page();
    const bool face = page == kFacePage, items = page >= 1 && page <= kBodyPartPage, script = page == kScriptPage;
    for (int k = 0; k < 9; ++k) {
        ui::Button* tab = tabs_[static_cast<std::size_t>(k)];
        if (!tab) continue;
        tab->visible = state_.tabShown(k);
        const int left = bounds.left + kTabLeft + state_.tabOffset(k);
        tab->setBounds({left, kTabTop, left + 46, kTabTop + 32});
    }
    for (auto [panel, shown] : {std::pair{kFacePanel, face}, {kItemPanel, items}, {kScriptPanel, script}})
        if (ui::Panel* p = pagePanels_[panel]) p->visible = shown;
    if (reset_) reset_->visible = face || items;
    if (turn_) {
        turn_->visible = page <= kScriptPage;
        const ui::Point at = script ? ui::Point{490, 352} : ui::Point{556, 371};
        turn_->setBounds({at.x, at.y, at.x + 20, at.y + 15});
    }
    if (play_) {
        play_->visible = page <= kScriptPage;
        const ui::Point at = script ? ui::Point{409, 496} : ui::Point{480, 360};
        play_->setBounds({at.x, at.y, at.x + 24, at.y + 22});
    }
    if (scriptList_) scriptList_->select(state_.selectedStep());
    if (actionList_) actionList_->select(state_.selectedAction());
    for (int list = 0; list < 2; ++list)
        if (ui::ChoiceGrid* g = faceGrids_[static_cast<std::size_t>(list)]) g->select(state_.faceSelection(list));
}

void EditorScreen::pressTab(int tab) {
    if (tab < 0 || tab >= 9 || !state_.tabShown(tab)) return;
    enterPage(state_.nextPage(tab - 1));
}

void EditorScreen::pressNext() {
    const int page = state_.page();
    if (page == kUploadPage) {
        if (upload_) upload_->upload();
        return;
    }
    if (page == kScriptPage) {
        if (state_.script().empty()) {
            showDialog(kTextNoAction);
            return;
        }
        if (upload_) upload_->offerCaptions(state_.scriptCaptions());
    }
    enterPage(state_.nextPage(page));
}

void EditorScreen::showDialog(int textId) {
    (void)ui::showMessageDialog(host(), host().uiText(textId), host().uiText(kTextDialogTitle), ui::DialogStyle::okOnly,
                                0, 0);
}

void EditorScreen::askToStartOver() { askNewAvatarQuestion(kEditorNewAvatarAnswer); }

void EditorScreen::askNewAvatarQuestion(int answer) {
    pendingAction_ = answer;
    if (ui::MessageDialog* question = ui::showMessageDialog(
            host(), host().uiText(kTextStartOver), host().uiText(kTextDialogTitle), ui::DialogStyle::okCancel,
            static_cast<std::uintptr_t>(kEditorScreenId), answer))
        question->id = kEditorQuestionId;
}

void EditorScreen::startOver() {
    pendingAction_ = 0;
    closePictureScreen();
    closePreviewMenu();
    AvatarModel* fresh = parts_.avatars.startNewAvatar();
    state_.startOver(fresh);
    if (upload_) upload_->startOver();
    refreshAll();
}

void EditorScreen::closePictureScreen() {
    ui::WindowStack& stack = host().windowStack();
    if (ui::Widget* screen = stack.findWindow(kPictureScreenId)) stack.closeWindow(screen);
}

void EditorScreen::closePreviewMenu() {
    // Its choices were for the avatar being replaced.
    if (ui::Widget* menu = host().windowStack().findWindow(kPreviewMenuId)) menu->close();
}

void EditorScreen::refreshAll() {
    if (captionBox_) captionBox_->setEditText(L"");
    faceSkin_ = -2;
    fillFaceGrids();
    fillScriptList();
    if (actionList_) actionList_->select(state_.selectedAction());
    enterPage(state_.page());
}

void EditorScreen::onAvatarReply(std::span<const std::uint8_t> bytes) {
    AvatarReply reply;
    if (bytes.data() && reply.assign(bytes) && reply.decode()) {
        switch (reply.result) {
        case AvatarReply::Found: openStoredAvatar(reply.avatar); break;
        case AvatarReply::Failed: showDialog(455); break;
        case AvatarReply::Refused: showDialog(480); break;
        default: break;
        }
    }
    parts_.upload.server.closeServerConnection();
}

void EditorScreen::openStoredAvatar(const AvatarFields& avatar) {
    pendingAction_ = 0;
    closePictureScreen();
    closePreviewMenu();
    const LeftOut left = state_.loadStored(parts_.avatars.startNewAvatar(), avatar);
    if (upload_) upload_->startOver();
    refreshAll();
    if (left.any()) showNotice(kTextLeftOut);
}

// ---- Avatar codes and random dressing ----------------------------------------------

bool EditorScreen::openAvatarCode(std::string_view code) {
    const DecodedAvatarCode decoded = readCode(code, parts_.catalogue);
    if (decoded.refusal != CodeRefusal::none) {
        showNotice(refusalText(decoded.refusal));
        return false;
    }
    openStoredAvatar(decoded.avatar);
    return true;
}

void EditorScreen::askToOpenAvatarCode(std::string code) {
    const DecodedAvatarCode decoded = readCode(code, parts_.catalogue);
    if (decoded.refusal != CodeRefusal::none) {
        showNotice(refusalText(decoded.refusal));
        return;
    }
    pendingCode_ = std::move(code);
    askNewAvatarQuestion(kEditorOpenCodeAnswer);
}

void EditorScreen::copyAvatarCode() {
    const AvatarCodeResult result = encodeAvatarCode(state_.uploadFields());
    if (result.refusal != CodeRefusal::none) {
        showNotice(kTextNoCode);
        return;
    }
    host().putClipboardText(text::wideFromUtf16(text::utf16FromUtf8Replacing(result.code)));
    showNotice(kTextCodeOnClipboard);
}

void EditorScreen::pasteAvatarCode() {
    const std::optional<std::wstring> pasted = host().clipboardText();
    if (!pasted || pasted->size() > kLongestPastedText) {
        showNotice(kTextNotACode);
        return;
    }
    const DecodedAvatarCode decoded = readCode(text::utf8FromWide(*pasted), parts_.catalogue);
    if (decoded.refusal != CodeRefusal::none) {
        showNotice(refusalText(decoded.refusal));
        return;
    }
    const LeftOut left = state_.applyLook(decoded.avatar, LookTakes::everything);
    showChangedLook();
    if (left.any()) showNotice(kTextLeftOut);
}

RandomSource& EditorScreen::randomSource() {
    // The loop's time of the first random press, with the screen's address: no two sessions
    // are likely to dress alike.
    if (!random_)
        random_.emplace((std::uint64_t{host().loopTime()} << 32) ^ reinterpret_cast<std::uintptr_t>(this));
    return *random_;
}

void EditorScreen::dressAtRandom(bool pageOnly) {
    if (!dresser_) {
        const ColourTables& tables = parts_.archive.tables();
        dresser_.emplace(parts_.catalogue, tables.colour, &tables.skin);
    }
    // The guest account uploads only what costs nothing.
    const bool freeOnly = upload_ && upload_->guest();
    if (!state_.dressAtRandom(*dresser_, randomSource(), pageOnly ? state_.page() : -1, freeOnly)) return;
    showChangedLook();
}

void EditorScreen::showNotice(int textId) {
    noticeText_ = textId;
    noticePage_ = state_.page();
    noticeShownAt_ = host().loopTime();
}

std::wstring EditorScreen::helpBandText() const {
    const bool notice = noticeText_ != 0 && noticePage_ == state_.page() &&
                        !ticksElapsed(noticeShownAt_, host().loopTime(), kNoticeShownMs);
    return host().uiText(notice ? noticeText_ : kTextPageHelp + state_.page());
}

ImageRect EditorScreen::previewArea() const {
    const ui::Point corner = previewCorner();
    return {corner.x, corner.y, corner.x + kPreviewWidth, corner.y + kPreviewHeight};
}

void EditorScreen::showChangedLook() {
    faceSkin_ = -2;
    fillFaceGrids();
    if (state_.page() >= 1 && state_.page() <= kBodyPartPage) fillItemGrid();
    fillScriptList();
    // An outfit put on or taken off moves the tabs, and may hide the page shown.
    if (!state_.tabShown(state_.page()) && state_.page() < kUploadPage) enterPage(kOutfitPage);
    syncControls();
}

// ---- Input -------------------------------------------------------------------------

bool EditorScreen::onMessage(std::uint32_t message, ui::WParam wParam, ui::LParam lParam) {
    switch (message) {
    case WM_AVATAR_ACTION_END:
        state_.actionEnded(static_cast<std::uint16_t>(wParam), host().loopTime());
        if (scriptList_) scriptList_->select(state_.selectedStep());
        return true;
    case WM_DIALOG_OK:
    case WM_DIALOG_CANCEL:
        if (wParam == static_cast<ui::WParam>(kEditorScreenId) && lParam == kEditorNewAvatarAnswer &&
            pendingAction_ == kEditorNewAvatarAnswer) {
            if (message == WM_DIALOG_OK) startOver();
            else pendingAction_ = 0;
            return true;
        }
        if (wParam == static_cast<ui::WParam>(kEditorScreenId) && lParam == kEditorOpenCodeAnswer &&
            pendingAction_ == kEditorOpenCodeAnswer) {
            pendingAction_ = 0;
            if (message == WM_DIALOG_OK) (void)openAvatarCode(pendingCode_);
            pendingCode_.clear();
            return true;
        }
        break;
    case WM_AVATAR_REPLY:
        onAvatarReply({reinterpret_cast<const std::uint8_t*>(lParam), static_cast<std::size_t>(wParam)});
        return true;
    case ui::kLButtonDown:
    case ui::kRButtonDown:
        // A press anywhere ends the playback of the script.
        if (state_.playing()) {
            state_.stopPlaying();
            if (scriptList_) scriptList_->select(state_.selectedStep());
        }
        break;
    case ui::kChar: {
        const ui::Control* focused = host().windowStack().focused();
        // A focused edit box keeps these keys for its own text.
        if (focused && focused->kind == ui::ControlKind::editBox) break;
        switch (wParam) {
        case kCtrlZ:
        case kCtrlY:
            if (wParam == kCtrlZ ? state_.undo() : state_.redo()) showChangedLook();
            return true;
        case kCtrlC: copyAvatarCode(); return true;
        case kCtrlV: pasteAvatarCode(); return true;
        case kCtrlR: dressAtRandom(host().shiftDown()); return true;
        default: break;
        }
        break;
    }
    default: break;
    }
    if (message == ui::kLButtonDown) {
        const int x = ui::mouseX(lParam), y = ui::mouseY(lParam);
        if (onPalette(x, y) || (!childAt(x, y) && onPaymentLink(x, y))) return true;
    }
    if (message == ui::kRButtonDown) {
        const int x = ui::mouseX(lParam), y = ui::mouseY(lParam);
        if (previewArea().contains(x, y) && !childAt(x, y)) {
            const int page = state_.page();
            (void)PreviewMenu::open(*this, x, y, page >= kFacePage && page <= kBodyPartPage);
            return true;
        }
    }
    return Widget::onMessage(message, wParam, lParam);
}

bool EditorScreen::onPaymentLink(int x, int y) {
    ui::UiText* f = font();
    if (!f) return false;
    f->setText(host().uiText(kTextPayment));
    if (!ImageRect{637 - f->textWidth(), 71, 637, 91}.contains(x, y)) return false;
    parts_.upload.pictureScreen.web.openWebPage("my.aspx?mc=account&to=pay");
    return true;
}

bool EditorScreen::onPalette(int x, int y) {
    if (childAt(x, y)) return false;
    const int page = state_.page();
    if (page == kFacePage) {
        const int cell = paletteCellAt(x, y, kSkinCells);
        if (cell < 0) return false;
        state_.chooseSkin(cell);
        fillFaceGrids();
        return true;
    }
    if (page < 1 || page > 5) return false;
    const int cell = paletteCellAt(x, y, kColourCells);
    if (cell < 0) return false;
    // Only what the grid highlights is recoloured.
    if (itemGrid_ && itemGrid_->selected() >= 0) (void)state_.chooseColour(cell);
    return true;
}

int EditorScreen::paletteCellAt(int x, int y, int cells) {
    if (x < kPaletteLeft + 1 || y < kPaletteTop + 1) return -1;
    const int column = (x - kPaletteLeft - 1) / 22, row = (y - kPaletteTop - 1) / 17;
    if (column >= 9) return -1;
    const int cell = row * 9 + column;
    return cell < cells ? cell : -1;
}

void EditorScreen::onNotify(int code, int controlId, ui::Widget* sender) {
    if (controlId >= kFirstTabId && controlId < kFirstTabId + 9) {
        pressTab(controlId - kFirstTabId);
        return;
    }
    switch (controlId) {
    case kNext: pressNext(); return;
    case kReset:
        state_.reset();
        syncControls();
        if (state_.page() >= 1 && state_.page() <= kBodyPartPage && itemGrid_) itemGrid_->select(-1);
        return;
    case kTurn: state_.turn(); return;
    case kFaceGrid1:
    case kFaceGrid2:
        if (code == ui::kNotifyListSelection) {
            const int list = controlId == kFaceGrid1 ? 0 : 1;
            state_.chooseFaceOption(list, faceGrids_[static_cast<std::size_t>(list)]->selected());
        }
        return;
    case kItemGrid:
        if (code == ui::kNotifyListSelection) {
            const bool wasOutfit = state_.outfit();
            state_.chooseEntry(itemGrid_->selected());
            if (wasOutfit != state_.outfit()) syncControls();
        }
        return;
    case kActionList:
        if (code == ui::kNotifyListSelection) {
            state_.selectAction(actionList_->selected());
            if (scriptList_) scriptList_->select(state_.selectedStep());
        }
        return;
    case kScriptList:
        if (code == ui::kNotifyListSelection) state_.selectStep(scriptList_->selected());
        return;
    case kAddStep: {
        const std::u16string caption = captionBox_ ? text::utf16FromWide(captionBox_->editText()) : std::u16string();
        switch (state_.addStep(caption)) {
        case StepRefusal::noAction: showDialog(kTextNoAction); return;
        case StepRefusal::tooLong: showDialog(kTextTooLong); return;
        case StepRefusal::tooLargeToUpload: showDialog(kTextTooLargeToUpload); return;
        case StepRefusal::none: break;
        }
        if (captionBox_) captionBox_->setEditText(L"");
        fillScriptList();
        if (actionList_) actionList_->select(-1);
        return;
    }
    case kStepUp:
    case kStepDown:
        state_.moveStep(controlId == kStepUp ? -1 : 1);
        fillScriptList();
        return;
    case kDeleteStep:
        state_.deleteStep();
        fillScriptList();
        return;
    case kPlay:
        state_.play();
        if (scriptList_) scriptList_->select(state_.selectedStep());
        return;
    case kMenuCopyCode: copyAvatarCode(); return;
    case kMenuPasteCode: pasteAvatarCode(); return;
    case kMenuRandomFigure: dressAtRandom(false); return;
    case kMenuRandomPage: dressAtRandom(true); return;
    default: break;
    }
    Widget::onNotify(code, controlId, sender);
}

// ---- Drawing -----------------------------------------------------------------------

DueIn EditorScreen::advance(Tick now) {
    state_.update(now);
    if (scriptList_ && scriptList_->selected() != state_.selectedStep()) scriptList_->select(state_.selectedStep());
    DueIn next = Widget::advance(now).orSooner(state_.nextStepDue(now));
    if (noticeText_ != 0) {
        // The page's help line comes back when the message's time is over.
        const std::uint32_t left = ticksLeft(noticeShownAt_, now, kNoticeShownMs);
        if (left == 0 || noticePage_ != state_.page()) noticeText_ = 0;
        else next = next.orSooner(DueIn::in(left));
    }
    return next;
}

void EditorScreen::draw(Painter& painter) {
    if (!visible) return;
    if (scriptList_ && scriptList_->selected() != state_.selectedStep()) scriptList_->select(state_.selectedStep());
    setColour(painter, 0xFFFFFFFFu);
    drawNinePatch(painter, frame_, bounds.left, bounds.top);
    drawPreview(painter);
    drawPalette(painter);
    drawTexts(painter);
    drawPaymentLink(painter);
    for (int k = 0; k < 9; ++k)
        if (ui::Button* tab = tabs_[static_cast<std::size_t>(k)]; tab && tab->visible)
            tab->pressed = state_.nextPage(k - 1) == state_.page();
    Widget::draw(painter);
}

void EditorScreen::drawPreview(Painter& painter) {
    const ui::Point corner = previewCorner();
    drawPicture(painter, backdrop_, corner.x, corner.y);
    setColour(painter, 0xFFFFFFFFu);
    if (AvatarModel* model = state_.model())
        model->drawAvatar(painter, corner.x + kAvatarFromCornerX, corner.y + kAvatarFromCornerY);
}

void EditorScreen::drawPaymentLink(Painter& painter) {
    ui::UiText* f = font();
    if (!f) return;
    f->setText(host().uiText(kTextPayment));
    f->draw(painter, 637 - f->textWidth(), 86, Colour::fromPacked(kLink));
}

void EditorScreen::drawPalette(Painter& painter) {
    const int page = state_.page();
    if (page > 5) return;
    const bool skinPage = page == kFacePage;
    const SkinImage& palette = skinPage ? skinPalette_ : colourPalette_;
    drawPicture(painter, palette, kPaletteLeft, kPaletteTop);
    const int marked = skinPage ? state_.skin() : state_.pageChoice(page).colour;
    if (marked < 0 || (!skinPage && state_.pageChoice(page).index < 0)) return;
    const int left = kPaletteLeft + 1 + (marked % 9) * 22, top = kPaletteTop + 1 + (marked / 9) * 17;
    outline(painter, {left, top, left + 22, top + 17}, kMark);
    outline(painter, {left + 1, top + 1, left + 21, top + 16}, 0xFFFFFFFFu);
}

void EditorScreen::drawTexts(Painter& painter) {
    ui::UiText* f = font();
    if (!f) return;
    const int page = state_.page();
    auto write = [&](int textId, int x, int y, std::uint32_t colour) {
        f->setText(host().uiText(textId));
        f->draw(painter, x, y, Colour::fromPacked(colour));
    };
    write(kTextPageTitle + page, 20, 129, kInk);
    // The help line runs along the bottom band; a message takes its place for a while.
    f->setText(helpBandText());
    f->draw(painter, 20, bounds.bottom - 6, Colour::fromPacked(kSoftInk));

    f->setText(text::withNumber(host().uiText(kTextOutfitPrice), state_.price()));
    f->draw(painter, 637 - f->textWidth(), 129, Colour::fromPacked(kInk));

    if (page == kFacePage) {
        write(kTextEyes, 27, 148, kSoftInk);
        write(kTextMouth, 27, 336, kSoftInk);
        write(kTextSkin, kPaletteLeft, kPaletteTop - 4, kSoftInk);
    } else if (page >= 1 && page <= 5) {
        write(kTextColour, kPaletteLeft, kPaletteTop - 4, kSoftInk);
    } else if (page == kScriptPage) {
        write(kTextActions, 28, 171, kInk);
        write(kTextScript, 312, 396, kInk);
        write(kTextWords, 23, 465, kSoftInk);
        f->setText(text::withNumber(host().uiText(kTextLength), state_.scriptLength()));
        f->draw(painter, 482 - f->textWidth(), 396, Colour::fromPacked(kSoftInk));
    }
}

}  // namespace likenex
