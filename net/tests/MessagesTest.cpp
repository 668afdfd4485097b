// Each message against bytes laid out by hand from the wire layout, in both directions, and
// every request against damaged input.
#include "net/Messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace likenex {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Little-endian bytes written field by field, the way the layout tables read.
struct Wire {
    Bytes bytes;
    Wire& u8(std::uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    Wire& i32(std::int64_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i)));
        return *this;
    }
    Wire& zeros(std::size_t n) {
        bytes.insert(bytes.end(), n, 0);
        return *this;
    }
    Wire& ascii(std::string_view s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    Wire& utf16(std::u16string_view s) {
        for (char16_t c : s)
            bytes.push_back(static_cast<std::uint8_t>(c)), bytes.push_back(static_cast<std::uint8_t>(c >> 8));
        return *this;
    }
    Wire& counted(std::u16string_view s) {
        return i32(2 * (static_cast<std::int64_t>(s.size()) + 1)).utf16(s).zeros(2);
    }
    // The header in front of everything written so far.
    Bytes frame(std::int32_t type) const {
        Wire head;
        head.u8(static_cast<std::uint8_t>((bytes.size() + 6) & 0xff))
            .u8(static_cast<std::uint8_t>((bytes.size() + 6) >> 8))
            .i32(type);
        Bytes all = head.bytes;
        all.insert(all.end(), bytes.begin(), bytes.end());
        return all;
    }
};

const std::string kDigest = "0123456789abcdef0123456789abcdef";
const std::string kAccessDigest = "ffeeddccbbaa99887766554433221100";

SaveAvatarRequest sampleUpload() {
    SaveAvatarRequest r;
    r.userName = u"Ann";
    r.passwordDigest = kDigest;
    r.avatar.direction = 3;
    r.avatar.faceOption1 = 7;
    r.avatar.faceOption2 = 9;
    r.avatar.skin = 4;
    r.avatar.items[0] = {101, 2};
    r.avatar.items[2] = {303, 0};
    r.avatar.bodyPart = 11;
    r.appendScriptEntry(5, u"Hi");
    r.appendScriptEntry(6, u"");
    r.title = u"T";
    r.thirdText = u"xy";
    r.firstOption = 10;
    r.secondOption = 6;
    r.accessMode = 2;
    r.language = 4;
    r.accessDigest = kAccessDigest;
    return r;
}

Wire avatarBody(Wire w) {
    w.u8(3).i32(7).i32(9).u8(4);
    w.i32(101).u8(2).i32(0).u8(255).i32(303).u8(0).i32(0).u8(255).i32(0).u8(255);
    w.i32(11).i32(2);
    w.i32(5).counted(u"Hi").i32(6).counted(u"");
    return w;
}

Bytes sampleUploadBytes() {
    Wire w;
    w.utf16(u"Ann").zeros(48 - 6).zeros(2).ascii(kDigest).zeros(1);
    w = avatarBody(w);
    w.counted(u"T").counted(u"").counted(u"xy").u8(10).u8(6).u8(2).u8(4).ascii(kAccessDigest).zeros(1);
    return w.frame(257);
}

template <typename Message>
Message decoded(const Bytes& frame) {
    Message m;
    EXPECT_TRUE(m.assign(frame));
    EXPECT_TRUE(m.decode());
    return m;
}

TEST(SaveAvatarRequest, EncodesAndDecodesTheLayoutByteForByte) {
    SaveAvatarRequest upload = sampleUpload();
    ASSERT_TRUE(upload.encode());
    Bytes expected = sampleUploadBytes();
    EXPECT_EQ(upload.bytes(), expected);
    // 132 + (10 + 4) + (10 + 0) + three texts (4 + 2 + 6) + 49
    EXPECT_EQ(expected.size(), 217u);

    auto back = decoded<SaveAvatarRequest>(expected);
    EXPECT_EQ(back.userName, u"Ann");
    EXPECT_EQ(back.passwordDigest, kDigest);
    EXPECT_EQ(back.avatar, upload.avatar);
    EXPECT_EQ(back.title, u"T");
    EXPECT_EQ(back.secondText, u"");
    EXPECT_EQ(back.thirdText, u"xy");
    EXPECT_EQ(back.firstOption, 10);
    EXPECT_EQ(back.secondOption, 6);
    EXPECT_EQ(back.accessMode, 2);
    EXPECT_EQ(back.language, 4);
    EXPECT_EQ(back.accessDigest, kAccessDigest);
}

