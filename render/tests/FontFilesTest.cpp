// Font lookup: the named file in the Windows fonts folder first, then its free stand-in in
// the program's fonts folder.

#include "render/text/FontFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace likenex {
namespace {

namespace fs = std::filesystem;

class FontFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("likenex-fonts-" + std::to_string(std::random_device{}()));
        fs::create_directories(root / "windows");
        fs::create_directories(root / "program");
        windowsFonts = (root / "windows").wstring() + wchar_t(fs::path::preferred_separator);
        programFonts = (root / "program").wstring() + wchar_t(fs::path::preferred_separator);
    }
    void TearDown() override { fs::remove_all(root); }
    static void touch(const fs::path& path) { std::ofstream(path) << "font"; }

    fs::path root;
    std::wstring windowsFonts, programFonts;
};

TEST_F(FontFilesTest, EveryVendorFontHasAFreeStandIn) {
    EXPECT_EQ(standInFontFile(L"mingliu.ttc"), L"uming.ttc");
    EXPECT_EQ(standInFontFile(L"mingliu.TTC"), L"uming.ttc");
    EXPECT_EQ(standInFontFile(L"MSGOTHIC.TTC"), L"ipag.ttf");
    EXPECT_EQ(standInFontFile(L"SSERIFE.FON"), L"DejaVuSans.ttf");
    EXPECT_EQ(standInFontFile(L"arial.ttf"), L"");
}

TEST_F(FontFilesTest, PrefersTheWindowsFontsFolderAndFallsBackToTheStandIn) {
    touch(root / "program" / "uming.ttc");
    EXPECT_EQ(resolveFontPathIn(L"mingliu.TTC", windowsFonts, programFonts), programFonts + L"uming.ttc");
    touch(root / "windows" / "mingliu.TTC");
    EXPECT_EQ(resolveFontPathIn(L"mingliu.TTC", windowsFonts, programFonts), windowsFonts + L"mingliu.TTC");
    // Without a Windows fonts folder only the stand-in is looked for.
    EXPECT_EQ(resolveFontPathIn(L"mingliu.TTC", L"", programFonts), programFonts + L"uming.ttc");
}

TEST_F(FontFilesTest, GivesNothingWhenNeitherExistsOrTheNameIsUnknown) {
    EXPECT_EQ(resolveFontPathIn(L"SSERIFE.FON", windowsFonts, programFonts), L"");  // stand-in not shipped
    touch(root / "program" / "arial.ttf");
    EXPECT_EQ(resolveFontPathIn(L"arial.ttf", windowsFonts, programFonts), L"");  // no stand-in for it
    EXPECT_EQ(resolveFontPathIn(L"", windowsFonts, programFonts), L"");
    // A folder of that name is no font.
    fs::create_directories(root / "windows" / "MSGOTHIC.TTC");
    EXPECT_EQ(resolveFontPathIn(L"MSGOTHIC.TTC", windowsFonts, programFonts), L"");
    // Names reaching out of the folder are refused.
    touch(root / "secret.ttf");
    EXPECT_EQ(resolveFontPathIn(L"../secret.ttf", windowsFonts, programFonts), L"");
}

}  // namespace
}  // namespace likenex
