#include "app/Entry.h"

#include "app/SingleInstance.h"
#include "app/StartupTiming.h"
#include "platform/win/Handles.h"
#include "platform/win/MessageBox.h"

#include <exception>

namespace likenex {

void placeMainWindow(HWND window) {
    int x = static_cast<int>((GetSystemMetrics(SM_CXSCREEN) - kMainWindowWidth) * 0.5);
    int y = static_cast<int>((GetSystemMetrics(SM_CYSCREEN) - kMainWindowHeight) * 0.5);
    MoveWindow(window, x, y, kMainWindowWidth, kMainWindowHeight, TRUE);

    UniqueRegion region(CreateRoundRectRgn(0, 0, kMainWindowWidth + 1, kMainWindowHeight + 1, 11, 11));
    // On success the window owns the region.
    if (region && SetWindowRgn(window, region.get(), TRUE)) (void)region.release();
}

int runEntry(Application& application, const char* commandLine) {
    try {
        application.setCommandLineRequest(parseCommandLine(commandLine));

        if (HWND runningEditor = findRunningInstance()) {
            if (application.editRequested()) forwardOpenAvatar(runningEditor, application.pendingAvatarId());
            else if (!application.pendingAvatarCode().empty())
                (void)forwardAvatarCode(runningEditor, application.pendingAvatarCode());
            return 0;
        }
        startupTiming::mark("running editor check");

        application.setSize(kMainWindowWidth, kMainWindowHeight);
        if (!application.create(kRendererOpenGl)) return 0;
        HWND window = application.window();
        markAsRunningInstance(window);
        placeMainWindow(window);
        startupTiming::mark("window placed");

        // A start that opens an avatar asks nothing else of the server: a version reply could
        // hand the program over to the updater before the avatar is shown.
        if (application.editRequested()) application.openAvatar(application.pendingAvatarId());
        else if (!application.pendingAvatarCode().empty()) application.openAvatarCode(application.pendingAvatarCode());
        else application.askForVersion();
        startupTiming::mark("first server request");

        ShowWindow(window, SW_SHOW);
        startupTiming::mark("window shown");
        application.chatLink().attach(window);
        startupTiming::mark("chat link");
        return application.run();
    } catch (const std::exception& error) {
        showMessageBoxA(nullptr, error.what(), nullptr, MB_OK);
    } catch (const char* text) {
        showMessageBoxA(nullptr, text ? text : "", nullptr, MB_OK);
    } catch (...) {
        showMessageBoxA(nullptr, "Unknown Error,the App will shutdown!", nullptr, MB_OK);
    }
    // The error skipped the end of the frame loop: release now what it would have released,
    // while the objects those releases reach still exist.
    try {
        application.endAfterError();
    } catch (...) {
        // Nothing more can be told to the user; the process ends with 0 all the same.
    }
    return 0;
}

}  // namespace likenex
