#pragma once
// The avatar code: a whole avatar as one short line of text that a person can copy, paste,
// send in a chat or put in a web address. It holds what an upload carries (the worn items with
// their colours, the two face options, the skin, the body part, the direction and the action
// script with its captions; an outfit travels as itself, as in an upload) and nothing of the
// account. The text is URL-safe base64 (letters, digits, '-' and '_', no padding) of
//
//   version byte, then the version's body, then a CRC-16 of everything before it.
//
// Version 1's body: a head byte (direction in bits 0-2; bits 3, 4 and 5 say that face option
// 1, face option 2 and the body part follow), the skin byte, a byte whose bits 0-4 say which
// item pairs follow, each present pair (item, colour byte), the face options and body part
// that are present, the number of script steps, and each step (action, caption length in
// bytes, caption in UTF-8). Numbers are zigzag LEB128 varints of at most five bytes.
//
// A code is read whole or not at all: every later version reads every earlier one, and a
// damaged, cut or unknown code is refused with the reason, never half applied.

#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/Catalogue.h"
#include "net/Messages.h"

namespace likenex {

inline constexpr std::uint8_t kAvatarCodeVersion = 1;
// Longer texts are refused before they are read: a code at the upload's limits stays well
// below this.
inline constexpr std::size_t kLongestAvatarCode = 8192;
// Every caption of a code is at most this many UTF-16 units.
inline constexpr std::size_t kLongestCodeCaption = 512;

enum class CodeRefusal {
    none,
    empty,             // no text at all
    tooLong,           // longer than kLongestAvatarCode
    badCharacter,      // a character that is not in the code's alphabet
    cut,               // the text ends before the code does (a code cut short)
    badChecksum,       // a character was changed or the code was put together from pieces
    newerVersion,      // made by a later version of the program
    malformed,         // checked, but its fields do not make sense
    badCaption,        // a caption that is not valid text (an unpaired surrogate, bad UTF-8) or too long
    scriptTooLong,     // the script plays more than 120 frames
    tooLargeToUpload,  // the script's captions make the avatar larger than an upload carries
};

// A short English reason, for the tool's and the server's answers and the logs.
[[nodiscard]] const char* describeRefusal(CodeRefusal refusal);

struct AvatarCodeResult {
    CodeRefusal refusal = CodeRefusal::none;
    std::string code;  // only when refusal is none
};

// The code of `avatar`. Refused (never a code that would not open again) for a direction over 7,
// a caption with an unpaired surrogate or over the caption limit, or a script larger than an
// upload carries.
[[nodiscard]] AvatarCodeResult encodeAvatarCode(const AvatarFields& avatar);

struct DecodedAvatarCode {
    CodeRefusal refusal = CodeRefusal::none;
    AvatarFields avatar;  // only when refusal is none
};

// Reads a code. Surrounding spaces and line ends are ignored (a code pasted from a chat); any
// other character outside the alphabet refuses it. The script's length is counted in the
// frames of the actions `catalogue` knows (an action it lacks is left out when the avatar is
// opened and counts nothing).
[[nodiscard]] DecodedAvatarCode decodeAvatarCode(std::string_view text, const Catalogue& catalogue);

// Whether `text` has the shape of a code (its alphabet and a length a code can have): a
// cheap test for the clipboard and the command line before the whole reading.
[[nodiscard]] bool looksLikeAvatarCode(std::string_view text);

}  // namespace likenex
