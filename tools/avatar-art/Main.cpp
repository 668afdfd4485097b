// likenex-avatar-art: draws the default avatar data set from the text sources under
// content/avatar and writes data/avatar.inx, data/avatar.iso and data/avatar.dat into a
// program directory.

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "catalogue/CatalogueWriter.h"
#include "tools/avatar-art/DataSet.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: likenex-avatar-art CONTENT_DIR PROGRAM_DIR\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    try {
        const likenex::art::DataSet data = likenex::art::loadDataSet(argv[1]);
        const std::vector<likenex::SpriteSource> sprites = likenex::art::drawDataSet(data);
        std::filesystem::create_directories(std::filesystem::path(argv[2]) / "data");
        if (!likenex::writeAvatarArchive(argv[2], sprites)) {
            std::fprintf(stderr, "likenex-avatar-art: cannot write the avatar archive under %s\n", argv[2]);
            return 1;
        }
        if (!likenex::writeAvatarData(argv[2], data.catalogue())) {
            std::fprintf(stderr, "likenex-avatar-art: cannot write avatar.dat under %s\n", argv[2]);
            return 1;
        }
        std::size_t bytes = 0;
        for (const auto& s : sprites) bytes += 24 + s.pixels.size();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("likenex-avatar-art: %zu pictures, %.1f MiB of pictures, %zu actions, %zu items, in %.1f s\n",
                    sprites.size(), bytes / 1048576.0, data.actions.size(), data.items.size(), seconds);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "likenex-avatar-art: %s\n", e.what());
        return 1;
    }
    return 0;
}
