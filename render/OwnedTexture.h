#pragma once
// One renderer texture with an owner: released when the owner is destroyed or given another.
// Release these before the renderer stops.

#include "render/ImageRecord.h"

#include <utility>

namespace likenex {

class OwnedTexture {
public:
    OwnedTexture() = default;
    explicit OwnedTexture(TextureHandle handle) : handle_(handle) {}
    OwnedTexture(const OwnedTexture&) = delete;
    OwnedTexture& operator=(const OwnedTexture&) = delete;
    OwnedTexture(OwnedTexture&& other) noexcept : handle_(std::exchange(other.handle_, 0)) {}
    OwnedTexture& operator=(OwnedTexture&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, 0);
        }
        return *this;
    }
    ~OwnedTexture() { reset(); }

    void reset() {
        if (handle_) dropTexture(handle_);
    }
    [[nodiscard]] TextureHandle get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }

private:
    TextureHandle handle_ = 0;
};

}  // namespace likenex
