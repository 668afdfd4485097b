#pragma once
// One renderer texture with an owner: released through the painter that made it when the
// owner is destroyed or given another. Release these before the renderer stops.

#include "render/ImageRecord.h"

#include <utility>

namespace likenex {

class OwnedTexture {
public:
    OwnedTexture() = default;
    OwnedTexture(Painter& painter, TextureHandle handle) : painter_(&painter), handle_(handle) {}
    OwnedTexture(const OwnedTexture&) = delete;
    OwnedTexture& operator=(const OwnedTexture&) = delete;
    OwnedTexture(OwnedTexture&& other) noexcept
        : painter_(std::exchange(other.painter_, nullptr)), handle_(std::exchange(other.handle_, 0)) {}
    OwnedTexture& operator=(OwnedTexture&& other) noexcept {
        if (this != &other) {
            reset();
            painter_ = std::exchange(other.painter_, nullptr);
            handle_ = std::exchange(other.handle_, 0);
        }
        return *this;
    }
    ~OwnedTexture() { reset(); }

    void reset() {
        if (handle_ && painter_) dropTexture(*painter_, handle_);
        handle_ = 0;
    }
    [[nodiscard]] TextureHandle get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }

private:
    Painter* painter_ = nullptr;
    TextureHandle handle_ = 0;
};

}  // namespace likenex
