// build-archive and dump-archive: the avatar and interface picture archives from PNG files
// and back.
#include "catalogue/AvatarArchive.h"
#include "catalogue/InterfaceArchiveFile.h"
#include "tools/likenex-data/ArchiveFiles.h"
#include "tools/likenex-data/ArchiveManifest.h"
#include "tools/likenex-data/Commands.h"
#include "tools/likenex-data/Png.h"

#include <filesystem>
#include <ostream>

namespace likenex {
namespace {

using Json = nlohmann::ordered_json;

struct ArchiveFileNames {
    const char* index;
    const char* data;
};
constexpr ArchiveFileNames kAvatarFiles{"data/avatar.inx", "data/avatar.iso"};
constexpr ArchiveFileNames kInterfaceFiles{"data/inter.inx", "data/inter.dat"};

// One archive's files as stored; fails when the index holds other than its claimed entries.
struct StoredArchive {
    std::string indexPath;
    std::vector<std::uint8_t> data;
    StoredIndex index;
};

StoredArchive readStoredArchive(const std::string& directory, ArchiveFileNames names, IndexKind kind) {
    StoredArchive archive;
    archive.indexPath = programFile(directory, names.index);
    const std::vector<std::uint8_t> indexBytes = readFileOrFail(archive.indexPath);
    archive.data = readFileOrFail(programFile(directory, names.data));
    std::optional<StoredIndex> index = readStoredIndex(indexBytes, kind);
    if (!index) throw ToolError(archive.indexPath + " is too short to hold its entry count");
    if (index->entries.size() != index->claimedCount || index->extraBytes != 0)
        throw ToolError(archive.indexPath + " claims " + std::to_string(index->claimedCount) + " entries but holds " +
                        std::to_string(index->entries.size()) + " complete ones and " +
                        std::to_string(index->extraBytes) + " more bytes");
    archive.index = std::move(*index);
    return archive;
}

std::string failedEntry(const StoredArchive& archive, std::size_t i, const std::string& problem) {
    return archive.indexPath + " entry " + std::to_string(i) + " (key " + std::to_string(archive.index.entries[i].key) +
           "): " + problem;
}

// The PNG of one entry, named by position so that repeated keys stay apart; "" when empty.
std::string writeEntryPng(const std::string& folder, const char* prefix, std::size_t i, std::int64_t key,
                          std::int64_t width, std::int64_t height, std::span<const std::uint8_t> pixels) {
    if (width <= 0 || height <= 0) return {};
    std::string name = std::string(prefix) + "-" + std::to_string(i) + "-" + std::to_string(key) + ".png";
    writePng((std::filesystem::path(folder) / name).string(),
             uprightFromTexture(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), pixels));
    return name;
}

Json dumpSprites(const StoredArchive& archive, const std::string& folder, bool& packed) {
    Json list = Json::array();
    std::uint64_t expectedOffset = 0;
    for (std::size_t i = 0; i < archive.index.entries.size(); ++i) {
        const StoredIndexEntry& stored = archive.index.entries[i];
        Result<StoredSprite> sprite = readStoredSprite(archive.data, stored.entry);
        if (!sprite) throw ToolError(failedEntry(archive, i, sprite.error()));
        packed = packed && stored.entry.offset == expectedOffset;
        expectedOffset += stored.entry.size;
        SpriteSource source{stored.key, sprite->width,  sprite->height, sprite->x,
                            sprite->y,  sprite->word16, sprite->word20, {}};
        std::string png = writeEntryPng(folder, "sprite", i, stored.key, sprite->width, sprite->height, sprite->pixels);
        list.push_back(spriteManifestEntry(source, png));
    }
    packed = packed && expectedOffset == archive.data.size();
    return list;
}

Json dumpSkins(const StoredArchive& archive, const std::string& folder, bool& packed) {
    Json list = Json::array();
    std::uint64_t expectedOffset = 0;
    for (std::size_t i = 0; i < archive.index.entries.size(); ++i) {
        const StoredIndexEntry& stored = archive.index.entries[i];
        Result<SkinRecord> skin = readSkinRecord(archive.data, stored.entry.offset);
        if (!skin) throw ToolError(failedEntry(archive, i, skin.error()));
        const std::uint64_t size = kSkinHeaderBytes + skin->pixels.size();
        packed = packed && stored.entry.offset == expectedOffset && stored.entry.size == size;
        expectedOffset += size;
        SkinImageSource source{
            static_cast<std::uint32_t>(stored.key), skin->layoutWidth, skin->layoutHeight, skin->texW, skin->texH, {}};
        std::string png = writeEntryPng(folder, "skin", i, stored.key, skin->texW, skin->texH, skin->pixels);
        list.push_back(skinManifestEntry(source, png));
    }
    packed = packed && expectedOffset == archive.data.size();
    return list;
}

}  // namespace

