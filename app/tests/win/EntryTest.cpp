#include "app/Entry.h"
#include "app/SingleInstance.h"
#include "app/tests/win/TestSupport.h"
#include "base/Constants.h"
#include "base/WindowMessages.h"
#include "net/AvatarCode.h"
#include "net/Messages.h"
#include "platform/win/Registry.h"
#include "screens/EditorScreen.h"
#include "screens/FrameWindows.h"
#include "test_support/ScriptedPeer.h"
#include "ui/MessageDialog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <thread>

namespace likenex {
namespace {

using test::Bytes;
using test::ScriptedPeer;
using testing::CapturedMessages;
using testing::RecordedRequests;
using testing::RecordingRenderer;
using testing::TestClock;

// The real application object with a recording renderer and recorded server requests. Its
// first frame runs `onFirstFrame` and then closes the window. The hand-over to the updater is
// recorded unless `realHandOver` is set; the program's end is recorded either way.
class TestApplication : public Application {
public:
    TestApplication() {
        setProgramDirectory(LIKENEX_PROGRAM_DIR_PATH);
        setRendererFunctions(&RecordingRenderer::start, &RecordingRenderer::stop, &RecordingRenderer::maxTextureSize);
        server().setRequests(&requests);
        setClock(&clock);
        shell().setProgramEnd([this] { ++programEnds; });
        shell().setWebPageOpener([this](const std::string& address) { openedAddresses.push_back(address); });
        versionCheck().setHandOver([this](const std::string& updaterPath, const std::string& arguments) {
            handedOver.emplace_back(updaterPath, arguments);
            if (realHandOver) versionCheck().startUpdater(updaterPath, arguments);
        });
    }
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        // The system's move of the window: recorded, and not entered (it would hold the test
        // in the system's own loop until the button is released).
        if (message == WM_NCLBUTTONDOWN && wParam == HTCAPTION) {
            ++captionPresses;
            return 0;
        }
        return Application::windowProc(window, message, wParam, lParam);
    }
    void startup() override {
        if (startupError) startupError();
        Application::startup();
    }
    void updateFrame() override {
        if (frames++ == 0) {
            if (onFirstFrame) onFirstFrame();
            PostMessageW(window(), WM_CLOSE, 0, 0);
        }
    }
    RecordedRequests requests;
    TestClock clock;
    bool realHandOver = false;
    int programEnds = 0;
    int captionPresses = 0;
    int frames = 0;
    std::function<void()> onFirstFrame;
    std::function<void()> startupError;
    std::vector<std::pair<std::string, std::string>> handedOver;
    std::vector<std::string> openedAddresses;
};

class EntryTest : public ::testing::Test {
protected:
    void SetUp() override { RecordingRenderer::reset(); }
    void TearDown() override { RecordingRenderer::reset(); }
};

TEST_F(EntryTest, FirstInstanceShowsAPlacedRoundedMarkedWindowAndAsksForTheVersion) {
    CapturedMessages messages;
    TestApplication app;
    bool visible = false;
    HANDLE property = nullptr;
    RECT windowRect{}, regionBox{};
    int regionKind = ERROR;
    app.onFirstFrame = [&] {
        visible = IsWindowVisible(app.window());
        property = GetPropW(app.window(), L"Tovik Avatar");
        GetWindowRect(app.window(), &windowRect);
        UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
        regionKind = GetWindowRgn(app.window(), region.get());
        GetRgnBox(region.get(), &regionBox);
    };
    EXPECT_EQ(runEntry(app, "10.0.0.5 8000"), 0);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(visible);
    EXPECT_EQ(property, reinterpret_cast<HANDLE>(1));
    EXPECT_EQ(windowRect.left, static_cast<int>((GetSystemMetrics(SM_CXSCREEN) - 654) * 0.5));
    EXPECT_EQ(windowRect.top, static_cast<int>((GetSystemMetrics(SM_CYSCREEN) - 537) * 0.5));
    EXPECT_EQ(windowRect.right - windowRect.left, 654);
    EXPECT_EQ(windowRect.bottom - windowRect.top, 537);
    EXPECT_EQ(regionKind, COMPLEXREGION) << "rounded corners make the region more than a rectangle";
    EXPECT_EQ(regionBox.right, 654);  // CreateRoundRectRgn excludes its right and bottom edge
    EXPECT_EQ(regionBox.bottom, 537);
    EXPECT_EQ(app.requests.versionQueries, 1);
    EXPECT_TRUE(app.requests.openedAvatars.empty());
    EXPECT_EQ(app.requests.lastEndpoint.host, "10.0.0.5");
    EXPECT_EQ(app.requests.lastEndpoint.port, 8000);
}

TEST_F(EntryTest, AvatarOnTheCommandLineIsRequestedInsteadOfTheVersion) {
    TestApplication app;
    EXPECT_EQ(runEntry(app, "\"avatar:edit:6442450944\""), 0);
    EXPECT_EQ(app.requests.versionQueries, 0);
    EXPECT_EQ(app.requests.openedAvatars, std::vector<std::int64_t>{6442450944LL});
    EXPECT_EQ(app.requests.lastEndpoint.host, "127.0.0.1");
    EXPECT_EQ(app.requests.lastEndpoint.port, 1234);
}

// The code of an avatar that differs from a new one only in facing `direction`.
std::string codeFacing(std::uint8_t direction) {
    AvatarFields avatar;
    avatar.direction = direction;
    const AvatarCodeResult result = encodeAvatarCode(avatar);
    EXPECT_EQ(result.refusal, CodeRefusal::none);
    return result.code;
}

int editorDirection(Application& app) {
    auto* editor = dynamic_cast<EditorScreen*>(app.windowStack().findWindow(kEditorScreenId));
    return editor ? editor->state().direction() : -1;
}

// A code on the command line opens as soon as the editor is there, and, as an avatar asked for
// by number, without the version query; one of the wrong shape is no request at all.
TEST_F(EntryTest, ACodeOnTheCommandLineOpensWithoutTheVersionQuery) {
    CapturedMessages messages;
    TestApplication app;
    int direction = -1;
    bool dialogShown = true;
    app.onFirstFrame = [&] {
        direction = editorDirection(app);
        dialogShown = dynamic_cast<ui::MessageDialog*>(app.windowStack().active()) != nullptr;
    };
    EXPECT_EQ(runEntry(app, ("\"avatar:code:" + codeFacing(5) + "\"").c_str()), 0);
    EXPECT_EQ(direction, 5);
    EXPECT_FALSE(dialogShown) << "the code the program was started with is not asked about";
    EXPECT_EQ(app.requests.versionQueries, 0);
    EXPECT_TRUE(app.requests.openedAvatars.empty());
    EXPECT_TRUE(messages.shown.empty());

    TestApplication other;
    other.onFirstFrame = [&] { direction = editorDirection(other); };
    EXPECT_EQ(runEntry(other, "\"avatar:code:not a code\""), 0);
    EXPECT_EQ(direction, 0);
    EXPECT_EQ(other.requests.versionQueries, 1);
}

TEST_F(EntryTest, RendererFailureEndsWithZeroAndNoFurtherMessage) {
    RecordingRenderer::openGlStarts = false;
    CapturedMessages messages;
    TestApplication app;
    EXPECT_EQ(runEntry(app, nullptr), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, L"Initial device failed");
    EXPECT_EQ(app.requests.versionQueries, 0);
    EXPECT_EQ(app.frames, 0);
    for (const auto& call : RecordingRenderer::calls()) EXPECT_NE(call, "start Direct3D8") << "OpenGL only";
}

TEST_F(EntryTest, StartUpFailuresAreShownWithoutCaptionAndEndWithZero) {
    struct Case {
        std::function<void()> thrower;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {[] { throw "winsock error"; }, L"winsock error"},
        {[] { throw std::runtime_error("out of range"); }, L"out of range"},
        {[] { throw 3; }, L"Unknown Error,the App will shutdown!"},
    };
    for (const Case& c : cases) {
        CapturedMessages messages;
        TestApplication app;
        app.startupError = c.thrower;
        EXPECT_EQ(runEntry(app, nullptr), 0);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, c.shown);
        EXPECT_FALSE(messages.shown[0].hasCaption);
        EXPECT_EQ(messages.shown[0].owner, nullptr);
        EXPECT_EQ(app.frames, 0);
    }
}

