#pragma once
// The stored description of an avatar that a model is loaded from: what it wears, its skin,
// its standing action and direction, and the values the scene and the label look at.

#include <array>
#include <cstdint>
#include <string>

namespace likenex {

inline constexpr std::uint16_t kStandingAction = 1353;
inline constexpr std::uint16_t kReplacementStandingAction = 4020;  // played when `replaceStanding` is set
inline constexpr std::uint16_t kFinalAction = 4046;                // once loaded, nothing else plays
inline constexpr std::int32_t kDefaultSkin = 4;

struct AvatarRecord {
    struct ItemSlot {
        std::int32_t item = 0;  // item identifier, or the face option number in slots 7 and 8
        std::int32_t colourId = -1;
        bool occupied = false;
    };
    struct BodyPartSlot {
        std::int32_t part = 0;  // body part identifier
        bool chosen = false;
    };

    std::array<ItemSlot, 9> items{};
    std::array<BodyPartSlot, 10> bodyParts{};
    std::int32_t skin = kDefaultSkin;
    std::uint16_t standingAction = kStandingAction;
    std::int32_t direction = 0;
    std::int32_t mode = 0;         // 1 adds body part 501 on body layer 8
    bool replaceStanding = false;  // play action 4020 where the standing action would play
    bool costume = false;          // wear costume 6050 over everything
    std::int32_t x = 0, y = 0;     // position in a scene
    std::array<std::u16string, 2> names{};
    std::int64_t number = -1;  // the server's number; negative until stored
    // Nothing in the editor sets the four below; they are kept because the view reads them,
    // and the data tool's render command fills them from its description. With mode -1 on a
    // record not yet stored, shadow state 1 and a level below 5000 draw the small shadow in
    // place of the shadow.
    std::int32_t shadowState = 0, shadowLevel = 0;
    bool whiteLabel = false;  // the label in white (grey with the name choice)
    bool goldLabel = false;   // the label in gold (orange with the name choice), unless white
    bool shown = true;        // the flag a new record starts with set

    // The value sent with the end-of-action message.
    [[nodiscard]] std::int64_t notifyValue() const { return number; }
};

}  // namespace likenex
