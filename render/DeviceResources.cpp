#include "render/DeviceResources.h"

#include <algorithm>

namespace likenex {

void DeviceResources::add(DeviceResource* resource) {
    if (resource && std::find(resources_.begin(), resources_.end(), resource) == resources_.end())
        resources_.push_back(resource);
}

void DeviceResources::remove(DeviceResource* resource) {
    resources_.erase(std::remove(resources_.begin(), resources_.end(), resource), resources_.end());
}

// The callbacks may change the list, so both walk a copy.
void DeviceResources::releaseAll() {
    const std::vector<DeviceResource*> list = resources_;
    for (DeviceResource* r : list) r->onDeviceLost();
}

void DeviceResources::recreateAll() {
    const std::vector<DeviceResource*> list = resources_;
    for (DeviceResource* r : list) r->onDeviceReset();
}

void DeviceResources::recover(const std::function<void()>& restore) {
    const std::vector<DeviceResource*> list = resources_;
    for (DeviceResource* r : list) r->onDeviceLost();
    if (restore) restore();
    for (DeviceResource* r : list) r->onDeviceReset();
}

}  // namespace likenex
