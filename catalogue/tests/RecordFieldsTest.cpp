#include "catalogue/RecordFields.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace likenex {
namespace {

// Fills every member with a different value, so that a member missing from the field list or
// listed twice shows as a size or a value that does not come back.
template <typename Record>
Record numbered() {
    Record record;
    std::uint8_t next = 1;
    forEachField(record, [&next](const char*, auto& member) {
        if constexpr (requires { member.size(); }) {
            for (auto& b : member) b = next++;
        } else {
            member = static_cast<std::remove_reference_t<decltype(member)>>(next++);
        }
    });
    return record;
}

template <typename Record>
void expectRoundTrip(std::size_t sizeOnDisk) {
    const Record record = numbered<Record>();
    ByteWriter w;
    writeFields(w, record);
    EXPECT_EQ(w.size(), sizeOnDisk);
    ByteReader r(w.bytes());
    Record back;
    readFields(r, back);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.remaining(), 0u);
    EXPECT_EQ(back, record);
}

TEST(RecordFields, EachFixedRecordListsItsWholeLayoutOnce) {
    expectRoundTrip<LayerOption>(kLayerOptionSize);
    expectRoundTrip<LayerEntry>(kLayerEntrySize);
    expectRoundTrip<FrameImage>(kFrameImageSize);
    expectRoundTrip<BodyPart>(kBodyPartSize);
    expectRoundTrip<Item>(kItemSize);
}

}  // namespace
}  // namespace likenex
