#pragma once
// The editor's application object: the one concrete MainWindow. It holds what the whole
// run needs (server endpoint, the avatar asked for on the command line, quit confirmation,
// tray icon) and adds its own window-message handling before the base procedure.

#include "app/AppServices.h"
#include "app/AppUiHost.h"
#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/ServerRequests.h"
#include "avatar/AvatarRecord.h"
#include "avatar/AvatarServices.h"
#include "avatar/SpeechBubbles.h"
#include "chatlink/win/SkypeLink.h"
#include "net/ServerExchange.h"
#include "net/win/NetworkSession.h"
#include "net/win/ServerConnection.h"
#include "render/text/GlyphFont.h"
#include "render/text/TextRenderer.h"
#include "screens/ScreenActions.h"
#include "screens/Settings.h"

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

// Interface text numbers the shell shows.
inline constexpr int kTextDialogTitle = 115;
inline constexpr int kTextConfirmQuit = 501;

// Start-up state: 0 until start-up ends, 1 after it, 2 once the user asked for a version check.
std::uint8_t& startupState();

// Where the avatar is drawn until the editor screen places it in its preview area
// (370,148 to 577,366): the frame then stands in the middle of that area.
inline constexpr int kPreviewAvatarX = 305;
inline constexpr int kPreviewAvatarY = 103;
inline constexpr std::uint32_t kPreviewBackdropSkin = 16001090;

// The UI font file of a language index; empty for an index with no font of its own.
[[nodiscard]] const wchar_t* uiFontForLanguage(int languageIndex);

