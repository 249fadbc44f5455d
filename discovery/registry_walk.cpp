#include "discovery/registry_walk.h"

#include "discovery/device_route.h"
#include "discovery/registry_read.h"

#include <cstring>

namespace {

const char kUsbEnumPath[] = "SYSTEM\\CurrentControlSet\\Enum\\USB";
const int kSlotWidth = 64;
const int kSlotsPerLevel = 500;

// The driver name is the value's text up to its first NUL, compared whole and
// case-sensitively. A value with no NUL in the buffer names no driver.
bool DriverIs(const char* value, std::size_t size, const char* driver) {
    const std::size_t length = strnlen(value, size);
    return length < size && std::strcmp(value, driver) == 0;
}

} // namespace

int WalkUsbEnumTree(PrinterConnection* connection) {
    char deviceKeys[kSlotsPerLevel][kSlotWidth];
    char instances[kSlotsPerLevel][kSlotWidth];
    const int deviceCount = EnumSubkeyNames(HKEY_LOCAL_MACHINE, kUsbEnumPath, deviceKeys[0],
                                            kSlotWidth, kSlotsPerLevel);
    const char* driver = connection->useScannerClass != 0 ? "usbscan" : "usbprint";

    for (int j = 0; j < deviceCount; ++j) {
        char devicePath[1024];
        // Names are at most 63 characters (EnumSubkeyNames skips longer ones),
        // so the paths (97 and 161 characters at most) and the candidate (67)
        // always fit their buffers.
        wsprintfA(devicePath, "%s\\%s", kUsbEnumPath, deviceKeys[j]);
        const int instanceCount = EnumSubkeyNames(HKEY_LOCAL_MACHINE, devicePath, instances[0],
                                                  kSlotWidth, kSlotsPerLevel);
        for (int i = 0; i < instanceCount; ++i) {
            char instancePath[1024];
            wsprintfA(instancePath, "%s\\%s", devicePath, instances[i]);
            // Zero-filled each time, so a value stored without its terminator
            // is read as exactly its own bytes.
            char service[128] = {};
            if (!QueryRegValue(HKEY_LOCAL_MACHINE, instancePath, "Service", service,
                               sizeof service) ||
                !DriverIs(service, sizeof service, driver)) {
                continue;
            }
            wsprintfA(connection->hardwareId, "USB\\%s", deviceKeys[j]);
            if (OpenConfiguredRoute(connection) != 0) {
                return 1;
            }
        }
    }
    return 0;
}
