// The avatar code: its size on the sample a chat line must hold, round trips over many random
// avatars, every truncation and mistyping refused, the limits the reader keeps, and codes made
// by this version, kept as text, opening in every later one.
#include "net/AvatarCode.h"

#include "base/Text.h"
#include "net/RandomAvatar.h"
#include "test_support/CatalogueBuilders.h"

#include <gtest/gtest.h>

#include <set>

namespace likenex {
namespace {

using testing::action;

// Actions 1001 (4 frames), 1006 (10), 1013 (8) and 1050 (60).
Catalogue actionsCatalogue() {
    CatalogueTables tables;
    tables.actions = {action(1001, 4), action(1006, 10), action(1013, 8), action(1050, 60)};
    Catalogue catalogue;
    EXPECT_TRUE(testing::readTables(catalogue, tables));
    return catalogue;
}

// Outfit 601 with a hat and shoes, eyes and mouth, skin 7, facing 3, a three-step script.
AvatarFields sample() {
    AvatarFields avatar;
    avatar.direction = 3;
    avatar.skin = 7;
    avatar.faceOption1 = 12;
    avatar.faceOption2 = 27;
    avatar.items[0] = {104, 17};
    avatar.items[1] = {601, 22};
    avatar.items[4] = {653, 3};
    avatar.script = {{1001, u"Hello!"}, {1013, u"Nice to meet you"}, {1006, u""}};
    return avatar;
}

// Any avatar a code can hold, with captions from every plane of Unicode.
AvatarFields anyAvatar(RandomSource& random) {
    AvatarFields avatar;
    avatar.direction = static_cast<std::uint8_t>(random.below(8));
    avatar.skin = static_cast<std::uint8_t>(random.below(256));
    auto number = [&] {
        switch (random.below(4)) {
        case 0: return 0;
        case 1: return static_cast<std::int32_t>(random.below(2000));
        case 2: return -static_cast<std::int32_t>(random.below(100));
        default: return static_cast<std::int32_t>(random.next());
        }
    };
    avatar.faceOption1 = number();
    avatar.faceOption2 = number();
    avatar.bodyPart = number();
    for (ItemPair& pair : avatar.items) {
        if (random.chance(30)) continue;
        pair.item = number();
        pair.colour = pair.item == 0 ? 255 : static_cast<std::uint8_t>(random.below(256));
    }
    const std::uint32_t steps = random.below(4);
    for (std::uint32_t i = 0; i < steps; ++i) {
        ScriptEntry entry;
        entry.action = random.chance(80) ? 1001 : number();
        const std::uint32_t length = random.below(20);
        for (std::uint32_t c = 0; c < length; ++c) {
            char32_t point = 0;
            switch (random.below(4)) {
            case 0: point = 0x20 + random.below(0x5f); break;
            case 1: point = 0x4e00 + random.below(0x5000); break;
            case 2: point = 0x1f300 + random.below(0x300); break;
            default: point = 0xe000 + random.below(0x1000); break;
            }
            text::appendUtf16(entry.caption, point);
        }
        avatar.script.push_back(std::move(entry));
    }
    return avatar;
}

TEST(AvatarCode, TheSampleFitsAChatLineInTheCodeAlphabet) {
    const AvatarCodeResult made = encodeAvatarCode(sample());
    ASSERT_EQ(made.refusal, CodeRefusal::none);
    EXPECT_LE(made.code.size(), 120u) << made.code;
    for (char c : made.code) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') << c;
    const DecodedAvatarCode read = decodeAvatarCode(made.code, actionsCatalogue());
    ASSERT_EQ(read.refusal, CodeRefusal::none) << describeRefusal(read.refusal);
    EXPECT_EQ(read.avatar, sample());
}

TEST(AvatarCode, RoundTripsTenThousandRandomAvatars) {
    const Catalogue catalogue = actionsCatalogue();
    RandomSource random(20261210);
    std::set<std::string> codes;
    for (int i = 0; i < 10000; ++i) {
        const AvatarFields avatar = anyAvatar(random);
        const AvatarCodeResult made = encodeAvatarCode(avatar);
        ASSERT_EQ(made.refusal, CodeRefusal::none) << i;
        const DecodedAvatarCode read = decodeAvatarCode(made.code, catalogue);
        ASSERT_EQ(read.refusal, CodeRefusal::none) << made.code << ": " << describeRefusal(read.refusal);
        ASSERT_EQ(read.avatar, avatar) << made.code;
        ASSERT_EQ(encodeAvatarCode(read.avatar).code, made.code);
        codes.insert(made.code);
    }
    EXPECT_GT(codes.size(), 9900u);  // different avatars make different codes
}

TEST(AvatarCode, EveryTruncationAndEveryMistypedCharacterIsRefused) {
    const Catalogue catalogue = actionsCatalogue();
    const std::string code = encodeAvatarCode(sample()).code;
    for (std::size_t length = 0; length < code.size(); ++length) {
        const DecodedAvatarCode read = decodeAvatarCode(code.substr(0, length), catalogue);
        EXPECT_NE(read.refusal, CodeRefusal::none) << length;
        // Cut inside the check itself, the rest may as well be a mistyped check.
        if (length > 0 && length % 4 != 1 && length + 4 <= code.size()) {
            EXPECT_EQ(read.refusal, CodeRefusal::cut) << length;
        }
    }
    // One character changed to any other of the alphabet, anywhere; and neighbours swapped.
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    for (std::size_t at = 0; at < code.size(); ++at) {
        for (char c : alphabet) {
            if (c == code[at]) continue;
            std::string typo = code;
            typo[at] = c;
            EXPECT_NE(decodeAvatarCode(typo, catalogue).refusal, CodeRefusal::none) << at << c;
        }
        if (at + 1 < code.size() && code[at] != code[at + 1]) {
            std::string swapped = code;
            std::swap(swapped[at], swapped[at + 1]);
            EXPECT_NE(decodeAvatarCode(swapped, catalogue).refusal, CodeRefusal::none) << at;
        }
    }
    // Zero bytes after a check leave a CRC unchanged; the reader still refuses what follows the
    // script.
    for (const char* tail : {"A", "AA", "AAA", "AAAA", "AAAAAAAA", "B"})
        EXPECT_NE(decodeAvatarCode(code + tail, catalogue).refusal, CodeRefusal::none) << tail;
}

TEST(AvatarCode, TextAroundACodeAndTextThatIsNoCode) {
    const Catalogue catalogue = actionsCatalogue();
    const std::string code = encodeAvatarCode(sample()).code;
    EXPECT_EQ(decodeAvatarCode("  " + code + "\r\n", catalogue).refusal, CodeRefusal::none);
    EXPECT_TRUE(looksLikeAvatarCode(" " + code + "\n"));
    EXPECT_EQ(decodeAvatarCode("", catalogue).refusal, CodeRefusal::empty);
    EXPECT_EQ(decodeAvatarCode(" \n", catalogue).refusal, CodeRefusal::empty);
    EXPECT_EQ(decodeAvatarCode("Hello there, friend", catalogue).refusal, CodeRefusal::badCharacter);
    EXPECT_EQ(decodeAvatarCode(code.substr(0, 10) + "+" + code.substr(11), catalogue).refusal,
              CodeRefusal::badCharacter);
    EXPECT_EQ(decodeAvatarCode(std::string(kLongestAvatarCode + 1, 'A'), catalogue).refusal, CodeRefusal::tooLong);
    EXPECT_FALSE(looksLikeAvatarCode("Hello there"));
    EXPECT_FALSE(looksLikeAvatarCode("avatar:edit:12"));
}

// Codes made by version 1, kept as their text: every later version must open them as they
// were made. Do not change these; add the codes of a new version beside them.
TEST(AvatarCode, CodesOfEarlierVersionsStillOpen) {
    const Catalogue catalogue = actionsCatalogue();
    struct Kept {
        const char* code;
        AvatarFields avatar;
    };
    AvatarFields plain;
    AvatarFields faced;
    faced.direction = 5;
    faced.faceOption1 = 3;
    faced.bodyPart = 501;
    faced.items[2] = {301, 255};
    faced.script = {{1050, u"\u4f60\u597d \U0001F600"}};
    const Kept kept[] = {{"AQAEAABnnQ", plain}, {"AS0EBNoE_wbqBwG0EAvkvaDlpb0g8J-YgLus", faced}};
    for (const Kept& k : kept) {
        const DecodedAvatarCode read = decodeAvatarCode(k.code, catalogue);
        ASSERT_EQ(read.refusal, CodeRefusal::none) << k.code << ": " << describeRefusal(read.refusal);
        EXPECT_EQ(read.avatar, k.avatar) << k.code;
        EXPECT_EQ(encodeAvatarCode(k.avatar).code, k.code);
    }
}

TEST(AvatarCode, LimitsOnWhatACodeMayHold) {
    const Catalogue catalogue = actionsCatalogue();
    AvatarFields avatar;
    // 60 + 60 frames play; one more frame does not.
    avatar.script = {{1050, u""}, {1050, u""}};
    EXPECT_EQ(decodeAvatarCode(encodeAvatarCode(avatar).code, catalogue).refusal, CodeRefusal::none);
    avatar.script.push_back({1001, u"x"});
    EXPECT_EQ(decodeAvatarCode(encodeAvatarCode(avatar).code, catalogue).refusal, CodeRefusal::scriptTooLong);
    // Actions this catalogue lacks play nothing and are left out when the avatar opens.
    avatar.script = {{1050, u""}, {1050, u""}, {4242, u"x"}};
    EXPECT_EQ(decodeAvatarCode(encodeAvatarCode(avatar).code, catalogue).refusal, CodeRefusal::none);

    // An unpaired surrogate is refused when the code is made.
    avatar.script = {{1001, std::u16string(u"ab") + char16_t(0xd800) + u"c"}};
    EXPECT_EQ(encodeAvatarCode(avatar).refusal, CodeRefusal::badCaption);
    avatar.script = {{1001, std::u16string(1, char16_t(0xdc00))}};
    EXPECT_EQ(encodeAvatarCode(avatar).refusal, CodeRefusal::badCaption);

    // Captions larger than an upload carries, in one step or over several.
    avatar.script = {{1001, std::u16string(kLongestCodeCaption, u'a')}};
    EXPECT_EQ(encodeAvatarCode(avatar).refusal, CodeRefusal::none);
    for (int i = 0; i < 8; ++i) avatar.script.push_back({1001, std::u16string(kLongestCodeCaption, u'a')});
    EXPECT_EQ(encodeAvatarCode(avatar).refusal, CodeRefusal::tooLargeToUpload);
    avatar.script = {{1001, std::u16string(kLongestCodeCaption + 1, u'a')}};
    EXPECT_EQ(encodeAvatarCode(avatar).refusal, CodeRefusal::badCaption);

    AvatarFields turned;
    turned.direction = 8;
    EXPECT_NE(encodeAvatarCode(turned).refusal, CodeRefusal::none);
}

TEST(AvatarCode, ACheckedCodeWithBadInsidesIsRefusedAsDamaged) {
    // These carry a correct check over contents no encoder makes: a later version's number, an
    // empty pair marked present, a caption of encoded surrogates, bytes after the script.
    const Catalogue catalogue = actionsCatalogue();
    auto withCheck = [](std::vector<std::uint8_t> bytes) {
        std::uint16_t crc = 0xffff;
        for (std::uint8_t byte : bytes) {
            crc = static_cast<std::uint16_t>(crc ^ (byte << 8));
            for (int bit = 0; bit < 8; ++bit)
                crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
        }
        bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
        bytes.push_back(static_cast<std::uint8_t>(crc));
        static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
        std::string text;
        std::uint32_t bits = 0;
        int count = 0;
        for (std::uint8_t b : bytes) {
            bits = bits << 8 | b;
            for (count += 8; count >= 6;) text += alphabet[(bits >> (count -= 6)) & 63];
        }
        if (count) text += alphabet[(bits << (6 - count)) & 63];
        return text;
    };
    EXPECT_EQ(decodeAvatarCode(withCheck({1, 0, 4, 0, 0}), catalogue).refusal, CodeRefusal::none);
    EXPECT_EQ(decodeAvatarCode(withCheck({2, 0, 4, 0, 0}), catalogue).refusal, CodeRefusal::newerVersion);
    EXPECT_EQ(decodeAvatarCode(withCheck({0, 0, 4, 0, 0}), catalogue).refusal, CodeRefusal::malformed);
    EXPECT_EQ(decodeAvatarCode(withCheck({1, 0x40, 4, 0, 0}), catalogue).refusal, CodeRefusal::malformed);
    EXPECT_EQ(decodeAvatarCode(withCheck({1, 0, 4, 1, 0, 9, 0}), catalogue).refusal, CodeRefusal::malformed);
    EXPECT_EQ(decodeAvatarCode(withCheck({1, 0, 4, 0, 0, 7}), catalogue).refusal, CodeRefusal::malformed);
    EXPECT_EQ(decodeAvatarCode(withCheck({1, 0, 4, 0, 1, 0xd2, 0x0f, 3, 0xed, 0xa0, 0x80}), catalogue).refusal,
              CodeRefusal::badCaption);
    // A number written longer than it needs is not the code of that number.
    EXPECT_EQ(decodeAvatarCode(withCheck({1, 0x08, 4, 0, 0x86, 0x00, 0}), catalogue).refusal, CodeRefusal::malformed);
    EXPECT_EQ(decodeAvatarCode(withCheck({1, 0, 4, 0, 0xff, 0xff, 0xff, 0xff, 0x7f}), catalogue).refusal,
              CodeRefusal::malformed);
    EXPECT_EQ(decodeAvatarCode(withCheck({1, 0, 4, 0, 121}), catalogue).refusal, CodeRefusal::scriptTooLong);
}

}  // namespace
}  // namespace likenex
