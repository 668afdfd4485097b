// Fuzzes the merger's reading of data/incoming/files.lst. Whatever the bytes, an accepted list
// names only paths the path check passes, no two of them the same file on Windows and none a
// folder of another, and writing the entries out again reads back as the same list.
#include "test_support/FuzzCheck.h"
#include "update/merge/DataMerge.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

using namespace likenex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Result<std::vector<update::ManifestEntry>> parsed = update::parseManifest(text);
    if (!parsed) {
        fuzzing::check(!parsed.error().empty(), "a refusal says why");
        return 0;
    }
    const std::vector<update::ManifestEntry>& entries = parsed.value();
    fuzzing::check(entries.size() <= update::kMaxManifestEntries, "no more entries than allowed");
    std::set<std::string> folded;
    std::string written = std::string(update::kManifestHeader) + "\n";
    for (const update::ManifestEntry& entry : entries) {
        fuzzing::check(update::checkMergePath(entry.path).ok(), "every accepted path passes the path check");
        const std::string key = update::foldCase(entry.path);
        fuzzing::check(update::foldCase(key) == key, "folding twice changes nothing");
        fuzzing::check(folded.insert(key).second, "no two paths name one file");
        written += std::to_string(entry.size) + "\t" + entry.path + "\n";
    }
    for (const std::string& key : folded) {
        for (std::size_t slash = key.find('/'); slash != std::string::npos; slash = key.find('/', slash + 1))
            fuzzing::check(!folded.count(key.substr(0, slash)), "no path is a folder of another");
    }
    Result<std::vector<update::ManifestEntry>> again = update::parseManifest(written);
    fuzzing::check(again.ok() && again->size() == entries.size(), "the list written out reads back");
    for (std::size_t i = 0; i < again->size(); ++i)
        fuzzing::check((*again)[i].size == entries[i].size && (*again)[i].path == entries[i].path, "entry for entry");
    return 0;
}
