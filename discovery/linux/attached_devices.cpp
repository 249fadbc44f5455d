#include "discovery/linux/attached_devices.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const int kPrinterClass = 7;

bool IsBulkOut(const libusb_endpoint_descriptor& endpoint) {
    const bool out = (endpoint.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_OUT;
    const bool bulk =
        (endpoint.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) == LIBUSB_TRANSFER_TYPE_BULK;
    return out && bulk;
}

// The first alternate setting of each interface is the one a claim selects.
void FindPrinterInterface(AttachedDevice* attached) {
    attached->printerInterface = -1;
    attached->bulkOut = 0;
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(attached->device, &config) != 0 &&
        libusb_get_config_descriptor(attached->device, 0, &config) != 0) {
        return;
    }
    for (int i = 0; i < config->bNumInterfaces && attached->printerInterface < 0; ++i) {
        if (config->interface[i].num_altsetting < 1) {
            continue;
        }
        const libusb_interface_descriptor& setting = config->interface[i].altsetting[0];
        if (setting.bInterfaceClass != kPrinterClass) {
            continue;
        }
        attached->printerInterface = setting.bInterfaceNumber;
        for (int e = 0; e < setting.bNumEndpoints && attached->bulkOut == 0; ++e) {
            if (IsBulkOut(setting.endpoint[e])) {
                attached->bulkOut = setting.endpoint[e].bEndpointAddress;
            }
        }
    }
    libusb_free_config_descriptor(config);
}

bool ComesFirst(const AttachedDevice& a, const AttachedDevice& b) {
    if (a.bus != b.bus) {
        return a.bus < b.bus;
    }
    return std::lexicographical_compare(a.ports, a.ports + a.portCount, b.ports,
                                        b.ports + b.portCount);
}

} // namespace

int ListAttachedDevices(AttachedDevices* attached) {
    attached->list = nullptr;
    attached->devices.clear();
    if (libusb_init(nullptr) != 0) {
        return 0;
    }
    const ssize_t count = libusb_get_device_list(nullptr, &attached->list);
    if (count < 0) {
        attached->list = nullptr;
        libusb_exit(nullptr);
        return 0;
    }
    for (ssize_t i = 0; i < count; ++i) {
        AttachedDevice device = {};
        device.device = attached->list[i];
        if (libusb_get_device_descriptor(device.device, &device.descriptor) != 0) {
            continue;
        }
        device.bus = libusb_get_bus_number(device.device);
        device.portCount =
            libusb_get_port_numbers(device.device, device.ports, sizeof device.ports);
        if (device.portCount < 0) {
            device.portCount = 0;
        }
        FindPrinterInterface(&device);
        attached->devices.push_back(device);
    }
    std::sort(attached->devices.begin(), attached->devices.end(), ComesFirst);
    return 1;
}

void ReleaseAttachedDevices(AttachedDevices* attached) {
    attached->devices.clear();
    if (attached->list == nullptr) {
        return;
    }
    libusb_free_device_list(attached->list, 1);
    attached->list = nullptr;
    libusb_exit(nullptr);
}

void DeviceNodePath(const AttachedDevice& device, char* buffer, std::size_t size) {
    const unsigned address = libusb_get_device_address(device.device);
    std::snprintf(buffer, size, "/dev/bus/usb/%03u/%03u", static_cast<unsigned>(device.bus),
                  address);
}

std::string DeviceKeyOf(const AttachedDevice& device) {
    char key[32];
    std::snprintf(key, sizeof key, "VID_%04X&PID_%04X", device.descriptor.idVendor,
                  device.descriptor.idProduct);
    return key;
}

std::string InstanceNameOf(const AttachedDevice& device) {
    std::string name = std::to_string(device.bus);
    char separator = '-';
    for (int i = 0; i < device.portCount; ++i) {
        name += separator;
        name += std::to_string(device.ports[i]);
        separator = '.';
    }
    return name;
}
