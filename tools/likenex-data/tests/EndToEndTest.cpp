// Runs the built likenex-data on a program directory made from text sources: build, dump,
// rebuild to the same bytes, and look at pictures, texts and records through the tool.
#include "catalogue/DataFiles.h"
#include "tools/likenex-data/Png.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace likenex {
namespace {

namespace fs = std::filesystem;

struct ToolResult {
    int code = -1;
    std::string out, err;
};

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("likenex-data-e2e-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "src");
        writeSources();
        for (const char* step : {"build-catalogue src/catalogue.json dir", "build-strings src/strings.tsv dir",
                                 "build-colours src/colours.json dir", "build-archive src/manifest.json dir"}) {
            ToolResult r = tool(step);
            ASSERT_EQ(r.code, 0) << step << ": " << r.err;
        }
    }
    void TearDown() override { fs::remove_all(root_); }

    // Arguments are words without quotes or spaces; paths are relative to the test folder.
    ToolResult tool(const std::string& arguments) {
        const fs::path out = root_ / "stdout", err = root_ / "stderr";
        const std::string command = "cd '" + root_.string() + "' && '" LIKENEX_DATA_TOOL "' " + arguments + " >'" +
                                    out.string() + "' 2>'" + err.string() + "'";
        int status = std::system(command.c_str());
        ToolResult r;
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = text(out);
        r.err = text(err);
        return r;
    }
    std::string text(const fs::path& path) {
        auto bytes = readWholeFile(path.string());
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
    }
    void write(const std::string& name, const std::string& content) {
        ASSERT_TRUE(writeWholeFile((root_ / name).string(), std::vector<std::uint8_t>(content.begin(), content.end())));
    }
    std::vector<std::uint8_t> bytes(const std::string& name) {
        return readWholeFile((root_ / name).string()).value_or(std::vector<std::uint8_t>{});
    }
    RgbaPicture png(const std::string& name) { return readPng((root_ / name).string()); }
    static std::array<std::uint8_t, 4> pixel(const RgbaPicture& p, int x, int y) {
        const std::size_t at =
            4 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width) + static_cast<std::size_t>(x));
        return {p.rgba[at], p.rgba[at + 1], p.rgba[at + 2], p.rgba[at + 3]};
    }

    void writeSources() {
        write("src/catalogue.json", R"({
  "layerOptions": [{"faceLayer": 1, "optionNumber": 40, "availability": 1}],
  "actions": [{"identifier": 4020, "frames": [{"duration": 100, "layers": [{"imageNumber": 1}],
                                              "images": [{"imageNumber": 1234}]}]}],
  "bodyParts": [{"bodyLayer": 0, "style": 3, "identifier": 12}],
  "items": [{"category": 0, "availability": 1, "identifier": 300, "bytes29": [1, 2, 3]}]
})");
        write("src/strings.tsv",
              "# group id texts\n0\t100\tOK\t\u597d\tHello\\nworld\t\u3053\u3093\tBonjour\n"
              "3\t4020\twalk\t\t\t\t\\u0000\n");
        write("src/colours.json", R"({"colour": [[[10,20,30],[0,0,0],[0,0,0],[0,0,0],[0,0,0],[256,1,2]]],
                                      "skin": [], "wall": [[[1,1,1],[2,2,2],[3,3,3],[4,4,4],[5,5,5],[6,6,6]]]})");
        // 2 by 3, upright: red row, key grey 100 row, half-transparent blue row.
        writePng((root_ / "src/a.png").string(), RgbaPicture{2, 3, {255, 0,   0,   255, 255, 0,   0,   255,  //
                                                                    100, 100, 100, 255, 100, 100, 100, 255,  //
                                                                    0,   0,   255, 128, 0,   0,   255, 128}});
        writePng((root_ / "src/b.png").string(), RgbaPicture{1, 1, {0, 255, 0, 255}});
        writePng((root_ / "src/white.png").string(), RgbaPicture{1, 1, {255, 255, 255, 255}});
        write("src/manifest.json", R"({"sprites": [
  {"key": 1050000000, "png": "a.png", "x": 10, "y": 20, "extra1": 7, "extra2": 4294967295},
  {"key": 3000700000, "png": "b.png", "x": 11, "y": 21},
  {"key": -5, "width": 0, "height": 4, "x": 0, "y": 0},
  {"key": 1050000000, "png": "white.png"}
], "skins": [
  {"id": 4294967295, "png": "a.png", "layoutWidth": 5, "layoutHeight": 6},
  {"id": 3, "width": 0, "height": 0}
]})");
    }

    fs::path root_;
};

