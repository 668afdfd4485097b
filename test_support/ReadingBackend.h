#pragma once
// A back end for fuzz targets: it reads every pixel it is handed, so that a short buffer shows
// under the sanitizers, keeps the set of live textures, and can refuse a texture now and then
// as a lost device does. It draws nothing.

#include "render/Painter.h"
#include "test_support/NullBackend.h"
#include "test_support/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>

namespace likenex::fuzzing {

class ReadingBackend final : public testing::NullBackend {
public:
    // Refuses a texture whose pixel sum leaves 3 when divided by 7, when asked to.
    explicit ReadingBackend(bool refusesSometimes) : refusesSometimes_(refusesSometimes) {}

    std::set<TextureHandle> live;

    long createTexture(TextureHandle* handle, int width, int height, const void* pixels) override {
        check(width >= 0 && height >= 0, "texture of negative size");
        const auto* bytes = static_cast<const std::uint8_t*>(pixels);
        unsigned sum = 0;
        for (std::size_t i = 0; i < std::size_t(width) * std::size_t(height) * 4; ++i) sum += bytes[i];
        if (refusesSometimes_ && sum % 7 == 3) return 1;
        *handle = next_++;
        live.insert(*handle);
        return 0;
    }
    void releaseTexture(TextureHandle* handle) override {
        check(live.erase(*handle) == 1, "release of an unknown texture");
        *handle = 0;
    }
    bool isTexture(const TextureHandle* handle) const override { return live.count(*handle) != 0; }

private:
    bool refusesSometimes_;
    TextureHandle next_ = 1;
};

// A context running a reading back end and a painter over it, for one fuzz run.
struct ReadingRenderer {
    explicit ReadingRenderer(bool refusesSometimes) {
        auto backEnd = std::make_unique<ReadingBackend>(refusesSometimes);
        reading = backEnd.get();
        context.backEnd = std::move(backEnd);
    }
    RenderContext context;
    ReadingBackend* reading = nullptr;
    Painter painter{context};
};

}  // namespace likenex::fuzzing
