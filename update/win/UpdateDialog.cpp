#include "update/win/UpdateDialog.h"

#include "base/Text.h"
#include "base/WindowMessages.h"
#include "platform/win/CodePage.h"
#include "platform/win/MessageBox.h"
#include "platform/win/ModuleExport.h"
#include "update/NewsPage.h"
#include "update/NewsText.h"
#include "update/win/Download.h"
#include "update/win/NewsLibrary.h"
#include "update/win/ProgramRun.h"
#include "update/win/SignatureCheck.h"
#include "update/win/UpdateResources.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

namespace likenex::update {
namespace {

constexpr int kWidth = 425, kHeight = 274;
constexpr int kCornerSize = 11;
constexpr int kRaise = 50;      // pixels above the default position
constexpr int kDragStrip = 20;  // a press this close to the top drags the window
// Erased before and after each status change: the line is drawn without a background, so the
// old text would show through. It starts at 0, where the status line does; from 10, the first
// letters of a longer earlier text stayed on screen.
constexpr RECT kStatusArea = {0, 180, 393, 210};

struct ControlPlace {
    int id, x, y, width, height;
};
constexpr ControlPlace kBrowserPlace = {IDC_BROWSER, 16, 31, 393, 144};
constexpr ControlPlace kPlaces[] = {
    {IDC_STATUS, 0, 187, 393, 15},  {IDC_PROGRESS, 14, 208, 397, 21}, kBrowserPlace,
    {IDC_ACTION, 127, 239, 68, 20}, {IDC_CLOSE, 245, 239, 45, 20},
};

constexpr wchar_t kEditorClass[] = L"Likenex";
constexpr wchar_t kNotifiedClass[] = L"CLASSNAME";

std::wstring wide(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

void minimiseWindowOfClass(const wchar_t* className) {
    if (HWND editor = FindWindowW(className, nullptr)) ShowWindow(editor, SW_MINIMIZE);
}

}  // namespace

UpdateDialog::UpdateDialog(HINSTANCE instance, std::wstring folder, VersionValues versions, std::string downloadBase)
    : instance_(instance),
      folder_(std::move(folder)),
      versions_(std::move(versions)),
      updater_(*this, versions_.installed, versions_.newest, std::move(downloadBase)) {}

UpdateDialog::~UpdateDialog() {
    if (checker_.joinable()) checker_.join();
    if (installer_.joinable()) installer_.join();
}

int UpdateDialog::run() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    const INT_PTR result = DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_UPDATE), nullptr,
                                           BoundWindow<UpdateDialog>::dialogProc, reinterpret_cast<LPARAM>(this));
    return result < 0 ? 1 : static_cast<int>(result);
}

void UpdateDialog::initialise() {
    const auto picture = [&](int id) { return UniqueBitmap(LoadBitmapW(instance_, MAKEINTRESOURCEW(id))); };
    background_ = picture(IDB_BACKGROUND);
    closeUp_ = picture(IDB_CLOSE_UP);
    closeDown_ = picture(IDB_CLOSE_DOWN);
    actionUp_ = picture(IDB_ACTION_UP);
    actionDown_ = picture(IDB_ACTION_DOWN);
    doneUp_ = picture(IDB_DONE_UP);
    doneDown_ = picture(IDB_DONE_DOWN);
    if (background_) backgroundBrush_.reset(CreatePatternBrush(background_.get()));

    // No caption bar (the top strip drags the window), but a title and icons for the task list.
    SetWindowTextW(window_, kDialogTitle);
    // Shared icons from the module's resources: the system frees them, not us.
    const auto icon = [&](int size) {
        return LoadImageW(instance_, MAKEINTRESOURCEW(IDI_UPDATE), IMAGE_ICON, size, size, LR_SHARED);
    };
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon(32)));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon(16)));
    SendDlgItemMessageW(window_, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    RECT placed;
    GetWindowRect(window_, &placed);
    SetWindowPos(window_, nullptr, placed.left, placed.top - kRaise, kWidth, kHeight, SWP_NOZORDER);
    for (const ControlPlace& place : kPlaces)
        if (HWND control = GetDlgItem(window_, place.id))
            SetWindowPos(control, nullptr, place.x, place.y, place.width, place.height, SWP_NOZORDER);
    UniqueRegion region(CreateRoundRectRgn(0, 0, kWidth + 1, kHeight + 1, kCornerSize, kCornerSize));
    if (region && SetWindowRgn(window_, region.get(), TRUE)) (void)region.release();  // the window owns it now

    writeNewsPage();
    showBrowser();
    checker_ = std::thread([this] { updater_.check(); });
}

