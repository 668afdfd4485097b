#include "update/merge/DataMerge.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace likenex::update {
namespace {

namespace fs = std::filesystem;

// Thrown by StoppingFileSystem where the process would have died.
struct SimulatedCrash {};

// The real disk, but call number `failAt` fails and calls from number `stopAt` on never
// happen. Calls are counted from 0, reads included, since a wrong answer to a read is as
// dangerous as a failed rename.
class StoppingFileSystem : public MergeFileSystem {
public:
    std::optional<int> failAt;
    std::optional<int> stopAt;
    int calls = 0;

    std::optional<bool> exists(const fs::path& path) override {
        if (next()) return std::nullopt;
        return disk_.exists(path);
    }
    std::optional<bool> isLink(const fs::path& path) override {
        if (next()) return std::nullopt;
        return disk_.isLink(path);
    }
    std::optional<std::uint64_t> fileSize(const fs::path& path) override {
        if (next()) return std::nullopt;
        return disk_.fileSize(path);
    }
    bool renameReplacing(const fs::path& from, const fs::path& to) override {
        return !next() && disk_.renameReplacing(from, to);
    }
    bool remove(const fs::path& path) override { return !next() && disk_.remove(path); }
    bool removeTree(const fs::path& path) override { return !next() && disk_.removeTree(path); }
    bool createDirectories(const fs::path& path) override { return !next() && disk_.createDirectories(path); }
    std::optional<std::string> readFile(const fs::path& path, std::size_t maxBytes) override {
        if (next()) return std::nullopt;
        return disk_.readFile(path, maxBytes);
    }
    bool writeFile(const fs::path& path, std::string_view bytes) override {
        return !next() && disk_.writeFile(path, bytes);
    }

private:
    DiskFileSystem disk_;

    // True when this call is to fail.
    bool next() {
        const int index = calls++;
        if (stopAt && index >= *stopAt) throw SimulatedCrash{};
        return failAt && index == *failAt;
    }
};

void put(const fs::path& root, const std::string& relative, const std::string& bytes) {
    const fs::path path = root / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file with its bytes and every folder, by relative path. The log is left out: it
// describes a run and is expected to change with each.
using Snapshot = std::map<std::string, std::string>;
Snapshot snapshot(const fs::path& root) {
    Snapshot result;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = entry.path().lexically_relative(root).generic_string();
        if (relative == kLogFile) continue;
        result[relative] = entry.is_directory() ? "<folder>" : contents(entry.path());
    }
    return result;
}

// The stop and failure tests make hundreds of thousands of file operations: in memory where
// the system offers a folder there, since on a disk shared with a build they take minutes.
fs::path scratchBase() {
    std::error_code error;
    if (fs::is_directory("/dev/shm", error)) return "/dev/shm";
    return fs::temp_directory_path();
}

std::string manifestOf(const std::map<std::string, std::string>& files) {
    std::string text = "likenex-merge 1\n";
    for (const auto& [path, bytes] : files) text += std::to_string(bytes.size()) + "\t" + path + "\n";
    return text;
}

// The disk, but the paths in `links` answer isLink as a junction does on Windows, where the
// standard library takes it for the folder it points at; every other call goes to what lies
// there. Each change asked for at or below one of them is recorded.
class JunctionFileSystem : public DiskFileSystem {
public:
    std::vector<fs::path> links;
    std::vector<std::string> reachedThrough;

