#include "screens/FrameWindows.h"

#include "render/Painter.h"
#include "screens/TextIds.h"
#include "ui/WindowStack.h"

namespace likenex {
namespace {

constexpr std::array<int, 5> kLanguageTexts = {476, 477, 478, 479, 481};
constexpr std::array<int, 4> kToolbarCaptions = {417, 418, 419, 420};
constexpr std::array<int, 4> kToolbarCaptionCentres = {36, 87, 141, 197};
constexpr std::uint32_t kLogo = 16001109, kAboutPicture = 16001110;
constexpr ui::SkinIds kFrameSkin = {16001103, 16001104, 16001105, 2001001, 2001001, 2001001, 2001001, 2001001, 2001001};
constexpr ui::SkinIds kAboutSkin = {16001103, 16001104, 16001105, 14004004, 14004005,
                                    14004006, 14004007, 14004008, 14004009};

constexpr std::uint32_t kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;

void drawPicture(Painter& painter, const SkinImage& picture, int left, int top) {
    if (!picture.texture) return;
    painter.setColour(Colour::fromPacked(kWhite));
    painter.drawImage(&picture.texture, left, top, left + picture.width, top + picture.height);
}

void drawCentred(Painter& painter, ui::UiText* font, const std::wstring& text, int centreX, int y,
                 std::uint32_t colour) {
    if (!font || text.empty()) return;
    font->setText(text);
    font->draw(painter, centreX - font->textWidth() / 2, y, Colour::fromPacked(colour));
}

}  // namespace

// ---- MainFrame -----------------------------------------------------------------------

bool MainFrame::loadSkin() {
    const bool framed = loadNinePatch(kFrameSkin);
    clientRect = {0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
    const int w = host().clientWidth();
    struct Tool {
        std::int32_t id;
        ImageRect rect;
        std::uint32_t normal, pressed;
    };
    const std::array<Tool, 6> tools = {{{101, {w - 40, 5, w - 24, 21}, 500007006, 500007005},
                                        {4, {w - 21, 5, w - 5, 21}, 0, 0},
                                        {201, {21, 21, 53, 53}, 16001041, 16001040},
                                        {203, {71, 21, 103, 53}, 16001053, 16001052},
                                        {204, {126, 21, 158, 53}, 16001047, 16001046},
                                        {205, {182, 21, 214, 53}, 16001002, 16001001}}};
    for (std::size_t i = 0; i < tools.size(); ++i) {
        const Tool& t = tools[i];
        ui::Button* button = createButton(t.id, L"", t.rect, t.normal ? ui::Button::image : ui::Button::ninePatch);
        toolbar_[i] = button;
        if (button && t.normal) {
            const std::uint32_t pictures[] = {t.normal, t.pressed};
            (void)button->setButtonImages(pictures);
        }
    }
    (void)loadImage(kLogo, logo_);
    return framed;
}

bool MainFrame::onMessage(std::uint32_t message, ui::WParam wParam, ui::LParam lParam) {
    if (Widget::onMessage(message, wParam, lParam)) return true;
    if (message != ui::kLButtonDown) return false;
    const int y = ui::mouseY(lParam), x = ui::mouseX(lParam);
    const int w = host().clientWidth(), h = host().clientHeight();
    if (!ImageRect{0, 0, w, kTitleBandHeight}.contains(x, y) &&
        !ImageRect{0, h - kStatusBandHeight, w, h}.contains(x, y))
        return false;
    parts_.window.moveWindowWithMouse();
    return true;
}

void MainFrame::openOrRaise(std::int32_t id, int halfWidth, int halfHeight) {
    ui::WindowStack& stack = host().windowStack();
    if (ui::Widget* open = stack.findWindow(id)) {
        stack.bringToFront(open);
        return;
    }
    const int w = host().clientWidth(), h = host().clientHeight();
    const ImageRect rect{w / 2 - halfWidth, h / 2 - halfHeight, w / 2 + halfWidth, h / 2 + halfHeight};
    std::unique_ptr<ui::Widget> window;
    if (id == kLanguageWindowId) window = std::make_unique<LanguageWindow>(host(), parts_.settings);
    else window = std::make_unique<AboutWindow>(host(), parts_.web, parts_.server);
    stack.bringToFront(stack.openWindow(stack.root(), rect, true, std::move(window)));
}

void MainFrame::onNotify(int code, int controlId, ui::Widget* sender) {
    ui::WindowStack& stack = host().windowStack();
    switch (controlId) {
    case 101: parts_.window.hideToTray(); break;
    case 4: parts_.window.askToQuit(); return;  // the frame stays open: the answer decides
    case 201:
        for (std::int32_t id : {kLanguageWindowId, kAboutWindowId})
            if (ui::Widget* open = stack.findWindow(id)) stack.closeWindow(open);
        if (newAvatarQuestion_) newAvatarQuestion_->askToStartOver();
        break;
    case 203: parts_.web.openWebPage("/?c=search&type=0"); break;
    case 204: openOrRaise(kLanguageWindowId, 127, 68); break;
    case 205: openOrRaise(kAboutWindowId, 157, 137); break;
    default: break;
    }
    Widget::onNotify(code, controlId, sender);
}

void MainFrame::draw(Painter& painter) {
    Widget::draw(painter);
    const int width = bounds.right - bounds.left;
    drawPicture(painter, logo_, bounds.left + (width - logo_.width) / 2, bounds.top + 15);
    for (std::size_t i = 0; i < kToolbarCaptions.size(); ++i)
        drawCentred(painter, font(), host().uiText(kToolbarCaptions[i]), bounds.left + kToolbarCaptionCentres[i],
                    bounds.top + 61, kBlack);
}

// ---- FramedDialog --------------------------------------------------------------------

void FramedDialog::dragTo(int x, int y) {
    const int h = host().clientHeight();
    if (y < kTitleBandHeight || y >= h - kStatusBandHeight) return;
    Widget::dragTo(x, y);
}

void FramedDialog::addConfirmButton() {
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    createButton(2, host().uiText(kTextOk), {width / 2 - 27, height - 30, width / 2 + 27, height - 10});
}

// ---- LanguageWindow ------------------------------------------------------------------

bool LanguageWindow::loadSkin() {
    const bool framed = Widget::loadSkin();
    id = kLanguageWindowId;
    clientRect = {9, 28, 245, 137};
    addConfirmButton();
    list_ = createListBox(101, {80, 60, 200, 76});
    if (list_) {
        for (int text : kLanguageTexts) (void)list_->addEntry(host().uiText(text).c_str(), text);
        (void)list_->selectEntry(settings_.language());
    }
    return framed;
}

void LanguageWindow::onNotify(int code, int controlId, ui::Widget* sender) {
    if (controlId == 2 && list_ && list_->selected() >= 0) settings_.changeLanguage(list_->selected());
    Widget::onNotify(code, controlId, sender);
}

void LanguageWindow::draw(Painter& painter) {
    Widget::draw(painter);
    if (ui::UiText* f = font()) {
        f->setText(host().uiText(kTextChooseLanguage));
        f->draw(painter, bounds.left + 81, bounds.top + 45, Colour::fromPacked(kBlack));
    }
}

// ---- AboutWindow ---------------------------------------------------------------------

bool AboutWindow::loadSkin() {
    id = kAboutWindowId;
    const bool framed = loadNinePatch(kAboutSkin);
    addConfirmButton();
    (void)loadImage(kLogo, logo_);
    (void)loadImage(kAboutPicture, picture_);
    return framed;
}

ImageRect AboutWindow::linkRect(Link link) {
    ui::UiText* f = font();
    if (!f || link == none) return {};
    const std::wstring text = link == address  ? web_.webAddressText()
                              : link == update ? host().uiText(kTextUpdate)
                                               : host().uiText(kTextHelp);
    f->setText(text);
    const int w = f->textWidth();
    const int c = (bounds.right - bounds.left) / 2;
    const int top = link == address ? 81 : link == update ? 127 : 150;
    return {bounds.left + c - w / 2, bounds.top + top, bounds.left + c + w / 2, bounds.top + top + 18};
}

AboutWindow::Link AboutWindow::linkAt(int x, int y) {
    for (Link link : {address, update, help})
        if (linkRect(link).contains(x, y)) return link;
    return none;
}

void AboutWindow::mouseMove(int x, int y) {
    if (linkAt(x, y) != none) host().showHandCursor();
    Widget::mouseMove(x, y);
}

bool AboutWindow::onMessage(std::uint32_t message, ui::WParam wParam, ui::LParam lParam) {
    if (message == ui::kLButtonDown) {
        switch (linkAt(ui::mouseX(lParam), ui::mouseY(lParam))) {
        case address: web_.openWebPage("/"); return true;
        case help: web_.openWebPage("/?c=help"); return true;
        case update:
            server_.requestVersionCheck();
            close();
            return true;
        case none: break;
        }
    }
    return Widget::onMessage(message, wParam, lParam);
}

void AboutWindow::draw(Painter& painter) {
    Widget::draw(painter);
    const int width = bounds.right - bounds.left;
    drawPicture(painter, logo_, bounds.left + (width - logo_.width) / 2, bounds.top + 15);
    drawPicture(painter, picture_, bounds.left + (width - picture_.width) / 2, bounds.top + 176);
    ui::UiText* f = font();
    const std::optional<ui::Point> cursor = host().cursorPosition();
    const bool overAddress = cursor && linkRect(address).contains(cursor->x, cursor->y);
    const int c = bounds.left + width / 2;
    drawCentred(painter, f, web_.webAddressText(), c, bounds.top + 95, overAddress ? 0xFFFF0000u : 0xFF0000FFu);
    drawCentred(painter, f, host().uiText(kTextUpdate), c, bounds.top + 141, 0xFF0000FFu);
    drawCentred(painter, f, host().uiText(kTextHelp), c, bounds.top + 164, 0xFF0000FFu);
    drawCentred(painter, f, host().uiText(kTextVersion) + L" 1.1", c, bounds.top + 118, kBlack);
}

}  // namespace likenex
