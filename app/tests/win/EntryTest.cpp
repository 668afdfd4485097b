#include "app/Entry.h"
#include "app/SingleInstance.h"
#include "app/tests/win/TestSupport.h"
#include "base/Constants.h"
#include "base/WindowMessages.h"
#include "net/Messages.h"
#include "platform/win/Registry.h"
#include "ui/MessageDialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace likenex {
namespace {

using testing::CapturedMessages;
using testing::RecordedRequests;
using testing::RecordingRenderer;
using testing::TestClock;

// The real application object with a recording renderer and recorded server requests. Its
// first frame runs `onFirstFrame` and then closes the window.
class TestApplication : public Application {
public:
    TestApplication() {
        setProgramDirectory(LIKENEX_PROGRAM_DIR_PATH);
        setRendererFunctions(&RecordingRenderer::start, &RecordingRenderer::stop, &RecordingRenderer::maxTextureSize);
        setServerRequests(&requests);
        setClock(&clock);
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
    void handOverToUpdater(const std::string& updaterPath, const std::string& arguments) override {
        handedOver.emplace_back(updaterPath, arguments);
    }
    RecordedRequests requests;
    TestClock clock;
    int frames = 0;
    std::function<void()> onFirstFrame;
    std::function<void()> startupError;
    std::vector<std::pair<std::string, std::string>> handedOver;
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
    TestApplication app;
};

TEST_F(ApplicationMessagesTest, ForwardedAvatarIdIsRebuiltWithoutSignExtension) {
    EXPECT_EQ(send(WM_OPEN_AVATAR, 1, static_cast<LPARAM>(static_cast<std::int32_t>(0x80000000u))), 1);
    EXPECT_EQ(send(WM_OPEN_AVATAR, 2, 1), 1);
    EXPECT_EQ(app.requests.openedAvatars, (std::vector<std::int64_t>{6442450944LL, 8589934593LL}));
}

TEST_F(ApplicationMessagesTest, VersionRepliesAreRecordedAndANewerVersionHandsOver) {
    auto replyWith = [&](std::int32_t newest) {
        VersionReply reply;
        reply.newestVersion = newest;
        reply.updaterArguments = "http://127.0.0.1:8080/Download/";
        reply.newsBase = "http://127.0.0.1:8080/feed";
        EXPECT_TRUE(reply.encode());
        return send(WM_VERSION_REPLY, reply.bytes().size(), reinterpret_cast<LPARAM>(reply.bytes().data()));
    };
    auto dword = [](const char* name) -> std::uint32_t {
        const auto v = readRegistryValue(HKEY_LOCAL_MACHINE, kVersionKey, name, 4);
        if (!v || v->size() != 4) return 0xFFFFFFFFu;
        return (*v)[0] | (*v)[1] << 8 | (*v)[2] << 16 | static_cast<std::uint32_t>((*v)[3]) << 24;
    };
    app.setLanguageIndex(2);
    EXPECT_EQ(replyWith(2), 1);
    EXPECT_EQ(dword("ver"), 2u);
    EXPECT_EQ(dword("newver"), 2u);
    const auto news = readRegistryValue(HKEY_LOCAL_MACHINE, kVersionKey, "news", 200);
    ASSERT_TRUE(news);
    EXPECT_EQ(std::string(news->begin(), news->end()), std::string("http://127.0.0.1:8080/feed?v=1.0&ln=en") + '\0');
    EXPECT_TRUE(app.handedOver.empty()) << "version 2 is this program's";

    EXPECT_EQ(replyWith(3), 1);
    EXPECT_EQ(dword("newver"), 3u);
    ASSERT_EQ(app.handedOver.size(), 1u);
    EXPECT_TRUE(app.handedOver[0].first.ends_with("\\update.exe"));
    EXPECT_EQ(app.handedOver[0].second, "http://127.0.0.1:8080/Download/");

    // A reply too short for its layout changes nothing.
    const std::uint8_t cut[] = {7, 0, 4, 1, 0, 0, 9};
    EXPECT_EQ(send(WM_VERSION_REPLY, sizeof cut, reinterpret_cast<LPARAM>(cut)), 1);
    EXPECT_EQ(dword("newver"), 3u);
}

TEST_F(ApplicationMessagesTest, QuitAsksFirstAndOnlyAConfirmationQuits) {
    EXPECT_EQ(send(WM_DIALOG_OK, 0, 0), 0) << "no quit pending: the base procedure answers";
    EXPECT_FALSE(quitPosted());

    EXPECT_EQ(send(WM_COMMAND, 40003, 0), 1);
    EXPECT_EQ(app.quitPending(), 1);
    EXPECT_TRUE(app.active());
    EXPECT_FALSE(quitPosted()) << "the quit command only asks";

    EXPECT_EQ(send(WM_DIALOG_CANCEL, 0, 0), 0);
    EXPECT_EQ(app.quitPending(), 0);
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
    EXPECT_EQ(dialog->dialogStyle(), ui::MessageDialog::confirm);
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
    EXPECT_EQ(app.quitPending(), 0);
}

}  // namespace
}  // namespace likenex
