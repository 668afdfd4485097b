// What a window-region save costs besides the read-back itself: forcing alpha and building
// the BMP file for the whole 654 x 537 client area, against a plain copy of the same bytes.
#include "render/BmpFile.h"
#include "render/PixelRows.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int kWidth = 654;
constexpr int kHeight = 537;

std::vector<std::uint8_t> region() {
    std::vector<std::uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 31);
    return pixels;
}

void saveRegionEncoding(benchmark::State& state) {
    std::vector<std::uint8_t> pixels = region();
    for (auto _ : state) {
        likenex::makeOpaque(pixels);
        std::vector<std::uint8_t> file = likenex::encodeBmp32(kWidth, kHeight, pixels);
        benchmark::DoNotOptimize(file.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * pixels.size()));
}
BENCHMARK(saveRegionEncoding);

// The yardstick: a vectorisable loop copying the same bytes (not memcpy, which is slow for
// these block sizes on the project's machines).
void plainCopy(benchmark::State& state) {
    std::vector<std::uint8_t> pixels = region();
    std::vector<std::uint8_t> copy(pixels.size());
    for (auto _ : state) {
        const std::uint8_t* src = pixels.data();
        std::uint8_t* dst = copy.data();
        for (size_t i = 0; i < pixels.size(); ++i) dst[i] = src[i];
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * pixels.size()));
}
BENCHMARK(plainCopy);

}  // namespace

BENCHMARK_MAIN();