void UpdateDialog::writeNewsPage() {
    NewsLibrary library(folder_ + L"\\News.dll");
    const std::optional<std::vector<news::RSSITEM>> items = fetchNewsItems(library, versions_.newsAddress);
    if (!items) return;  // the feed was refused: the page of an earlier run stays
    newsText_ = text::wideFromUtf16(newsPlainText(*items));
    const std::vector<std::uint8_t> bytes = newsPageFile(buildNewsPage(*items, systemCodePage()));
    (void)writeWholeFile(folder_ + L"\\news.html", bytes.data(), bytes.size());
}

void UpdateDialog::showBrowser() {
    // Without an HTML engine (Wine here has none) the control would host a blank page; the page
    // is on disk all the same, and the dialog shows its news as text.
    htmlEngine_.reset(LoadLibraryW(L"mshtml.dll"));
    if (!htmlEngine_ || !hostBrowser()) showNewsAsText();
}

bool UpdateDialog::hostBrowser() {
    // The control is hosted by the system's ActiveX host window class (atl.dll's "AtlAxWin"),
    // which creates a web browser for an address given as the window text and navigates it.
    // Where the library or the class is missing, the news is shown as text instead.
    atl_.reset(LoadLibraryW(L"atl.dll"));
    if (!atl_) return false;
    using Init = BOOL(WINAPI*)();
    const auto init = exportedFunction<Init>(atl_.get(), "AtlAxWinInit");
    if (!init || !init()) return false;
    HWND placeholder = GetDlgItem(window_, IDC_BROWSER);
    if (!placeholder) return false;
    const std::wstring page = folder_ + L"\\news.html";
    browser_.reset(CreateWindowExW(0, L"AtlAxWin", page.c_str(), WS_CHILD | WS_VISIBLE, kBrowserPlace.x,
                                   kBrowserPlace.y, kBrowserPlace.width, kBrowserPlace.height, window_, nullptr,
                                   instance_, nullptr));
    if (!browser_) return false;
    ShowWindow(placeholder, SW_HIDE);
    return true;
}

void UpdateDialog::showNewsAsText() {
    newsBox_.reset(CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                                   kBrowserPlace.x, kBrowserPlace.y, kBrowserPlace.width, kBrowserPlace.height, window_,
                                   nullptr, instance_, nullptr));
    if (!newsBox_) return;
    SendMessageW(newsBox_.get(), WM_SETFONT, SendMessageW(window_, WM_GETFONT, 0, 0), FALSE);
    SendMessageW(newsBox_.get(), EM_SETLIMITTEXT, 0, 0);  // no limit below the feed's size
    SendMessageW(newsBox_.get(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(4, 4));
    SetWindowTextW(newsBox_.get(), newsText_.c_str());
    if (HWND placeholder = GetDlgItem(window_, IDC_BROWSER)) ShowWindow(placeholder, SW_HIDE);
}

INT_PTR UpdateDialog::handleDialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        window_ = window;
        initialise();
        return TRUE;
    case WM_CTLCOLORDLG:
        if (backgroundBrush_) return reinterpret_cast<INT_PTR>(backgroundBrush_.get());
        return FALSE;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(window_, IDC_STATUS)) {
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
        }
        if (newsBox_ && reinterpret_cast<HWND>(lParam) == newsBox_.get()) {  // read-only, yet white like a page
            SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
            return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        }
        return FALSE;
    case WM_DRAWITEM: drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_LBUTTONDOWN:
        if (GET_Y_LPARAM(lParam) < kDragStrip) SendMessageW(window_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        if (LOWORD(wParam) == IDC_ACTION) onAction();
        if (LOWORD(wParam) == IDC_CLOSE || LOWORD(wParam) == IDCANCEL) onClose();
        return TRUE;
    default: return FALSE;
    }
}

