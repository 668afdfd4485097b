#pragma once
// Objects that hold device objects of the Direct3D 8 back end (the text renderers' fonts)
// register here, so that the frame loop can have them release everything before a device
// reset and re-create it afterwards.

namespace likenex {

class DeviceResource {
public:
    virtual ~DeviceResource() = default;
    virtual void onDeviceLost() = 0;
    virtual void onDeviceReset() = 0;
};

void registerDeviceResource(DeviceResource* resource);
void unregisterDeviceResource(DeviceResource* resource);

// Every registered resource releases, or re-creates, its device objects: around a device
// reset that the back end makes itself (a resize).
void releaseDeviceObjects();
void recreateDeviceObjects();

// Called by the frame loop when presenting a frame failed: every resource releases its
// device objects, the device is restored, and every resource re-creates them.
void recoverLostDevice();

}  // namespace likenex
