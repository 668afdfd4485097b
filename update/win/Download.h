#pragma once
// One file fetched over HTTP with URLDownloadToFileW, its progress reported as a percentage.
// The newest copy is always asked for: an installer must never come from a cache.

#include <functional>
#include <string>

namespace likenex::update {

using ProgressReport = std::function<void(int percent)>;

// True only when the whole file arrived at `path`.
[[nodiscard]] bool downloadFile(const std::wstring& url, const std::wstring& path, const ProgressReport& progress);

}  // namespace likenex::update