// The application's own messages, sent to a running window.
class ApplicationMessagesTest : public EntryTest {
protected:
    void SetUp() override {
        EntryTest::SetUp();
        ASSERT_TRUE(app.create(kRendererOpenGl));
    }
    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) {
        return SendMessageW(app.window(), message, wParam, lParam);
    }
    bool quitPosted() {
        MSG m;
        return PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
    }
    // Runs this thread's messages until `done` holds (at most ten seconds); returns `done`.
    static bool pumpUntil(const std::function<bool()>& done) {
        for (DWORD start = GetTickCount(); !done();) {
            if (GetTickCount() - start > 10000) return done();
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return true;
    }
    // Asks for the version as the program does and has a server answer with `reply` over a
    // real connection; returns once the application has ended the exchange.
    bool versionReplied(const Bytes& reply) {
        ScriptedPeer peer({{.replies = {reply}}});
        CommandLineRequest request;
        request.endpoint = {"127.0.0.1", peer.port()};
        app.setCommandLineRequest(request);
        app.server().setRequests(nullptr);
        app.askForVersion();
        app.server().setRequests(&app.requests);
        return pumpUntil([&] { return peer.clientShutDowns() == 1; });
    }
    static Bytes versionReply(std::int32_t newest) {
        VersionReply reply;
        reply.newestVersion = newest;
        reply.updaterArguments = "http://127.0.0.1:8080/Download/";
        reply.newsBase = "http://127.0.0.1:8080/feed";
        EXPECT_TRUE(reply.encode());
        return reply.bytes();
    }
    // The first line of the message dialog in front, or "" when none is.
    std::wstring dialogLine() {
        auto* dialog = dynamic_cast<ui::MessageDialog*>(app.windowStack().active());
        return dialog ? dialog->lines()[0] : std::wstring();
    }
    std::wstring firstLineOf(int text) {
        const std::wstring whole = app.uiText(text);
        return whole.substr(0, whole.find(L'\n'));
    }
    void closeDialog() {
        if (auto* dialog = dynamic_cast<ui::MessageDialog*>(app.windowStack().active())) {
            app.windowStack().closeWindow(dialog);
            app.windowStack().destroyClosed();
        }
    }
    static std::uint32_t dword(const char* name, HKEY root = HKEY_CURRENT_USER) {
        const auto v = readRegistryValue(root, kVersionKey, name, 4);
        if (!v || v->size() != 4) return 0xFFFFFFFFu;
        return (*v)[0] | (*v)[1] << 8 | (*v)[2] << 16 | static_cast<std::uint32_t>((*v)[3]) << 24;
    }
    TestApplication app;
};

