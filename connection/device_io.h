// What each system supplies for an open device: its handle and its I/O. The
// connection record holds these handles and never looks inside them.
#pragma once

#include <cstdint>

// A kernel object handle on Windows, or on Linux the open USB device of the
// printer's interface. 0 and -1 both mean that nothing is open.
typedef void* DeviceHandle;

inline DeviceHandle ClosedHandle() {
    return reinterpret_cast<DeviceHandle>(static_cast<intptr_t>(-1));
}

inline bool IsOpenHandle(DeviceHandle handle) {
    return handle != nullptr && handle != ClosedHandle();
}

// One synchronous write of up to `length` bytes. Returns 1 with the number of
// bytes the device took in `written` (fewer than asked is not a failure), or 0
// when the device refused the write.
int WriteDeviceOnce(DeviceHandle handle, const uint8_t* bytes, uint32_t length, uint32_t* written);

// Releases an open handle; a failure to release changes nothing for the caller.
void CloseDeviceHandle(DeviceHandle handle);
