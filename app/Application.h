#pragma once
// The editor's application object: the one concrete MainWindow and the composition of the
// program. It owns the services by value, made in the order they are declared and torn down
// in reverse (the avatar data, the server link, the toolkit's host, the chat link, the picture
// store, the text services), hands each screen the interfaces it uses, and adds its own
// window-message handling (tray, quit confirmation, server replies) before the base procedure.

#include "app/AppData.h"
#include "app/AppUiHost.h"
#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/PictureFile.h"
#include "app/ServerLink.h"
#include "app/TextServices.h"
#include "avatar/AvatarRecord.h"
#include "avatar/AvatarServices.h"
#include "chatlink/win/SkypeLink.h"
#include "render/text/win/TextEngines.h"
#include "screens/PictureScreen.h"
#include "screens/ScreenServices.h"
#include "screens/Settings.h"
#include "screens/TextIds.h"
#include "ui/MessageDialog.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace likenex {

// Identifiers of the program's resources and tray commands.
inline constexpr int kIconResource = 101;
inline constexpr UINT kTrayIconId = 101;
inline constexpr int kTrayMenuResource = 103;
inline constexpr int kQuitBitmapResource = 104;
inline constexpr int kShowBitmapResource = 105;
inline constexpr UINT kQuitCommand = 40003;
inline constexpr UINT kShowCommand = 40004;

// How far the program is: starting until start-up ends, then started, and versionCheckAsked
// once the user asked for a version check (whose "up to date" answer is then shown).
enum class StartupState : std::uint8_t { starting, started, versionCheckAsked };

// Where the avatar is drawn until the editor screen places it in its preview area
// (370,148 to 577,366): the frame then stands in the middle of that area.
inline constexpr int kPreviewAvatarX = 305;
inline constexpr int kPreviewAvatarY = 103;
inline constexpr std::uint32_t kPreviewBackdropSkin = 16001090;

// The UI font file of a language index; empty for an index with no font of its own.
[[nodiscard]] const wchar_t* uiFontForLanguage(int languageIndex);

