#include "render/text/TextEngine.h"

namespace likenex {

TextEngineRegistry::Key TextEngineRegistry::keyOf(std::int32_t size, std::wstring_view fontFile) {
    std::wstring folded(fontFile);
    for (wchar_t& c : folded)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return {size, std::move(folded)};
}

TextEngine* TextEngineRegistry::acquire(std::int32_t size, std::wstring_view fontFile, const Factory& make) {
    Key key = keyOf(size, fontFile);
    if (auto found = entries_.find(key); found != entries_.end()) {
        ++found->second.holders;
        return found->second.engine.get();
    }
    std::unique_ptr<TextEngine> engine = make ? make() : nullptr;
    if (!engine) return nullptr;
    TextEngine* made = engine.get();
    entries_.emplace(std::move(key), Entry{std::move(engine), 1});
    return made;
}

void TextEngineRegistry::release(std::int32_t size, std::wstring_view fontFile) {
    auto found = entries_.find(keyOf(size, fontFile));
    if (found == entries_.end()) return;
    if (--found->second.holders > 0) return;
    // Taken out of the map before it is destroyed, so an engine's destructor never sees itself
    // still registered.
    std::unique_ptr<TextEngine> engine = std::move(found->second.engine);
    entries_.erase(found);
}

TextEngine* TextEngineRegistry::find(std::int32_t size, std::wstring_view fontFile) const {
    auto found = entries_.find(keyOf(size, fontFile));
    return found == entries_.end() ? nullptr : found->second.engine.get();
}

int TextEngineRegistry::holders(std::int32_t size, std::wstring_view fontFile) const {
    auto found = entries_.find(keyOf(size, fontFile));
    return found == entries_.end() ? 0 : found->second.holders;
}

std::size_t TextEngineRegistry::enginesOfSize(std::int32_t size) const {
    std::size_t count = 0;
    for (const auto& [key, entry] : entries_) count += key.first == size;
    return count;
}

std::wstring faceNameFromFontFile(std::wstring_view fontFile) {
    return fontFile.size() <= 4 ? std::wstring() : std::wstring(fontFile.substr(0, fontFile.size() - 4));
}

}  // namespace likenex
