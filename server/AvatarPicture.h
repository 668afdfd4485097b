#pragma once
// Pictures of a stored avatar for its web page: a still (the first frame of its standing
// action in its direction) and its action script animated, composed by the same avatar model
// and the same animation code the editor uses, from the same data set. Optional: without the
// picture archive the pages simply show no picture.
//
// A picture is composed once, right after its avatar is stored (prepare) or at the first
// request for it, and kept in the storage; requests read it from there. Composing runs on
// several threads at once without a lock between them: each composer has its own archive
// mapping (with its sprite scratch buffer), sprite cache, bubble scene and models, and only
// the catalogue and colour tables, which nothing writes after loading, are shared.

#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ColourTable.h"
#include "net/Messages.h"
#include "server/Storage.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace likenex {

class AvatarPictures {
public:
    // Loads the whole avatar data set of the program directory; `available()` tells whether
    // it could. At most `composers` pictures are composed at once (0: one per processor).
    explicit AvatarPictures(const std::string& programDirectory, int composers = 0);
    ~AvatarPictures();
    AvatarPictures(const AvatarPictures&) = delete;
    AvatarPictures& operator=(const AvatarPictures&) = delete;
    [[nodiscard]] bool available() const { return available_; }

    // The pictures of an open avatar (the still as a BMP), read from the storage, else
    // composed and stored there. Nothing when the data set is missing or the avatar is not
    // open. A caller asking for an avatar whose pictures another thread is composing waits
    // for those instead of composing them twice.
    [[nodiscard]] std::optional<AvatarPictureSet> picturesOf(Storage& storage, const StoredAvatar& avatar);

    // A 128 by 128 32-bit BMP, laid on white, or empty when the data set is missing.
    [[nodiscard]] std::vector<std::uint8_t> stillBmp(const AvatarFields& avatar);
    // The avatar's action script as a looping animated PNG, made as the editor's export makes
    // it; empty when the data set is missing or no step of the script plays.
    [[nodiscard]] std::vector<std::uint8_t> animatedPng(const AvatarFields& avatar);
    // Whether animatedPng has frames for the avatar: some step plays an action of the catalogue.
    [[nodiscard]] bool animates(const AvatarFields& avatar) const;

    // How a still picture of an avatar code is posed: the first frame of `action` (the
    // standing action when none) facing `direction` (0..7), each pixel `scale` (1..4) pixels
    // wide and high. Checked by the caller: a pose outside these ranges gives no picture.
    struct StillPose {
        int direction = 0;
        std::optional<std::uint16_t> action;
        int scale = 1;
    };
    static constexpr int kLargestScale = 4;
    // A transparent PNG of 128 by 128 pixels times the scale; empty when the data set is
    // missing, the pose is out of range or the catalogue lacks the action.
    [[nodiscard]] std::vector<std::uint8_t> stillPng(const AvatarFields& avatar, const StillPose& pose);
    [[nodiscard]] bool hasAction(std::uint16_t action) const {
        return available_ && catalogue_.findAction(action) != nullptr;
    }

    // The data set's catalogue and colour table, which nothing changes after loading: codes
    // are read and random avatars dressed against what the pictures are drawn from.
    [[nodiscard]] const Catalogue& catalogue() const { return catalogue_; }
    [[nodiscard]] const ColourTable& colours() const { return tables_.colour; }
    [[nodiscard]] const ColourTable& skins() const { return tables_.skin; }

    // How many picture sets picturesOf composed (it reads the others from the storage).
    [[nodiscard]] std::size_t compositions() const { return compositions_; }

private:
    struct Composer;
    class Lease;

    // A composer of the pool, made when all are busy and there are fewer than the limit.
    [[nodiscard]] Lease checkOut();
    void checkIn(std::unique_ptr<Composer> composer);
    [[nodiscard]] std::vector<std::uint8_t> stillBmp(Composer& composer, const AvatarFields& avatar);
    [[nodiscard]] std::vector<std::uint8_t> animatedPng(Composer& composer, const AvatarFields& avatar);
    [[nodiscard]] std::vector<std::uint8_t> stillPng(Composer& composer, const AvatarFields& avatar,
                                                     const StillPose& pose);

    std::string programDirectory_;
    Catalogue catalogue_;
    ColourTables tables_;
    bool available_ = false;

    std::mutex poolMutex_;  // held only to take or return a composer
    std::condition_variable composerReturned_;
    std::vector<std::unique_ptr<Composer>> idle_;
    int composersMade_ = 0;
    int composerLimit_ = 1;

    std::mutex progressMutex_;
    std::condition_variable progressEnded_;
    std::set<std::int64_t> inProgress_;  // avatars whose pictures a thread is composing now
    std::atomic<std::size_t> compositions_{0};
};

// The still picture as the storage keeps it (a BMP is mostly white: deflated it takes a
// tenth of the space), and back; nothing when the kept bytes are not a whole picture.
[[nodiscard]] std::vector<std::uint8_t> packStill(const std::vector<std::uint8_t>& bmp);
[[nodiscard]] std::optional<std::vector<std::uint8_t>> unpackStill(const std::vector<std::uint8_t>& packed);

}  // namespace likenex
