// The USB devices attached right now, as libusb reads them, in a stable
// order: by bus, then by the path of ports from the root.
#pragma once

#include "platform/linux.h"

#include <cstddef>
#include <string>
#include <vector>

struct AttachedDevice {
    libusb_device* device;
    libusb_device_descriptor descriptor;
    uint8_t bus;
    uint8_t ports[8];
    int portCount;
    int printerInterface; // the first interface of class 7 (printer), -1 when none
    uint8_t bulkOut;      // that interface's bulk OUT endpoint, 0 when none
};

struct AttachedDevices {
    libusb_device** list; // owned: the references behind `devices`
    std::vector<AttachedDevice> devices;
};

// Every search looks at the bus afresh: libusb's default context is set up
// for the call (and torn down by the release once no device stays open), so
// a device plugged in since the last search is seen without relying on
// hot-plug events. Returns 0 when USB cannot be reached.
int ListAttachedDevices(AttachedDevices* attached);
void ReleaseAttachedDevices(AttachedDevices* attached);

// "/dev/bus/usb/001/002": what a person sees of the device.
void DeviceNodePath(const AttachedDevice& device, char* buffer, std::size_t size);
// "VID_0E7A&PID_41C5": the device key of the USB tree.
std::string DeviceKeyOf(const AttachedDevice& device);
// "1-3.2": bus and port path, the instance name of the USB tree.
std::string InstanceNameOf(const AttachedDevice& device);
