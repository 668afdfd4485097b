#include "update/merge/DataMerge.h"

#include "base/Text.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <system_error>
#include <utility>

namespace likenex::update {
namespace fs = std::filesystem;

std::optional<bool> DiskFileSystem::exists(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (status.type() == fs::file_type::not_found) return false;
    if (error) return std::nullopt;
    return true;
}

std::optional<bool> DiskFileSystem::isLink(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (status.type() == fs::file_type::not_found) return false;
    if (error) return std::nullopt;
    return fs::is_symlink(status);
}

std::optional<std::uint64_t> DiskFileSystem::fileSize(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(fs::symlink_status(path, error)) || error) return std::nullopt;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) return std::nullopt;
    return size;
}

bool DiskFileSystem::renameReplacing(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::rename(from, to, error);
    return !error;
}

bool DiskFileSystem::remove(const fs::path& path) {
    std::error_code error;
    fs::remove(path, error);
    return !error;
}

bool DiskFileSystem::holdsNoLink(const fs::path& path, int depthLeft) {
    const std::optional<bool> link = isLink(path);
    if (!link || *link || depthLeft == 0) return false;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (status.type() == fs::file_type::not_found) return true;
    if (error) return false;
    if (!fs::is_directory(status)) return true;
    for (fs::directory_iterator entry(path, error), end; !error && entry != end; entry.increment(error)) {
        if (!holdsNoLink(entry->path(), depthLeft - 1)) return false;
    }
    return !error;
}

bool DiskFileSystem::removeTree(const fs::path& path) {
    // remove_all descends into whatever a junction points at where the standard library cannot
    // tell one from a folder, so the whole tree is searched first. Nothing the merger puts
    // there lies deeper than a listed path can reach.
    constexpr int kMaxDepth = static_cast<int>(kMaxPathBytes / 2) + 2;
    if (!holdsNoLink(path, kMaxDepth)) return false;
    std::error_code error;
    fs::remove_all(path, error);
    return !error;
}

bool DiskFileSystem::createDirectories(const fs::path& path) {
    std::error_code error;
    fs::create_directories(path, error);
    return !error;
}

std::optional<std::string> DiskFileSystem::readFile(const fs::path& path, std::size_t maxBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes;
    std::array<char, 65536> chunk;
    while (in) {
        in.read(chunk.data(), chunk.size());
        const auto got = static_cast<std::size_t>(in.gcount());
        if (bytes.size() + got > maxBytes) return std::nullopt;
        bytes.append(chunk.data(), got);
    }
    if (in.bad()) return std::nullopt;
    return bytes;
}

bool DiskFileSystem::writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

