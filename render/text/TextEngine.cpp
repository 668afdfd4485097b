#include "render/text/TextEngine.h"

namespace likenex {

TextEngine* TextEngineRegistry::acquire(std::int32_t size, const Factory& make) {
    if (auto found = entries_.find(size); found != entries_.end()) {
        ++found->second.holders;
        return found->second.engine.get();
    }
    std::unique_ptr<TextEngine> engine = make ? make() : nullptr;
    if (!engine) return nullptr;
    TextEngine* made = engine.get();
    entries_.emplace(size, Entry{std::move(engine), 1});
    return made;
}

void TextEngineRegistry::release(std::int32_t size) {
    auto found = entries_.find(size);
    if (found == entries_.end()) return;
    if (--found->second.holders > 0) return;
    // Taken out of the map before it is destroyed, so an engine's destructor never sees itself
    // still registered.
    std::unique_ptr<TextEngine> engine = std::move(found->second.engine);
    entries_.erase(found);
}

TextEngine* TextEngineRegistry::find(std::int32_t size) const {
    auto found = entries_.find(size);
    return found == entries_.end() ? nullptr : found->second.engine.get();
}

int TextEngineRegistry::holders(std::int32_t size) const {
    auto found = entries_.find(size);
    return found == entries_.end() ? 0 : found->second.holders;
}

std::wstring faceNameFromFontFile(std::wstring_view fontFile) {
    return fontFile.size() <= 4 ? std::wstring() : std::wstring(fontFile.substr(0, fontFile.size() - 4));
}

}  // namespace likenex
