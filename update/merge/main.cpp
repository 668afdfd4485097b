// data\merge.exe: Update.exe runs it after each installer, from the program folder, and waits.
// It merges data\incoming\ into the program folder (update/merge/DataMerge.h) and ends with 0
// when the update is in place or there was none, 1 otherwise. A GUI program, so no console
// window flashes up while the dialog shows its progress.
//
// The program folder is the parent of the folder holding merge.exe. In a test build
// (LIKENEX_TEST_SEAMS) a first argument names another one, which the tests use; a build for
// users has no such argument, so it merges into no folder but its own.

#include "platform/win/Handles.h"
#include "update/merge/DataMerge.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

using likenex::update::DiskFileSystem;

// A merge must survive a power failure: the journal is forced onto the disk before it is
// renamed into place, and every rename is finished on the disk before the next one starts.
// Links are told by their attributes: MinGW's symlink_status follows a junction.
class WriteThroughFileSystem : public DiskFileSystem {
public:
    std::optional<bool> isLink(const std::filesystem::path& path) override {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
            return std::nullopt;
        }
        return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    }

    bool renameReplacing(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }

    bool writeFile(const std::filesystem::path& path, std::string_view bytes) override {
        likenex::UniqueFile file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
            DWORD done = 0;
            if (!WriteFile(file.get(), bytes.data(), chunk, &done, nullptr) || done != chunk) return false;
            bytes.remove_prefix(chunk);
        }
        return FlushFileBuffers(file.get()) != 0;  // on the disk now; the handle closes with `file`
    }
};

std::filesystem::path folderAboveExecutable() {
    std::vector<wchar_t> name(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return L".";  // Update.exe starts the merger in the program folder
        if (length < name.size())
            return std::filesystem::path(std::wstring(name.data(), length)).parent_path().parent_path();
        name.resize(name.size() * 2);  // the name was cut at the buffer's end
    }
}

#ifdef LIKENEX_TEST_SEAMS
struct ArgumentListTraits {
    using Type = LPWSTR*;
    static Type invalid() { return nullptr; }
    static void close(Type list) { LocalFree(list); }
};

std::filesystem::path programFolder() {
    int count = 0;
    const likenex::UniqueResource<ArgumentListTraits> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
    if (arguments && count >= 2 && arguments.get()[1][0] != L'\0') return arguments.get()[1];
    return folderAboveExecutable();
}
#else
std::filesystem::path programFolder() { return folderAboveExecutable(); }
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    WriteThroughFileSystem disk;
    return likenex::update::exitCode(likenex::update::mergeIncomingData(disk, programFolder()));
}
