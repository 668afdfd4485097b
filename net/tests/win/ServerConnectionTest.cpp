// The connection against a scripted peer on loopback, with a window of the test's thread in
// the main window's place: what reaches that window, when, and what the peer sees.
#include "base/WindowMessages.h"
#include "net/Messages.h"
#include "net/win/NetworkSession.h"
#include "net/win/ServerConnection.h"
#include "test_support/ScriptedPeer.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

namespace likenex::test {
namespace {

// A frame of `length` bytes of `type` with a patterned body.
Bytes frame(std::int32_t type, std::size_t length, std::uint8_t seed = 1) {
    Bytes bytes(length);
    for (std::size_t i = 6; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 13);
    bytes[0] = static_cast<std::uint8_t>(length);
    bytes[1] = static_cast<std::uint8_t>(length >> 8);
    for (int i = 0; i < 4; ++i) bytes[2 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(type) >> (8 * i));
    return bytes;
}

template <typename Message>
Message encoded() {
    Message message;
    EXPECT_TRUE(message.encode());
    return message;
}

struct Received {
    UINT message = 0;
    WPARAM wParam = 0;
    Bytes bytes;
    LPARAM lParam = 0;  // where the bytes lay while the message was handled
};

// Stands in for the main window: records the replies and failures it is given and runs the
// test's handler inside the reply's SendMessage, as the program's handler runs.
class MainWindowStandIn {
public:
    MainWindowStandIn() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"LikenexNetTestMainWindow";
        RegisterClassW(&windowClass);
        window_.reset(CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      windowClass.hInstance, this));
        EXPECT_TRUE(window_);
    }

    [[nodiscard]] HWND handle() const { return window_.get(); }

    // Pumps this thread's messages until `done` holds or `timeoutMs` passes; returns `done`.
    bool pumpUntil(const std::function<bool()>& done, unsigned timeoutMs = 10000) {
        DWORD start = GetTickCount();
        for (;;) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            if (done()) return true;
            if (GetTickCount() - start >= timeoutMs) return done();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    void pumpFor(unsigned ms) {
        (void)pumpUntil([] { return false; }, ms);
    }

    std::vector<Received> received;
    std::function<void(const Received&)> onReply;

private:
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<MainWindowStandIn*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message >= WM_SAVE_REPLY && message <= WM_AVATAR_REPLY) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(lParam);
            self->received.push_back({message, wParam, Bytes(bytes, bytes + wParam), lParam});
            if (self->onReply) self->onReply(self->received.back());
            return 0;
        }
        if (self && message == WM_SERVER_FAILED) {
            self->received.push_back({message, wParam, {}});
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    UniqueWindow window_;
};

class ServerConnectionTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(session().start()); }
    static NetworkSession& session() {
        static NetworkSession network;
        return network;
    }

    void SetUp() override { useTimeLimit(10000); }
    void TearDown() override {
        connection.reset();
        // Whatever the case left running ends by itself and releases its handles.
        EXPECT_TRUE(window.pumpUntil([this] { return *unreleased == 0; }));
    }

    void useTimeLimit(unsigned ms) {
        connection.emplace(window.handle(), ServerConnection::Options{ms, 8}, unreleased);
        // The program's handlers end the exchange once they have acted on the reply.
        window.onReply = [this](const Received&) { connection->closeConnection(); };
    }
    bool waitForMessages(std::size_t count, unsigned timeoutMs = 10000) {
        return window.pumpUntil([&] { return window.received.size() >= count; }, timeoutMs);
    }
    bool waitUntilIdle() {
        return window.pumpUntil([&] { return !connection->exchangeOpen() && *unreleased == 0; });
    }

    MainWindowStandIn window;
    // Shared by every connection the case makes, so that teardown sees all their exchanges.
    std::shared_ptr<ServerConnection::ExchangeCount> unreleased = std::make_shared<ServerConnection::ExchangeCount>(0);
    std::optional<ServerConnection> connection;
};

