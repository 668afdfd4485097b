// What drawing one full-frame sprite into the avatar canvas costs per pixel (recoloured,
// blended and plainly copied), against a plain copy loop over the same bytes, and how long
// the start-up index load of a large archive takes.
#include "catalogue/ArchiveIndex.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/ColourTable.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using likenex::ArchiveEntry;
using likenex::kFrameSize;

constexpr std::int64_t kPixels = std::int64_t{kFrameSize} * kFrameSize;
constexpr std::int64_t kRecolouredKey = 1, kBlendedKey = 2, kOpaqueKey = 3;
constexpr std::size_t kIndexEntries = 100000;

// Reports the (CPU) time per canvas pixel beside the time per call, e.g. "0.4ns".
void countPixels(benchmark::State& state) {
    state.counters["per_pixel"] = benchmark::Counter(
        static_cast<double>(kPixels), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

likenex::SpriteSource fullFrame(std::int64_t key, int kind) {
    likenex::SpriteSource s;
    s.key = key;
    s.width = s.height = kFrameSize;
    for (std::int64_t i = 0; i < kPixels; ++i) {
        auto v = [&](int k) { return static_cast<std::uint8_t>((i * k + 13) % 256); };
        if (kind == 0) {  // half key greys, half other colours, alpha never 0
            std::uint8_t grey = likenex::keyGreys[static_cast<std::size_t>(i % 6)];
            if (i % 2 == 0) s.pixels.insert(s.pixels.end(), {grey, grey, grey, static_cast<std::uint8_t>(1 + i % 255)});
            else s.pixels.insert(s.pixels.end(), {v(7), v(11), v(29), static_cast<std::uint8_t>(1 + i % 255)});
        } else if (kind == 1) {  // partial alpha throughout
            s.pixels.insert(s.pixels.end(), {v(7), v(11), v(29), static_cast<std::uint8_t>(1 + i % 254)});
        } else {
            s.pixels.insert(s.pixels.end(), {v(7), v(11), v(29), 255});
        }
    }
    return s;
}

struct Fixture {
    likenex::ColourTables tables;
    likenex::AvatarArchive archive{tables};
    likenex::ImageRecord canvas;

    Fixture() {
        likenex::ColourSet set;
        for (std::uint32_t j = 0; j < 6; ++j) set.colours[j] = {10 + j, 20 + j, 30 + j};
        std::vector<likenex::ColourSet> sets{set};
        tables.colour.parse(likenex::encodeColourTable(sets));
        std::vector<likenex::SpriteSource> sprites{fullFrame(kRecolouredKey, 0), fullFrame(kBlendedKey, 1),
                                                   fullFrame(kOpaqueKey, 2)};
        auto files = likenex::encodeAvatarArchive(sprites);
        if (!files || !archive.loadAvatarArchive(files->index, std::move(files->data))) std::abort();
        canvas.width = canvas.height = kFrameSize;
        canvas.pixels.resize(static_cast<std::size_t>(kPixels) * 4);
        for (std::size_t i = 0; i < canvas.pixels.size(); ++i)
            canvas.pixels[i] = i % 4 == 3 ? 255 : static_cast<std::uint8_t>(i * 31);
    }
};

void composite(benchmark::State& state, std::int64_t key, std::int32_t colourId) {
    Fixture f;
    for (auto _ : state) {
        if (!f.archive.compositeSprite(f.canvas, key, 0, colourId)) state.SkipWithError("composite failed");
        benchmark::DoNotOptimize(f.canvas.pixels.data());
        benchmark::ClobberMemory();
    }
    countPixels(state);
}

void compositeRecoloured(benchmark::State& state) { composite(state, kRecolouredKey, 0); }
void compositeBlended(benchmark::State& state) { composite(state, kBlendedKey, -1); }
void compositeCopied(benchmark::State& state) { composite(state, kOpaqueKey, -1); }
BENCHMARK(compositeRecoloured);
BENCHMARK(compositeBlended);
BENCHMARK(compositeCopied);

// The yardstick: a vectorisable loop copying the canvas's bytes (not memcpy, which is slow
// for this block size on the project's machines).
void plainCopy(benchmark::State& state) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kPixels) * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 31);
    std::vector<std::uint8_t> copy(pixels.size());
    for (auto _ : state) {
        const std::uint8_t* src = pixels.data();
        std::uint8_t* dst = copy.data();
        for (std::size_t i = 0; i < pixels.size(); ++i) dst[i] = src[i];
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    countPixels(state);
}
BENCHMARK(plainCopy);

// Keys spread over the signed range and in no order, as a real index may hold them.
std::vector<std::uint8_t> bigIndex() {
    std::vector<std::pair<std::int64_t, ArchiveEntry>> entries;
    entries.reserve(kIndexEntries);
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    for (std::size_t i = 0; i < kIndexEntries; ++i) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        entries.push_back({static_cast<std::int64_t>(state), ArchiveEntry{static_cast<std::uint32_t>(i), 24}});
    }
    return likenex::encodeArchiveIndex<std::int64_t>(entries);
}

void parseIndex100k(benchmark::State& state) {
    std::vector<std::uint8_t> bytes = bigIndex();
    for (auto _ : state) {
        likenex::ArchiveIndex<std::int64_t> index;
        if (!likenex::parseArchiveIndex<std::int64_t>(bytes, index)) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(index.size());
    }
}
BENCHMARK(parseIndex100k)->Unit(benchmark::kMillisecond);

// The whole start-up step: reading avatar.inx from disk and mapping avatar.iso.
void loadArchive100k(benchmark::State& state) {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("likenex-bench-" +
         std::to_string(std::hash<std::string>{}(std::filesystem::current_path().string() + __TIME__)));
    likenex::PackedArchiveFiles files{bigIndex(), std::vector<std::uint8_t>(24, 0)};
    if (!likenex::writePackedArchive(dir.string(), "data/avatar.inx", "data/avatar.iso", files)) {
        state.SkipWithError("cannot write the archive");
        return;
    }
    likenex::ColourTables tables;
    for (auto _ : state) {
        likenex::AvatarArchive archive(tables);
        if (!archive.loadAvatarArchive(dir.string())) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(archive.index().size());
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}
BENCHMARK(loadArchive100k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
