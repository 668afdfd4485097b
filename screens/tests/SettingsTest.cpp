#include "screens/Settings.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace likenex {
namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

TEST(SettingsFile, TheThreeFieldsFollowEachOtherInEightyFourBytes) {
    Settings s;
    s.rememberLogin = 1;
    s.setUserName(u"\u5c0f\u660e");
    s.setPasswordDigest("0123456789abcdef0123456789abcdef");
    const auto bytes = encodeSettingsFile(s);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 0x0f);
    EXPECT_EQ(bytes[2], 0x5c);
    EXPECT_EQ(bytes[5], 0) << "the name's terminator";
    EXPECT_EQ(bytes[51], '0');
    EXPECT_EQ(bytes[82], 'f');
    EXPECT_EQ(bytes[83], 0);

    Settings back;
    decodeSettingsFile(bytes, back);
    EXPECT_EQ(back.rememberLogin, 1);
    EXPECT_EQ(back.userNameText(), u"\u5c0f\u660e");
    EXPECT_EQ(back.passwordDigestText(), "0123456789abcdef0123456789abcdef");

    // Signing out: a zero flag and empty fields.
    Settings cleared;
    EXPECT_EQ(encodeSettingsFile(cleared), (std::array<std::uint8_t, kSettingsFileSize>{}));
}

TEST(SettingsFile, DamagedFilesGiveEmptyOrCutFields) {
    Settings s;
    s.setUserName(u"kept?");
    s.rememberLogin = 1;
    decodeSettingsFile(std::vector<std::uint8_t>(83, 'x'), s);
    EXPECT_EQ(s.rememberLogin, 0) << "a short file leaves the fields empty, not half filled";
    EXPECT_EQ(s.userNameText(), u"");
    EXPECT_EQ(s.passwordDigestText(), "");

    decodeSettingsFile(std::vector<std::uint8_t>(84, 'a'), s);
    EXPECT_EQ(s.userNameText().size(), 24u) << "no terminator: cut at its field";
    EXPECT_EQ(s.passwordDigestText().size(), 32u);

    s.setUserName(std::u16string(40, u'z'));
    EXPECT_EQ(s.userNameText().size(), 24u);
}

TEST(SettingsLanguage, CodesAreComparedWithTheirTerminator) {
    EXPECT_EQ(languageFromRegistry(bytesOf(std::string_view("en\0", 3)), 0), 2);
    EXPECT_EQ(languageFromRegistry(bytesOf(std::string_view("french\0", 7)), 0), 4);
    EXPECT_EQ(languageFromRegistry(bytesOf(std::string_view("jp\0junk", 7)), 0), 3);
    EXPECT_EQ(languageFromRegistry(bytesOf(std::string_view("english\0", 8)), 1), 1) << "no match keeps the language";
    EXPECT_EQ(languageFromRegistry(bytesOf("en"), 1), 1) << "without its terminator";
    EXPECT_EQ(languageFromRegistry({}, 3), 3);
    EXPECT_STREQ(languageCode(0), "tw");
    EXPECT_STREQ(languageCode(1), "cn");
    EXPECT_STREQ(languageCode(4), "french");
    EXPECT_STREQ(languageCode(5), "tw");
    EXPECT_STREQ(languageCode(-1), "tw");
}

}  // namespace
}  // namespace likenex
