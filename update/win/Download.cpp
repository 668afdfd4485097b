#include "update/win/Download.h"

#include "platform/win/Handles.h"
#include "update/Updater.h"

#include <windows.h>

#include <wininet.h>

#include <cstdint>
#include <optional>

namespace likenex::update {
namespace {

// HTTP_QUERY_CONTENT_LENGTH as a number; empty when the server sent none.
std::optional<std::uint64_t> contentLength(HINTERNET request) {
    wchar_t text[32] = {};
    DWORD size = sizeof text;
    if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return std::nullopt;
    std::uint64_t value = 0;
    for (const wchar_t* c = text; *c; ++c) {
        if (*c < L'0' || *c > L'9' || value > UINT64_MAX / 10) return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(*c - L'0');
    }
    return value;
}

bool fetchInto(HINTERNET request, HANDLE file, const ProgressReport& progress) {
    // An error page is not the installer: only a 200 answer is written.
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ||
        status != 200)
        return false;
    const std::optional<std::uint64_t> expected = contentLength(request);
    std::uint64_t received = 0;
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(request, buffer, sizeof buffer, &got)) return false;
        if (got == 0) break;
        DWORD written = 0;
        if (!WriteFile(file, buffer, got, &written, nullptr) || written != got) return false;
        received += got;
        if (expected && received > *expected) return false;  // more than announced: not that file
        if (progress) progress(downloadPercent(received, expected.value_or(0)));
    }
    // A connection that ended early leaves a short file, which would not run as the installer.
    return !expected || received == *expected;
}

}  // namespace

bool downloadFile(const std::wstring& url, const std::wstring& path, const ProgressReport& progress) {
    const UniqueInternetHandle session(InternetOpenW(L"Update", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return false;
    // Always from the host, never from a cache: a retry must not get the same broken copy.
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
    const UniqueInternetHandle request(InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0, flags, 0));
    if (!request) return false;
    bool complete = false;
    {
        const UniqueFile file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        complete = fetchInto(request.get(), file.get(), progress);
    }
    if (!complete) DeleteFileW(path.c_str());
    return complete;
}

}  // namespace likenex::update
