#pragma once
// Where the item fields of an uploaded avatar come from in the model's item slots, and where
// they go back. An upload has five item fields; three of them hold one slot each, and two
// hold either of two slots that are never worn at once (wearing one frees the other): the
// field takes the first slot's item, or the second's when the first is empty. Going back,
// the item's catalogue category names its slot in those two fields. The face options travel
// in fields of their own (kFaceOptionSlot1 and kFaceOptionSlot2).

#include <array>
#include <cstdint>

#include "avatar/LayerRefs.h"

namespace likenex {

inline constexpr int kUploadItemFields = 5;

struct UploadField {
    int slot = 0;       // read first, and the slot an item goes back into by default
    int otherSlot = 0;  // read when `slot` is empty; the same slot for a field of one slot
};

inline constexpr std::array<UploadField, kUploadItemFields> kUploadFields{{{0, 1}, {6, 6}, {2, 2}, {3, 5}, {4, 4}}};

// The field that carries slot `slot`; -1 for the face option slots and numbers outside 0..6.
[[nodiscard]] constexpr int uploadFieldOfSlot(int slot) {
    for (int field = 0; field < kUploadItemFields; ++field) {
        const UploadField& f = kUploadFields[static_cast<std::size_t>(field)];
        if (f.slot == slot || f.otherSlot == slot) return field;
    }
    return -1;
}

// The slot an uploaded item of field `field` is worn in, given its catalogue category (-1
// when the catalogue lacks the item). In a field of two slots any worn-item category (0 to
// 6) names the slot, as the item is worn where its category says; otherwise, and in a field
// of one slot, the field's own slot. -1 for a field outside 0..4.
[[nodiscard]] constexpr int slotOfUploadField(int field, std::int32_t category) {
    if (field < 0 || field >= kUploadItemFields) return -1;
    const UploadField& f = kUploadFields[static_cast<std::size_t>(field)];
    if (f.slot != f.otherSlot && category >= 0 && category < kFaceOptionSlot1) return category;
    return f.slot;
}

}  // namespace likenex
