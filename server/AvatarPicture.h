#pragma once
// Pictures of a stored avatar for its web page: a still (the first frame of its standing
// action in its direction) and its action script animated, composed by the same avatar model
// and the same animation code the editor uses, from the same data set. Optional: without the
// picture archive the pages simply show no picture.

#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ColourTable.h"
#include "net/Messages.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace likenex {

class PictureScene;
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

    // The avatar's action script as a looping animated PNG, made as the editor's export makes
    // it; empty when the data set is missing or no step of the script plays. The last few
    // are kept by number, and made again when the avatar under that number changed.
    [[nodiscard]] std::vector<std::uint8_t> animatedPng(std::int64_t number, const AvatarFields& avatar);
    // Whether animatedPng has frames for the avatar: some step plays an action of the catalogue.
    [[nodiscard]] bool animates(const AvatarFields& avatar) const;

private:
    struct Animation {
        AvatarFields avatar;
        std::vector<std::uint8_t> png;
    };
    static constexpr std::size_t kKeptAnimations = 32;

    Catalogue catalogue_;
    ColourTables tables_;
    AvatarArchive archive_{tables_};
    std::unique_ptr<SpriteCache> cache_;
    std::unique_ptr<PictureScene> scene_;
    std::mutex mutex_;  // the model composes through shared sprite buffers; guards the kept animations
    std::map<std::int64_t, Animation> animations_;
    std::deque<std::int64_t> animationOrder_;  // oldest first
    bool available_ = false;
};

}  // namespace likenex
