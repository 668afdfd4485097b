// Writes small valid inputs for the interface archive fuzz target, made by the writer:
//   likenex_ui_fuzz_seeds CORPUS_ROOT   writes CORPUS_ROOT/interface_archive_fuzz/seed-*.bin
#include "catalogue/DataFiles.h"
#include "catalogue/InterfaceArchiveFile.h"
#include "test_support/AvatarArchiveFuzzInput.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

likenex::SkinImageSource picture(std::uint32_t identifier, std::uint32_t width, std::uint32_t height) {
    likenex::SkinImageSource s{identifier, width + 2, height + 1, width, height, {}};
    for (std::uint32_t p = 0; p < width * height * 4; ++p) s.pixels.push_back(static_cast<std::uint8_t>(p * 37));
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: likenex_ui_fuzz_seeds CORPUS_ROOT\n");
        return 1;
    }
    std::vector<likenex::SkinImageSource> pictures = {picture(1, 3, 2), picture(2, 0, 0), picture(0xffffffffu, 1, 4),
                                                      picture(7, 2, 2)};
    auto files = likenex::encodeInterfaceArchive(pictures);
    std::filesystem::path folder = std::filesystem::path(argv[1]) / "interface_archive_fuzz";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!files || error ||
        !likenex::writeWholeFile((folder / "seed-pictures.bin").string(),
                                 likenex::fuzzing::joinAvatarArchiveInput(files->index, files->data))) {
        std::fprintf(stderr, "cannot write the interface archive seed\n");
        return 1;
    }
    return 0;
}