    std::optional<bool> isLink(const fs::path& path) override {
        for (const fs::path& link : links) {
            if (path.lexically_normal() == link.lexically_normal()) return true;
        }
        return DiskFileSystem::isLink(path);
    }
    bool renameReplacing(const fs::path& from, const fs::path& to) override {
        record(from);
        record(to);
        return DiskFileSystem::renameReplacing(from, to);
    }
    bool remove(const fs::path& path) override {
        record(path);
        return DiskFileSystem::remove(path);
    }
    bool removeTree(const fs::path& path) override {
        record(path);
        return DiskFileSystem::removeTree(path);
    }
    bool createDirectories(const fs::path& path) override {
        record(path);
        return DiskFileSystem::createDirectories(path);
    }
    bool writeFile(const fs::path& path, std::string_view bytes) override {
        record(path);
        return DiskFileSystem::writeFile(path, bytes);
    }

private:
    void record(const fs::path& path) {
        const std::string changed = path.lexically_normal().generic_string();
        for (const fs::path& link : links) {
            const std::string at = link.lexically_normal().generic_string();
            if (changed == at || changed.rfind(at + "/", 0) == 0) reachedThrough.push_back(changed);
        }
    }
};

// A program folder with an update waiting: two files replaced, three added, two of them in
// folders that do not exist yet; one file left alone. It lies in a scratch folder of its own,
// so a path that leaves it stays within the test's reach.
class DataMergeTest : public testing::Test {
protected:
    fs::path scratch;
    fs::path root;
    const std::map<std::string, std::string> oldFiles = {
        {"Likenex.exe", "old exe"},
        {"data/avatar.dat", "old avatar"},
        {"data/keep.dat", "untouched"},
    };
    const std::map<std::string, std::string> newFiles = {
        {"Likenex.exe", "new exe!"},
        {"data/avatar.dat", "new avatar data"},
        {"data/items/hats/hat1.dat", "a hat"},
        {"data/items/readme.txt", "items"},
        {"Readme.txt", "read me"},
    };
    Snapshot before;  // the folder as set up
    Snapshot after;   // the folder as a finished merge must leave it

    void SetUp() override {
        static int folderNumber = 0;
        scratch = scratchBase() / ("likenex-merge-test-" + std::to_string(std::random_device{}()) + "-" +
                                   std::to_string(++folderNumber));
        fs::remove_all(scratch);
        root = scratch / "program";
        after = expectedAfterMerge();
        writeUpdate(manifestOf(newFiles));
        before = snapshot(root);
    }
    void TearDown() override { fs::remove_all(scratch); }

    // The whole folder again, with `manifest` as files.lst.
    void writeUpdate(const std::string& manifest) {
        fs::remove_all(root);
        fs::create_directories(root);
        for (const auto& [path, bytes] : oldFiles) put(root, path, bytes);
        for (const auto& [path, bytes] : newFiles) put(root, std::string(kIncomingFolder) + "/" + path, bytes);
        put(root, std::string(kManifestFile), manifest);
    }

    Snapshot expectedAfterMerge() const {
        Snapshot expected;
        for (const auto& [path, bytes] : oldFiles) expected[path] = bytes;
        for (const auto& [path, bytes] : newFiles) expected[path] = bytes;
        for (const char* folder : {"data", "data/items", "data/items/hats"}) expected[folder] = "<folder>";
        return expected;
    }

    MergeResult merge() {
        DiskFileSystem disk;
        return mergeIncomingData(disk, root);
    }

    // A run stopped before call `stopAt`, as a crash would stop it; call `failAt` fails first when given.
    void runStoppedAt(int stopAt, std::optional<int> failAt = std::nullopt) {
        StoppingFileSystem stopping;
        stopping.stopAt = stopAt;
        stopping.failAt = failAt;
        try {
            (void)mergeIncomingData(stopping, root);
        } catch (const SimulatedCrash&) {}
    }

    MergeResult runFailingAt(int failAt) {
        StoppingFileSystem failing;
        failing.failAt = failAt;
        return mergeIncomingData(failing, root);
    }

    // The installer run again: `files` written into data/incoming, and their list last.
    void installAgain(const std::map<std::string, std::string>& files) {
        for (const auto& [path, bytes] : files) put(root, std::string(kIncomingFolder) + "/" + path, bytes);
        put(root, std::string(kManifestFile), manifestOf(files));
    }

    std::string log() const { return contents(root / kLogFile); }