TEST(SaveAvatarRequest, LengthsAndTheAccessDigestRule) {
    SaveAvatarRequest empty;
    empty.title = u"abc";
    ASSERT_TRUE(empty.encode());
    EXPECT_EQ(empty.length(), 181u + 8 + 2 + 2);  // empty script: 181 + the texts' byte counts

    SaveAvatarRequest open = sampleUpload();
    open.accessMode = 0;
    ASSERT_TRUE(open.encode());
    Bytes tail(open.bytes().end() - 33, open.bytes().end());
    EXPECT_EQ(tail, Bytes(33, 0));  // the 33 bytes are there, zero, whatever the digest field held

    SaveAvatarRequest fullName = sampleUpload();
    fullName.userName = std::u16string(23, u'n');
    ASSERT_TRUE(fullName.encode());
    EXPECT_EQ(decoded<SaveAvatarRequest>(fullName.bytes()).userName, fullName.userName);
}

TEST(SaveAvatarRequest, EncodeRefusesWhatTheLayoutCannotHold) {
    SaveAvatarRequest r = sampleUpload();
    r.userName = std::u16string(24, u'n');
    EXPECT_FALSE(r.encode());
    EXPECT_TRUE(r.bytes().empty());

    r = sampleUpload();
    r.passwordDigest = std::string(33, 'a');
    EXPECT_FALSE(r.encode());

    r = sampleUpload();
    r.secondText = std::u16string(2100, u'a');  // over 4096 bytes in all
    EXPECT_FALSE(r.encode());

    r = sampleUpload();
    r.title = std::u16string(u"a\0b", 3);  // would not come back as it went
    EXPECT_FALSE(r.encode());
}

TEST(SaveAvatarReply, SavedAndOtherResults) {
    SaveAvatarReply saved;
    saved.result = SaveAvatarReply::Saved;
    saved.avatarNumber = 42;
    saved.address = "http://127.0.0.1:8080/a/42";
    ASSERT_TRUE(saved.encode());
    Bytes expected = Wire().u8(0).i32(42).i32(27).ascii("http://127.0.0.1:8080/a/42").zeros(1).frame(258);
    EXPECT_EQ(saved.bytes(), expected);
    auto back = decoded<SaveAvatarReply>(expected);
    EXPECT_EQ(back.avatarNumber, 42);
    EXPECT_EQ(back.address, saved.address);

    for (std::uint8_t result : {1, 2, 3}) {
        SaveAvatarReply refused;
        refused.result = result;
        refused.avatarNumber = 7;  // not sent with a failure
        ASSERT_TRUE(refused.encode());
        EXPECT_EQ(refused.bytes(), Wire().u8(result).frame(258));
        EXPECT_EQ(decoded<SaveAvatarReply>(refused.bytes()).result, result);
    }
    // The text ends at its NUL even when the count runs further.
    EXPECT_EQ(decoded<SaveAvatarReply>(Wire().u8(0).i32(1).i32(4).ascii("ab").zeros(2).frame(258)).address, "ab");
}

