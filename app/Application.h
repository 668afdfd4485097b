#pragma once
// The editor's application object: the one concrete MainWindow and the composition of the
// program. It owns the services by value, made in the order they are declared and torn down
// in reverse (the avatar data, the text engines, the toolkit's host, the settings, the shell,
// the server link, the chat link, the code page, the picture store, the text services, the
// edited avatar), hands each screen the interfaces it uses, runs start-up and shutdown, and
// routes the main window's messages: server replies, the chat client's and the shell's before
// the window stack.

#include "app/AppData.h"
#include "app/AppSettings.h"
#include "app/AppUiHost.h"
#include "app/ChatLink.h"
#include "app/CommandLine.h"
#include "app/EditedAvatar.h"
#include "app/MainWindow.h"
#include "app/PictureFile.h"
#include "app/ServerLink.h"
#include "app/Shell.h"
#include "app/SystemCodePageText.h"
#include "app/TextServices.h"
#include "app/VersionCheck.h"
#include "render/text/win/TextEngines.h"
#include "screens/PictureScreen.h"
#include "screens/ScreenServices.h"
#include "screens/TextIds.h"
#include "ui/MessageDialog.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace likenex {

// Where the avatar is drawn until the editor screen places it in its preview area
// (370,148 to 577,366): the frame then stands in the middle of that area.
inline constexpr int kPreviewAvatarX = 305;
inline constexpr int kPreviewAvatarY = 103;
inline constexpr std::uint32_t kPreviewBackdropSkin = 16001090;

// The UI font file of a language index; empty for an index with no font of its own.
[[nodiscard]] const wchar_t* uiFontForLanguage(int languageIndex);

class Application : public MainWindow {
public:
    Application();
    ~Application() override;

    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void updateFrame() override;
    [[nodiscard]] DueIn advanceClocks(Tick now) override;
    void startup() override;
    void shutdown() override;
    void releaseRendererResources() override;

    // The services, each made once and owned here.
    [[nodiscard]] ui::WindowStack& windowStack() { return uiHost_.windowStack(); }
    [[nodiscard]] InterfaceArchive& interfaceArchive() { return data_.interfaceArchive; }
    // The avatar being edited; null before start-up makes it and after shutdown.
    [[nodiscard]] const std::shared_ptr<AvatarModel>& avatarModel() const { return data_.avatarModel; }
    [[nodiscard]] Shell& shell() { return shell_; }
    [[nodiscard]] AppSettings& userSettings() { return settings_; }
    [[nodiscard]] ServerLink& server() { return server_; }
    [[nodiscard]] ChatLink& chatLink() { return chatLink_; }
    [[nodiscard]] VersionCheck& versionCheck() { return versionCheck_; }
    // The exported pictures: the photo folder, and what the picture screen replays.
    [[nodiscard]] PictureStore& pictures() { return pictures_; }
    // The text engines every renderer of the main window binds to.
    [[nodiscard]] TextEngines& textEngines() { return textEngines_; }
    // The text renderers, the glyph font and the speech bubbles: the avatar's scene.
    [[nodiscard]] TextServices& text() { return text_; }
    // What the picture screen is given, wherever it is opened.
    [[nodiscard]] PictureScreen::Parts pictureScreenParts() {
        return {pictures_, shell_, settings_, chatLink_, codePage_};
    }

    // Takes what the command line asked for (before anything else reads the endpoint).
    void setCommandLineRequest(const CommandLineRequest& request);
    [[nodiscard]] std::int64_t pendingAvatarId() const { return pendingAvatarId_; }
    [[nodiscard]] bool editRequested() const { return editRequested_; }
    [[nodiscard]] const std::string& pendingAvatarCode() const { return pendingAvatarCode_; }
    [[nodiscard]] StartupState startupState() const { return startupState_; }
    // The language the interface starts in, until the settings file is read at start-up.
    void setLanguageIndex(int index) { settings_.setStartingLanguage(index); }
    // The start-up requests: the avatar asked for, or the version check. A request that
    // cannot go out says so when the user is waiting for it.
    void openAvatar(std::int64_t avatarId);
    void askForVersion();
    // Opens a code in the editor as a new avatar, at once: the code the program was started
    // with. The editor says why a code cannot be opened.
    void openAvatarCode(std::string_view code);

    // Program directory: the executable's folder unless one was given before start-up
    // (tests run from their own folder).
    void setProgramDirectory(std::wstring directory) { programDirectoryOverride_ = std::move(directory); }
    [[nodiscard]] const std::string& programDirectory() const { return programDirectory_; }
    // The start-up steps in the order they ran, for whoever wants to check it.
    [[nodiscard]] const std::vector<std::string>& startupSteps() const { return startupSteps_; }

    // True when the font file exists (in the Windows fonts folder or as the program's free
    // stand-in); it then becomes the UI font file. Otherwise says so in a message box.
    bool checkFontFile(const std::wstring& name);
    // After a change of language: fonts of that language and renderers made with them.
    void reloadFonts();

    // An interface text of the current language by number.
    [[nodiscard]] std::wstring uiText(int id) const;
    // Opens the in-window message dialog; see ui::showMessageDialog.
    void showMessageDialog(const std::wstring& text, const std::wstring& title, ui::DialogStyle style,
                           WPARAM wParamValue, LPARAM lParamValue);

protected:
    // WinSock, and the connection every server exchange goes through.
    virtual bool startNetwork();
    // The main frame as the root of the window stack; the editor comes on top of it.
    virtual void createScreens();
    virtual void drawPreviewBackdrop();
    bool routeThroughWindowStack(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Closes every window of the stack, the root last.
    void closeWindows();
    // An exchange ended without a reply; the screen that waited for it was told first.
    void onServerFailed(WPARAM requestType);
    // A WM_COPYDATA record from another process: an avatar code from a second start is offered
    // to the editor, which asks first. True when the record was such a code.
    bool takeForwardedCode(LPARAM record);
    void step(const char* name) { startupSteps_.emplace_back(name); }
    void noteFirstFrame();
    [[noreturn]] void failStartup(const std::string& text);
    // Chooses the UI font of the language, then makes the three renderers and the glyph font.
    void createTextRenderers();

    // Declared in the order they are made; each may use those above it to the end of its life.
    AppData data_{painter()};
    // The text engines of the main window's back end and the font folders.
    TextEngines textEngines_{painter(), defaultFontFolders()};
    // The toolkit's host and the window stack.
    AppUiHost uiHost_{*this, data_.interfaceArchive, data_.strings, textEngines_};
    AppSettings settings_{data_.strings, [this] { reloadFonts(); }};
    Shell shell_{*this, uiHost_, settings_};
    ServerLink server_{[this] {
        startupState_ = StartupState::versionCheckAsked;
        askForVersion();
    }};
    ChatLink chatLink_{uiHost_};
    SystemCodePageText codePage_;
    PictureFolder pictures_;
    TextServices text_{textEngines_};
    EditedAvatar avatar_{data_, text_, *this, painter()};
    StartupState startupState_ = StartupState::starting;
    VersionCheck versionCheck_{*this, server_, shell_, settings_, uiHost_, startupState_};

    std::int64_t pendingAvatarId_ = 0;
    bool editRequested_ = false;
    std::string pendingAvatarCode_;
    std::wstring programDirectoryOverride_;
    std::string programDirectory_;
    std::wstring programDirectoryW_;
    std::vector<std::string> startupSteps_;
    bool firstFrameNoted_ = false;
    // A start-up failure reaches the entry as narrow text thrown from here: the application
    // outlives the handler that shows it.
    std::string startupError_;
};

}  // namespace likenex
