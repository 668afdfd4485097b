// Update.exe: reads the versions the editor left in the registry, shows the update dialog and
// ends. Without the registry values there is nothing to compare, so it ends at once.

#include "base/Constants.h"
#include "update/Updater.h"
#include "update/win/ProgramFolder.h"
#include "update/win/UpdateDialog.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace likenex::update;
    std::optional<VersionValues> versions = readVersionValues();
    if (!versions) return 0;
    const std::string base = downloadBase(firstArgument(), std::string(likenex::kDefaultWebAddress) + "/Download/");
    UpdateDialog dialog(instance, programFolder(), std::move(*versions), base);
    const int code = dialog.run();
    // An installer thread may still be waiting for its installer: ending Update ends it with
    // the process, as closing the dialog asks, instead of waiting in the dialog's destructor.
    ExitProcess(static_cast<UINT>(code));
}
