#include "net/RandomAvatar.h"

#include "catalogue/WardrobeOffer.h"

#include <algorithm>
#include <cmath>

namespace likenex {
namespace {

// How often each page is worn in a whole dressing, in percent: a figure nearly always has a
// top, trousers and shoes, often headwear, sometimes an outfit or a companion.
constexpr int kWearChance[7] = {100, 70, 30, 95, 95, 90, 25};
constexpr int kOutfitChance = 40;  // of the page-2 choices, how often an outfit rather than a piece
constexpr int kNaturalSkinChance = 85;
constexpr int kFacingChance = 90;
// The directions in which the figure's face is seen: 7 is straight on, 0 and 6 half turned,
// 1 more so. The rest show the back of the head.
constexpr std::uint8_t kFacingDirections[] = {7, 0, 6, 1};

struct Hsl {
    int hue = 0;  // degrees
    double saturation = 0, lightness = 0;
};

Hsl hslOf(const ColourSet& set) {
    // The two middle key greys carry most of an item's area.
    double rgb[3];
    for (int c = 0; c < 3; ++c)
        rgb[c] = ((set.colours[1][static_cast<std::size_t>(c)] & 0xff) + (set.colours[2][static_cast<std::size_t>(c)] & 0xff)) / 510.0;
    const double high = std::max({rgb[0], rgb[1], rgb[2]}), low = std::min({rgb[0], rgb[1], rgb[2]});
    Hsl out;
    out.lightness = (high + low) / 2;
    const double span = high - low;
    if (span < 1e-9) return out;
    out.saturation = span / (1 - std::abs(2 * out.lightness - 1));
    double hue = 0;
    if (high == rgb[0]) hue = std::fmod((rgb[1] - rgb[2]) / span, 6.0);
    else if (high == rgb[1]) hue = (rgb[2] - rgb[0]) / span + 2;
    else hue = (rgb[0] - rgb[1]) / span + 4;
    out.hue = (static_cast<int>(std::lround(hue * 60)) % 360 + 360) % 360;
    return out;
}

int hueDistance(int a, int b) {
    const int d = std::abs(a - b) % 360;
    return std::min(d, 360 - d);
}

bool costsNothing(std::int32_t price) { return price < 1; }

}  // namespace

std::uint64_t RandomSource::next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

std::uint32_t RandomSource::below(std::uint32_t bound) {
    if (bound == 0) return 0;
    // Draws from the top of the range that a multiple of `bound` does not fill are thrown back.
    const std::uint64_t limit = UINT64_MAX - UINT64_MAX % bound;
    std::uint64_t draw = next();
    while (draw >= limit) draw = next();
    return static_cast<std::uint32_t>(draw % bound);
}

RandomAvatar::RandomAvatar(const Catalogue& catalogue, const ColourTable& colours, const ColourTable* skins)
    : catalogue_(catalogue) {
    for (int cell = 0; skins && cell < kSkinChoices; ++cell) {
        const ColourSet* set = skins->find(cell);
        if (!set) continue;
        // Skin tones lie between red-orange and orange, neither grey nor vivid.
        const Hsl hsl = hslOf(*set);
        if (hsl.hue >= 10 && hsl.hue <= 35 && hsl.saturation >= 0.12 && hsl.saturation <= 0.65)
            naturalSkins_.push_back(cell);
    }
    for (int cell = 0; cell < kColourChoices; ++cell) {
        const ColourSet* set = colours.find(cell);
        if (!set) continue;
        const Hsl hsl = hslOf(*set);
        const bool quiet = hsl.saturation < 0.2 || hsl.lightness < 0.15 || hsl.lightness > 0.8;
        palette_.push_back({cell, quiet ? -1 : hsl.hue});
    }
    for (const LayerOption& option : catalogue.layerOptions()) {
        if (!isOffered(option.availability)) continue;
        if (option.faceLayer == 1 || option.faceLayer == 2)
            faceOptions_[option.faceLayer - 1].push_back(&option);
    }
    for (const Item& item : catalogue.items()) {
        if (!isOffered(item.availability)) continue;
        for (int page = kFirstItemPage; page <= kLastItemPage; ++page)
            if (pageOffers(page, item.category)) pageItems_[page].push_back(&item);
    }
}

int RandomAvatar::baseColour(const AvatarFields& avatar, RandomSource& random) const {
    // A page dressed anew goes with the first colourful item already worn.
    for (const ItemPair& pair : avatar.items) {
        if (pair.item == 0 || pair.colour == 255) continue;
        for (const Hue& hue : palette_)
            if (hue.cell == pair.colour && hue.degrees >= 0) return hue.degrees;
    }
    std::vector<int> hues;
    for (const Hue& hue : palette_)
        if (hue.degrees >= 0) hues.push_back(hue.degrees);
    return hues.empty() ? -1 : hues[random.below(static_cast<std::uint32_t>(hues.size()))];
}

std::uint8_t RandomAvatar::colourNear(int base, RandomSource& random) const {
    if (palette_.empty()) return 255;
    // Half the items take a neighbouring hue, a fifth the opposite one, the rest a quiet colour.
    const std::uint32_t roll = random.below(100);
    std::vector<int> cells;
    for (const Hue& hue : palette_) {
        const bool quiet = hue.degrees < 0;
        if (base < 0 || roll >= 70) {
            if (quiet) cells.push_back(hue.cell);
        } else if (!quiet) {
            const int distance = hueDistance(hue.degrees, base);
            if (roll < 50 ? distance <= 35 : distance >= 150) cells.push_back(hue.cell);
        }
    }
    if (cells.empty())
        for (const Hue& hue : palette_) cells.push_back(hue.cell);
    return static_cast<std::uint8_t>(cells[random.below(static_cast<std::uint32_t>(cells.size()))]);
}

const Item* RandomAvatar::pickItem(int page, RandomSource& random, bool freeOnly) const {
    std::vector<const Item*> choices;
    const bool outfitWanted = page == kOutfitItemPage && random.chance(kOutfitChance);
    for (const Item* item : pageItems_[page]) {
        if (freeOnly && !costsNothing(item->price)) continue;
        if (page == kOutfitItemPage && isOutfit(item) != outfitWanted) continue;
        choices.push_back(item);
    }
    if (choices.empty() && page == kOutfitItemPage) {
        for (const Item* item : pageItems_[page])
            if (!freeOnly || costsNothing(item->price)) choices.push_back(item);
    }
    return choices.empty() ? nullptr : choices[random.below(static_cast<std::uint32_t>(choices.size()))];
}

void RandomAvatar::dressItemPage(AvatarFields& avatar, int page, int base, RandomSource& random,
                                 bool freeOnly) const {
    ItemPair& pair = avatar.items[static_cast<std::size_t>(page - 1)];
    pair = ItemPair{};
    const Item* item = pickItem(page, random, freeOnly);
    if (!item) return;
    pair.item = item->identifier;
    pair.colour = defaultColour(*item) < 0 ? 255 : colourNear(base, random);
    // An outfit is worn alone: the pages of its pieces are empty.
    if (page == kOutfitItemPage && isOutfit(item))
        for (int other : {3, 4, 5}) avatar.items[static_cast<std::size_t>(other - 1)] = ItemPair{};
}

AvatarFields RandomAvatar::dress(RandomSource& random, bool freeOnly) const {
    AvatarFields avatar;
    avatar.direction = random.chance(kFacingChance) ? kFacingDirections[random.below(4)]
                                                    : static_cast<std::uint8_t>(random.below(8));
    dressPage(avatar, kFaceAndSkin, random, freeOnly);
    const int base = baseColour(avatar, random);
    bool outfit = false;
    for (int page = kFirstItemPage; page <= kLastItemPage; ++page) {
        if (outfit && page >= 3) break;
        if (!random.chance(kWearChance[page])) continue;
        dressItemPage(avatar, page, base, random, freeOnly);
        if (page == kOutfitItemPage) outfit = isOutfit(catalogue_.findItem(avatar.items[1].item));
    }
    if (random.chance(kWearChance[kBodyPart])) dressPage(avatar, kBodyPart, random, freeOnly);
    return avatar;
}

void RandomAvatar::dressPage(AvatarFields& avatar, int page, RandomSource& random, bool freeOnly) const {
    if (page == kFaceAndSkin) {
        for (int list = 0; list < 2; ++list) {
            std::vector<const LayerOption*> choices;
            for (const LayerOption* option : faceOptions_[list])
                if (!freeOnly || costsNothing(option->price)) choices.push_back(option);
            std::int32_t& field = list == 0 ? avatar.faceOption1 : avatar.faceOption2;
            field = choices.empty() ? 0 : choices[random.below(static_cast<std::uint32_t>(choices.size()))]->optionNumber;
        }
        avatar.skin = !naturalSkins_.empty() && random.chance(kNaturalSkinChance)
                          ? static_cast<std::uint8_t>(naturalSkins_[random.below(static_cast<std::uint32_t>(naturalSkins_.size()))])
                          : static_cast<std::uint8_t>(random.below(kSkinChoices));
    } else if (page >= kFirstItemPage && page <= kLastItemPage) {
        // Pages 3 to 5 hold nothing while an outfit is worn.
        if (page >= 3 && isOutfit(catalogue_.findItem(avatar.items[1].item))) return;
        const int base = baseColour(avatar, random);
        dressItemPage(avatar, page, base, random, freeOnly);
    } else if (page == kBodyPart) {
        std::vector<const BodyPart*> choices;
        for (const BodyPart& part : catalogue_.bodyParts())
            if (part.identifier > 0 && (!freeOnly || costsNothing(part.price))) choices.push_back(&part);
        avatar.bodyPart = choices.empty() ? 0 : choices[random.below(static_cast<std::uint32_t>(choices.size()))]->identifier;
    }
}

}  // namespace likenex
