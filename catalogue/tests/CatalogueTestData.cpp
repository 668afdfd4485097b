#include "catalogue/tests/CatalogueTestData.h"

#include <gtest/gtest.h>

#include <atomic>
#include <unistd.h>

namespace likenex::testing {

CatalogueTables sampleCatalogue() {
    CatalogueTables t;
    t.layerOptions = {
        {1, 11, 1, {0xa1, 0xa2, 0xa3}, 101},
        {2, 12, 3, {0, 0, 0}, 102},
        {1, 13, 0, {1, 2, 3}, -103},
    };

    Action walk;
    walk.firstValue = 7;
    walk.flagByte = 0x81;
    walk.price = 4001;
    walk.lowHalfWord = 0xbeef;
    walk.identifier = 4020;
    for (int f = 0; f < 2; ++f) {
        ActionFrame frame;
        frame.duration = 120 + f;
        frame.directionOffset = f;
        frame.thirdValue = -9 - f;
        for (int v = 0; v < kBodyLayerCount; ++v)
            frame.layers[static_cast<std::size_t>(v)] = {v + 1000, v * 3 + f, v % 8, 5 * v - 20, -7 * v};
        for (int i = 0; i <= f; ++i) frame.images.push_back({12345 + i, 77, -3 - i, 40 + i, 0x80000005u >> i});
        walk.frames.push_back(frame);
    }
    Action still;  // no frames at all
    still.identifier = 4046;
    still.price = 0;
    t.actions = {walk, still};

    t.bodyParts = {
        {3, 44, 0x55, {9, 8, 7}, 12, 1200, 0x66, 0x77, 301},
        {8, -1, 0, {0, 0, 0}, 0, 501, 1, 2, 501},
    };
    t.items = {
        {-5, 6, 600, 1, 6001, 3001, 4001, 2, {4, 5, 6}, 6100, 0x31, 0x32, 6050},
        {0, 2, 200, 0, 0, 0, 0, 1, {0, 0, 0}, 0, 0, 0, 2001},
    };
    return t;
}

TempProgramDirectory::TempProgramDirectory() {
    static std::atomic<int> counter{0};
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("likenex-catalogue-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "data");
    path_ = dir.string();
}

TempProgramDirectory::~TempProgramDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace likenex::testing