    // How many calls an undisturbed merge of the set-up folder makes.
    int callsOfWholeMerge() {
        StoppingFileSystem counter;
        EXPECT_EQ(mergeIncomingData(counter, root), MergeResult::merged);
        writeUpdate(manifestOf(newFiles));
        return counter.calls;
    }

    // Leaves the folder as a run stopped once the journal is in place and the first file has
    // moved leaves it; false when no stop does.
    bool stopOnceTheJournalIsInPlace() {
        for (int k = 0; k < 200; ++k) {
            writeUpdate(manifestOf(newFiles));
            runStoppedAt(k);
            if (fs::exists(root / kJournalFile) && !fs::exists(root / kIncomingFolder / "Likenex.exe")) return true;
        }
        return false;
    }
};

TEST_F(DataMergeTest, ReplacesAndAddsFilesAndLeavesNothingOfItsOwn) {
    EXPECT_EQ(merge(), MergeResult::merged);
    EXPECT_EQ(snapshot(root), after);
    EXPECT_NE(log().find("Merged 5 files."), std::string::npos) << log();
    EXPECT_NE(log().find("data/items/hats/hat1.dat"), std::string::npos) << log();

    // A second run finds nothing and changes nothing.
    EXPECT_EQ(merge(), MergeResult::nothingToDo);
    EXPECT_EQ(snapshot(root), after);
    EXPECT_NE(log().find("Nothing to merge"), std::string::npos) << log();
}

TEST_F(DataMergeTest, WithoutListNothingIsTouched) {
    fs::remove(root / kManifestFile);
    const Snapshot unlisted = snapshot(root);
    EXPECT_EQ(merge(), MergeResult::nothingToDo);
    EXPECT_EQ(snapshot(root), unlisted);
}

TEST_F(DataMergeTest, AcceptsCrlfAndAMissingLastLineEnd) {
    std::string manifest = manifestOf(newFiles);
    manifest.pop_back();
    std::string crlf;
    for (const char c : manifest) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    writeUpdate(crlf);
    EXPECT_EQ(merge(), MergeResult::merged) << log();
    EXPECT_EQ(snapshot(root), after);
}

TEST_F(DataMergeTest, EmptyListOnlyClearsIncoming) {
    writeUpdate("likenex-merge 1\n");
    EXPECT_EQ(merge(), MergeResult::merged) << log();
    EXPECT_FALSE(fs::exists(root / kIncomingFolder));
    EXPECT_EQ(contents(root / "Likenex.exe"), "old exe");
}

// Each refusal must leave the folder, incoming files and list included, exactly as it was.
TEST_F(DataMergeTest, RefusedListsTouchNothing) {
    struct Case {
        std::string name;
        std::string manifest;
        std::string logSays;
        std::string folderInTheWay;  // made before the run, where the list has a file
    };
    std::vector<Case> cases;
    for (const char* fixture : {"wrong-version", "byte-order-mark", "empty"})
        cases.push_back({fixture,
                         contents(fs::path(LIKENEX_UPDATE_FIXTURES) / "merge" / (fixture + std::string(".lst"))),
                         "first line"});
    for (const char* fixture : {"space-not-tab", "signed-size", "huge-size", "blank-line"})
        cases.push_back({fixture,
                         contents(fs::path(LIKENEX_UPDATE_FIXTURES) / "merge" / (fixture + std::string(".lst"))),
                         "not a size, a tab and a path"});
    cases.push_back(
        {"duplicate-case", contents(fs::path(LIKENEX_UPDATE_FIXTURES) / "merge/duplicate-case.lst"), "listed twice"});
    cases.push_back({"file-and-folder", contents(fs::path(LIKENEX_UPDATE_FIXTURES) / "merge/file-and-folder.lst"),
                     "needs a folder"});
    cases.push_back({"size differs", "likenex-merge 1\n9\tLikenex.exe\n", "has 8 bytes, the list says 9"});
    cases.push_back({"incoming missing", "likenex-merge 1\n3\tdata/other.dat\n", "missing"});
    cases.push_back({"incoming is a folder", "likenex-merge 1\n0\tdata/items\n", "missing or not a file"});
    cases.push_back({"target is a folder", "likenex-merge 1\n7\tReadme.txt\n", "not a file that can be replaced",
                     "Readme.txt/inner"});
    cases.push_back({"unsafe path", "likenex-merge 1\n8\tLikenex.exe\n5\tdata/../Readme.txt\n", "line 3"});
    cases.push_back({"own journal", "likenex-merge 1\n1\tData/Merge.Journal\n", "merger's own files"});
    std::string tooMany = "likenex-merge 1\n";
    for (std::size_t i = 0; i <= kMaxManifestEntries; ++i) tooMany += "1\tdata/f" + std::to_string(i) + "\n";
    cases.push_back({"too many entries", tooMany, "more than 10000 entries"});
    cases.push_back({"too large", manifestOf(newFiles) + std::string(kMaxManifestBytes, '\n'), "larger than"});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeUpdate(c.manifest);
        if (!c.folderInTheWay.empty()) fs::create_directories(root / c.folderInTheWay);
        const Snapshot refused = snapshot(root);
        EXPECT_EQ(merge(), MergeResult::refused);
        EXPECT_EQ(snapshot(root), refused);
        EXPECT_NE(log().find(c.logSays), std::string::npos) << log();
    }
}