namespace {

constexpr std::string_view kJournalHeader = "likenex-merge-journal 1";
// A journal names at most the manifest's files and the folders above them.
constexpr std::size_t kMaxJournalBytes = 4 * kMaxManifestBytes;

// Windows opens a device instead of a file for these names, with or without an extension:
// the ports count the digits 0 to 9 and the superscripts one, two and three (UTF-8 here), and
// the console has its own two names.
constexpr std::array<std::string_view, 6> kDeviceNames = {"con", "prn", "aux", "nul", "conin$", "conout$"};
constexpr std::array<std::string_view, 2> kNumberedDevices = {"com", "lpt"};
constexpr std::array<std::string_view, 3> kSuperscriptDigits = {"\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};

constexpr std::array<std::string_view, 5> kOwnFiles = {kIncomingFolder, kJournalFile, kJournalTempFile, kBackupFolder,
                                                       kLogFile};

char32_t lowerCase(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c % 2 == 1 ? c + 1 : c;
    if (c == 0x178) return 0xFF;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    return c;
}

// Windows reads a name up to its first dot, less the spaces before that dot, when it looks
// for a device: "nul .txt" is the device too.
bool isDeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    const std::string folded = foldCase(stem);
    if (std::find(kDeviceNames.begin(), kDeviceNames.end(), folded) != kDeviceNames.end()) return true;
    for (const std::string_view device : kNumberedDevices) {
        if (folded.size() <= device.size() || folded.compare(0, device.size(), device) != 0) continue;
        const std::string_view number = std::string_view(folded).substr(device.size());
        if (number.size() == 1 && number[0] >= '0' && number[0] <= '9') return true;
        if (std::find(kSuperscriptDigits.begin(), kSuperscriptDigits.end(), number) != kSuperscriptDigits.end())
            return true;
    }
    return false;
}

// Windows also finds a file by its 8.3 alias ("INCOMI~1" for "incoming"), which would let a
// listed path reach the merger's own folders under another spelling.
bool looksLikeShortName(std::string_view name) {
    for (std::size_t tilde = name.find('~'); tilde != std::string_view::npos; tilde = name.find('~', tilde + 1)) {
        if (tilde + 1 < name.size() && name[tilde + 1] >= '0' && name[tilde + 1] <= '9') return true;
    }
    return false;
}

bool isInside(std::string_view path, std::string_view folder) {
    return path.size() > folder.size() && path.substr(0, folder.size()) == folder && path[folder.size()] == '/';
}

// Splits text into lines ending in LF or CRLF; a last line without an ending counts too.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::optional<std::uint64_t> parseSize(std::string_view digits) {
    if (digits.empty() || digits.size() > 20) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// Checks a list of paths as a whole: no two name one file, and none is a folder of another.
Result<void> checkPathSet(const std::vector<std::string>& paths) {
    std::set<std::string> folded;
    for (const std::string& path : paths) {
        if (!folded.insert(foldCase(path)).second) return Failure{"\"" + path + "\" is listed twice"};
    }
    for (const std::string& path : paths) {
        const std::string key = foldCase(path);
        for (std::size_t slash = key.find('/'); slash != std::string::npos; slash = key.find('/', slash + 1)) {
            if (folded.count(key.substr(0, slash)))
                return Failure{"\"" + path + "\" needs a folder where another entry is a file"};
        }
    }
    return {};
}

struct PlannedFile {
    std::string path;
    // Whether a file stood at the path when the journal was written. Its old copy is then
    // in the backup folder once moved, and what stands at the path besides is a new copy.
    bool replaces = true;
};

// What one run knows of the update it moves.
struct Plan {
    std::vector<PlannedFile> files;
    std::vector<std::string> newFolders;  // shallowest first; removed again when the merge is undone
    std::string listPrint;                // of the files.lst the journal was written from
    bool allInPlace = false;              // the journal's second writing: only clean-up is left
};

// Tells one files.lst from another: an installer run again over an interrupted merge may
// have written a different one.
std::string fingerprint(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string print = std::to_string(text.size()) + ":";
    for (int shift = 60; shift >= 0; shift -= 4) print += kDigits[hash >> shift & 0xF];
    return print;
}

std::string describe(const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& path : paths) text += "\n  " + path;
    return text;
}

class Merger {
public:
    Merger(MergeFileSystem& files, fs::path root) : fs_(files), root_(std::move(root)) {}

    MergeResult run() {
        const MergeResult result = merge();
        // The log is for a person; a log that cannot be written changes nothing. Written
        // through a link it would overwrite whatever the link points at.
        if (clearOfLinks(kLogFile)) (void)fs_.writeFile(at(kLogFile), log_);
        return result;
    }

private:
    MergeFileSystem& fs_;
    const fs::path root_;
    std::string log_;
    std::map<std::string, bool> linkFree_;  // folded relative path -> neither it nor a folder above is a link

    fs::path at(std::string_view relative) const {
        fs::path path = root_ / fs::path(std::u8string(relative.begin(), relative.end()));
        return path.make_preferred();
    }
    fs::path incoming(const std::string& path) const { return at(std::string(kIncomingFolder) + "/" + path); }
    fs::path backup(const std::string& path) const { return at(std::string(kBackupFolder) + "/" + path); }
    void note(const std::string& line) { log_ += line + "\n"; }

    // Whether `relative` and every folder above it are plain files or folders, or absent. A
    // link, or a path that cannot be looked at, counts as not clear.
    bool clearOfLinks(std::string_view relative) {
        for (std::size_t end = relative.find('/');; end = relative.find('/', end + 1)) {
            const std::string part(relative.substr(0, end));
            const auto [known, inserted] = linkFree_.try_emplace(foldCase(part), false);
            if (inserted) {
                const std::optional<bool> link = fs_.isLink(at(part));
                known->second = link && !*link;
            }
            if (!known->second) return false;
            if (end == std::string_view::npos) return true;
        }
    }

    bool refuseLink(std::string_view relative) {
        if (clearOfLinks(relative)) return false;
        note("Refused: \"" + std::string(relative) +
             "\" or a folder above it is a link or junction, or could not be looked at. Nothing was touched.");
        return true;
    }

