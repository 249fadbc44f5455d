// The USB device tree from the registry's USB enumeration key: device keys
// under it, instance keys under each, and each instance's "Service" value.
#include "discovery/usb_tree.h"

#include "discovery/win32/registry_read.h"

namespace {

const char kUsbEnumPath[] = "SYSTEM\\CurrentControlSet\\Enum\\USB";

} // namespace

int ListUsbDeviceKeys(char* slots, int slotWidth, int slotCount) {
    return EnumSubkeyNames(HKEY_LOCAL_MACHINE, kUsbEnumPath, slots, slotWidth, slotCount);
}

// Names are at most 63 characters (the walk's slots), so the paths (97 and
// 161 characters at most) always fit their buffers.
int ListUsbInstances(const char* deviceKey, char* slots, int slotWidth, int slotCount) {
    char devicePath[1024];
    wsprintfA(devicePath, "%s\\%s", kUsbEnumPath, deviceKey);
    return EnumSubkeyNames(HKEY_LOCAL_MACHINE, devicePath, slots, slotWidth, slotCount);
}

int ReadUsbInstanceDriver(const char* deviceKey, const char* instance, char* driver,
                          std::size_t size) {
    char instancePath[1024];
    wsprintfA(instancePath, "%s\\%s\\%s", kUsbEnumPath, deviceKey, instance);
    return QueryRegValue(HKEY_LOCAL_MACHINE, instancePath, "Service", driver,
                         static_cast<DWORD>(size));
}