TEST_F(ServerConnectionTest, EachReplyTypeReachesTheMainWindowAsItsMessageWithItsBytes) {
    Bytes version = frame(260, 30), save = frame(258, 7), avatar = frame(262, 50), unknown = frame(263, 9);
    ScriptedPeer peer(
        {{.replies = {version}}, {.replies = {save}}, {.replies = {avatar}}, {.replies = {unknown, version}}});
    VersionQuery query = encoded<VersionQuery>();
    SaveAvatarRequest upload = encoded<SaveAvatarRequest>();
    OpenAvatarRequest open = encoded<OpenAvatarRequest>();
    const struct {
        const ProtocolMessage* request;
        UINT message;
        Bytes reply;
    } expected[] = {{&query, WM_VERSION_REPLY, version},
                    {&upload, WM_SAVE_REPLY, save},
                    {&open, WM_AVATAR_REPLY, avatar},
                    {&query, WM_VERSION_REPLY, version}};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        ASSERT_TRUE(connection->send("127.0.0.1", peer.port(), *expected[i].request));
        ASSERT_TRUE(waitForMessages(i + 1));
        EXPECT_EQ(window.received[i].message, expected[i].message);
        EXPECT_EQ(window.received[i].wParam, expected[i].reply.size());
        EXPECT_EQ(window.received[i].bytes, expected[i].reply);
        ASSERT_TRUE(waitUntilIdle());
    }
    // The type nobody handles was dropped, not delivered after the known one.
    window.pumpFor(200);
    EXPECT_EQ(window.received.size(), 4u);
    ASSERT_EQ(peer.requests().size(), 4u);
    for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(peer.requests()[i], expected[i].request->bytes());
    EXPECT_EQ(peer.clientShutDowns(), 4);
}

// A reply that answers another request (an avatar for an upload, a version for an avatar)
// reaches no handler: the exchange ends as a failure of its own request at once.
TEST_F(ServerConnectionTest, AReplyOfAnotherRequestIsDroppedAndTheExchangeFails) {
    const Bytes save = frame(258, 7), version = frame(260, 18), avatar = frame(262, 7);
    const SaveAvatarRequest upload = encoded<SaveAvatarRequest>();
    const VersionQuery query = encoded<VersionQuery>();
    const OpenAvatarRequest open = encoded<OpenAvatarRequest>();
    const struct {
        const ProtocolMessage* request;
        Bytes reply;
    } cases[] = {{&upload, avatar}, {&upload, version}, {&query, save},
                 {&query, avatar},  {&open, version},   {&open, save}};
    std::vector<PeerScript> scripts;
    for (const auto& c : cases) scripts.push_back({.replies = {c.reply}});
    ScriptedPeer peer(scripts);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(connection->send("127.0.0.1", peer.port(), *cases[i].request));
        ASSERT_TRUE(waitForMessages(i + 1));
        EXPECT_EQ(window.received[i].message, WM_SERVER_FAILED);
        EXPECT_EQ(window.received[i].wParam, static_cast<WPARAM>(cases[i].request->type()));
        // Ended by the connection, not left open to its time limit.
        ASSERT_TRUE(waitUntilIdle());
        EXPECT_EQ(peer.clientShutDowns(), static_cast<int>(i + 1));
    }
    window.pumpFor(200);
    EXPECT_EQ(window.received.size(), std::size(cases));
}

// The main window acts on a reply message only when the connection says it is the one its
// dispatcher is handing over, and says so once.
TEST_F(ServerConnectionTest, OnlyTheReplyBeingHandedOverIsTakenAndOnlyOnce) {
    ScriptedPeer peer({{.replies = {frame(260, 18)}}});
    std::vector<bool> taken;
    LPARAM handedOver = 0;
    window.onReply = [&](const Received& r) {
        handedOver = r.lParam;
        taken.push_back(connection->takeDelivery(r.message, r.wParam, r.lParam + 1));
        taken.push_back(connection->takeDelivery(WM_AVATAR_REPLY, r.wParam, r.lParam));
        taken.push_back(connection->takeDelivery(r.message, r.wParam + 1, r.lParam));
        taken.push_back(connection->takeDelivery(r.message, r.wParam, r.lParam));
        taken.push_back(connection->takeDelivery(r.message, r.wParam, r.lParam));
        connection->closeConnection();
    };
    EXPECT_FALSE(connection->takeDelivery(WM_VERSION_REPLY, 18, 0)) << "no exchange open";
    ASSERT_TRUE(connection->send("127.0.0.1", peer.port(), encoded<VersionQuery>()));
    EXPECT_FALSE(connection->takeDelivery(WM_VERSION_REPLY, 18, 0)) << "nothing handed over yet";
    ASSERT_TRUE(waitForMessages(1));
    EXPECT_EQ(taken, (std::vector<bool>{false, false, false, true, false}));
    EXPECT_FALSE(connection->takeDelivery(WM_VERSION_REPLY, 18, handedOver)) << "not inside the dispatcher's send";
    EXPECT_TRUE(waitUntilIdle());
}