TEST_F(ApplicationMessagesTest, ForwardedAvatarIdIsRebuiltWithoutSignExtension) {
    EXPECT_EQ(send(WM_OPEN_AVATAR, 1, static_cast<LPARAM>(static_cast<std::int32_t>(0x80000000u))), 1);
    EXPECT_EQ(send(WM_OPEN_AVATAR, 2, 1), 1);
    EXPECT_EQ(app.requests.openedAvatars, (std::vector<std::int64_t>{6442450944LL, 8589934593LL}));
}

// A code forwarded by a second start is asked about (text 484) and opened once confirmed;
// a record that is not exactly such a code is refused and changes nothing.
TEST_F(ApplicationMessagesTest, AForwardedCodeIsAskedAboutAndOpenedAndOtherRecordsAreRefused) {
    auto sendRecord = [&](std::uintptr_t tag, const void* data, std::size_t size) {
        COPYDATASTRUCT record{};
        record.dwData = tag;
        record.cbData = static_cast<DWORD>(size);
        record.lpData = const_cast<void*>(data);
        return send(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
    };
    const std::string good = forwardedCodeBytes(codeFacing(6));
    const std::string tooLong = forwardedCodeBytes(std::string(kLongestAvatarCode + 1, 'A'));
    std::string badCharacter = good;
    badCharacter[1] = '*';
    EXPECT_EQ(sendRecord(kCopyDataAvatarCode + 1, good.data(), good.size()), 0) << "another tag";
    EXPECT_EQ(sendRecord(kCopyDataAvatarCode, tooLong.data(), tooLong.size()), 0) << "too long";
    EXPECT_EQ(sendRecord(kCopyDataAvatarCode, badCharacter.data(), badCharacter.size()), 0) << "bad character";
    EXPECT_EQ(sendRecord(kCopyDataAvatarCode, good.data(), good.size() - 1), 0) << "no terminating zero";
    EXPECT_EQ(sendRecord(kCopyDataAvatarCode, nullptr, 0), 0) << "no data";
    EXPECT_EQ(send(WM_COPYDATA, 0, 0), 0) << "no record";
    EXPECT_EQ(dialogLine(), L"");
    EXPECT_EQ(editorDirection(app), 0);

    EXPECT_EQ(sendRecord(kCopyDataAvatarCode, good.data(), good.size()), 1);
    EXPECT_EQ(dialogLine(), firstLineOf(484));
    EXPECT_EQ(editorDirection(app), 0) << "nothing changes before the answer";
    // Its OK button, clicked.
    auto* question = dynamic_cast<ui::MessageDialog*>(app.windowStack().active());
    ASSERT_TRUE(question);
    ui::Control* ok = nullptr;
    for (const auto& child : question->children())
        if (child->id == 2) ok = child.get();
    ASSERT_NE(ok, nullptr);
    const LPARAM at = MAKELPARAM((ok->bounds.left + ok->bounds.right) / 2, (ok->bounds.top + ok->bounds.bottom) / 2);
    send(WM_LBUTTONDOWN, MK_LBUTTON, at);
    send(WM_LBUTTONUP, 0, at);
    EXPECT_EQ(editorDirection(app), 6);
    EXPECT_EQ(dialogLine(), L"");
}

TEST_F(ApplicationMessagesTest, VersionRepliesAreRecordedAndANewerVersionHandsOver) {
    app.setLanguageIndex(2);
    ASSERT_TRUE(versionReplied(versionReply(2)));
    EXPECT_EQ(dword("ver"), 2u);
    EXPECT_EQ(dword("newver"), 2u);
    EXPECT_TRUE(app.handedOver.empty()) << "version 2 is this program's";
    EXPECT_EQ(dialogLine(), L"") << "a check the program made itself says nothing when all is well";

    ASSERT_TRUE(versionReplied(versionReply(3)));
    EXPECT_EQ(dword("newver"), 3u);
    ASSERT_EQ(app.handedOver.size(), 1u);
    EXPECT_TRUE(app.handedOver[0].first.ends_with("\\update.exe"));
    EXPECT_EQ(app.handedOver[0].second, "http://127.0.0.1:8080/Download/");

    // A reply too short for its layout changes nothing, and still ends the exchange.
    ASSERT_TRUE(versionReplied(Bytes{7, 0, 4, 1, 0, 0, 9}));
    EXPECT_EQ(dword("newver"), 3u);
    EXPECT_EQ(app.handedOver.size(), 1u);
}

// The feed's language follows the interface's: a query per language index, none for an index
// outside the five.
TEST_F(ApplicationMessagesTest, TheNewsAddressCarriesTheLanguageOfTheInterface) {
    const std::pair<int, const char*> cases[] = {{0, "?v=1.0&ln=zh-tw"}, {1, "?v=1.0&ln=zh-cn"}, {2, "?v=1.0&ln=en"},
                                                 {3, "?v=1.0&ln=ja"},    {4, "?v=1.0&ln=fr"},    {7, ""}};
    for (const auto& [language, query] : cases) {
        SCOPED_TRACE(language);
        app.setLanguageIndex(language);
        ASSERT_TRUE(versionReplied(versionReply(2)));
        const auto news = readRegistryValue(HKEY_CURRENT_USER, kVersionKey, "news", 200);
        ASSERT_TRUE(news);
        EXPECT_EQ(std::string(news->begin(), news->end()), std::string("http://127.0.0.1:8080/feed") + query + '\0');
    }
}

// The version values belong to the user, who may not write the machine's: an older install's
// values under HKEY_LOCAL_MACHINE stay as they were.
TEST_F(ApplicationMessagesTest, VersionValuesAreWrittenForTheUserAndTheMachinesStayAsTheyWere) {
    RegDeleteKeyA(HKEY_CURRENT_USER, kVersionKey);
    ASSERT_TRUE(writeRegistryDword(HKEY_LOCAL_MACHINE, kVersionKey, "ver", 1));
    ASSERT_TRUE(writeRegistryDword(HKEY_LOCAL_MACHINE, kVersionKey, "newver", 1));
    ASSERT_TRUE(writeRegistryString(HKEY_LOCAL_MACHINE, kVersionKey, "news", "http://old/feed"));
    app.setLanguageIndex(2);
    ASSERT_TRUE(versionReplied(versionReply(3)));
    EXPECT_EQ(dword("ver"), 2u);
    EXPECT_EQ(dword("newver"), 3u);
    const auto news = readRegistryValue(HKEY_CURRENT_USER, kVersionKey, "news", 200);
    ASSERT_TRUE(news);
    EXPECT_EQ(std::string(news->begin(), news->end()), std::string("http://127.0.0.1:8080/feed?v=1.0&ln=en") + '\0');
    EXPECT_EQ(dword("ver", HKEY_LOCAL_MACHINE), 1u);
    EXPECT_EQ(dword("newver", HKEY_LOCAL_MACHINE), 1u);
    const auto machineNews = readRegistryValue(HKEY_LOCAL_MACHINE, kVersionKey, "news", 200);
    ASSERT_TRUE(machineNews);
    EXPECT_EQ(std::string(machineNews->begin(), machineNews->end()), std::string("http://old/feed") + '\0');
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kVersionKey);
}

