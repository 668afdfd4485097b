// Fuzzes the interface picture archive: inter.inx and inter.dat from one input (the layout
// of test_support/AvatarArchiveFuzzInput.h), then every picture of the index fetched
// twice (made, then from the cache) through a renderer that reads every pixel it is handed,
// and released again with no texture left behind.
//
// The archive reads files only, so each input is written to a private folder (in /dev/shm
// when there is one) and loaded from there; the mapping hides reads past the end of the
// file that stay inside its last page, which the data size check below catches instead.
#include "catalogue/DataFiles.h"
#include "test_support/AvatarArchiveFuzzInput.h"
#include "test_support/FuzzCheck.h"
#include "test_support/ReadingBackend.h"
#include "ui/InterfaceArchive.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

using likenex::fuzzing::check;

// A private folder for one input's files; gone again once the archive has loaded them (the
// mapping keeps the data alive), so nothing is left behind however the process ends.
class InputFolder {
public:
    InputFolder() {
        static const std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        path_ = base + "/likenex-fuzz-XXXXXX";
        check(mkdtemp(path_.data()) != nullptr, "temporary folder");
        std::filesystem::create_directories(path_ + "/data");
    }
    ~InputFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    InputFolder(const InputFolder&) = delete;
    InputFolder& operator=(const InputFolder&) = delete;
    [[nodiscard]] const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Now and then the renderer refuses a texture, as a lost device does.
    likenex::fuzzing::ReadingRenderer renderer(true);
    const std::set<likenex::TextureHandle>& liveTextures = renderer.reading->live;

    likenex::fuzzing::AvatarArchiveInput input = likenex::fuzzing::splitAvatarArchiveInput({data, size});
    likenex::InterfaceArchive archive(renderer.painter);
    bool loaded = false;
    {
        InputFolder folder;
        check(likenex::writeWholeFile(folder.path() + "/data/inter.inx", {input.index.begin(), input.index.end()}) &&
                  likenex::writeWholeFile(folder.path() + "/data/inter.dat", input.data),
              "writing the input files");
        loaded = archive.loadInterfaceArchive(folder.path());
    }
    if (loaded) {
        int tried = 0;
        for (const auto& [identifier, entry] : archive.index()) {
            if (++tried > 64) break;  // keeps one run short
            likenex::SkinImage first;
            if (!archive.getImage(identifier, first)) continue;
            check(first.width >= 0 && first.height >= 0, "picture size");
            check(std::uint64_t(first.width) * std::uint64_t(first.height) * 4 + likenex::kSkinHeaderBytes <=
                      input.data.size(),
                  "picture larger than the data file");
            likenex::SkinImage second;
            check(archive.getImage(identifier, second), "a picture found once is found again");
            check(second.width == first.width && second.height == first.height, "the same picture again");
            if (first.texture != 0) check(second.texture == first.texture, "a cached picture shares its texture");
            likenex::SkinImage none;
            (void)archive.getImage(identifier ^ 1, none);  // a neighbour identifier, often absent
        }
        archive.releaseInterfaceArchive();
    }
    check(liveTextures.empty(), "textures left after release");
    return 0;
}
