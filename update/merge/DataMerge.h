#pragma once
// data\merge.exe's work: moving the data update an installer left in data\incoming\ into the
// program folder so that the folder never holds a mix of old and new files.
//
// The installer writes data/incoming/files.lst last: without it there is nothing to merge.
// The list is checked whole before anything moves. Then data/merge.journal is put in place
// (written under another name and renamed, so it is either whole or absent); from that moment
// an interrupted merge is finished by the next run instead of started again. Each old file is
// moved into data/merge-backup/ and the new one onto its place, all by renames on one volume.
// The journal written a second time, saying every file is in place, is the point of no
// return: before it, a failed operation moves every file back; after it only the clean-up is
// left, and the journal, removed last, makes the next run finish that too.
//
// Update.exe runs the installer again before the next merger run, so an interrupted merge is
// usually met with data/incoming written anew. The journal records which list it was written
// from and which paths held a file, so neither a second incoming copy of a file already in
// place nor a new list confuses what is old and what is new.
//
// Every file-system call goes through MergeFileSystem, so tests can fail any single call or
// stop the merge after any call as a crash would.
//
// Nothing the merge touches may be a link: a junction or symbolic link planted at
// data\incoming, data\merge-backup or on the way to a listed file would have its renames and
// removals land wherever it points. The merge refuses before touching anything when it meets
// one, and removeTree never descends through one.

#include "base/Result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace likenex::update {

class MergeFileSystem {
public:
    virtual ~MergeFileSystem() = default;
    // Empty when it cannot be told; the merge then stops rather than guess.
    [[nodiscard]] virtual std::optional<bool> exists(const std::filesystem::path& path) = 0;
    // Whether the path is a symbolic link, a junction or any other reparse point: false when
    // nothing is there, empty when it cannot be told.
    [[nodiscard]] virtual std::optional<bool> isLink(const std::filesystem::path& path) = 0;
    // Empty for anything but a readable regular file.
    [[nodiscard]] virtual std::optional<std::uint64_t> fileSize(const std::filesystem::path& path) = 0;
    // Moves a file, replacing one already at `to`. Both lie on the program folder's volume.
    [[nodiscard]] virtual bool renameReplacing(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // A file or an empty folder; true also when there was nothing to remove.
    [[nodiscard]] virtual bool remove(const std::filesystem::path& path) = 0;
    // A folder with everything in it; true also when there was nothing to remove. A tree that
    // is or holds a link is left whole and the call fails.
    [[nodiscard]] virtual bool removeTree(const std::filesystem::path& path) = 0;
    [[nodiscard]] virtual bool createDirectories(const std::filesystem::path& path) = 0;
    // Empty when the file is missing, unreadable or larger than maxBytes.
    [[nodiscard]] virtual std::optional<std::string> readFile(const std::filesystem::path& path,
                                                              std::size_t maxBytes) = 0;
    [[nodiscard]] virtual bool writeFile(const std::filesystem::path& path, std::string_view bytes) = 0;
};

// The real disk through std::filesystem and file streams. Its isLink knows symbolic links
// only; the Windows program overrides it to see every reparse point, since MinGW's
// symlink_status takes a junction for the folder it points at. removeTree asks isLink, so an
// override reaches it too.
class DiskFileSystem : public MergeFileSystem {
public:
    [[nodiscard]] std::optional<bool> exists(const std::filesystem::path& path) override;
    [[nodiscard]] std::optional<bool> isLink(const std::filesystem::path& path) override;
    [[nodiscard]] std::optional<std::uint64_t> fileSize(const std::filesystem::path& path) override;
    [[nodiscard]] bool renameReplacing(const std::filesystem::path& from, const std::filesystem::path& to) override;
    [[nodiscard]] bool remove(const std::filesystem::path& path) override;
    [[nodiscard]] bool removeTree(const std::filesystem::path& path) override;
    [[nodiscard]] bool createDirectories(const std::filesystem::path& path) override;
    [[nodiscard]] std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t maxBytes) override;
    [[nodiscard]] bool writeFile(const std::filesystem::path& path, std::string_view bytes) override;

private:
    // True when nothing in the tree at `path` is a link, searched no deeper than `depthLeft`.
    [[nodiscard]] bool holdsNoLink(const std::filesystem::path& path, int depthLeft);
};

// Where the merge's files lie, relative to the program folder.
inline constexpr std::string_view kIncomingFolder = "data/incoming";
inline constexpr std::string_view kManifestFile = "data/incoming/files.lst";
inline constexpr std::string_view kJournalFile = "data/merge.journal";
inline constexpr std::string_view kJournalTempFile = "data/merge.journal.new";
inline constexpr std::string_view kBackupFolder = "data/merge-backup";
inline constexpr std::string_view kLogFile = "data/merge.log";

inline constexpr std::string_view kManifestHeader = "likenex-merge 1";
inline constexpr std::size_t kMaxManifestBytes = std::size_t{1} << 20;
inline constexpr std::size_t kMaxManifestEntries = 10000;
inline constexpr std::size_t kMaxPathBytes = 260;

struct ManifestEntry {
    std::uint64_t size = 0;
    std::string path;  // relative to the program folder, '/' between names, UTF-8
};

// Reads files.lst's text and checks every path, alone and against the others (duplicates,
// a file where another entry needs a folder). A refusal says why, naming the line.
[[nodiscard]] Result<std::vector<ManifestEntry>> parseManifest(std::string_view text);

// Fails, saying why, for a path a merge may not write: anything that could reach outside the
// program folder, that Windows would read differently from how it is written, or that is one
// of the merger's own files.
[[nodiscard]] Result<void> checkMergePath(std::string_view path);

// The spelling two paths share when Windows takes them for the same file: letters folded to
// lower case in the Latin, Greek and Cyrillic blocks; other characters compare as written.
// `path` must be valid UTF-8.
[[nodiscard]] std::string foldCase(std::string_view path);

enum class MergeResult : std::uint8_t {
    nothingToDo,  // no files.lst and no interrupted merge
    merged,       // this run's update, or an interrupted one, is in place
    refused,      // files.lst or its files are not acceptable; nothing was touched
    failed,       // an operation failed; the folder holds the old files (or the next run finishes)
};

// Runs one merge in `programFolder` and writes data/merge.log about it.
[[nodiscard]] MergeResult mergeIncomingData(MergeFileSystem& fs, const std::filesystem::path& programFolder);

[[nodiscard]] constexpr int exitCode(MergeResult result) {
    return result == MergeResult::nothingToDo || result == MergeResult::merged ? 0 : 1;
}

}  // namespace likenex::update