TEST(VersionMessages, QueryAndReply) {
    VersionQuery query;
    ASSERT_TRUE(query.encode());
    EXPECT_EQ(query.bytes(), (Bytes{6, 0, 3, 1, 0, 0}));
    EXPECT_TRUE(decoded<VersionQuery>(query.bytes()).bytes().size() == 6);

    VersionReply reply;
    reply.newestVersion = 3;
    reply.updaterArguments = "http://127.0.0.1:8080/Download/";
    reply.newsBase = "http://127.0.0.1:8080/news.xml";
    ASSERT_TRUE(reply.encode());
    Bytes expected = Wire()
                         .i32(3)
                         .i32(32)
                         .ascii("http://127.0.0.1:8080/Download/")
                         .zeros(1)
                         .i32(31)
                         .ascii("http://127.0.0.1:8080/news.xml")
                         .zeros(1)
                         .frame(260);
    EXPECT_EQ(reply.bytes(), expected);
    EXPECT_EQ(reply.length(), 18u + 32 + 31);
    auto back = decoded<VersionReply>(expected);
    EXPECT_EQ(back.newestVersion, 3);
    EXPECT_EQ(back.updaterArguments, reply.updaterArguments);
    EXPECT_EQ(back.newsBase, reply.newsBase);

    auto empty = decoded<VersionReply>(Wire().i32(2).i32(0).i32(0).frame(260));
    EXPECT_EQ(empty.updaterArguments, "");
    EXPECT_EQ(empty.newsBase, "");
}

TEST(OpenAvatarRequest, LowWordThenHighWord) {
    OpenAvatarRequest open;
    open.avatarId = 0x0000000500000007;
    ASSERT_TRUE(open.encode());
    EXPECT_EQ(open.bytes(), Wire().i32(7).i32(5).frame(261));
    EXPECT_EQ(open.length(), 14u);
    EXPECT_EQ(decoded<OpenAvatarRequest>(Wire().i32(0xffffffff).i32(0x7fffffff).frame(261)).avatarId, INT64_MAX);
    EXPECT_EQ(decoded<OpenAvatarRequest>(Wire().i32(0xffffffff).i32(0xffffffff).frame(261)).avatarId, -1);
}

TEST(AvatarReply, FoundAndRefused) {
    AvatarReply reply;
    reply.result = AvatarReply::Found;
    reply.avatar = sampleUpload().avatar;
    ASSERT_TRUE(reply.encode());
    Bytes expected = avatarBody(Wire().u8(0)).frame(262);
    EXPECT_EQ(reply.bytes(), expected);
    EXPECT_EQ(reply.length(), 50u + (8 + 6) + (8 + 2));
    EXPECT_EQ(decoded<AvatarReply>(expected).avatar, reply.avatar);

    for (std::uint8_t result : {1, 2, 3}) {
        AvatarReply other;
        other.result = result;
        ASSERT_TRUE(other.encode());
        EXPECT_EQ(other.bytes(), Wire().u8(result).frame(262));
    }
}

// ---- Damaged input ----

TEST(Framing, LengthWordBoundsAndHeader) {
    EXPECT_FALSE(isValidFrameLength(0));
    EXPECT_FALSE(isValidFrameLength(5));
    EXPECT_TRUE(isValidFrameLength(6));
    EXPECT_TRUE(isValidFrameLength(4096));
    EXPECT_FALSE(isValidFrameLength(4097));
    EXPECT_FALSE(peekFrameHeader(Bytes{6, 0, 3, 1, 0}).has_value());
    auto header = peekFrameHeader(Bytes{0xff, 0xff, 3, 1, 0, 0, 9});
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->length, 0xffff);
    EXPECT_EQ(header->type, 259);
}

TEST(Framing, AssignChecksLengthWordSizeAndType) {
    VersionQuery query;
    EXPECT_TRUE(query.assign(Bytes{6, 0, 3, 1, 0, 0}));
    EXPECT_FALSE(query.assign(Bytes{7, 0, 3, 1, 0, 0}));     // says more than is there
    EXPECT_FALSE(query.assign(Bytes{6, 0, 3, 1, 0, 0, 0}));  // says less
    EXPECT_FALSE(query.assign(Bytes{6, 0, 5, 1, 0, 0}));     // another type
    EXPECT_FALSE(query.assign(Bytes{5, 0, 3, 1, 0}));
    EXPECT_FALSE(query.assign(Bytes{}));
    EXPECT_TRUE(query.bytes().empty());
    EXPECT_FALSE(query.decode());

    Bytes big(4097, 0);
    big[0] = 4097 & 0xff;
    big[1] = 4097 >> 8;
    big[2] = 3;
    big[3] = 1;
    EXPECT_FALSE(query.assign(big));
}

