#pragma once
// Catalogue records for tests, built from the few fields a test cares about, and a catalogue
// read from such tables through the file format, as the program reads its own.

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueWriter.h"

#include <cstdint>

namespace likenex::testing {

inline LayerOption option(int layer, int number, int availability, int price) {
    LayerOption o;
    o.faceLayer = layer;
    o.optionNumber = number;
    o.availability = static_cast<std::uint8_t>(availability);
    o.price = price;
    return o;
}

// `colour` is the colour set the item starts in (-1: not recolourable).
inline Item item(std::uint16_t id, int category, int price, int colour, int availability = 1) {
    Item i;
    i.identifier = id;
    i.category = category;
    i.price = price;
    i.word0 = colour;
    i.availability = static_cast<std::uint8_t>(availability);
    return i;
}

// An outfit of pieces `a` (slot 6), `b` (slot 3, or 5 for kind 2) and `c` (slot 4).
inline Item outfit(std::uint16_t id, int price, int a, int b, int c, int kind = 1) {
    Item i = item(id, 6, price, 2);
    i.outfitKind = kind;
    i.outfitSlot6 = a;
    i.outfitSlot3or5 = b;
    i.outfitSlot4 = c;
    return i;
}

// Every frame lasts 100 ms and shows body picture 1.
inline Action action(std::uint16_t id, int frames, int price = 0) {
    Action a;
    a.identifier = id;
    a.price = price;
    for (int f = 0; f < frames; ++f) {
        ActionFrame frame;
        frame.duration = 100;
        frame.layers[0].imageNumber = 1;
        a.frames.push_back(frame);
    }
    return a;
}

inline BodyPart bodyPart(std::uint16_t id, int layer, int price) {
    BodyPart p;
    p.identifier = id;
    p.bodyLayer = layer;
    p.price = price;
    return p;
}

[[nodiscard]] inline bool readTables(Catalogue& catalogue, const CatalogueTables& tables) {
    const auto bytes = encodeAvatarData(tables);
    return bytes && catalogue.readCatalogueSection1(*bytes) && catalogue.readBodyParts(*bytes) &&
           catalogue.readItems(*bytes);
}

}  // namespace likenex::testing
