// The reader's framing fed the way a socket feeds it: each receive takes at most what the
// reader asks for, in chunks of a chosen size, followed by the peer's close or failed reads.
#include "net/FrameReader.h"
#include "net/ReplyQueue.h"
#include "net/ReplyRoute.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace likenex {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A frame whose length word says `length`, of type `type`, with a body of counting bytes;
// `size` bytes are written in all (the length word's own claim unless given).
Bytes frameBytes(std::size_t length, std::int32_t type = 260, std::size_t size = 0) {
    if (size == 0) size = length;
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    if (size > 0) bytes[0] = static_cast<std::uint8_t>(length);
    if (size > 1) bytes[1] = static_cast<std::uint8_t>(length >> 8);
    for (std::size_t i = 0; i < 4 && 2 + i < size; ++i)
        bytes[2 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(type) >> (8 * i));
    return bytes;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct Outcome {
    std::vector<Bytes> frames;
    bool ended = false;
};

// Receives all of `stream` in receives of at most `chunk` bytes; the peer then closes when
// `close` is set.
Outcome feed(FrameReader& reader, const Bytes& stream, std::size_t chunk, bool close = true) {
    Outcome outcome;
    std::size_t at = 0;
    while (at < stream.size() && !outcome.ended) {
        auto space = reader.receiveSpace();
        EXPECT_FALSE(space.empty());
        std::size_t count = std::min({space.size(), chunk, stream.size() - at});
        std::memcpy(space.data(), stream.data() + at, count);
        at += count;
        FrameReader::Step step = reader.received(count);
        if (step == FrameReader::Step::Frame) outcome.frames.emplace_back(reader.frame().begin(), reader.frame().end());
        outcome.ended = step == FrameReader::Step::End;
    }
    if (close && !outcome.ended) outcome.ended = reader.closed() == FrameReader::Step::End;
    return outcome;
}

Outcome feed(const Bytes& stream, std::size_t chunk = 4096) {
    FrameReader reader;
    return feed(reader, stream, chunk);
}

TEST(FrameReader, FramesFromSixToFourThousandNinetySixBytesComeOutWhole) {
    for (std::size_t chunk : {std::size_t{1}, std::size_t{5}, std::size_t{4096}}) {
        Bytes smallest = frameBytes(6), largest = frameBytes(4096), odd = frameBytes(300);
        Outcome outcome = feed(concat({smallest, largest, odd}), chunk);
        ASSERT_EQ(outcome.frames.size(), 3u) << "chunk " << chunk;
        EXPECT_EQ(outcome.frames[0], smallest);
        EXPECT_EQ(outcome.frames[1], largest);
        EXPECT_EQ(outcome.frames[2], odd);
        EXPECT_TRUE(outcome.ended);
    }
}

TEST(FrameReader, ALengthAboveTheBufferIsAbandonedAndTheNextUnreadBytesAreANewLengthWord) {
    Bytes valid = frameBytes(20, 258);
    for (std::size_t tooLong : {std::size_t{4097}, std::size_t{0xFFFF}}) {
        Bytes lengthWord = {static_cast<std::uint8_t>(tooLong), static_cast<std::uint8_t>(tooLong >> 8)};
        for (std::size_t chunk : {std::size_t{1}, std::size_t{4096}}) {
            Outcome outcome = feed(concat({lengthWord, valid}), chunk);
            ASSERT_EQ(outcome.frames.size(), 1u) << tooLong << " chunk " << chunk;
            EXPECT_EQ(outcome.frames[0], valid);
        }
    }
}

TEST(FrameReader, ALengthBelowTheHeaderIsDroppedWithTheBytesItCovers) {
    Bytes valid = frameBytes(9, 262);
    Outcome outcome = feed(concat({{0, 0}, {1, 0}, {2, 0}, {5, 0, 0xAA, 0xBB, 0xCC}, valid}));
    ASSERT_EQ(outcome.frames.size(), 1u);
    EXPECT_EQ(outcome.frames[0], valid);
}

TEST(FrameReader, ThePeersCloseEndsTheConnectionAndDropsAPartialFrame) {
    FrameReader reader;
    Bytes partial = frameBytes(100);
    partial.resize(50);
    Outcome outcome = feed(reader, partial, 4096);
    EXPECT_TRUE(outcome.frames.empty());
    EXPECT_TRUE(outcome.ended);
    EXPECT_TRUE(reader.receiveSpace().empty());
    EXPECT_EQ(reader.received(1), FrameReader::Step::End);
}

TEST(FrameReader, FourFailedReceivesInARowEndTheConnectionAndASuccessResetsTheCount) {
    const int wouldBlock = 10035;
    FrameReader reader;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(reader.failed(wouldBlock), FrameReader::Step::Continue);
    Outcome outcome = feed(reader, frameBytes(8), 3, false);
    EXPECT_EQ(outcome.frames.size(), 1u);
    EXPECT_EQ(reader.failedReceives(), 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(reader.failed(wouldBlock), FrameReader::Step::Continue);
    EXPECT_EQ(reader.failed(wouldBlock), FrameReader::Step::End);
    EXPECT_TRUE(reader.receiveSpace().empty());
}

TEST(FrameReader, AnOrdinaryFailureDropsThePartialFrameAndReadingStartsAgain) {
    FrameReader reader;
    Bytes first = frameBytes(40, 258), second = frameBytes(12, 260);
    Outcome before = feed(reader, Bytes(first.begin(), first.begin() + 10), 4096, false);
    EXPECT_TRUE(before.frames.empty());
    EXPECT_EQ(reader.failed(10035), FrameReader::Step::Continue);
    Outcome after = feed(reader, second, 4096);
    ASSERT_EQ(after.frames.size(), 1u);
    EXPECT_EQ(after.frames[0], second);
}

TEST(FrameReader, InterruptedResetAndStoppedWinSockEndTheConnectionAtOnce) {
    for (int code : {10004, 10054, 10093}) {
        FrameReader reader;
        EXPECT_EQ(reader.failed(code), FrameReader::Step::End) << code;
    }
}

TEST(FrameReader, AReceiveLargerThanAskedForCountsAsAFailure) {
    FrameReader reader;
    EXPECT_EQ(reader.receiveSpace().size(), 2u);
    EXPECT_EQ(reader.received(3), FrameReader::Step::Continue);
    EXPECT_EQ(reader.failedReceives(), 1);
    EXPECT_EQ(reader.received(0), FrameReader::Step::Continue);
    EXPECT_EQ(reader.failedReceives(), 2);
}

TEST(ReplyQueue, RepliesAreTakenNewestFirst) {
    ReplyQueue queue;
    EXPECT_FALSE(queue.takeNewest());
    Bytes older = frameBytes(10, 258), newer = frameBytes(11, 260);
    queue.push(older);
    queue.push(newer);
    EXPECT_EQ(queue.takeNewest(), newer);
    EXPECT_EQ(queue.takeNewest(), older);
    EXPECT_FALSE(queue.takeNewest());
}

TEST(ReplyRoute, OnlyTheThreeReplyTypesReachTheMainWindow) {
    EXPECT_EQ(replyWindowMessage(frameBytes(7, 258)), WM_SAVE_REPLY);
    EXPECT_EQ(replyWindowMessage(frameBytes(18, 260)), WM_VERSION_REPLY);
    EXPECT_EQ(replyWindowMessage(frameBytes(7, 262)), WM_AVATAR_REPLY);
    for (std::int32_t type : {0, 257, 259, 261, 263, 258 + 0x10000, -258})
        EXPECT_FALSE(replyWindowMessage(frameBytes(6, type))) << type;
    EXPECT_FALSE(replyWindowMessage(Bytes{6, 0, 2, 1}));
}

}  // namespace
}  // namespace likenex
