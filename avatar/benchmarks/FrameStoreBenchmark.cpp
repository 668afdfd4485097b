// What rebuilding the frame store costs for the default figure fully dressed: one
// `playAction` of the 16-frame dance (both variants of every frame, hit masks, copies),
// reported per call and per frame, beside a plain copy of the same canvases; and how much
// memory the frame store holds. Needs the default data set in the build's program directory.
#include "avatar/AvatarModel.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/AvatarData.h"
#include "catalogue/Catalogue.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

using namespace likenex;

constexpr std::uint16_t kDance = 1003;

struct Loaded {
    Catalogue catalogue;
    ColourTables tables;
    std::unique_ptr<AvatarArchive> archive = std::make_unique<AvatarArchive>(tables);
    SpriteCache cache;
    bool ok = false;
    Loaded() { ok = loadAvatarData(catalogue, *archive, tables, LIKENEX_PROGRAM_DIR); }
};

std::unique_ptr<AvatarModel> dressedModel(Loaded& d) {
    auto model = std::make_unique<AvatarModel>(
        AvatarModelParts{&d.catalogue, d.archive.get(), &d.cache, nullptr, nullptr, nullptr});
    model->wearItem(1, 125, 40);  // twin tails
    model->wearItem(2, 203, 32);  // hoodie
    model->wearItem(3, 301, 31);  // jeans
    model->wearItem(4, 405, 9);   // high-tops
    model->setFaceOption(7, 3);
    model->setFaceOption(8, 2);
    model->setSkin(4);
    (void)model->chooseBodyPart(11);
    (void)model->chooseBodyPart(22);
    return model;
}

void BM_PlayActionSixteenFrames(benchmark::State& state) {
    // Loaded on every run, outside the timed loop.
    Loaded data;
    if (!data.ok) {
        state.SkipWithError("no default data set in " LIKENEX_PROGRAM_DIR);
        return;
    }
    auto model = dressedModel(data);
    int direction = 0;
    for (auto _ : state) {
        if (!model->playAction(kDance, direction, true)) state.SkipWithError("the dance did not play");
        direction = (direction + 1) % 8;
    }
    const auto& store = model->frameStore();
    const double frames = static_cast<double>(store.pictures[0].size());
    state.counters["per_frame"] =
        benchmark::Counter(frames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    std::size_t bytes = 0;
    for (const auto& mask : store.hitMasks) bytes += mask.size();
    for (const auto& copy : store.copies) bytes += copy.size();
    state.counters["store_KiB"] = static_cast<double>(bytes) / 1024.0;
    // Both pictures of every frame live as textures too, 64 KiB each.
    state.counters["texture_KiB"] = frames * 2 * 64;
}
BENCHMARK(BM_PlayActionSixteenFrames)->Unit(benchmark::kMillisecond);

// The same number of canvases (two per frame) copied with a plain vectorised loop.
void BM_CopySameCanvases(benchmark::State& state) {
    constexpr std::size_t kCanvas = std::size_t{kFrameSize} * kFrameSize * 4;
    std::vector<std::uint8_t> source(kCanvas, 7);
    std::vector<std::vector<std::uint8_t>> targets(32, std::vector<std::uint8_t>(kCanvas));
    for (auto _ : state) {
        for (auto& target : targets) {
            std::uint8_t* __restrict t = target.data();
            const std::uint8_t* __restrict s = source.data();
            for (std::size_t i = 0; i < kCanvas; ++i) t[i] = s[i];
        }
        benchmark::ClobberMemory();
    }
    state.counters["per_frame"] =
        benchmark::Counter(16, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CopySameCanvases)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
