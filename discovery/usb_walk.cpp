#include "discovery/usb_walk.h"

#include "discovery/device_route.h"
#include "discovery/usb_tree.h"

#include <cstring>

namespace {

const int kSlotWidth = 64;
const int kSlotsPerLevel = 500;

// The driver name is the value's text up to its first NUL, compared whole and
// case-sensitively. A value with no NUL in the buffer names no driver.
bool DriverIs(const char* value, std::size_t size, const char* driver) {
    const std::size_t length = strnlen(value, size);
    return length < size && std::strcmp(value, driver) == 0;
}

// "USB\" and a key name of at most 63 characters: 67 at most, so the
// candidate always fits hardwareId.
void WriteCandidate(PrinterConnection* connection, const char* deviceKey) {
    std::strcpy(connection->hardwareId, "USB\\");
    std::strcat(connection->hardwareId, deviceKey);
}

} // namespace

int WalkUsbEnumTree(PrinterConnection* connection) {
    static_assert(kSlotWidth + 4 <= sizeof connection->hardwareId, "a candidate fits");
    char deviceKeys[kSlotsPerLevel][kSlotWidth];
    char instances[kSlotsPerLevel][kSlotWidth];
    const int deviceCount = ListUsbDeviceKeys(deviceKeys[0], kSlotWidth, kSlotsPerLevel);
    const char* driver = "usbprint";
    if (connection->useScannerClass != 0) {
        driver = "usbscan";
    }

    for (int j = 0; j < deviceCount; ++j) {
        const int instanceCount =
            ListUsbInstances(deviceKeys[j], instances[0], kSlotWidth, kSlotsPerLevel);
        for (int i = 0; i < instanceCount; ++i) {
            // Zero-filled each time, so a value stored without its terminator
            // is read as exactly its own bytes.
            char service[128] = {};
            if (!ReadUsbInstanceDriver(deviceKeys[j], instances[i], service, sizeof service)) {
                continue;
            }
            if (!DriverIs(service, sizeof service, driver)) {
                continue;
            }
            WriteCandidate(connection, deviceKeys[j]);
            if (OpenConfiguredRoute(connection) != 0) {
                return 1;
            }
        }
    }
    return 0;
}