    // Every file of the plan where it goes, where it waits and where its old copy is kept.
    bool planClearOfLinks(const Plan& plan) {
        for (const PlannedFile& file : plan.files) {
            for (const std::string& where : {file.path, std::string(kIncomingFolder) + "/" + file.path,
                                             std::string(kBackupFolder) + "/" + file.path}) {
                if (refuseLink(where)) return false;
            }
        }
        return true;
    }

    MergeResult merge() {
        for (const std::string_view own :
             {kLogFile, kIncomingFolder, kManifestFile, kBackupFolder, kJournalFile, kJournalTempFile}) {
            if (refuseLink(own)) return MergeResult::refused;
        }
        const std::optional<bool> journal = fs_.exists(at(kJournalFile));
        if (!journal) {
            note("Could not tell whether an earlier merge was interrupted; nothing was touched.");
            return MergeResult::failed;
        }
        return *journal ? resume() : mergeAfresh();
    }

    MergeResult mergeAfresh() {
        // No merge is under way, so what an earlier run may have left of its own files is of
        // no use to anyone, and a new merge needs the backup folder empty.
        if (!fs_.removeTree(at(kBackupFolder)) || !fs_.remove(at(kJournalTempFile))) {
            note("Could not remove what an earlier merge left behind; nothing was merged.");
            return MergeResult::failed;
        }
        const std::optional<bool> manifest = fs_.exists(at(kManifestFile));
        if (!manifest) {
            note("Could not tell whether " + std::string(kManifestFile) + " exists; nothing was merged.");
            return MergeResult::failed;
        }
        if (!*manifest) {
            note("Nothing to merge: there is no " + std::string(kManifestFile) + ".");
            return MergeResult::nothingToDo;
        }
        Plan plan;
        std::vector<ManifestEntry> entries;
        if (!readManifest(entries, &plan.listPrint) || !checkFiles(entries, plan)) return MergeResult::refused;
        if (!findNewFolders(plan) || !writeJournal(plan)) return MergeResult::failed;
        return replaceAll(plan);
    }

    bool readManifest(std::vector<ManifestEntry>& entries, std::string* print) {
        const std::optional<std::string> text = fs_.readFile(at(kManifestFile), kMaxManifestBytes);
        if (!text) {
            note("Refused: " + std::string(kManifestFile) + " could not be read or is larger than " +
                 std::to_string(kMaxManifestBytes) + " bytes. Nothing was touched.");
            return false;
        }
        if (print) *print = fingerprint(*text);
        Result<std::vector<ManifestEntry>> parsed = parseManifest(*text);
        if (!parsed) {
            note("Refused: " + std::string(kManifestFile) + ": " + parsed.error() + ". Nothing was touched.");
            return false;
        }
        entries = std::move(parsed).value();
        return true;
    }

    // The incoming files must be there with the listed sizes, and each target must be a file
    // if it is there at all: moving a folder aside would move everything in it.
    bool checkFiles(const std::vector<ManifestEntry>& entries, Plan& plan) {
        for (const ManifestEntry& entry : entries) {
            if (refuseLink(entry.path) || refuseLink(std::string(kIncomingFolder) + "/" + entry.path)) return false;
            const std::optional<std::uint64_t> size = fs_.fileSize(incoming(entry.path));
            std::string problem;
            std::optional<bool> present;
            if (!size) {
                problem = "the incoming file \"" + entry.path + "\" is missing or not a file";
            } else if (*size != entry.size) {
                problem = "the incoming file \"" + entry.path + "\" has " + std::to_string(*size) +
                          " bytes, the list says " + std::to_string(entry.size);
            } else {
                present = fs_.exists(at(entry.path));
                if (!present) {
                    problem = "could not tell whether \"" + entry.path + "\" exists";
                } else if (*present && !fs_.fileSize(at(entry.path))) {
                    problem = "\"" + entry.path + "\" is in place but is not a file that can be replaced";
                }
            }
            if (!problem.empty()) {
                note("Refused: " + problem + ". Nothing was touched.");
                return false;
            }
            plan.files.push_back({entry.path, *present});
        }
        return true;
    }

