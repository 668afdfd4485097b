#include "server/CodePictures.h"

#include "net/Md5.h"
#include "net/RandomAvatar.h"
#include "server/WebText.h"

#include <chrono>
#include <random>

namespace likenex {

namespace {

constexpr std::string_view kCodePrefix = "/c/";
constexpr std::string_view kStillSuffix = ".png", kAnimatedSuffix = ".apng";
// The longest parameter value read: enough for any action identifier.
constexpr std::size_t kLongestNumber = 5;

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() > suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// A decimal number of at most five digits, no sign, in low..high.
std::optional<int> smallNumber(std::string_view text, int low, int high) {
    if (text.empty() || text.size() > kLongestNumber) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) return std::nullopt;
    return value;
}

HttpResponse plain(int status, std::string text) {
    HttpResponse r;
    r.status = status;
    r.contentType = "text/plain; charset=utf-8";
    r.body = std::move(text) + "\n";
    return r;
}

// Whether If-None-Match names this ETag: any of its list, compared weakly as the header asks,
// or "*".
bool matches(std::string_view ifNoneMatch, std::string_view etag) {
    while (!ifNoneMatch.empty()) {
        const std::size_t comma = ifNoneMatch.find(',');
        std::string_view one = ifNoneMatch.substr(0, comma);
        ifNoneMatch = comma == std::string_view::npos ? std::string_view() : ifNoneMatch.substr(comma + 1);
        while (!one.empty() && (one.front() == ' ' || one.front() == '\t')) one.remove_prefix(1);
        while (!one.empty() && (one.back() == ' ' || one.back() == '\t')) one.remove_suffix(1);
        if (one.substr(0, 2) == "W/") one.remove_prefix(2);
        if (one == "*" || one == etag) return true;
    }
    return false;
}

HttpResponse pictureAnswer(const CachedPicture& picture, const HttpRequest& request) {
    HttpResponse r;
    r.contentType = "image/png";
    r.headers["ETag"] = picture.etag;
    // The address names the picture whole: it never changes.
    r.headers["Cache-Control"] = "public, max-age=31536000, immutable";
    if (matches(request.ifNoneMatch, picture.etag)) {
        r.status = 304;
        return r;
    }
    r.body.assign(picture.bytes.begin(), picture.bytes.end());
    return r;
}

}  // namespace

HttpResponse badRequest(std::string_view reason) { return plain(400, std::string(reason)); }

CodePictures::CodePictures(AvatarPictures& pictures, Limits limits)
    : pictures_(pictures),
      perAddress_(limits.picturesPerMinute, std::chrono::minutes(1)),
      cache_(limits.cacheBytes),
      randomSeed_(std::random_device{}() * 0x100000001ull ^ static_cast<std::uint64_t>(
                      std::chrono::steady_clock::now().time_since_epoch().count())) {}

bool CodePictures::isPicturePath(std::string_view path) {
    return path.substr(0, kCodePrefix.size()) == kCodePrefix &&
           (endsWith(path, kStillSuffix) || endsWith(path, kAnimatedSuffix));
}

bool CodePictures::isCodePath(std::string_view path) {
    return isPicturePath(path) || path == "/random" || path == "/random.png";
}

DecodedAvatarCode CodePictures::read(std::string_view code) const {
    return decodeAvatarCode(code, pictures_.catalogue());
}

std::string CodePictures::randomAddress(bool picture) {
    // Each request draws from a seed of its own: the sequence of SplitMix64 seeds, stepped by
    // its own increment, never gives two requests the same avatar by accident.
    RandomSource random(randomSeed_.fetch_add(0x9E3779B97F4A7C15ull));
    const RandomAvatar dresser(pictures_.catalogue(), pictures_.colours(), &pictures_.skins());
    const AvatarCodeResult code = encodeAvatarCode(dresser.dress(random, false));
    if (code.refusal != CodeRefusal::none) return "/";
    return std::string(kCodePrefix) + code.code + (picture ? std::string(kStillSuffix) : std::string());
}

