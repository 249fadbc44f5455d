// The printer-class route on Linux: the attached devices with a printer
// interface, matched by the hardware-ID list Windows builds from the device
// descriptor, the first match opened through libusb.
#include "discovery/device_route.h"

#include "connection/linux/usb_handle.h"
#include "discovery/hardware_id_match.h"
#include "discovery/linux/attached_devices.h"
#include "discovery/linux/open_problem.h"

#include <cstdio>
#include <cstring>

namespace {

// "USB\VID_xxxx&PID_xxxx&REV_xxxx", then "USB\VID_xxxx&PID_xxxx", each
// NUL-terminated, closed by an empty entry. Returns the size of the list.
std::size_t BuildHardwareIds(const libusb_device_descriptor& descriptor, char* list,
                             std::size_t capacity) {
    const int first =
        std::snprintf(list, capacity, "USB\\VID_%04X&PID_%04X&REV_%04X", descriptor.idVendor,
                      descriptor.idProduct, descriptor.bcdDevice);
    const std::size_t second = static_cast<std::size_t>(first) + 1;
    const int secondLength =
        std::snprintf(list + second, capacity - second, "USB\\VID_%04X&PID_%04X",
                      descriptor.idVendor, descriptor.idProduct);
    const std::size_t end = second + static_cast<std::size_t>(secondLength) + 1;
    list[end] = '\0';
    return end + 1;
}

void NoteProblemOf(int error, const AttachedDevice& device) {
    char node[32];
    DeviceNodePath(device, node, sizeof node);
    if (error == LIBUSB_ERROR_ACCESS) {
        NoteOpenProblem(OpenProblem::NoPermission, node);
    }
    if (error == LIBUSB_ERROR_BUSY) {
        NoteOpenProblem(OpenProblem::Busy, node);
    }
}

// The first handle claims the printer interface and takes the firmware; the
// second is a plain open of the same device that nothing reads from.
int OpenMatchedDevice(const AttachedDevice& device, PrinterConnection* connection) {
    if (device.bulkOut == 0) {
        return 0;
    }
    UsbHandle* writer = nullptr;
    int error = OpenUsbHandle(device.device, device.printerInterface, device.bulkOut, &writer);
    if (error != 0) {
        NoteProblemOf(error, device);
        return 0;
    }
    connection->writeHandle = writer;
    UsbHandle* reader = nullptr;
    error = OpenUsbHandle(device.device, -1, 0, &reader);
    if (error != 0) {
        NoteProblemOf(error, device);
        CloseConnection();
        return 0;
    }
    connection->readHandle = reader;
    connection->controlHandle = connection->writeHandle;
    return 1;
}

} // namespace

// ASCII only, whatever the locale: USB IDs are ASCII, and a locale's own
// rules (Turkish dotted i) must not decide whether "Vid" matches "VID".
void UpperCaseText(char* text) {
    for (char* at = text; *at != '\0'; ++at) {
        if (*at >= 'a' && *at <= 'z') {
            *at = static_cast<char>(*at - 'a' + 'A');
        }
    }
}

int OpenPrinterClassDevice(PrinterConnection* connection) {
    AttachedDevices attached;
    if (!ListAttachedDevices(&attached)) {
        return 0;
    }
    int opened = 0;
    for (const AttachedDevice& device : attached.devices) {
        if (device.printerInterface < 0) {
            continue;
        }
        char ids[64];
        const std::size_t size = BuildHardwareIds(device.descriptor, ids, sizeof ids);
        if (HardwareIdListHolds(ids, size, connection->hardwareId)) {
            // The first matching device decides; later ones are not examined.
            opened = OpenMatchedDevice(device, connection);
            break;
        }
    }
    ReleaseAttachedDevices(&attached);
    return opened;
}
