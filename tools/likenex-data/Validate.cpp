#include "tools/likenex-data/Validate.h"

#include "base/ByteIo.h"
#include "base/Text.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/DataFiles.h"
#include "catalogue/ImageKey.h"
#include "catalogue/InterfaceArchiveFile.h"
#include "tools/likenex-data/ArchiveFiles.h"
#include "tools/likenex-data/InterfaceTables.h"
#include "tools/likenex-data/StringTsv.h"
#include "tools/likenex-data/ToolSupport.h"

#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <tuple>

namespace likenex {
namespace {

constexpr int kDirections = 8;

constexpr const char* kLanguages[kLanguageCount] = {"traditional Chinese", "simplified Chinese", "English", "Japanese",
                                                    "French"};

// A text as the program shows it: a zero unit ends it.
std::u16string shownText(const std::u16string& stored) { return stored.substr(0, stored.find(u'\0')); }

class Validator {
public:
    Validator(std::string directory, std::string uses) : directory_(std::move(directory)), uses_(std::move(uses)) {}

    ValidationReport run() {
        if (!uses_.empty()) {
            checkSkinUses();
            checkTextPlaces();
        }
        checkArchive("data/avatar.inx", "data/avatar.iso", IndexKind::avatar);
        checkArchive("data/inter.inx", "data/inter.dat", IndexKind::interface);
        const bool catalogueComplete = checkCatalogueFile();
        for (const char* name : {"color.dat", "skin.dat", "wall.dat"}) checkColourFile(name);
        checkStrings();
        if (catalogueComplete) {
            Catalogue catalogue;
            if (catalogue.loadCatalogueSection1(directory_) && catalogue.loadBodyParts(directory_) &&
                catalogue.loadItems(directory_)) {
                checkPictures(catalogue);
                checkCatalogueNames(catalogue);
            }
        }
        return std::move(report_);
    }

private:
    void problem(std::string text) { report_.problems.push_back(std::move(text)); }
    void note(std::string text) { report_.notes.push_back(std::move(text)); }

    std::optional<std::vector<std::uint8_t>> read(const char* relative) {
        auto bytes = readWholeFile(programFile(directory_, relative));
        if (!bytes) problem(std::string(relative) + ": missing or unreadable");
        return bytes;
    }

    void checkArchive(const char* indexName, const char* dataName, IndexKind kind) {
        auto indexBytes = read(indexName);
        auto data = read(dataName);
        if (!indexBytes || !data) return;
        std::optional<StoredIndex> index = readStoredIndex(*indexBytes, kind);
        if (!index) return problem(std::string(indexName) + ": too short to hold its entry count");
        if (index->entries.size() != index->claimedCount)
            problem(std::string(indexName) + ": claims " + std::to_string(index->claimedCount) + " entries, holds " +
                    std::to_string(index->entries.size()) + " complete ones");
        else if (index->extraBytes != 0)
            problem(std::string(indexName) + ": " + std::to_string(index->extraBytes) + " bytes after its entries");
        std::set<std::int64_t> keys;
        for (std::size_t i = 0; i < index->entries.size(); ++i) {
            const StoredIndexEntry& e = index->entries[i];
            const std::string where =
                std::string(indexName) + " entry " + std::to_string(i) + " (key " + std::to_string(e.key) + ")";
            if (!keys.insert(e.key).second) note(where + ": repeats a key; the program uses the first entry");
            if (kind == IndexKind::interface) {
                if (Result<SkinRecord> skin = readSkinRecord(*data, e.entry.offset); !skin)
                    problem(where + ": " + skin.error());
                continue;
            }
            Result<StoredSprite> sprite = readStoredSprite(*data, e.entry);
            if (!sprite) {
                problem(where + ": " + sprite.error());
            } else if (drawnIntoTheFrame(e.key) &&
                       (sprite->x < 0 || sprite->y < 0 || std::int64_t{sprite->x} + sprite->width > kFrameSize ||
                        std::int64_t{sprite->y} + sprite->height > kFrameSize)) {
                problem(where + ": " + std::to_string(sprite->width) + " by " + std::to_string(sprite->height) +
                        " at x " + std::to_string(sprite->x) + ", y " + std::to_string(sprite->y) +
                        " does not fit the 128 by 128 frame");
            }
        }
    }

    // The fixed pictures (kind digit 5: the shadow and the speech-bubble pieces) are drawn on
    // the screen at their own offsets, never composed into the frame, so they may lie outside
    // it. Frame pictures (kind 3) are drawn at their own offsets too but are still kept inside.
    static bool drawnIntoTheFrame(std::int64_t key) {
        constexpr std::int64_t kKindUnit = 10'000'000;  // the kind field's place in a key
        return key < 0 || (key / kKindUnit) % 100 != 5;
    }