TEST(DataMergePaths, AcceptsOrdinaryNames) {
    for (const char* path :
         {"Likenex.exe", "data/avatar.dat", "data/items/hats/hat 1.dat", "data/incoming.dat", "data/incomingx/a",
          "data/merge.journal2", "data/~backup.dat", "data/a~b", "console.dat", "data/.hidden",
          "data/\xC3\xBC"
          "ber.dat"}) {
        EXPECT_TRUE(checkMergePath(path).ok()) << path;
    }
    // Near the device names: a number past 9, none, or an acute accent or a quarter sign after the port.
    for (const char* path : {"com10", "lpt", "data/com", "conin", "data/con$.dat", "comx.dat", "nul_x.txt",
                             "data/com\xC2\xB4", "data/lpt\xC2\xBC.dat"}) {
        EXPECT_TRUE(checkMergePath(path).ok()) << path;
    }
    EXPECT_TRUE(checkMergePath(std::string(kMaxPathBytes, 'a')).ok());
}

TEST(DataMergePaths, RefusesWhatCouldLeaveTheFolderOrReadDifferently) {
    const std::string names[] = {
        "",
        "/etc/passwd",
        "C:/Windows/x.dll",
        "data/file.dat:stream",
        "data\\avatar.dat",
        "../outside",
        "data/../../outside",
        "./Likenex.exe",
        "data/./avatar.dat",
        "data//avatar.dat",
        "data/",
        "data/avatar.dat.",
        "data/avatar.dat ",
        "data /avatar.dat",
        "data/a\x01.dat",
        "data/a\x7F.dat",
        "data/tab\there",
        "data/a?.dat",
        "data/a*.dat",
        "data/a|b",
        "data/<a>",
        "data/\"a\"",
        "con",
        "data/NUL.txt",
        "data/Com1.dat",
        "lpt9",
        "com0",
        "data/lpt0.txt",
        "CONIN$",
        "data/conout$.dat",
        "data/Aux.tar.gz",
        "COM\xC2\xB9",           // superscript one
        "data/lpt\xC2\xB2.log",  // superscript two
        "data/com\xC2\xB3",      // superscript three
        "nul .txt",
        "data/con   .dat",
        "data/\xFF.dat",
        "data/\xC0\xAF.dat",      // an overlong '/'
        "data/\xED\xA0\x80.dat",  // a surrogate
        "data/\xC3",
        std::string(kMaxPathBytes + 1, 'a'),
        "data/incoming",
        "data/incoming/files.lst",
        "DATA/INCOMING/x.dat",
        "data/merge.journal",
        "data/merge.journal.new",
        "data/merge-backup/Likenex.exe",
        "data/merge.log",
        "data/Merge.Log/inner",
        "data/INCOMI~1/files.lst",
        "MERGE-~2.dat",
    };
    for (const std::string& name : names) EXPECT_FALSE(checkMergePath(name).ok()) << name;
}