// The registration page comes from `regurl`: the user's, else the one an older install left for
// the machine, else the service's own page.
TEST_F(ApplicationMessagesTest, TheRegistrationPageIsTheUsersAddressElseTheMachinesElseTheService) {
    RegDeleteKeyA(HKEY_CURRENT_USER, kVersionKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kVersionKey);
    app.shell().openRegistrationPage();
    ASSERT_TRUE(writeRegistryString(HKEY_LOCAL_MACHINE, kVersionKey, "regurl", "http://machine.example/register"));
    app.shell().openRegistrationPage();
    ASSERT_TRUE(writeRegistryString(HKEY_CURRENT_USER, kVersionKey, "regurl", "http://user.example/register"));
    app.shell().openRegistrationPage();
    EXPECT_EQ(app.openedAddresses,
              (std::vector<std::string>{std::string(kDefaultWebAddress) + "/?c=reg", "http://machine.example/register",
                                        "http://user.example/register"}));
    RegDeleteKeyA(HKEY_CURRENT_USER, kVersionKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kVersionKey);
}

// Another process can send or post the reply messages with a pointer of its choosing; the
// program reads none of them. A real reply afterwards is still acted on.
TEST_F(ApplicationMessagesTest, ReplyMessagesThatDoNotComeFromTheExchangeAreIgnored) {
    const Bytes newer = versionReply(3);
    const auto forged = reinterpret_cast<LPARAM>(newer.data());
    // Sent from another thread, as another process's SendMessage arrives: with pointers
    // nobody may read, and with a real reply's bytes.
    std::atomic<bool> sent{false};
    std::thread sender([&] {
        HWND window = app.window();
        for (UINT message : {WM_SAVE_REPLY, WM_VERSION_REPLY, WM_AVATAR_REPLY}) {
            SendMessageW(window, message, 4096, 0x10);
            SendMessageW(window, message, newer.size(), forged);
        }
        sent = true;
    });
    EXPECT_TRUE(pumpUntil([&] { return sent.load(); }));
    sender.join();
    // Posted, and sent from this thread.
    for (UINT message : {WM_SAVE_REPLY, WM_VERSION_REPLY, WM_AVATAR_REPLY}) {
        PostMessageW(app.window(), message, newer.size(), forged);
        EXPECT_EQ(send(message, newer.size(), forged), 0);
    }
    EXPECT_TRUE(pumpUntil([] {
        MSG m;
        return !PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
    }));
    EXPECT_TRUE(app.handedOver.empty());
    EXPECT_EQ(dialogLine(), L"");

    ASSERT_TRUE(versionReplied(newer));
    EXPECT_EQ(app.handedOver.size(), 1u);
}

