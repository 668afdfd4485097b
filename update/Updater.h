#pragma once
// What Update.exe decides and does, apart from the window that shows it: the version check,
// the choice of installer, three download attempts, running the installer and the merger, and
// what the action button means at each point. An installer runs only after its signed manifest,
// fetched beside it, has been verified and vouches for that file under the name asked for and
// for the version being installed; a missing or refused manifest counts as a failed download. Everything that touches the system goes through
// UpdateActions, so the host tests drive the same steps with a recording fake.
//
// Threads: check() runs on the checker thread, install() on the installer thread and
// pressAction() on the dialog's; the decision and the flags are atomics, and each thread's
// calls into UpdateActions must be safe from that thread.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace likenex::update {

enum class Decision : std::uint8_t {
    undecided,
    nothingToInstall,  // also after an installation finished
    newerAvailable,
};

// The status line's texts.
inline constexpr std::u16string_view kReceivingData = u"Receiving data...";
inline constexpr std::u16string_view kNoNewData = u"No new data!";
inline constexpr std::u16string_view kNewDataReceived = u"New data are received!";
inline constexpr std::u16string_view kDownloadNewFiles = u"Download new files!";
inline constexpr std::u16string_view kFailToDownload = u"Fail to download!";
inline constexpr std::u16string_view kFailToUpdate = u"Fail to update!";
inline constexpr std::u16string_view kUpdateCompleted = u"Update is completed!";

inline constexpr int kDownloadAttempts = 3;

// The installer for a step from `installed` to `newest`: the numbered one for a step of one
// version, the full one for any other.
struct Package {
    std::string fileName;  // "3.exe" or "fullup.exe"
    std::u16string downloadingText;
    std::u16string updatingText;
};
[[nodiscard]] Package choosePackage(std::uint32_t installed, std::uint32_t newest);

// The download base from the command line's first argument (already in the code page), or
// the default when there is none. Only an http or https address (the scheme in any case) is
// taken, and it is made to end with "/" since file names are appended to it directly; at most
// 1000 bytes.
[[nodiscard]] std::string downloadBase(std::optional<std::string_view> argument, std::string_view fallback);

// The progress bar while a download reports `progress` of `maximum`: 0 to 100, 0 when the
// maximum is unknown.
[[nodiscard]] int downloadPercent(std::uint64_t progress, std::uint64_t maximum);

// The progress bar while an installer or the merger runs: one step a second, from 99 back to 0.
[[nodiscard]] int runningProgressAfterTick(int position);

class UpdateActions {
public:
    virtual ~UpdateActions() = default;
    virtual void showStatus(std::u16string_view text) = 0;
    virtual void setProgress(int percent) = 0;
    virtual void showFinishedButton() = 0;  // the action button's "done" pictures
    virtual void minimiseEditor() = 0;      // when Likenex.exe still has a window
    virtual void deleteDownload(const std::string& fileName) = 0;
    // Fetches url into the program folder as fileName, reporting progress with setProgress.
    [[nodiscard]] virtual bool download(const std::string& url, const std::string& fileName) = 0;
    // Checks the downloaded installer against its downloaded manifest (signatureName) with the
    // public key built into the program: fetched as fileName, for installing newestVersion.
    [[nodiscard]] virtual bool verifyDownload(const std::string& fileName, std::uint32_t newestVersion) = 0;
    // Runs the program and waits for it; false when it could not be started or did not end
    // with exit code 0.
    [[nodiscard]] virtual bool runInstaller(const std::string& fileName) = 0;
    [[nodiscard]] virtual bool runMerger() = 0;
};

// What a press of the action button asks the dialog to do.
enum class ActionResult : std::uint8_t {
    nothing,
    startInstaller,  // the caller starts a thread that runs install()
    restartEditor,   // start Likenex.exe with "goon" and end
    notifyAndQuit,   // post WM_UPDATE_FINISHED to a "CLASSNAME" window and end
};

class Updater {
public:
    Updater(UpdateActions& actions, std::uint32_t installed, std::uint32_t newest, std::string downloadBase)
        : actions_(actions), installed_(installed), newest_(newest), downloadBase_(std::move(downloadBase)) {}

    void check();    // the checker thread
    void install();  // the installer thread

    // The action button was released over itself.
    [[nodiscard]] ActionResult pressAction();

    [[nodiscard]] Decision decision() const { return decision_.load(); }
    [[nodiscard]] bool installedThisRun() const { return installedThisRun_.load(); }

private:
    UpdateActions& actions_;
    std::atomic<std::uint32_t> installed_;
    const std::uint32_t newest_;
    const std::string downloadBase_;
    std::atomic<Decision> decision_{Decision::undecided};
    std::atomic<bool> running_{false};
    std::atomic<bool> installedThisRun_{false};
};

}  // namespace likenex::update
