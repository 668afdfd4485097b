#include "platform/MappedFile.h"
#include "test_support/ArchiveTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace likenex {
namespace {

using testing::TempDirectory;

TEST(MappedFileTest, MapsTheWholeFileAndRefusesAnEmptyOne) {
    TempDirectory dir;
    dir.write("a.bin", {1, 2, 3, 4, 5});
    dir.write("empty.bin", {});
    MappedFile file;
    EXPECT_FALSE(file.isOpen());
    ASSERT_TRUE(file.open(dir.file("a.bin")));
    EXPECT_EQ(std::vector<std::uint8_t>(file.bytes().begin(), file.bytes().end()),
              (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));

    EXPECT_FALSE(file.open(dir.file("empty.bin")));
    EXPECT_FALSE(file.isOpen()) << "a failed open leaves nothing of the earlier mapping";
    EXPECT_TRUE(file.bytes().empty());

    EXPECT_FALSE(file.open(dir.file("missing.bin")));
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(file.open(dir.path()));  // a folder is not a file
}

TEST(MappedFileTest, AReadOnlyFileMapsAndAMoveKeepsTheView) {
    TempDirectory dir;
    dir.write("ro.bin", {9, 8, 7});
    const testing::ReadOnlyFolder readOnly(dir.path());
    ASSERT_EQ(readOnly.failure(), "");
    MappedFile file;
    ASSERT_TRUE(file.open(dir.file("ro.bin")));
    MappedFile moved(std::move(file));
    ASSERT_EQ(moved.bytes().size(), 3u);
    EXPECT_EQ(moved.bytes()[2], 7);
    moved.close();
    EXPECT_TRUE(moved.bytes().empty());
}

}  // namespace
}  // namespace likenex
