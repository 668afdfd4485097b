#include "screens/ScreenServices.h"

namespace likenex {

std::string joinWebAddress(std::string_view address, std::string_view path) {
    while (!address.empty() && address.back() == '/') address.remove_suffix(1);
    while (!path.empty() && path.front() == '/') path.remove_prefix(1);
    std::string joined(address);
    joined += '/';
    joined += path;
    return joined;
}

}  // namespace likenex
