#pragma once
// A still picture of a stored avatar for its web page: the first frame of its standing
// action in its direction, composed by the same avatar model the editor uses, from the same
// data set. Optional: without the picture archive the pages simply show no picture.

#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ColourTable.h"
#include "net/Messages.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace likenex {

class SpriteCache;

class AvatarPictures {
public:
    // Loads the whole avatar data set of the program directory; `available()` tells whether
    // it could.
    explicit AvatarPictures(const std::string& programDirectory);
    ~AvatarPictures();
    [[nodiscard]] bool available() const { return available_; }

    // A 128 by 128 32-bit BMP, laid on white, or empty when the data set is missing.
    [[nodiscard]] std::vector<std::uint8_t> stillBmp(const AvatarFields& avatar);

private:
    Catalogue catalogue_;
    ColourTables tables_;
    AvatarArchive archive_{tables_};
    std::unique_ptr<SpriteCache> cache_;
    std::mutex mutex_;  // the model composes through shared sprite buffers
    bool available_ = false;
};

}  // namespace likenex
