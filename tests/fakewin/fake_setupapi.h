// SetupAPI on the fake machine: the present devices of the USB printing
// driver, each with its hardware-ID property and its interface path.
#pragma once

#include "platform/win32.h"

#include <string>
#include <vector>

namespace fake {

struct PrintingDevice {
    // The SPDRP_HARDWAREID value exactly as the platform hands it out. Usually
    // made by MultiString; raw bytes let a test leave off terminating NULs.
    std::string hardwareIds;
    bool hasHardwareIds = true; // false: the read fails with ERROR_INVALID_DATA
    DWORD propertyError = 0;    // non-zero: every read of the property fails with it

    std::string interfacePath;          // added as a device file, so CreateFileA can open it
    bool hasInterface = true;           // false: the set enumerates no interface for this device
    bool detailReadFails = false;       // the detail read (with a buffer) fails
    bool detailSizeReportsZero = false; // the detail size query reports 0 bytes
};

// A hardware-ID list as the platform stores it: each entry NUL-terminated and
// the list closed by an empty entry.
std::string MultiString(const std::vector<std::string>& entries);

// Adds a present USB printing device and a device file at `interfacePath`.
PrintingDevice& AddPrintingDevice(const std::string& hardwareIds, const std::string& interfacePath);

// SetupDiGetClassDevsA fails with INVALID_HANDLE_VALUE.
void FailClassDevs(bool fail);

struct ClassDevsCall {
    GUID classGuid;
    bool hadEnumerator, hadParent;
    DWORD flags;
};
struct PropertyReadCall {
    DWORD property;
    bool hadBuffer;
    DWORD bufferSize;
};

std::vector<ClassDevsCall> ClassDevsCalls();
std::vector<PropertyReadCall> PropertyReadCalls();

} // namespace fake
