// The updater's Win32 pieces in-process: downloads over HTTP with their progress, and
// programs run and waited for.

#include "test_support/HttpFixtureServer.h"  // winsock2.h before windows.h

#include "platform/win/Handles.h"
#include "update/win/Download.h"
#include "update/win/ProgramRun.h"
#include "update/win/SignatureCheck.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace likenex::update {
namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct TempFolder {
    fs::path path = fs::temp_directory_path() /
                    ("likenex-update-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()));
    TempFolder() { fs::create_directories(path); }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

TEST(DownloadTest, FetchesTheNewestBytesAndReportsProgressWithinTheBar) {
    test::HttpFixtureServer server;
    ASSERT_TRUE(server.running());
    TempFolder folder;
    std::string body(300000, '\0');
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7 + i / 251);
    // Served as the service's server serves /Download/ files: nothing said about caching, so
    // a client is free to keep a copy.
    constexpr auto kAsTheServer = test::HttpFixtureServer::Caching::unsaid;
    server.serve("/Download/3.exe", body, "application/octet-stream", kAsTheServer);

    std::vector<int> reports;
    const fs::path target = folder.path / "3.exe";
    const std::string url = server.url("/Download/3.exe");
    const std::wstring wideUrl(url.begin(), url.end());
    ASSERT_TRUE(downloadFile(wideUrl, target.wstring(), [&](int percent) { reports.push_back(percent); }));
    EXPECT_EQ(readBytes(target), body);
    ASSERT_FALSE(reports.empty());
    for (std::size_t i = 0; i < reports.size(); ++i) {
        EXPECT_GE(reports[i], i ? reports[i - 1] : 0);
        EXPECT_LE(reports[i], 100);
    }
    EXPECT_EQ(reports.back(), 100);

    // A second fetch of the same address after the file changed on the host gets the new file,
    // from the host: a retry must never be answered from a copy kept of a broken first one.
    server.serve("/Download/3.exe", "second version", "application/octet-stream", kAsTheServer);
    fs::remove(target);
    ASSERT_TRUE(downloadFile(wideUrl, target.wstring(), nullptr));
    EXPECT_EQ(readBytes(target), "second version");
    EXPECT_EQ(server.requests(), (std::vector<std::string>{"/Download/3.exe", "/Download/3.exe"}));
}

TEST(DownloadTest, AMissingFileOrHostIsAFailure) {
    test::HttpFixtureServer server;
    ASSERT_TRUE(server.running());
    TempFolder folder;
    const std::string missing = server.url("/Download/9.exe");
    EXPECT_FALSE(
        downloadFile(std::wstring(missing.begin(), missing.end()), (folder.path / "9.exe").wstring(), nullptr));
    EXPECT_FALSE(fs::exists(folder.path / "9.exe"));  // the error page is not kept as the file
    EXPECT_FALSE(downloadFile(L"http://127.0.0.1:1/Download/9.exe", (folder.path / "9.exe").wstring(), nullptr));
    EXPECT_FALSE(fs::exists(folder.path / "9.exe"));
}

TEST(ProgramRunTest, WaitsForTheProgramAndReportsHowItEnded) {
    TempFolder folder;
    const fs::path recorder = fs::path(LIKENEX_RUN_RECORDER);
    const fs::path installer = folder.path / "3.exe";
    fs::copy_file(recorder, installer);

    int ticks = 0;
    SetEnvironmentVariableW(L"LIKENEX_TEST_RUN_MS", L"1500");
    RunOutcome outcome =
        runAndWait(installer.wstring(), L"\"" + installer.wstring() + L"\"", folder.path.wstring(), [&] { ++ticks; });
    SetEnvironmentVariableW(L"LIKENEX_TEST_RUN_MS", nullptr);
    EXPECT_EQ(outcome.result, RunResult::succeeded);
    EXPECT_GE(ticks, 1);                                         // a tick a second while it ran
    EXPECT_EQ(readBytes(folder.path / "runs.txt"), "3.exe \n");  // run in the program folder

    SetEnvironmentVariableW(L"LIKENEX_TEST_RUN_EXIT", L"3");
    outcome = runAndWait(installer.wstring(), L"\"" + installer.wstring() + L"\"", folder.path.wstring(), nullptr);
    SetEnvironmentVariableW(L"LIKENEX_TEST_RUN_EXIT", nullptr);
    EXPECT_EQ(outcome.result, RunResult::failed);

    outcome = runAndWait((folder.path / "data" / "merge.exe").wstring(), L"merge.exe", folder.path.wstring(), nullptr);
    EXPECT_EQ(outcome.result, RunResult::notStarted);
    EXPECT_NE(outcome.error, 0u);
    EXPECT_FALSE(systemErrorText(outcome.error).empty());
}

// The build signs the stand-in installer as 3.exe of version 3 and as fullup.exe of version 5.
std::string recorderManifest(const std::string& name) { return std::string(LIKENEX_RUN_RECORDER) + "." + name + ".sig"; }

struct SignatureCheckTest : ::testing::Test {
    TempFolder folder;
    fs::path installer = folder.path / "3.exe";
    fs::path manifest = folder.path / "3.exe.sig";

    void SetUp() override {
        fs::copy_file(LIKENEX_RUN_RECORDER, installer);
        fs::copy_file(recorderManifest("3.exe"), manifest);
    }

    bool verify(const fs::path& file, const fs::path& signedManifest, const std::string& name, std::uint32_t newest,
                const std::optional<PublicKey>& key = installerPublicKey()) {
        return verifyInstaller(file.wstring(), signedManifest.wstring(), InstallerRequest{name, newest}, key);
    }

    fs::path write(const std::string& name, const std::string& bytes) {
        std::ofstream(folder.path / name, std::ios::binary) << bytes;
        return folder.path / name;
    }
};

TEST_F(SignatureCheckTest, OnlyTheUntouchedInstallerWithItsManifestAndOurKeyPasses) {
    ASSERT_TRUE(installerPublicKey()) << "a test build trusts its test key";
    EXPECT_TRUE(verify(installer, manifest, "3.exe", 3));

    PublicKey otherKey = *installerPublicKey();
    otherKey[63] ^= 1;  // not even a point of the curve, most likely: refused either way
    EXPECT_FALSE(verify(installer, manifest, "3.exe", 3, otherKey));
    EXPECT_FALSE(verify(installer, manifest, "3.exe", 3, std::nullopt));  // a build given no key
    EXPECT_FALSE(verify(installer, folder.path / "none.sig", "3.exe", 3));

    // One byte changed anywhere in the installer, or one byte more.
    std::string bytes = readBytes(installer);
    bytes[bytes.size() / 2] ^= 0x40;
    EXPECT_FALSE(verify(write("tampered.exe", bytes), manifest, "3.exe", 3));
    EXPECT_FALSE(verify(write("longer.exe", readBytes(installer) + "x"), manifest, "3.exe", 3));

    // A signature changed in one character, a field changed under a good signature, a text that
    // is no manifest at all, and a manifest past its size limit.
    const std::string text = readBytes(manifest);
    std::string badSignature = text;
    badSignature[text.size() - 8] = badSignature[text.size() - 8] == 'A' ? 'B' : 'A';
    EXPECT_FALSE(verify(installer, write("bad.sig", badSignature), "3.exe", 3));
    std::string newerClaim = text;
    newerClaim.replace(newerClaim.find("\nversion 3\n"), 11, "\nversion 9\n");
    EXPECT_FALSE(verify(installer, write("newer.sig", newerClaim), "3.exe", 9));
    EXPECT_FALSE(verify(installer, write("text.sig", "not found"), "3.exe", 3));
    EXPECT_FALSE(verify(installer, write("long.sig", text + std::string(kMaxManifestFile, '\n')), "3.exe", 3));
}

TEST_F(SignatureCheckTest, AValidManifestVouchesOnlyForItsNameAndNoOlderVersion) {
    EXPECT_TRUE(verify(installer, manifest, "3.exe", 2));   // newer than announced
    EXPECT_FALSE(verify(installer, manifest, "3.exe", 4));  // a rollback
    EXPECT_FALSE(verify(installer, manifest, "fullup.exe", 3));
    EXPECT_FALSE(verify(installer, manifest, "3.EXE", 3));

    const fs::path full = recorderManifest("fullup.exe");
    EXPECT_TRUE(verify(installer, full, "fullup.exe", 5));
    EXPECT_FALSE(verify(installer, full, "fullup.exe", 6));
    EXPECT_FALSE(verify(installer, full, "5.exe", 5));
}

}  // namespace
}  // namespace likenex::update
