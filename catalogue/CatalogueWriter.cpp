#include "catalogue/CatalogueWriter.h"

#include "base/ByteIo.h"
#include "catalogue/DataFiles.h"
#include "catalogue/RecordFields.h"

#include <limits>

namespace likenex {
namespace {

bool fitsCount(std::size_t n) { return n <= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()); }

void writeLayerOption(ByteWriter& w, const LayerOption& o) { writeFields(w, o); }

bool writeAction(ByteWriter& w, const Action& a) {
    if (!fitsCount(a.frames.size())) return false;
    w.i32(a.firstValue);
    w.i32(static_cast<std::int32_t>(a.frames.size()));
    w.u8(a.flagByte);
    w.i32(a.price);
    w.u16(a.lowHalfWord);
    w.u16(a.identifier);
    for (const ActionFrame& f : a.frames) {
        if (!fitsCount(f.images.size())) return false;
        w.i32(f.duration);
        w.i32(f.directionOffset);
        w.i32(f.thirdValue);
        w.i32(static_cast<std::int32_t>(f.images.size()));
        for (const LayerEntry& e : f.layers) writeFields(w, e);
        for (const FrameImage& image : f.images) writeFields(w, image);
    }
    return true;
}

void writeBodyPart(ByteWriter& w, const BodyPart& p) { writeFields(w, p); }

void writeItem(ByteWriter& w, const Item& item) { writeFields(w, item); }

template <typename Record>
bool writeCounted(ByteWriter& w, const std::vector<Record>& records, void (*writeOne)(ByteWriter&, const Record&)) {
    if (!fitsCount(records.size())) return false;
    w.i32(static_cast<std::int32_t>(records.size()));
    for (const Record& r : records) writeOne(w, r);
    return true;
}

bool patchOffset(ByteWriter& w, std::size_t headerSlot) {
    if (w.size() > std::numeric_limits<std::uint32_t>::max()) return false;
    w.patchU32(headerSlot * 4, static_cast<std::uint32_t>(w.size()));
    return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> encodeAvatarData(const CatalogueTables& tables) {
    ByteWriter w;
    for (int i = 0; i < 3; ++i) w.u32(0);

    if (!patchOffset(w, 0) || !writeCounted<LayerOption>(w, tables.layerOptions, writeLayerOption)) return std::nullopt;
    if (!fitsCount(tables.actions.size())) return std::nullopt;
    w.i32(static_cast<std::int32_t>(tables.actions.size()));
    for (const Action& a : tables.actions)
        if (!writeAction(w, a)) return std::nullopt;

    if (!patchOffset(w, 1) || !writeCounted<BodyPart>(w, tables.bodyParts, writeBodyPart)) return std::nullopt;
    if (!patchOffset(w, 2) || !writeCounted<Item>(w, tables.items, writeItem)) return std::nullopt;
    return w.take();
}

bool writeAvatarData(std::string_view programDirectory, const CatalogueTables& tables) {
    std::string path = dataFilePath(programDirectory, "data/avatar.dat");
    if (path.empty()) return false;
    std::optional<std::vector<std::uint8_t>> bytes = encodeAvatarData(tables);
    return bytes && writeWholeFile(path, *bytes);
}

}  // namespace likenex