TEST_F(ServerConnectionTest, TheLongestReplyArrivesWholeAndALongerOneNeverArrives) {
    useTimeLimit(1500);
    Bytes longest = frame(262, 4096), tooLong = frame(260, 4097);
    std::fill(tooLong.begin() + 6, tooLong.end(), 0);
    ScriptedPeer peer({{.replies = {longest}}, {.replies = {tooLong}, .hangUp = true}});
    ASSERT_TRUE(connection->send("127.0.0.1", peer.port(), encoded<OpenAvatarRequest>()));
    ASSERT_TRUE(waitForMessages(1));
    EXPECT_EQ(window.received[0].message, WM_AVATAR_REPLY);
    EXPECT_EQ(window.received[0].bytes, longest);
    ASSERT_TRUE(waitUntilIdle());

    ASSERT_TRUE(connection->send("127.0.0.1", peer.port(), encoded<OpenAvatarRequest>()));
    ASSERT_TRUE(waitForMessages(2));
    EXPECT_EQ(window.received[1].message, WM_SERVER_FAILED);
    EXPECT_EQ(window.received[1].wParam, 261u);
}

TEST_F(ServerConnectionTest, APeerThatHangsUpWithoutAReplyGivesNoMessageUntilTheTimeLimit) {
    useTimeLimit(2500);
    ScriptedPeer peer({PeerScript{.hangUp = true}});
    ASSERT_TRUE(connection->send("127.0.0.1", peer.port(), encoded<VersionQuery>()));
    window.pumpFor(1000);
    EXPECT_TRUE(window.received.empty());
    EXPECT_TRUE(connection->exchangeOpen());
    ASSERT_TRUE(waitForMessages(1));
    EXPECT_EQ(window.received[0].message, WM_SERVER_FAILED);
    EXPECT_EQ(window.received[0].wParam, 259u);
    EXPECT_TRUE(waitUntilIdle());
}

TEST_F(ServerConnectionTest, APeerThatNeverAnswersIsShutDownAtTheTimeLimitAndALateReplyIsDropped) {
    useTimeLimit(1000);
    ScriptedPeer peer({{}, {.delayMs = 2000, .replies = {frame(260, 20)}}, {.replies = {frame(260, 18)}}});
    ASSERT_TRUE(connection->send("127.0.0.1", peer.port(), encoded<OpenAvatarRequest>()));
    ASSERT_TRUE(waitForMessages(1));
    EXPECT_EQ(window.received[0].message, WM_SERVER_FAILED);
    EXPECT_EQ(window.received[0].wParam, 261u);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(peer.clientShutDowns(), 1);

    ASSERT_TRUE(connection->send("127.0.0.1", peer.port(), encoded<VersionQuery>()));
    ASSERT_TRUE(waitForMessages(2));
    EXPECT_EQ(window.received[1].message, WM_SERVER_FAILED);
    window.pumpFor(1500);
    EXPECT_EQ(window.received.size(), 2u);

    // The connection serves the next request as usual.
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_TRUE(connection->send("127.0.0.1", peer.port(), encoded<VersionQuery>()));
    ASSERT_TRUE(waitForMessages(3));
    EXPECT_EQ(window.received[2].message, WM_VERSION_REPLY);
}

TEST_F(ServerConnectionTest, ARequestMadeDuringAnExchangeGoesOutOnceItsReplyIsHandled) {
    Bytes first = frame(260, 24), second = frame(262, 7);
    ScriptedPeer peer({{.delayMs = 300, .replies = {first}}, {.replies = {second}}});
    std::size_t requestsSeenByFirstHandler = 0;
    window.onReply = [&](const Received&) {
        if (window.received.size() == 1) requestsSeenByFirstHandler = peer.requests().size();
        connection->closeConnection();
    };
    VersionQuery query = encoded<VersionQuery>();
    OpenAvatarRequest open = encoded<OpenAvatarRequest>();
    ASSERT_TRUE(connection->send("127.0.0.1", peer.port(), query));
    ASSERT_TRUE(connection->send("127.0.0.1", peer.port(), open));
    EXPECT_EQ(connection->waitingRequests(), 1u);
    ASSERT_TRUE(waitForMessages(2));
    EXPECT_EQ(window.received[0].bytes, first);
    EXPECT_EQ(window.received[1].bytes, second);
    EXPECT_EQ(requestsSeenByFirstHandler, 1u);
    ASSERT_EQ(peer.requests().size(), 2u);
    EXPECT_EQ(peer.requests()[1], open.bytes());
    EXPECT_TRUE(waitUntilIdle());
}

