#pragma once
// A catalogue for the editor's tests: two face layers, items of every category with prices
// and colours, an outfit of three withdrawn pieces, two body parts and four actions of known
// lengths; and a clock and an event log for the models over it.

#include "avatar/AvatarModel.h"
#include "catalogue/Catalogue.h"
#include "test_support/CatalogueBuilders.h"

#include <vector>

namespace likenex::small_catalogue {

struct FakeClock : AvatarClock {
    Tick time = 1000;
    Tick now() const override { return time; }
};

struct FakeEvents : AvatarEvents {
    std::vector<std::uint16_t> ended;
    void actionEnded(std::uint16_t actionId, std::int64_t) override { ended.push_back(actionId); }
};

using testing::action;
using testing::bodyPart;
using testing::item;
using testing::option;
using testing::outfit;

// Face options 11 (price 5), 12 (withdrawn), 13 and 21 (price 7); hat 101, hair 111, top 301,
// trousers 401, skirt 501, shoes 601, outfit 701 (pieces 702, 402 at 45 and 602 at 65, which
// count only when worn without their outfit), top layer 703; body
// parts 8 and 9 on layers 8 and 9; actions 1353 (3 frames), 2001 (5), 2002 (6), 2003 (1).
inline bool readSmallCatalogue(Catalogue& catalogue) {
    CatalogueTables t;
    t.layerOptions = {option(1, 11, 1, 5), option(1, 12, 0, 9), option(1, 13, 2, 0), option(2, 21, 3, 7)};
    t.items = {item(101, 0, 10, 3),
               item(111, 1, 20, -1),
               item(301, 2, 30, 5),
               item(401, 3, 40, 6),
               item(501, 5, 50, 7),
               item(601, 4, 60, 8),
               outfit(701, 200, 702, 402, 602),
               item(703, 6, 70, 9),
               item(702, 6, 0, 2, 0),
               item(402, 3, 45, 2, 0),
               item(602, 4, 65, 2, 0)};
    t.bodyParts = {bodyPart(8, 8, 15), bodyPart(9, 9, 25)};
    t.actions = {action(kStandingAction, 3), action(2001, 5, 2), action(2002, 6), action(2003, 1)};
    return testing::readTables(catalogue, t);
}

}  // namespace likenex::small_catalogue