// Every request that finds no server says so with text 455: the version check at start-up,
// an avatar asked for, and an exchange that ran out of time.
TEST_F(ApplicationMessagesTest, ARequestThatFindsNoServerShowsTheConnectionText) {
    app.requests.connects = false;
    app.askForVersion();
    EXPECT_EQ(dialogLine(), firstLineOf(455)) << "the version check at start-up";
    closeDialog();

    EXPECT_EQ(send(WM_OPEN_AVATAR, 0, 42), 1);
    EXPECT_EQ(app.requests.openedAvatars, std::vector<std::int64_t>{42});
    EXPECT_EQ(dialogLine(), firstLineOf(455)) << "an avatar forwarded by a second start";
    closeDialog();

    // Over the program's own connection, to a port where nothing listens.
    CommandLineRequest request;
    request.endpoint = {"127.0.0.1", test::refusingPort()};
    app.setCommandLineRequest(request);
    app.server().setRequests(nullptr);
    app.openAvatar(42);
    EXPECT_EQ(dialogLine(), firstLineOf(455)) << "an avatar asked for on the command line";
    closeDialog();

    PostMessageW(app.window(), WM_SERVER_FAILED, static_cast<WPARAM>(MessageType::OpenAvatarRequest), 0);
    PostMessageW(app.window(), WM_SERVER_FAILED, static_cast<WPARAM>(MessageType::VersionQuery), 0);
    EXPECT_TRUE(pumpUntil([&] { return dialogLine() == firstLineOf(455); })) << "a reply that never came";
}

