#include "screens/PictureScreen.h"

#include "avatar/AvatarModel.h"
#include "avatar/ExportPictures.h"
#include "avatar/ScriptAnimation.h"
#include "base/Text.h"
#include "base/Tick.h"
#include "base/WindowMessages.h"
#include "net/AvatarCode.h"
#include "screens/AvatarPlacement.h"
#include "screens/TextIds.h"
#include "ui/MessageDialog.h"

#include <algorithm>
#include <cstring>

namespace likenex {
namespace {

constexpr ui::SkinIds kScreenFrame = {16001075, 16001067, 16001068, 16001069, 16001070,
                                      16001071, 16001072, 16001073, 16001074};
constexpr ui::SkinIds kFieldFrame = {4002001, 4002002, 4002003, 4002004, 4002005, 4002006, 4002007, 4002008, 4002009};
constexpr std::uint32_t kBackdrop = 16001090, kChatFrame = 16001121, kCoin = 5006008;
constexpr int kCopy = 200, kReplay = 201, kOpen = 202, kFolder = 203, kOpenToo = 205, kClose = 206;
constexpr std::intptr_t kChatAnswer = 1, kCloseAnswer = 2;
constexpr ImageRect kPictureArea = {536, 206, 632, 302};
constexpr std::uint32_t kBlack = 0xFF000000u, kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu;

// A read-only field: a disabled edit box in the picture screen's own frame.
class ReadOnlyField : public ui::EditBox {
public:
    using ui::EditBox::EditBox;
    bool loadSkin() override { return loadNinePatch(kFieldFrame); }
};

struct FieldPlace {
    std::int32_t id;
    ImageRect rect;
    ui::EditBox::Mode mode;
    bool margin;
};
constexpr FieldPlace kFields[] = {{101, {41, 79, 272, 101}, ui::EditBox::singleLine, true},
                                  {102, {41, 123, 272, 163}, ui::EditBox::multiLine, false},
                                  {109, {41, 184, 272, 204}, ui::EditBox::singleLine, true},
                                  {103, {41, 222, 272, 282}, ui::EditBox::multiLine, false},
                                  {104, {41, 300, 272, 340}, ui::EditBox::multiLine, false},
                                  {105, {41, 358, 133, 378}, ui::EditBox::singleLine, true},
                                  {106, {143, 358, 235, 378}, ui::EditBox::singleLine, true},
                                  {107, {41, 399, 133, 419}, ui::EditBox::singleLine, true},
                                  {108, {380, 327, 472, 347}, ui::EditBox::singleLine, true},
                                  {kAvatarCodeField, {380, 370, 500, 390}, ui::EditBox::singleLine, true}};

// Field captions: text, field, and where the caption's baseline is relative to the screen.
struct Caption {
    int text;
    int x, y;
};
constexpr Caption kCaptions[] = {
    {405, 41, 75},  {406, 41, 119},  {407, 41, 180}, {408, 41, 218},  {409, 41, 296},
    {410, 41, 354}, {411, 143, 354}, {412, 41, 395}, {421, 380, 323}, {kTextStoredCode, 380, 366}};

}  // namespace

std::vector<std::uint8_t> exportCrop(const std::uint8_t* snapshot) {
    std::vector<std::uint8_t> picture(static_cast<std::size_t>(kExportSize) * kExportSize * 4);
    if (!snapshot) return picture;
    for (int i = 0; i < kExportSize; ++i) {
        const std::uint8_t* row = snapshot + (static_cast<std::size_t>(121 - i) * kSnapshotSize + 80) * 4;
        std::memcpy(picture.data() + static_cast<std::size_t>(i) * kExportSize * 4, row, kExportSize * 4);
    }
    return picture;
}

PictureScreen::PictureScreen(ui::UiHost& host, Parts parts) : ui::Widget(host), parts_(parts) { id = kPictureScreenId; }

PictureScreen::~PictureScreen() = default;

bool PictureScreen::loadSkin() {
    const bool ok = loadNinePatch(kScreenFrame);
    clientRect = {0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
    (void)loadImage(kBackdrop, backdrop_);
    (void)loadImage(kChatFrame, frame_);
    (void)loadImage(kCoin, coin_);
    (void)createLabel(1, L"", {310, 63, 517, 281});
    struct Tool {
        int id;
        ImageRect rect;
        std::uint32_t normal, pressed;
    };
    for (const Tool& t :
         {Tool{kOpen, {277, 125, 295, 142}, 16001092, 16001093}, Tool{kCopy, {277, 143, 295, 160}, 16001077, 16001076},
          Tool{kFolder, {277, 187, 293, 200}, 16001106, 16001107},
          Tool{kCopyCodeButton, {505, 372, 523, 389}, 16001077, 16001076},
          Tool{kReplay, {436, 289, 460, 311}, 16001006, 16001005},
          Tool{kOpenToo, {590, 320, 636, 352}, 16001118, 16001117},
          Tool{kClose, {590, 375, 636, 407}, 16001116, 16001115}}) {
        if (ui::Button* b = createButton(t.id, L"", t.rect, ui::Button::image)) {
            const std::uint32_t pictures[] = {t.normal, t.pressed};
            (void)b->setButtonImages(pictures);
        }
    }
    for (const FieldPlace& f : kFields) {
        auto* box = new ReadOnlyField(host());
        box->mode = f.mode;
        box->setBounds({f.rect.left + bounds.left, f.rect.top + bounds.top, f.rect.right + bounds.left,
                        f.rect.bottom + bounds.top});
        box->id = f.id;
        box->enabled = false;
        if (addChild(box) == ui::kStatusOk && f.margin) box->setMargin(4);
    }
    setField(109, parts_.pictures.pictureFolder());
    const Settings& settings = parts_.settings.settings();
    if (settings.rememberLogin) setField(108, text::wideFromUtf16(settings.userNameText()));
    return ok;
}

ui::EditBox* PictureScreen::fieldBox(std::int32_t fieldId) const {
    for (const auto& child : children())
        if (child->id == fieldId && child->kind == ui::ControlKind::editBox)
            return static_cast<ui::EditBox*>(child.get());
    return nullptr;
}

void PictureScreen::setField(std::int32_t fieldId, std::wstring_view text) {
    if (ui::EditBox* box = fieldBox(fieldId)) box->setEditText(text);
}

std::wstring PictureScreen::field(std::int32_t fieldId) const {
    const ui::EditBox* box = fieldBox(fieldId);
    return box ? box->editText() : std::wstring();
}

void PictureScreen::showAvatarCode(const AvatarFields& stored) {
    const AvatarCodeResult result = encodeAvatarCode(stored);
    // A code is plain ASCII.
    const std::wstring code(result.code.begin(), result.code.end());
    setField(kAvatarCodeField, result.refusal == CodeRefusal::none ? code : std::wstring());
}

bool PictureScreen::exportPicture() {
    const auto& list = parts_.pictures.pictureList();
    if (list.empty() || !model_) return false;
    // Whatever the model, the encoders or the file writes throw ends the export as a failure;
    // the frame loop that called the editor never sees it.
    try {
        return exportPictureFiles(list);
    } catch (...) {
        return false;
    }
}

bool PictureScreen::exportPictureFiles(const std::vector<PictureEntry>& list) {
    if (model_->playAction(list.front().action, model_->direction(), true)) (void)model_->playSpan(0, 0, true);
    const std::uint8_t* snapshot = model_->takeSnapshot();
    if (!snapshot) return false;
    const std::vector<std::uint8_t> picture = exportCrop(snapshot);
    const std::optional<std::wstring> path = parts_.pictures.writePicture(picture);
    if (!path) return false;
    parts_.pictures.lastPicturePath() = *path;
    // Beside the BMP: the same crop with transparency, and the whole script animated. Both
    // draw without touching the model's clock, its reports or the snapshot just taken. The
    // BMP stays the last exported picture when either of them cannot be written, but the
    // export as a whole then reports failure.
    const std::wstring stem = path->ends_with(L".bmp") ? path->substr(0, path->size() - 4) : *path;
    bool written = parts_.pictures.writeFile(stem + L".png", transparentExportPng(*model_));
    std::vector<ScriptStep> script;
    for (const PictureEntry& entry : list) script.push_back({entry.action, entry.caption});
    const std::vector<std::uint8_t> animation = scriptAnimationPng(*model_, std::move(script));
    written = !animation.empty() && parts_.pictures.writeFile(stem + L"_anim.png", animation) && written;
    // The frame beside the fields shows what was exported; textures are stored bottom row first.
    std::vector<std::uint8_t> bottomUp(picture.size());
    for (int row = 0; row < kExportSize; ++row)
        std::memcpy(bottomUp.data() + static_cast<std::size_t>(row) * kExportSize * 4,
                    picture.data() + static_cast<std::size_t>(kExportSize - 1 - row) * kExportSize * 4,
                    kExportSize * 4);
    exported_ =
        OwnedTexture(host().painter(), makeTexture(host().painter(), kExportSize, kExportSize, bottomUp.data()));
    return written;
}

// ---- Replay ----------------------------------------------------------------------

void PictureScreen::playEntry(int index) {
    nextEntryAt_.reset();
    const auto& list = parts_.pictures.pictureList();
    if (!model_ || index < 0 || static_cast<std::size_t>(index) >= list.size()) return;
    const PictureEntry& entry = list[static_cast<std::size_t>(index)];
    if (model_->playAction(entry.action, model_->direction(), true)) (void)model_->playSpan(0, 0, false);
    // Each step says its caption, as the editor's own playback and the animated export do.
    (void)model_->say(&entry.caption, 0, static_cast<int>(kCaptionDurationMs));
}

void PictureScreen::stopReplay() {
    replaying_ = false;
    replayIndex_ = 0;
    nextEntryAt_.reset();
    if (model_ && model_->playAction(kStandingAction, model_->direction(), true)) (void)model_->playSpan(0, 0, true);
}

void PictureScreen::update(std::uint32_t now) {
    if (replaying_ && nextEntryAt_ && ticksBetween(*nextEntryAt_, now) >= kStepPauseMs) playEntry(replayIndex_);
}

// ---- Input -------------------------------------------------------------------------

PictureScreen::Link PictureScreen::linkAt(int x, int y) {
    if (ui::UiText* f = font()) {
        f->setText(host().uiText(kTextPayment));
        if (ImageRect{138, 471, 156 + f->textWidth(), 491}.contains(x, y)) return Link::payment;
    }
    if (kPictureArea.contains(x, y) ||
        ImageRect{kPictureArea.left - 10, 307, kPictureArea.right + 10, 338}.contains(x, y))
        return Link::picture;
    return Link::none;
}

bool PictureScreen::onMessage(std::uint32_t message, ui::WParam wParam, ui::LParam lParam) {
    const bool ours = wParam == static_cast<ui::WParam>(kPictureScreenId);
    switch (message) {
    case WM_DIALOG_OK:
        if (!ours) break;
        if (lParam == kChatAnswer) {
            const std::wstring& path = parts_.pictures.lastPicturePath();
            if (!parts_.chat.sendChatCommand(L"set avatar 1 " + path))
                (void)ui::showMessageDialog(host(), host().uiText(kTextChatFailed), host().uiText(kTextDialogTitle),
                                            ui::DialogStyle::okOnly, 0, 0);
        } else if (lParam == kCloseAnswer) {
            // Back to the editor, which goes on with the avatar as it is.
            parts_.pictures.pictureList().clear();
            close();
        }
        return true;
    case WM_DIALOG_CANCEL:
        if (!ours) break;
        if (lParam == kCloseAnswer) close();  // the stored avatar stays as it was stored
        return true;
    case WM_AVATAR_ACTION_END:
        if (!replaying_) break;
        if (++replayIndex_ < static_cast<int>(parts_.pictures.pictureList().size())) nextEntryAt_ = host().loopTime();
        else stopReplay();
        return true;
    case ui::kLButtonDown:
    case ui::kRButtonDown:
        if (replaying_) stopReplay();
        if (message == ui::kLButtonDown) {
            switch (linkAt(ui::mouseX(lParam), ui::mouseY(lParam))) {
            case Link::payment: parts_.web.openWebPage("/my.aspx?mc=account&to=pay"); return true;
            case Link::picture:
                (void)ui::showMessageDialog(host(), host().uiText(kTextUseAsChatPicture),
                                            host().uiText(kTextDialogTitle), ui::DialogStyle::okCancel,
                                            static_cast<std::uintptr_t>(kPictureScreenId), kChatAnswer);
                return true;
            case Link::none: break;
            }
        }
        break;
    default: break;
    }
    return Widget::onMessage(message, wParam, lParam);
}

void PictureScreen::onNotify(int code, int controlId, ui::Widget* sender) {
    switch (controlId) {
    case kCopy:
        host().putClipboardText(field(102));
        (void)ui::showMessageDialog(host(), host().uiText(kTextCopied), host().uiText(kTextDialogTitle),
                                    ui::DialogStyle::okOnly, 0, 0);
        return;
    case kCopyCodeButton: {
        const std::wstring code = field(kAvatarCodeField);
        if (code.empty()) return;
        host().putClipboardText(code);
        (void)ui::showMessageDialog(host(), host().uiText(kTextStoredCodeCopied), host().uiText(kTextDialogTitle),
                                    ui::DialogStyle::okOnly, 0, 0);
        return;
    }
    case kReplay:
        if (parts_.pictures.pictureList().empty()) return;
        replaying_ = true;
        replayIndex_ = 0;
        playEntry(0);
        return;
    case kOpen:
    case kOpenToo: {
        parts_.web.openAddress(parts_.codePage.toCodePage(text::utf16FromWide(field(102))));
        return;
    }
    case kFolder: parts_.web.openFolder(field(109)); return;
    case kClose:
        (void)ui::showMessageDialog(host(), host().uiText(kTextBackToEditor), host().uiText(kTextDialogTitle),
                                    ui::DialogStyle::yesNoCancel, static_cast<std::uintptr_t>(kPictureScreenId),
                                    kCloseAnswer);
        return;
    default: break;
    }
    Widget::onNotify(code, controlId, sender);
}

void PictureScreen::mouseMove(int x, int y) {
    hovered_ = linkAt(x, y);
    if (hovered_ != Link::none) host().showHandCursor();
    Widget::mouseMove(x, y);
}

// ---- Drawing -----------------------------------------------------------------------

DueIn PictureScreen::advance(Tick now) {
    update(now);
    DueIn next = Widget::advance(now);
    if (replaying_ && nextEntryAt_) next = next.orSooner(DueIn::in(ticksLeft(*nextEntryAt_, now, kStepPauseMs)));
    return next;
}

void PictureScreen::draw(Painter& painter) {
    if (!visible) return;
    Widget::draw(painter);
    auto picture = [&](const SkinImage& image, int left, int top) {
        if (!image.texture) return;
        painter.setColour(Colour::fromPacked(0xFFFFFFFFu));
        painter.drawImage(&image.texture, left, top, left + image.width, top + image.height);
    };
    const int left = bounds.left, top = bounds.top;
    picture(backdrop_, left + 310, top + 63);
    if (model_) model_->drawAvatar(painter, left + 310 + kAvatarFromCornerX, top + 63 + kAvatarFromCornerY);
    if (exported_) {
        painter.setColour(Colour::fromPacked(0xFFFFFFFFu));
        const TextureHandle texture = exported_.get();
        painter.drawImage(&texture, kPictureArea.left, kPictureArea.top, kPictureArea.right, kPictureArea.bottom);
    }
    picture(frame_, kPictureArea.left, kPictureArea.top);
    picture(coin_, 138, 473);
    ui::UiText* f = font();
    if (!f) return;
    f->setText(host().uiText(kTextStored));
    f->draw(painter, left + 41, top + 40, Colour::fromPacked(kBlack));
    for (const Caption& c : kCaptions) {
        f->setText(host().uiText(c.text));
        f->draw(painter, left + c.x, top + c.y, Colour::fromPacked(kBlack));
    }
    f->setText(host().uiText(kTextReplay));
    f->draw(painter, left + 466, top + 304, Colour::fromPacked(kBlack));
    const std::uint32_t link = hovered_ == Link::payment ? kRed : kBlue;
    f->setText(host().uiText(kTextPayment));
    f->draw(painter, 156, 486, Colour::fromPacked(link));
    const std::uint32_t chat = hovered_ == Link::picture ? kRed : kBlue;
    for (auto [text, y] :
         {std::pair<std::wstring, int>{host().uiText(kTextChatCaption), 319}, {L"Skype picture", 335}}) {
        f->setText(text);
        f->draw(painter, 584 - f->textWidth() / 2, y, Colour::fromPacked(chat));
    }
}

}  // namespace likenex
