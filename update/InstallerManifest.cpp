#include "update/InstallerManifest.h"

#include <optional>
#include <vector>

namespace likenex::update {
namespace {

// A DER P-256 signature is at most 72 bytes, 96 characters of base64.
constexpr std::size_t kMaxSignatureBase64 = 4 * ((kMaxSignatureDer + 2) / 3);
constexpr std::size_t kMaxSizeDigits = 19;  // up to 9'999'999'999'999'999'999, below 2^64

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Cuts the text into lines at LF; the text must end with one, and no line may hold a CR or NUL.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    [[nodiscard]] std::size_t offset() const { return offset_; }
    [[nodiscard]] bool atEnd() const { return offset_ == text_.size(); }

    [[nodiscard]] std::optional<std::string_view> next() {
        const std::size_t end = text_.find('\n', offset_);
        if (end == std::string_view::npos) return std::nullopt;
        const std::string_view line = text_.substr(offset_, end - offset_);
        offset_ = end + 1;
        return line;
    }

private:
    std::string_view text_;
    std::size_t offset_ = 0;
};

// The value of the line "<key> <value>": exactly one space, a value of at least one byte.
std::optional<std::string_view> fieldValue(std::string_view line, std::string_view key) {
    if (line.size() <= key.size() + 1 || line.substr(0, key.size()) != key || line[key.size()] != ' ')
        return std::nullopt;
    return line.substr(key.size() + 1);
}

// Decimal digits without sign, spaces or leading zeros, from 1 up to `maximum`.
std::optional<std::uint64_t> positiveNumber(std::string_view digits, std::uint64_t maximum) {
    if (digits.empty() || digits.size() > kMaxSizeDigits || digits[0] == '0') return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');  // 19 digits never overflow
    }
    if (value > maximum) return std::nullopt;
    return value;
}

// Names as the update host publishes them: letters, digits, '.', '-' and '_', not starting with a
// dot, so that no name reaches outside the folder or means something else to Windows.
bool isInstallerName(std::string_view name) {
    if (name.empty() || name.size() > kMaxInstallerName || name[0] == '.') return false;
    for (const char c : name) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                             c == '.' || c == '-' || c == '_';
        if (!allowed) return false;
    }
    return true;
}

std::optional<Sha256> lowercaseHex(std::string_view hex) {
    Sha256 bytes{};
    if (hex.size() != 2 * bytes.size()) return std::nullopt;
    const auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = nibble(hex[2 * i]), low = nibble(hex[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return bytes;
}

// Padded base64 in its one canonical spelling: whole groups of four, '=' only at the end and the
// bits that the padding leaves over all zero.
std::optional<std::vector<std::uint8_t>> canonicalBase64(std::string_view text) {
    if (text.empty() || text.size() % 4 != 0 || text.size() > kMaxSignatureBase64) return std::nullopt;
    std::size_t padding = 0;
    if (text.back() == '=') padding = text[text.size() - 2] == '=' ? 2 : 1;
    std::vector<std::uint8_t> bytes;
    std::uint32_t bits = 0;
    int held = 0;
    for (std::size_t i = 0; i < text.size() - padding; ++i) {
        const char* found = std::char_traits<char>::find(kBase64Digits, 64, text[i]);
        if (!found || text[i] == '\0') return std::nullopt;
        bits = bits << 6 | static_cast<std::uint32_t>(found - kBase64Digits);
        held += 6;
        if (held >= 8) {
            held -= 8;
            bytes.push_back(static_cast<std::uint8_t>(bits >> held));
            bits &= (1u << held) - 1;
        }
    }
    if (bits != 0) return std::nullopt;  // left-over bits must be zero
    return bytes;
}

}  // namespace

bool parseInstallerManifest(std::string_view text, InstallerManifest& manifest, std::string& error) {
    if (text.size() > kMaxManifestFile) {
        error = "larger than " + std::to_string(kMaxManifestFile) + " bytes";
        return false;
    }
    if (text.find('\r') != std::string_view::npos || text.find('\0') != std::string_view::npos) {
        error = "holds a carriage return or a zero byte";
        return false;
    }
    LineReader lines(text);
    InstallerManifest read;
    const auto header = lines.next();
    if (!header || *header != kInstallerManifestHeader) {
        error = "line 1 is not \"" + std::string(kInstallerManifestHeader) + "\"";
        return false;
    }

    const auto file = lines.next();
    const auto fileName = file ? fieldValue(*file, "file") : std::nullopt;
    if (!fileName || !isInstallerName(*fileName)) {
        error = "line 2 is not \"file <name>\" with a plain file name";
        return false;
    }
    read.file = std::string(*fileName);

    const auto version = lines.next();
    const auto versionValue = version ? fieldValue(*version, "version") : std::nullopt;
    const auto versionNumber = versionValue ? positiveNumber(*versionValue, 0xFFFFFFFFu) : std::nullopt;
    if (!versionNumber) {
        error = "line 3 is not \"version <number>\" from 1 to 4294967295";
        return false;
    }
    read.version = static_cast<std::uint32_t>(*versionNumber);

    const auto size = lines.next();
    const auto sizeValue = size ? fieldValue(*size, "size") : std::nullopt;
    const auto sizeNumber = sizeValue ? positiveNumber(*sizeValue, ~std::uint64_t{0}) : std::nullopt;
    if (!sizeNumber) {
        error = "line 4 is not \"size <bytes>\" with a positive decimal size";
        return false;
    }
    read.size = *sizeNumber;

    const auto hash = lines.next();
    const auto hashValue = hash ? fieldValue(*hash, "sha256") : std::nullopt;
    const auto hashBytes = hashValue ? lowercaseHex(*hashValue) : std::nullopt;
    if (!hashBytes) {
        error = "line 5 is not \"sha256 <64 lowercase hex digits>\"";
        return false;
    }
    read.sha256 = *hashBytes;
    read.signedText = std::string(text.substr(0, lines.offset()));

    const auto signature = lines.next();
    const auto signatureValue = signature ? fieldValue(*signature, "signature") : std::nullopt;
    const auto der = signatureValue ? canonicalBase64(*signatureValue) : std::nullopt;
    const auto raw = der ? rawSignatureFromDer(*der) : std::nullopt;
    if (!raw) {
        error = "line 6 is not \"signature <base64 of a DER ECDSA P-256 signature>\"";
        return false;
    }
    read.signature = *raw;

    if (!lines.atEnd()) {
        error = "text after the signature line";
        return false;
    }
    manifest = std::move(read);
    return true;
}

ManifestVerdict checkInstallerManifest(const InstallerManifest& manifest, const InstallerDownload& download) {
    if (manifest.file != download.fileName) return ManifestVerdict::otherFile;
    if (manifest.version < download.newestVersion) return ManifestVerdict::olderVersion;
    if (manifest.size != download.size) return ManifestVerdict::otherSize;
    if (manifest.sha256 != download.sha256) return ManifestVerdict::otherHash;
    return ManifestVerdict::accepted;
}

std::string installerManifestText(std::string_view file, std::uint32_t version, std::uint64_t size,
                                  const Sha256& sha256) {
    std::string hex;
    for (const std::uint8_t byte : sha256) {
        hex += kHexDigits[byte >> 4];
        hex += kHexDigits[byte & 0x0F];
    }
    return std::string(kInstallerManifestHeader) + "\nfile " + std::string(file) + "\nversion " +
           std::to_string(version) + "\nsize " + std::to_string(size) + "\nsha256 " + hex + "\n";
}

}  // namespace likenex::update
