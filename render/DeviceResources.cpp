#include "render/DeviceResources.h"

#include "render/RenderOps.h"

#include <algorithm>
#include <vector>

namespace likenex {
namespace {

std::vector<DeviceResource*>& resources() {
    static std::vector<DeviceResource*> list;
    return list;
}

}  // namespace

void registerDeviceResource(DeviceResource* resource) {
    auto& list = resources();
    if (resource && std::find(list.begin(), list.end(), resource) == list.end()) list.push_back(resource);
}

void unregisterDeviceResource(DeviceResource* resource) {
    auto& list = resources();
    list.erase(std::remove(list.begin(), list.end(), resource), list.end());
}

// A resource may unregister itself from its callback, so the callers walk a copy.
void releaseDeviceObjects() {
    std::vector<DeviceResource*> list = resources();
    for (DeviceResource* r : list) r->onDeviceLost();
}

void recreateDeviceObjects() {
    std::vector<DeviceResource*> list = resources();
    for (DeviceResource* r : list) r->onDeviceReset();
}

void recoverLostDevice() {
    std::vector<DeviceResource*> list = resources();
    for (DeviceResource* r : list) r->onDeviceLost();
    render::restoreDevice();
    for (DeviceResource* r : list) r->onDeviceReset();
}

}  // namespace likenex
