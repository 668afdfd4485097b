// Font lookup as the program does it: the Windows fonts folder, then the free stand-ins the
// build put in the program's fonts folder.

#include "render/tests/win/TextTestSupport.h"
#include "render/text/win/Fonts.h"

namespace likenex::test {
namespace {

TEST(Fonts, DefaultFoldersAreTheWindowsFontsFolderAndTheOneBesideTheProgram) {
    const FontFolders folders = defaultFontFolders();
    wchar_t windows[1000] = {};
    GetWindowsDirectoryW(windows, 1000);
    EXPECT_EQ(folders.windowsFonts, std::wstring(windows) + L"\\Fonts\\");
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring programDir(module);
    programDir.erase(programDir.find_last_of(L'\\') + 1);
    EXPECT_EQ(folders.programFonts, programDir + L"fonts\\");
}

TEST(Fonts, TheBuildShipsEveryStandIn) {
    ScopedProgramFonts fonts;
    const std::wstring programFonts = LIKENEX_TEST_PROGRAM_FONTS;
    EXPECT_EQ(resolveFontPath(L"SSERIFE.FON", fonts.folders()), programFonts + L"DejaVuSans.ttf");
    EXPECT_EQ(resolveFontPath(L"mingliu.TTC", fonts.folders()), programFonts + L"uming.ttc");
    EXPECT_EQ(resolveFontPath(L"MSGOTHIC.TTC", fonts.folders()), programFonts + L"ipag.ttf");
    EXPECT_EQ(resolveFontPath(L"unknown.ttf", fonts.folders()), L"");
}

}  // namespace
}  // namespace likenex::test