class Application : public MainWindow,
                    public AvatarScene,
                    public AvatarEvents,
                    public AvatarClock,
                    public ScreenActions {
public:
    Application();
    ~Application() override;

    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void updateFrame() override;
    void startup() override;
    void shutdown() override;
    void releaseRendererResources() override;

    [[nodiscard]] ui::WindowStack& windowStack() { return uiHost_.windowStack(); }

    // Takes what the command line asked for (before anything else reads the endpoint).
    void setCommandLineRequest(const CommandLineRequest& request);
    [[nodiscard]] const ServerEndpoint& serverEndpoint() const { return endpoint_; }
    [[nodiscard]] std::int64_t pendingAvatarId() const { return pendingAvatarId_; }
    [[nodiscard]] bool editRequested() const { return editRequested_; }
    [[nodiscard]] int quitPending() const { return quitPending_; }
    [[nodiscard]] int languageIndex() const { return languageIndex_; }
    // The language the interface starts in, until the settings file is read at start-up.
    void setLanguageIndex(int index) { languageIndex_ = index; }

    [[nodiscard]] ServerRequests& serverRequests() { return *requests_; }
    // The way to the server for every request; null sends nothing (each request then fails
    // as a connection failure would).
    void setServerExchange(ServerExchange* exchange) {
        exchange_ = exchange;
        networkRequests_.exchange = exchange;
    }
    // The start-up requests: the avatar asked for, or the version check. A request that
    // cannot go out says so when the user is waiting for it.
    void openAvatar(std::int64_t avatarId);
    void askForVersion();
    // Tests record the requests; null restores the network requests.
    void setServerRequests(ServerRequests* requests) { requests_ = requests ? requests : &networkRequests_; }

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

    // Text services by size code 11, 12 or 13; any other size does nothing and measures 0.
    void setPlainText(int size, std::wstring_view text);
    void drawText(int size, int x, int y, const Colour& colour);
    [[nodiscard]] int textWidth(int size);
    [[nodiscard]] int textWidthOf(int size, int n);

    void drawBubble(int x, int y, int width, bool twoLines, int variant) override;
    void composeBubble(AvatarModel& model, int x, int y, int width, bool twoLines) override;
    [[nodiscard]] const SpeechBubbles& speechBubbles() const { return bubbles_; }
    [[nodiscard]] GlyphFont& glyphFont() { return glyphFont_; }

    // AvatarScene: the speech bubble's text in the medium renderer, glyphs from the glyph font.
    int textWidth(const std::u16string& text) override;
    int textWidthOf(const std::u16string& text, int count) override;
    void drawText(const std::u16string& text, int x, int y, Colour colour) override;
    bool renderCharacter(char16_t c, std::vector<std::uint8_t>& pixels, int& width, int& height, int& advance) override;
    // AvatarEvents: the end of an action goes to the main window as a message.
    void actionEnded(std::uint16_t actionId, std::int64_t value) override;
    // AvatarClock: the system tick count.
    [[nodiscard]] Tick now() const override;

    // Opens the in-window message dialog: style 0 text only, 1 with confirm and cancel
    // buttons that answer with WM_DIALOG_OK or WM_DIALOG_CANCEL carrying the two values.
    void showMessageDialog(const std::wstring& text, const std::wstring& title, int style, WPARAM wParamValue,
                           LPARAM lParamValue);
    // An interface text of the current language by number.
    [[nodiscard]] std::wstring uiText(int id) const;

    // The chat-client link: its message filter and its attachment to the main window.
    [[nodiscard]] bool chatLinkTakesMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void attachChatLink();

protected:
    // Start-up steps that belong to parts still to come; each is a named call here.
    // WinSock, and the connection every server exchange goes through.
    virtual bool startNetwork();
    // ScreenActions: what the frame's windows ask of the program.
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
    [[nodiscard]] std::wstring pictureFolder() const override { return programDirectoryW_ + L"\\photo"; }
    [[nodiscard]] std::optional<std::wstring> writePicture(std::span<const std::uint8_t> pixels) override;
    [[nodiscard]] bool sendChatCommand(std::wstring_view command) override;
    [[nodiscard]] bool writeFile(const std::wstring& path, std::span<const std::uint8_t> bytes) override;
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
    // The reply message is the one the current exchange's dispatcher is handing over now.
    [[nodiscard]] bool replyIsGenuine(UINT message, WPARAM wParam, LPARAM lParam);
    // An exchange ended without a reply; the screen that waited for it was told first.
    void onServerFailed(WPARAM requestType);
    void step(const char* name) { startupSteps_.emplace_back(name); }
    void noteFirstFrame();
    [[noreturn]] void failStartup(const std::string& text);
    [[nodiscard]] TextRenderer* renderer(int size);
    // Chooses the UI font of the language, then makes the three renderers and the glyph font.
    void createTextRenderers();
    void releaseTextRenderers();
    void showTrayMenu(HWND window);
    // A new avatar record with its defaults and a model of it, standing, as the current model.
    AvatarModel& makeAvatarModel();
    void showFromTray();

    // Declared first: everything below may use it to the end of its own life.
    AppServices services_;
    // WinSock outlives the connection, which is made once the main window exists.
    NetworkSession networkSession_;
    std::unique_ptr<ServerConnection> connection_;
    // The toolkit's host and the window stack; installed for the toolkit while this lives.
    AppUiHost uiHost_;
    Settings settings_;
    std::function<void(const std::string&)> webPageOpener_;
    std::function<void()> programEnd_ = [] { ExitProcess(0); };
    ServerEndpoint endpoint_;
    std::int64_t pendingAvatarId_ = 0;
    bool editRequested_ = false;
    int languageIndex_ = 0;
    int quitPending_ = 0;
    NetworkServerRequests networkRequests_;
    ServerRequests* requests_ = &networkRequests_;
    ServerExchange* exchange_ = nullptr;
    SkypeLink chatLink_;

    std::wstring programDirectoryOverride_;
    std::string programDirectory_;
    std::wstring programDirectoryW_;
    TextRenderer small_, medium_, large_;
    GlyphFont glyphFont_;
    SpeechBubbles bubbles_;
    std::shared_ptr<AvatarRecord> avatarRecord_;
    std::vector<std::string> startupSteps_;
    bool firstFrameNoted_ = false;
};

}  // namespace likenex
