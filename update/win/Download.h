#pragma once
// One file fetched over HTTP with WinINet, its progress reported as a percentage. The newest
// copy is always asked for: an installer must never come from a cache. Only a 200 answer
// whose body arrived whole counts; anything else leaves no file behind. (URLDownloadToFile
// reports success for a 404 under Wine and writes the error page as the file.)

#include <functional>
#include <string>

namespace likenex::update {

using ProgressReport = std::function<void(int percent)>;

// True only when the whole file arrived at `path`; `path` is removed otherwise.
[[nodiscard]] bool downloadFile(const std::wstring& url, const std::wstring& path, const ProgressReport& progress);

}  // namespace likenex::update
