// merge.exe itself under Wine, run as Update.exe runs it: the renames Windows really does,
// the exit codes, and a file another program holds open stopping the merge halfway.

#include "platform/win/Handles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace likenex::update {
namespace {

namespace fs = std::filesystem;

constexpr DWORD kPatienceMs = 60000;

void put(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class MergeProgramTest : public testing::Test {
protected:
    const fs::path folder = fs::temp_directory_path() / ("likenex-merge-run-" + std::to_string(GetCurrentProcessId()));

    void SetUp() override {
        fs::remove_all(folder);
        put(folder / "Likenex.exe", "old exe");
        put(folder / "data/avatar.dat", "old avatar");
        put(folder / "data/incoming/Likenex.exe", "new exe!");
        put(folder / "data/incoming/data/avatar.dat", "new avatar data");
        put(folder / "data/incoming/data/items/hat.dat", "a hat");
        put(folder / "data/incoming/files.lst",
            "likenex-merge 1\r\n8\tLikenex.exe\r\n15\tdata/avatar.dat\r\n5\tdata/items/hat.dat\r\n");
    }
    void TearDown() override { fs::remove_all(folder); }

    // The merger's exit code, or -1 when it did not start or end in time. Given the folder
    // on its command line as the tests do; without it, as Update.exe runs data\merge.exe.
    int runMerger(const fs::path& program = LIKENEX_MERGE_PROGRAM, bool namingTheFolder = true) {
        std::wstring command = L"\"" + program.wstring() + L"\"";
        if (namingTheFolder) command += L" \"" + folder.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                            &startup, &started))
            return -1;
        const UniqueHandle process(started.hProcess);
        const UniqueHandle thread(started.hThread);
        DWORD code = 0;
        if (WaitForSingleObject(process.get(), kPatienceMs) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process.get(), &code))
            return -1;
        return static_cast<int>(code);
    }
};

TEST_F(MergeProgramTest, ReplacesFilesAndClearsUp) {
    // The list is UTF-8 whatever the system's code page.
    put(folder / fs::path(u8"data/incoming/data/\u00C4rger.dat"), "neu");
    const std::string list = "likenex-merge 1\r\n8\tLikenex.exe\r\n15\tdata/avatar.dat\r\n5\tdata/items/hat.dat\r\n";
    put(folder / "data/incoming/files.lst", list + "3\tdata/\xC3\x84rger.dat\r\n");
    EXPECT_EQ(runMerger(), 0) << contents(folder / "data/merge.log");
    EXPECT_EQ(contents(folder / "Likenex.exe"), "new exe!");
    EXPECT_EQ(contents(folder / "data/avatar.dat"), "new avatar data");
    EXPECT_EQ(contents(folder / "data/items/hat.dat"), "a hat");
    EXPECT_EQ(contents(folder / fs::path(u8"data/\u00C4rger.dat")), "neu");
    for (const char* leftover : {"data/incoming", "data/merge-backup", "data/merge.journal", "data/merge.journal.new"})
        EXPECT_FALSE(fs::exists(folder / leftover)) << leftover;

    EXPECT_EQ(runMerger(), 0);  // nothing to do
}

TEST_F(MergeProgramTest, AnOpenFileLeavesEveryFileAsItWas) {
    {
        // Open as an editor still running would hold it: others may read but not move it.
        const UniqueFile held(CreateFileW((folder / "data/avatar.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(runMerger(), 1);
        EXPECT_EQ(contents(folder / "Likenex.exe"), "old exe");  // moved in, then back out
        EXPECT_EQ(contents(folder / "data/avatar.dat"), "old avatar");
        EXPECT_FALSE(fs::exists(folder / "data/items"));
        EXPECT_EQ(contents(folder / "data/incoming/Likenex.exe"), "new exe!");
        EXPECT_TRUE(fs::exists(folder / "data/incoming/files.lst"));
        EXPECT_FALSE(fs::exists(folder / "data/merge.journal"));
    }
    EXPECT_EQ(runMerger(), 0) << contents(folder / "data/merge.log");
    EXPECT_EQ(contents(folder / "data/avatar.dat"), "new avatar data");
}

// A running program can be renamed but not removed: the old merge.exe waits in the backup
// folder, with the journal, for the next run.
TEST_F(MergeProgramTest, ReplacingItselfLeavesItsOldCopyToTheNextRun) {
    const fs::path installed = folder / "data/merge.exe";
    fs::copy_file(LIKENEX_MERGE_PROGRAM, installed);
    const std::string newer = contents(installed) + "newer";
    put(folder / "data/incoming/data/merge.exe", newer);
    put(folder / "data/incoming/files.lst", "likenex-merge 1\n" + std::to_string(newer.size()) + "\tdata/merge.exe\n");

    EXPECT_EQ(runMerger(installed, false), 0) << contents(folder / "data/merge.log");
    EXPECT_EQ(contents(installed), newer);
    EXPECT_EQ(contents(folder / "Likenex.exe"), "old exe");  // not listed this time
    EXPECT_TRUE(fs::exists(folder / "data/merge.journal"));

    EXPECT_EQ(runMerger(installed, false), 0) << contents(folder / "data/merge.log");
    for (const char* leftover : {"data/incoming", "data/merge-backup", "data/merge.journal"})
        EXPECT_FALSE(fs::exists(folder / leftover)) << leftover;
}

TEST_F(MergeProgramTest, RefusesABadListWithExitCodeOne) {
    put(folder / "data/incoming/files.lst", "likenex-merge 1\n9\tLikenex.exe\n");
    EXPECT_EQ(runMerger(), 1);
    EXPECT_EQ(contents(folder / "Likenex.exe"), "old exe");
    EXPECT_TRUE(fs::exists(folder / "data/incoming/files.lst"));
}

}  // namespace
}  // namespace likenex::update