    // Walks the sections by their counts only, so that a cut is found wherever it falls.
    bool checkCatalogueFile() {
        auto file = read("data/avatar.dat");
        if (!file) return false;
        ByteReader header(*file);
        const std::uint32_t offsets[3] = {header.u32(), header.u32(), header.u32()};
        if (!header.ok()) {
            problem("data/avatar.dat: shorter than its 12-byte header");
            return false;
        }
        bool complete = true;
        auto section = [&](int number, auto walk) {
            ByteReader r(*file);
            const std::string where = "data/avatar.dat section " + std::to_string(number);
            if (!r.seek(offsets[number - 1])) {
                problem(where + ": offset " + std::to_string(offsets[number - 1]) + " lies past the end of the file");
                complete = false;
                return;
            }
            std::string cut = walk(r);
            if (!cut.empty()) {
                problem(where + ": " + cut);
                complete = false;
            }
        };
        auto records = [](ByteReader& r, std::size_t size, const char* what) -> std::string {
            const std::int32_t count = r.i32();
            if (!r.ok()) return std::string("ends before the count of ") + what;
            if (count < 0) return std::string("negative count of ") + what;
            if (!r.skip(std::uint64_t(count) * size))
                return "cut short inside its " + std::to_string(count) + " " + what;
            return {};
        };
        section(1, [&](ByteReader& r) -> std::string {
            if (std::string cut = records(r, kLayerOptionSize, "layer options"); !cut.empty()) return cut;
            const std::int32_t actions = r.i32();
            if (!r.ok()) return "ends before the count of actions";
            if (actions < 0) return "negative count of actions";
            for (std::int32_t a = 0; a < actions; ++a) {
                const std::string where = "action " + std::to_string(a);
                r.skip(4);
                const std::int32_t frames = r.i32();
                r.skip(kActionHeadSize - 8);
                if (!r.ok()) return "cut short in the head of " + where;
                if (frames < 0) return where + " has a negative frame count";
                for (std::int32_t f = 0; f < frames; ++f) {
                    r.skip(12);
                    const std::int32_t images = r.i32();
                    if (!r.ok()) return "cut short in frame " + std::to_string(f) + " of " + where;
                    if (images < 0)
                        return "frame " + std::to_string(f) + " of " + where + " has a negative picture count";
                    if (!r.skip(kBodyLayerCount * kLayerEntrySize + std::uint64_t(images) * kFrameImageSize))
                        return "cut short in frame " + std::to_string(f) + " of " + where;
                }
            }
            return {};
        });
        section(2, [&](ByteReader& r) { return records(r, kBodyPartSize, "body parts"); });
        section(3, [&](ByteReader& r) { return records(r, kItemSize, "items"); });
        return complete;
    }

    void checkColourFile(const char* name) {
        auto file = read(name);
        if (!file) return;
        ByteReader r(*file);
        const std::uint32_t count = r.u32();
        if (!r.ok()) return problem(std::string(name) + ": too short to hold its count");
        const std::uint64_t expected = 4 + std::uint64_t{count} * kColourSetBytes;
        if (file->size() < expected)
            problem(std::string(name) + ": claims " + std::to_string(count) + " sets, holds " +
                    std::to_string((file->size() - 4) / kColourSetBytes) + " complete ones");
        else if (file->size() > expected)
            problem(std::string(name) + ": " + std::to_string(file->size() - expected) + " bytes after its sets");
    }

    void checkStrings() {
        auto file = read("data/lang.bin");
        if (!file) return;
        try {
            for (const StringRecord& record : storedStringRecords(*file))
                if (record.group < 0 || record.group >= kStringGroupCount)
                    note("data/lang.bin: the record of identifier " + std::to_string(record.identifier) +
                         " has group " + std::to_string(record.group) + " and is never used");
        } catch (const ToolError& e) {
            problem(std::string("data/lang.bin: ") + e.what());
        }
    }

    void want(std::int64_t key, const std::string& what) { wanted_.emplace(key, what); }

