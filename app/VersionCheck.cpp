#include "app/VersionCheck.h"

#include "app/MainWindow.h"
#include "app/ProgramVersion.h"
#include "app/ServerLink.h"
#include "app/Shell.h"
#include "base/Constants.h"
#include "net/Messages.h"
#include "platform/win/CodePage.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "screens/TextIds.h"
#include "ui/MessageDialog.h"

#include <shellapi.h>

#include <span>

namespace likenex {
namespace {

// The feed's language by interface language index.
const char* newsLanguageQuery(int languageIndex) {
    static constexpr const char* kQueries[] = {"?v=1.0&ln=zh-tw", "?v=1.0&ln=zh-cn", "?v=1.0&ln=en", "?v=1.0&ln=ja",
                                               "?v=1.0&ln=fr"};
    return languageIndex >= 0 && languageIndex < 5 ? kQueries[languageIndex] : "";
}

}  // namespace

bool VersionCheck::ask() { return server_.requests().sendVersionQuery(server_.endpoint()); }

LRESULT VersionCheck::onReply(WPARAM wParam, LPARAM lParam) {
    VersionReply reply;
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(lParam), wParam);
    const bool decoded = lParam != 0 && reply.assign(bytes) && reply.decode();
    // The reply has been read: the exchange ends here, whatever comes of it.
    server_.closeServerConnection();
    if (!decoded) return 1;
    (void)writeUserDword(kVersionKey, "ver", kProgramVersion);
    (void)writeUserDword(kVersionKey, "newver", static_cast<std::uint32_t>(reply.newestVersion));
    (void)writeUserString(kVersionKey, "news", reply.newsBase + newsLanguageQuery(settings_.language()));
    if (reply.newestVersion > static_cast<std::int32_t>(kProgramVersion))
        handOver(programDirectory_ + "\\update.exe", reply.updaterArguments);
    else if (state_ == StartupState::versionCheckAsked)
        (void)ui::showMessageDialog(host_, host_.uiText(kTextUpToDate), host_.uiText(kTextUpToDateTitle),
                                    ui::DialogStyle::okOnly, 0, 0);
    return 1;
}

void VersionCheck::handOver(const std::string& updaterPath, const std::string& arguments) {
    if (handOver_) handOver_(updaterPath, arguments);
    else startUpdater(updaterPath, arguments);
}

void VersionCheck::startUpdater(const std::string& updaterPath, const std::string& arguments) {
    // ShellExecute reports success as a value above 32.
    const auto started = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", updaterPath.c_str(), arguments.c_str(), nullptr, SW_SHOW));
    if (started > 32) {
        shell_.endProgram();
        return;
    }
    // Without the updater the editor would end at every start for as long as the server
    // announces a newer version; it says so and goes on with this one instead.
    showMessageBox(window_.window(),
                   (systemCodePage().toWide(updaterPath) + L"\nThe updater could not be started. Likenex goes on "
                                                           L"with this version.")
                       .c_str(),
                   nullptr, MB_OK);
}

}  // namespace likenex
