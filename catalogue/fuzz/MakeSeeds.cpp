// Writes small valid inputs for each catalogue fuzz target, made by the writers, so that
// fuzzing starts from files the readers fully accept:
//   likenex_fuzz_seeds CORPUS_ROOT   writes CORPUS_ROOT/<target>/seed-*.bin
#include "catalogue/ArchiveIndex.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/CatalogueWriter.h"
#include "catalogue/ColourTable.h"
#include "catalogue/DataFiles.h"
#include "catalogue/ImageKey.h"
#include "catalogue/StringTableWriter.h"
#include "test_support/AvatarArchiveFuzzInput.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace likenex {
namespace {

bool writeSeed(const std::string& root, const std::string& target, const std::string& name,
               const std::vector<std::uint8_t>& bytes) {
    std::filesystem::path folder = std::filesystem::path(root) / target;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !writeWholeFile((folder / (name + ".bin")).string(), bytes)) {
        std::fprintf(stderr, "cannot write seed %s/%s\n", target.c_str(), name.c_str());
        return false;
    }
    return true;
}

SpriteSource sprite(std::int64_t key, int width, int height, int x, int y) {
    SpriteSource s{key, width, height, x, y, 7, 9, {}};
    for (int p = 0; p < width * height; ++p) {
        // Key greys, a half-transparent pixel and a clear one, so recolouring and blending run.
        const std::uint8_t grey = keyGreys[static_cast<std::size_t>(p) % keyGreys.size()];
        const std::uint8_t alpha = p % 7 == 0 ? 0 : p % 5 == 0 ? 128 : 255;
        s.pixels.insert(s.pixels.end(), {grey, grey, grey, alpha});
    }
    return s;
}

CatalogueTables smallCatalogue() {
    CatalogueTables t;
    t.layerOptions = {{1, 11, 1, {1, 2, 3}, 101}, {-1, 12, 0, {0, 0, 0}, 102}};
    Action walk;
    walk.identifier = 4020;
    walk.price = 3;
    for (int f = 0; f < 2; ++f) {
        ActionFrame frame;
        frame.duration = 100 + f;
        for (int v = 0; v < kBodyLayerCount; ++v) frame.layers[static_cast<std::size_t>(v)] = {v, v * 3, v % 8, v, -v};
        for (int i = 0; i <= f; ++i) frame.images.push_back({1234 + i, 1, -i, i, 5u});
        walk.frames.push_back(frame);
    }
    Action still;
    still.identifier = 4046;
    t.actions = {walk, still};
    t.bodyParts = {{0, 1, 2, {3, 4, 5}, 6, 7, 8, 9, 10}, {9, 0, 0, {}, 1, 2, 3, 4, 0}};
    t.items = {{1, 2, 3, 1, 5, 6, 7, 1, {8, 9, 10}, 11, 12, 13, 1001}, {0, 6, 0, 0, 0, 0, 0, 0, {}, 0, 0, 0, 2}};
    return t;
}

bool makeSeeds(const std::string& root) {
    bool ok = true;

    std::vector<std::pair<std::int64_t, ArchiveEntry>> wide = {{-5, {0, 24}}, {3, {24, 40}}, {-5, {8, 8}}};
    std::vector<std::pair<std::uint32_t, ArchiveEntry>> narrow = {{1, {0, 16}}, {0xffffffffu, {16, 100}}};
    ok &= writeSeed(root, "archive_index_fuzz", "seed-wide", encodeArchiveIndex<std::int64_t>(wide));
    ok &= writeSeed(root, "archive_index_fuzz", "seed-narrow", encodeArchiveIndex<std::uint32_t>(narrow));

    std::vector<SpriteSource> sprites = {sprite(-2, 4, 3, 0, 0), sprite(10, 2, 2, 126, 126), sprite(11, 1, 1, 127, 0),
                                         sprite(12, 3, 3, 126, 5), sprite(13, 0, 0, 0, 0)};
    if (auto files = encodeAvatarArchive(sprites))
        ok &= writeSeed(root, "avatar_archive_fuzz", "seed-sprites",
                        fuzzing::joinAvatarArchiveInput(files->index, files->data));
    else ok = false;

    // The avatar model's seed: the small catalogue with a picture for each body layer and
    // frame picture it names, in every direction, and the shadow.
    std::vector<SpriteSource> modelSprites = {sprite(kShadowImageKey, 4, 2, 10, 120)};
    for (int d = 0; d < 8; ++d) {
        for (int v = 0; v < kBodyLayerCount; ++v)
            modelSprites.push_back(sprite(makeImageKey(v * 3, 0, v, d, 0, 0), 2, 3, 40 + v, 60));
        modelSprites.push_back(sprite(makeImageKey(1234, 3, 0, d, 0, 0), 3, 2, 20, 5));
    }
    const auto modelCatalogue = encodeAvatarData(smallCatalogue());
    if (auto files = encodeAvatarArchive(modelSprites); files && modelCatalogue)
        ok &= writeSeed(root, "avatar_model_fuzz", "seed-model",
                        fuzzing::joinAvatarModelInput(*modelCatalogue, files->index, files->data));
    else ok = false;

    ColourSet set;
    for (std::size_t i = 0; i < set.colours.size(); ++i) set.colours[i] = {std::uint32_t(i), 256, 0x1ff};
    std::vector<ColourSet> sets = {set, ColourSet{}};
    ok &= writeSeed(root, "colour_table_fuzz", "seed-two-sets", encodeColourTable(sets));

    if (auto catalogue = encodeAvatarData(smallCatalogue()))
        ok &= writeSeed(root, "catalogue_fuzz", "seed-catalogue", *catalogue);
    else ok = false;

    std::vector<StringRecord> records = {{0, 1, {u"OK", u"Fine", u"", u"\u4f60\u597d", u"\U0001F600"}},
                                         {5, -2, {u"a", u"b", u"c", u"d", u"e"}},
                                         {7, 3, {u"x", u"", u"", u"", u"y"}}};
    if (auto strings = encodeStringTable(records)) ok &= writeSeed(root, "string_table_fuzz", "seed-strings", *strings);
    else ok = false;
    return ok;
}

}  // namespace
}  // namespace likenex

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: likenex_fuzz_seeds CORPUS_ROOT\n");
        return 1;
    }
    return likenex::makeSeeds(argv[1]) ? 0 : 1;
}