// Replies are handed on newest first. The first reply's handler holds the dispatcher until the
// reader has queued the two that follow it, so the order is the queue's, not the threads'.
TEST_F(ServerConnectionTest, QueuedRepliesGoNewestFirstAndAllBeforeTheNextExchange) {
    Bytes first = frame(260, 20, 1), older = frame(260, 20, 2), newer = frame(260, 20, 3), next = frame(260, 20, 4);
    ScriptedPeer peer({{.replies = {first}, .laterDelayMs = 100, .laterReplies = {older, newer}}, {.replies = {next}}});
    std::size_t queuedAtFirst = 0;
    window.onReply = [&](const Received&) {
        if (window.received.size() == 1) {
            for (int i = 0; i < 1000 && connection->queuedReplies() < 2; ++i) Sleep(10);
            queuedAtFirst = connection->queuedReplies();
            return;  // not closed: the exchange goes on
        }
        if (window.received.size() == 2) {
            EXPECT_TRUE(connection->send("127.0.0.1", peer.port(), encoded<VersionQuery>()));
        }
        connection->closeConnection();
    };
    ASSERT_TRUE(connection->send("127.0.0.1", peer.port(), encoded<VersionQuery>()));
    ASSERT_TRUE(waitForMessages(4));
    ASSERT_EQ(queuedAtFirst, 2u);
    EXPECT_EQ(window.received[0].bytes, first);
    EXPECT_EQ(window.received[1].bytes, newer);
    EXPECT_EQ(window.received[2].bytes, older) << "queued when the handler closed: still handed on";
    EXPECT_EQ(window.received[3].bytes, next);
    EXPECT_TRUE(waitUntilIdle());
}

TEST_F(ServerConnectionTest, AnExchangeWhoseHandlerNeverClosesEndsQuietlyAtTheTimeLimit) {
    useTimeLimit(1000);
    window.onReply = nullptr;
    Bytes first = frame(260, 18), second = frame(262, 7);
    ScriptedPeer peer({{.replies = {first}}, {.replies = {second}}});
    ASSERT_TRUE(connection->send("127.0.0.1", peer.port(), encoded<VersionQuery>()));
    ASSERT_TRUE(connection->send("127.0.0.1", peer.port(), encoded<OpenAvatarRequest>()));
    // The second request goes out once the first exchange has run out of time; neither
    // exchange counts as failed, since each had its reply.
    ASSERT_TRUE(waitForMessages(2));
    EXPECT_EQ(window.received[0].bytes, first);
    EXPECT_EQ(window.received[1].bytes, second);
    window.pumpFor(1500);
    EXPECT_EQ(window.received.size(), 2u);
    EXPECT_EQ(peer.clientShutDowns(), 2);
}

TEST_F(ServerConnectionTest, AWaitingRequestWhoseConnectionFailsIsReportedWithItsType) {
    ScriptedPeer peer({{.delayMs = 200, .replies = {frame(260, 18)}}});
    ASSERT_TRUE(connection->send("127.0.0.1", peer.port(), encoded<VersionQuery>()));
    ASSERT_TRUE(connection->send("127.0.0.1", refusingPort(), encoded<OpenAvatarRequest>()));
    ASSERT_TRUE(waitForMessages(2));
    EXPECT_EQ(window.received[0].message, WM_VERSION_REPLY);
    EXPECT_EQ(window.received[1].message, WM_SERVER_FAILED);
    EXPECT_EQ(window.received[1].wParam, 261u);
    EXPECT_TRUE(waitUntilIdle());
}

TEST_F(ServerConnectionTest, AReplySentOneByteASecondIsDelivered) {
    Bytes reply = frame(260, 8);
    ScriptedPeer peer({{.replies = {reply}, .byteIntervalMs = 1000}});
    ASSERT_TRUE(connection->send("127.0.0.1", peer.port(), encoded<VersionQuery>()));
    ASSERT_TRUE(waitForMessages(1, 15000));
    EXPECT_EQ(window.received[0].bytes, reply);
}

