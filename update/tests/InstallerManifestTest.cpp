#include "update/InstallerManifest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace likenex::update {
namespace {

// A DER signature as openssl writes it (base64); only its form matters to the parser.
constexpr char kSignature[] =
    "MEYCIQCuUA78RCUgIobUfX+TVQaAGhyGAEI6xnMPaks71kV2nwIhANctzHRLaSwFZ/I0bdvSRDd39mLLZ8+pQiz2LgHcwJOl";
constexpr char kHash[] = "4a116b2aa866998ddeef6eca63025d4cb84605070de185870a1a285546a35965";

std::vector<std::string> goodLines() {
    return {"likenex-installer 1", "file 3.exe",          "version 3", "size 5000", std::string("sha256 ") + kHash,
            std::string("signature ") + kSignature};
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

std::string base64(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t j = 0; j < 3; ++j) group = group << 8 | (j < count ? bytes[i + j] : 0u);
        for (std::size_t j = 0; j < 4; ++j) text += j <= count ? kDigits[(group >> (18 - 6 * j)) & 63] : '=';
    }
    return text;
}

bool parses(const std::string& text) {
    InstallerManifest manifest;
    std::string error;
    const bool accepted = parseInstallerManifest(text, manifest, error);
    EXPECT_EQ(accepted, error.empty()) << "a refusal says why, and only a refusal";
    return accepted;
}

// The good manifest with line `index` replaced by `line`.
std::string withLine(std::size_t index, const std::string& line) {
    std::vector<std::string> lines = goodLines();
    lines[index] = line;
    return joined(lines);
}

TEST(InstallerManifestTest, ReadsTheFieldsAndKeepsTheSignedLines) {
    const std::string text = joined(goodLines());
    InstallerManifest manifest;
    std::string error;
    ASSERT_TRUE(parseInstallerManifest(text, manifest, error)) << error;
    EXPECT_EQ(manifest.file, "3.exe");
    EXPECT_EQ(manifest.version, 3u);
    EXPECT_EQ(manifest.size, 5000u);
    EXPECT_EQ(manifest.sha256[0], 0x4a);
    EXPECT_EQ(manifest.sha256[31], 0x65);
    EXPECT_EQ(manifest.signature[0], 0xAE);  // r, after DER's leading zero byte
    // Exactly the five lines before the signature, with their line ends.
    EXPECT_EQ(manifest.signedText, text.substr(0, text.find("signature ")));
    EXPECT_EQ(manifest.signedText, installerManifestText("3.exe", 3, 5000, manifest.sha256));

    // The largest values each field allows.
    ASSERT_TRUE(parses(withLine(2, "version 4294967295")));
    ASSERT_TRUE(parses(withLine(3, "size 9999999999999999999")));
    ASSERT_TRUE(parses(withLine(1, "file " + std::string(kMaxInstallerName, 'a'))));
    ASSERT_TRUE(parses(withLine(1, "file fullup.exe")));
}

TEST(InstallerManifestTest, EveryMalformedFieldIsRefused) {
    const struct {
        std::size_t line;
        std::string text;
    } cases[] = {
        {0, "likenex-installer 2"},
        {0, "likenex-installer 1 "},
        {0, "Likenex-installer 1"},
        {1, "file"},
        {1, "file "},
        {1, "file  3.exe"},
        {1, "file\t3.exe"},
        {1, "File 3.exe"},
        {1, "file ../3.exe"},
        {1, "file dir/3.exe"},
        {1, "file dir\\3.exe"},
        {1, "file .3.exe"},
        {1, "file 3.exe:stream"},
        {1, "file 3 .exe"},
        {1, "file " + std::string(kMaxInstallerName + 1, 'a')},  // too long
        {2, "version 0"},
        {2, "version 03"},
        {2, "version +3"},
        {2, "version -3"},
        {2, "version 3a"},
        {2, "version 0x3"},
        {2, "version 4294967296"},
        {2, "version 99999999999999999999"},
        {2, "version "},
        {3, "size 0"},
        {3, "size 05000"},
        {3, "size 5000 "},
        {3, "size 18446744073709551616"},
        {3, "size 10000000000000000000"},  // 20 digits
        {4, "sha256 " + std::string(63, 'a')},
        {4, "sha256 " + std::string(65, 'a')},
        {4, std::string("sha256 4A") + (kHash + 2)},  // upper case
        {4, std::string("sha256 g") + (kHash + 1)},
        {4, std::string("sha256  ") + kHash},
        {5, "signature"},
        {5, "signature MEYC"},                                         // not a DER sequence
        {5, std::string("signature ") + kSignature + "="},             // not whole groups of four
        {5, std::string("signature ") + kSignature + "AAAA"},          // bytes after the sequence
        {5, std::string("signature ") + (kSignature + 4)},             // cut at the front
        {5, std::string("signature ") + std::string(kSignature).replace(10, 1, "*")},
        {5, std::string("signature ") + std::string(kSignature).replace(10, 1, "-")},  // URL alphabet
        {5, std::string("signature ") + std::string(400, 'A')},                      // too long
    };
    for (const auto& c : cases) EXPECT_FALSE(parses(withLine(c.line, c.text))) << c.text;

    // A 70-byte signature ends in "==": accepted only with the bits the padding leaves over zero.
    std::vector<std::uint8_t> der{0x30, 0x44, 0x02, 0x20};
    der.insert(der.end(), 32, 0x21);
    der.insert(der.end(), {0x02, 0x20});
    der.insert(der.end(), 32, 0x11);
    const std::string padded = base64(der);
    ASSERT_EQ(padded.substr(padded.size() - 3), "Q==");
    EXPECT_TRUE(parses(withLine(5, "signature " + padded)));
    std::string loose = padded;
    loose[loose.size() - 3] = 'R';
    EXPECT_FALSE(parses(withLine(5, "signature " + loose)));
    EXPECT_FALSE(parses(withLine(5, "signature " + padded.substr(0, padded.size() - 1) + "A")));
    EXPECT_FALSE(parses(withLine(5, "signature " + padded.substr(0, padded.size() - 2) + "=A")));
}