int buildArchiveCommand(const Arguments& arguments, std::ostream&, std::ostream&) {
    ParsedArguments parsed = parseArguments(arguments, {});
    expectCount(parsed, 2, 2, "build-archive MANIFEST.json DIR");
    const std::string& source = parsed.positional[0];
    const std::string& directory = parsed.positional[1];
    const Json manifest = parseJsonOrFail(readTextFileOrFail(source), source);
    std::string base = std::filesystem::path(source).parent_path().string();
    if (base.empty()) base = ".";
    std::optional<std::vector<SpriteSource>> sprites;
    std::optional<std::vector<SkinImageSource>> skins;
    try {
        JsonFields top(manifest, "manifest");
        if (const Json* list = top.find("sprites")) sprites = spritesFromManifest(*list, base);
        if (const Json* list = top.find("skins")) skins = skinsFromManifest(*list, base);
        top.finish();
    } catch (const ToolError& e) {
        throw ToolError(source + ": " + e.what());
    }
    if (!sprites && !skins) throw ToolError(source + ": the manifest has neither \"sprites\" nor \"skins\"");
    if (sprites && !writeAvatarArchive(directory, *sprites))
        throw ToolError("cannot write " + programFile(directory, kAvatarFiles.index) +
                        " and avatar.iso (or they would pass 4 GiB)");
    if (skins && !writeInterfaceArchive(directory, *skins))
        throw ToolError("cannot write " + programFile(directory, kInterfaceFiles.index) +
                        " and inter.dat (or they would pass 4 GiB)");
    return 0;
}

int dumpArchiveCommand(const Arguments& arguments, std::ostream&, std::ostream& err) {
    ParsedArguments parsed = parseArguments(arguments, {});
    expectCount(parsed, 2, 2, "dump-archive DIR OUTDIR");
    const std::string& directory = parsed.positional[0];
    const std::string& folder = parsed.positional[1];
    const bool hasAvatar = std::filesystem::exists(programFile(directory, kAvatarFiles.index));
    const bool hasInterface = std::filesystem::exists(programFile(directory, kInterfaceFiles.index));
    if (!hasAvatar && !hasInterface)
        throw ToolError("neither " + programFile(directory, kAvatarFiles.index) + " nor inter.inx exists");
    makeDirectories(folder);
    Json manifest = Json::object();
    if (hasAvatar) {
        bool packed = true;
        manifest["sprites"] =
            dumpSprites(readStoredArchive(directory, kAvatarFiles, IndexKind::avatar), folder, packed);
        if (!packed)
            err << "likenex-data dump-archive: note: avatar.iso is not laid out record after record in index order; "
                   "build-archive repacks it, so its bytes will differ\n";
    }
    if (hasInterface) {
        bool packed = true;
        manifest["skins"] =
            dumpSkins(readStoredArchive(directory, kInterfaceFiles, IndexKind::interface), folder, packed);
        if (!packed)
            err << "likenex-data dump-archive: note: inter.dat is not laid out record after record in index order "
                   "(or a size word differs); build-archive repacks it, so its bytes will differ\n";
    }
    writeTextFileOrFail((std::filesystem::path(folder) / "manifest.json").string(), manifest.dump(2) + "\n");
    return 0;
}

}  // namespace likenex
