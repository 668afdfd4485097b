// The avatar model over catalogue and archive values at the ends of their ranges, driven as
// its fuzz target drives it: the host build's sanitizers stop the test on any overflow or
// stray read.
#include "catalogue/CatalogueWriter.h"
#include "catalogue/ImageKey.h"
#include "test_support/AvatarModelDrive.h"
#include "test_support/SpriteSources.h"

#include <gtest/gtest.h>

#include <limits>

namespace likenex {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::array<std::uint8_t, 4> kOpaque{255, 255, 255, 255};

using testing::solidSprite;

// `place` and `opposite` are the two ends of the range, or both 0.
std::vector<std::uint8_t> hostileInput(std::int32_t offset, std::int32_t place, std::int32_t opposite) {
    CatalogueTables t;
    Action a;
    a.identifier = kStandingAction;
    for (std::int32_t duration : {kMin, 0, kMax}) {
        ActionFrame f;
        f.duration = duration;
        f.directionOffset = offset;
        for (LayerEntry& layer : f.layers) layer = {0, 1, offset, place, opposite};
        f.images = {{5, 0, place, place, 0x0Fu}, {kMax, 0, opposite, place, 0xFFFFFFFFu}};
        a.frames.push_back(f);
    }
    t.actions = {a};
    Item outfit;
    outfit.identifier = 9;
    outfit.category = 6;
    outfit.outfitKind = 2;
    outfit.availability = 1;
    t.items = {outfit};
    const auto catalogue = encodeAvatarData(t);
    std::vector<SpriteSource> sprites = {solidSprite(kShadowKey, 2, 2, place, place, kOpaque),
                                         solidSprite(kSmallShadowKey, 2, 2, place, opposite, kOpaque)};
    for (int d = 0; d < 8; ++d) {
        sprites.push_back(solidSprite(makeImageKey(5, kFramePictureKind, 0, d, 0, 0), 2, 2, place, opposite, kOpaque));
        sprites.push_back(solidSprite(makeImageKey(1, 0, 0, d, 0, 0), 2, 2, 0, 0, kOpaque));
    }
    const auto files = encodeAvatarArchive(sprites);
    if (!catalogue || !files) return {};
    return fuzzing::joinAvatarModelInput(*catalogue, files->index, files->data);
}

TEST(HostileDataTest, OffsetsAndPositionsAtTheEndsOfTheirRangesPlayDrawAndSnapshot) {
    for (std::int32_t offset : {kMax, kMin, -1, 7})
        for (auto [place, opposite] : {std::pair{kMax, kMin}, std::pair{kMin, kMax}, std::pair{0, 0}}) {
            const auto input = hostileInput(offset, place, opposite);
            ASSERT_FALSE(input.empty());
            fuzzing::driveAvatarModel(input);
        }
}

}  // namespace
}  // namespace likenex
