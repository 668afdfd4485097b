// Replays a fuzz target's committed corpus in the normal test build, so that a fault a fuzzer
// once found stays fixed on every machine: each file of the folders named on the command line
// goes once through the target's LLVMFuzzerTestOneInput, in a buffer of exactly its size, as
// libFuzzer hands it. A fault aborts the run (the sanitizers say where). A folder that is
// missing or holds no input fails, so that a lost corpus cannot pass for a clean one.
//
//   <target>_replay FOLDER...
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    // A buffer of the input's own size, so that AddressSanitizer sees a read past its end.
    auto exact = std::make_unique<std::uint8_t[]>(std::max<std::size_t>(bytes.size(), 1));
    std::copy(bytes.begin(), bytes.end(), exact.get());
    (void)LLVMFuzzerTestOneInput(exact.get(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER...\n", argv[0]);
        return 2;
    }
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(argv[i], error))
            if (entry.is_regular_file()) files.push_back(entry.path());
        if (error || files.empty()) {
            std::fprintf(stderr, "no inputs in %s\n", argv[i]);
            return 1;
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            // Named first, so that the input behind a fault is the last one on the screen.
            std::fprintf(stderr, "%s\n", file.filename().string().c_str());
            if (!replay(file)) {
                std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
                return 1;
            }
            ++replayed;
        }
    }
    std::printf("%zu inputs replayed without a fault\n", replayed);
    return 0;
}