TEST(DataMergePaths, FoldsCaseAsWindowsDoesForCommonScripts) {
    EXPECT_EQ(foldCase("DATA/Avatar.DAT"), "data/avatar.dat");
    EXPECT_EQ(foldCase("\xC3\x84rger"), "\xC3\xA4rger");                          // Ä
    EXPECT_EQ(foldCase("\xC5\x81\xC3\x93\xC5\xB9"), "\xC5\x82\xC3\xB3\xC5\xBA");  // ŁÓŹ
    EXPECT_EQ(foldCase("\xC5\xB8"), "\xC3\xBF");                                  // Ÿ
    EXPECT_EQ(foldCase("\xCE\xA9"), "\xCF\x89");                                  // Ω
    EXPECT_EQ(foldCase("\xD0\x94\xD0\x81"), "\xD0\xB4\xD1\x91");                  // ДЁ
    EXPECT_EQ(foldCase("\xC3\x97"), "\xC3\x97");                                  // × has no case
    EXPECT_EQ(foldCase("\xC5\x89"), "\xC5\x89");                                  // ŉ, between the pairs

    auto twice = parseManifest("likenex-merge 1\n1\tdata/\xC3\x84.dat\n1\tDATA/\xC3\xA4.dat\n");
    ASSERT_FALSE(twice);
    EXPECT_NE(twice.error().find("listed twice"), std::string::npos) << twice.error();
}

TEST(DataMergeManifest, ReadsSizesAndPaths) {
    auto parsed =
        parseManifest("likenex-merge 1\r\n1234\tLikenex.exe\r\n0\tdata/empty.dat\r\n18446744073709551615\tbig");
    ASSERT_TRUE(parsed) << parsed.error();
    const std::vector<ManifestEntry>& entries = parsed.value();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].size, 1234u);
    EXPECT_EQ(entries[0].path, "Likenex.exe");
    EXPECT_EQ(entries[1].size, 0u);
    EXPECT_EQ(entries[2].size, UINT64_MAX);
    EXPECT_EQ(entries[2].path, "big");

    EXPECT_FALSE(parseManifest("likenex-merge 1\n18446744073709551616\tbig\n"));
    EXPECT_FALSE(parseManifest("likenex-merge 1\n\tnoSize\n"));
    EXPECT_FALSE(parseManifest("likenex-merge 1\n12\t\n"));
    EXPECT_FALSE(parseManifest("likenex-merge 1 \n"));
}

// Whichever call fails, the folder ends either as it was (the list kept for another try) or,
// once the list is gone, with the update in place.
TEST_F(DataMergeTest, AFailedCallLeavesTheOldFolderOrTheNewOne) {
    const int calls = callsOfWholeMerge();
    int undone = 0;
    for (int k = 0; k < calls; ++k) {
        SCOPED_TRACE("call " + std::to_string(k) + " fails");
        writeUpdate(manifestOf(newFiles));
        const MergeResult result = runFailingAt(k);
        if (result == MergeResult::merged) {
            for (const auto& [path, bytes] : after) EXPECT_EQ(snapshot(root)[path], bytes) << path;
            (void)merge();  // clears whatever is left
            EXPECT_EQ(snapshot(root), after) << log();
        } else {
            ++undone;
            EXPECT_EQ(snapshot(root), before) << log();
            EXPECT_EQ(merge(), MergeResult::merged);  // and the update can be tried again
            EXPECT_EQ(snapshot(root), after);
        }
    }
    EXPECT_GT(undone, calls / 2);
}

