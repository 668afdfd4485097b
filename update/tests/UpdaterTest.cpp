#include "update/Updater.h"

#include "base/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace likenex::update {
namespace {

// Records every action as one line; downloads and runs answer from queues (true when empty).
class RecordingActions : public UpdateActions {
public:
    std::vector<std::string> log;
    std::deque<bool> downloadResults;
    std::deque<bool> verifyResults;
    bool installerResult = true;
    bool mergerResult = true;

    void showStatus(std::u16string_view text) override { log.push_back("status " + text::utf8FromUtf16(text)); }
    void setProgress(int percent) override { log.push_back("progress " + std::to_string(percent)); }
    void showFinishedButton() override { log.push_back("finished button"); }
    void minimiseEditor() override { log.push_back("minimise editor"); }
    void deleteDownload(const std::string& name) override { log.push_back("delete " + name); }
    bool download(const std::string& url, const std::string& name) override {
        log.push_back("download " + url + " to " + name);
        if (downloadResults.empty()) return true;
        const bool result = downloadResults.front();
        downloadResults.pop_front();
        return result;
    }
    bool verifyDownload(const std::string& name, std::uint32_t newestVersion) override {
        log.push_back("verify " + name + " for version " + std::to_string(newestVersion));
        if (verifyResults.empty()) return true;
        const bool result = verifyResults.front();
        verifyResults.pop_front();
        return result;
    }
    bool runInstaller(const std::string& name) override {
        log.push_back("run " + name);
        return installerResult;
    }
    bool runMerger() override {
        log.push_back("run merger");
        return mergerResult;
    }
};

constexpr char kBase[] = "http://127.0.0.1:8080/Download/";

TEST(UpdaterTest, CheckComparesInstalledWithNewest) {
    struct Case {
        std::uint32_t installed, newest;
        Decision decision;
        std::vector<std::string> log;
    } cases[] = {
        {2,
         3,
         Decision::newerAvailable,
         {"status Receiving data...", "minimise editor", "status New data are received!"}},
        {5, 3, Decision::nothingToInstall, {"status Receiving data...", "finished button", "status No new data!"}},
        {3, 3, Decision::nothingToInstall, {"status Receiving data...", "finished button", "status No new data!"}},
        // Unsigned: a "newest" that reads as negative elsewhere is still the larger number.
        {2,
         0x80000000u,
         Decision::newerAvailable,
         {"status Receiving data...", "minimise editor", "status New data are received!"}},
    };
    for (const Case& c : cases) {
        RecordingActions actions;
        Updater updater(actions, c.installed, c.newest, kBase);
        EXPECT_EQ(updater.decision(), Decision::undecided);
        updater.check();
        EXPECT_EQ(updater.decision(), c.decision) << c.installed << " " << c.newest;
        EXPECT_EQ(actions.log, c.log) << c.installed << " " << c.newest;
    }
}

TEST(UpdaterTest, OneVersionAheadTakesTheNumberedInstallerAnyOtherTheFullOne) {
    const Package three = choosePackage(2, 3);
    EXPECT_EQ(three.fileName, "3.exe");
    EXPECT_EQ(three.downloadingText, u"Downloading file : 3.exe");
    EXPECT_EQ(three.updatingText, u"Updating files : 3.exe");
    const Package full = choosePackage(2, 5);
    EXPECT_EQ(full.fileName, "fullup.exe");
    EXPECT_EQ(full.downloadingText, u"正在下載文件 : FullUp.exe");
    EXPECT_EQ(full.updatingText, u"Updating files : FullUp.exe");
    EXPECT_EQ(choosePackage(41, 42).fileName, "42.exe");
    EXPECT_EQ(choosePackage(3, 2).fileName, "fullup.exe");
    // The difference wraps around for these two; it is not a step of one version.
    EXPECT_EQ(choosePackage(0xFFFFFFFFu, 0).fileName, "fullup.exe");
}

TEST(UpdaterTest, InstallFetchesVerifiesRunsInstallerAndMergerThenOffersTheRestart) {
    RecordingActions actions;
    actions.downloadResults = {false, true, false, true, true};  // installer, then its signature, fail once each
    Updater updater(actions, 2, 3, kBase);
    updater.check();
    ASSERT_EQ(updater.pressAction(), ActionResult::startInstaller);
    EXPECT_EQ(updater.pressAction(), ActionResult::nothing);  // already running
    actions.log.clear();
    updater.install();
    const std::vector<std::string> expected = {
        "minimise editor",
        "status Download new files!",
        "delete 3.exe",
        "delete 3.exe.sig",
        "status Downloading file : 3.exe",
        "download http://127.0.0.1:8080/Download/3.exe to 3.exe",
        "delete 3.exe",
        "delete 3.exe.sig",
        "status Downloading file : 3.exe",
        "download http://127.0.0.1:8080/Download/3.exe to 3.exe",
        "download http://127.0.0.1:8080/Download/3.exe.sig to 3.exe.sig",
        "delete 3.exe",
        "delete 3.exe.sig",
        "status Downloading file : 3.exe",
        "download http://127.0.0.1:8080/Download/3.exe to 3.exe",
        "download http://127.0.0.1:8080/Download/3.exe.sig to 3.exe.sig",
        "verify 3.exe for version 3",
        "status Updating files : 3.exe",
        "progress 0",
        "run 3.exe",
        "progress 0",
        "run merger",
        "progress 100",
        "finished button",
        "status Update is completed!",
    };
    EXPECT_EQ(actions.log, expected);
    EXPECT_EQ(updater.decision(), Decision::nothingToInstall);
    EXPECT_TRUE(updater.installedThisRun());
    EXPECT_EQ(updater.pressAction(), ActionResult::restartEditor);
}

TEST(UpdaterTest, AnInstallerFailingItsSignatureThreeTimesNeverRuns) {
    RecordingActions actions;
    actions.verifyResults = {false, false, false, true};
    Updater updater(actions, 2, 3, kBase);
    updater.check();
    ASSERT_EQ(updater.pressAction(), ActionResult::startInstaller);
    actions.log.clear();
    updater.install();
    int verified = 0;
    for (const std::string& line : actions.log) {
        EXPECT_EQ(line.rfind("run", 0), std::string::npos) << line;
        verified += line == "verify 3.exe for version 3";
    }
    EXPECT_EQ(verified, 3);
    ASSERT_GE(actions.log.size(), 3u);
    EXPECT_EQ(actions.log[actions.log.size() - 3], "delete 3.exe");  // the unverified file goes
    EXPECT_EQ(actions.log[actions.log.size() - 2], "delete 3.exe.sig");
    EXPECT_EQ(actions.log.back(), "status Fail to download!");
    EXPECT_FALSE(updater.installedThisRun());
}

TEST(UpdaterTest, ThreeFailedDownloadsRunNothing) {
    RecordingActions actions;
    actions.downloadResults = {false, false, false, true};
    Updater updater(actions, 2, 5, kBase);  // the full installer
    updater.check();
    ASSERT_EQ(updater.pressAction(), ActionResult::startInstaller);
    actions.log.clear();
    updater.install();
    int downloads = 0;
    for (const std::string& line : actions.log) {
        EXPECT_EQ(line.rfind("run", 0), std::string::npos) << line;
        if (line.rfind("download ", 0) == 0) {
            ++downloads;
            EXPECT_EQ(line, "download http://127.0.0.1:8080/Download/fullup.exe to fullup.exe");
        }
    }
    EXPECT_EQ(downloads, 3);
    ASSERT_GE(actions.log.size(), 2u);
    EXPECT_EQ(actions.log[actions.log.size() - 3], "delete fullup.exe");  // no partial file stays
    EXPECT_EQ(actions.log.back(), "status Fail to download!");
    EXPECT_EQ(updater.decision(), Decision::newerAvailable);
    EXPECT_FALSE(updater.installedThisRun());
    EXPECT_EQ(updater.pressAction(), ActionResult::nothing);  // the button stays as it was
}

TEST(UpdaterTest, TheFullInstallerIsVerifiedForTheNewestVersionNotTheNextOne) {
    RecordingActions actions;
    Updater updater(actions, 2, 7, kBase);
    updater.check();
    ASSERT_EQ(updater.pressAction(), ActionResult::startInstaller);
    updater.install();
    const auto verified = std::find_if(actions.log.begin(), actions.log.end(),
                                       [](const std::string& line) { return line.rfind("verify", 0) == 0; });
    ASSERT_NE(verified, actions.log.end());
    EXPECT_EQ(*verified, "verify fullup.exe for version 7");
    EXPECT_EQ(actions.log.back(), "status Update is completed!");
}

TEST(UpdaterTest, AFailedInstallerOrMergerIsAFailedUpdate) {
    for (const bool installerFails : {true, false}) {
        RecordingActions actions;
        actions.installerResult = !installerFails;
        actions.mergerResult = installerFails;
        Updater updater(actions, 2, 3, kBase);
        updater.check();
        ASSERT_EQ(updater.pressAction(), ActionResult::startInstaller);
        updater.install();
        // The merger still runs after a failed installer, as after a good one.
        EXPECT_EQ(actions.log[actions.log.size() - 2], "run merger");
        EXPECT_EQ(actions.log.back(), "status Fail to update!");
        EXPECT_EQ(updater.decision(), Decision::newerAvailable);
        EXPECT_FALSE(updater.installedThisRun());
        EXPECT_EQ(updater.pressAction(), ActionResult::nothing);
    }
}

TEST(UpdaterTest, ActionButtonFollowsTheDecision) {
    RecordingActions actions;
    Updater undecided(actions, 2, 3, kBase);
    EXPECT_EQ(undecided.pressAction(), ActionResult::nothing);

    Updater upToDate(actions, 3, 3, kBase);
    upToDate.check();
    EXPECT_EQ(upToDate.pressAction(), ActionResult::notifyAndQuit);
    EXPECT_EQ(upToDate.pressAction(), ActionResult::notifyAndQuit);
}

TEST(UpdaterTest, DownloadBaseIsAWebAddressEndingInASlash) {
    EXPECT_EQ(downloadBase(std::nullopt, kBase), kBase);
    EXPECT_EQ(downloadBase("http://updates.example.com/Download/", kBase), "http://updates.example.com/Download/");
    EXPECT_EQ(downloadBase("https://updates.example.com/d", kBase), "https://updates.example.com/d/");
    // The scheme is case blind; the rest of the address is kept as given.
    EXPECT_EQ(downloadBase("HTTP://Updates.Example.com/Download/", kBase), "HTTP://Updates.Example.com/Download/");
    EXPECT_EQ(downloadBase("hTtPs://updates.example.com/d", kBase), "hTtPs://updates.example.com/d/");
    for (const char* refused :
         {"", "file:///C:/Windows/", "\\\\share\\files\\", "ftp://example.com/", "HTTP:", "HTTPX://example.com/"})
        EXPECT_EQ(downloadBase(refused, kBase), kBase) << refused;
    const std::string longBase = "http://example.com/" + std::string(2000, 'a');
    const std::string cut = downloadBase(longBase, kBase);
    EXPECT_EQ(cut.size(), 1000u);
    EXPECT_EQ(cut.back(), '/');
    EXPECT_EQ(cut.substr(0, 999), longBase.substr(0, 999));
}

TEST(UpdaterTest, ProgressStaysWithinTheBar) {
    EXPECT_EQ(downloadPercent(0, 0), 0);
    EXPECT_EQ(downloadPercent(123, 0), 0);
    EXPECT_EQ(downloadPercent(50, 200), 25);
    EXPECT_EQ(downloadPercent(200, 200), 100);
    EXPECT_EQ(downloadPercent(300, 200), 100);
    EXPECT_EQ(downloadPercent(UINT64_MAX / 2, UINT64_MAX), 49);
    EXPECT_EQ(downloadPercent(UINT64_MAX, UINT64_MAX), 100);

    EXPECT_EQ(runningProgressAfterTick(0), 1);
    EXPECT_EQ(runningProgressAfterTick(98), 99);
    EXPECT_EQ(runningProgressAfterTick(99), 0);
    EXPECT_EQ(runningProgressAfterTick(100), 0);
    EXPECT_EQ(runningProgressAfterTick(-5), 0);
}

}  // namespace
}  // namespace likenex::update
