// The chat-client link's texts: the reply line and its limit, the attach status lines, and the
// strict conversion of commands.
#include "chatlink/ChatLinkText.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

TEST(ChatLinkText, ReplyLinesAreFormattedAndCutToTheBuffer) {
    const std::string ok = "AVATAR 1 C:\\photo\\tovik_5.bmp";
    EXPECT_EQ(chatReplyLine(1, ok), "Skype(1): " + ok + "\n");
    const char unterminated[] = {'E', 'R', 'R', 'O', 'R'};
    EXPECT_EQ(chatReplyLine(7, unterminated), "Skype(7): ERROR\n");
    const char early[] = {'O', 'K', '\0', 'x', 'y'};
    EXPECT_EQ(chatReplyLine(1, early), "Skype(1): OK\n");
    const std::string longReply(2000, 'x');
    const std::string line = chatReplyLine(1, longReply);
    EXPECT_EQ(line.size(), kChatReplyBuffer - 1);
    EXPECT_EQ(line.substr(0, 10), "Skype(1): ");
}

TEST(ChatLinkText, AttachStatusesHaveTheirLines) {
    EXPECT_EQ(attachStatusLine(kAttachSuccess), "!!! Connected; to terminate issue #disconnect\n");
    EXPECT_EQ(attachStatusLine(kAttachRefused), "!!! Connection refused\n");
    EXPECT_EQ(attachStatusLine(kAttachAvailable), "!!! Try connect now (API available); issue #connect\n");
    EXPECT_TRUE(attachStatusLine(4).empty());
    EXPECT_TRUE(attachStatusLine(-1).empty());
}

TEST(ChatLinkText, CommandsAreStrictUtf8WithTheirTerminator) {
    EXPECT_EQ(chatCommandBytes(u"set avatar 1 C:\\p.bmp"), std::string("set avatar 1 C:\\p.bmp") + '\0');
    EXPECT_EQ(chatCommandBytes(u"\u00e9\U0001F600"), std::string("\xc3\xa9\xf0\x9f\x98\x80") + '\0');
    EXPECT_EQ(chatCommandBytes(u""), std::string(1, '\0'));
    try {
        (void)chatCommandBytes(std::u16string(u"a") + char16_t(0xD800) + u"b");
        ADD_FAILURE() << "an unpaired surrogate was converted";
    } catch (const ChatCommandError& error) {
        EXPECT_STREQ(error.what(), "La falla!");
    }
    EXPECT_THROW((void)chatCommandBytes(std::u16string(1, char16_t(0xDC00))), ChatCommandError);
}

}  // namespace
}  // namespace likenex
