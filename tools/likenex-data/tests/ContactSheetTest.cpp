#include "catalogue/Catalogue.h"
#include "test_support/CatalogueBuilders.h"
#include "tools/likenex-data/ContactSheet.h"
#include "tools/likenex-data/ToolSupport.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

using testing::action;
using testing::outfit;

Item withdrawn(Item i) {
    i.availability = 0;
    return i;
}

Item item(std::uint16_t identifier, std::int32_t category, int availability = 1) {
    return testing::item(identifier, category, 0, 0, availability);
}

class ContactSheetPlan : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogueTables t;
        t.actions = {action(9, 0), action(1353, 2), action(7, 40)};
        t.layerOptions = {{1, 40, 0, {}, 0}, {1, 41, 2, {}, 0}, {2, 50, 1, {}, 0}};
        t.items = {withdrawn(outfit(620, 0, 601, 301, 401, 1)),
                   outfit(600, 0, 601, 301, 401, 1),
                   outfit(610, 0, 601, 999, 401, 2),
                   item(100, 0, 0),
                   item(101, 0),
                   item(111, 1),
                   item(121, 2),
                   item(131, 3),
                   item(141, 4),
                   item(151, 5),
                   item(601, 6),
                   item(301, 3),
                   item(401, 4)};
        for (int p = 0; p < 13; ++p) {
            BodyPart part;
            part.identifier = static_cast<std::uint16_t>(700 + p);
            part.bodyLayer = p % 10;
            t.bodyParts.push_back(part);
        }
        catalogue.replaceTables(t);
    }

    static std::vector<std::int32_t> worn(const AvatarLook& look) {  // item per slot, 0 when free
        std::vector<std::int32_t> items;
        for (const ItemSlot& slot : look.items) items.push_back(slot.occupied ? slot.item : 0);
        return items;
    }

    Catalogue catalogue;
};

TEST_F(ContactSheetPlan, ActionRowsShowEightDirectionsThenFramesInDirectionSeven) {
    const std::vector<SheetRow> rows = planContactSheet(catalogue, 5, 6, std::nullopt);
    ASSERT_GE(rows.size(), 3u);
    EXPECT_TRUE(rows[0].cells.empty());
    EXPECT_NE(rows[0].legend.find("action 9: no frames"), std::string::npos);

    const SheetRow& standing = rows[1];
    ASSERT_EQ(standing.cells.size(), 10u);
    EXPECT_EQ(standing.splits, std::vector<std::size_t>{8});
    for (int d = 0; d < 8; ++d) EXPECT_EQ(standing.cells[static_cast<std::size_t>(d)].direction, d);
    EXPECT_EQ(standing.cells[9].frame, 1u);
    EXPECT_EQ(standing.cells[9].direction, 7);
    EXPECT_EQ(standing.cells[9].look.skin, 4);
    EXPECT_EQ(worn(standing.cells[9].look), std::vector<std::int32_t>(9, 0));

    EXPECT_EQ(rows[2].cells.size(), 8u + 32u);  // 40 frames, 32 shown
    EXPECT_EQ(rows[2].cells.back().frame, 31u);

    const std::vector<SheetRow> chosen = planContactSheet(catalogue, 5, 6, std::vector<std::uint16_t>{7, 1353});
    EXPECT_EQ(chosen[0].cells[0].action->identifier, 7);
    EXPECT_EQ(chosen[1].cells[0].action->identifier, 1353);
    EXPECT_THROW((void)planContactSheet(catalogue, 5, 6, std::vector<std::uint16_t>{8}), ToolError);
}

