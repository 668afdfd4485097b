#pragma once
// The requests likenex-load sends and what it makes of each reply, apart from the sockets so
// that the tests can check them: the upload it stores (a free look with a 20-step script of
// the shortest free action), the verdict on a reply frame, and the numbers file that one run
// records and a later one opens.

#include "catalogue/Catalogue.h"
#include "net/ProtocolMessage.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace likenex::load {

// Who uploads and how the avatar is kept: an empty access password stores an open avatar,
// any other stores it in access mode 2 behind that password's digest (the server hashes it).
struct UploadSettings {
    std::string user = "guest";
    std::string digest = "00000000000000000000000000000000";
    std::string accessPassword;
};

// The upload's frame. Throws std::runtime_error when the catalogue has no free action short
// enough for the script or a field does not fit the message.
[[nodiscard]] std::vector<std::uint8_t> uploadRequest(const Catalogue& catalogue, const UploadSettings& settings);
[[nodiscard]] std::vector<std::uint8_t> versionQuery();
[[nodiscard]] std::vector<std::uint8_t> openRequest(std::int64_t avatarNumber);

// The digest the editor sends for a typed password. Only ASCII is taken: it is the same in
// every code page the server accepts, so the load tool needs no code page of its own. Throws
// std::runtime_error on anything else.
[[nodiscard]] std::string asciiPasswordDigest(std::string_view password);

// What became of one request. `ok` is the answer the run hopes for (saved, found, the
// version); `label` names the answer for the error counts; `storedNumber` is the avatar an
// acknowledged upload stored.
struct Verdict {
    bool ok = false;
    std::string label;
    std::int64_t storedNumber = 0;
};

// Judges a reply frame to a request of the given type. A frame that does not decode as the
// reply that type expects is "malformed reply".
[[nodiscard]] Verdict judgeReply(MessageType requestType, std::span<const std::uint8_t> frame);

// The avatar numbers of a numbers file: one decimal number from 1 to 2^31-1 per line, blank
// lines skipped. A last line without its newline is left out (the writer may have been cut
// off mid-line), with a note in `warning`. Throws std::runtime_error naming the line when a
// line is anything else, or when the file holds more than `limit` numbers.
[[nodiscard]] std::vector<std::int64_t> parseNumbers(std::string_view text, std::size_t limit, std::string& warning);

}  // namespace likenex::load