// With the buttons swapped, the logical left button is the physical right one: pressing it
// on the title band starts the move, pressing the physical left one does not.
TEST_F(ApplicationMessagesTest, TheWindowMovesWithTheLogicalLeftButtonWhenTheButtonsAreSwapped) {
    auto button = [](DWORD flags) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flags;
        EXPECT_EQ(SendInput(1, &input, sizeof input), 1u);
    };
    // Away from the window: the presses themselves reach no window of ours.
    SetCursorPos(0, 0);
    struct Swapped {
        Swapped() { SwapMouseButton(TRUE); }
        ~Swapped() { SwapMouseButton(FALSE); }
    } swapped;
    ASSERT_TRUE(GetSystemMetrics(SM_SWAPBUTTON));
    const LPARAM titleBand = MAKELPARAM(300, 10);

    button(MOUSEEVENTF_RIGHTDOWN);
    const bool held = GetAsyncKeyState(VK_RBUTTON) < 0;
    send(WM_LBUTTONDOWN, MK_LBUTTON, titleBand);
    button(MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(held) << "the physical button was down";
    EXPECT_EQ(app.captionPresses, 1) << "the logical left button was held";

    button(MOUSEEVENTF_LEFTDOWN);
    app.shell().moveWindowWithMouse();
    button(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(app.captionPresses, 1) << "the logical right button moves nothing";
    send(WM_LBUTTONUP, 0, titleBand);
}

// An updater that cannot be started (update.exe missing) is told, and the program goes on
// instead of ending at every start while the server announces a newer version.
TEST_F(ApplicationMessagesTest, AnUpdaterThatCannotBeStartedIsToldAndTheProgramGoesOn) {
    const std::string missing =
        (std::filesystem::temp_directory_path() / "likenex-no-such-folder" / "update.exe").string();
    CapturedMessages messages;
    app.realHandOver = true;
    app.versionCheck().handOver(missing, "http://127.0.0.1:8080/Download/");
    EXPECT_EQ(app.programEnds, 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].owner, app.window());
    EXPECT_TRUE(messages.shown[0].text.starts_with(std::filesystem::path(missing).wstring() + L"\n"))
        << "names the updater it looked for";
}