TEST_F(ServerConnectionTest, AHostNameIsLookedUp) {
    Bytes reply = frame(260, 18);
    ScriptedPeer peer({{.replies = {reply}}});
    ASSERT_TRUE(connection->send("localhost", peer.port(), encoded<VersionQuery>()));
    ASSERT_TRUE(waitForMessages(1));
    EXPECT_EQ(window.received[0].bytes, reply);
}

TEST_F(ServerConnectionTest, NothingIsSentWhenNoConnectionCanBeMadeOrTheRequestIsNotEncoded) {
    EXPECT_FALSE(connection->send("127.0.0.1", refusingPort(), encoded<VersionQuery>()));
    EXPECT_FALSE(connection->send("", 1234, encoded<VersionQuery>()));
    EXPECT_FALSE(connection->send("127.0.0.1", 0, encoded<VersionQuery>()));
    ScriptedPeer peer({{.replies = {frame(260, 18)}}});
    EXPECT_FALSE(connection->send("127.0.0.1", peer.port(), VersionQuery{}));
    EXPECT_FALSE(connection->exchangeOpen());
    window.pumpFor(300);
    EXPECT_TRUE(window.received.empty());
    EXPECT_TRUE(peer.requests().empty());
}

// Process exit with an exchange open: the test program starts itself again to run the child
// case below, which opens an exchange and returns with the connection, its window and WinSock
// still alive, so that they go with the process's static objects.
constexpr wchar_t kExitModeVariable[] = L"LIKENEX_NET_EXIT_MODE";
constexpr wchar_t kExitPortVariable[] = L"LIKENEX_NET_EXIT_PORT";

DWORD runExitChild(const wchar_t* mode, int port) {
    wchar_t program[MAX_PATH];
    if (GetModuleFileNameW(nullptr, program, MAX_PATH) == 0) return 1001;
    std::wstring commandLine = L"\"" + std::wstring(program) +
                               L"\" --gtest_filter=ExitWithExchangeOpen.DISABLED_Child --gtest_also_run_disabled_tests";
    SetEnvironmentVariableW(kExitModeVariable, mode);
    SetEnvironmentVariableW(kExitPortVariable, std::to_wstring(port).c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    BOOL ok =
        CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started);
    SetEnvironmentVariableW(kExitModeVariable, nullptr);
    if (!ok) return 1002;
    UniqueHandle process(started.hProcess), thread(started.hThread);
    if (WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1003);
        return 1003;
    }
    DWORD code = 1004;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

TEST(ExitWithExchangeOpen, TheProgramEndsWhetherTheServerIsSilentOrTheDispatcherWaitsForTheMainWindow) {
    // Silent: the reader waits in its receive. Replied: the dispatcher waits inside its
    // SendMessage for a main window whose thread never pumps again.
    NetworkSession session;
    ASSERT_TRUE(session.start());
    ScriptedPeer peer({{}, {.replies = {frame(260, 18)}}});
    EXPECT_EQ(runExitChild(L"silent", peer.port()), 0u);
    EXPECT_EQ(runExitChild(L"replied", peer.port()), 0u);
}

TEST(ExitWithExchangeOpen, DISABLED_Child) {
    wchar_t mode[16] = {}, port[16] = {};
    ASSERT_NE(GetEnvironmentVariableW(kExitModeVariable, mode, 16), 0u);
    ASSERT_NE(GetEnvironmentVariableW(kExitPortVariable, port, 16), 0u);
    static NetworkSession session;
    ASSERT_TRUE(session.start());
    static MainWindowStandIn window;
    static ServerConnection connection(window.handle());
    ASSERT_TRUE(connection.send("127.0.0.1", std::stoi(port), encoded<VersionQuery>()));
    // Long enough for the reply to reach the dispatcher; the window is not pumped.
    Sleep(500);
    EXPECT_TRUE(connection.exchangeOpen());
}

TEST(NetworkSession, AFailedStartSaysSoOnStandardOutput) {
    NetworkSession session;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(session.start(0));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nwinsock初始化失败！\n");
    EXPECT_FALSE(session.started());
}

}  // namespace
}  // namespace likenex::test
