// The application's start-up with the real program directory and data: the order of its
// steps, what it loads, the files it looks after, and the avatar in the window.
#include "app/Application.h"
#include "app/Entry.h"
#include "app/ProgramFiles.h"
#include "app/tests/win/TestSupport.h"
#include "avatar/AvatarModel.h"
#include "avatar/SpeechBubbles.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/ImageKey.h"
#include "platform/win/Handles.h"
#include "platform/win/Registry.h"
#include "render/RenderContext.h"
#include "render/win/RendererStart.h"
#include "render/text/win/Fonts.h"
#include "render/text/win/GlyphFont.h"
#include "test_support/NullBackend.h"
#include "render/text/win/TextRenderer.h"
#include "screens/EditorScreen.h"
#include "screens/win/SettingsStore.h"
#include "test_support/BmpDecode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

namespace likenex {
namespace {

using testing::CapturedMessages;
using testing::RecordedRequests;
using testing::RecordingRenderer;
using testing::StartedApplication;

namespace fs = std::filesystem;

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { RecordingRenderer::reset(); }
    void TearDown() override { RecordingRenderer::reset(); }
};

TEST_F(StartupTest, StepsRunInOrderAndLeaveAStandingAvatar) {
    CapturedMessages messages;
    StartedApplication app;
    std::uint16_t action = 0;
    bool running = false;
    app.onFirstFrame = [&] {
        const auto& model = app.avatarModel();
        ASSERT_TRUE(model);
        ASSERT_NE(model->action(), nullptr);
        action = model->action()->identifier;
        running = model->running();
    };
    EXPECT_EQ(runEntry(app, nullptr), 0);
    EXPECT_EQ(app.startupSteps(),
              (std::vector<std::string>{"program directory", "url protocol", "interface archive", "network", "settings",
                                        "language table", "avatar data", "scene pictures", "bubble pictures", "fonts",
                                        "avatar model", "screens", "updater files"}));
    EXPECT_TRUE(messages.shown.empty()) << (messages.shown.empty() ? "" : "a box said something");
    EXPECT_EQ(app.startupState(), StartupState::started);
    EXPECT_EQ(action, kStandingAction);
    EXPECT_TRUE(running) << "the standing action plays";
    EXPECT_FALSE(app.uiText(115).empty()) << "the language table is loaded";
    // The bubble pieces came from the archive, with the geometry of the data set.
    EXPECT_EQ(app.text().speechBubbles().image(0).xOffset, -6);
    EXPECT_EQ(app.text().speechBubbles().image(4).width, 2);
}

TEST_F(StartupTest, TheRegistryLanguagePicksTheInterfaceFont) {
    // "en" and "french" are Latin languages; "english" names no language and leaves the
    // one the program starts with (traditional Chinese).
    for (const auto& [code, font] : std::vector<std::pair<const char*, std::wstring>>{{"en", L"SSERIFE.FON"},
                                                                                      {"french", L"SSERIFE.FON"},
                                                                                      {"english", L"mingliu.TTC"},
                                                                                      {"jp", L"MSGOTHIC.TTC"}}) {
        ASSERT_TRUE(writeRegistryString(HKEY_CURRENT_USER, kSettingsKey, "language", code));
        CapturedMessages messages;
        StartedApplication app;
        app.setLanguageIndex(0);
        EXPECT_EQ(runEntry(app, nullptr), 0);
        EXPECT_EQ(app.uiFontFile(), font) << code;
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

// One popup per language in the tray menu, in language-index order.
TEST_F(StartupTest, TheTrayMenuHasAPopupInEachLanguage) {
    const UniqueModule exe(LoadLibraryExW(LIKENEX_EXE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(exe);
    UniqueMenu menu(LoadMenuW(exe.get(), MAKEINTRESOURCEW(kTrayMenuResource)));
    ASSERT_TRUE(menu);
    const std::wstring shows[] = {L"顯示Mimzu", L"显示Mimzu", L"Show Mimzu", L"Show Mimzu", L"Show Mimzu"};
    const std::wstring quits[] = {L"退出Mimzu", L"退出Mimzu", L"Quit Mimzu", L"Quit Mimzu", L"Quit Mimzu"};
    for (int language = 0; language < 5; ++language) {
        HMENU popup = GetSubMenu(menu.get(), language);
        ASSERT_NE(popup, nullptr) << language;
        wchar_t text[64]{};
        GetMenuStringW(popup, kShowCommand, text, 64, MF_BYCOMMAND);
        EXPECT_EQ(std::wstring(text), shows[language]);
        GetMenuStringW(popup, kQuitCommand, text, 64, MF_BYCOMMAND);
        EXPECT_EQ(std::wstring(text), quits[language]);
    }
}

TEST_F(StartupTest, AProgramDirectoryTheLoadersCannotTakeStopsStartUpWithAMessage) {
    CapturedMessages messages;
    StartedApplication app;
    app.setProgramDirectory(L"C:\\" + std::wstring(520, L'a'));
    EXPECT_EQ(runEntry(app, nullptr), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find(L"too long"), std::wstring::npos);
    EXPECT_EQ(app.startupSteps().size(), 1u);

    EXPECT_EQ(narrowProgramDirectory(std::wstring(499, L'x')).size(), 499u);
    EXPECT_TRUE(narrowProgramDirectory(std::wstring(500, L'x')).empty());
    EXPECT_TRUE(narrowProgramDirectory(L"C:\\\U0001F600").empty()) << "no code page holds it";
    EXPECT_FALSE(executableDirectory().empty());
}

// A copy of the program directory's data files in a folder of its own, without the files
// named, and without the program's fonts.
class ProgramCopy {
public:
    explicit ProgramCopy(std::initializer_list<const char*> leftOut) {
        dir_ = fs::temp_directory_path() / ("likenex-program-copy-" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(dir_);
        const fs::path from(LIKENEX_PROGRAM_DIR_PATH);
        for (const char* name : {"color.dat", "skin.dat", "wall.dat", "data/avatar.inx", "data/avatar.iso",
                                 "data/avatar.dat", "data/inter.inx", "data/inter.dat", "data/lang.bin"}) {
            if (std::find_if(leftOut.begin(), leftOut.end(), [&](const char* n) { return std::string(n) == name; }) !=
                leftOut.end())
                continue;
            fs::create_directories((dir_ / name).parent_path());
            fs::copy_file(from / name, dir_ / name);
        }
    }
    ~ProgramCopy() {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    [[nodiscard]] std::wstring wide() const { return dir_.wstring(); }

private:
    fs::path dir_;
};

TEST_F(StartupTest, MissingDataFilesStopStartUpNamingTheProgramFolder) {
    const struct {
        const char* missing;
        std::size_t stepsRun;  // the failing step is the last one run
    } cases[] = {{"data/inter.inx", 3},
                 {"data/inter.dat", 3},
                 {"data/avatar.inx", 7},
                 {"data/avatar.iso", 7},
                 {"data/avatar.dat", 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.missing);
        ProgramCopy copy({c.missing});
        CapturedMessages messages;
        StartedApplication app;
        app.setProgramDirectory(copy.wide());
        EXPECT_EQ(runEntry(app, nullptr), 0);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, copy.wide());
        EXPECT_FALSE(messages.shown[0].hasCaption);
        EXPECT_EQ(app.startupSteps().size(), c.stepsRun);
        EXPECT_EQ(app.frames, 0);
    }
}

TEST_F(StartupTest, TheJapaneseFontIsAskedForAndItsAbsenceToldOnce) {
    {
        CapturedMessages messages;
        StartedApplication app;
        app.setLanguageIndex(3);
        EXPECT_EQ(runEntry(app, nullptr), 0);
        EXPECT_TRUE(messages.shown.empty()) << "the program's stand-in serves";
        EXPECT_EQ(app.uiFontFile(), L"MSGOTHIC.TTC");
    }
    ProgramCopy withoutFonts({});
    CapturedMessages messages;
    StartedApplication app;
    app.setProgramDirectory(withoutFonts.wide());
    app.setLanguageIndex(3);
    HWND mainWindow = nullptr;
    app.onFirstFrame = [&] { mainWindow = app.window(); };
    EXPECT_EQ(runEntry(app, nullptr), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, defaultFontFolders().windowsFonts + L"MSGOTHIC.TTC\nFont does not exist");
    EXPECT_FALSE(messages.shown[0].hasCaption);
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_EQ(messages.shown[0].owner, mainWindow) << "the main window is disabled while the box is up";
    EXPECT_EQ(app.uiFontFile(), L"mingliu.ttc") << "the Chinese font stays in force";
    EXPECT_EQ(app.frames, 1) << "a missing font does not stop start-up";
}

// A change of language takes the new font for every size at once, although the widgets'
// renderers of sizes 11 and 12 never all let go of their engine together.
TEST_F(StartupTest, ALanguageChangeDrawsEverySizeInTheNewFont) {
    CapturedMessages messages;
    StartedApplication app(true);
    const std::wstring sample = L"Hello, Likenex world";
    struct Widths {
        int before = 0, after = 0, latin = 0, chinese = 0;
    } widths[3];
    bool latinEngines = false;
    app.onFirstFrame = [&] {
        ASSERT_EQ(app.uiFontFile(), L"mingliu.TTC");
        for (int size : {11, 12, 13}) {
            app.text().setPlainText(TextSize{size}, sample);
            widths[size - 11].before = app.text().textWidth(TextSize{size});
        }
        app.setLanguageIndex(2);
        app.reloadFonts();
        for (int size : {11, 12, 13}) {
            Widths& w = widths[size - 11];
            app.text().setPlainText(TextSize{size}, sample);
            w.after = app.text().textWidth(TextSize{size});
            // The same text measured by fonts of their own, made another way.
            GlyphFont latin(app.painter(), app.textEngines().folders());
            GlyphFont chinese(app.painter(), app.textEngines().folders());
            ASSERT_TRUE(latin.open(L"SSERIFE.FON", size));
            ASSERT_TRUE(chinese.open(L"mingliu.TTC", size));
            latin.setText(sample);
            chinese.setText(sample);
            w.latin = latin.textWidth();
            w.chinese = chinese.textWidth();
        }
        // The widgets' text of sizes 11 and 12 was made again in the new font too.
        latinEngines = app.textEngines().registry().holders(11, L"SSERIFE.FON") > 1 &&
                       app.textEngines().registry().holders(12, L"SSERIFE.FON") > 1;
    };
    app.setLanguageIndex(0);
    EXPECT_EQ(runEntry(app, nullptr), 0);
    EXPECT_TRUE(messages.shown.empty());
    for (int size : {11, 12, 13}) {
        SCOPED_TRACE(size);
        const Widths& w = widths[size - 11];
        ASSERT_NE(w.latin, w.chinese) << "the two fonts must tell themselves apart";
        EXPECT_EQ(w.before, w.chinese);
        EXPECT_EQ(w.after, w.latin) << "still drawn in the start-up font";
    }
    EXPECT_TRUE(latinEngines);
}

// A string under the user's own classes, read there and not through HKEY_CLASSES_ROOT: Wine's
// merged view of it is not the one a user's Windows gives.
std::wstring readRegistryString(const wchar_t* path, const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof(buffer);
    DWORD type = 0;
    const std::wstring userPath = std::wstring(L"Software\\Classes\\") + path;
    if (RegGetValueW(HKEY_CURRENT_USER, userPath.c_str(), name, RRF_RT_ANY, &type, buffer, &bytes) != ERROR_SUCCESS)
        return L"<none>";
    return type == REG_SZ ? std::wstring(buffer) : L"<not a string>";
}

TEST_F(StartupTest, UrlProtocolKeysPointAtTheProgram) {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\Avatar");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Avatar");
    registerUrlProtocol("C:\\Program Files\\Likenex");
    EXPECT_EQ(readRegistryString(L"Avatar", nullptr), L"URL: Avatar Protocol");
    EXPECT_EQ(readRegistryString(L"Avatar", L"URL Protocol"), L"");
    EXPECT_EQ(readRegistryString(L"Avatar\\shell\\open\\command", nullptr),
              L"\"C:\\Program Files\\Likenex\\Likenex.exe\" \"%1\"");
    // Every start writes them again.
    registerUrlProtocol("D:\\Other");
    EXPECT_EQ(readRegistryString(L"Avatar\\shell\\open\\command", nullptr), L"\"D:\\Other\\Likenex.exe\" \"%1\"");
    // The machine's classes, which a standard user cannot write, are left alone.
    HKEY machine = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Avatar", 0, KEY_READ, &machine),
              ERROR_FILE_NOT_FOUND);
    const UniqueRegistryKey opened(machine);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\Avatar");
}

void writeText(const fs::path& path, const char* text) { std::ofstream(path, std::ios::binary) << text; }
std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(StartupTest, FilesLeftByTheUpdaterAreSwappedIntoPlace) {
    const fs::path dir = fs::temp_directory_path() / "likenex-updater-files";
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const char* name : {"1.exe", "2.exe", "fullup.exe"}) writeText(dir / name, "old");
    writeText(dir / "Update.exe", "old updater");
    writeText(dir / "Update.up", "new updater");
    writeText(dir / "News.dll", "old news");
    writeText(dir / "News.up", "new news");
    cleanUpAfterUpdater(dir.string());
    for (const char* name : {"1.exe", "2.exe", "fullup.exe", "Update.up", "News.up"})
        EXPECT_FALSE(fs::exists(dir / name)) << name;
    EXPECT_EQ(readText(dir / "Update.exe"), "new updater");
    EXPECT_EQ(readText(dir / "News.dll"), "new news");
    // Without downloads the installed files stay.
    cleanUpAfterUpdater(dir.string());
    EXPECT_EQ(readText(dir / "Update.exe"), "new updater");
    fs::remove_all(dir);
}

// Bubble pieces from the data set's archive, drawn through a back end that hands out texture
// handles and records where each texture lands.
struct DrawnRect {
    int left, top, right, bottom;
};

class RectRecorder final : public testing::NullBackend {
public:
    std::vector<DrawnRect> drawn;
    long createTexture(TextureHandle* handle, int, int, const void*) override {
        *handle = next_++;
        return 0;
    }
    bool isTexture(const TextureHandle* handle) const override { return *handle != 0; }
    void drawTexture(const TextureHandle*, float, float, float, float, int l, int t, int r, int b) override {
        drawn.push_back({l, t, r, b});
    }

private:
    TextureHandle next_ = 1;
};

TEST_F(StartupTest, BubbleGeometryForNarrowTexts) {
    RenderContext context;
    context.backEnd = std::make_unique<RectRecorder>();
    Painter painter(context);
    std::vector<DrawnRect>& drawnRects = static_cast<RectRecorder&>(*context.backEnd).drawn;
    auto drawn = [&]() -> std::vector<DrawnRect>& { return drawnRects; };
    ColourTables tables;
    AvatarArchive archive(tables);
    ASSERT_TRUE(archive.loadAvatarArchive(narrowProgramDirectory(LIKENEX_PROGRAM_DIR_PATH)));
    SpeechBubbles bubbles;
    bubbles.load(archive, painter);
    auto middles = [&] {
        std::vector<int> at;
        for (const DrawnRect& r : drawn())
            if (r.right - r.left == 2) at.push_back(r.left);
        return at;
    };
    drawn().clear();
    bubbles.draw(painter, 100, 200, 0, false, 0);
    ASSERT_EQ(drawn().size(), 4u) << "one middle piece, two caps and the tail";
    EXPECT_EQ(middles(), std::vector<int>{160});
    EXPECT_EQ(drawn()[1].left, 158 - 6) << "left cap, reaching left of its anchor";
    EXPECT_EQ(drawn()[1].right, 160);
    EXPECT_EQ(drawn()[2].left, 162) << "right cap";
    EXPECT_EQ(drawn()[3].left, 161) << "tail";
    for (const DrawnRect& r : drawn()) EXPECT_EQ(r.top, 179);
    for (int width : {1, 2}) {
        drawn().clear();
        bubbles.draw(painter, 100, 200, width, true, 1);
        EXPECT_EQ(middles(), (std::vector<int>{158, 160, 162})) << width;
        EXPECT_EQ(drawn().back().top, 165) << "two lines start 35 rows up";
    }
    drawn().clear();
    bubbles.draw(painter, 100, 200, 5, false, 2);
    EXPECT_TRUE(drawn().empty()) << "no third variant";
    bubbles.release();
}

// The bubble composed into the snapshot: each variant-0 piece lands at the column the
// on-screen bubble uses and at row base - (its y offset) - (its height) - y, where base is 223
// for one line and 237 for two. Checked pixel by pixel against the pieces read from the archive.
TEST_F(StartupTest, ComposedBubblePiecesLandOnTheirRowsAndColumns) {
    ColourTables tables;
    AvatarArchive archive(tables);
    ASSERT_TRUE(archive.loadAvatarArchive(narrowProgramDirectory(LIKENEX_PROGRAM_DIR_PATH)));
    SpeechBubbles bubbles;
    bubbles.load(archive);
    struct Piece {
        int picture;  // first archive picture of the piece's pair
        int column;
        std::vector<std::uint8_t> pixels;
        ImageRecord image;
    };
    for (const bool twoLines : {false, true}) {
        for (const int width : {0, 3}) {
            SCOPED_TRACE(std::to_string(twoLines) + " " + std::to_string(width));
            const int x = 100, y = 40, h = (width + 1) / 2;
            std::vector<Piece> pieces;  // in drawing order: middle strip, left cap, right cap, tail
            const int first = twoLines ? 18 : 10;
            for (int i = 0; i < 2 * h + 1; ++i) pieces.push_back({first + 2, x - 2 * h + 60 + 2 * i, {}, {}});
            pieces.push_back({first, x - 2 * h + 58, {}, {}});
            pieces.push_back({first + 6, x + 2 * h + 62, {}, {}});
            pieces.push_back({first + 4, x + 61, {}, {}});
            for (Piece& p : pieces) {
                const std::int64_t key = makeImageKey(p.picture, 5, 0, 0, 0, 0);
                ASSERT_TRUE(archive.loadSpritePixels(key, 0, -1, p.pixels));
                p.image = archive.loadSpriteRecord(key, 0, -1);
                ASSERT_EQ(p.pixels.size(), static_cast<std::size_t>(p.image.width) * p.image.height * 4);
            }
            AvatarModel model(AvatarModelParts{});
            std::vector<std::uint8_t> white(4, 255);
            model.blendInto(white.data(), 0, 0, 1, 1);  // the canvas starts white and opaque
            bubbles.compose(model, x, y, width, twoLines);
            const std::vector<std::uint8_t>& canvas = model.snapshot();
            ASSERT_EQ(canvas.size(), 256u * 256u * 4u);
            const int base = twoLines ? 237 : 223;
            auto placed = [&](const Piece& p, int& left, int& row) {
                left = p.column + p.image.xOffset;
                row = base - p.image.yOffset - p.image.height - y;
            };
            int checked = 0;
            for (std::size_t k = 0; k < pieces.size(); ++k) {
                int left = 0, row = 0;
                placed(pieces[k], left, row);
                for (int i = 0; i < pieces[k].image.height; ++i) {
                    for (int j = 0; j < pieces[k].image.width; ++j) {
                        const std::uint8_t* source =
                            &pieces[k].pixels[(static_cast<std::size_t>(i) * pieces[k].image.width + j) * 4];
                        if (source[3] != 255) continue;
                        // A piece drawn later may cover this pixel.
                        bool covered = false;
                        for (std::size_t later = k + 1; later < pieces.size() && !covered; ++later) {
                            int l = 0, r = 0;
                            placed(pieces[later], l, r);
                            covered = left + j >= l && left + j < l + pieces[later].image.width && row + i >= r &&
                                      row + i < r + pieces[later].image.height;
                        }
                        if (covered) continue;
                        const std::uint8_t* got = &canvas[(static_cast<std::size_t>(row + i) * 256 + left + j) * 4];
                        ASSERT_TRUE(std::equal(source, source + 4, got))
                            << "piece " << k << " pixel " << j << "," << i << " at " << left + j << "," << row + i;
                        ++checked;
                    }
                }
            }
            EXPECT_GT(checked, 50);
        }
    }
}

TEST_F(StartupTest, TheWindowShowsTheComposedFramePixelForPixel) {
    CapturedMessages messages;
    StartedApplication app(true);
    const std::wstring shot = (fs::temp_directory_path() / "likenex-window-frame.bmp").wstring();
    const std::wstring bare = (fs::temp_directory_path() / "likenex-window-bare.bmp").wstring();
    bool saved = false;
    // The second frame, drawn after the frame's texts of the first: what they leave behind
    // must not tint the pictures. Then the same frame without the figure, for what the
    // figure's soft edges are blended over.
    app.onFirstFrame = [&] {
        auto* editor = static_cast<EditorScreen*>(app.windowStack().findWindow(kEditorScreenId));
        ASSERT_TRUE(editor);
        ASSERT_EQ(editor->state().page(), kFacePage);
        // The golden frame is composed from tests/win/new-avatar.json, which names the face a
        // new avatar wears: the catalogue's first free eyes and mouth.
        const AvatarLook& look = editor->state().model()->look();
        ASSERT_EQ(look.items[kFaceOptionSlot1].item, 1) << "new-avatar.json names another face";
        ASSERT_EQ(look.items[kFaceOptionSlot2].item, 1) << "new-avatar.json names another face";
        Painter& painter = app.painter();
        painter.clear();
        painter.beginScene();
        app.Application::updateFrame();
        saved = painter.saveRegion(0, 0, 654, 537, shot.c_str());
        AvatarModel* model = editor->state().model();
        editor->state().attachModel(nullptr);
        painter.clear();
        painter.beginScene();
        app.Application::updateFrame();
        saved = saved && painter.saveRegion(0, 0, 654, 537, bare.c_str());
        editor->state().attachModel(model);
    };
    EXPECT_EQ(runEntry(app, nullptr), 0);
    ASSERT_TRUE(saved);
    auto read = [](const std::wstring& path) {
        std::ifstream in(fs::path(path), std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    };
    const auto window = test::decodeBmp(read(shot));
    const auto under = test::decodeBmp(read(bare));
    const auto golden = test::decodeBmp(read(LIKENEX_GOLDEN_FRAME));
    ASSERT_TRUE(window && under && golden);
    ASSERT_EQ(golden->width, 128);
    // The frame is drawn at the view's point in the preview area of the first page plus body
    // layer 0's offsets (104, 109). The shadow lies under the feet, so rows from 112 on are
    // left out.
    const int left = kPreviewAvatarX + 104, top = kPreviewAvatarY + 109;
    int compared = 0, opaque = 0;
    for (int y = 0; y < 112; ++y) {
        for (int x = 0; x < 128; ++x) {
            const std::uint32_t g = golden->at(x, y);
            const int a = static_cast<int>(g >> 24);
            const std::uint32_t w = window->at(left + x, top + y);
            const std::uint32_t b = under->at(left + x, top + y);
            for (int shift : {16, 8, 0}) {
                const int expected =
                    (static_cast<int>((g >> shift) & 255) * a + static_cast<int>((b >> shift) & 255) * (255 - a)) / 255;
                const int got = static_cast<int>((w >> shift) & 255);
                if (a == 255) ASSERT_EQ(got, expected) << "pixel " << x << "," << y;
                else ASSERT_NEAR(got, expected, 2) << "pixel " << x << "," << y << " alpha " << a;
            }
            ++compared;
            opaque += a == 255;
        }
    }
    EXPECT_GT(opaque, 1500) << "the figure was drawn";
    fs::remove(fs::path(shot));
}

}  // namespace
}  // namespace likenex