TEST(InstallerManifestTest, MissingDuplicatedOrReorderedLinesAreRefused) {
    const std::vector<std::string> good = goodLines();
    for (std::size_t i = 0; i < good.size(); ++i) {
        std::vector<std::string> lines = good;
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        EXPECT_FALSE(parses(joined(lines))) << "without line " << i + 1;
        lines = good;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(i), good[i]);
        EXPECT_FALSE(parses(joined(lines))) << "line " << i + 1 << " twice";
    }
    std::vector<std::string> swapped = good;
    std::swap(swapped[2], swapped[3]);
    EXPECT_FALSE(parses(joined(swapped)));
    EXPECT_FALSE(parses(""));
    EXPECT_FALSE(parses("\n"));
}

TEST(InstallerManifestTest, AnythingAroundTheLinesIsRefused) {
    const std::string good = joined(goodLines());
    ASSERT_TRUE(parses(good));
    EXPECT_FALSE(parses(good.substr(0, good.size() - 1)));  // no line end after the signature
    EXPECT_FALSE(parses(good + "\n"));
    EXPECT_FALSE(parses(good + "x"));
    EXPECT_FALSE(parses(good + "file fullup.exe\n"));
    EXPECT_FALSE(parses("\n" + good));
    EXPECT_FALSE(parses("\xEF\xBB\xBF" + good));  // a byte order mark
    std::string crlf;
    for (const std::string& line : goodLines()) crlf += line + "\r\n";
    EXPECT_FALSE(parses(crlf));
    std::string withZero = good;
    withZero.insert(withZero.find("\nversion"), 1, '\0');
    EXPECT_FALSE(parses(withZero));

    // Longer than a manifest may be, even where every line would be well formed up to there.
    std::string padded = good;
    padded.resize(kMaxManifestFile + 1, '\n');
    EXPECT_FALSE(parses(padded));
}

TEST(InstallerManifestTest, OnlyTheFileAskedForAtTheVersionBeingInstalledIsAccepted) {
    InstallerManifest manifest;
    std::string error;
    ASSERT_TRUE(parseInstallerManifest(joined(goodLines()), manifest, error)) << error;
    const Sha256 hash = manifest.sha256;
    const InstallerDownload asked{"3.exe", 3, 5000, hash};
    EXPECT_EQ(checkInstallerManifest(manifest, asked), ManifestVerdict::accepted);

    // A newer installer than announced may be published under the name asked for.
    InstallerDownload download = asked;
    download.newestVersion = 2;
    EXPECT_EQ(checkInstallerManifest(manifest, download), ManifestVerdict::accepted);
    download.newestVersion = 4;  // a rollback to an older signed installer
    EXPECT_EQ(checkInstallerManifest(manifest, download), ManifestVerdict::olderVersion);
    download.newestVersion = 0xFFFFFFFFu;
    EXPECT_EQ(checkInstallerManifest(manifest, download), ManifestVerdict::olderVersion);

    // The one-step installer served as the full one, and names that differ only in their spelling.
    for (const char* name : {"fullup.exe", "3.EXE", "3.exe ", "3.ex", "./3.exe", ""}) {
        download = asked;
        download.fileName = name;
        EXPECT_EQ(checkInstallerManifest(manifest, download), ManifestVerdict::otherFile) << name;
    }

    download = asked;
    download.size = 4999;
    EXPECT_EQ(checkInstallerManifest(manifest, download), ManifestVerdict::otherSize);
    download.size = 5001;
    EXPECT_EQ(checkInstallerManifest(manifest, download), ManifestVerdict::otherSize);
    download = asked;
    download.sha256[17] ^= 0x01;
    EXPECT_EQ(checkInstallerManifest(manifest, download), ManifestVerdict::otherHash);
}

}  // namespace
}  // namespace likenex::update
