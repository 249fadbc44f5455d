#include "discovery/device_route.h"

#include "platform/win32.h"

#include <cstdlib>
#include <cstring>

namespace {

const int kDeviceNumbers = 100;
// "USB\VID_xxxx&PID_xxxx": the vendor ID at 8..11, the product ID at 17..20.
const std::size_t kVendorAt = 8;
const std::size_t kProductAt = 17;
const std::size_t kPieceLength = 4;
const std::size_t kShortestId = kProductAt + kPieceLength;

// A four-character piece of the ID read as hexadecimal, up to its first
// non-hexadecimal character.
long ParseIdPiece(const char* id, std::size_t at) {
    char piece[10] = {};
    std::memcpy(piece, id + at, kPieceLength);
    return std::strtol(piece, nullptr, 16);
}

HANDLE OpenDeviceFile(const char* name) {
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_SYSTEM, nullptr);
}

HANDLE OpenPipe(const char* baseName, int pipe) {
    char name[32]; // 12 + 1 + at most 11 characters of an int
    wsprintfA(name, "%s\\%d", baseName, pipe);
    return OpenDeviceFile(name);
}

bool DescriptorMatches(HANDLE device, long vendor, long product) {
    DEVICE_DESCRIPTOR descriptor = {}; // a short answer leaves zeros, not stale bytes
    DWORD returned = 0;
    if (!DeviceIoControl(device, IOCTL_GET_DEVICE_DESCRIPTOR, nullptr, 0, &descriptor,
                         sizeof descriptor, &returned, nullptr)) {
        return false;
    }
    return static_cast<long>(descriptor.usVendorId) == vendor &&
           static_cast<long>(descriptor.usProductId) == product;
}

} // namespace

int OpenScannerClassDevice(PrinterConnection* connection) {
    if (IsOpenHandle(connection->controlHandle)) {
        return 1;
    }
    CloseConnection(); // start from all three handles -1
    // An ID too short to hold both pieces names no device; its pieces would
    // lie past the terminator.
    if (strnlen(connection->hardwareId, kShortestId) < kShortestId) {
        return 0;
    }
    const long vendor = ParseIdPiece(connection->hardwareId, kVendorAt);
    const long product = ParseIdPiece(connection->hardwareId, kProductAt);

    for (int number = 0; number < kDeviceNumbers; ++number) {
        char baseName[32];
        char controlName[32];
        wsprintfA(baseName, "\\\\.\\Usbscan%d", number);
        wsprintfA(controlName, "%s\\0", baseName);
        connection->controlHandle = OpenDeviceFile(controlName);
        if (connection->controlHandle == INVALID_HANDLE_VALUE) {
            continue;
        }
        if (!DescriptorMatches(connection->controlHandle, vendor, product)) {
            CloseConnection();
            continue;
        }
        // Pipe 0 for writing shares the identifying handle; pipe 0 for reading
        // is a separate open. A pipe that cannot be opened leaves -1.
        if (connection->writePipe == 0) {
            connection->writeHandle = connection->controlHandle;
        } else if (connection->writePipe > 0) {
            connection->writeHandle = OpenPipe(baseName, connection->writePipe);
        }
        if (connection->readPipe >= 0) {
            connection->readHandle = OpenPipe(baseName, connection->readPipe);
        }
        return 1;
    }
    return 0;
}
