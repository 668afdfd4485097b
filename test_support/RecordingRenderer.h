#pragma once
// A renderer operation table for tests of code that makes, checks, releases and draws
// textures: it keeps a copy of every texture's pixels and logs the calls it receives.
// Install it in SetUp and remove it in TearDown; one test uses it at a time.

#include "render/RenderOps.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace likenex::testing {

struct RecordedTexture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // as handed to createTexture
};

struct RecordingRenderer {
    std::map<TextureHandle, RecordedTexture> live;
    std::vector<std::string> calls;
    TextureHandle nextHandle = 1;
    int created = 0;
    int released = 0;
    bool failCreate = false;

    static RecordingRenderer& current() {
        static RecordingRenderer renderer;
        return renderer;
    }

    static void install() {
        current() = RecordingRenderer{};
        RenderOps ops;
        ops.createTexture = [](TextureHandle* handle, int width, int height, const void* pixels) -> long {
            RecordingRenderer& r = current();
            r.calls.push_back("create " + std::to_string(width) + "x" + std::to_string(height));
            if (r.failCreate || width <= 0 || height <= 0) return -1;
            RecordedTexture texture{width, height, {}};
            auto bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
            texture.pixels.resize(bytes);
            std::memcpy(texture.pixels.data(), pixels, bytes);
            *handle = r.nextHandle++;
            r.live[*handle] = std::move(texture);
            ++r.created;
            return 0;
        };
        ops.releaseTexture = [](TextureHandle* handle) {
            RecordingRenderer& r = current();
            r.calls.push_back("release " + std::to_string(*handle));
            if (r.live.erase(*handle)) ++r.released;
            *handle = 0;
        };
        ops.isTexture = [](const TextureHandle* handle) { return current().live.count(*handle) != 0; };
        ops.drawTexture = [](const TextureHandle* handle, float, float, float, float, int left, int top, int right,
                             int bottom) {
            current().calls.push_back("draw " + std::to_string(*handle) + " " + std::to_string(left) + "," +
                                      std::to_string(top) + "," + std::to_string(right) + "," + std::to_string(bottom));
        };
        renderOps() = ops;
    }

    static void uninstall() {
        renderOps() = RenderOps{};
        current() = RecordingRenderer{};
    }
};

}  // namespace likenex::testing
