// The interface tables of content/interface and the uses checks of `validate --uses`:
// skins at their listed sizes, placed texts present in every language and fitting their room.
#include "catalogue/DataFiles.h"
#include "catalogue/StringTableWriter.h"
#include "tools/likenex-data/InterfaceTables.h"
#include "tools/likenex-data/ToolSupport.h"
#include "tools/likenex-data/Validate.h"
#include "catalogue/InterfaceArchiveFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace likenex {
namespace {

namespace fs = std::filesystem;

TEST(InterfaceTables, SkinRowsSkipCommentsAndRefuseBadLines) {
    const auto rows = skinRowsFromTsv(
        "# ID FAMILY ...\n\n1004001\tbutton\t6\t6\t6\t7\tcorner\r\n16001201\tpalette\t200\t87\t200\t87\t\n",
        "skins.tsv");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].identifier, 1004001u);
    EXPECT_EQ(rows[0].family, "button");
    EXPECT_EQ(rows[0].layoutHeight, 7u);
    EXPECT_EQ(rows[0].what, "corner");
    EXPECT_EQ(rows[1].width, 200u);
    EXPECT_TRUE(rows[1].what.empty());

    for (const char* bad : {"1\tf\t1\t1\t1\t1\n",                           // six fields
                            "1\tf\t0\t1\t1\t1\tw\n",                        // no pixels
                            "1\t\t1\t1\t1\t1\tw\n",                         // no family
                            "-1\tf\t1\t1\t1\t1\tw\n",                       // not a 32-bit identifier
                            "1\tf\t1\t1\t1\t1\tw\n1\tg\t2\t2\t2\t2\tv\n"})  // listed twice
        EXPECT_THROW((void)skinRowsFromTsv(bad, "t"), ToolError) << bad;
    try {
        (void)skinRowsFromTsv("# c\n1\tf\t1\t1\t1\tw\n", "skins.tsv");
        FAIL();
    } catch (const ToolError& e) {
        EXPECT_NE(std::string(e.what()).find("skins.tsv:2"), std::string::npos) << e.what();
    }
}

TEST(InterfaceTables, TextPlacesTakeAnOptionalWhere) {
    const auto places = textPlacesFromTsv("111\t54\t11\tOK button\n417\t0\t12\n", "p");
    ASSERT_EQ(places.size(), 2u);
    EXPECT_EQ(places[0].width, 54);
    EXPECT_EQ(places[0].size, 11);
    EXPECT_EQ(places[0].where, "OK button");
    EXPECT_EQ(places[1].identifier, 417);
    EXPECT_TRUE(places[1].where.empty());
    EXPECT_THROW((void)textPlacesFromTsv("111\t54\n", "p"), ToolError);
    EXPECT_THROW((void)textPlacesFromTsv("111\t54\t0\tzero size\n", "p"), ToolError);
}

TEST(InterfaceTables, WidthEstimateCountsWideScriptsWholeAndTakesTheWidestLine) {
    EXPECT_DOUBLE_EQ(estimatedTextWidth(u"Hello", 12), 5 * 0.55 * 12);
    EXPECT_DOUBLE_EQ(estimatedTextWidth(u"\u78ba\u5b9a", 12), 24);        // ideographs
    EXPECT_DOUBLE_EQ(estimatedTextWidth(u"\u3053\u30f3\ud55c", 10), 30);  // hiragana, katakana, hangul
    EXPECT_DOUBLE_EQ(estimatedTextWidth(u"\uff01A", 10), 10 + 5.5);       // full-width form, Latin
    EXPECT_DOUBLE_EQ(estimatedTextWidth(u"\U00020000", 10), 10);          // one pair, one character
    EXPECT_DOUBLE_EQ(estimatedTextWidth(u"ab\nabcd\r\nc", 10), 4 * 5.5);
    EXPECT_DOUBLE_EQ(estimatedTextWidth(u"", 12), 0);
}