TEST_F(ContactSheetPlan, DressingsExpandOutfitsAndVaryColourSkinByRow) {
    const std::vector<SheetRow> rows = planContactSheet(catalogue, 5, 6, std::vector<std::uint16_t>{});
    // Two offered outfits, three combinations, two rows of body parts.
    ASSERT_EQ(rows.size(), 7u);
    for (std::size_t r = 0; r < 5; ++r) {
        ASSERT_EQ(rows[r].cells.size(), 8u);
        EXPECT_EQ(rows[r].cells[0].action->identifier, 1353);
        EXPECT_EQ(rows[r].cells[7].direction, 7);
    }
    const AvatarLook& kind1 = rows[0].cells[0].look;
    EXPECT_EQ(worn(kind1), (std::vector<std::int32_t>{0, 0, 0, 301, 401, 0, 601, 41, 50}));
    EXPECT_EQ(kind1.items[3].colourId, 0);
    EXPECT_EQ(kind1.items[3].category, 3);
    EXPECT_EQ(kind1.skin, 4);

    // Kind 2 puts its second component in slot 5; that one is missing and stays out.
    const AvatarLook& kind2 = rows[1].cells[0].look;
    EXPECT_EQ(worn(kind2), (std::vector<std::int32_t>{0, 0, 0, 0, 401, 0, 601, 41, 50}));
    EXPECT_EQ(kind2.items[6].colourId, 2);  // 7 mod 5
    EXPECT_EQ(kind2.skin, 5);
    EXPECT_NE(rows[1].legend.find("missing 999 in slot 5"), std::string::npos) << rows[1].legend;

    EXPECT_EQ(worn(rows[2].cells[0].look), (std::vector<std::int32_t>{101, 0, 121, 131, 141, 0, 0, 41, 50}));
    EXPECT_EQ(worn(rows[3].cells[0].look), (std::vector<std::int32_t>{0, 111, 121, 0, 141, 151, 0, 41, 50}));
    EXPECT_EQ(worn(rows[4].cells[0].look), (std::vector<std::int32_t>{101, 0, 121, 131, 141, 0, 601, 41, 50}));
    EXPECT_EQ(rows[2].cells[0].look.items[0].colourId, 4);  // 14 mod 5
    EXPECT_EQ(rows[2].cells[0].look.skin, 0);               // 6 mod 6

    // Body parts: twelve a row, each alone in its layer, directions 7 then 0.
    ASSERT_EQ(rows[5].cells.size(), 24u);
    ASSERT_EQ(rows[6].cells.size(), 2u);
    const SheetCell& last = rows[6].cells[1];
    EXPECT_EQ(last.direction, 0);
    EXPECT_TRUE(last.look.bodyParts[2].chosen);
    EXPECT_EQ(last.look.bodyParts[2].part.identifier, 712);
    EXPECT_EQ(std::count_if(last.look.bodyParts.begin(), last.look.bodyParts.end(), [](auto& s) { return s.chosen; }),
              1);
    EXPECT_EQ(rows[5].cells[0].direction, 7);
}

TEST_F(ContactSheetPlan, WardrobeShowsEveryItemAloneInTheChosenDirections) {
    const std::vector<SheetRow> rows = planWardrobeSheet(catalogue, 6, {7, 1, 3}, 4);
    // Thirteen records, four a row: the withdrawn ones too, for they can be stored and worn.
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].cells.size(), 12u);
    EXPECT_EQ(rows[0].splits, (std::vector<std::size_t>{3, 6, 9}));
    EXPECT_EQ(rows[3].cells.size(), 3u);
    EXPECT_TRUE(rows[3].splits.empty());
    EXPECT_EQ(rows[0].cells[1].direction, 1);
    EXPECT_EQ(rows[0].cells[0].action->identifier, 1353);

    // The outfit (the second record) is worn as its components in its own colour; the face
    // options are the first free offered ones (41 costs nothing, 40 is withdrawn).
    CatalogueTables t = catalogue.tables();
    t.items[1].word0 = 9;
    catalogue.replaceTables(t);
    const std::vector<SheetRow> coloured = planWardrobeSheet(catalogue, 6, {7, 1, 3}, 4);
    const AvatarLook& outfitLook = coloured[0].cells[3].look;
    EXPECT_EQ(worn(outfitLook), (std::vector<std::int32_t>{0, 0, 0, 301, 401, 0, 601, 41, 50}));
    EXPECT_EQ(outfitLook.items[3].colourId, 9);
    EXPECT_NE(coloured[0].legend.find("610 (missing 999)"), std::string::npos) << coloured[0].legend;
    const AvatarLook& hairLook = coloured[1].cells[3].look;  // item 111, worn in slot 1
    EXPECT_EQ(worn(hairLook), (std::vector<std::int32_t>{0, 111, 0, 0, 0, 0, 0, 41, 50}));

    EXPECT_TRUE(planWardrobeSheet(catalogue, 6, {}, 4).empty());
}

TEST_F(ContactSheetPlan, EmptyTablesAndNoStandingActionStillPlan) {
    CatalogueTables t = catalogue.tables();
    t.actions = {action(9, 0), action(30, 1)};
    catalogue.replaceTables(t);
    const std::vector<SheetRow> rows = planContactSheet(catalogue, 0, 0, std::vector<std::uint16_t>{});
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0].cells[0].action->identifier, 30);  // the first action with frames stands in
    EXPECT_EQ(rows[0].cells[0].look.items[6].colourId, -1);
    EXPECT_EQ(rows[0].cells[0].look.skin, -1);
}

}  // namespace
}  // namespace likenex
