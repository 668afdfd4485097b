#include "platform/win/Registry.h"
#include "screens/win/SettingsStore.h"
#include "test_support/ArchiveTestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>

namespace likenex {
namespace {

using testing::TempDirectory;

std::vector<std::uint8_t> readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(SettingsStore, AMissingFileIsCreatedAndWrittenSettingsReadBack) {
    TempDirectory dir;
    const std::string directory = dir.path();
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    Settings s;
    s.language = 3;
    readSettings(directory, s);
    EXPECT_EQ(readAll(std::filesystem::path(dir.path()) / "opt.dat"), std::vector<std::uint8_t>(84, 0));
    EXPECT_EQ(s.language, 3) << "no registry value: the language stays";

    s.rememberLogin = 1;
    s.setUserName(u"\u5c0f\u660e");
    s.setPasswordDigest("00112233445566778899aabbccddeeff");
    s.language = 4;
    writeSettings(directory, s);
    EXPECT_EQ(readAll(std::filesystem::path(dir.path()) / "opt.dat").size(), 84u);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(dir.path()) / "opt.dat.new"));
    const auto value = readRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "language", 20);
    ASSERT_TRUE(value);
    EXPECT_EQ(*value, (std::vector<std::uint8_t>{'f', 'r', 'e', 'n', 'c', 'h', 0}));

    Settings read;
    readSettings(directory, read);
    EXPECT_EQ(read.rememberLogin, 1);
    EXPECT_EQ(read.userNameText(), u"\u5c0f\u660e");
    EXPECT_EQ(read.passwordDigestText(), "00112233445566778899aabbccddeeff");
    EXPECT_EQ(read.language, 4);
}

TEST(SettingsStore, RegistryCodesPickTheLanguage) {
    TempDirectory dir;
    for (const auto& [code, expected] :
         std::vector<std::pair<const char*, int>>{{"en", 2}, {"english", 1}, {"cn", 1}}) {
        ASSERT_TRUE(writeRegistryString(HKEY_CURRENT_USER, kSettingsKey, "language", code));
        Settings s;
        s.language = 1;
        readSettings(dir.path(), s);
        EXPECT_EQ(s.language, expected) << code;
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

// An older install kept the language for the whole machine. It is read while the user has no
// language of their own; once the user picks one, that one is written for the user alone and
// read from then on, and the machine's stays as it was.
TEST(SettingsStore, TheMachineLanguageServesUntilTheUserPicksOne) {
    TempDirectory dir;
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_TRUE(writeRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, "language", "jp"));
    Settings s;
    s.language = 0;
    readSettings(dir.path(), s);
    EXPECT_EQ(s.language, 3) << "the machine's language";

    s.language = 4;
    writeSettings(dir.path(), s);
    const auto user = readRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "language", 20);
    ASSERT_TRUE(user);
    EXPECT_EQ(*user, (std::vector<std::uint8_t>{'f', 'r', 'e', 'n', 'c', 'h', 0}));
    const auto machine = readRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, "language", 20);
    ASSERT_TRUE(machine);
    EXPECT_EQ(*machine, (std::vector<std::uint8_t>{'j', 'p', 0}));
    Settings read;
    read.language = 0;
    readSettings(dir.path(), read);
    EXPECT_EQ(read.language, 4) << "the user's language comes before the machine's";

    // A user's value too long to be a language is the user's all the same: the machine's does
    // not stand in for it, and the language stays.
    ASSERT_TRUE(writeRegistryString(HKEY_CURRENT_USER, kSettingsKey, "language", std::string(40, 'x')));
    Settings damaged;
    damaged.language = 2;
    readSettings(dir.path(), damaged);
    EXPECT_EQ(damaged.language, 2);
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
}

}  // namespace
}  // namespace likenex