// A run that stops after any call is finished by the next one, however it stopped.
TEST_F(DataMergeTest, ARunStoppedAnywhereIsFinishedByTheNext) {
    const int calls = callsOfWholeMerge();
    for (int k = 0; k <= calls; ++k) {
        SCOPED_TRACE("stopped before call " + std::to_string(k));
        writeUpdate(manifestOf(newFiles));
        runStoppedAt(k);
        const MergeResult next = merge();
        EXPECT_TRUE(next == MergeResult::merged || next == MergeResult::nothingToDo);
        EXPECT_EQ(snapshot(root), after) << log();
    }
}

// A failure and then a stop while the merge is undone, or while the next run finishes an
// interrupted one: one more undisturbed run still ends with the update in place.
TEST_F(DataMergeTest, StopsDuringUndoOrRecoveryAreFinishedToo) {
    const int calls = callsOfWholeMerge();
    for (int k = 0; k < calls; ++k) {
        for (int stop = k + 1; stop < calls + 40; stop += 4) {
            SCOPED_TRACE("call " + std::to_string(k) + " fails, stopped before " + std::to_string(stop));
            writeUpdate(manifestOf(newFiles));
            runStoppedAt(stop, k);
            (void)merge();
            EXPECT_EQ(snapshot(root), after) << log();
        }
    }
}

// A run that finishes an interrupted merge and meets a locked file undoes the lot, including
// what the interrupted run had moved; if it cannot tell what to do it leaves the journal.
TEST_F(DataMergeTest, AFailureWhileFinishingStillLeavesOldOrNew) {
    const int calls = callsOfWholeMerge();
    for (int k = 1; k < calls; k += 3) {
        for (int j = 0; j < calls; ++j) {
            SCOPED_TRACE("stopped before call " + std::to_string(k) + ", then call " + std::to_string(j) + " fails");
            writeUpdate(manifestOf(newFiles));
            runStoppedAt(k);
            (void)runFailingAt(j);
            if (fs::exists(root / kJournalFile)) {
                EXPECT_EQ(merge(), MergeResult::merged);
                EXPECT_EQ(snapshot(root), after) << log();
            } else {
                const Snapshot now = snapshot(root);
                bool incomingGone = !fs::exists(root / kIncomingFolder);
                if (incomingGone) {
                    EXPECT_EQ(now, after) << log();
                } else {
                    // The old files with the update waiting. Folders made for new files may stay,
                    // as may a journal never renamed into place.
                    for (const auto& [path, bytes] : before) EXPECT_EQ(now.at(path), bytes) << path;
                    for (const auto& [path, bytes] : now) {
                        EXPECT_TRUE(before.count(path) || bytes == "<folder>" || path == kJournalTempFile) << path;
                    }
                }
            }
        }
    }
}

// Update.exe runs the installer before each merger run, so a stopped merge is usually met
// again with data/incoming written anew: new files in place may have a second incoming copy.
TEST_F(DataMergeTest, AnInstallerRunAgainAfterAStopIsMergedWhole) {
    const int calls = callsOfWholeMerge();
    for (int k = 1; k < calls; ++k) {
        for (int j = 0; j < calls + 20; j += 3) {
            SCOPED_TRACE("stopped before call " + std::to_string(k) + ", installed again, then call " +
                         std::to_string(j) + " fails");
            writeUpdate(manifestOf(newFiles));
            runStoppedAt(k);
            installAgain(newFiles);
            if (runFailingAt(j) != MergeResult::merged && !fs::exists(root / kJournalFile)) {
                // Undone: every listed file as before either run, or every one new when the
                // stopped run had got past removing files.lst.
                bool allOld = true, allNew = true;
                for (const auto& [path, bytes] : newFiles) {
                    const auto old = oldFiles.find(path);
                    const bool present = fs::exists(root / path);
                    allOld = allOld && (old == oldFiles.end() ? !present : contents(root / path) == old->second);
                    allNew = allNew && present && contents(root / path) == bytes;
                }
                EXPECT_TRUE(allOld || allNew) << log();
            }
            (void)merge();
            EXPECT_EQ(snapshot(root), after) << log();
        }
    }
}

