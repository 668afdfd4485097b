#pragma once
// Pictures of avatar codes on the web side: the avatar a code holds, drawn by the stored
// avatars' composers, at addresses that name it whole, so that anyone may link to an avatar
// without storing it.
//
//   /c/CODE.png    a still: the first frame of the standing action, or with ?action=ID of that
//                  action; ?dir=0..7 turns it (the code's own direction by default); ?scale=1..4
//                  enlarges it, each pixel a square
//   /c/CODE.apng   the code's action script animated with its speech bubbles
//   /random.png    a redirect (302) to the still of a code dressed at random; /random (a page
//                  address) is answered by the site with the same redirect to the code's page
//
// A picture depends on nothing but its address, so it is made once: the same bytes each time,
// with a strong ETag (an MD5 of its bytes), cached by browsers and proxies for good and kept
// here in a cache bounded by bytes. A request's cost is bounded before any work: the code is
// read whole (its script plays at most 120 frames), the parameters are checked (another
// parameter is refused), and each client address may ask for so many pictures a minute.

#include "net/AvatarCode.h"
#include "server/AddressQuota.h"
#include "server/AvatarPicture.h"
#include "server/HttpServer.h"
#include "server/PictureCache.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace likenex {

class CodePictures {
public:
    struct Limits {
        int picturesPerMinute = 120;  // per client address; 0 allows all
        std::size_t cacheBytes = std::size_t{64} << 20;
    };

    CodePictures(AvatarPictures& pictures, Limits limits);

    // Whether `path` is a picture address of codes (/c/CODE.png, /c/CODE.apng), which the
    // picture pool answers; the pages and redirects are cheap and are not.
    [[nodiscard]] static bool isPicturePath(std::string_view path);
    // Whether `path` is any address answered here: the pictures, /random.png and /random.
    [[nodiscard]] static bool isCodePath(std::string_view path);

    // The answer to a picture or redirect address; `path` is the request's path. The page
    // address /c/CODE is the site's: it asks pageCode for the code to show.
    [[nodiscard]] HttpResponse respond(const HttpRequest& request, std::string_view path);

    // The code of the page /c/CODE, read; the reason when it is not a code.
    [[nodiscard]] DecodedAvatarCode read(std::string_view code) const;
    // Where a random avatar's page or still picture is, as a path.
    [[nodiscard]] std::string randomAddress(bool picture);
    [[nodiscard]] AvatarPictures& pictures() { return pictures_; }

    // What the cache holds, for tests and the log.
    [[nodiscard]] const PictureCache& cache() const { return cache_; }

private:
    HttpResponse picture(const HttpRequest& request, std::string_view code, bool animated);

    AvatarPictures& pictures_;
    AddressQuota perAddress_;
    PictureCache cache_;
    std::atomic<std::uint64_t> randomSeed_;
};

// A 400 answer whose text says what is wrong with the request.
[[nodiscard]] HttpResponse badRequest(std::string_view reason);

}  // namespace likenex
