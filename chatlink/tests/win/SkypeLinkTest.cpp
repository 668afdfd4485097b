// The chat-client link under Wine against a chat client played by the test: a window of its
// own that registers the two messages, answers discovery with the attach status it is told
// to, takes commands over WM_COPYDATA and answers them, refuses them with an ERROR line, or
// stops answering.
#include "chatlink/ChatLinkText.h"
#include "chatlink/win/SkypeLink.h"
#include "platform/win/Handles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace likenex {
namespace {

SkypeLink* theLink = nullptr;

// The program's window: hands everything to the link first, as the main window does.
LRESULT CALLBACK ownProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (theLink && theLink->handleMessage(message, wParam, lParam)) return 1;
    return DefWindowProcW(window, message, wParam, lParam);
}

struct PeerScript {
    LPARAM attachStatus = kAttachSuccess;
    bool answersDiscovery = true;
    bool acceptsCommands = true;
    std::string reply = "AVATAR 1 done";
    std::vector<std::string> commands;
    int discoveries = 0;
};
PeerScript* thePeer = nullptr;
UINT attachMessage = 0, discoverMessage = 0;

// The chat client: answers discovery with an attach status and commands with a reply.
LRESULT CALLBACK peerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (thePeer && message == discoverMessage) {
        ++thePeer->discoveries;
        if (thePeer->answersDiscovery)
            SendMessageW(reinterpret_cast<HWND>(wParam), attachMessage, reinterpret_cast<WPARAM>(window),
                         thePeer->attachStatus);
        return 1;
    }
    if (thePeer && message == WM_COPYDATA) {
        if (!thePeer->acceptsCommands) return 0;
        const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        thePeer->commands.emplace_back(static_cast<const char*>(record->lpData), record->cbData);
        COPYDATASTRUCT answer{};
        answer.dwData = 1;
        answer.cbData = static_cast<DWORD>(thePeer->reply.size());
        answer.lpData = thePeer->reply.data();
        SendMessageW(reinterpret_cast<HWND>(wParam), WM_COPYDATA, reinterpret_cast<WPARAM>(window),
                     reinterpret_cast<LPARAM>(&answer));
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND makeWindow(const wchar_t* className, WNDPROC proc) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    return CreateWindowExW(0, className, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
}

class SkypeLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        attachMessage = RegisterWindowMessageW(L"SkypeControlAPIAttach");
        discoverMessage = RegisterWindowMessageW(L"SkypeControlAPIDiscover");
        own_ = UniqueWindow(makeWindow(L"LikenexLinkOwn", ownProc));
        peer_ = UniqueWindow(makeWindow(L"LikenexLinkPeer", peerProc));
        ASSERT_TRUE(own_ && peer_);
        theLink = &link_;
        thePeer = &script_;
    }
    void TearDown() override {
        theLink = nullptr;
        thePeer = nullptr;
    }
    SkypeLink link_;
    PeerScript script_;
    UniqueWindow own_, peer_;
};

TEST_F(SkypeLinkTest, DiscoveryAttachesAndCommandsGoOverAsUtf8) {
    ASSERT_TRUE(link_.start(own_.get()));
    EXPECT_EQ(link_.chatWindow(), peer_.get());
    ASSERT_TRUE(link_.sendCommand(u"set avatar 1 C:\\photo\\tovik_\u00e9.bmp"));
    ASSERT_EQ(script_.commands.size(), 1u);
    EXPECT_EQ(script_.commands[0], std::string("set avatar 1 C:\\photo\\tovik_\xc3\xa9.bmp") + '\0');
    EXPECT_EQ(link_.lastReply(), "Skype(1): AVATAR 1 done\n");
    EXPECT_THROW((void)link_.sendCommand(std::u16string(1, char16_t(0xD800))), ChatCommandError);
    EXPECT_FALSE(link_.sendCommand(u"")) << "an empty command is not sent";
}

TEST_F(SkypeLinkTest, ACommandBeforeAttachmentFailsAndDiscoversAgain) {
    script_.attachStatus = kAttachPending;
    ASSERT_TRUE(link_.start(own_.get()));
    EXPECT_EQ(link_.chatWindow(), nullptr);
    const int before = script_.discoveries;
    EXPECT_FALSE(link_.sendCommand(u"set avatar 1 x.bmp"));
    EXPECT_EQ(script_.discoveries, before + 1);
    EXPECT_TRUE(script_.commands.empty());
}

TEST_F(SkypeLinkTest, RefusalsAreKeptAndASilentClientDetaches) {
    ASSERT_TRUE(link_.start(own_.get()));
    script_.reply = "ERROR 9 invalid avatar";
    ASSERT_TRUE(link_.sendCommand(u"set avatar 1 x.bmp"));
    EXPECT_NE(link_.lastReply().find("ERROR"), std::string::npos);

    // A later attach status is not a reply: the refusal is not shown with it again.
    EXPECT_TRUE(link_.handleMessage(RegisterWindowMessageW(L"SkypeControlAPIAttach"),
                                    reinterpret_cast<WPARAM>(peer_.get()), kAttachSuccess));
    EXPECT_TRUE(link_.lastReply().empty());

    script_.reply = std::string(2000, 'r');
    ASSERT_TRUE(link_.sendCommand(u"set avatar 1 y.bmp"));
    EXPECT_EQ(link_.lastReply().size(), kChatReplyBuffer - 1) << "a long reply is cut, not overrun";

    // A copy from any other window is not the link's.
    COPYDATASTRUCT stray{};
    EXPECT_FALSE(
        link_.handleMessage(WM_COPYDATA, reinterpret_cast<WPARAM>(own_.get()), reinterpret_cast<LPARAM>(&stray)));

    script_.acceptsCommands = false;
    script_.answersDiscovery = false;
    EXPECT_FALSE(link_.sendCommand(u"set avatar 1 z.bmp"));
    EXPECT_EQ(link_.chatWindow(), nullptr);
}

}  // namespace
}  // namespace likenex