// Another installer's list over an interrupted merge: that merge cannot be finished from
// files that may have been overwritten, but the new list is merged whole or not at all.
TEST_F(DataMergeTest, ADifferentListAfterAStopIsMergedWholeOnItsOwn) {
    const std::map<std::string, std::string> laterFiles = {{"Likenex.exe", "later exe"},
                                                           {"data/later/extra.dat", "extra"}};
    const int calls = callsOfWholeMerge();
    for (int k = 1; k < calls; ++k) {
        for (int j = 0; j < calls; j += 3) {
            SCOPED_TRACE("stopped before call " + std::to_string(k) + ", another list, then call " + std::to_string(j) +
                         " fails");
            writeUpdate(manifestOf(newFiles));
            runStoppedAt(k);
            installAgain(laterFiles);
            if (runFailingAt(j) != MergeResult::merged && !fs::exists(root / kJournalFile)) {
                EXPECT_NE(contents(root / "Likenex.exe"), "later exe");
                EXPECT_FALSE(fs::exists(root / "data/later/extra.dat"));
            }
            (void)merge();
            for (const auto& [path, bytes] : laterFiles) EXPECT_EQ(contents(root / path), bytes) << path;
            for (const std::string_view own : {kIncomingFolder, kBackupFolder, kJournalFile, kJournalTempFile})
                EXPECT_FALSE(fs::exists(root / own)) << own << "\n" << log();
        }
    }
}

// The journal of the stopped run, well formed and naming the list in files.lst, with one
// line more that leads out of the program folder: it is not followed, and the list is merged.
TEST_F(DataMergeTest, AJournalPathLeavingTheFolderMakesItUnreadable) {
    const std::map<std::string, std::string> unsafeLines = {
        {"folder", "folder\t../made-by-the-merge\n"},
        {"device", "folder\tdata/com0\n"},
    };
    for (const auto& [name, line] : unsafeLines) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(stopOnceTheJournalIsInPlace());
        EXPECT_EQ(contents(root / "Likenex.exe"), "new exe!");
        std::string journal = contents(root / kJournalFile);
        std::size_t afterStage = 0;
        for (int lines = 0; lines < 3; ++lines) afterStage = journal.find('\n', afterStage) + 1;
        ASSERT_NE(journal.find("stage\t"), std::string::npos) << journal;
        journal.insert(afterStage, line);
        put(root, std::string(kJournalFile), journal);

        EXPECT_EQ(merge(), MergeResult::merged);
        EXPECT_EQ(snapshot(root), after) << log();
        EXPECT_FALSE(fs::exists(scratch / "made-by-the-merge")) << log();
        EXPECT_NE(log().find("unreadable"), std::string::npos) << log();
    }
}

