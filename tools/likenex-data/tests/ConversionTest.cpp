#include "base/ByteIo.h"
#include "base/Text.h"
#include "catalogue/CatalogueWriter.h"
#include "catalogue/ColourTable.h"
#include "catalogue/DataFiles.h"
#include "catalogue/InterfaceArchiveFile.h"
#include "catalogue/StringTableWriter.h"
#include "tools/likenex-data/ArchiveFiles.h"
#include "tools/likenex-data/ArchiveManifest.h"
#include "tools/likenex-data/CatalogueJson.h"
#include "tools/likenex-data/ColourJson.h"
#include "tools/likenex-data/Commands.h"
#include "tools/likenex-data/Png.h"
#include "tools/likenex-data/StringTsv.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace likenex {
namespace {

std::string tempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("likenex-data-conv-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

TEST(PngConversion, TextureRowsBecomeUprightAndBack) {
    // 2 by 2, bottom row first: bottom row blue then green, top row red then half-transparent white.
    const std::vector<std::uint8_t> texture = {255, 0, 0,   255, 0,   255, 0,   255,   // bottom: blue, green
                                               0,   0, 255, 255, 255, 255, 255, 128};  // top: red, white@128
    RgbaPicture upright = uprightFromTexture(2, 2, texture);
    const std::vector<std::uint8_t> expected = {255, 0, 0,   255, 255, 255, 255, 128,  // top row first, RGBA
                                                0,   0, 255, 255, 0,   255, 0,   255};
    EXPECT_EQ(upright.rgba, expected);
    EXPECT_EQ(textureFromUpright(upright), texture);
    EXPECT_THROW((void)uprightFromTexture(2, 3, texture), ToolError);
}

TEST(PngConversion, FileRoundTripKeepsEveryByteIncludingHiddenColour) {
    RgbaPicture picture{3, 2, {}};
    for (int i = 0; i < 24; ++i) picture.rgba.push_back(static_cast<std::uint8_t>(i * 11));
    picture.rgba[3] = 0;  // a fully transparent pixel keeps its colour
    picture.rgba[7] = 1;
    const std::string path = tempPath("round.png");
    writePng(path, picture);
    RgbaPicture back = readPng(path);
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 2);
    EXPECT_EQ(back.rgba, picture.rgba);
    std::filesystem::remove(path);

    const std::string junk = tempPath("junk.png");
    ASSERT_TRUE(writeWholeFile(junk, {1, 2, 3, 4}));
    EXPECT_THROW((void)readPng(junk), ToolError);
    EXPECT_THROW((void)readPng(tempPath("absent.png")), ToolError);
    EXPECT_THROW(writePng(junk, RgbaPicture{0, 5, {}}), ToolError);
    std::filesystem::remove(junk);
}

CatalogueTables sampleTables() {
    CatalogueTables t;
    t.layerOptions.push_back({1, 40, 2, {7, 8, 9}, -3});
    t.layerOptions.push_back({2, 41, 0, {}, 0});
    Action a;
    a.firstValue = -1;
    a.flagByte = 200;
    a.price = 12;
    a.lowHalfWord = 65535;
    a.identifier = 4020;
    ActionFrame f;
    f.duration = 120;
    f.directionOffset = 1;
    f.thirdValue = 9;
    f.layers[0] = {1, 2, 3, -4, 5};
    f.layers[9] = {0, 77, 0, 0, 0};
    f.images.push_back({1234, 5, 6, 7, 0x80000001u});
    a.frames.push_back(f);
    a.frames.push_back(ActionFrame{});
    t.actions.push_back(a);
    t.actions.push_back(Action{});  // no frames
    t.bodyParts.push_back({3, 4, 5, {6, 7, 8}, 11, 12, 13, 14, 501});
    t.items.push_back({1, 6, 2, 1, 10, 11, 12, 3, {4, 5, 6}, 7, 8, 9, 300});
    return t;
}

TEST(CatalogueJsonConversion, RoundTripRebuildsTheSameBytes) {
    CatalogueTables tables = sampleTables();
    nlohmann::ordered_json json = toJson(tables);
    EXPECT_EQ(json["actions"][0]["frames"][0]["images"][0]["directionMask"], 0x80000001u);
    EXPECT_EQ(json["bodyParts"][0]["identifier"], 501);
    EXPECT_EQ(json["actions"][0]["frames"][0]["layers"].size(), 10u);
    // Through text, as the tool writes and reads it.
    CatalogueTables back = catalogueFromJson(nlohmann::ordered_json::parse(json.dump(2)));
    EXPECT_EQ(back, tables);
    EXPECT_EQ(encodeAvatarData(back), encodeAvatarData(tables));
}

TEST(CatalogueJsonConversion, ShortFormsDefaultAndMistakesFail) {
    auto parse = [](const char* text) { return catalogueFromJson(nlohmann::ordered_json::parse(text)); };
    CatalogueTables t = parse(R"({"actions":[{"identifier":7,"frames":[{"layers":[{"imageNumber":3}]}]}]})");
    ASSERT_EQ(t.actions.size(), 1u);
    EXPECT_EQ(t.actions[0].frames[0].layers[0].imageNumber, 3);
    EXPECT_EQ(t.actions[0].frames[0].layers[9], LayerEntry{});
    EXPECT_THROW(parse(R"({"items":[{"identifer":3}]})"), ToolError);           // misspelt
    EXPECT_THROW(parse(R"({"items":[{"availability":256}]})"), ToolError);      // byte
    EXPECT_THROW(parse(R"({"items":[{"identifier":-1}]})"), ToolError);         // unsigned 16
    EXPECT_THROW(parse(R"({"bodyParts":[{"style":2147483648}]})"), ToolError);  // signed 32
    EXPECT_THROW(parse(R"({"bodyParts":[{"style":1.5}]})"), ToolError);
    EXPECT_THROW(parse(R"({"bodyParts":[{"gap9":[1,2]}]})"), ToolError);
    EXPECT_THROW(parse(R"({"actions":[{"frames":[{"layers":[{},{},{},{},{},{},{},{},{},{},{}]}]}]})"), ToolError);
    EXPECT_THROW(parse(R"({"items":{}})"), ToolError);
    EXPECT_THROW(parse(R"([])"), ToolError);
}

TEST(StringTsvConversion, EscapesAndRoundTrip) {
    EXPECT_EQ(escapeTsvText(u"a\nb\tc\\d"), "a\\nb\\tc\\\\d");
    EXPECT_EQ(unescapeTsvText("a\\nb\\tc\\\\d"), u"a\nb\tc\\d");
    EXPECT_EQ(escapeTsvText(std::u16string(u"x\0y\r", 4)), "x\\u0000y\\u000D");
    EXPECT_EQ(escapeTsvText(u"\xd800z"), "\\uD800z");  // lone surrogate survives
    EXPECT_EQ(escapeTsvText(u"\u00e9\u4e2d\U0001F600"), "\u00e9\u4e2d\U0001F600");
    EXPECT_EQ(text::utf8FromUtf16(u"\xdc00!"), "\uFFFD!");
    EXPECT_THROW((void)unescapeTsvText("bad\\q"), ToolError);
    EXPECT_THROW((void)unescapeTsvText("end\\"), ToolError);
    EXPECT_THROW((void)unescapeTsvText("\\u12"), ToolError);
    EXPECT_THROW((void)unescapeTsvText("\xc3"), ToolError);          // cut sequence
    EXPECT_THROW((void)unescapeTsvText("\xc0\xaf"), ToolError);      // overlong
    EXPECT_THROW((void)unescapeTsvText("\xed\xa0\x80"), ToolError);  // encoded surrogate

    std::vector<StringRecord> records = {
        {0, 5, {u"Hello\tthere", u"", u"line\nbreak", u"back\\slash", std::u16string(u"\0", 1)}},
        {8, -1, {u"a", u"b", u"c", u"d", u"\xd83d"}},
        {0, 5, {u"again", u"", u"", u"", u""}},
    };
    std::string tsv = stringRecordsToTsv(records);
    EXPECT_EQ(stringRecordsFromTsv(tsv, "t"), records);
    // The stored file keeps order, repeats and group 8, so the bytes come back.
    auto bytes = encodeStringTable(records);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(storedStringRecords(*bytes), records);
    bytes->pop_back();
    EXPECT_THROW((void)storedStringRecords(*bytes), ToolError);
}

TEST(StringTsvConversion, LineErrorsNameTheLine) {
    try {
        (void)stringRecordsFromTsv("# comment\n\n0\t1\ta\tb\tc\td\te\r\n0\t2\tonly\n", "s.tsv");
        FAIL();
    } catch (const ToolError& e) {
        EXPECT_NE(std::string(e.what()).find("s.tsv line 4"), std::string::npos) << e.what();
    }
    EXPECT_THROW((void)stringRecordsFromTsv("x\t1\ta\tb\tc\td\te\n", "s"), ToolError);
    EXPECT_EQ(stringRecordsFromTsv("0\t1\ta\tb\tc\td\te\r\n", "s").at(0).texts[4], u"e");
}

TEST(ColourJsonConversion, RoundTripAndShapes) {
    ColourSet a;
    a.colours[0] = {256, 0xffffffffu, 7};
    ColourSet b;
    b.colours[5] = {1, 2, 3};
    ColourTableSources tables{std::vector<ColourSet>{a, b}, std::nullopt, std::vector<ColourSet>{}};
    nlohmann::ordered_json json = colourTablesToJson(tables);
    EXPECT_FALSE(json.contains("skin"));
    EXPECT_EQ(colourTablesFromJson(nlohmann::ordered_json::parse(json.dump())), tables);
    ColourTable parsed;
    parsed.parse(encodeColourTable(*tables[0]));
    EXPECT_EQ(colourSets(parsed), *tables[0]);

    auto parse = [](const char* text) { return colourTablesFromJson(nlohmann::ordered_json::parse(text)); };
    EXPECT_THROW(parse(R"({"colour":[[[1,2,3]]]})"), ToolError);  // five colours missing
    EXPECT_THROW(parse(R"({"colour":[[[1,2],[1,2,3],[1,2,3],[1,2,3],[1,2,3],[1,2,3]]]})"), ToolError);
    EXPECT_THROW(parse(R"({"colour":[[[-1,2,3],[1,2,3],[1,2,3],[1,2,3],[1,2,3],[1,2,3]]]})"), ToolError);
    EXPECT_THROW(parse(R"({"colours":[]})"), ToolError);
}

TEST(StoredArchives, IndexEntriesInFileOrderWithTheirWidths) {
    ByteWriter avatar;
    avatar.u32(3);  // claims three, holds two and a half
    avatar.i64(-2);
    avatar.u32(0);
    avatar.u32(24);
    avatar.i64(-2);
    avatar.u32(24);
    avatar.u32(28);
    avatar.u32(9);
    auto index = readStoredIndex(avatar.bytes(), IndexKind::avatar);
    ASSERT_TRUE(index);
    EXPECT_EQ(index->claimedCount, 3u);
    ASSERT_EQ(index->entries.size(), 2u);  // the repeated key stays
    EXPECT_EQ(index->entries[1].key, -2);
    EXPECT_EQ(index->entries[1].entry, (ArchiveEntry{24, 28}));
    EXPECT_EQ(index->extraBytes, 4u);

    ByteWriter skins;
    skins.u32(1);
    skins.u32(0xffffffffu);  // unsigned, never negative
    skins.u32(16);
    skins.u32(99);
    index = readStoredIndex(skins.bytes(), IndexKind::interface);
    ASSERT_TRUE(index);
    ASSERT_EQ(index->entries.size(), 1u);
    EXPECT_EQ(index->entries[0].key, 0xffffffffLL);
    EXPECT_EQ(index->entries[0].entry, (ArchiveEntry{16, 99}));
    EXPECT_FALSE(readStoredIndex(std::vector<std::uint8_t>{1, 0}, IndexKind::avatar));
}

TEST(StoredArchives, HostileRecordsAreRefusedWithAReason) {
    ByteWriter data;
    data.i32(1);  // 1 by 2 sprite at (3, 4)
    data.i32(2);
    data.i32(3);
    data.i32(4);
    data.u32(5);
    data.u32(6);
    data.u64(0x0102030405060708u);
    const std::vector<std::uint8_t>& bytes = data.bytes();
    auto sprite = readStoredSprite(bytes, {0, 32});
    ASSERT_TRUE(sprite) << sprite.error();
    EXPECT_EQ(sprite->y, 4);
    EXPECT_EQ(sprite->word20, 6u);
    EXPECT_EQ(sprite->pixels.size(), 8u);
    auto pastTheEnd = readStoredSprite(bytes, {0, 36});
    EXPECT_FALSE(pastTheEnd);
    EXPECT_NE(pastTheEnd.error().find("passes the end"), std::string::npos);
    auto mismatched = readStoredSprite(bytes, {0, 28});  // size not 24 + 4 W H
    EXPECT_FALSE(mismatched);
    EXPECT_NE(mismatched.error().find("does not match"), std::string::npos);
    EXPECT_FALSE(readStoredSprite(bytes, {0, 12}));
    EXPECT_FALSE(readStoredSprite(bytes, {0xffffffffu, 0xffffffffu}));

    // As an interface record: 1 by 2 layout, 3 by 4 texture: 48 pixel bytes that are not there.
    auto cut = readSkinRecord(bytes, 0);
    EXPECT_FALSE(cut);
    EXPECT_NE(cut.error().find("pass the end of inter.dat"), std::string::npos);
    EXPECT_FALSE(readSkinRecord(bytes, 30));
    ByteWriter skin;
    for (std::uint32_t v : {7u, 8u, 1u, 1u, 0xaabbccddu}) skin.u32(v);
    auto good = readSkinRecord(skin.bytes(), 0);
    ASSERT_TRUE(good) << good.error();
    EXPECT_EQ(good->layoutHeight, 8u);
    EXPECT_EQ(good->pixels.size(), 4u);
}

TEST(ArchiveManifestConversion, EntriesLoadTheirPicturesUpright) {
    const std::string folder = tempPath("manifest");
    std::filesystem::create_directories(folder);
    writePng(folder + "/p.png", RgbaPicture{1, 2, {1, 2, 3, 4, 5, 6, 7, 8}});  // top pixel first
    auto sprites =
        spritesFromManifest(nlohmann::ordered_json::parse(
                                R"([{"key": -7, "png": "p.png", "x": 1, "y": 2, "extra1": 3, "extra2": 4294967295},
            {"key": 8, "width": 0, "height": 5}])"),
                            folder);
    ASSERT_EQ(sprites.size(), 2u);
    EXPECT_EQ(sprites[0].key, -7);
    EXPECT_EQ(sprites[0].word20, 0xffffffffu);
    EXPECT_EQ(sprites[0].pixels, (std::vector<std::uint8_t>{7, 6, 5, 8, 3, 2, 1, 4}));  // BGRA, bottom row first
    EXPECT_EQ(sprites[1].height, 5);
    EXPECT_TRUE(sprites[1].pixels.empty());
    auto skins =
        skinsFromManifest(nlohmann::ordered_json::parse(R"([{"id": 9, "png": "p.png", "layoutWidth": 2}])"), folder);
    ASSERT_EQ(skins.size(), 1u);
    EXPECT_EQ(skins[0].texH, 2u);
    EXPECT_EQ(skins[0].layoutWidth, 2u);

