#pragma once
// The catalogue records of avatar.dat. Fields without a use in the program ("kept") are
// read and written back unchanged, named after their place in the record, so that a table
// written out again gives the same bytes.

#include <array>
#include <cstdint>
#include <vector>

namespace likenex {

inline constexpr int kBodyLayerCount = 10;

// A choice for one of the two extra face layers.
struct LayerOption {
    std::int32_t faceLayer = 0;     // 1 or 2
    std::int32_t optionNumber = 0;  // the item number of its image keys
    std::uint8_t availability = 0;  // 0 withdrawn, 1..3 offered
    std::array<std::uint8_t, 3> storedBytes{};
    std::int32_t price = 0;  // shown beside the choice and added to the outfit's price

    friend bool operator==(const LayerOption&, const LayerOption&) = default;
};
static_assert(sizeof(LayerOption) == 16, "a layer option is 16 bytes on disk and in memory");

struct LayerEntry {
    std::int32_t word0 = 0;
    std::int32_t imageNumber = 0;  // body image number N; 0 leaves the layer empty
    std::int32_t directionOffset = 0;
    std::int32_t x = 0;  // drawing offset of the frame picture (body layer 0 only)
    std::int32_t y = 0;

    friend bool operator==(const LayerEntry&, const LayerEntry&) = default;
};

struct FrameImage {
    std::int32_t imageNumber = 0;
    std::int32_t word1 = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t directionMask = 0;  // bit d: drawn behind the avatar in direction d

    friend bool operator==(const FrameImage&, const FrameImage&) = default;
};

struct ActionFrame {
    std::int32_t duration = 0;  // milliseconds
    std::int32_t directionOffset = 0;
    std::int32_t thirdValue = 0;
    std::array<LayerEntry, kBodyLayerCount> layers{};
    std::vector<FrameImage> images;

    friend bool operator==(const ActionFrame&, const ActionFrame&) = default;
};

struct Action {
    std::int32_t firstValue = 0;
    std::uint8_t flagByte = 0;
    std::int32_t price = 0;  // shown beside the choice and added to the outfit's price
    std::uint16_t lowHalfWord = 0;
    std::uint16_t identifier = 0;
    std::vector<ActionFrame> frames;

    friend bool operator==(const Action&, const Action&) = default;
};

struct BodyPart {
    std::int32_t bodyLayer = 0;  // 0..9
    std::int32_t word4 = 0;
    std::uint8_t byte8 = 0;
    std::array<std::uint8_t, 3> gap9{};
    std::int32_t style = 0;  // two-digit field of its image keys
    std::int32_t price = 0;  // shown beside the choice and added to the outfit's price
    std::uint8_t byte20 = 0;
    std::uint8_t byte21 = 0;
    std::uint16_t identifier = 0;

    friend bool operator==(const BodyPart&, const BodyPart&) = default;
};

struct Item {
    std::int32_t word0 = 0;
    std::int32_t category = 0;    // the item slot 0..6 it is worn in
    std::int32_t price = 0;       // shown beside the choice and added to the outfit's price
    std::int32_t outfitKind = 0;  // 0 single item; 1 or 2 an outfit of three items
    std::int32_t outfitSlot6 = 0;
    std::int32_t outfitSlot3or5 = 0;  // slot 3 for kind 1, slot 5 for kind 2
    std::int32_t outfitSlot4 = 0;
    std::uint8_t availability = 0;  // 0 withdrawn, 1..3 offered
    std::array<std::uint8_t, 3> bytes29{};
    std::int32_t secondPrice = 0;  // kept; the data sets repeat the price here, the program reads `price`
    std::uint8_t byte36 = 0;
    std::uint8_t byte37 = 0;
    std::uint16_t identifier = 0;

    friend bool operator==(const Item&, const Item&) = default;
};

// Sizes on disk.
inline constexpr std::size_t kLayerOptionSize = 16;
inline constexpr std::size_t kActionHeadSize = 17;
inline constexpr std::size_t kFrameHeadSize = 16;
inline constexpr std::size_t kLayerEntrySize = 20;
inline constexpr std::size_t kFrameImageSize = 20;
inline constexpr std::size_t kBodyPartSize = 24;
inline constexpr std::size_t kItemSize = 40;

// Every table of avatar.dat, each in file order.
struct CatalogueTables {
    std::vector<LayerOption> layerOptions;
    std::vector<Action> actions;
    std::vector<BodyPart> bodyParts;
    std::vector<Item> items;

    friend bool operator==(const CatalogueTables&, const CatalogueTables&) = default;
};

}  // namespace likenex
