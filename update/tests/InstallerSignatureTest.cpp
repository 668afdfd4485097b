#include "update/InstallerSignature.h"

#include <gtest/gtest.h>

#include <vector>

namespace likenex::update {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes integer(const Bytes& value) {
    Bytes out{0x02, static_cast<std::uint8_t>(value.size())};
    out.insert(out.end(), value.begin(), value.end());
    return out;
}

Bytes sequence(const Bytes& contents) {
    Bytes out{0x30, static_cast<std::uint8_t>(contents.size())};
    out.insert(out.end(), contents.begin(), contents.end());
    return out;
}

Bytes join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// r with its top bit set (so DER puts a zero byte before it), s one byte short of full.
Bytes rValue() {
    Bytes r(32);
    for (std::size_t i = 0; i < r.size(); ++i) r[i] = static_cast<std::uint8_t>(0xF0 - i);
    return r;
}
Bytes sValue() {
    Bytes s(31);
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::uint8_t>(0x11 + i);
    return s;
}
Bytes typical() { return sequence(join(integer(join({0x00}, rValue())), integer(sValue()))); }

TEST(InstallerSignatureTest, DerSequenceOfTwoIntegersBecomesRAndSRightAligned) {
    const auto raw = rawSignatureFromDer(typical());
    ASSERT_TRUE(raw);
    const Bytes r = rValue(), s = sValue();
    EXPECT_TRUE(std::equal(r.begin(), r.end(), raw->begin()));
    EXPECT_EQ((*raw)[32], 0);  // s is padded on the left
    EXPECT_TRUE(std::equal(s.begin(), s.end(), raw->begin() + 33));

    // Small values are legal too (a one-byte r).
    const auto small = rawSignatureFromDer(sequence(join(integer({0x05}), integer({0x7F}))));
    ASSERT_TRUE(small);
    EXPECT_EQ((*small)[31], 0x05);
    EXPECT_EQ((*small)[63], 0x7F);
}

TEST(InstallerSignatureTest, EveryCutOrExtendedSignatureIsRefused) {
    const Bytes good = typical();
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(rawSignatureFromDer(std::span(good.data(), size))) << size;
    EXPECT_FALSE(rawSignatureFromDer(join(good, {0x00})));  // a byte after the sequence
    // A third integer inside the sequence.
    EXPECT_FALSE(rawSignatureFromDer(sequence(join(join(integer({1}), integer({2})), integer({3})))));
}

TEST(InstallerSignatureTest, MalformedIntegersAreRefused) {
    const Bytes s = integer({0x01});
    const Bytes good = typical();
    const Bytes cases[] = {
        sequence(join(integer({}), s)),                                     // empty integer
        sequence(join(integer({0x80}), s)),                                 // negative
        sequence(join(integer({0x00, 0x05}), s)),                           // not minimal
        sequence(join(integer(Bytes(33, 0x7F)), s)),                        // 33 bytes of value
        sequence(join(integer(join({0x00}, Bytes(33, 0x80))), s)),          // too long after the zero
        sequence(join(Bytes{0x04, 0x01, 0x01}, s)),                         // an octet string, not an integer
        join(Bytes{0x31}, Bytes(good.begin() + 1, good.end())),             // a set, not a sequence
        Bytes{0x30, 0x80, 0x02, 0x01, 0x01, 0x02, 0x01, 0x01, 0x00, 0x00},  // indefinite length
        Bytes{0x30, 0x81, 0x06, 0x02, 0x01, 0x01, 0x02, 0x01, 0x01},        // long form for a short length
        Bytes{0x30, 0x82, 0x00, 0x06, 0x02, 0x01, 0x01, 0x02, 0x01, 0x01},  // two length bytes
    };
    for (const Bytes& bad : cases) EXPECT_FALSE(rawSignatureFromDer(bad)) << ::testing::PrintToString(bad);
    EXPECT_FALSE(rawSignatureFromDer(Bytes(kMaxSignatureDer + 1, 0x30)));
}

TEST(InstallerSignatureTest, SignatureIsPublishedBesideTheInstaller) {
    EXPECT_EQ(signatureName("3.exe"), "3.exe.sig");
    EXPECT_EQ(signatureName("fullup.exe"), "fullup.exe.sig");
}

}  // namespace
}  // namespace likenex::update
