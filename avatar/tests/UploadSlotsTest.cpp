// The upload's item fields against the model's item slots, both ways.
#include "avatar/UploadSlots.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

TEST(UploadSlotsTest, EveryWornSlotGoesOutInOneFieldAndComesBackToItself) {
    for (int slot = 0; slot < kFaceOptionSlot1; ++slot) {
        const int field = uploadFieldOfSlot(slot);
        ASSERT_GE(field, 0) << "slot " << slot;
        // An item worn in a slot has that slot as its category.
        EXPECT_EQ(slotOfUploadField(field, slot), slot) << "slot " << slot;
    }
}

TEST(UploadSlotsTest, EveryFieldCarriesItsOwnSlotsOnly) {
    int carried = 0;
    for (int field = 0; field < kUploadItemFields; ++field) {
        const UploadField& f = kUploadFields[static_cast<std::size_t>(field)];
        EXPECT_EQ(uploadFieldOfSlot(f.slot), field);
        EXPECT_EQ(uploadFieldOfSlot(f.otherSlot), field);
        carried += f.slot == f.otherSlot ? 1 : 2;
    }
    EXPECT_EQ(carried, kFaceOptionSlot1) << "slots 0 to 6, each in one field";
    EXPECT_EQ(uploadFieldOfSlot(kFaceOptionSlot1), -1);
    EXPECT_EQ(uploadFieldOfSlot(kFaceOptionSlot2), -1);
}

TEST(UploadSlotsTest, AnItemTheCatalogueLacksGoesToTheFieldsFirstSlot) {
    EXPECT_EQ(slotOfUploadField(0, -1), 0);
    EXPECT_EQ(slotOfUploadField(3, -1), 3);
    EXPECT_EQ(slotOfUploadField(3, 7), 3) << "a face option category names no worn slot";
    EXPECT_EQ(slotOfUploadField(1, 2), 6) << "a field of one slot keeps it";
    EXPECT_EQ(slotOfUploadField(5, 0), -1);
}

}  // namespace
}  // namespace likenex
