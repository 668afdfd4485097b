#include "ui/UiHost.h"

#include <stdexcept>

namespace likenex::ui {
namespace {

UiHost* installedHost = nullptr;

}  // namespace

UiHost& uiHost() {
    // A widget made before start-up installed the host is a programming error, not a state
    // to limp through: it would have no font and no pictures.
    if (!installedHost) throw std::logic_error("no user-interface host installed");
    return *installedHost;
}

void setUiHost(UiHost* host) { installedHost = host; }

bool hasUiHost() { return installedHost != nullptr; }

}  // namespace likenex::ui
