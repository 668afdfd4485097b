// Fuzzes the reading of an installer's signed manifest (the "<installer>.sig" that Update.exe
// downloads). Whatever the bytes, an accepted manifest is within the size limit, names a plain
// file, and is in its one canonical spelling: its fields written out again are exactly the
// signed lines, which stand at the start of the text.
#include "test_support/FuzzCheck.h"
#include "update/InstallerManifest.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace likenex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    update::InstallerManifest manifest;
    std::string error;
    if (!update::parseInstallerManifest(text, manifest, error)) {
        fuzzing::check(!error.empty(), "a refusal says why");
        return 0;
    }
    fuzzing::check(error.empty(), "an acceptance gives no reason");
    fuzzing::check(text.size() <= update::kMaxManifestFile, "no longer than a manifest may be");
    fuzzing::check(!manifest.file.empty() && manifest.file.size() <= update::kMaxInstallerName, "a short name");
    fuzzing::check(manifest.file.find_first_of("/\\:") == std::string::npos && manifest.file[0] != '.',
                   "a name within the folder");
    fuzzing::check(manifest.version > 0 && manifest.size > 0, "a version and a size");
    fuzzing::check(text.substr(0, manifest.signedText.size()) == manifest.signedText, "the signed lines come first");
    fuzzing::check(update::installerManifestText(manifest.file, manifest.version, manifest.size, manifest.sha256) ==
                       manifest.signedText,
                   "the fields written out are the signed lines");
    fuzzing::check(text.size() > manifest.signedText.size() && text.back() == '\n', "a signature line follows");
    return 0;
}