    bool findNewFolders(Plan& plan) {
        std::map<std::string, bool> known;  // folded folder -> missing now
        for (const PlannedFile& file : plan.files) {
            const std::string& path = file.path;
            bool parentMissing = false;
            for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
                const std::string folder = path.substr(0, slash);
                const auto [entry, inserted] = known.try_emplace(foldCase(folder), false);
                if (inserted) {
                    if (parentMissing) {
                        entry->second = true;
                    } else {
                        const std::optional<bool> present = fs_.exists(at(folder));
                        if (!present) {
                            note("Could not tell whether the folder \"" + folder + "\" exists; nothing was merged.");
                            return false;
                        }
                        entry->second = !*present;
                    }
                    if (entry->second) plan.newFolders.push_back(folder);
                }
                parentMissing = entry->second;
            }
        }
        return true;
    }

    bool writeJournal(const Plan& plan) {
        std::string text = std::string(kJournalHeader) + "\nlist\t" + plan.listPrint + "\n" +
                           (plan.allInPlace ? "stage\tclean-up\n" : "stage\tmoving\n");
        for (const std::string& folder : plan.newFolders) text += "folder\t" + folder + "\n";
        for (const PlannedFile& file : plan.files) text += (file.replaces ? "replace\t" : "add\t") + file.path + "\n";
        if (fs_.writeFile(at(kJournalTempFile), text) && fs_.renameReplacing(at(kJournalTempFile), at(kJournalFile)))
            return true;
        (void)fs_.remove(at(kJournalTempFile));
        note("Could not write " + std::string(kJournalFile) + "; nothing was merged.");
        return false;
    }

    // The journal as written, or false when it is not one: every line must be well formed,
    // since a wrong list would move files no merge asked for.
    bool readJournal(Plan& plan) {
        const std::optional<std::string> text = fs_.readFile(at(kJournalFile), kMaxJournalBytes);
        if (!text) return false;
        const std::vector<std::string_view> lines = splitLines(*text);
        if (lines.size() < 3 || lines[0] != kJournalHeader || lines[1].substr(0, 5) != "list\t") return false;
        plan.listPrint = lines[1].substr(5);
        if (lines[2] != "stage\tmoving" && lines[2] != "stage\tclean-up") return false;
        plan.allInPlace = lines[2] == "stage\tclean-up";
        std::vector<std::string> paths;
        for (std::size_t i = 3; i < lines.size(); ++i) {
            const std::size_t tab = lines[i].find('\t');
            if (tab == std::string_view::npos) return false;
            const std::string_view kind = lines[i].substr(0, tab);
            const std::string path(lines[i].substr(tab + 1));
            if (!checkMergePath(path)) return false;
            if (kind == "folder") {
                plan.newFolders.push_back(path);
            } else if (kind == "replace" || kind == "add") {
                plan.files.push_back({path, kind == "replace"});
                paths.push_back(path);
            } else {
                return false;
            }
        }
        return paths.size() <= kMaxManifestEntries && checkPathSet(paths).ok();
    }

    MergeResult resume() {
        note("An earlier merge was interrupted; finishing it.");
        const std::optional<bool> manifest = fs_.exists(at(kManifestFile));
        if (!manifest) {
            note("Could not tell whether " + std::string(kManifestFile) + " exists; the next run tries again.");
            return MergeResult::failed;
        }
        Plan plan;
        const bool journalRead = readJournal(plan);
        if (!*manifest) {
            // files.lst goes only in the clean-up, so without it the journal is at least that
            // far, even when it cannot be read.
            if (!journalRead) return finish(Plan{{}, {}, {}, true});
            return planClearOfLinks(plan) ? finish(plan) : MergeResult::refused;
        }
        if (journalRead) {
            const std::optional<std::string> text = fs_.readFile(at(kManifestFile), kMaxManifestBytes);
            if (!text) {
                note("Could not read " + std::string(kManifestFile) + "; the next run tries again.");
                return MergeResult::failed;
            }
            if (fingerprint(*text) != plan.listPrint) return abandon();
            return planClearOfLinks(plan) ? finish(plan) : MergeResult::refused;
        }
        // The list in files.lst is the one the journal was written from. Without the journal
        // every file counts as replacing one, so a copy standing at its path is kept aside.
        // Folders the interrupted run made count as old ones and stay if the merge is undone.
        note(std::string(kJournalFile) + " is unreadable; taking the list from " + std::string(kManifestFile) + ".");
        plan = Plan{};
        std::vector<ManifestEntry> entries;
        if (!readManifest(entries, &plan.listPrint)) {
            note("Neither list can be read; everything was left as it is.");
            return MergeResult::failed;
        }
        for (const ManifestEntry& entry : entries) plan.files.push_back({entry.path, true});
        if (!planClearOfLinks(plan)) return MergeResult::refused;
        if (!findNewFolders(plan)) return MergeResult::failed;
        return replaceAll(plan);
    }

    MergeResult finish(const Plan& plan) {
        if (!plan.allInPlace) return replaceAll(plan);
        // An installer run again since may have put the same update into data/incoming; it
        // is in place already and goes with the rest.
        note("Every file was in place already; removing what the merge left.");
        cleanUp();
        return MergeResult::merged;
    }

    // An installer ran again over the interrupted merge and left another list. The old
    // incoming files may be overwritten, so that merge can be neither finished nor undone;
    // the files it moved stay, and the new list is merged whole on its own.
    MergeResult abandon() {
        note(std::string(kManifestFile) + " was replaced since that merge began; merging the new list instead.");
        if (!fs_.removeTree(at(kBackupFolder)) || !fs_.remove(at(kJournalFile))) {
            note("Could not put the interrupted merge aside; the next run tries again.");
            return MergeResult::failed;
        }
        return mergeAfresh();
    }

    MergeResult replaceAll(const Plan& plan) {
        std::vector<std::string> replaced, added;
        for (const std::string& folder : plan.newFolders) {
            if (!fs_.createDirectories(at(folder))) {
                note("Could not create the folder \"" + folder + "\".");
                return undo(plan);
            }
        }
        for (const PlannedFile& file : plan.files) {
            if (!replace(file, replaced, added)) {
                note("Could not put \"" + file.path + "\" in place.");
                return undo(plan);
            }
        }
        Plan inPlace = plan;
        inPlace.allInPlace = true;
        if (!writeJournal(inPlace)) return undo(plan);
        note("Merged " + std::to_string(plan.files.size()) + (plan.files.size() == 1 ? " file." : " files."));
        if (!replaced.empty()) note("Replaced:" + describe(replaced));
        if (!added.empty()) note("Added:" + describe(added));
        if (replaced.size() + added.size() < plan.files.size()) note("The others were in place already.");
        cleanUp();
        return MergeResult::merged;
    }

    // Moves one file into place. One whose incoming copy is gone is in place already. An old
    // copy already in the backup folder is never overwritten: an installer run again may
    // have put a second incoming copy beside a new file already in place.
    bool replace(const PlannedFile& file, std::vector<std::string>& replaced, std::vector<std::string>& added) {
        const std::optional<bool> waiting = fs_.exists(incoming(file.path));
        if (!waiting) return false;
        if (!*waiting) return true;
        if (file.replaces) {
            const std::optional<bool> saved = fs_.exists(backup(file.path));
            if (!saved) return false;
            if (!*saved) {
                // Gone already if someone removed it since; then the new file is only added.
                const std::optional<bool> present = fs_.exists(at(file.path));
                if (!present) return false;
                if (*present && (!fs_.createDirectories(backup(file.path).parent_path()) ||
                                 !fs_.renameReplacing(at(file.path), backup(file.path))))
                    return false;
            }
        }
        if (!fs_.renameReplacing(incoming(file.path), at(file.path))) return false;
        (file.replaces ? replaced : added).push_back(file.path);
        return true;
    }

    // Puts every old file back and every new one back into data/incoming, whichever run moved
    // them, so the merge can be tried again. Should a move back fail, the journal stays and
    // the next run finishes the merge forward instead: either way no mix is left.
    MergeResult undo(const Plan& plan) {
        for (auto file = plan.files.rbegin(); file != plan.files.rend(); ++file) {
            if (!restore(*file)) {
                note("Could not move \"" + file->path + "\" back; the next run finishes the merge instead.");
                return MergeResult::failed;
            }
        }
        // A folder someone has put a file into since stays.
        for (auto folder = plan.newFolders.rbegin(); folder != plan.newFolders.rend(); ++folder)
            (void)fs_.remove(at(*folder));
        // A backup folder left now is removed by the next run, as no journal names it.
        (void)fs_.removeTree(at(kBackupFolder));
        if (!fs_.remove(at(kJournalFile))) {
            note("Could not remove " + std::string(kJournalFile) + "; the next run finishes the merge instead.");
            return MergeResult::failed;
        }
        note("Every file was put back as it was; " + std::string(kIncomingFolder) + " is kept.");
        return MergeResult::failed;
    }

    bool restore(const PlannedFile& file) {
        const std::optional<bool> waiting = fs_.exists(incoming(file.path));
        const std::optional<bool> present = fs_.exists(at(file.path));
        const std::optional<bool> saved = file.replaces ? fs_.exists(backup(file.path)) : false;
        if (!waiting || !present || !saved) return false;
        // What stands at the path is a new copy when the incoming one has gone, when nothing
        // stood there before, or when the old copy is in the backup folder.
        const bool isNew = !*waiting || !file.replaces || *saved;
        if (*present && isNew && !fs_.renameReplacing(at(file.path), incoming(file.path))) return false;
        return !*saved || fs_.renameReplacing(backup(file.path), at(file.path));
    }

    // The journal goes last: while it is there, the next run repeats the clean-up. Each part
    // is tried even when one before it fails: the old merge.exe of an update that replaces
    // it, say, stays in the backup folder until this run has ended.
    void cleanUp() {
        bool cleared = fs_.remove(at(kManifestFile));
        cleared = fs_.removeTree(at(kBackupFolder)) && cleared;
        cleared = fs_.removeTree(at(kIncomingFolder)) && cleared;
        if (cleared && fs_.remove(at(kJournalFile))) return;
        note("Some of the merge's own files could not be removed yet; the next run removes them.");
    }
};

}  // namespace