    void checkPictures(const Catalogue& catalogue) {
        ColourTables tables;
        AvatarArchive archive(tables);
        if (!archive.loadAvatarArchive(directory_)) return;  // reported with the files

        want(kShadowImageKey, "shadow picture");
        want(kShadowOverlayImageKey, "shadow overlay picture");
        want(kSkinSampleImageKey, "skin sample picture");
        for (int n = 10; n <= 25; ++n) want(makeImageKey(n, 5, 0, 0, 0, 0), "speech bubble piece " + std::to_string(n));
        for (const BodyPart& p : catalogue.bodyParts())
            want(makeImageKey(p.identifier, 4, p.bodyLayer, 0, p.style, 0),
                 "thumbnail of body part " + std::to_string(p.identifier));

        // Each (layer, direction, image number) and frame picture once, however many frames use it.
        std::set<std::tuple<int, int, std::int32_t>> layers;
        std::set<std::pair<std::int32_t, int>> framePictures;
        for (const Action& a : catalogue.actions())
            for (const ActionFrame& f : a.frames)
                for (int d = 0; d < kDirections; ++d) {
                    for (const FrameImage& image : f.images)
                        framePictures.insert({image.imageNumber, (d + f.directionOffset) % kDirections});
                    for (int v = 0; v < kBodyLayerCount; ++v) {
                        const LayerEntry& e = f.layers[static_cast<std::size_t>(v)];
                        if (e.imageNumber != 0)
                            layers.insert({v, (d + e.directionOffset) % kDirections, e.imageNumber});
                    }
                }
        for (auto [number, direction] : framePictures)
            want(makeImageKey(number, kFramePictureKind, 0, direction, 0, 0),
                 "frame picture " + std::to_string(number) + ", direction " + std::to_string(direction));
        for (auto [v, dv, n] : layers) {
            const std::string at = ", body layer " + std::to_string(v) + ", direction " + std::to_string(dv) +
                                   ", image number " + std::to_string(n);
            want(makeImageKey(n, 0, v, dv, 0, 0), "body" + at);
            for (const BodyPart& p : catalogue.bodyParts())
                if (p.bodyLayer == v)
                    want(makeImageKey(p.identifier, 2, v, dv, p.style, n),
                         "body part " + std::to_string(p.identifier) + at);
            if (v == 8) want(makeImageKey(501, 2, 8, dv, 0, n), "body part 501" + at);
            for (const Item& item : catalogue.items())
                if (item.outfitKind == 0 && drawsOn(item.category, v))
                    want(makeImageKey(item.identifier, 1, v, dv, item.category, n),
                         "item " + std::to_string(item.identifier) + at);
            for (const LayerOption& o : catalogue.layerOptions())
                if (o.availability != 0 && o.faceLayer == v)
                    for (int picture = 0; picture < 2; ++picture)
                        want(makeImageKey(o.optionNumber, 0, v, dv, picture, 0),
                             "face option " + std::to_string(o.optionNumber) + " picture " + std::to_string(picture) +
                                 at);
        }

        std::vector<std::uint8_t> pixels;
        for (const auto& [key, what] : wanted_) {
            ++report_.picturesChecked;
            if (!archive.loadSpritePixels(key, 0, -1, pixels))
                problem("missing picture " + std::to_string(key) + ": " + what);
        }
    }

    // Every item, body part and action has its name in every language: the editor's lists show
    // them (item names in group 1 under category * 9000 + identifier + 100000).
    void checkCatalogueNames(const Catalogue& catalogue) {
        auto file = readWholeFile(programFile(directory_, "data/lang.bin"));
        if (!file) return;  // reported with the files
        std::map<std::pair<std::int32_t, std::int32_t>, LanguageTexts> names;
        try {
            for (const StringRecord& record : storedStringRecords(*file))
                if (record.group >= 1 && record.group <= 3) names[{record.group, record.identifier}] = record.texts;
        } catch (const ToolError&) {
            return;  // reported with the files
        }
        auto named = [&](std::int32_t group, std::int32_t identifier, const std::string& what) {
            const auto it = names.find({group, identifier});
            if (it == names.end()) {
                problem(what + " has no name (group " + std::to_string(group) + ", identifier " +
                        std::to_string(identifier) + " of data/lang.bin)");
                return;
            }
            for (int language = 0; language < kLanguageCount; ++language)
                if (shownText(it->second[static_cast<std::size_t>(language)]).empty())
                    problem(what + " has no " + kLanguages[language] + " name");
        };
        for (const Item& item : catalogue.items())
            named(1, item.category * 9000 + item.identifier + 100000, "item " + std::to_string(item.identifier));
        for (const BodyPart& part : catalogue.bodyParts())
            named(2, part.identifier, "body part " + std::to_string(part.identifier));
        for (const Action& action : catalogue.actions())
            named(3, action.identifier, "action " + std::to_string(action.identifier));
    }

