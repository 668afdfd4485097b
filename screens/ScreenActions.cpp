#include "screens/ScreenActions.h"

#include <stdexcept>

namespace likenex {
namespace {

ScreenActions* installed = nullptr;

}  // namespace

ScreenActions& screenActions() {
    if (!installed) throw std::logic_error("no screen actions installed");
    return *installed;
}

void setScreenActions(ScreenActions* actions) { installed = actions; }

std::string joinWebAddress(std::string_view address, std::string_view path) {
    while (!address.empty() && address.back() == '/') address.remove_suffix(1);
    while (!path.empty() && path.front() == '/') path.remove_prefix(1);
    std::string joined(address);
    joined += '/';
    joined += path;
    return joined;
}

}  // namespace likenex
