#pragma once
// Pictures made on request, kept in memory by the text of their request, up to a number of
// bytes: the least recently used go first when a new one needs room, and a picture larger
// than the whole budget is never kept. Thread-safe; a picture handed out stays valid while
// its holder keeps it, whatever the cache drops meanwhile.

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace likenex {

struct CachedPicture {
    std::vector<std::uint8_t> bytes;
    std::string etag;  // quoted, as the ETag header carries it
};

class PictureCache {
public:
    explicit PictureCache(std::size_t budgetBytes) : budget_(budgetBytes) {}

    // The picture kept for `key`, now the most recently used; null when none is kept.
    [[nodiscard]] std::shared_ptr<const CachedPicture> find(const std::string& key);
    // Keeps `picture` for `key` (replacing what was kept for it), dropping the least recently
    // used pictures until the whole fits.
    void keep(const std::string& key, std::shared_ptr<const CachedPicture> picture);

    [[nodiscard]] std::size_t bytes() const;
    [[nodiscard]] std::size_t count() const;

private:
    struct Entry {
        std::string key;
        std::shared_ptr<const CachedPicture> picture;
        std::size_t cost = 0;
    };
    void drop(std::list<Entry>::iterator entry);

    std::size_t budget_;
    mutable std::mutex mutex_;
    std::list<Entry> order_;  // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> byKey_;
    std::size_t bytes_ = 0;
};

}  // namespace likenex