HttpResponse CodePictures::respond(const HttpRequest& request, std::string_view path) {
    if (request.method != "GET" && request.method != "HEAD") {
        HttpResponse r = plain(405, "This address answers GET only.");
        r.headers["Allow"] = "GET, HEAD";
        return r;
    }
    if (path == "/random" || path == "/random.png") {
        if (!pictures_.available()) return plain(404, "This server draws no avatars.");
        HttpResponse r = plain(302, "A random avatar.");
        r.headers["Location"] = randomAddress(path == "/random.png");
        r.headers["Cache-Control"] = "no-store";
        return r;
    }
    if (!isPicturePath(path)) return plain(404, "Nothing lives at this address.");
    const bool animated = endsWith(path, kAnimatedSuffix);
    std::string_view code = path.substr(kCodePrefix.size());
    code.remove_suffix(animated ? kAnimatedSuffix.size() : kStillSuffix.size());
    return picture(request, code, animated);
}

HttpResponse CodePictures::picture(const HttpRequest& request, std::string_view code, bool animated) {
    if (!pictures_.available()) return plain(404, "This server draws no avatars.");
    const DecodedAvatarCode decoded = read(code);
    if (decoded.refusal != CodeRefusal::none) return badRequest(describeRefusal(decoded.refusal));
    const AvatarFields& avatar = decoded.avatar;

    AvatarPictures::StillPose pose{avatar.direction % 8, std::nullopt, 1};
    for (const auto& [name, value] : parseForm(targetQuery(request.target))) {
        if (animated) return badRequest("an animated picture takes no parameters");
        if (name == "dir") {
            const std::optional<int> direction = smallNumber(value, 0, 7);
            if (!direction) return badRequest("dir is a direction from 0 to 7");
            pose.direction = *direction;
        } else if (name == "action") {
            const std::optional<int> action = smallNumber(value, 0, 0xFFFF);
            if (!action) return badRequest("action is an action identifier from 0 to 65535");
            if (!pictures_.hasAction(static_cast<std::uint16_t>(*action)))
                return badRequest("the catalogue has no action " + value);
            pose.action = static_cast<std::uint16_t>(*action);
        } else if (name == "scale") {
            const std::optional<int> scale = smallNumber(value, 1, AvatarPictures::kLargestScale);
            if (!scale) return badRequest("scale is a whole number from 1 to 4");
            pose.scale = *scale;
        } else {
            return badRequest("a still picture takes dir, action and scale only");
        }
    }
    if (animated && !pictures_.animates(avatar)) return plain(404, "This avatar code has no actions to show.");

    // The key names the picture whole, whatever way the request spelt it.
    const AvatarCodeResult canonical = encodeAvatarCode(avatar);
    const std::string key =
        animated ? "apng " + canonical.code
                 : "png " + canonical.code + " " + std::to_string(pose.direction) + " " +
                       (pose.action ? std::to_string(*pose.action) : std::string("-")) + " " +
                       std::to_string(pose.scale);
    if (auto kept = cache_.find(key)) return pictureAnswer(*kept, request);

    // Counted only when a picture is made: what the cache answers costs next to nothing.
    if (!perAddress_.take(request.peer, AddressQuota::Clock::now())) {
        HttpResponse r = plain(429, "Too many avatar pictures from your address: try again in a minute.");
        r.headers["Retry-After"] = "60";
        return r;
    }
    auto made = std::make_shared<CachedPicture>();
    made->bytes = animated ? pictures_.animatedPng(avatar) : pictures_.stillPng(avatar, pose);
    if (made->bytes.empty()) return plain(500, "The picture could not be made.");
    made->etag = "\"" + md5Hex(made->bytes) + "\"";
    cache_.keep(key, made);
    return pictureAnswer(*made, request);
}

}  // namespace likenex
