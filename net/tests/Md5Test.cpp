#include "net/Md5.h"
#include "net/PasswordDigest.h"

#include <gtest/gtest.h>

#include <string>

namespace likenex {
namespace {

TEST(Md5, RfcTestSuite) {
    EXPECT_EQ(md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

// Padding crosses into a second block at 56 bytes; updates split anywhere give one digest.
TEST(Md5, BlockEdgesAndSplitUpdates) {
    std::string text = std::string(64, 'a') + std::string(100, 'b');
    EXPECT_EQ(md5Hex(text), "f7aba4194ed9af11c12c67f440e41244");
    for (std::size_t split : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 127u, 164u}) {
        Md5 md5;
        md5.update(std::string_view(text).substr(0, split));
        md5.update(std::string_view(text).substr(split));
        auto digest = md5.finish();
        Md5 whole;
        whole.update(text);
        EXPECT_EQ(digest, whole.finish()) << split;
    }
    EXPECT_EQ(md5Hex(std::string(55, 'x')).size(), 32u);
    EXPECT_NE(md5Hex(std::string(55, 'x')), md5Hex(std::string(56, 'x')));
}

std::string latin1(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) bytes.push_back(unit < 256 ? static_cast<char>(unit) : '?');
    return bytes;
}

TEST(PasswordDigest, TypedPasswordsAreDigestedInTheCodePageWhateverTheirLength) {
    EXPECT_EQ(typedPasswordDigest(u"caf\u00e9", latin1), "961f50f6282239d09e48f812c1ca7276");
    EXPECT_EQ(typedPasswordDigest(std::u16string(30, u'a'), latin1), "59e794d45697b360e18ba972bada0123");
    EXPECT_EQ(typedPasswordDigest(u"", latin1), "d41d8cd98f00b204e9800998ecf8427e");
    // A long password never goes out as it was typed.
    EXPECT_EQ(typedPasswordDigest(std::u16string(31, u'b'), latin1), "e09e54e840273b002d8637a61952556e");
    EXPECT_EQ(typedPasswordDigest(std::u16string(33, u'c'), latin1), "962c755285bc202b915647a818fe262e");
}

TEST(PasswordDigest, TheLegacyFormPassesLongTextThroughCutToThirtyTwoBytes) {
    EXPECT_EQ(legacyPasswordDigest(std::u16string(30, u'a'), latin1), "59e794d45697b360e18ba972bada0123");
    EXPECT_EQ(legacyPasswordDigest(std::u16string(31, u'b'), latin1), std::string(31, 'b'));
    EXPECT_EQ(legacyPasswordDigest(std::u16string(33, u'c'), latin1), std::string(32, 'c'));
}

}  // namespace
}  // namespace likenex