std::string foldCase(std::string_view path) {
    std::string folded;
    folded.reserve(path.size());
    for (std::size_t at = 0; at < path.size();) {
        const std::optional<char32_t> c = text::decodeUtf8(path, at);
        if (!c) {  // not UTF-8 after all: the rest compares as written
            folded.append(path.substr(at));
            break;
        }
        text::appendUtf8(folded, lowerCase(*c));
    }
    return folded;
}

Result<void> checkMergePath(std::string_view path) {
    if (path.empty()) return Failure{"an empty path"};
    if (path.size() > kMaxPathBytes) return Failure{"a path longer than " + std::to_string(kMaxPathBytes) + " bytes"};
    for (std::size_t at = 0; at < path.size();) {
        if (!text::decodeUtf8(path, at)) return Failure{"a path that is not UTF-8"};
    }
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return Failure{"a path with a control character"};
        if (c == '\\') return Failure{"a path with a backslash"};
        if (c == ':') return Failure{"a path with a drive or stream colon"};
        if (std::string_view("<>\"|?*").find(c) != std::string_view::npos)
            return Failure{"a path with a character Windows does not allow in names"};
    }
    if (path.front() == '/') return Failure{"an absolute path"};
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view name = path.substr(start, end - start);
        if (name.empty()) return Failure{"a path with an empty name"};
        if (name == "." || name == "..") return Failure{"a path through \".\" or \"..\""};
        if (name.back() == ' ' || name.back() == '.') return Failure{"a name ending in a space or a dot"};
        if (isDeviceName(name)) return Failure{"a device name"};
        if (looksLikeShortName(name)) return Failure{"a name Windows may take for another file's short name"};
        if (end == path.size()) break;
        start = end + 1;
    }
    const std::string folded = foldCase(path);
    for (const std::string_view own : kOwnFiles) {
        if (folded == own || isInside(folded, own)) return Failure{"one of the merger's own files"};
    }
    return {};
}

