// build-archive and dump-archive: the avatar picture archive from PNG files and back.
#include "catalogue/AvatarArchive.h"
#include "tools/likenex-data/ArchiveFiles.h"
#include "tools/likenex-data/ArchiveManifest.h"
#include "tools/likenex-data/Commands.h"
#include "tools/likenex-data/Png.h"

#include <filesystem>
#include <ostream>

namespace likenex {

using Json = nlohmann::ordered_json;

int buildArchiveCommand(const Arguments& arguments, std::ostream&, std::ostream&) {
    ParsedArguments parsed = parseArguments(arguments, {});
    expectCount(parsed, 2, 2, "build-archive MANIFEST.json DIR");
    const std::string& source = parsed.positional[0];
    const Json manifest = parseJsonOrFail(readTextFileOrFail(source), source);
    const std::string base = std::filesystem::path(source).parent_path().string();
    std::vector<SpriteSource> sprites;
    try {
        sprites = spritesFromManifest(manifest, base.empty() ? "." : base);
    } catch (const ToolError& e) {
        throw ToolError(source + ": " + e.what());
    }
    (void)programFile(parsed.positional[1], "data");  // refuses a directory the program could not use
    if (!writeAvatarArchive(parsed.positional[1], sprites))
        throw ToolError("cannot write " + programFile(parsed.positional[1], "data/avatar.inx") +
                        " and avatar.iso (or the archive would pass 4 GiB)");
    return 0;
}

int dumpArchiveCommand(const Arguments& arguments, std::ostream&, std::ostream& err) {
    ParsedArguments parsed = parseArguments(arguments, {});
    expectCount(parsed, 2, 2, "dump-archive DIR OUTDIR");
    const std::string indexPath = programFile(parsed.positional[0], "data/avatar.inx");
    const std::string dataPath = programFile(parsed.positional[0], "data/avatar.iso");
    const std::vector<std::uint8_t> indexBytes = readFileOrFail(indexPath);
    const std::vector<std::uint8_t> data = readFileOrFail(dataPath);
    std::optional<StoredIndex> index = readStoredIndex(indexBytes);
    if (!index) throw ToolError(indexPath + " is too short to hold its entry count");
    if (index->entries.size() != index->claimedCount || index->extraBytes != 0)
        throw ToolError(indexPath + " claims " + std::to_string(index->claimedCount) + " entries but holds " +
                        std::to_string(index->entries.size()) + " complete ones and " +
                        std::to_string(index->extraBytes) + " more bytes");

    const std::string& outFolder = parsed.positional[1];
    makeDirectories(outFolder);
    Json list = Json::array();
    std::uint64_t expectedOffset = 0;
    bool packed = true;
    for (std::size_t i = 0; i < index->entries.size(); ++i) {
        const StoredIndexEntry& stored = index->entries[i];
        std::string problem;
        std::optional<StoredSprite> sprite = readStoredSprite(data, stored.entry, problem);
        if (!sprite) throw ToolError(indexPath + " entry " + std::to_string(i) + " (key " + std::to_string(stored.key) + "): " + problem);
        packed = packed && stored.entry.offset == expectedOffset;
        expectedOffset += stored.entry.size;
        SpriteSource source{stored.key, sprite->width, sprite->height, sprite->x, sprite->y, sprite->extra1, sprite->extra2, {}};
        std::string png;
        if (sprite->width > 0 && sprite->height > 0) {
            // The position keeps names apart when a key repeats.
            png = "sprite-" + std::to_string(i) + "-" + std::to_string(stored.key) + ".png";
            writePng((std::filesystem::path(outFolder) / png).string(),
                     uprightFromTexture(sprite->width, sprite->height, sprite->pixels));
        }
        list.push_back(spriteManifestEntry(source, png));
    }
    writeTextFileOrFail((std::filesystem::path(outFolder) / "manifest.json").string(),
                        Json{{"sprites", std::move(list)}}.dump(2) + "\n");
    if (!packed || expectedOffset != data.size())
        err << "likenex-data dump-archive: note: avatar.iso is not laid out record after record in index order; "
               "build-archive repacks it, so its bytes will differ\n";
    return 0;
}

}  // namespace likenex
