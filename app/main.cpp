// WinMain of Likenex.exe.
#include "app/Entry.h"

namespace {
// The one application object, constructed before the entry runs.
likenex::Application theApplication;
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    return likenex::runEntry(theApplication, commandLine);
}
