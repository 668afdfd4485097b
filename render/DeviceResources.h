#pragma once
// Objects that hold device objects of the Direct3D 8 back end (the text engines' textures)
// register with their render context's list, so that the device's own resets and the frame
// loop's recovery can have them release everything first and re-create it afterwards.

#include <functional>
#include <vector>

namespace likenex {

class DeviceResource {
public:
    virtual ~DeviceResource() = default;
    virtual void onDeviceLost() = 0;
    virtual void onDeviceReset() = 0;
};

class DeviceResources {
public:
    // Registering twice keeps one entry; null is ignored.
    void add(DeviceResource* resource);
    void remove(DeviceResource* resource);

    // Every registered resource releases, or re-creates, its device objects. A resource may
    // unregister itself from its callback.
    void releaseAll();
    void recreateAll();
    // After a failed present: every resource releases its device objects, restore runs, and
    // the same resources re-create theirs.
    void recover(const std::function<void()>& restore);

    [[nodiscard]] std::size_t size() const { return resources_.size(); }

private:
    std::vector<DeviceResource*> resources_;
};

}  // namespace likenex
