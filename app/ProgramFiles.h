#pragma once
// The program directory and the files the editor looks after in it: the URL protocol that
// points browsers at the program, and the files the updater leaves behind.

#include <string>

namespace likenex {

// The folder of the running executable, without a trailing backslash, however long.
[[nodiscard]] std::wstring executableDirectory();

// The narrow (system code page) form of a directory, or empty when the data loaders could
// not use it: characters the code page cannot hold, or 500 characters or more.
[[nodiscard]] std::string narrowProgramDirectory(const std::wstring& directory);

// Writes HKEY_CURRENT_USER\Software\Classes\Avatar so that "avatar:" links start the editor in
// `directory` for this user.
// Errors are ignored: the editor runs without the link.
void registerUrlProtocol(const std::string& directory);

// Deletes what an update left behind and moves downloaded Update.up and News.up into place.
// Failures are ignored; the next start tries again.
void cleanUpAfterUpdater(const std::string& directory);

}  // namespace likenex
