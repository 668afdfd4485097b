#pragma once
// The members of the fixed-size catalogue records in file order, each with the key the data
// tools' JSON gives it, so that the reader, the writer and the JSON conversion share one
// layout per record. Members are stored little-endian at their own width; byte arrays byte by
// byte. Actions and their frames carry counts and nested lists between their members and keep
// code of their own.
//
//     forEachField(record, [](const char* key, auto& member) { ... });

#include "base/ByteIo.h"
#include "catalogue/CatalogueRecords.h"

#include <array>
#include <concepts>
#include <cstdint>
#include <type_traits>

namespace likenex {

template <typename Record, typename Plain>
concept RecordOf = std::same_as<std::remove_const_t<Record>, Plain>;

template <RecordOf<LayerOption> Record, typename Visit>
void forEachField(Record& o, Visit&& visit) {
    visit("faceLayer", o.faceLayer);
    visit("optionNumber", o.optionNumber);
    visit("availability", o.availability);
    visit("storedBytes", o.storedBytes);
    visit("screenValue", o.price);
}

template <RecordOf<LayerEntry> Record, typename Visit>
void forEachField(Record& e, Visit&& visit) {
    visit("word0", e.word0);
    visit("imageNumber", e.imageNumber);
    visit("directionOffset", e.directionOffset);
    visit("x", e.x);
    visit("y", e.y);
}

template <RecordOf<FrameImage> Record, typename Visit>
void forEachField(Record& image, Visit&& visit) {
    visit("imageNumber", image.imageNumber);
    visit("word1", image.word1);
    visit("x", image.x);
    visit("y", image.y);
    visit("directionMask", image.directionMask);
}

template <RecordOf<BodyPart> Record, typename Visit>
void forEachField(Record& p, Visit&& visit) {
    visit("bodyLayer", p.bodyLayer);
    visit("word4", p.word4);
    visit("byte8", p.byte8);
    visit("gap9", p.gap9);
    visit("style", p.style);
    visit("listValue", p.price);
    visit("byte20", p.byte20);
    visit("byte21", p.byte21);
    visit("identifier", p.identifier);
}

template <RecordOf<Item> Record, typename Visit>
void forEachField(Record& item, Visit&& visit) {
    visit("word0", item.word0);
    visit("category", item.category);
    visit("listValue", item.price);
    visit("outfitKind", item.outfitKind);
    visit("outfitSlot6", item.outfitSlot6);
    visit("outfitSlot3or5", item.outfitSlot3or5);
    visit("outfitSlot4", item.outfitSlot4);
    visit("availability", item.availability);
    visit("bytes29", item.bytes29);
    visit("secondListValue", item.secondPrice);
    visit("byte36", item.byte36);
    visit("byte37", item.byte37);
    visit("identifier", item.identifier);
}

inline void readMember(ByteReader& r, std::int32_t& member) { member = r.i32(); }
inline void readMember(ByteReader& r, std::uint32_t& member) { member = r.u32(); }
inline void readMember(ByteReader& r, std::uint16_t& member) { member = r.u16(); }
inline void readMember(ByteReader& r, std::uint8_t& member) { member = r.u8(); }
template <std::size_t N>
void readMember(ByteReader& r, std::array<std::uint8_t, N>& member) {
    for (auto& b : member) b = r.u8();
}

inline void writeMember(ByteWriter& w, std::int32_t member) { w.i32(member); }
inline void writeMember(ByteWriter& w, std::uint32_t member) { w.u32(member); }
inline void writeMember(ByteWriter& w, std::uint16_t member) { w.u16(member); }
inline void writeMember(ByteWriter& w, std::uint8_t member) { w.u8(member); }
template <std::size_t N>
void writeMember(ByteWriter& w, const std::array<std::uint8_t, N>& member) {
    for (std::uint8_t b : member) w.u8(b);
}

// A failed read leaves the reader failed; the caller tests it once for the whole record.
template <typename Record>
void readFields(ByteReader& r, Record& record) {
    forEachField(record, [&r](const char*, auto& member) { readMember(r, member); });
}

template <typename Record>
void writeFields(ByteWriter& w, const Record& record) {
    forEachField(record, [&w](const char*, const auto& member) { writeMember(w, member); });
}

}  // namespace likenex
