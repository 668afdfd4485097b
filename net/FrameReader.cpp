#include "net/FrameReader.h"

#include <algorithm>

namespace likenex {

namespace {
constexpr std::size_t kLengthWordSize = 2;
}

void FrameReader::restart() {
    buffer_.fill(0);
    held_ = 0;
    wanted_ = kLengthWordSize;
    lengthKnown_ = false;
}

FrameReader::Step FrameReader::end() {
    ended_ = true;
    frame_.clear();
    return Step::End;
}

std::span<std::uint8_t> FrameReader::receiveSpace() {
    if (ended_) return {};
    return std::span<std::uint8_t>(buffer_).subspan(held_, wanted_);
}

FrameReader::Step FrameReader::received(std::size_t count) {
    if (ended_) return Step::End;
    if (count == 0 || count > wanted_) return failed(0);
    frame_.clear();
    failedReceives_ = 0;
    held_ += count;
    wanted_ -= count;
    if (!lengthKnown_) {
        if (held_ < kLengthWordSize) return Step::Continue;
        lengthKnown_ = true;
        std::size_t length = buffer_[0] | static_cast<std::size_t>(buffer_[1]) << 8;
        if (length > kMaxMessageLength) {
            restart();
            return Step::Continue;
        }
        // A length word below 2 covers only itself.
        wanted_ = std::max(length, kLengthWordSize) - kLengthWordSize;
    }
    if (wanted_ > 0) return Step::Continue;
    std::size_t length = held_;
    if (length < kMinMessageLength) {
        restart();
        return Step::Continue;
    }
    frame_.assign(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(length));
    restart();
    return Step::Frame;
}

FrameReader::Step FrameReader::closed() {
    if (ended_) return Step::End;
    return end();
}

FrameReader::Step FrameReader::failed(int errorCode) {
    if (ended_) return Step::End;
    frame_.clear();
    if (++failedReceives_ > kMaxFailedReceives) return end();
    if (errorCode == kSocketErrorInterrupted || errorCode == kSocketErrorConnectionReset ||
        errorCode == kSocketErrorNotInitialised)
        return end();
    restart();
    return Step::Continue;
}

}  // namespace likenex