void UpdateDialog::drawButton(const DRAWITEMSTRUCT& item) {
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    HBITMAP picture = nullptr;
    const wchar_t* fallback = L"";
    if (item.CtlID == IDC_CLOSE) {
        picture = pressed ? closeDown_.get() : closeUp_.get();
        fallback = L"Close";
    } else if (finishedPictures_) {
        picture = pressed ? doneDown_.get() : doneUp_.get();
        fallback = L"OK";
    } else {
        picture = pressed ? actionDown_.get() : actionUp_.get();
        fallback = L"Update";
    }
    RECT area = item.rcItem;
    if (picture) {
        UniqueMemoryDc source(CreateCompatibleDC(item.hDC));
        if (source) {
            const HGDIOBJ previous = SelectObject(source.get(), picture);
            BitBlt(item.hDC, 0, 0, area.right - area.left, area.bottom - area.top, source.get(), 0, 0, SRCCOPY);
            SelectObject(source.get(), previous);
            return;
        }
    }
    // No picture in the resources: a plain push button with its name.
    DrawFrameControl(item.hDC, &area, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    SetBkMode(item.hDC, TRANSPARENT);
    DrawTextW(item.hDC, fallback, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void UpdateDialog::onAction() {
    switch (updater_.pressAction()) {
    case ActionResult::startInstaller: installer_ = std::thread([this] { updater_.install(); }); break;
    case ActionResult::restartEditor:
        restartEditor();
        EndDialog(window_, 0);
        break;
    case ActionResult::notifyAndQuit:
        if (HWND notified = FindWindowW(kNotifiedClass, nullptr)) PostMessageW(notified, WM_UPDATE_FINISHED, 1, 0);
        EndDialog(window_, 0);
        break;
    case ActionResult::nothing: break;
    }
}

void UpdateDialog::onClose() {
    minimiseWindowOfClass(kEditorClass);
    EndDialog(window_, 0);
}

void UpdateDialog::restartEditor() {
    const std::wstring editor = folder_ + L"\\Likenex.exe";
    ShellExecuteW(nullptr, L"open", editor.c_str(), L"goon", folder_.c_str(), SW_SHOWNORMAL);
}

void UpdateDialog::showStatus(std::u16string_view text) {
    InvalidateRect(window_, &kStatusArea, TRUE);
    const std::wstring line = text::wideFromUtf16(text);
    SetDlgItemTextW(window_, IDC_STATUS, line.c_str());
    InvalidateRect(window_, &kStatusArea, TRUE);
}

void UpdateDialog::setProgress(int percent) { SendDlgItemMessageW(window_, IDC_PROGRESS, PBM_SETPOS, percent, 0); }

void UpdateDialog::showFinishedButton() {
    finishedPictures_ = true;
    InvalidateRect(GetDlgItem(window_, IDC_ACTION), nullptr, TRUE);
}

void UpdateDialog::minimiseEditor() { minimiseWindowOfClass(kEditorClass); }

void UpdateDialog::deleteDownload(const std::string& fileName) {
    DeleteFileW((folder_ + L"\\" + wide(fileName)).c_str());
}

bool UpdateDialog::download(const std::string& url, const std::string& fileName) {
    const std::wstring address = systemCodePage().toWide(url);
    return downloadFile(address, folder_ + L"\\" + wide(fileName), [this](int percent) { setProgress(percent); });
}

bool UpdateDialog::verifyDownload(const std::string& fileName, std::uint32_t newestVersion) {
    return verifyInstaller(folder_ + L"\\" + wide(fileName), folder_ + L"\\" + wide(signatureName(fileName)),
                           InstallerRequest{fileName, newestVersion}, installerPublicKey());
}

bool UpdateDialog::runInstaller(const std::string& fileName) {
    const std::wstring installer = folder_ + L"\\" + wide(fileName);
    int position = 0;
    const RunOutcome outcome = runAndWait(installer, L"\"" + installer + L"\"", folder_, [&] {
        position = runningProgressAfterTick(position);
        setProgress(position);
    });
    return outcome.result == RunResult::succeeded;
}

bool UpdateDialog::runMerger() {
    const std::wstring merger = folder_ + L"\\data\\merge.exe";
    int position = 0;
    const RunOutcome outcome = runAndWait(merger, L"\"" + merger + L"\"", folder_, [&] {
        position = runningProgressAfterTick(position);
        setProgress(position);
    });
    if (outcome.result == RunResult::notStarted) {
        const std::wstring text = systemErrorText(outcome.error);
        showMessageBox(window_, text.c_str(), L"Error", MB_OK | MB_ICONINFORMATION);
    }
    return outcome.result == RunResult::succeeded;
}

}  // namespace likenex::update
