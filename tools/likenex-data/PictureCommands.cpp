// key, sprite and composite: pictures of the avatar archive as the program draws them.
#include "catalogue/AvatarArchive.h"
#include "catalogue/ImageKey.h"
#include "tools/likenex-data/Commands.h"
#include "tools/likenex-data/Png.h"

#include <ostream>

namespace likenex {
namespace {

// The archive of a program directory with its own colour tables, as the program loads them.
struct LoadedArchive {
    ColourTables tables;
    AvatarArchive archive{tables};

    explicit LoadedArchive(const std::string& directory) {
        const std::string indexPath = programFile(directory, "data/avatar.inx");
        loadColourTables(tables, directory);
        if (!archive.loadAvatarArchive(directory))
            throw ToolError("cannot open the archive " + indexPath + " with avatar.iso beside it");
    }

    // Why a sprite operation failed, in the order the archive checks.
    [[nodiscard]] std::string whyFailed(std::int64_t key, std::int32_t kind, std::int32_t colour) const {
        const ColourTable* table = tables.forKind(kind);
        if (!table) return "colour kind " + std::to_string(kind) + " is neither 0 (colour table) nor 1 (skin table)";
        if (colour >= 0 && !table->find(colour))
            return "no set " + std::to_string(colour) + " in " + (kind == 0 ? "color.dat" : "skin.dat");
        if (!archive.index().contains(key)) return "no picture with key " + std::to_string(key);
        return "the record of key " + std::to_string(key) + " is malformed or does not fit the 128 by 128 frame";
    }
};

}  // namespace

int keyCommand(const Arguments& arguments, std::ostream& out, std::ostream&) {
    ParsedArguments parsed = parseArguments(arguments, {});
    expectCount(parsed, 6, 6, "key ITEM KIND VARIANT POSE EXTRA TAIL");
    static constexpr const char* kNames[] = {"ITEM", "KIND", "VARIANT", "POSE", "EXTRA", "TAIL"};
    std::int32_t fields[6];
    for (int i = 0; i < 6; ++i)
        fields[i] = parseArgument<std::int32_t>(parsed.positional[static_cast<std::size_t>(i)], kNames[i]);
    out << makeImageKey(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]) << '\n';
    return 0;
}

int spriteCommand(const Arguments& arguments, std::ostream&, std::ostream&) {
    constexpr const char* kUsage = "sprite DIR KEY [--kind K] [--colour C] -o OUT.png";
    ParsedArguments parsed = parseArguments(arguments, {"--kind", "--colour", "-o"});
    expectCount(parsed, 2, 2, kUsage);
    if (!parsed.options.contains("-o"))
        throw ToolError(std::string("-o OUT.png is required; usage: likenex-data ") + kUsage);
    const auto key = parseArgument<std::int64_t>(parsed.positional[1], "KEY");
    const auto kind =
        parsed.options.contains("--kind") ? parseArgument<std::int32_t>(parsed.options["--kind"], "--kind") : 0;
    const auto colour =
        parsed.options.contains("--colour") ? parseArgument<std::int32_t>(parsed.options["--colour"], "--colour") : -1;

    LoadedArchive loaded(parsed.positional[0]);
    std::vector<std::uint8_t> pixels;
    if (!loaded.archive.loadSpritePixels(key, kind, colour, pixels))
        throw ToolError(loaded.whyFailed(key, kind, colour));
    // No texture: the record only gives the size.
    ImageRecord header = loaded.archive.loadSpriteRecord(key, kind, colour);
    if (header.width == 0 || header.height == 0)
        throw ToolError("the picture of key " + std::to_string(key) + " is empty (" + std::to_string(header.width) +
                        " by " + std::to_string(header.height) + "); a PNG cannot hold it");
    writePng(parsed.options["-o"], uprightFromTexture(header.width, header.height, pixels));
    return 0;
}

int compositeCommand(const Arguments& arguments, std::ostream&, std::ostream& err) {
    constexpr const char* kUsage = "composite DIR -o OUT.png LAYER...";
    ParsedArguments parsed = parseArguments(arguments, {"-o"});
    expectCount(parsed, 2, SIZE_MAX, kUsage);
    if (!parsed.options.contains("-o"))
        throw ToolError(std::string("-o OUT.png is required; usage: likenex-data ") + kUsage);

    struct Layer {
        std::int64_t key;
        std::int32_t kind = 0;
        std::int32_t colour = -1;
    };
    std::vector<Layer> layers;
    for (std::size_t i = 1; i < parsed.positional.size(); ++i) {
        const std::string& text = parsed.positional[i];
        const std::size_t first = text.find(':');
        Layer layer{};
        if (first == std::string::npos) {
            layer = {parseArgument<std::int64_t>(text, "a layer's KEY")};
        } else {
            const std::size_t second = text.find(':', first + 1);
            if (second == std::string::npos) throw ToolError("layer \"" + text + "\" must be KEY or KEY:KIND:COLOUR");
            layer = {parseArgument<std::int64_t>(text.substr(0, first), "a layer's KEY"),
                     parseArgument<std::int32_t>(text.substr(first + 1, second - first - 1), "a layer's KIND"),
                     parseArgument<std::int32_t>(text.substr(second + 1), "a layer's COLOUR")};
        }
        layers.push_back(layer);
    }

    LoadedArchive loaded(parsed.positional[0]);
    ImageRecord canvas;
    canvas.width = kFrameSize;
    canvas.height = kFrameSize;
    canvas.pixels.assign(kFrameBytes, 0);
    int failed = 0;
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const Layer& layer = layers[i];
        if (loaded.archive.compositeSprite(canvas, layer.key, layer.kind, layer.colour)) continue;
        err << "likenex-data composite: layer " << i + 1 << " (" << parsed.positional[i + 1]
            << ") left out: " << loaded.whyFailed(layer.key, layer.kind, layer.colour) << '\n';
        ++failed;
    }
    writePng(parsed.options["-o"], uprightFromTexture(kFrameSize, kFrameSize, canvas.pixels));
    return failed == 0 ? 0 : 1;
}

}  // namespace likenex