Result<std::vector<ManifestEntry>> parseManifest(std::string_view text) {
    if (text.size() > kMaxManifestBytes) return Failure{"larger than " + std::to_string(kMaxManifestBytes) + " bytes"};
    const std::vector<std::string_view> lines = splitLines(text);
    if (lines.empty() || lines[0] != kManifestHeader)
        return Failure{"the first line is not \"" + std::string(kManifestHeader) + "\""};
    if (lines.size() - 1 > kMaxManifestEntries)
        return Failure{"more than " + std::to_string(kMaxManifestEntries) + " entries"};
    std::vector<ManifestEntry> entries;
    std::vector<std::string> paths;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string where = "line " + std::to_string(i + 1) + ": ";
        const std::size_t tab = lines[i].find('\t');
        const std::optional<std::uint64_t> size =
            tab == std::string_view::npos ? std::nullopt : parseSize(lines[i].substr(0, tab));
        if (!size) return Failure{where + "not a size, a tab and a path"};
        std::string path(lines[i].substr(tab + 1));
        if (Result<void> allowed = checkMergePath(path); !allowed) return Failure{where + allowed.error()};
        paths.push_back(path);
        entries.push_back({*size, std::move(path)});
    }
    if (Result<void> set = checkPathSet(paths); !set) return Failure{set.error()};
    return entries;
}

MergeResult mergeIncomingData(MergeFileSystem& files, const fs::path& programFolder) {
    return Merger(files, programFolder).run();
}

}  // namespace likenex::update