// A junction in the way of anything the merge would change: refused before a single change,
// and nothing is asked of the disk at or below it.
TEST_F(DataMergeTest, RefusesToWorkThroughALinkOrJunction) {
    struct Case {
        std::string name;
        std::string link;          // relative to the program folder
        std::string folderToMake;  // made before the run, as a junction's target would look
    };
    const std::vector<Case> cases = {
        {"incoming", "data/incoming", ""},
        {"backup", "data/merge-backup", "data/merge-backup/victim"},
        {"a folder of the update", "data/items", "data/items"},
        {"a folder inside incoming", "data/incoming/data/items", ""},
        {"a file in place", "data/avatar.dat", ""},
        {"the journal", "data/merge.journal", ""},
        {"the data folder", "data", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeUpdate(manifestOf(newFiles));
        if (!c.folderToMake.empty()) put(root, c.folderToMake + "/keep.txt", "not the merger's");
        const Snapshot planted = snapshot(root);
        JunctionFileSystem junctions;
        junctions.links = {root / c.link};
        EXPECT_EQ(mergeIncomingData(junctions, root), MergeResult::refused);
        EXPECT_EQ(junctions.reachedThrough, std::vector<std::string>{});
        EXPECT_EQ(snapshot(root), planted);
        if (c.link == "data") {
            EXPECT_FALSE(fs::exists(root / kLogFile));  // the log would be written through it
        } else {
            EXPECT_NE(log().find("or a folder above it is a link or junction"), std::string::npos) << log();
        }
    }
}

// An interrupted merge is not finished through a junction planted since it stopped.
TEST_F(DataMergeTest, AnInterruptedMergeIsNotFinishedThroughALink) {
    ASSERT_TRUE(stopOnceTheJournalIsInPlace());
    const Snapshot stopped = snapshot(root);
    JunctionFileSystem junctions;
    junctions.links = {root / kBackupFolder / "Likenex.exe"};
    EXPECT_EQ(mergeIncomingData(junctions, root), MergeResult::refused);
    EXPECT_EQ(junctions.reachedThrough, std::vector<std::string>{});
    EXPECT_EQ(snapshot(root), stopped);

    // Once it is gone, the merge is finished.
    EXPECT_EQ(merge(), MergeResult::merged);
    EXPECT_EQ(snapshot(root), after) << log();
}

// removeTree leaves a tree holding a link whole, wherever the link lies in it: Windows's
// remove_all would empty the folder a junction points at.
TEST_F(DataMergeTest, RemovingATreeNeverDescendsThroughALink) {
    put(root, std::string(kBackupFolder) + "/data/inner/victim.txt", "someone else's");
    put(root, std::string(kBackupFolder) + "/Likenex.exe", "old exe");
    JunctionFileSystem junctions;
    junctions.links = {root / kBackupFolder / "data/inner"};
    EXPECT_FALSE(junctions.removeTree(root / kBackupFolder));
    EXPECT_EQ(contents(root / kBackupFolder / "data/inner/victim.txt"), "someone else's");
    EXPECT_EQ(contents(root / kBackupFolder / "Likenex.exe"), "old exe");

    junctions.links.clear();
    EXPECT_TRUE(junctions.removeTree(root / kBackupFolder));
    EXPECT_FALSE(fs::exists(root / kBackupFolder));
    EXPECT_TRUE(junctions.removeTree(root / kBackupFolder));  // nothing there is fine too
}

// The same with real symbolic links, which this system's standard library does recognise.
TEST_F(DataMergeTest, RealSymbolicLinksAreRefusedAndLeftAlone) {
    // data/incoming is a link to a folder elsewhere that holds the whole update.
    const fs::path elsewhere = scratch / "elsewhere";
    fs::rename(root / kIncomingFolder, elsewhere);
    fs::create_directory_symlink(elsewhere, root / kIncomingFolder);
    const Snapshot outside = snapshot(elsewhere);
    EXPECT_EQ(merge(), MergeResult::refused);
    EXPECT_EQ(snapshot(elsewhere), outside);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(root / kIncomingFolder)));
    EXPECT_EQ(contents(root / "Likenex.exe"), "old exe");

    // A link deep in the backup folder keeps that folder from being removed.
    DiskFileSystem disk;
    put(root, std::string(kBackupFolder) + "/data/keep.dat", "old");
    fs::create_directory_symlink(elsewhere, root / kBackupFolder / "data/linked");
    EXPECT_FALSE(disk.removeTree(root / kBackupFolder));
    EXPECT_EQ(snapshot(elsewhere), outside);
    EXPECT_TRUE(fs::exists(root / kBackupFolder / "data/keep.dat"));
}

TEST_F(DataMergeTest, AJournalWithoutListOnlyNeedsCleaningUp) {
    // As after a stop once files.lst was removed: every file in place, the rest left over.
    for (const auto& [path, bytes] : newFiles) {
        fs::create_directories((root / path).parent_path());
        fs::rename(root / kIncomingFolder / path, root / path);
    }
    fs::remove(root / kManifestFile);
    put(root, std::string(kBackupFolder) + "/Likenex.exe", "old exe");
    put(root, std::string(kJournalFile), "garbage");
    EXPECT_EQ(merge(), MergeResult::merged);
    EXPECT_EQ(snapshot(root), after) << log();
}

}  // namespace
}  // namespace likenex::update
