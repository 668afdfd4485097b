#include "update/Updater.h"

#include "update/InstallerSignature.h"

#include <algorithm>

namespace likenex::update {
namespace {

constexpr std::size_t kMaxDownloadBase = 1000;

std::u16string ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

// URL schemes are case blind: "HTTP://" names the same scheme as "http://".
bool startsWithScheme(std::string_view text, std::string_view scheme) {
    if (text.size() < scheme.size()) return false;
    for (std::size_t i = 0; i < scheme.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != scheme[i]) return false;
    }
    return true;
}

}  // namespace

Package choosePackage(std::uint32_t installed, std::uint32_t newest) {
    if (newest > installed && newest - installed == 1) {
        const std::string name = std::to_string(newest) + ".exe";
        return {name, u"Downloading file : " + ascii(name), u"Updating files : " + ascii(name)};
    }
    return {"fullup.exe", u"\u6B63\u5728\u4E0B\u8F09\u6587\u4EF6 : FullUp.exe", u"Updating files : FullUp.exe"};
}

std::string downloadBase(std::optional<std::string_view> argument, std::string_view fallback) {
    std::string_view chosen = fallback;
    // Anything but a web address (a file:// path, a share, an empty argument) would have us
    // run whatever lies there.
    if (argument && (startsWithScheme(*argument, "http://") || startsWithScheme(*argument, "https://")))
        chosen = *argument;
    std::string base(chosen.substr(0, kMaxDownloadBase));
    if (base.empty() || base.back() != '/') {
        if (base.size() == kMaxDownloadBase) base.pop_back();
        base += '/';
    }
    return base;
}

int downloadPercent(std::uint64_t progress, std::uint64_t maximum) {
    if (maximum == 0) return 0;
    // A server may report more than it announced; the bar stops at full.
    progress = std::min(progress, maximum);
    // progress * 100 needs more than 64 bits for sizes past 2^57 bytes.
    return static_cast<int>(static_cast<unsigned __int128>(progress) * 100 / maximum);
}

int runningProgressAfterTick(int position) { return position >= 99 || position < 0 ? 0 : position + 1; }

void Updater::check() {
    actions_.showStatus(kReceivingData);
    if (installed_.load() >= newest_) {
        decision_ = Decision::nothingToInstall;
        actions_.showFinishedButton();
        actions_.showStatus(kNoNewData);
        return;
    }
    actions_.minimiseEditor();
    decision_ = Decision::newerAvailable;
    actions_.showStatus(kNewDataReceived);
}

void Updater::install() {
    actions_.minimiseEditor();
    actions_.showStatus(kDownloadNewFiles);
    const Package package = choosePackage(installed_.load(), newest_);
    const std::string signature = signatureName(package.fileName);
    bool downloaded = false;
    for (int attempt = 0; attempt < kDownloadAttempts && !downloaded; ++attempt) {
        actions_.deleteDownload(package.fileName);
        actions_.deleteDownload(signature);
        actions_.showStatus(package.downloadingText);
        downloaded = actions_.download(downloadBase_ + package.fileName, package.fileName) &&
                     actions_.download(downloadBase_ + signature, signature) &&
                     actions_.verifyDownload(package.fileName, newest_);
    }
    if (!downloaded) {
        // Nothing unverified is left to be run by hand.
        actions_.deleteDownload(package.fileName);
        actions_.deleteDownload(signature);
        actions_.showStatus(kFailToDownload);
        return;
    }
    actions_.showStatus(package.updatingText);
    actions_.setProgress(0);
    const bool installerRan = actions_.runInstaller(package.fileName);
    actions_.setProgress(0);
    const bool mergerRan = actions_.runMerger();
    if (!installerRan || !mergerRan) {
        actions_.showStatus(kFailToUpdate);
        return;
    }
    actions_.setProgress(100);
    installed_ = newest_;
    decision_ = Decision::nothingToInstall;
    installedThisRun_ = true;
    actions_.showFinishedButton();
    actions_.showStatus(kUpdateCompleted);
}

ActionResult Updater::pressAction() {
    switch (decision_.load()) {
    case Decision::newerAvailable:
        if (running_.exchange(true)) return ActionResult::nothing;
        return ActionResult::startInstaller;
    case Decision::nothingToInstall:
        return installedThisRun_ ? ActionResult::restartEditor : ActionResult::notifyAndQuit;
    case Decision::undecided: break;
    }
    return ActionResult::nothing;
}

}  // namespace likenex::update
