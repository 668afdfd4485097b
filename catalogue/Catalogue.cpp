#include "catalogue/Catalogue.h"

#include "base/ByteIo.h"
#include "catalogue/DataFiles.h"
#include "catalogue/RecordFields.h"

#include <algorithm>
#include <optional>

namespace likenex {
namespace {

enum class Section { layerOptionsAndActions = 0, bodyParts = 1, items = 2 };

// A reader placed at the start of one section, or nothing when the header or the
// section's offset lies past the end of the file.
std::optional<ByteReader> openSection(std::span<const std::uint8_t> file, Section section) {
    ByteReader reader(file);
    reader.seek(4 * static_cast<std::uint64_t>(section));
    std::uint32_t offset = reader.u32();
    if (!reader.ok() || !reader.seek(offset)) return std::nullopt;
    return reader;
}

// How many records to reserve for: never more than the bytes left could hold, whatever the
// count claims. A negative count reads nothing.
std::size_t plausibleCount(std::int32_t count, std::size_t bytesLeft, std::size_t minimumRecordSize) {
    if (count <= 0) return 0;
    return std::min(static_cast<std::size_t>(count), bytesLeft / minimumRecordSize);
}

LayerOption readLayerOption(ByteReader& r) {
    LayerOption o;
    readFields(r, o);
    return o;
}

LayerEntry readLayerEntry(ByteReader& r) {
    LayerEntry e;
    readFields(r, e);
    return e;
}

FrameImage readFrameImage(ByteReader& r) {
    FrameImage f;
    readFields(r, f);
    return f;
}

// A frame with all of its pictures, or nothing when the file ends inside it.
std::optional<ActionFrame> readFrame(ByteReader& r) {
    ActionFrame frame;
    frame.duration = r.i32();
    frame.directionOffset = r.i32();
    frame.thirdValue = r.i32();
    std::int32_t imageCount = r.i32();
    for (auto& layer : frame.layers) layer = readLayerEntry(r);
    if (!r.ok()) return std::nullopt;
    frame.images.reserve(plausibleCount(imageCount, r.remaining(), kFrameImageSize));
    for (std::int32_t i = 0; i < imageCount; ++i) {
        FrameImage image = readFrameImage(r);
        if (!r.ok()) return std::nullopt;
        frame.images.push_back(image);
    }
    return frame;
}

// An action with all of its frames, or nothing when the file ends inside it.
std::optional<Action> readAction(ByteReader& r) {
    Action action;
    action.firstValue = r.i32();
    std::int32_t frameCount = r.i32();
    action.flagByte = r.u8();
    action.price = r.i32();
    action.lowHalfWord = r.u16();
    action.identifier = r.u16();
    if (!r.ok()) return std::nullopt;
    action.frames.reserve(
        plausibleCount(frameCount, r.remaining(), kFrameHeadSize + kBodyLayerCount * kLayerEntrySize));
    for (std::int32_t i = 0; i < frameCount; ++i) {
        std::optional<ActionFrame> frame = readFrame(r);
        if (!frame) return std::nullopt;
        action.frames.push_back(std::move(*frame));
    }
    return action;
}

BodyPart readBodyPart(ByteReader& r) {
    BodyPart p;
    readFields(r, p);
    return p;
}

Item readItem(ByteReader& r) {
    Item item;
    readFields(r, item);
    return item;
}

// A count followed by fixed-size records; a short section keeps its complete records.
template <typename Record>
std::vector<Record> readFixedRecords(ByteReader& r, std::size_t recordSize, Record (*readOne)(ByteReader&)) {
    std::vector<Record> records;
    std::int32_t count = r.i32();
    if (!r.ok()) return records;
    records.reserve(plausibleCount(count, r.remaining(), recordSize));
    for (std::int32_t i = 0; i < count; ++i) {
        std::span<const std::uint8_t> bytes = r.bytes(recordSize);
        if (!r.ok()) break;
        ByteReader one(bytes);
        records.push_back(readOne(one));
    }
    return records;
}

std::optional<std::vector<std::uint8_t>> readAvatarDat(std::string_view programDirectory) {
    std::string path = dataFilePath(programDirectory, "data/avatar.dat");
    if (path.empty()) return std::nullopt;
    return readWholeFile(path);
}

}  // namespace

bool Catalogue::loadCatalogueSection1(std::string_view programDirectory) {
    auto file = readAvatarDat(programDirectory);
    return file && readCatalogueSection1(*file);
}

bool Catalogue::loadBodyParts(std::string_view programDirectory) {
    auto file = readAvatarDat(programDirectory);
    return file && readBodyParts(*file);
}

bool Catalogue::loadItems(std::string_view programDirectory) {
    auto file = readAvatarDat(programDirectory);
    return file && readItems(*file);
}

bool Catalogue::readCatalogueSection1(std::span<const std::uint8_t> file) {
    std::optional<ByteReader> reader = openSection(file, Section::layerOptionsAndActions);
    if (!reader) return false;
    ByteReader& r = *reader;
    std::vector<LayerOption> options = readFixedRecords<LayerOption>(r, kLayerOptionSize, readLayerOption);

    std::vector<Action> actions;
    std::int32_t actionCount = r.i32();
    if (r.ok()) {
        actions.reserve(plausibleCount(actionCount, r.remaining(), kActionHeadSize));
        for (std::int32_t i = 0; i < actionCount; ++i) {
            std::optional<Action> action = readAction(r);
            if (!action) break;
            actions.push_back(std::move(*action));
        }
    }
    tables_.layerOptions = std::move(options);
    tables_.actions = std::move(actions);
    return true;
}

bool Catalogue::readBodyParts(std::span<const std::uint8_t> file) {
    std::optional<ByteReader> reader = openSection(file, Section::bodyParts);
    if (!reader) return false;
    tables_.bodyParts = readFixedRecords<BodyPart>(*reader, kBodyPartSize, readBodyPart);
    return true;
}

bool Catalogue::readItems(std::span<const std::uint8_t> file) {
    std::optional<ByteReader> reader = openSection(file, Section::items);
    if (!reader) return false;
    tables_.items = readFixedRecords<Item>(*reader, kItemSize, readItem);
    return true;
}

const LayerOption* Catalogue::findLayerOption(std::int32_t optionNumber, std::int32_t faceLayer) const {
    // The caller's face layer passes through a signed byte, so 257 asks for layer 1.
    const std::int32_t wanted = static_cast<std::int8_t>(static_cast<std::uint8_t>(faceLayer));
    for (const LayerOption& o : tables_.layerOptions)
        if (o.optionNumber == optionNumber && o.faceLayer == wanted && o.availability != 0) return &o;
    return nullptr;
}

const Action* Catalogue::findAction(std::uint16_t identifier) const {
    for (const Action& a : tables_.actions)
        if (a.identifier == identifier) return &a;
    return nullptr;
}

const BodyPart* Catalogue::findBodyPart(std::int32_t identifier) const {
    if (identifier < 1) return nullptr;
    for (const BodyPart& p : tables_.bodyParts)
        if (p.identifier == identifier) return &p;
    return nullptr;
}

const Item* Catalogue::findItem(std::int32_t identifier) const {
    if (identifier < 1) return nullptr;
    for (const Item& item : tables_.items)
        if (item.identifier == identifier) return &item;
    return nullptr;
}

}  // namespace likenex
