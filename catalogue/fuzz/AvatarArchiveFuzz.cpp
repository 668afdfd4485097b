// Fuzzes the avatar archive: index and data file from one input, then every operation that
// reads sprite records (compositing, pixels, pictures), with and without recolouring.
//
// Input: a 32-bit little-endian index length, that many index bytes, the rest is the data
// file (see AvatarArchiveFuzzInput.h).
#include "catalogue/AvatarArchive.h"
#include "test_support/AvatarArchiveFuzzInput.h"
#include "test_support/FuzzCheck.h"
#include "test_support/ReadingBackend.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using likenex::fuzzing::check;

const likenex::ColourTables& fuzzColourTables() {
    static const likenex::ColourTables tables = [] {
        likenex::ColourTables t;
        likenex::ColourSet set;
        for (std::size_t i = 0; i < set.colours.size(); ++i) set.colours[i] = {std::uint32_t(i * 40), 256, 0x1ff};
        std::vector<likenex::ColourSet> sets{set, likenex::ColourSet{}};
        auto bytes = likenex::encodeColourTable(sets);
        t.colour.parse(bytes);
        t.skin.parse(bytes);
        return t;
    }();
    return tables;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    likenex::fuzzing::AvatarArchiveInput input = likenex::fuzzing::splitAvatarArchiveInput({data, size});
    // Stands in for the renderer: reads every pixel it is handed, so a short buffer shows.
    likenex::fuzzing::ReadingRenderer renderer(false);

    static likenex::AvatarArchive archive(fuzzColourTables());  // one scratch buffer for all runs
    const std::size_t dataSize = input.data.size();
    if (!archive.loadAvatarArchive(input.index, std::move(input.data))) return 0;

    likenex::ImageRecord canvas;
    canvas.pixels.assign(likenex::kFrameBytes, 0);
    likenex::ImageRecord small;
    small.pixels.assign(likenex::kFrameBytes - 4, 0);
    const int colourChoices[][2] = {{0, -1}, {0, 0}, {1, 1}, {1, 2}, {2, -1}};

    int tried = 0;
    for (const auto& [key, entry] : archive.index()) {
        if (++tried > 64) break;  // keeps one run short; the mutator varies which keys come first
        const auto [kind, colour] = colourChoices[static_cast<std::uint64_t>(key) % 5];
        bool drawn = archive.compositeSprite(canvas, key, kind, colour);
        check(!archive.compositeSprite(small, key, kind, colour), "small canvas accepted");

        std::vector<std::uint8_t> pixels;
        bool read = archive.loadSpritePixels(key, kind, colour, pixels);
        if (read) {
            check(
                entry.size >= likenex::kSpriteHeaderBytes && pixels.size() == entry.size - likenex::kSpriteHeaderBytes,
                "pixels match the record size");
            check(likenex::rangeInside(entry.offset, entry.size, dataSize), "record inside the data file");
        }
        check(!drawn || read, "drawn sprite whose pixels cannot be read");

        likenex::ImageRecord image = archive.loadSpriteImage(renderer.painter, key, kind, colour);
        check(image.empty() == !read, "picture and pixels agree");  // every texture made here is non-zero
        check(!read || (image.width * image.height * std::size_t{4} == pixels.size()), "picture size");
        likenex::dropTexture(renderer.painter, image.texture);

        (void)archive.compositeSprite(canvas, key ^ 1, 0, -1);  // a neighbour key, often absent
    }
    return 0;
}
