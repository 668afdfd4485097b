#include "render/text/FontFiles.h"

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <system_error>

namespace likenex {
namespace {

struct StandIn {
    std::wstring_view vendorFile;
    std::wstring_view freeFile;
};

constexpr StandIn kStandIns[] = {
    {L"mingliu.ttc", L"uming.ttc"},
    {L"msgothic.ttc", L"ipag.ttf"},
    {L"sserife.fon", L"DejaVuSans.ttf"},
};

bool sameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y));
           });
}

bool isFile(const std::wstring& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

}  // namespace

std::wstring_view standInFontFile(std::wstring_view fontFile) {
    for (const StandIn& s : kStandIns)
        if (sameIgnoringCase(fontFile, s.vendorFile)) return s.freeFile;
    return {};
}

std::wstring resolveFontPathIn(std::wstring_view fontFile, const std::wstring& windowsFonts,
                               const std::wstring& programFonts) {
    // A name that reaches into another folder is no font file name.
    if (fontFile.empty() || fontFile.find_first_of(L"/\\:") != std::wstring_view::npos) return {};
    // An unknown folder is skipped: an empty one would look in the working directory.
    if (!windowsFonts.empty()) {
        std::wstring path = windowsFonts + std::wstring(fontFile);
        if (isFile(path)) return path;
    }
    const std::wstring_view standIn = standInFontFile(fontFile);
    if (standIn.empty() || programFonts.empty()) return {};
    std::wstring path = programFonts + std::wstring(standIn);
    return isFile(path) ? path : std::wstring();
}

}  // namespace likenex
