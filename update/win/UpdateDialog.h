#pragma once
// The dialog of Update.exe: a 425 x 274 round-cornered window with the news page, a status
// line, a progress bar and two picture buttons. It owns the Updater and carries out its
// actions: the checker and installer threads write the status line, the progress bar and
// the action button's pictures directly, as SetWindowText and SendMessage allow from any
// thread while the dialog's thread runs its message loop.
//
// The news page is written before the checker starts. The browser control is optional:
// where the system has no HTML engine (Wine here) the news area shows the items as plain text
// and nothing else changes.

#include "platform/win/BoundWindow.h"
#include "platform/win/Handles.h"
#include "update/Updater.h"
#include "update/win/ProgramFolder.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace likenex::update {

inline constexpr wchar_t kDialogTitle[] = L"Update";

class UpdateDialog final : public UpdateActions {
public:
    UpdateDialog(HINSTANCE instance, std::wstring folder, VersionValues versions, std::string downloadBase);
    ~UpdateDialog() override;

    // Runs the dialog until it ends; returns the process's exit code.
    int run();

    // UpdateActions, called from the worker threads.
    void showStatus(std::u16string_view text) override;
    void setProgress(int percent) override;
    void showFinishedButton() override;
    void minimiseEditor() override;
    void deleteDownload(const std::string& fileName) override;
    bool download(const std::string& url, const std::string& fileName) override;
    bool verifyDownload(const std::string& fileName, std::uint32_t newestVersion) override;
    bool runInstaller(const std::string& fileName) override;
    bool runMerger() override;

private:
    friend class BoundWindow<UpdateDialog>;
    INT_PTR handleDialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void initialise();
    void writeNewsPage();
    void showBrowser();
    [[nodiscard]] bool hostBrowser();
    void showNewsAsText();
    void drawButton(const DRAWITEMSTRUCT& item);
    void onAction();
    void onClose();
    void restartEditor();

    HINSTANCE instance_;
    HWND window_ = nullptr;
    const std::wstring folder_;
    const VersionValues versions_;
    Updater updater_;

    UniqueBitmap background_;
    UniqueBitmap closeUp_, closeDown_, actionUp_, actionDown_, doneUp_, doneDown_;
    UniqueBrush backgroundBrush_;
    UniqueModule htmlEngine_;                    // the browser control's engine, when the system has one
    UniqueModule atl_;                           // hosts the browser control; loaded while the dialog lives
    UniqueWindow browser_;                       // destroyed before the library that drew it is freed
    std::wstring newsText_;                      // the news as text, for a system without an HTML engine
    UniqueWindow newsBox_;                       // shows it
    std::atomic<bool> finishedPictures_{false};  // the action button shows 142/140

    // Declared last: the threads end (or are left to the process's end) before the rest goes.
    std::thread checker_;
    std::thread installer_;
};

}  // namespace likenex::update
