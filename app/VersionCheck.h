#pragma once
// The version check: the query sent at start-up or when the user asks, its reply (the version
// values and the news address written to the registry), and the hand-over to the updater when
// the server announces a newer version. An updater that cannot be started is told, and the
// program goes on with this version.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace likenex {

class MainWindow;
class ServerLink;
class Shell;
class UserSettings;

namespace ui {
class UiHost;
}

// How far the program is: starting until start-up ends, then started, and versionCheckAsked
// once the user asked for a version check (whose "up to date" answer is then shown).
enum class StartupState : std::uint8_t { starting, started, versionCheckAsked };

class VersionCheck {
public:
    using HandOver = std::function<void(const std::string& updaterPath, const std::string& arguments)>;

    // The state says whether the user waits for the answer; everything given outlives this.
    VersionCheck(MainWindow& window, ServerLink& server, Shell& shell, const UserSettings& settings, ui::UiHost& host,
                 const StartupState& state)
        : window_(window), server_(server), shell_(shell), settings_(settings), host_(host), state_(state) {}

    // The updater is update.exe in the program directory.
    void setProgramDirectory(std::string directory) { programDirectory_ = std::move(directory); }
    // Sends the version query; false when it cannot go out.
    [[nodiscard]] bool ask();
    // The reply message's handling; the exchange ends here, whatever comes of it.
    LRESULT onReply(WPARAM wParam, LPARAM lParam);

    // A newer version: starts the updater through the hand-over in force (tests record it).
    void handOver(const std::string& updaterPath, const std::string& arguments);
    // Starts the updater with the server's arguments and ends the program; an updater that
    // cannot be started is told in a message box, and the program goes on.
    void startUpdater(const std::string& updaterPath, const std::string& arguments);
    // Null restores starting the updater.
    void setHandOver(HandOver handOver) { handOver_ = std::move(handOver); }

private:
    MainWindow& window_;
    ServerLink& server_;
    Shell& shell_;
    const UserSettings& settings_;
    ui::UiHost& host_;
    const StartupState& state_;
    std::string programDirectory_;
    HandOver handOver_;
};

}  // namespace likenex
