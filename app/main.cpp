// WinMain of Likenex.exe.
#include "app/Entry.h"

#include <memory>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    // The application is the composition of the whole program: it lives for exactly this call,
    // on the heap for its size, and is gone before the process's own objects are destroyed.
    const auto application = std::make_unique<likenex::Application>();
    return likenex::runEntry(*application, commandLine);
}
