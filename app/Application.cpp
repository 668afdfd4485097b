#include "app/Application.h"

#include "app/TestSeams.h"
#include "avatar/AvatarModel.h"
#include "base/Text.h"
#include "base/WindowMessages.h"
#include "catalogue/StringTable.h"
#include "net/Messages.h"
#include "screens/AvatarStage.h"
#include "screens/EditorScreen.h"
#include "screens/FrameWindows.h"
#include "ui/EditBox.h"
#include "ui/InterfaceArchive.h"
#include "ui/MessageDialog.h"

#include <cstdio>

namespace likenex {

Application::Application() = default;

Application::~Application() { closeWindows(); }

void Application::closeWindows() {
    ui::WindowStack& stack = uiHost_.windowStack();
    stack.closeAllWindows();
    if (ui::Widget* root = stack.root()) stack.closeWindow(root);
    stack.destroyClosed();
}

bool Application::routeThroughWindowStack(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    return uiHost_.windowStack().route(message, wParam, static_cast<ui::LParam>(lParam));
}

void Application::setCommandLineRequest(const CommandLineRequest& request) {
    server_.setEndpoint(request.endpoint);
    pendingAvatarId_ = request.pendingAvatarId;
    editRequested_ = request.editRequested;
    pendingAvatarCode_ = request.pendingAvatarCode;
}

DueIn Application::advanceClocks(Tick now) {
    // The edited avatar's clock runs here whoever shows it, so that it is moved on once a tick
    // and keeps its time, and its end-of-action reports, while nothing shows it.
    DueIn next = DueIn::never();
    if (const auto& model = data_.avatarModel) next = model->advanceClock();
    return next.orSooner(uiHost_.windowStack().advanceWindows(now));
}

void Application::updateFrame() {
    testSeams::raiseRequestedFrameFault();
    // Pictures are drawn untinted, whatever the last frame's texts left in force.
    painter().setColour(Colour::fromPacked(0xFFFFFFFFu));
    // A screen may show the avatar in a preview area of its own (the editor does); without one
    // (the widget gallery) the avatar stands where that area is.
    if (!avatarShownByScreen(windowStack())) {
        drawPreviewBackdrop();
        if (const auto& model = data_.avatarModel) model->drawAvatar(painter(), kPreviewAvatarX, kPreviewAvatarY);
    }
    testSeams::beginWindowDrawing(painter());
    uiHost_.windowStack().drawWindows(painter());
    testSeams::endWindowDrawing(painter());
    if (!firstFrameNoted_) {
        firstFrameNoted_ = true;
        noteFirstFrame();
    }
}

void Application::drawPreviewBackdrop() {
    SkinImage backdrop;
    if (data_.interfaceArchive.getImage(kPreviewBackdropSkin, backdrop)) drawImageAt(painter(), backdrop, 370, 148);
}

void Application::noteFirstFrame() {
#ifdef LIKENEX_TEST_SEAMS
    // With LIKENEX_TIMING_LOG set, the time from process creation to the first drawn frame
    // is appended to that file (scripts/measure-startup.sh reads it). A test seam like those of
    // app/TestSeams.h: a build for users neither reads the variable nor holds its name.
    wchar_t path[1024];
    const DWORD length = GetEnvironmentVariableW(L"LIKENEX_TIMING_LOG", path, 1024);
    if (length == 0 || length >= 1024) return;
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return;
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    const std::uint64_t ms = (ticks(now) - ticks(created)) / 10000;
    if (FILE* file = _wfopen(path, L"a")) {
        std::fprintf(file, "first frame %llu ms after the process started\n", static_cast<unsigned long long>(ms));
        std::fclose(file);
    }
#endif
}

std::wstring Application::uiText(int id) const { return text::wideFromUtf16(data_.strings.uiText(id)); }

void Application::showMessageDialog(const std::wstring& text, const std::wstring& title, ui::DialogStyle style,
                                    WPARAM wParamValue, LPARAM lParamValue) {
    (void)ui::showMessageDialog(uiHost_, text, title, style, wParamValue, lParamValue);
}

void Application::onServerFailed(WPARAM) {
    // Every request that could not be answered says so, the start-up version check included:
    // the user learns at once that uploads and updates cannot reach the server.
    showMessageDialog(uiText(kTextNoConnection), uiText(kTextDialogTitle), ui::DialogStyle::okOnly, 0, 0);
}

void Application::openAvatar(std::int64_t avatarId) {
    if (!server_.requests().sendOpenAvatar(server_.endpoint(), avatarId))
        showMessageDialog(uiText(kTextNoConnection), uiText(kTextDialogTitle), ui::DialogStyle::okOnly, 0, 0);
}

void Application::openAvatarCode(std::string_view code) {
    if (auto* editor = dynamic_cast<EditorScreen*>(windowStack().findWindow(kEditorScreenId)))
        (void)editor->openAvatarCode(code);
}

bool Application::takeForwardedCode(LPARAM lParam) {
    const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!record) return false;
    std::optional<std::string> code = readForwardedCode(record->dwData, record->lpData, record->cbData);
    if (!code) return false;
    auto* editor = dynamic_cast<EditorScreen*>(windowStack().findWindow(kEditorScreenId));
    if (!editor) return false;
    editor->askToOpenAvatarCode(std::move(*code));
    return true;
}

void Application::askForVersion() {
    if (!versionCheck_.ask()) onServerFailed(static_cast<WPARAM>(MessageType::VersionQuery));
}

LRESULT Application::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A reply message carries a pointer: one that does not come from the current exchange's
    // dispatcher (posted or sent by another process, or by anyone else) is never read.
    if (message >= WM_SAVE_REPLY && message <= WM_AVATAR_REPLY && !server_.takesDelivery(message, wParam, lParam))
        return 0;
    if (chatLink_.takesMessage(message, wParam, lParam)) return 1;
    // Any other record is refused: it is nobody else's.
    if (message == WM_COPYDATA) return takeForwardedCode(lParam) ? 1 : 0;
    if (const std::optional<LRESULT> handled = shell_.handleMessage(window, message, wParam, lParam)) return *handled;

    switch (message) {
    // WM_AVATAR_ACTION_END goes on to the window stack: the screens that replay a script
    // take it there.
    case WM_TIMER:
        // The caret timer runs while any edit box exists, but blinks only the focused one: when
        // no edit box takes the tick, nothing shown changes and no frame is drawn for it.
        if (wParam != ui::kCaretTimerId) break;
        if (routeThroughWindowStack(window, message, wParam, lParam)) return 1;
        leavePictureUnchanged();
        return 0;
    case WM_VERSION_REPLY: return versionCheck_.onReply(wParam, lParam);
    case WM_OPEN_AVATAR: openAvatar(joinAvatarId(wParam, lParam)); return 1;
    case WM_SERVER_FAILED:
        if (!routeThroughWindowStack(window, message, wParam, lParam)) onServerFailed(wParam);
        return 1;
    default: break;
    }
    return MainWindow::windowProc(window, message, wParam, lParam);
}

}  // namespace likenex