    // The body layers on which an item of this category (its item slot) is drawn.
    static bool drawsOn(std::int32_t category, int v) {
        switch (category) {
        case 0:
        case 1: return v == 0;
        case 2:
        case 6: return v >= 3 && v <= 5;
        case 3:
        case 4:
        case 5: return v == 6 || v == 7;
        default: return false;
        }
    }

    // Every skin the program draws is in the interface archive at the sizes its table gives.
    void checkSkinUses() {
        const std::string tablePath = (std::filesystem::path(uses_) / "skins.tsv").string();
        const std::vector<SkinRow> rows = skinRowsFromTsv(readTextFileOrFail(tablePath), tablePath);
        auto indexBytes = readWholeFile(programFile(directory_, "data/inter.inx"));
        auto data = readWholeFile(programFile(directory_, "data/inter.dat"));
        if (!indexBytes || !data) return;  // reported with the files
        std::optional<StoredIndex> index = readStoredIndex(*indexBytes, IndexKind::interface);
        if (!index) return;
        std::map<std::int64_t, ArchiveEntry> first;  // the program uses the first entry of a key
        for (const StoredIndexEntry& e : index->entries) first.emplace(e.key, e.entry);
        for (const SkinRow& row : rows) {
            ++report_.skinsChecked;
            const std::string what = "skin " + std::to_string(row.identifier) + " (" + row.family + ")";
            const auto it = first.find(row.identifier);
            if (it == first.end()) {
                problem(what + ": not in data/inter.inx");
                continue;
            }
            Result<SkinRecord> skin = readSkinRecord(*data, it->second.offset);
            if (!skin) continue;  // reported with the files
            auto size = [](std::uint32_t w, std::uint32_t h) { return std::to_string(w) + " by " + std::to_string(h); };
            if (skin->texW != row.width || skin->texH != row.height)
                problem(what + ": stored " + size(skin->texW, skin->texH) + ", skins.tsv says " +
                        size(row.width, row.height));
            if (skin->layoutWidth != row.layoutWidth || skin->layoutHeight != row.layoutHeight)
                problem(what + ": laid out as " + size(skin->layoutWidth, skin->layoutHeight) + ", skins.tsv says " +
                        size(row.layoutWidth, row.layoutHeight));
        }
    }

    // Every placed text exists in every language and, where its place is limited, fits it.
    void checkTextPlaces() {
        const std::filesystem::path placesPath = std::filesystem::path(uses_) / "text-places.tsv";
        if (!std::filesystem::exists(placesPath)) return;
        const std::vector<TextPlace> places =
            textPlacesFromTsv(readTextFileOrFail(placesPath.string()), placesPath.string());
        auto file = readWholeFile(programFile(directory_, "data/lang.bin"));
        if (!file) return;  // reported with the files
        std::map<std::int32_t, LanguageTexts> texts;
        try {
            for (const StringRecord& record : storedStringRecords(*file))
                if (record.group == 0) texts.emplace(record.identifier, record.texts);
        } catch (const ToolError&) {
            return;  // reported with the files
        }
        for (const TextPlace& place : places) {
            ++report_.textsChecked;
            const std::string what = "text " + std::to_string(place.identifier) +
                                     (place.where.empty() ? std::string() : " (" + place.where + ")");
            const auto it = texts.find(place.identifier);
            if (it == texts.end()) {
                problem(what + ": not in group 0 of data/lang.bin");
                continue;
            }
            for (int language = 0; language < kLanguageCount; ++language) {
                const std::u16string text = shownText(it->second[static_cast<std::size_t>(language)]);
                if (text.empty()) {
                    problem(what + ": empty in " + kLanguages[language]);
                    continue;
                }
                if (place.width <= 0) continue;
                const double width = estimatedTextWidth(text, place.size);
                if (width > place.width)
                    problem(what + ": about " + std::to_string(static_cast<int>(std::ceil(width))) +
                            " pixels wide in " + kLanguages[language] + " at size " + std::to_string(place.size) +
                            ", room for " + std::to_string(place.width) + ": \"" + likenex::text::utf8FromUtf16(text) +
                            "\"");
            }
        }
    }

    std::string directory_;
    std::string uses_;
    ValidationReport report_;
    std::map<std::int64_t, std::string> wanted_;  // first reason per key
};

}  // namespace

ValidationReport validateProgramDirectory(const std::string& directory, const std::string& usesDirectory) {
    (void)programFile(directory, "data");  // refuses a directory the program could not use
    return Validator(directory, usesDirectory).run();
}

}  // namespace likenex
