#include "server/PictureCache.h"

namespace likenex {

namespace {

// What an entry takes beside its picture's bytes: its key twice and the bookkeeping, so that
// many tiny pictures cannot hold far more memory than the budget says.
std::size_t costOf(const std::string& key, const CachedPicture& picture) {
    return picture.bytes.size() + picture.etag.size() + 2 * key.size() + 128;
}

}  // namespace

std::shared_ptr<const CachedPicture> PictureCache::find(const std::string& key) {
    std::lock_guard lock(mutex_);
    auto it = byKey_.find(key);
    if (it == byKey_.end()) return nullptr;
    order_.splice(order_.begin(), order_, it->second);
    return it->second->picture;
}

void PictureCache::keep(const std::string& key, std::shared_ptr<const CachedPicture> picture) {
    if (!picture) return;
    const std::size_t cost = costOf(key, *picture);
    std::lock_guard lock(mutex_);
    if (auto it = byKey_.find(key); it != byKey_.end()) drop(it->second);
    if (cost > budget_) return;
    while (bytes_ + cost > budget_ && !order_.empty()) drop(std::prev(order_.end()));
    order_.push_front(Entry{key, std::move(picture), cost});
    byKey_.emplace(key, order_.begin());
    bytes_ += cost;
}

void PictureCache::drop(std::list<Entry>::iterator entry) {
    bytes_ -= entry->cost;
    byKey_.erase(entry->key);
    order_.erase(entry);
}

std::size_t PictureCache::bytes() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

std::size_t PictureCache::count() const {
    std::lock_guard lock(mutex_);
    return byKey_.size();
}

}  // namespace likenex
