#pragma once
// Drives an avatar model over a catalogue and an archive read from one input (see
// AvatarArchiveFuzzInput.h): it wears what the catalogue offers, plays every action in every
// direction, runs the clock across the 32-bit tick wrap, draws and takes snapshots. The fuzz
// target runs it on every input and the model's tests on the inputs kept as fixtures; faults
// show as sanitizer reports or failed checks.

#include "avatar/AvatarModel.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "render/Painter.h"
#include "test_support/NullBackend.h"
#include "test_support/AvatarArchiveFuzzInput.h"
#include "test_support/FuzzCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace likenex::fuzzing {

namespace drive {

inline ColourTables colourTables() {
    ColourTables t;
    ColourSet set;
    for (std::size_t i = 0; i < set.colours.size(); ++i) set.colours[i] = {std::uint32_t(i * 40), 256, 0x1ff};
    std::vector<ColourSet> sets{set, ColourSet{}};
    auto bytes = encodeColourTable(sets);
    t.colour.parse(bytes);
    t.skin.parse(bytes);
    return t;
}

// Reads every pixel it is handed, so a short buffer shows; every texture is live. It is the
// back end of the painter the model and the archive's sprite loading are given.
class Backend final : public testing::NullBackend {
public:
    long createTexture(TextureHandle* handle, int width, int height, const void* pixels) override {
        check(width >= 0 && height >= 0, "texture of negative size");
        const auto* bytes = static_cast<const std::uint8_t*>(pixels);
        unsigned sum = 0;
        for (std::size_t i = 0; i < std::size_t(width) * std::size_t(height) * 4; ++i) sum += bytes[i];
        *handle = 1 + (sum & 0xff);
        return 0;
    }
    bool isTexture(const TextureHandle* handle) const override { return *handle != 0; }
    void drawTexture(const TextureHandle*, float, float, float, float, int left, int top, int right,
                     int bottom) override {
        check(left <= right && top <= bottom, "drawn rectangle turned inside out");
    }
    long textureErrorWhenStopped() const override { return -1; }
};

// The back end of one run and the painter over it.
class Installed {
public:
    Installed() { context_.backEnd = std::make_unique<Backend>(); }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;
    [[nodiscard]] Painter& painter() { return painter_; }

private:
    RenderContext context_;
    Painter painter_{context_};
};

struct Clock : AvatarClock {
    Tick time = 0;
    Tick now() const override { return time; }
};

struct Events : AvatarEvents {
    int ended = 0;
    void actionEnded(std::uint16_t, std::int64_t) override { ++ended; }
};

// Characters 7 pixels wide; glyphs 3 by 16.
struct Scene : AvatarScene {
    int textWidth(const std::u16string& text) override { return 7 * static_cast<int>(text.size()); }
    int textWidthOf(const std::u16string& text, int count) override {
        return 7 * std::clamp(count, 0, static_cast<int>(text.size()));
    }
    void drawText(Painter&, const std::u16string&, int, int, Colour) override {}
    void drawBubble(Painter&, int, int, int, bool, int) override {}
    void composeBubble(AvatarModel&, int, int, int, bool) override {}
    bool renderCharacter(char16_t, std::vector<std::uint8_t>& pixels, int& width, int& height, int& advance) override {
        width = 3, height = 16, advance = 4;
        pixels.assign(3 * 16 * 4, 200);
        return true;
    }
};

}  // namespace drive

inline void driveAvatarModel(std::span<const std::uint8_t> bytes) {
    AvatarModelInput input = splitAvatarModelInput(bytes);
    drive::Installed renderer;
    Painter& painter = renderer.painter();

    Catalogue catalogue;
    (void)catalogue.readCatalogueSection1(input.catalogue);
    (void)catalogue.readBodyParts(input.catalogue);
    (void)catalogue.readItems(input.catalogue);
    const ColourTables tables = drive::colourTables();
    AvatarArchive archive(tables);
    if (!archive.loadAvatarArchive(input.archive.index, std::move(input.archive.data))) return;

    SpriteCache cache;  // the archive is new on every run, so the cache is too
    // The shadow as start-up loads it.
    std::vector<std::uint8_t> shadowPixels;
    if (!archive.loadSpritePixels(kShadowKey, 0, -1, shadowPixels)) shadowPixels.clear();
    cache.setShadowPicture(archive.loadSpriteImage(painter, kShadowKey, 0, -1), shadowPixels);
    drive::Clock clock;
    clock.time = 0xFFFFFFFFu - 1000;  // the tick count wraps while the actions play
    drive::Events events;
    drive::Scene scene;
    auto model = std::make_unique<AvatarModel>(
        AvatarModelParts{&catalogue, &archive, &cache, &clock, &events, &scene, nullptr, &painter});

    const CatalogueTables& t = catalogue.tables();
    int worn = 0;
    for (const Item& item : t.items) {
        if (++worn > 16) break;
        model->wearItem(item.category, item.identifier, worn % 3 - 1);
    }
    for (const LayerOption& option : t.layerOptions)  // face layer 1 or 2 fills slot 7 or 8; others try slot 9
        model->setFaceOption(option.faceLayer == 1 || option.faceLayer == 2 ? 6 + option.faceLayer : 9,
                             option.optionNumber);
    for (const BodyPart& part : t.bodyParts) (void)model->chooseBodyPart(part.identifier);
    model->setSkin(static_cast<std::int32_t>(t.items.size() % 3) - 1);

    const std::u16string words = u"A bubble long enough for two lines, said while playing";
    int played = 0;
    for (const Action& action : t.actions) {
        if (++played > 4) break;
        for (int direction = 0; direction < 8; ++direction) {
            if (!model->playAction(action.identifier, direction, true)) continue;
            const auto frames = model->action()->frames.size();
            check(model->frameStore().pictures[0].size() == frames && model->frameStore().copies.size() == frames,
                  "one composed picture per frame");
            (void)model->playSpan(0, static_cast<int>(frames) - 1, direction % 2 == 0);
            (void)model->say(&words, 0, 5000);
            for (int step = 0; step < 2; ++step) {
                model->drawAvatar(painter, direction * 40 - 100, 300 - direction * 40);
                (void)model->advanceClock();
                (void)model->takeSnapshot();
                check(model->snapshot().size() == std::size_t{kSnapshotSize} * kSnapshotSize * 4, "snapshot size");
                clock.time += 397;
            }
        }
        model->turn(-1);
        model->stopPlayback(played % 2 == 0);
    }

    auto record = std::make_shared<AvatarRecord>();
    record->standingAction = t.actions.empty() ? kStandingAction : t.actions.front().identifier;
    record->direction = static_cast<std::int32_t>(t.items.size() % 11);  // sometimes outside 0..7
    record->replaceStanding = t.bodyParts.size() % 2 == 1;
    record->costume = t.layerOptions.size() % 2 == 1;
    record->mode = 1;
    for (std::size_t s = 0; s < t.items.size() && s < 7; ++s)
        record->items[s] = {t.items[s].identifier, static_cast<std::int32_t>(s % 3) - 1, true};
    model->setRecord(record);
    model->loadFromRecord(t.items.size() % 2 == 0);
    model->drawAvatar(painter, 0, 0);
    (void)model->takeSnapshot();
    model->replay(3);
    model->clearFrameStore();
}

}  // namespace likenex::fuzzing
