#include "update/InstallerSignature.h"

#include <algorithm>

namespace likenex::update {
namespace {

// Reads DER items from a span; every length is checked against what is left.
class DerReader {
public:
    explicit DerReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    [[nodiscard]] bool atEnd() const { return bytes_.empty(); }

    // The contents of the next item with tag `tag`, or empty when the next item is not one.
    [[nodiscard]] std::optional<std::span<const std::uint8_t>> item(std::uint8_t tag) {
        if (bytes_.size() < 2 || bytes_[0] != tag) return std::nullopt;
        std::size_t length = bytes_[1];
        std::size_t header = 2;
        if (length == 0x81) {  // the long form, one byte: only for 128..255
            if (bytes_.size() < 3 || bytes_[2] < 0x80) return std::nullopt;
            length = bytes_[2];
            header = 3;
        } else if (length > 0x80) {
            return std::nullopt;  // longer forms never occur in a P-256 signature
        } else if (length == 0x80) {
            return std::nullopt;  // indefinite length is not DER
        }
        if (bytes_.size() - header < length) return std::nullopt;
        const std::span<const std::uint8_t> contents = bytes_.subspan(header, length);
        bytes_ = bytes_.subspan(header + length);
        return contents;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

// A positive INTEGER of at most 32 bytes of value into `out`, right-aligned.
bool readScalar(DerReader& reader, std::uint8_t* out) {
    const auto integer = reader.item(0x02);
    if (!integer || integer->empty()) return false;
    std::span<const std::uint8_t> value = *integer;
    if (value[0] & 0x80) return false;                                          // negative
    if (value.size() > 1 && value[0] == 0 && !(value[1] & 0x80)) return false;  // not minimal
    if (value[0] == 0) value = value.subspan(1);
    if (value.size() > kP256Bytes) return false;
    std::fill_n(out, kP256Bytes, std::uint8_t{0});
    std::copy(value.begin(), value.end(), out + (kP256Bytes - value.size()));
    return true;
}

}  // namespace

std::optional<RawSignature> rawSignatureFromDer(std::span<const std::uint8_t> der) {
    if (der.size() > kMaxSignatureDer) return std::nullopt;
    DerReader outer(der);
    const auto sequence = outer.item(0x30);
    if (!sequence || !outer.atEnd()) return std::nullopt;
    DerReader inner(*sequence);
    RawSignature raw{};
    if (!readScalar(inner, raw.data()) || !readScalar(inner, raw.data() + kP256Bytes) || !inner.atEnd())
        return std::nullopt;
    return raw;
}

std::string signatureName(std::string_view installer) { return std::string(installer) + ".sig"; }

}  // namespace likenex::update
