// What a DeviceHandle points at on Linux: one libusb handle on the printer,
// with the interface it claimed and the endpoint the firmware goes to.
#pragma once

#include "platform/linux.h"

struct UsbHandle {
    libusb_device_handle* handle;
    int claimedInterface; // -1: this handle claimed nothing
    uint8_t endpoint;     // bulk OUT; 0 for a handle nothing is written to
};

// Opens `device` (each open holds a reference on libusb's default context)
// and, when `interfaceNumber` is not -1, claims that interface, a kernel
// driver bound to it detached until release. Returns 0 or a libusb error
// code, with *opened set only on success.
int OpenUsbHandle(libusb_device* device, int interfaceNumber, uint8_t endpoint, UsbHandle** opened);