TEST_F(ApplicationMessagesTest, QuitAsksFirstAndOnlyAConfirmationQuits) {
    EXPECT_EQ(send(WM_DIALOG_OK, 0, 0), 0) << "no quit pending: the base procedure answers";
    EXPECT_FALSE(quitPosted());

    EXPECT_EQ(send(WM_COMMAND, 40003, 0), 1);
    EXPECT_EQ(app.shell().quitPending(), 1);
    EXPECT_TRUE(app.active());
    EXPECT_FALSE(quitPosted()) << "the quit command only asks";

    EXPECT_EQ(send(WM_DIALOG_CANCEL, 0, 0), 0);
    EXPECT_EQ(app.shell().quitPending(), 0);
    EXPECT_EQ(send(WM_DIALOG_OK, 0, 0), 0);
    EXPECT_FALSE(quitPosted());

    send(WM_COMMAND, 40003, 0);
    EXPECT_EQ(send(WM_DIALOG_OK, 0, 0), 1);
    EXPECT_TRUE(quitPosted());
}

// The tray menu's Quit opens the confirmation in the window; a click on its OK button, as
// real mouse messages to the main window, answers it and so ends the program.
TEST_F(ApplicationMessagesTest, QuitFromTheTrayAsksInTheWindowAndItsOkQuits) {
    send(WM_COMMAND, 40003, 0);
    auto* dialog = dynamic_cast<ui::MessageDialog*>(app.windowStack().active());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->title(), app.uiText(kTextDialogTitle));
    EXPECT_EQ(dialog->lines()[0], app.uiText(kTextConfirmQuit).substr(0, app.uiText(kTextConfirmQuit).find(L'\n')));
    EXPECT_EQ(dialog->dialogStyle(), ui::DialogStyle::okCancel);
    EXPECT_TRUE(dialog->modal);
    EXPECT_EQ(dialog->owner, app.windowStack().root()) << "owned by the main frame";
    ui::Control* ok = nullptr;
    for (const auto& child : dialog->children())
        if (child->id == 2) ok = child.get();
    ASSERT_NE(ok, nullptr);
    const LPARAM at = MAKELPARAM((ok->bounds.left + ok->bounds.right) / 2, (ok->bounds.top + ok->bounds.bottom) / 2);
    EXPECT_EQ(send(WM_LBUTTONDOWN, MK_LBUTTON, at), 1);
    EXPECT_FALSE(quitPosted());
    EXPECT_EQ(send(WM_LBUTTONUP, 0, at), 1);
    EXPECT_TRUE(quitPosted());
    EXPECT_EQ(app.windowStack().size(), 2u) << "the dialog closed; the frame and the editor stay";
}

TEST_F(ApplicationMessagesTest, TrayAndCommandMessagesAreAlwaysTaken) {
    ShowWindow(app.window(), SW_HIDE);
    app.setActive(false);
    EXPECT_EQ(send(WM_TRAY_NOTIFY, 999, WM_LBUTTONDBLCLK), 1);
    EXPECT_FALSE(IsWindowVisible(app.window())) << "another icon's double click is ignored";
    EXPECT_EQ(send(WM_TRAY_NOTIFY, 101, WM_MOUSEMOVE), 1);
    EXPECT_EQ(send(WM_TRAY_NOTIFY, 101, WM_LBUTTONDBLCLK), 1);
    EXPECT_TRUE(IsWindowVisible(app.window()));
    EXPECT_TRUE(app.active());

    // Show while already visible shows again and removes an icon that is not there.
    EXPECT_EQ(send(WM_COMMAND, 40004, 0), 1);
    EXPECT_TRUE(IsWindowVisible(app.window()));
    EXPECT_EQ(send(WM_COMMAND, 12345, 0), 1);
    EXPECT_EQ(app.shell().quitPending(), 0);
}

}  // namespace
}  // namespace likenex
