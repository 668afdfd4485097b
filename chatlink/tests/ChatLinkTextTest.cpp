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

TEST(ChatLinkText, RepliesAreReadAsUtf8AndBrokenBytesShowAsReplacements) {
    EXPECT_EQ(chatReplyText("Skype(1): ERROR caf\xc3\xa9 \xe6\x97\xa5\xf0\x9f\x98\x80\n"),
              u"Skype(1): ERROR caf\u00e9 \u65e5\U0001F600\n");
    EXPECT_EQ(chatReplyText("a\xff" "b"), u"a\ufffdb");
    EXPECT_EQ(chatReplyText("\xc0\xaf"), u"\ufffd\ufffd") << "an overlong form is not a slash";
    // A long reply is cut to the buffer, possibly inside a character.
    const std::string line = chatReplyLine(1, std::string(1100, '\xe9'));
    const std::u16string text = chatReplyText(line);
    EXPECT_EQ(text.substr(0, 10), u"Skype(1): ");
    EXPECT_EQ(text.size(), line.size()) << "every stray byte becomes one replacement";
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