class Application : public MainWindow,
                    public AvatarEvents,
                    public AvatarClock,
                    public WindowControl,
                    public WebPages,
                    public ServerChannel,
                    public UserSettings,
                    public CodePageText,
                    public ChatCommands,
                    public AvatarFactory {
public:
    Application();
    ~Application() override;

    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void updateFrame() override;
    void startup() override;
    void shutdown() override;
    void releaseRendererResources() override;

    [[nodiscard]] ui::WindowStack& windowStack() { return uiHost_.windowStack(); }
    [[nodiscard]] InterfaceArchive& interfaceArchive() { return data_.interfaceArchive; }
    // The avatar being edited; null before start-up makes it and after shutdown.
    [[nodiscard]] const std::shared_ptr<AvatarModel>& avatarModel() const { return data_.avatarModel; }

    // Takes what the command line asked for (before anything else reads the endpoint).
    void setCommandLineRequest(const CommandLineRequest& request);
    [[nodiscard]] const ServerEndpoint& serverEndpoint() const { return server_.endpoint(); }
    [[nodiscard]] std::int64_t pendingAvatarId() const { return pendingAvatarId_; }
    [[nodiscard]] bool editRequested() const { return editRequested_; }
    [[nodiscard]] int quitPending() const { return quitPending_; }
    [[nodiscard]] int languageIndex() const { return languageIndex_; }
    [[nodiscard]] StartupState startupState() const { return startupState_; }
    // The language the interface starts in, until the settings file is read at start-up.
    void setLanguageIndex(int index) { languageIndex_ = index; }

    [[nodiscard]] ServerRequests& serverRequests() { return server_.requests(); }
    // The exported pictures: the photo folder, and what the picture screen replays.
    [[nodiscard]] PictureStore& pictures() { return pictures_; }
    // What the picture screen is given, wherever it is opened.
    [[nodiscard]] PictureScreen::Parts pictureScreenParts() { return {pictures_, *this, *this, *this, *this}; }
    // The way to the server for every request; null sends nothing (each request then fails
    // as a connection failure would).
    void setServerExchange(ServerExchange* exchange) { server_.setExchange(exchange); }
    // The start-up requests: the avatar asked for, or the version check. A request that
    // cannot go out says so when the user is waiting for it.
    void openAvatar(std::int64_t avatarId);
    void askForVersion();
    // Tests record the requests; null restores the network requests.
    void setServerRequests(ServerRequests* requests) { server_.setRequests(requests); }

    void addTrayIcon();
    void removeTrayIcon();

    // Program directory: the executable's folder unless one was given before start-up
    // (tests run from their own folder).
    void setProgramDirectory(std::wstring directory) { programDirectoryOverride_ = std::move(directory); }
    [[nodiscard]] const std::string& programDirectory() const { return programDirectory_; }
    [[nodiscard]] const std::wstring& programDirectoryWide() const { return programDirectoryW_; }
    // The start-up steps in the order they ran, for whoever wants to check it.
    [[nodiscard]] const std::vector<std::string>& startupSteps() const { return startupSteps_; }

    // True when the font file exists (in the Windows fonts folder or as the program's free
    // stand-in); it then becomes the UI font file. Otherwise says so in a message box.
    bool checkFontFile(const std::wstring& name);
    // After a change of language: fonts of that language and renderers made with them.
    void reloadFonts();

    // The text engines every renderer of the main window binds to.
    [[nodiscard]] TextEngines& textEngines() { return textEngines_; }
    // The text renderers, the glyph font and the speech bubbles: the avatar's scene.
    [[nodiscard]] TextServices& text() { return text_; }
    // AvatarEvents: the end of an action goes to the main window as a message.
    void actionEnded(std::uint16_t actionId, std::int64_t value) override;
    // AvatarClock: the system tick count.
    [[nodiscard]] Tick now() const override;

    // Opens the in-window message dialog; one with confirm and cancel buttons answers with
    // WM_DIALOG_OK or WM_DIALOG_CANCEL carrying the two values.
    void showMessageDialog(const std::wstring& text, const std::wstring& title, ui::DialogStyle style,
                           WPARAM wParamValue, LPARAM lParamValue);
    // An interface text of the current language by number.
    [[nodiscard]] std::wstring uiText(int id) const;

    // The chat-client link: its message filter and its attachment to the main window.
    [[nodiscard]] bool chatLinkTakesMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void attachChatLink();

protected:
    // WinSock, and the connection every server exchange goes through.
    virtual bool startNetwork();
    // What the screens ask of the program; each screen is given the interfaces it uses.
    void hideToTray() override;
    void askToQuit() override;
    void moveWindowWithMouse() override;
    void openWebPage(std::string_view path) override;
    void requestVersionCheck() override;
    [[nodiscard]] int language() const override { return languageIndex_; }
    void changeLanguage(int language) override;
    [[nodiscard]] std::wstring webAddressText() const override;
    AvatarModel* startNewAvatar() override;
    void openRegistrationPage() override;
    [[nodiscard]] Settings& settings() override { return settings_; }
    void saveSettings() override;
    [[nodiscard]] bool sendToServer(const ProtocolMessage& request) override;
    void closeServerConnection() override;
    [[nodiscard]] std::string toCodePage(std::u16string_view text) const override;
    [[nodiscard]] std::wstring fromCodePage(std::string_view text) const override;
    void openAddress(std::string_view address) override;
    void openFolder(std::wstring_view folder) override;
    [[nodiscard]] bool sendChatCommand(std::wstring_view command) override;
    // A newer version: starts the updater with the server's arguments and ends the program
    // (programEnd). An updater that cannot be started is told in a message box, and the
    // program goes on.
    virtual void handOverToUpdater(const std::string& updaterPath, const std::string& arguments);
    // How the program ends once the updater runs; tests keep their process.
    void setProgramEnd(std::function<void()> end) { programEnd_ = std::move(end); }
    // Every web page goes through here; tests see the addresses instead of a browser.
    void setWebPageOpener(std::function<void(const std::string&)> opener) { webPageOpener_ = std::move(opener); }

    // Reads opt.dat and the registry language; the language set before start-up stays when
    // the registry names none.
    virtual void loadSettings(const std::string& programDirectory);
    // The main frame as the root of the window stack; the editor comes on top of it.
    virtual void createScreens();
    virtual void drawPreviewBackdrop();
    bool routeThroughWindowStack(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Closes every window of the stack, the root last.
    void closeWindows();
    LRESULT onVersionReply(WPARAM wParam, LPARAM lParam);
    // An exchange ended without a reply; the screen that waited for it was told first.
    void onServerFailed(WPARAM requestType);
    void step(const char* name) { startupSteps_.emplace_back(name); }
    void noteFirstFrame();
    [[noreturn]] void failStartup(const std::string& text);
    // Chooses the UI font of the language, then makes the three renderers and the glyph font.
    void createTextRenderers();
    void releaseTextRenderers();
    void showTrayMenu(HWND window);
    // A new avatar record with its defaults and a model of it, standing, as the current model.
    AvatarModel& makeAvatarModel();
    void showFromTray();

    // Declared first: everything below may use them to the end of their own lives.
    AppData data_{painter()};
    // The text engines of the main window's back end and the font folders.
    TextEngines textEngines_{painter(), defaultFontFolders()};
    ServerLink server_;
    // The toolkit's host and the window stack; installed for the toolkit while this lives.
    AppUiHost uiHost_;
    Settings settings_;
    std::function<void(const std::string&)> webPageOpener_;
    std::function<void()> programEnd_ = [] { ExitProcess(0); };
    std::int64_t pendingAvatarId_ = 0;
    bool editRequested_ = false;
    int languageIndex_ = 0;
    int quitPending_ = 0;
    SkypeLink chatLink_;
    PictureFolder pictures_;

    std::wstring programDirectoryOverride_;
    std::string programDirectory_;
    std::wstring programDirectoryW_;
    TextServices text_{textEngines_};
    std::shared_ptr<AvatarRecord> avatarRecord_;
    std::vector<std::string> startupSteps_;
    bool firstFrameNoted_ = false;
    StartupState startupState_ = StartupState::starting;
    // A start-up failure reaches the entry as narrow text thrown from here: the application
    // outlives the handler that shows it.
    std::string startupError_;
};

}  // namespace likenex
