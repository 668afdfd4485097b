#include "server/AvatarPicture.h"

#include "avatar/AvatarModel.h"
#include "avatar/ExportPictures.h"
#include "avatar/PictureScene.h"
#include "catalogue/AvatarData.h"
#include "net/UploadedAvatar.h"
#include "render/BmpFile.h"
#include "render/PngFile.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace likenex {
namespace {

constexpr std::size_t kStillBmpBytes = 54 + kFrameBytes;

struct StillClock : AvatarClock {
    Tick now() const override { return 0; }
};

}  // namespace

// Everything a composition writes to. The archive is the composer's own although every
// composer maps the same files: the archive draws each sprite under a lock of its own, which
// would make composers take turns sprite by sprite.
struct AvatarPictures::Composer {
    Composer(const ColourTables& tables) : archive(tables) {}
    AvatarArchive archive;
    SpriteCache cache;
    std::unique_ptr<PictureScene> scene;
};

// A composer checked out of the pool, returned when the lease ends.
class AvatarPictures::Lease {
public:
    Lease(AvatarPictures& owner, std::unique_ptr<Composer> composer) : owner_(owner), composer_(std::move(composer)) {}
    ~Lease() {
        if (composer_) owner_.checkIn(std::move(composer_));
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    [[nodiscard]] Composer& operator*() const { return *composer_; }

private:
    AvatarPictures& owner_;
    std::unique_ptr<Composer> composer_;
};

AvatarPictures::AvatarPictures(const std::string& programDirectory, int composers)
    : programDirectory_(programDirectory) {
    composerLimit_ = composers > 0 ? composers : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    auto first = std::make_unique<Composer>(tables_);
    available_ = loadAvatarData(catalogue_, first->archive, tables_, programDirectory_);
    if (!available_) return;
    first->scene = std::make_unique<PictureScene>(first->archive, defaultPictureFonts(programDirectory_));
    idle_.push_back(std::move(first));
    composersMade_ = 1;
}

AvatarPictures::~AvatarPictures() = default;

AvatarPictures::Lease AvatarPictures::checkOut() {
    {
        std::unique_lock lock(poolMutex_);
        composerReturned_.wait(lock, [&] { return !idle_.empty() || composersMade_ < composerLimit_; });
        if (!idle_.empty()) {
            std::unique_ptr<Composer> composer = std::move(idle_.back());
            idle_.pop_back();
            return Lease(*this, std::move(composer));
        }
        ++composersMade_;
    }
    // Made outside the pool's lock: reading the archive's index takes a few milliseconds.
    try {
        auto composer = std::make_unique<Composer>(tables_);
        // Files that went away since start-up would give pictures without a figure, kept for good.
        if (!composer->archive.loadAvatarArchive(programDirectory_))
            throw std::runtime_error("the avatar archive in " + programDirectory_ + " can no longer be read");
        composer->scene = std::make_unique<PictureScene>(composer->archive, defaultPictureFonts(programDirectory_));
        return Lease(*this, std::move(composer));
    } catch (...) {
        {
            std::lock_guard lock(poolMutex_);
            --composersMade_;
        }
        composerReturned_.notify_one();
        throw;
    }
}

void AvatarPictures::checkIn(std::unique_ptr<Composer> composer) {
    {
        std::lock_guard lock(poolMutex_);
        idle_.push_back(std::move(composer));
    }
    composerReturned_.notify_one();
}

std::vector<std::uint8_t> AvatarPictures::stillBmp(const AvatarFields& avatar) {
    if (!available_) return {};
    Lease composer = checkOut();
    return stillBmp(*composer, avatar);
}

std::vector<std::uint8_t> AvatarPictures::animatedPng(const AvatarFields& avatar) {
    if (!available_) return {};
    Lease composer = checkOut();
    return animatedPng(*composer, avatar);
}

std::vector<std::uint8_t> AvatarPictures::stillBmp(Composer& composer, const AvatarFields& avatar) {
    StillClock clock;
    AvatarModel model(AvatarModelParts{&catalogue_, &composer.archive, &composer.cache, &clock, nullptr, nullptr});
    model.setRecord(std::make_shared<AvatarRecord>(recordOfUpload(avatar, catalogue_)));
    model.loadFromRecord(true);
    const auto& copies = model.frameStore().copies;
    if (copies.empty() || copies[0].size() != kFrameBytes) return {};
    // Browsers ignore the alpha of a BMP: the frame is laid on white here.
    std::vector<std::uint8_t> pixels = copies[0];
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        unsigned alpha = pixels[i + 3];
        for (std::size_t c = 0; c < 3; ++c)
            pixels[i + c] = static_cast<std::uint8_t>((pixels[i + c] * alpha + 255 * (255 - alpha)) / 255);
        pixels[i + 3] = 255;
    }
    return encodeBmp32(kFrameSize, kFrameSize, pixels);
}

std::vector<std::uint8_t> AvatarPictures::stillPng(const AvatarFields& avatar, const StillPose& pose) {
    if (!available_ || pose.direction < 0 || pose.direction > 7 || pose.scale < 1 || pose.scale > kLargestScale)
        return {};
    if (pose.action && !hasAction(*pose.action)) return {};
    Lease composer = checkOut();
    return stillPng(*composer, avatar, pose);
}

