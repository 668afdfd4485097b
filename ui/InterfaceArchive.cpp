#include "ui/InterfaceArchive.h"

#include "render/Painter.h"

namespace likenex {

bool InterfaceArchive::loadInterfaceArchive(const std::string& programDirectory) {
    releaseInterfaceArchive();
    return file_.open(programDirectory);
}

bool InterfaceArchive::getImage(std::uint32_t skinIdentifier, SkinImage& image) {
    if (auto cached = cache_.find(skinIdentifier); cached != cache_.end()) {
        // A texture the renderer no longer knows (lost with its device, say) is made again.
        if (hasTexture(painter_, cached->second.texture)) {
            image = cached->second;
            return true;
        }
        cache_.erase(cached);
    }

    const std::optional<SkinRecord> record = file_.find(skinIdentifier);
    if (!record) return false;

    SkinImage made;
    made.layoutWidth = record->layoutWidth;
    made.layoutHeight = record->layoutHeight;
    made.width = static_cast<std::int32_t>(record->texW);
    made.height = static_cast<std::int32_t>(record->texH);
    made.texture = makeTexture(painter_, made.width, made.height, record->pixels.data());
    made.rect = {0, 0, made.width, made.height};
    if (made.texture != 0) cache_.emplace(skinIdentifier, made);
    image = made;
    return true;
}

void InterfaceArchive::releaseInterfaceArchive() {
    file_.close();
    for (auto& [identifier, image] : cache_) dropTexture(painter_, image.texture);
    cache_.clear();
}

}  // namespace likenex