TEST_F(EndToEnd, DumpsRebuildTheSameBytes) {
    ToolResult catalogue = tool("dump-catalogue dir");
    ASSERT_EQ(catalogue.code, 0) << catalogue.err;
    EXPECT_EQ(catalogue.err, "");
    write("catalogue.json", catalogue.out);
    ToolResult strings = tool("dump-strings dir");
    ASSERT_EQ(strings.code, 0) << strings.err;
    write("strings.tsv", strings.out);
    ToolResult colours = tool("dump-colours dir");
    ASSERT_EQ(colours.code, 0) << colours.err;
    write("colours.json", colours.out);
    ToolResult archive = tool("dump-archive dir pictures");
    ASSERT_EQ(archive.code, 0) << archive.err;
    EXPECT_EQ(archive.err, "");

    for (const char* step : {"build-catalogue catalogue.json again", "build-strings strings.tsv again",
                             "build-colours colours.json again", "build-archive pictures/manifest.json again"}) {
        ToolResult r = tool(step);
        ASSERT_EQ(r.code, 0) << step << ": " << r.err;
    }
    for (const char* file : {"data/avatar.dat", "data/lang.bin", "color.dat", "skin.dat", "wall.dat", "data/avatar.inx",
                             "data/avatar.iso", "data/inter.inx", "data/inter.dat"}) {
        SCOPED_TRACE(file);
        EXPECT_FALSE(bytes(std::string("dir/") + file).empty() && std::string(file) != "skin.dat");
        EXPECT_EQ(bytes(std::string("again/") + file), bytes(std::string("dir/") + file));
    }
    // Dumped pictures are the sources, upright.
    EXPECT_EQ(png("pictures/sprite-0-1050000000.png").rgba, png("src/a.png").rgba);
    EXPECT_EQ(png("pictures/skin-0-4294967295.png").rgba, png("src/a.png").rgba);
}

TEST_F(EndToEnd, DumpersSayWhenARebuildWouldDiffer) {
    for (const char* file : {"dir/data/avatar.iso", "dir/data/avatar.dat"}) {
        auto content = bytes(file);
        content.push_back(0);
        ASSERT_TRUE(writeWholeFile((root_ / file).string(), content));
    }
    ToolResult archive = tool("dump-archive dir pictures");
    EXPECT_EQ(archive.code, 0) << archive.err;
    EXPECT_NE(archive.err.find("avatar.iso is not laid out record after record"), std::string::npos) << archive.err;
    ToolResult catalogue = tool("dump-catalogue dir");
    EXPECT_EQ(catalogue.code, 0) << catalogue.err;
    EXPECT_NE(catalogue.err.find("avatar.dat is not laid out as build-catalogue writes it"), std::string::npos);

    auto strings = bytes("dir/data/lang.bin");
    strings.resize(strings.size() - 3);
    ASSERT_TRUE(writeWholeFile((root_ / "dir/data/lang.bin").string(), strings));
    ToolResult cut = tool("dump-strings dir");
    EXPECT_EQ(cut.code, 1);
    EXPECT_NE(cut.err.find("lang.bin ends inside the record at byte"), std::string::npos) << cut.err;
}

