// WinMain of Likenex.exe.
#include "app/Entry.h"
#include "app/StartupTiming.h"

#include <memory>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    // The time to here is the loader's: the libraries and the static objects.
    likenex::startupTiming::mark("entry");
    // The application is the composition of the whole program: it lives for exactly this call,
    // on the heap for its size, and is gone before the process's own objects are destroyed.
    const auto application = std::make_unique<likenex::Application>();
    likenex::startupTiming::mark("application object");
    return likenex::runEntry(*application, commandLine);
}