    auto fails = [&](const char* json, const char* message) {
        try {
            (void)spritesFromManifest(nlohmann::ordered_json::parse(json), folder);
            ADD_FAILURE() << json;
        } catch (const ToolError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    };
    fails(R"([{"png": "p.png"}])", "sprites[0]: \"key\" is required");
    fails(R"([{"key": 1, "png": "p.png", "width": 2}])", "not the 2 by -1");
    fails(R"([{"key": 1, "width": 2, "height": 2}])", "\"png\" is required");
    fails(R"([{"key": 1, "png": "absent.png"}])", "cannot read the PNG");
    fails(R"([{"key": 1, "png": "p.png", "colour": 1}])", "unknown field \"colour\"");
    fails(R"({"key": 1})", "must be an array");
    writePng(folder + "/big.png", RgbaPicture{363, 363, std::vector<std::uint8_t>(363 * 363 * 4)});
    fails(R"([{"key": 1, "png": "big.png"}])", "512 KiB");
    std::filesystem::remove_all(folder);
}

struct ToolRun {
    int code;
    std::string out, err;
};
ToolRun run(Arguments arguments) {
    std::ostringstream out, err;
    int code = runLikenexData(arguments, out, err);
    return {code, out.str(), err.str()};
}

TEST(ToolArguments, KeyAndHelp) {
    EXPECT_EQ(run({"key", "3", "0", "0", "7", "0", "0"}).out, "3000700000\n");
    EXPECT_EQ(run({"key", "12345", "3", "0", "0", "0", "99"}).out, "345030000012\n");
    EXPECT_EQ(run({"key", "-1", "0", "0", "0", "0", "-5"}).out, "-1000000005\n");
    ToolRun help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("dump-archive DIR OUTDIR"), std::string::npos);
}

