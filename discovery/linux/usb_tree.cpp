// The USB tree for the walk, from the attached devices: a device key per
// vendor and product ID, sorted as the Windows registry sorts its keys (letter
// case ignored); the instances of a key are its devices, by bus and port; an
// instance is served by "usbprint" when it has a printer interface.
#include "discovery/usb_tree.h"

#include "discovery/linux/attached_devices.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool SortsBefore(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

int CopyNames(const std::vector<std::string>& names, char* slots, int slotWidth, int slotCount) {
    int count = 0;
    for (const std::string& name : names) {
        if (count == slotCount) {
            break;
        }
        if (name.size() >= static_cast<std::size_t>(slotWidth)) {
            continue;
        }
        std::memcpy(slots + static_cast<std::size_t>(count) * slotWidth, name.c_str(),
                    name.size() + 1);
        ++count;
    }
    return count;
}

} // namespace

int ListUsbDeviceKeys(char* slots, int slotWidth, int slotCount) {
    AttachedDevices attached;
    if (!ListAttachedDevices(&attached)) {
        return 0;
    }
    std::vector<std::string> keys;
    for (const AttachedDevice& device : attached.devices) {
        keys.push_back(DeviceKeyOf(device));
    }
    ReleaseAttachedDevices(&attached);
    std::sort(keys.begin(), keys.end(), SortsBefore);
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return CopyNames(keys, slots, slotWidth, slotCount);
}

int ListUsbInstances(const char* deviceKey, char* slots, int slotWidth, int slotCount) {
    AttachedDevices attached;
    if (!ListAttachedDevices(&attached)) {
        return 0;
    }
    std::vector<std::string> instances;
    for (const AttachedDevice& device : attached.devices) {
        if (DeviceKeyOf(device) == deviceKey) {
            instances.push_back(InstanceNameOf(device));
        }
    }
    ReleaseAttachedDevices(&attached);
    return CopyNames(instances, slots, slotWidth, slotCount);
}

int ReadUsbInstanceDriver(const char* deviceKey, const char* instance, char* driver,
                          std::size_t size) {
    AttachedDevices attached;
    if (!ListAttachedDevices(&attached)) {
        return 0;
    }
    int served = 0;
    for (const AttachedDevice& device : attached.devices) {
        if (DeviceKeyOf(device) == deviceKey && InstanceNameOf(device) == instance) {
            served = device.printerInterface >= 0;
        }
    }
    ReleaseAttachedDevices(&attached);
    if (served) {
        std::strncpy(driver, "usbprint", size - 1);
    }
    return served;
}
