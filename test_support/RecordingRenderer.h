#pragma once
// A back end for tests of code that makes, checks, releases and draws textures: it keeps a
// copy of every texture's pixels and logs the calls it receives. Install it in SetUp and
// remove it in TearDown; one test uses it at a time. Code under test gets painter(), which
// reaches it while it is installed and does nothing otherwise.

#include "render/Painter.h"
#include "test_support/NullBackend.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace likenex::testing {

struct RecordedTexture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // as handed to createTexture
};

class RecordingRenderer final : public NullBackend {
public:
    std::map<TextureHandle, RecordedTexture> live;
    std::vector<std::string> calls;
    TextureHandle nextHandle = 1;
    int created = 0;
    int released = 0;
    bool failCreate = false;
    // What a test wants to see of colours and filled rectangles; neither is logged otherwise.
    std::function<void(Colour)> onSetColour;
    std::function<void(int, int, int, int)> onFillRect;

    static RecordingRenderer& current() { return static_cast<RecordingRenderer&>(*installation().context.backEnd); }
    static Painter& painter() { return installation().painter; }

    static void install() { installation().context.backEnd = std::make_unique<RecordingRenderer>(); }
    static void uninstall() { installation().context.backEnd.reset(); }

    void setColour(const Colour& colour) override {
        if (onSetColour) onSetColour(colour);
    }
    void fillRect(int left, int top, int right, int bottom) override {
        if (onFillRect) onFillRect(left, top, right, bottom);
    }
    long createTexture(TextureHandle* handle, int width, int height, const void* pixels) override {
        calls.push_back("create " + std::to_string(width) + "x" + std::to_string(height));
        if (failCreate || width <= 0 || height <= 0) return -1;
        RecordedTexture texture{width, height, {}};
        auto bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
        texture.pixels.resize(bytes);
        std::memcpy(texture.pixels.data(), pixels, bytes);
        *handle = nextHandle++;
        live[*handle] = std::move(texture);
        ++created;
        return 0;
    }
    void releaseTexture(TextureHandle* handle) override {
        calls.push_back("release " + std::to_string(*handle));
        if (live.erase(*handle)) ++released;
        *handle = 0;
    }
    bool isTexture(const TextureHandle* handle) const override { return live.count(*handle) != 0; }
    void drawTexture(const TextureHandle* handle, float, float, float, float, int left, int top, int right,
                     int bottom) override {
        calls.push_back("draw " + std::to_string(*handle) + " " + std::to_string(left) + "," + std::to_string(top) +
                        "," + std::to_string(right) + "," + std::to_string(bottom));
    }

private:
    struct Installation {
        RenderContext context;
        Painter painter{context};
    };
    static Installation& installation() {
        static Installation in;
        return in;
    }
};

}  // namespace likenex::testing
