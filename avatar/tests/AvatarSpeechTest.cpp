// What the avatar says: the text broken into bubble lines, and how long it shows.
#include "avatar/AvatarSpeech.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace likenex {
namespace {

// Every character is 8 pixels wide; nothing is drawn.
struct EightPixelScene : AvatarScene {
    int textWidth(const std::u16string& text) override { return 8 * static_cast<int>(text.size()); }
    int textWidthOf(const std::u16string& text, int count) override {
        return 8 * std::clamp(count, 0, static_cast<int>(text.size()));
    }
    void drawText(Painter&, const std::u16string&, int, int, Colour) override {}
    void drawBubble(Painter&, int, int, int, bool, int) override {}
    void composeBubble(AvatarModel&, int, int, int, bool) override {}
    bool renderCharacter(char16_t, std::vector<std::uint8_t>&, int&, int&, int&) override { return false; }
};

class AvatarSpeechTest : public ::testing::Test {
protected:
    bool say(const std::u16string* text, int durationMs = 1000) { return speech_.say(&scene_, text, 0, durationMs, 0); }

    EightPixelScene scene_;
    AvatarSpeech speech_;
};

TEST_F(AvatarSpeechTest, SpeechBubbleLines) {
    EXPECT_FALSE(say(nullptr));
    const std::u16string sixteen(16, u'x');  // 128 pixels: still one line
    ASSERT_TRUE(say(&sixteen));
    EXPECT_EQ(speech_.lineCount(), 1);
    EXPECT_EQ(speech_.width(), 130);
    EXPECT_EQ(speech_.duration(), 1000);

    // 20 characters: half the width is reached at character 10; the word there keeps up
    // to 12 more letters on the first line.
    const std::u16string shortWord = u"aaaa bbbb cccccccccc";
    ASSERT_TRUE(say(&shortWord));
    EXPECT_EQ(speech_.line(0), u"aaaa bbbb cccccccccc") << "the word runs to the end within 12 letters";
    // Half the width falls on the first letter of a 15-letter word: 12 letters follow it
    // onto the first line and the 13th starts the second.
    const std::u16string longWord = u"12345678901234 " + std::u16string(15, u'c');
    ASSERT_TRUE(say(&longWord));
    EXPECT_EQ(speech_.line(0).size(), 15u + 12u);
    EXPECT_EQ(speech_.line(1), std::u16string(3, u'c'));
    EXPECT_EQ(speech_.width(), 27 * 8 + 2);
    EXPECT_EQ(speech_.lineCount(), 2);
    // A first line wider than 240 pixels cannot be said.
    const std::u16string tooLong(70, u'x');
    EXPECT_FALSE(say(&tooLong));
}

TEST_F(AvatarSpeechTest, EachSpeechKeepsItsOwnDuration) {
    AvatarSpeech other;
    const std::u16string words = u"hello";
    ASSERT_TRUE(say(&words, 3000));
    ASSERT_TRUE(other.say(&scene_, &words, 0, 500, 0));
    EXPECT_EQ(speech_.duration(), 3000);
    EXPECT_TRUE(speech_.showing(2999));
    EXPECT_FALSE(other.showing(500));
    EXPECT_FALSE(speech_.showing(3000));
}

}  // namespace
}  // namespace likenex
