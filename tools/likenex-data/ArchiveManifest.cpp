#include "tools/likenex-data/ArchiveManifest.h"

#include "tools/likenex-data/Png.h"
#include "tools/likenex-data/ToolSupport.h"

#include <filesystem>

namespace likenex {

using Json = nlohmann::ordered_json;

std::vector<SpriteSource> spritesFromManifest(const Json& manifest, const std::string& baseFolder) {
    JsonFields top(manifest, "manifest");
    const Json* list = top.array("sprites");
    top.finish();
    std::vector<SpriteSource> sprites;
    if (!list) return sprites;
    for (std::size_t i = 0; i < list->size(); ++i) {
        const std::string where = "sprites[" + std::to_string(i) + "]";
        JsonFields f((*list)[i], where);
        SpriteSource sprite;
        if (!f.find("key")) throw ToolError(where + ": \"key\" is required");
        f.get("key", sprite.key);
        f.get("x", sprite.x);
        f.get("y", sprite.y);
        f.get("extra1", sprite.extra1);
        f.get("extra2", sprite.extra2);
        std::int32_t width = -1, height = -1;
        f.get("width", width);
        f.get("height", height);
        const Json* png = f.find("png");
        f.finish();
        if (png) {
            if (!png->is_string()) throw ToolError(where + ": \"png\" must be a file name");
            std::filesystem::path path = png->get<std::string>();
            if (path.is_relative()) path = std::filesystem::path(baseFolder) / path;
            RgbaPicture picture = readPng(path.string());
            if ((width >= 0 && width != picture.width) || (height >= 0 && height != picture.height))
                throw ToolError(where + ": " + path.string() + " is " + std::to_string(picture.width) + " by " +
                                std::to_string(picture.height) + ", not the " + std::to_string(width) + " by " +
                                std::to_string(height) + " the entry gives");
            sprite.width = picture.width;
            sprite.height = picture.height;
            sprite.pixels = textureFromUpright(picture);
        } else {
            if (width < 0 || height < 0 || (width != 0 && height != 0))
                throw ToolError(where + ": \"png\" is required unless \"width\" or \"height\" is 0");
            sprite.width = width;
            sprite.height = height;
        }
        if (sprite.pixels.size() > kSpriteScratchBytes)
            throw ToolError(where + ": " + std::to_string(sprite.width) + " by " + std::to_string(sprite.height) +
                            " pixels are more than the program can load (512 KiB)");
        sprites.push_back(std::move(sprite));
    }
    return sprites;
}

Json spriteManifestEntry(const SpriteSource& sprite, const std::string& png) {
    Json entry{{"key", sprite.key}};
    if (!png.empty()) entry["png"] = png;
    entry["width"] = sprite.width;
    entry["height"] = sprite.height;
    entry["x"] = sprite.x;
    entry["y"] = sprite.y;
    entry["extra1"] = sprite.extra1;
    entry["extra2"] = sprite.extra2;
    return entry;
}

}  // namespace likenex