std::vector<std::uint8_t> AvatarPictures::stillPng(Composer& composer, const AvatarFields& avatar,
                                                   const StillPose& pose) {
    StillClock clock;
    AvatarModel model(AvatarModelParts{&catalogue_, &composer.archive, &composer.cache, &clock, nullptr, nullptr});
    auto record = std::make_shared<AvatarRecord>(recordOfUpload(avatar, catalogue_));
    record->direction = pose.direction;
    if (pose.action) record->standingAction = *pose.action;
    const std::uint16_t action = record->standingAction;
    model.setRecord(record);
    model.loadFromRecord(true);
    // A record whose standing action is replaced has played another action: play the one asked for.
    if (!model.action() || model.action()->identifier != action) (void)model.playAction(action, pose.direction, true);
    const auto& copies = model.frameStore().copies;
    if (copies.empty() || copies[0].size() != kFrameBytes) return {};
    // The frame is BGRA with its bottom row first; PNG rows are RGBA, top row first.
    const std::vector<std::uint8_t>& frame = copies[0];
    const int scale = pose.scale, side = kFrameSize * scale;
    RgbaPicture picture{side, side, std::vector<std::uint8_t>(static_cast<std::size_t>(side) * side * 4)};
    for (int y = 0; y < side; ++y) {
        const std::size_t from = static_cast<std::size_t>(kFrameSize - 1 - y / scale) * kFrameSize * 4;
        std::uint8_t* to = &picture.rgba[static_cast<std::size_t>(y) * side * 4];
        for (int x = 0; x < side; ++x, to += 4) {
            const std::uint8_t* pixel = &frame[from + static_cast<std::size_t>(x / scale) * 4];
            to[0] = pixel[2];
            to[1] = pixel[1];
            to[2] = pixel[0];
            to[3] = pixel[3];
        }
    }
    return encodePng(picture);
}

bool AvatarPictures::animates(const AvatarFields& avatar) const {
    if (!available_) return false;
    // Only the timeline is planned here; nothing is drawn.
    const ScriptAnimation animation(AvatarModelParts{&catalogue_, nullptr, nullptr, nullptr, nullptr, nullptr},
                                    AvatarLook{}, 0, scriptOfUpload(avatar));
    return !animation.timeline().empty();
}

std::vector<std::uint8_t> AvatarPictures::animatedPng(Composer& composer, const AvatarFields& avatar) {
    if (!animates(avatar)) return {};
    StillClock clock;
    const AvatarModelParts parts{.catalogue = &catalogue_,
                                 .archive = &composer.archive,
                                 .cache = &composer.cache,
                                 .clock = &clock,
                                 .scene = composer.scene.get()};
    // What the stored avatar wears, as the editor's model has it once loaded.
    AvatarModel dressed(parts);
    dressed.setRecord(std::make_shared<AvatarRecord>(recordOfUpload(avatar, catalogue_)));
    dressed.loadFromRecord(true);
    return scriptAnimationPng(parts, dressed.look(), avatar.direction % 8, scriptOfUpload(avatar));
}

std::optional<AvatarPictureSet> AvatarPictures::picturesOf(Storage& storage, const StoredAvatar& avatar) {
    if (!available_ || avatar.accessMode != 0) return std::nullopt;
    auto kept = [&]() -> std::optional<AvatarPictureSet> {
        auto stored = storage.loadAvatarPictures(avatar.number);
        if (!stored) return std::nullopt;
        auto still = unpackStill(stored->still);
        if (!still) return std::nullopt;  // damaged: composed again, and served without being kept
        return AvatarPictureSet{std::move(*still), std::move(stored->animation)};
    };
    if (auto pictures = kept()) return pictures;

    // One thread composes an avatar's pictures; the others wait for it and read them.
    {
        std::unique_lock lock(progressMutex_);
        progressEnded_.wait(lock, [&] { return !inProgress_.contains(avatar.number); });
        inProgress_.insert(avatar.number);
    }
    struct Done {
        AvatarPictures& self;
        std::int64_t number;
        ~Done() {
            {
                std::lock_guard lock(self.progressMutex_);
                self.inProgress_.erase(number);
            }
            self.progressEnded_.notify_all();
        }
    } done{*this, avatar.number};
    if (auto pictures = kept()) return pictures;

    AvatarPictureSet made;
    {
        Lease composer = checkOut();
        made.still = stillBmp(*composer, avatar.avatar);
        made.animation = animatedPng(*composer, avatar.avatar);
    }
    ++compositions_;
    std::vector<std::uint8_t> packed = packStill(made.still);
    if (made.still.empty() || !packed.empty())
        storage.storeAvatarPictures(avatar.number, {std::move(packed), made.animation});
    return made;
}

std::vector<std::uint8_t> packStill(const std::vector<std::uint8_t>& bmp) {
    if (bmp.empty()) return {};
    uLongf size = compressBound(static_cast<uLong>(bmp.size()));
    std::vector<std::uint8_t> packed(size);
    if (compress2(packed.data(), &size, bmp.data(), static_cast<uLong>(bmp.size()), Z_BEST_COMPRESSION) != Z_OK)
        return {};
    packed.resize(size);
    return packed;
}

std::optional<std::vector<std::uint8_t>> unpackStill(const std::vector<std::uint8_t>& packed) {
    if (packed.empty()) return std::vector<std::uint8_t>();
    // Every still has the same size: a longer or shorter one is damaged.
    std::vector<std::uint8_t> bmp(kStillBmpBytes + 1);
    uLongf size = static_cast<uLongf>(bmp.size());
    if (uncompress(bmp.data(), &size, packed.data(), static_cast<uLong>(packed.size())) != Z_OK ||
        size != kStillBmpBytes)
        return std::nullopt;
    bmp.resize(size);
    return bmp;
}

}  // namespace likenex