TEST_F(EndToEnd, KeySpriteAndComposite) {
    EXPECT_EQ(tool("key 1 5 0 0 0 0").out, "1050000000\n");

    // The first entry of a repeated key wins; the picture comes out as it went in.
    ToolResult plain = tool("sprite dir 1050000000 -o plain.png");
    ASSERT_EQ(plain.code, 0) << plain.err;
    EXPECT_EQ(png("plain.png").rgba, png("src/a.png").rgba);

    ToolResult recoloured = tool("sprite dir 1050000000 --kind 0 --colour 0 -o recoloured.png");
    ASSERT_EQ(recoloured.code, 0) << recoloured.err;
    RgbaPicture r = png("recoloured.png");
    EXPECT_EQ(pixel(r, 0, 0), (std::array<std::uint8_t, 4>{255, 0, 0, 255}));
    EXPECT_EQ(pixel(r, 1, 1), (std::array<std::uint8_t, 4>{10, 20, 30, 255}));

    ToolResult badKind = tool("sprite dir 1050000000 --kind 2 -o x.png");
    EXPECT_EQ(badKind.code, 1);
    EXPECT_NE(badKind.err.find("colour kind 2"), std::string::npos) << badKind.err;
    EXPECT_EQ(tool("sprite dir 1050000000 --kind 1 --colour 0 -o x.png").code, 1);  // the skin table is empty
    EXPECT_NE(tool("sprite dir 77 -o x.png").err.find("no picture with key 77"), std::string::npos);
    EXPECT_NE(tool("sprite dir -5 -o x.png").err.find("is empty"), std::string::npos);

    ToolResult composite = tool("composite dir -o frame.png 1050000000 3000700000:0:-1 999");
    EXPECT_EQ(composite.code, 1);
    EXPECT_NE(composite.err.find("layer 3 (999)"), std::string::npos) << composite.err;
    RgbaPicture frame = png("frame.png");
    ASSERT_EQ(frame.width, 128);
    ASSERT_EQ(frame.height, 128);
    EXPECT_EQ(pixel(frame, 10, 20), (std::array<std::uint8_t, 4>{255, 0, 0, 255}));  // top-left at (x, y)
    EXPECT_EQ(pixel(frame, 10, 21), (std::array<std::uint8_t, 4>{100, 100, 100, 255}));
    EXPECT_EQ(pixel(frame, 11, 21), (std::array<std::uint8_t, 4>{0, 255, 0, 255}));  // opaque over opaque
    EXPECT_EQ(pixel(frame, 11, 22), (std::array<std::uint8_t, 4>{0, 0, 255, 128}));  // onto transparent
    EXPECT_EQ(pixel(frame, 0, 0), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(pixel(frame, 12, 20), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

TEST_F(EndToEnd, TextAndFind) {
    EXPECT_EQ(tool("text dir 0 100 2").out, "Hello\nworld\n");
    EXPECT_EQ(tool("text dir 0 100 1").out, "\u597d\n");
    EXPECT_EQ(tool("text dir 3 4020 4").out, "\n");  // a zero unit ends the text
    ToolResult missing = tool("text dir 0 101 0");
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("no text"), std::string::npos);

    ToolResult item = tool("find dir item 300");
    ASSERT_EQ(item.code, 0) << item.err;
    EXPECT_NE(item.out.find("\"identifier\": 300"), std::string::npos) << item.out;
    EXPECT_EQ(tool("find dir item 301").out, "null\n");
    EXPECT_EQ(tool("find dir bodypart 0").out, "null\n");
    EXPECT_NE(tool("find dir option 40 1").out.find("\"optionNumber\": 40"), std::string::npos);
    EXPECT_EQ(tool("find dir option 40 2").out, "null\n");
    EXPECT_NE(tool("find dir action 4020").out.find("\"imageNumber\": 1234"), std::string::npos);
}

TEST_F(EndToEnd, SheetDrawsEveryActionAndDressingWithALegend) {
    // The body picture of each direction, one green pixel at column d of row 5.
    std::string sprites;
    for (int d = 0; d < 8; ++d)
        sprites += std::string(d ? ", " : "") + R"({"key": )" + std::to_string(1000000000 + d * 100000) +
                   R"(, "png": "b.png", "x": )" + std::to_string(d) + R"(, "y": 5})";
    write("src/bodies.json", R"({"sprites": [)" + sprites + "]}");
    ASSERT_EQ(tool("build-archive src/bodies.json dir").code, 0);

    ToolResult r = tool("sheet dir -o sheet.png");
    ASSERT_EQ(r.code, 0) << r.err;
    // The action, the two combinations the one item allows, the one body part.
    EXPECT_NE(r.out.find("row 0: action 4020, frame 0 in directions 0..7, then frames 0..0 of 1 in direction 7\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("row 1: items 300 in slot 0 (action 4020 frame 0 in directions 0..7, colour 0, skin -1, "
                         "face layer 1 option 40, face layer 2 none)\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("row 3: body parts (action 4020 frame 0 in directions 7 and 0): 12 (layer 0)\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("sheet: 1216 by 540 pixels, 4 rows\n"), std::string::npos) << r.out;

    RgbaPicture sheet = png("sheet.png");
    ASSERT_EQ(sheet.width, 1216);
    ASSERT_EQ(sheet.height, 540);
    using Rgba = std::array<std::uint8_t, 4>;
    const Rgba green{0, 255, 0, 255}, cell{212, 214, 218, 255};
    for (int d = 0; d < 8; ++d) {
        const int left = 8 + d * 132;
        EXPECT_EQ(pixel(sheet, left + d, 8 + 5), green) << d;
        EXPECT_EQ(pixel(sheet, left + d, 8 + 6), cell) << d;
        EXPECT_EQ(pixel(sheet, left + d, 8 + 132 + 5), green) << d;  // the dressing row
    }
    EXPECT_EQ(pixel(sheet, 1080 + 7, 8 + 5), green);     // frame 0 facing 7, past the wider gap
    EXPECT_EQ(pixel(sheet, 8 + 7, 8 + 396 + 5), green);  // the body part row faces 7, then 0
    EXPECT_EQ(pixel(sheet, 8 + 132, 8 + 396 + 5), green);
    EXPECT_EQ(pixel(sheet, 2, 2), (Rgba{150, 152, 158, 255}));

    EXPECT_EQ(tool("sheet dir -o one.png --actions 4020").code, 0);
    ToolResult unknown = tool("sheet dir -o x.png --actions 4020,4021");
    EXPECT_EQ(unknown.code, 1);
    EXPECT_NE(unknown.err.find("no action 4021"), std::string::npos) << unknown.err;
    EXPECT_EQ(tool("sheet dir").code, 1);
    EXPECT_EQ(tool("sheet nowhere -o x.png").code, 1);
}

TEST_F(EndToEnd, BuildStringsJoinsSeveralFilesInTheirOrder) {
    write("src/more.tsv", "3\t4021\trun\t\t\t\t\n0\t100\tlater\t\t\t\t\n");
    ToolResult built = tool("build-strings src/strings.tsv src/more.tsv two");
    ASSERT_EQ(built.code, 0) << built.err;
    EXPECT_EQ(tool("text two 3 4021 0").out, "run\n");
    const std::string single = tool("dump-strings dir").out;
    const std::string joined = tool("dump-strings two").out;
    ASSERT_FALSE(single.empty());
    EXPECT_EQ(joined, single + "3\t4021\trun\t\t\t\t\n0\t100\tlater\t\t\t\t\n");

    ToolResult missing = tool("build-strings src/strings.tsv nowhere.tsv three");
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("cannot read nowhere.tsv"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(root_ / "three"));
    EXPECT_EQ(tool("build-strings two").code, 1);
}

TEST_F(EndToEnd, ValidateNamesWhatIsMissingAndPassesOnceItIsThere) {
    ToolResult first = tool("validate dir");
    EXPECT_EQ(first.code, 1);
    EXPECT_NE(first.out.find("missing picture 2050000000: shadow overlay picture\n"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("missing picture 12020003001: body part 12, body layer 0, direction 0, image number 1\n"),
              std::string::npos);
    EXPECT_NE(first.out.find("missing picture 12040003000: thumbnail"), std::string::npos);
    EXPECT_NE(first.out.find("missing picture 234030700001: frame picture 1234, direction 7"), std::string::npos);
    EXPECT_NE(first.out.find("missing picture 300010700001: item 300"), std::string::npos);
    EXPECT_EQ(first.out.find("missing picture 1050000000"), std::string::npos);
    EXPECT_NE(first.out.find("note: data/avatar.inx entry 3 (key 1050000000): repeats a key"), std::string::npos);
    // Names: the item, the body part and four languages of the action are missing.
    EXPECT_NE(first.out.find("item 300 has no name (group 1, identifier 100300 of data/lang.bin)"), std::string::npos);
    EXPECT_NE(first.out.find("body part 12 has no name"), std::string::npos);
    EXPECT_NE(first.out.find("action 4020 has no French name"), std::string::npos);
    EXPECT_EQ(first.out.find("action 4020 has no traditional Chinese name"), std::string::npos);

    // Every named picture added as a 1 by 1 sprite: the directory passes.
    std::string entries = R"({"key": 1050000000, "png": "a.png", "x": 10, "y": 20})";
    std::size_t count = 0;
    for (std::size_t at = 0; (at = first.out.find("missing picture ", at)) != std::string::npos; ++count) {
        at += 16;
        entries += R"(, {"key": )" + first.out.substr(at, first.out.find(':', at) - at) + R"(, "png": "b.png"})";
    }
    EXPECT_EQ(count, 2u + 16u + 8u + 7u + 8u + 8u + 1u);  // fixed, frame pictures, body, parts, items, thumbnail
    write("src/complete.json", R"({"sprites": [)" + entries + "]}");
    ASSERT_EQ(tool("build-archive src/complete.json dir").code, 0);
    // The names, the action's replacing its earlier record.
    write("src/names.tsv", "1\t100300\ta\tb\tc\td\te\n2\t12\ta\tb\tc\td\te\n3\t4020\ta\tb\tc\td\te\n");
    ASSERT_EQ(tool("build-strings src/strings.tsv src/names.tsv dir").code, 0);
    ToolResult complete = tool("validate dir");
    EXPECT_EQ(complete.code, 0) << complete.out;
    EXPECT_NE(complete.out.find("ok: 0 problems, 51 pictures checked"), std::string::npos) << complete.out;

    // Cut and misplaced data.
    auto catalogue = bytes("dir/data/avatar.dat");
    catalogue.pop_back();
    ASSERT_TRUE(writeWholeFile((root_ / "dir/data/avatar.dat").string(), catalogue));
    auto colours = bytes("dir/color.dat");
    colours.push_back(0);
    ASSERT_TRUE(writeWholeFile((root_ / "dir/color.dat").string(), colours));
    fs::remove(root_ / "dir/wall.dat");
    // The fixed pictures of kind 5 are drawn on their own and may lie outside the frame.
    write("src/outside.json", R"({"sprites": [{"key": 1, "png": "a.png", "x": 127, "y": 0},
        {"key": 2050000000, "png": "a.png", "x": -40, "y": 127},
        {"key": 25050000000, "png": "a.png", "x": 200, "y": -3},
        {"key": 2040000000, "png": "a.png", "x": 0, "y": 126}]})");
    ASSERT_EQ(tool("build-archive src/outside.json dir").code, 0);
    ToolResult broken = tool("validate dir");
    EXPECT_EQ(broken.code, 1);
    for (const char* expected :
         {"data/avatar.dat section 3: cut short inside its 1 items", "color.dat: 1 bytes after its sets",
          "wall.dat: missing or unreadable", "entry 0 (key 1): 2 by 3 at x 127, y 0 does not fit the 128 by 128 frame",
          "entry 3 (key 2040000000): 2 by 3 at x 0, y 126 does not fit"})
        EXPECT_NE(broken.out.find(expected), std::string::npos) << expected << "\n" << broken.out;
    EXPECT_EQ(broken.out.find("(key 2050000000)"), std::string::npos) << broken.out;
    EXPECT_EQ(broken.out.find("(key 25050000000)"), std::string::npos) << broken.out;
    EXPECT_EQ(tool("validate nowhere").code, 1);
}

// Random codes: a seed names its codes; each is one line and opens in render; a clock seed is
// told so that it can be given again.
TEST_F(EndToEnd, RandomCodesComeAgainFromTheirSeedAndRender) {
    const ToolResult first = tool("random dir --seed 42 --count 6");
    ASSERT_EQ(first.code, 0) << first.err;
    EXPECT_EQ(tool("random dir --seed 42 --count 6").out, first.out);
    std::vector<std::string> codes;
    for (std::size_t at = 0, end; (end = first.out.find('\n', at)) != std::string::npos; at = end + 1)
        codes.push_back(first.out.substr(at, end - at));
    ASSERT_EQ(codes.size(), 6u) << first.out;
    // The first codes of a longer run are the codes of a shorter one.
    EXPECT_EQ(tool("random dir --seed 42").out, codes[0] + "\n");
    EXPECT_NE(tool("random dir --seed 43 --count 6").out, first.out);
    for (const std::string& code : codes) {
        ASSERT_FALSE(code.empty());
        const ToolResult r = tool("render dir --code " + code + " --action 4020 -o code.png");
        EXPECT_EQ(r.code, 0) << code << ": " << r.err;
        EXPECT_EQ(png("code.png").width, 128);
    }

    const ToolResult clock = tool("random dir --free");
    ASSERT_EQ(clock.code, 0) << clock.err;
    ASSERT_EQ(clock.err.rfind("seed ", 0), 0u) << clock.err;
    const std::string seed = clock.err.substr(5, clock.err.find('\n') - 5);
    EXPECT_EQ(tool("random dir --free --seed " + seed).out, clock.out);

    for (const char* bad : {"random dir --count 0", "random dir --count 10001", "random dir --seed -1",
                            "random dir --seed x", "random nowhere --seed 1", "random --seed 1"})
        EXPECT_EQ(tool(bad).code, 1) << bad;
}

TEST_F(EndToEnd, ABadCodeIsRefusedWithItsReasonAndNoPicture) {
    const ToolResult r = tool("render dir --code AAAA --action 4020 -o bad.png");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("not an avatar code: the avatar code is cut short"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(root_ / "bad.png"));
}

}  // namespace
}  // namespace likenex
