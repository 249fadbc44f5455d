#include "connection/device_io.h"

#include "platform/win32.h"

int WriteDeviceOnce(DeviceHandle handle, const uint8_t* bytes, uint32_t length, uint32_t* written) {
    DWORD moved = 0;
    const BOOL ok = WriteFile(handle, bytes, length, &moved, nullptr);
    *written = moved;
    return ok ? 1 : 0;
}

void CloseDeviceHandle(DeviceHandle handle) {
    CloseHandle(handle);
}