// Every prefix of a valid upload, given a matching length word, is refused without a crash.
TEST(SaveAvatarRequest, EveryTruncationIsRefused) {
    Bytes whole = sampleUploadBytes();
    for (std::size_t size = 6; size < whole.size(); ++size) {
        Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        cut[0] = static_cast<std::uint8_t>(size);
        cut[1] = static_cast<std::uint8_t>(size >> 8);
        SaveAvatarRequest r;
        ASSERT_TRUE(r.assign(cut));
        EXPECT_FALSE(r.decode()) << size;
    }
    Bytes longer = whole;
    longer.push_back(0);
    longer[0] = static_cast<std::uint8_t>(longer.size());
    SaveAvatarRequest r;
    ASSERT_TRUE(r.assign(longer));
    EXPECT_FALSE(r.decode());
}

// Counts and byte counts that lie about what follows.
TEST(SaveAvatarRequest, LyingCountsAreRefused) {
    auto upload = [](std::int64_t scriptCount, std::int64_t captionBytes, std::int64_t titleBytes) {
        Wire w;
        w.utf16(u"Ann").zeros(44).ascii(kDigest).zeros(1);
        w.u8(0).i32(0).i32(0).u8(4);
        for (int i = 0; i < 5; ++i) w.i32(0).u8(255);
        w.i32(0).i32(scriptCount);
        w.i32(5).i32(captionBytes).utf16(u"Hi").zeros(2);  // one entry, whatever the count says
        w.i32(titleBytes).utf16(u"T").zeros(2).counted(u"").counted(u"");
        w.u8(0).u8(0).u8(0).u8(0).zeros(33);
        SaveAvatarRequest r;
        EXPECT_TRUE(r.assign(w.frame(257)));
        return r.decode();
    };
    EXPECT_TRUE(upload(1, 6, 4));
    EXPECT_FALSE(upload(0, 6, 4));  // the entry is then read as the title
    EXPECT_FALSE(upload(-1, 6, 4));
    EXPECT_FALSE(upload(0x7fffffff, 6, 4));
    EXPECT_FALSE(upload(1, -2, 4));
    EXPECT_FALSE(upload(1, 5, 4));  // odd byte count for UTF-16
    EXPECT_FALSE(upload(1, 0x7ffffffe, 4));
    EXPECT_FALSE(upload(1, 6, 4000));
    EXPECT_FALSE(upload(1, 6, -4));
}

TEST(SaveAvatarRequest, UserNameFieldWithoutTerminatorIsRefused) {
    Bytes frame = sampleUploadBytes();
    for (std::size_t i = 6; i < 54; i += 2) frame[i] = 'n', frame[i + 1] = 0;
    SaveAvatarRequest r;
    ASSERT_TRUE(r.assign(frame));
    EXPECT_FALSE(r.decode());
}

TEST(OtherRequests, ExtraOrMissingBytesAreRefused) {
    VersionQuery query;
    EXPECT_FALSE(query.assign(Wire().u8(0).frame(259)) && query.decode());
    OpenAvatarRequest open;
    ASSERT_TRUE(open.assign(Wire().i32(1).frame(261)));
    EXPECT_FALSE(open.decode());
    ASSERT_TRUE(open.assign(Wire().i32(1).i32(0).u8(0).frame(261)));
    EXPECT_FALSE(open.decode());
    VersionReply reply;
    ASSERT_TRUE(reply.assign(Wire().i32(2).i32(10).ascii("ab").frame(260)));
    EXPECT_FALSE(reply.decode());
    AvatarReply avatar;
    ASSERT_TRUE(avatar.assign(Wire().frame(262)));
    EXPECT_FALSE(avatar.decode());
}

}  // namespace
}  // namespace likenex
