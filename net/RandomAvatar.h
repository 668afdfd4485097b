#pragma once
// Dressing an avatar at random from what the catalogue offers: a look for the editor's random
// keys, the data tool's random codes and the server's random pictures. The same seed gives the
// same avatars on every machine (the generator and its bounded draws are our own, not the
// standard library's, whose distributions differ between implementations).
//
// Colours are chosen to go together: one dressing picks a base colour from the palette, and
// each recolourable item takes a colour of a neighbouring hue, the opposite hue, or a quiet
// one (dark, pale or grey), rather than any of the palette's cells. Most figures get a skin of
// a natural tone and face the viewer; now and then one is green or turns away.

#include <cstdint>
#include <vector>

#include "catalogue/Catalogue.h"
#include "catalogue/ColourTable.h"
#include "net/Messages.h"

namespace likenex {

// SplitMix64, with unbiased draws below a bound.
class RandomSource {
public:
    explicit RandomSource(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    // Uniform in 0 .. bound - 1; 0 for a bound of 0.
    std::uint32_t below(std::uint32_t bound);
    // True with probability percent / 100.
    bool chance(int percent) { return below(100) < static_cast<std::uint32_t>(percent); }

private:
    std::uint64_t state_;
};

class RandomAvatar {
public:
    // Page numbers of dressAnew: the face and skin, the five item pages, the body part.
    static constexpr int kFaceAndSkin = 0, kBodyPart = 6;

    // `colours` is the colour table (color.dat) the recolourable items draw from; `skins`
    // (skin.dat), when given, tells the natural skin tones from the fanciful ones.
    RandomAvatar(const Catalogue& catalogue, const ColourTable& colours, const ColourTable* skins = nullptr);

    // A whole avatar dressed at random: face options, skin, the items of every page with their
    // colours, sometimes a body part. Facing a random direction, with no script. With
    // `freeOnly` only what costs nothing (a price below 1) is chosen.
    [[nodiscard]] AvatarFields dress(RandomSource& random, bool freeOnly) const;

    // Dresses one page of `avatar` anew and leaves the rest: page 0 the face options and the
    // skin, 1 to 5 that page's item pair (an outfit on page 2 empties pairs 3 to 5, as an
    // outfit is worn alone), 6 the body part. New colours go with the colours already worn.
    void dressPage(AvatarFields& avatar, int page, RandomSource& random, bool freeOnly) const;

private:
    struct Hue {
        int cell = 0;
        int degrees = 0;  // 0..359; -1 for a quiet colour (grey, very dark or pale)
    };
    [[nodiscard]] int baseColour(const AvatarFields& avatar, RandomSource& random) const;
    [[nodiscard]] std::uint8_t colourNear(int base, RandomSource& random) const;
    [[nodiscard]] const Item* pickItem(int page, RandomSource& random, bool freeOnly) const;
    void dressItemPage(AvatarFields& avatar, int page, int base, RandomSource& random, bool freeOnly) const;

    const Catalogue& catalogue_;
    std::vector<Hue> palette_;       // the colour cells the table holds, with their hues
    std::vector<int> naturalSkins_;  // skin cells of a natural tone; empty without a skin table
    std::vector<const LayerOption*> faceOptions_[2];
    std::vector<const Item*> pageItems_[6];  // pages 1 to 5
};

}  // namespace likenex
