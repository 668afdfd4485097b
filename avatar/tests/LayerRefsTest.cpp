#include "avatar/LayerRefs.h"
#include "catalogue/ImageKey.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

Item item(std::uint16_t identifier, std::int32_t category) {
    Item record;
    record.identifier = identifier;
    record.category = category;
    return record;
}

BodyPartSlot part(std::uint16_t identifier, std::int32_t layer, std::int32_t style) {
    BodyPartSlot slot;
    slot.part.identifier = identifier;
    slot.part.bodyLayer = layer;
    slot.part.style = style;
    slot.chosen = true;
    return slot;
}

// Body layer v shows image number 10 + v facing its own offset v % 3.
ActionFrame sampleFrame() {
    ActionFrame frame;
    for (int v = 0; v < kBodyLayerCount; ++v) {
        frame.layers[static_cast<std::size_t>(v)].imageNumber = 10 + v;
        frame.layers[static_cast<std::size_t>(v)].directionOffset = v % 3;
    }
    return frame;
}

FrameLayers formed(const AvatarLook& look, int direction, const ActionFrame& frame = sampleFrame()) {
    FrameLayers layers;
    formFrameLayers(layers, frame, direction, look);
    return layers;
}

TEST(FrameLayers, BodyLayersUseTheSkinAndTurnWithTheirOffsets) {
    AvatarLook look;
    look.skin = 4;
    const FrameLayers layers = formed(look, 7);
    for (int v = 0; v < kBodyLayerCount; ++v) {
        SCOPED_TRACE(v);
        const int dv = (7 + v % 3) % 8;  // 7, 0, 1, 7, ...
        EXPECT_EQ(layers.body[static_cast<std::size_t>(v)], (LayerRef{makeImageKey(10 + v, 0, v, dv, 0, 0), 1, 4}));
        EXPECT_EQ(layers.bodyParts[static_cast<std::size_t>(v)], LayerRef{});  // nothing chosen
    }
    EXPECT_EQ(layers.body[1].key, 11'000'000'000 + 1'000'000);  // direction 8 became 0
    for (const LayerRef& ref : layers.items) EXPECT_EQ(ref, LayerRef{});
}

TEST(FrameLayers, ChosenBodyPartsCarryStyleAndTheLayersImageNumber) {
    AvatarLook look;
    look.bodyParts[2] = part(31, 2, 7);
    look.bodyParts[9] = part(39, 9, 2);
    look.bodyParts[5] = part(35, 5, 1);
    look.bodyParts[5].chosen = false;
    const FrameLayers layers = formed(look, 0);
    EXPECT_EQ(layers.bodyParts[2], (LayerRef{makeImageKey(31, 2, 2, 2, 7, 12), 0, -1}));
    EXPECT_EQ(layers.bodyParts[9], (LayerRef{makeImageKey(39, 2, 9, 0, 2, 19), 0, -1}));
    EXPECT_EQ(layers.bodyParts[5], LayerRef{});
    EXPECT_EQ(layers.bodyParts[8], LayerRef{});
}

TEST(FrameLayers, ModeOneAddsPart501OnLayerEightOverAChosenPart) {
    AvatarLook look;
    look.bodyParts[8] = part(38, 8, 4);
    look.mode = 1;
    EXPECT_EQ(formed(look, 1).bodyParts[8], (LayerRef{makeImageKey(501, 2, 8, 3, 0, 18), 0, -1}));
    look.mode = 2;
    EXPECT_EQ(formed(look, 1).bodyParts[8], (LayerRef{makeImageKey(38, 2, 8, 3, 4, 18), 0, -1}));
}

TEST(FrameLayers, FaceOptionsNeedANonEmptyLayerAndClearOtherwise) {
    AvatarLook look;
    look.items[7] = ItemSlot::faceOption(40);
    look.items[8] = ItemSlot::faceOption(41);
    FrameLayers layers = formed(look, 3);
    EXPECT_EQ(layers.items[1], (LayerRef{makeImageKey(40, 0, 1, 4, 0, 0), 0, -1}));
    EXPECT_EQ(layers.items[2], (LayerRef{makeImageKey(40, 0, 1, 4, 1, 0), 0, -1}));
    EXPECT_EQ(layers.items[3], (LayerRef{makeImageKey(41, 0, 2, 5, 0, 0), 0, -1}));
    EXPECT_EQ(layers.items[4], (LayerRef{makeImageKey(41, 0, 2, 5, 1, 0), 0, -1}));

    // The next frame has empty face layers: what the last frame left is cleared.
    ActionFrame bare = sampleFrame();
    bare.layers[1].imageNumber = 0;
    bare.layers[2].imageNumber = 0;
    formFrameLayers(layers, bare, 3, look);
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(layers.items[static_cast<std::size_t>(k)], LayerRef{}) << k;

    // A free slot on a non-empty layer sets nothing: the entries keep their values.
    FrameLayers stale;
    stale.items[1] = {77, 0, 3};
    look.items[7].occupied = false;
    formFrameLayers(stale, sampleFrame(), 3, look);
    EXPECT_EQ(stale.items[1], (LayerRef{77, 0, 3}));
}

TEST(FrameLayers, HeadItemPrefersSlotZeroOverSlotOne) {
    AvatarLook look;
    look.items[1] = ItemSlot::wearing(item(111, 1), 6);
    EXPECT_EQ(formed(look, 0).items[0], (LayerRef{makeImageKey(111, 1, 0, 0, 1, 10), 0, 6}));
    look.items[0] = ItemSlot::wearing(item(100, 0), 5);
    EXPECT_EQ(formed(look, 0).items[0], (LayerRef{makeImageKey(100, 1, 0, 0, 0, 10), 0, 5}));
}

TEST(FrameLayers, BodyItemsFillTheirLayersWithCategoryAndImageNumber) {
    AvatarLook look;
    look.items[2] = ItemSlot::wearing(item(120, 2), 1);
    look.items[6] = ItemSlot::wearing(item(160, 6), 2);
    look.items[4] = ItemSlot::wearing(item(140, 4), 3);
    look.items[5] = ItemSlot::wearing(item(150, 5), 4);
    FrameLayers layers = formed(look, 2);
    for (int v = 3; v <= 5; ++v) {
        const int dv = (2 + v % 3) % 8;
        EXPECT_EQ(layers.items[static_cast<std::size_t>(v + 2)],
                  (LayerRef{makeImageKey(120, 1, v, dv, 2, 10 + v), 0, 1}));
        EXPECT_EQ(layers.items[static_cast<std::size_t>(v + 5)],
                  (LayerRef{makeImageKey(160, 1, v, dv, 6, 10 + v), 0, 2}));
    }
    // Slot 5 serves while slot 3 is free; slot 4 goes on C13 and C14.
    EXPECT_EQ(layers.items[11], (LayerRef{makeImageKey(150, 1, 6, 2, 5, 16), 0, 4}));
    EXPECT_EQ(layers.items[12], (LayerRef{makeImageKey(150, 1, 7, 3, 5, 17), 0, 4}));
    EXPECT_EQ(layers.items[13], (LayerRef{makeImageKey(140, 1, 6, 2, 4, 16), 0, 3}));
    EXPECT_EQ(layers.items[14], (LayerRef{makeImageKey(140, 1, 7, 3, 4, 17), 0, 3}));

    look.items[3] = ItemSlot::wearing(item(130, 3), 9);
    layers = formed(look, 2);
    EXPECT_EQ(layers.items[11], (LayerRef{makeImageKey(130, 1, 6, 2, 3, 16), 0, 9}));
    EXPECT_EQ(layers.items[12], (LayerRef{makeImageKey(130, 1, 7, 3, 3, 17), 0, 9}));
    EXPECT_EQ(layers.items[0], LayerRef{});  // no head item
}

}  // namespace
}  // namespace likenex
