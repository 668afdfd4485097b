#include "tools/likenex-data/ArchiveManifest.h"

#include "tools/likenex-data/Png.h"
#include "tools/likenex-data/ToolSupport.h"

#include <filesystem>

namespace likenex {
namespace {

using Json = nlohmann::ordered_json;

struct EntryPicture {
    std::int64_t width = 0, height = 0;
    std::vector<std::uint8_t> pixels;  // BGRA, bottom row first
};

// The entry's PNG, or an empty picture of the entry's "width" and "height" when it has none.
EntryPicture entryPicture(JsonFields& f, const std::string& baseFolder) {
    const std::string& where = f.where();
    std::int64_t width = -1, height = -1;
    f.get("width", width);
    f.get("height", height);
    const Json* png = f.find("png");
    EntryPicture picture;
    if (png) {
        if (!png->is_string()) throw ToolError(where + ": \"png\" must be a file name");
        std::filesystem::path path = png->get<std::string>();
        if (path.is_relative()) path = std::filesystem::path(baseFolder) / path;
        RgbaPicture upright = readPng(path.string());
        if ((width >= 0 && width != upright.width) || (height >= 0 && height != upright.height))
            throw ToolError(where + ": " + path.string() + " is " + std::to_string(upright.width) + " by " +
                            std::to_string(upright.height) + ", not the " + std::to_string(width) + " by " +
                            std::to_string(height) + " the entry gives");
        picture.width = upright.width;
        picture.height = upright.height;
        picture.pixels = textureFromUpright(upright);
    } else {
        if (width < 0 || height < 0 || (width != 0 && height != 0))
            throw ToolError(where + ": \"png\" is required unless \"width\" or \"height\" is 0");
        if (width > 0x7fffffff || height > 0x7fffffff) throw ToolError(where + ": the size is too large");
        picture.width = width;
        picture.height = height;
    }
    return picture;
}

template <typename Source, typename Read>
std::vector<Source> readEntries(const Json& list, const char* name, Read read) {
    if (!list.is_array()) throw ToolError(std::string("\"") + name + "\" must be an array");
    std::vector<Source> sources;
    for (std::size_t i = 0; i < list.size(); ++i) {
        JsonFields f(list[i], std::string(name) + "[" + std::to_string(i) + "]");
        sources.push_back(read(f));
        f.finish();
    }
    return sources;
}

}  // namespace

std::vector<SpriteSource> spritesFromManifest(const Json& list, const std::string& baseFolder) {
    return readEntries<SpriteSource>(list, "sprites", [&](JsonFields& f) {
        SpriteSource sprite;
        if (!f.find("key")) throw ToolError(f.where() + ": \"key\" is required");
        f.get("key", sprite.key);
        f.get("x", sprite.x);
        f.get("y", sprite.y);
        f.get("extra1", sprite.word16);
        f.get("extra2", sprite.word20);
        EntryPicture picture = entryPicture(f, baseFolder);
        if (picture.pixels.size() > kSpriteScratchBytes)
            throw ToolError(f.where() + ": " + std::to_string(picture.width) + " by " + std::to_string(picture.height) +
                            " pixels are more than the program can load (512 KiB)");
        sprite.width = static_cast<std::int32_t>(picture.width);
        sprite.height = static_cast<std::int32_t>(picture.height);
        sprite.pixels = std::move(picture.pixels);
        return sprite;
    });
}

Json spriteManifestEntry(const SpriteSource& sprite, const std::string& png) {
    Json entry{{"key", sprite.key}};
    if (!png.empty()) entry["png"] = png;
    entry["width"] = sprite.width;
    entry["height"] = sprite.height;
    entry["x"] = sprite.x;
    entry["y"] = sprite.y;
    entry["extra1"] = sprite.word16;
    entry["extra2"] = sprite.word20;
    return entry;
}

std::vector<SkinImageSource> skinsFromManifest(const Json& list, const std::string& baseFolder) {
    return readEntries<SkinImageSource>(list, "skins", [&](JsonFields& f) {
        SkinImageSource skin;
        if (!f.find("id")) throw ToolError(f.where() + ": \"id\" is required");
        f.get("id", skin.skinIdentifier);
        f.get("layoutWidth", skin.layoutWidth);
        f.get("layoutHeight", skin.layoutHeight);
        EntryPicture picture = entryPicture(f, baseFolder);
        skin.texW = static_cast<std::uint32_t>(picture.width);
        skin.texH = static_cast<std::uint32_t>(picture.height);
        skin.pixels = std::move(picture.pixels);
        return skin;
    });
}

Json skinManifestEntry(const SkinImageSource& skin, const std::string& png) {
    Json entry{{"id", skin.skinIdentifier}};
    if (!png.empty()) entry["png"] = png;
    entry["width"] = skin.texW;
    entry["height"] = skin.texH;
    entry["layoutWidth"] = skin.layoutWidth;
    entry["layoutHeight"] = skin.layoutHeight;
    return entry;
}

}  // namespace likenex
