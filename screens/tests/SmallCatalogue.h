#pragma once
// A catalogue for the editor's tests: two face layers, items of every category with prices
// and colours, an outfit of three withdrawn pieces, two body parts and four actions of known
// lengths; and a clock and an event log for the models over it.

#include "avatar/AvatarModel.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueWriter.h"

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

inline LayerOption option(int layer, int number, int availability, int value) {
    LayerOption o;
    o.faceLayer = layer;
    o.optionNumber = number;
    o.availability = static_cast<std::uint8_t>(availability);
    o.price = value;
    return o;
}

inline Item item(std::uint16_t id, int category, int price, int colour, int availability = 1) {
    Item i;
    i.identifier = id;
    i.category = category;
    i.price = price;
    i.word0 = colour;
    i.availability = static_cast<std::uint8_t>(availability);
    return i;
}

inline Item outfit(std::uint16_t id, int price, int a, int b, int c) {
    Item i = item(id, 6, price, 2);
    i.outfitKind = 1;
    i.outfitSlot6 = a;
    i.outfitSlot3or5 = b;
    i.outfitSlot4 = c;
    return i;
}

inline Action action(std::uint16_t id, int frames, int value = 0) {
    Action a;
    a.identifier = id;
    a.price = value;
    for (int f = 0; f < frames; ++f) {
        ActionFrame frame;
        frame.duration = 100;
        frame.layers[0].imageNumber = 1;
        a.frames.push_back(frame);
    }
    return a;
}

inline BodyPart bodyPart(std::uint16_t id, int layer, int value) {
    BodyPart p;
    p.identifier = id;
    p.bodyLayer = layer;
    p.price = value;
    return p;
}

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
    const auto bytes = encodeAvatarData(t);
    return bytes && catalogue.readCatalogueSection1(*bytes) && catalogue.readBodyParts(*bytes) &&
           catalogue.readItems(*bytes);
}

}  // namespace likenex::small_catalogue
