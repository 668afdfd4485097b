// The pictures of stored avatars with the build's own data set: composed once and kept in
// the storage, the same bytes whichever thread composes them and however many at once.
#include "server/AvatarPicture.h"
#include "server/Storage.h"
#include "server/tests/ServerTestSupport.h"

#include <gtest/gtest.h>

#include <thread>

namespace likenex {
namespace {

using testing::TempDirectory;

StoredAvatar scripted(std::int64_t owner, std::int32_t direction, std::vector<ScriptEntry> script,
                      std::uint8_t mode = 0) {
    StoredAvatar a;
    a.ownerId = owner;
    a.avatar.direction = direction;
    a.avatar.faceOption1 = 1;
    a.avatar.items[0] = {101, 3};
    a.avatar.bodyPart = 11;
    a.avatar.script = std::move(script);
    a.title = u"pictured";
    a.accessMode = mode;
    return a;
}

class AvatarPictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        storage_ = openSqliteStorage(directory_.path() + "/pictures.sqlite");
        storage_->migrate();
        guest_ = storage_->findAccount("guest")->id;
    }
    StoredAvatar store(StoredAvatar a) {
        a.number = storage_->storeAvatar(a);
        return a;
    }

    TempDirectory directory_;
    std::unique_ptr<Storage> storage_;
    std::int64_t guest_ = 0;
};

TEST_F(AvatarPictureTest, PicturesAreComposedOnceAndThenReadFromTheStorage) {
    AvatarPictures pictures(LIKENEX_DEFAULT_PROGRAM_DIR);
    ASSERT_TRUE(pictures.available());
    const StoredAvatar open = store(scripted(guest_, 3, {{1001, u"Hello there"}, {1006, u""}}));
    const StoredAvatar still = store(scripted(guest_, 5, {}));
    const StoredAvatar restricted = store(scripted(guest_, 3, {{1001, u""}}, 1));

    auto first = pictures.picturesOf(*storage_, open);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->still, pictures.stillBmp(open.avatar));
    EXPECT_EQ(first->animation, pictures.animatedPng(open.avatar));
    EXPECT_FALSE(first->animation.empty());
    EXPECT_EQ(pictures.compositions(), 1u);
    auto again = pictures.picturesOf(*storage_, open);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->still, first->still);
    EXPECT_EQ(again->animation, first->animation);
    EXPECT_EQ(pictures.compositions(), 1u);

    // Kept in the database: another server on it composes nothing.
    AvatarPictures otherServer(LIKENEX_DEFAULT_PROGRAM_DIR);
    auto read = otherServer.picturesOf(*storage_, open);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->still, first->still);
    EXPECT_EQ(otherServer.compositions(), 0u);
    // The still is kept packed, far smaller than the BMP.
    auto kept = storage_->loadAvatarPictures(open.number);
    ASSERT_TRUE(kept.has_value());
    EXPECT_LT(kept->still.size(), first->still.size() / 4);

    // No script: a still and no animation, kept all the same.
    auto noScript = pictures.picturesOf(*storage_, still);
    ASSERT_TRUE(noScript.has_value());
    EXPECT_FALSE(noScript->still.empty());
    EXPECT_TRUE(noScript->animation.empty());
    EXPECT_TRUE(pictures.picturesOf(*storage_, still).has_value());
    EXPECT_EQ(pictures.compositions(), 2u);

    // A restricted avatar has no pictures, and none are kept for it.
    EXPECT_FALSE(pictures.picturesOf(*storage_, restricted).has_value());
    EXPECT_FALSE(storage_->loadAvatarPictures(restricted.number).has_value());
}

// Several threads composing different avatars at once (bubbles with text included) make
// exactly what one thread makes alone.
TEST_F(AvatarPictureTest, ComposingOnSeveralThreadsGivesTheSameBytes) {
    std::vector<StoredAvatar> avatars;
    for (int i = 0; i < 6; ++i)
        avatars.push_back(store(scripted(guest_, i,
                                         {{1001, u"Hello number " + std::u16string(1, static_cast<char16_t>(u'1' + i))},
                                          {1006 + (i % 2) * 5, u"\u4f60\u597d"}})));
    std::vector<AvatarPictureSet> alone;
    {
        AvatarPictures one(LIKENEX_DEFAULT_PROGRAM_DIR, 1);
        for (const StoredAvatar& a : avatars) alone.push_back({one.stillBmp(a.avatar), one.animatedPng(a.avatar)});
    }
    AvatarPictures pictures(LIKENEX_DEFAULT_PROGRAM_DIR, 3);
    std::vector<std::optional<AvatarPictureSet>> together(avatars.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < avatars.size(); ++i)
        threads.emplace_back([&, i] { together[i] = pictures.picturesOf(*storage_, avatars[i]); });
    for (auto& t : threads) t.join();
    EXPECT_EQ(pictures.compositions(), avatars.size());
    for (std::size_t i = 0; i < avatars.size(); ++i) {
        ASSERT_TRUE(together[i].has_value()) << i;
        EXPECT_FALSE(alone[i].animation.empty());
        EXPECT_TRUE(together[i]->still == alone[i].still) << "avatar " << i;
        EXPECT_TRUE(together[i]->animation == alone[i].animation) << "avatar " << i;
    }
}

// Requests for one avatar arriving together wait for the one composition under way.
TEST_F(AvatarPictureTest, OneAvatarAskedForTogetherIsComposedOnce) {
    const StoredAvatar avatar = store(scripted(guest_, 2, {{1001, u"once"}, {1011, u""}, {1006, u""}}));
    AvatarPictures pictures(LIKENEX_DEFAULT_PROGRAM_DIR, 4);
    std::vector<std::optional<AvatarPictureSet>> got(4);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < got.size(); ++i)
        threads.emplace_back([&, i] { got[i] = pictures.picturesOf(*storage_, avatar); });
    for (auto& t : threads) t.join();
    EXPECT_EQ(pictures.compositions(), 1u);
    for (const auto& set : got) {
        ASSERT_TRUE(set.has_value());
        EXPECT_TRUE(set->animation == got[0]->animation);
        EXPECT_TRUE(set->still == got[0]->still);
    }
}

TEST(AvatarPictureStill, PackedStillsComeBackWholeOrNotAtAll) {
    std::vector<std::uint8_t> bmp(54 + 128 * 128 * 4, 0xFF);
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[1000] = 7;
    const std::vector<std::uint8_t> packed = packStill(bmp);
    ASSERT_FALSE(packed.empty());
    EXPECT_EQ(unpackStill(packed), bmp);
    EXPECT_EQ(unpackStill({}), std::vector<std::uint8_t>());  // a still that could not be drawn

    std::vector<std::uint8_t> cut(packed.begin(), packed.end() - 4);
    EXPECT_FALSE(unpackStill(cut).has_value());
    std::vector<std::uint8_t> flipped = packed;
    flipped[flipped.size() / 2] ^= 0x55;
    EXPECT_FALSE(unpackStill(flipped).has_value());
    // A picture of another size is not a still, even when it inflates.
    EXPECT_FALSE(unpackStill(packStill(std::vector<std::uint8_t>(bmp.size() + 1, 1))).has_value());
    EXPECT_FALSE(unpackStill(packStill(std::vector<std::uint8_t>(10, 1))).has_value());
}

}  // namespace
}  // namespace likenex
