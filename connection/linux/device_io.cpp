#include "connection/device_io.h"

#include "connection/linux/usb_handle.h"
#include "connection/linux/write_problem.h"

#include <new>

#ifndef FWUPDATER_WRITE_TIMEOUT_MS
// A printer that takes no data for this long has failed: libusb would
// otherwise wait for ever.
#define FWUPDATER_WRITE_TIMEOUT_MS 30000
#endif

namespace {

WriteProblem ProblemOf(int result) {
    if (result == LIBUSB_ERROR_NO_DEVICE) {
        return WriteProblem::Unplugged;
    }
    if (result == LIBUSB_ERROR_TIMEOUT) {
        return WriteProblem::TimedOut;
    }
    return WriteProblem::Refused;
}

} // namespace

unsigned WriteTimeoutSeconds() {
    return FWUPDATER_WRITE_TIMEOUT_MS / 1000;
}

int OpenUsbHandle(libusb_device* device, int interfaceNumber, uint8_t endpoint,
                  UsbHandle** opened) {
    int result = libusb_init(nullptr);
    if (result != 0) {
        return result;
    }
    libusb_device_handle* handle = nullptr;
    result = libusb_open(device, &handle);
    if (result == 0 && interfaceNumber >= 0) {
        libusb_set_auto_detach_kernel_driver(handle, 1);
        result = libusb_claim_interface(handle, interfaceNumber);
    }
    UsbHandle* usb = nullptr;
    if (result == 0) {
        usb = new (std::nothrow) UsbHandle{handle, interfaceNumber, endpoint};
        if (usb == nullptr) {
            result = LIBUSB_ERROR_NO_MEM;
        }
    }
    if (result != 0) {
        if (handle != nullptr) {
            libusb_close(handle);
        }
        libusb_exit(nullptr);
        return result;
    }
    *opened = usb;
    return 0;
}

int WriteDeviceOnce(DeviceHandle handle, const uint8_t* bytes, uint32_t length, uint32_t* written) {
    UsbHandle* usb = static_cast<UsbHandle*>(handle);
    int moved = 0;
    // libusb takes a mutable buffer for both directions; an OUT transfer
    // only reads it.
    const int result =
        libusb_bulk_transfer(usb->handle, usb->endpoint, const_cast<uint8_t*>(bytes),
                             static_cast<int>(length), &moved, FWUPDATER_WRITE_TIMEOUT_MS);
    *written = static_cast<uint32_t>(moved);
    // A timeout after part of the data went out is a short write; the caller
    // goes on with the rest. With nothing moved the printer has stopped.
    const bool shortWrite = result == LIBUSB_ERROR_TIMEOUT && moved > 0;
    if ((result == 0 && moved > 0) || shortWrite) {
        return 1;
    }
    NoteWriteProblem(ProblemOf(result));
    return 0;
}

void CloseDeviceHandle(DeviceHandle handle) {
    UsbHandle* usb = static_cast<UsbHandle*>(handle);
    if (usb->claimedInterface >= 0) {
        // Gives the interface back, and with it any kernel driver detached for it.
        libusb_release_interface(usb->handle, usb->claimedInterface);
    }
    libusb_close(usb->handle);
    delete usb;
    libusb_exit(nullptr);
}
