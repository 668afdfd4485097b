// sheet: a contact sheet of a data set's avatar frames.
#include "tools/likenex-data/ContactSheet.h"

#include "avatar/PaintingOrder.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/AvatarData.h"
#include "catalogue/Catalogue.h"
#include "tools/likenex-data/Commands.h"
#include "tools/likenex-data/LoadedAvatarData.h"

#include <algorithm>
#include <ostream>
#include <sstream>

namespace likenex {
namespace {

constexpr int kDirections = 8;
constexpr int kMargin = 8;
constexpr int kGap = 4;
constexpr int kSplitGap = 16;
constexpr std::array<std::uint8_t, 3> kGround{150, 152, 158};
constexpr std::array<std::uint8_t, 3> kCellGround{212, 214, 218};
// A sheet is one picture in memory; refuse what would not sensibly fit.
constexpr std::uint64_t kMaxSheetBytes = std::uint64_t{1} << 30;

bool offered(const Item& item) { return item.availability != 0; }

std::int32_t cycled(std::size_t index, std::size_t count) {
    return count == 0 ? -1 : static_cast<std::int32_t>(index % count);
}

// The editor's default avatar: skin 4 (or the nearest the table has), nothing worn.
AvatarLook plainLook(std::size_t skinSets) {
    AvatarLook look;
    look.skin = cycled(4, skinSets);
    return look;
}

void wear(AvatarLook& look, int slot, const Item& item, std::int32_t colour) {
    look.items[static_cast<std::size_t>(slot)] = ItemSlot::wearing(item, colour);
}

struct Dressing {
    std::string what;
    std::vector<std::pair<int, const Item*>> slots;
};

// Each offered outfit with its components in the slots wearing it would fill; a component
// the catalogue lacks leaves its slot empty.
std::vector<Dressing> outfitDressings(const Catalogue& catalogue) {
    std::vector<Dressing> dressings;
    for (const Item& outfit : catalogue.items()) {
        if (!offered(outfit) || (outfit.outfitKind != 1 && outfit.outfitKind != 2)) continue;
        if (dressings.size() == kSheetOutfitRows) break;
        Dressing d;
        d.what = "outfit " + std::to_string(outfit.identifier) + " (kind " + std::to_string(outfit.outfitKind) + ")";
        const std::pair<int, std::int32_t> components[] = {
            {6, outfit.outfitSlot6}, {outfit.outfitKind == 1 ? 3 : 5, outfit.outfitSlot3or5}, {4, outfit.outfitSlot4}};
        for (auto [slot, identifier] : components) {
            const Item* component = catalogue.findItem(identifier);
            d.what +=
                (component ? " " : " missing ") + std::to_string(identifier) + " in slot " + std::to_string(slot) + ",";
            if (component) d.slots.emplace_back(slot, component);
        }
        d.what.pop_back();
        dressings.push_back(std::move(d));
    }
    return dressings;
}

// A few combinations of the first offered single item of each slot; slot pairs 0/1 and 3/5
// exclude each other, so each combination takes one of a pair.
std::vector<Dressing> combinationDressings(const Catalogue& catalogue) {
    std::array<const Item*, 7> first{};
    for (const Item& item : catalogue.items())
        if (offered(item) && item.outfitKind == 0 && item.category >= 0 && item.category < 7 &&
            !first[static_cast<std::size_t>(item.category)])
            first[static_cast<std::size_t>(item.category)] = &item;
    std::vector<Dressing> dressings;
    for (const auto& slots :
         {std::vector<int>{0, 2, 3, 4}, std::vector<int>{1, 2, 5, 4}, std::vector<int>{0, 2, 6, 3, 4}}) {
        Dressing d{"items", {}};
        for (int slot : slots)
            if (const Item* item = first[static_cast<std::size_t>(slot)]) {
                d.slots.emplace_back(slot, item);
                d.what += " " + std::to_string(item->identifier) + " in slot " + std::to_string(slot) + ",";
            }
        if (d.slots.empty()) continue;
        d.what.pop_back();
        dressings.push_back(std::move(d));
    }
    return dressings;
}

std::string faceText(const AvatarLook& look) {
    std::string text;
    for (int slot : {kFaceOptionSlot1, kFaceOptionSlot2}) {
        const ItemSlot& s = look.items[static_cast<std::size_t>(slot)];
        text += ", face layer " + std::to_string(slot - 6) + " " +
                (s.occupied ? "option " + std::to_string(s.item) : "none");
    }
    return text;
}

// Dressings are shown standing; without the standing action the first action with frames serves.
const Action* standingAction(const Catalogue& catalogue) {
    const Action* standing = catalogue.findAction(kStandingActionId);
    if (standing && !standing->frames.empty()) return standing;
    for (const Action& action : catalogue.actions())
        if (!action.frames.empty()) return &action;
    return nullptr;
}

// The first offered option of each face list, as a dressed figure shows its face.
AvatarLook firstFaces(const Catalogue& catalogue, bool freeOnly) {
    AvatarLook faces;
    for (int layer : {1, 2})
        for (const LayerOption& option : catalogue.layerOptions())
            if (option.faceLayer == layer && option.availability != 0 && (!freeOnly || option.price == 0)) {
                faces.items[static_cast<std::size_t>(layer + 6)] = ItemSlot::faceOption(option.optionNumber);
                break;
            }
    return faces;
}

}  // namespace

std::vector<SheetRow> planActionRows(const Catalogue& catalogue, std::size_t skinSets,
                                     const std::optional<std::vector<std::uint16_t>>& actions,
                                     const std::vector<int>& directions) {
    std::vector<const Action*> shown;
    if (actions) {
        for (std::uint16_t id : *actions) {
            const Action* action = catalogue.findAction(id);
            if (!action) throw ToolError("the catalogue has no action " + std::to_string(id));
            shown.push_back(action);
        }
    } else {
        for (const Action& action : catalogue.actions()) shown.push_back(&action);
    }

    std::vector<SheetRow> rows;
    for (const Action* action : shown) {
        SheetRow row;
        row.legend = "action " + std::to_string(action->identifier);
        if (action->frames.empty()) {
            row.legend += ": no frames";
            rows.push_back(std::move(row));
            continue;
        }
        std::string shownDirections;
        for (int d : directions) {
            row.cells.push_back({action, 0, d, plainLook(skinSets)});
            shownDirections += (shownDirections.empty() ? "" : ",") + std::to_string(d);
        }
        if (directions == allDirections()) shownDirections = "0..7";
        const std::size_t frames = std::min(action->frames.size(), kSheetFramesPerAction);
        if (!row.cells.empty()) row.splits.push_back(row.cells.size());
        for (std::size_t f = 0; f < frames; ++f) row.cells.push_back({action, f, 7, plainLook(skinSets)});
        row.legend += ", frame 0 in directions " + shownDirections + ", then frames 0.." + std::to_string(frames - 1) +
                      " of " + std::to_string(action->frames.size()) + " in direction 7";
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<SheetRow> planWardrobeSheet(const Catalogue& catalogue, std::size_t skinSets,
                                        const std::vector<int>& directions, std::size_t itemsPerRow) {
    std::vector<SheetRow> rows;
    const Action* standing = standingAction(catalogue);
    if (!standing || directions.empty()) return rows;
    itemsPerRow = std::max<std::size_t>(itemsPerRow, 1);
    const AvatarLook faces = firstFaces(catalogue, true);
    for (const Item& item : catalogue.items()) {
        AvatarLook look = faces;
        look.skin = cycled(4, skinSets);
        std::string what = std::to_string(item.identifier);
        if (item.outfitKind == 1 || item.outfitKind == 2) {
            const std::pair<int, std::int32_t> components[] = {
                {6, item.outfitSlot6}, {item.outfitKind == 1 ? 3 : 5, item.outfitSlot3or5}, {4, item.outfitSlot4}};
            for (auto [slot, identifier] : components)
                if (const Item* component = catalogue.findItem(identifier))
                    wear(look, slot, *component, item.word0);
                else
                    what += " (missing " + std::to_string(identifier) + ")";
        } else if (item.category >= 0 && item.category < 7) {
            wear(look, item.category, item, item.word0);
        } else {
            what += " (no slot)";
        }
        if (rows.empty() || rows.back().cells.size() == itemsPerRow * directions.size()) {
            rows.emplace_back();
            rows.back().legend = "items";
        } else {
            rows.back().splits.push_back(rows.back().cells.size());
        }
        SheetRow& row = rows.back();
        row.legend += " " + what;
        for (int d : directions) row.cells.push_back({standing, 0, d, look});
    }
    for (SheetRow& row : rows) {
        row.legend += " (action " + std::to_string(standing->identifier) + " frame 0, directions";
        for (int d : directions) row.legend += " " + std::to_string(d);
        row.legend += ")";
    }
    return rows;
}

std::vector<SheetRow> planContactSheet(const Catalogue& catalogue, std::size_t colourSets, std::size_t skinSets,
                                       const std::optional<std::vector<std::uint16_t>>& actions) {
    std::vector<SheetRow> rows = planActionRows(catalogue, skinSets, actions, allDirections());
    const Action* standing = standingAction(catalogue);
    if (!standing) return rows;
    const std::string pose = " (action " + std::to_string(standing->identifier) + " frame 0";
    const AvatarLook faces = firstFaces(catalogue, false);
    std::vector<Dressing> dressings = outfitDressings(catalogue);
    for (Dressing& d : combinationDressings(catalogue)) dressings.push_back(std::move(d));
    for (std::size_t i = 0; i < dressings.size(); ++i) {
        AvatarLook look = faces;
        const std::int32_t colour = colourSets == 0 ? -1 : static_cast<std::int32_t>((i * 7) % colourSets);
        look.skin = cycled(4 + i, skinSets);
        for (auto [slot, item] : dressings[i].slots) wear(look, slot, *item, colour);
        SheetRow row;
        row.legend = dressings[i].what + pose + " in directions 0..7, colour " + std::to_string(colour) + ", skin " +
                     std::to_string(look.skin) + faceText(look) + ")";
        for (int d = 0; d < kDirections; ++d) row.cells.push_back({standing, 0, d, look});
        rows.push_back(std::move(row));
    }

    const auto& parts = catalogue.bodyParts();
    for (std::size_t first = 0; first < parts.size(); first += kSheetBodyPartsPerRow) {
        SheetRow row;
        row.legend = "body parts" + pose + " in directions 7 and 0):";
        for (std::size_t p = first; p < std::min(parts.size(), first + kSheetBodyPartsPerRow); ++p) {
            const BodyPart& part = parts[p];
            AvatarLook look = plainLook(skinSets);
            if (part.bodyLayer >= 0 && part.bodyLayer < kBodyLayerCount)
                look.bodyParts[static_cast<std::size_t>(part.bodyLayer)] = {part, true};
            row.legend += " " + std::to_string(part.identifier) + " (layer " + std::to_string(part.bodyLayer) + ")";
            for (int d : {7, 0}) row.cells.push_back({standing, 0, d, look});
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

RgbaPicture drawContactSheet(const std::vector<SheetRow>& rows, const AvatarArchive& archive, int scale) {
    if (scale < 1 || scale > 4) throw ToolError("the scale must be 1 to 4");
    const int cellSize = kFrameSize * scale;
    auto cellX = [&](const SheetRow& row, std::size_t i) {
        const auto splitsBefore = std::count_if(row.splits.begin(), row.splits.end(),
                                                [&](std::size_t split) { return split != 0 && split <= i; });
        return kMargin + static_cast<int>(i) * (cellSize + kGap) + static_cast<int>(splitsBefore) * kSplitGap;
    };
    int width = 2 * kMargin + cellSize;
    for (const SheetRow& row : rows)
        if (!row.cells.empty()) width = std::max(width, cellX(row, row.cells.size() - 1) + cellSize + kMargin);
    const int height =
        2 * kMargin + static_cast<int>(std::max<std::size_t>(rows.size(), 1)) * (cellSize + kGap) - kGap;
    if (std::uint64_t(width) * std::uint64_t(height) * 4 > kMaxSheetBytes)
        throw ToolError("the sheet would be " + std::to_string(width) + " by " + std::to_string(height) +
                        " pixels; choose fewer actions with --actions");

    RgbaPicture sheet{width, height, {}};
    sheet.rgba.resize(std::size_t(width) * std::size_t(height) * 4);
    for (std::size_t p = 0; p < sheet.rgba.size(); p += 4) {
        std::copy(kGround.begin(), kGround.end(), sheet.rgba.begin() + static_cast<std::ptrdiff_t>(p));
        sheet.rgba[p + 3] = 255;
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int top = kMargin + static_cast<int>(r) * (cellSize + kGap);
        for (std::size_t i = 0; i < rows[r].cells.size(); ++i) {
            const SheetCell& cell = rows[r].cells[i];
            const ActionFrame& frame = cell.action->frames[cell.frame];
            FrameLayers layers;
            formFrameLayers(layers, frame, cell.direction, cell.look);
            ImageRecord canvas = emptyFrameCanvas();
            (void)composeLayers(archive, canvas, layers, PaintConditions::of(cell.look),
                                (cell.direction + frame.directionOffset) % kDirections, 0);
            const RgbaPicture picture = uprightFromTexture(kFrameSize, kFrameSize, canvas.pixels);
            const int left = cellX(rows[r], i);
            for (int y = 0; y < cellSize; ++y)
                for (int x = 0; x < cellSize; ++x) {
                    const std::uint8_t* source =
                        &picture.rgba[(std::size_t(y / scale) * kFrameSize + std::size_t(x / scale)) * 4];
                    std::uint8_t* target =
                        &sheet.rgba[(std::size_t(top + y) * std::size_t(width) + std::size_t(left + x)) * 4];
                    const unsigned alpha = source[3];
                    for (int c = 0; c < 3; ++c)
                        target[c] = static_cast<std::uint8_t>(
                            (source[c] * alpha + kCellGround[static_cast<std::size_t>(c)] * (255 - alpha)) / 255);
                }
        }
    }
    return sheet;
}

namespace {

// A comma-separated list of numbers, each read as `what`.
template <typename Number>
std::vector<Number> numberList(const std::string& text, const char* what) {
    std::vector<Number> numbers;
    std::stringstream list(text);
    for (std::string number; std::getline(list, number, ',');) numbers.push_back(parseArgument<Number>(number, what));
    return numbers;
}

}  // namespace

int sheetCommand(const Arguments& arguments, std::ostream& out, std::ostream&) {
    constexpr const char* kUsage =
        "sheet DIR -o OUT.png [--show all|actions|wardrobe] [--actions all|ID,ID...] [--directions D,D...] "
        "[--per-row N] [--scale S]";
    ParsedArguments parsed =
        parseArguments(arguments, {"-o", "--show", "--actions", "--directions", "--per-row", "--scale"});
    expectCount(parsed, 1, 1, kUsage);
    if (!parsed.options.contains("-o"))
        throw ToolError(std::string("-o OUT.png is required; usage: likenex-data ") + kUsage);
    std::optional<std::vector<std::uint16_t>> actions;
    if (parsed.options.contains("--actions") && parsed.options["--actions"] != "all") {
        actions = numberList<std::uint16_t>(parsed.options["--actions"], "an action ID");
        if (actions->empty()) throw ToolError("--actions needs \"all\" or a list of action IDs");
    }
    const std::string show = parsed.options.contains("--show") ? parsed.options["--show"] : "all";
    if (show != "all" && show != "actions" && show != "wardrobe")
        throw ToolError("--show takes all, actions or wardrobe");
    std::vector<int> directions = allDirections();
    if (parsed.options.contains("--directions")) {
        directions = numberList<int>(parsed.options["--directions"], "a direction");
        if (directions.empty() || std::any_of(directions.begin(), directions.end(), [](int d) { return d < 0 || d > 7; }))
            throw ToolError("--directions needs directions 0 to 7");
    }
    const int perRow =
        parsed.options.contains("--per-row") ? parseArgument<int>(parsed.options["--per-row"], "a count") : 2;
    if (perRow < 1 || perRow > 64) throw ToolError("--per-row must be 1 to 64");
    const int scale = parsed.options.contains("--scale") ? parseArgument<int>(parsed.options["--scale"], "a scale") : 1;
    if (scale < 1 || scale > 4) throw ToolError("--scale must be 1 to 4");

    const LoadedAvatarData data(parsed.positional[0]);
    const std::vector<SheetRow> rows =
        show == "wardrobe" ? planWardrobeSheet(data.catalogue, data.tables.skin.size(), directions, static_cast<std::size_t>(perRow))
        : show == "actions"
            ? planActionRows(data.catalogue, data.tables.skin.size(), actions, directions)
            : planContactSheet(data.catalogue, data.tables.colour.size(), data.tables.skin.size(), actions);
    const RgbaPicture sheet = drawContactSheet(rows, data.archive, scale);
    writePng(parsed.options["-o"], sheet);
    for (std::size_t r = 0; r < rows.size(); ++r) out << "row " << r << ": " << rows[r].legend << '\n';
    out << "sheet: " << sheet.width << " by " << sheet.height << " pixels, " << rows.size() << " rows\n";
    return 0;
}

}  // namespace likenex