TEST(ToolArguments, MistakesExitWithOneAndSayWhy) {
    struct Case {
        Arguments arguments;
        const char* message;
    };
    const Case cases[] = {
        {{}, "no subcommand"},
        {{"draw"}, "unknown subcommand \"draw\""},
        {{"key", "1", "2"}, "usage: likenex-data key ITEM"},
        {{"key", "1", "x", "0", "0", "0", "0"}, "KIND must be a whole number"},
        {{"key", "1", "0", "0", "0", "0", "2147483648"}, "TAIL must lie in"},
        {{"sprite", "dir", "1"}, "-o OUT.png is required"},
        {{"sprite", "dir", "1", "-o"}, "option -o needs a value"},
        {{"sprite", "dir", "1", "--color", "2", "-o", "x.png"}, "unknown option --color"},
        {{"composite", "dir", "-o", "x.png", "1:2"}, "KEY or KEY:KIND:COLOUR"},
        {{"find", "dir", "option", "3"}, "needs FACELAYER"},
        {{"find", "dir", "item", "3", "1"}, "only to find option"},
        {{"find", "dir", "action", "70000"}, "an action ID must lie in 0..65535"},
        {{"find", "dir", "shoe", "3"}, "not one of item"},
        {{"text", "dir", "8", "1", "0"}, "GROUP must lie in 0..7"},
        {{"text", "dir", "0", "1", "5"}, "LANGUAGE must lie in 0..4"},
        {{"dump-catalogue", std::string(500, 'd')}, "shorter than 500"},
        {{"dump-catalogue", "/nonexistent-likenex"}, "cannot read the catalogue"},
        {{"build-strings", "/nonexistent-likenex.tsv", "dir"}, "cannot read /nonexistent-likenex.tsv"},
    };
    for (const Case& c : cases) {
        ToolRun r = run(c.arguments);
        EXPECT_EQ(r.code, 1) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << c.message;
    }
}

}  // namespace
}  // namespace likenex