class ValidateUses : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("likenex-uses-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "program" / "data");
        fs::create_directories(root_ / "uses");
        // Skin 100 as listed, 101 laid out differently from the table, 102 stored too small.
        std::vector<SkinImageSource> skins = {picture(100, 2, 2, 2, 2), picture(101, 3, 1, 5, 5),
                                              picture(102, 4, 4, 4, 4)};
        ASSERT_TRUE(writeInterfaceArchive((root_ / "program").string(), skins));
        const std::vector<StringRecord> records = {
            {0, 111, {u"\u78ba\u5b9a", u"\u786e\u5b9a", u"OK", u"OK", u"D'accord"}},
            {0, 356, {u"\u53d6\u6d88", u"\u53d6\u6d88", u"Cancel", u"\u30ad\u30e3\u30f3\u30bb\u30eb", u""}},
            {0, 501, {u"\u96e2\u958b", u"\u79bb\u5f00", u"Quit Likenex now?", u"\u7d42\u4e86", u"Quitter ?"}},
            {1, 400, {u"a", u"b", u"c", u"d", u"e"}},
        };
        auto lang = encodeStringTable(records);
        ASSERT_TRUE(lang);
        ASSERT_TRUE(writeWholeFile((root_ / "program/data/lang.bin").string(), *lang));
        write("uses/skins.tsv",
              "# table\n100\tf\t2\t2\t2\t2\tfine\n101\tf\t3\t1\t3\t1\tlayout differs\n"
              "102\tf\t5\t4\t4\t4\tstored size differs\n103\tf\t1\t1\t1\t1\tmissing\n");
    }
    void TearDown() override { fs::remove_all(root_); }

    static SkinImageSource picture(std::uint32_t id, std::uint32_t w, std::uint32_t h, std::uint32_t lw,
                                   std::uint32_t lh) {
        return {id, lw, lh, w, h, std::vector<std::uint8_t>(std::size_t{4} * w * h, 200)};
    }
    void write(const std::string& name, const std::string& text) {
        ASSERT_TRUE(writeWholeFile((root_ / name).string(), std::vector<std::uint8_t>(text.begin(), text.end())));
    }
    // The problems about skins and placed texts only: the rest of the program folder is empty.
    std::vector<std::string> usesProblems(const ValidationReport& report) {
        std::vector<std::string> out;
        for (const std::string& p : report.problems)
            if (p.starts_with("skin ") || p.starts_with("text ")) out.push_back(p);
        return out;
    }
    ValidationReport validate() {
        return validateProgramDirectory((root_ / "program").string(), (root_ / "uses").string());
    }

    fs::path root_;
};

TEST_F(ValidateUses, SkinsMustBeInTheArchiveAtTheListedSizes) {
    const ValidationReport report = validate();
    EXPECT_EQ(report.skinsChecked, 4u);
    EXPECT_EQ(report.textsChecked, 0u);  // no text-places.tsv: only skins
    const std::vector<std::string> expected = {
        "skin 101 (f): laid out as 5 by 5, skins.tsv says 3 by 1",
        "skin 102 (f): stored 4 by 4, skins.tsv says 5 by 4",
        "skin 103 (f): not in data/inter.inx",
    };
    EXPECT_EQ(usesProblems(report), expected);
}

TEST_F(ValidateUses, PlacedTextsMustExistInEveryLanguageAndFitTheirRoom) {
    write("uses/skins.tsv", "100\tf\t2\t2\t2\t2\tfine\n");
    write("uses/text-places.tsv",
          "# ID WIDTH SIZE WHERE\n111\t54\t11\tOK button\n356\t0\t11\tcancel button\n"
          "501\t100\t12\tquit question\n400\t0\t12\tin group 1 only\n999\t0\t12\n");
    const ValidationReport report = validate();
    EXPECT_EQ(report.textsChecked, 5u);
    // 111 fits everywhere: "D'accord" is 8 x 0.55 x 11 = 48.4 pixels. "Quit Likenex now?"
    // is 17 x 6.6 = 112.2 pixels, over 100; the two ideographs of the other languages fit.
    const std::vector<std::string> expected = {
        "text 356 (cancel button): empty in French",
        "text 501 (quit question): about 113 pixels wide in English at size 12, room for 100: \"Quit Likenex now?\"",
        "text 400 (in group 1 only): not in group 0 of data/lang.bin",
        "text 999: not in group 0 of data/lang.bin",
    };
    EXPECT_EQ(usesProblems(report), expected);
}

TEST_F(ValidateUses, WithoutAUsesFolderNothingIsAskedOfSkinsOrTexts) {
    const ValidationReport report = validateProgramDirectory((root_ / "program").string());
    EXPECT_EQ(report.skinsChecked, 0u);
    EXPECT_TRUE(usesProblems(report).empty());
    // A uses folder without its skin table is a mistake of the caller, not of the data.
    fs::remove(root_ / "uses/skins.tsv");
    EXPECT_THROW((void)validate(), ToolError);
}

}  // namespace
}  // namespace likenex
