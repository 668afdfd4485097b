#pragma once
// Cuts the byte stream of a server connection into frames. The reader thread asks where its
// next receive goes (receiveSpace), receives at most that many bytes there, and reports the
// outcome: a count of bytes, the peer's close, or a failed receive with its error code. A
// complete frame of 6 to 4096 bytes is then handed out whole.
//
// Nothing from the wire is trusted: a length word above 4096 abandons the frame at once, and
// reading starts again with a new length word at the next unread byte (the protocol has no
// marker to resynchronise on); a length word below 6 is dropped once the bytes it covers have
// been read. The length is read only once both of its bytes are held, so a peer that sends
// one byte at a time is read correctly.
//
// The connection ends on the peer's close, on a fatal error code, or on the fourth failed
// receive in a row (a successful receive resets that count); any other failure drops the
// partial frame and starts again.

#include "net/ProtocolMessage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace likenex {

// WinSock's codes for an interrupted call, a reset connection and a stopped WinSock: the
// connection cannot recover from these.
inline constexpr int kSocketErrorInterrupted = 10004;
inline constexpr int kSocketErrorConnectionReset = 10054;
inline constexpr int kSocketErrorNotInitialised = 10093;
// Failed receives in a row that end the connection whatever their code.
inline constexpr int kMaxFailedReceives = 3;

class FrameReader {
public:
    enum class Step {
        Continue,  // receive again
        Frame,     // frame() holds a complete frame; receive again afterwards
        End,       // the connection is over
    };

    FrameReader() { restart(); }

    // Where the next receive writes, and at most how many bytes it may take; never empty
    // while the connection is not over.
    [[nodiscard]] std::span<std::uint8_t> receiveSpace();

    // `count` bytes (1 to receiveSpace().size()) were written into receiveSpace(). A count
    // outside that range is refused as a failed receive would be.
    [[nodiscard]] Step received(std::size_t count);
    // The peer closed the connection.
    [[nodiscard]] Step closed();
    // A receive failed with this error code.
    [[nodiscard]] Step failed(int errorCode);

    // The last complete frame, header included; valid until the next call.
    [[nodiscard]] std::span<const std::uint8_t> frame() const { return frame_; }
    [[nodiscard]] int failedReceives() const { return failedReceives_; }

private:
    void restart();
    Step end();

    std::array<std::uint8_t, kMaxMessageLength> buffer_{};
    std::size_t held_ = 0;
    std::size_t wanted_ = 0;
    bool lengthKnown_ = false;
    bool ended_ = false;
    int failedReceives_ = 0;
    std::vector<std::uint8_t> frame_;
};

}  // namespace likenex
