#include "app/TestSeams.h"

#include <windows.h>

#include <stdexcept>
#include <string>

namespace likenex::testSeams {

#ifdef LIKENEX_TEST_SEAMS

void raiseRequestedFrameFault() {
    static bool raised = false;
    if (raised) return;
    raised = true;
    char kind[16]{};
    const DWORD length = GetEnvironmentVariableA("LIKENEX_TEST_FRAME_FAULT", kind, sizeof kind);
    if (length == 0 || length >= sizeof kind) return;
    static const char kText[] = "frame fault for the test";
    const std::string requested(kind, length);
    if (requested == "standard") throw std::runtime_error(kText);
    if (requested == "text") throw kText;
    if (requested == "other") throw 7;
}

bool galleryRequested() { return GetEnvironmentVariableA("LIKENEX_TEST_GALLERY", nullptr, 0) > 0; }

#else

void raiseRequestedFrameFault() {}
bool galleryRequested() { return false; }

#endif

}  // namespace likenex::testSeams
