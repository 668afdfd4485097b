// likenex-interface-art: draws the interface archive from content/interface/skins.tsv and
// the palette sets of content/avatar/colours.json, writes data/inter.inx and data/inter.dat
// into a program directory, and a contact sheet of every picture.

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "tools/interface-art/Art.h"
#include "tools/likenex-data/ToolSupport.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: likenex-interface-art SKINS_TSV COLOURS_JSON PROGRAM_DIR SHEET_PNG\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    try {
        using namespace likenex;
        const std::vector<SkinRow> rows = skinRowsFromTsv(readTextFileOrFail(argv[1]), argv[1]);
        const iart::InterfaceArt art = iart::drawInterface(rows, iart::loadPaletteColours(argv[2]));
        std::vector<SkinImageSource> pictures;
        std::size_t bytes = 0;
        for (const iart::DrawnSkin& s : art.skins) {
            pictures.push_back(s.picture);
            bytes += kSkinHeaderBytes + s.picture.pixels.size();
        }
        std::filesystem::create_directories(std::filesystem::path(argv[3]) / "data");
        if (!writeInterfaceArchive(argv[3], pictures)) {
            std::fprintf(stderr, "likenex-interface-art: cannot write the interface archive under %s\n", argv[3]);
            return 1;
        }
        const std::filesystem::path sheet(argv[4]);
        if (sheet.has_parent_path()) std::filesystem::create_directories(sheet.parent_path());
        iart::writeInterfaceSheet(art, argv[4]);
        iart::releaseDrawingCaches();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("likenex-interface-art: %zu pictures, %zu bytes of inter.dat, in %.2f s\n", pictures.size(), bytes,
                    seconds);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "likenex-interface-art: %s\n", e.what());
        return 1;
    }
    return 0;
}
