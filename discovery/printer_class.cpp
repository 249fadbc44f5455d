#include "discovery/printer_class.h"

#include "discovery/platform_class.h"

#include <cstring>

namespace {

// Everything one lookup holds; all of it is released on every way out.
struct Lookup {
    char* target = nullptr; // upper-cased copy of hardwareId
    std::size_t targetLength = 0;
    HDEVINFO set = INVALID_HANDLE_VALUE;
    BYTE* property = nullptr;
    DWORD propertyCapacity = 0; // bytes allocated
    DWORD propertySize = 0;     // needed size, then the size of the returned data
    PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail = nullptr;
};

enum class PropertyRead { Read, Absent, Failed };

void ReleaseProperty(Lookup* lookup) {
    if (lookup->property != nullptr) {
        LocalFree(lookup->property);
    }
    lookup->property = nullptr;
    lookup->propertyCapacity = 0;
}

void Release(Lookup* lookup) {
    if (lookup->set != INVALID_HANDLE_VALUE) {
        SetupDiDestroyDeviceInfoList(lookup->set);
    }
    if (lookup->target != nullptr) {
        LocalFree(lookup->target);
    }
    ReleaseProperty(lookup);
    if (lookup->detail != nullptr) {
        LocalFree(lookup->detail);
    }
}

int Fail(Lookup* lookup) {
    Release(lookup);
    // Set last: the release calls may clear the thread's error when they succeed.
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
}

// Asks for the size of the device's hardware-ID list, then reads it into a
// block of exactly that size, and again while the list outgrows the block.
PropertyRead ReadHardwareIds(Lookup* lookup, PSP_DEVINFO_DATA device) {
    DWORD type = 0;
    lookup->propertySize = 0;
    BOOL read = SetupDiGetDeviceRegistryPropertyA(lookup->set, device, SPDRP_HARDWAREID, &type,
                                                  nullptr, 0, &lookup->propertySize);
    while (!read) {
        const DWORD error = GetLastError();
        if (error == ERROR_INVALID_DATA) {
            return PropertyRead::Absent;
        }
        // A needed size that the block already holds would ask for it forever.
        if (error != ERROR_INSUFFICIENT_BUFFER ||
            lookup->propertySize <= lookup->propertyCapacity) {
            return PropertyRead::Failed;
        }
        ReleaseProperty(lookup);
        lookup->property = static_cast<BYTE*>(LocalAlloc(LPTR, lookup->propertySize));
        if (lookup->property == nullptr) {
            return PropertyRead::Failed;
        }
        lookup->propertyCapacity = lookup->propertySize;
        read = SetupDiGetDeviceRegistryPropertyA(lookup->set, device, SPDRP_HARDWAREID, &type,
                                                 lookup->property, lookup->propertyCapacity,
                                                 &lookup->propertySize);
    }
    return PropertyRead::Read;
}

bool EntryEqualsTarget(const char* entry, std::size_t length, const Lookup& lookup) {
    // Upper-casing keeps the length, so only entries of the target's length can be equal.
    if (length != lookup.targetLength) {
        return false;
    }
    char upper[sizeof(PrinterConnection::hardwareId) + 1];
    std::memcpy(upper, entry, length);
    upper[length] = '\0';
    CharUpperA(upper);
    return std::memcmp(upper, lookup.target, length + 1) == 0;
}

// Every entry up to the empty one that closes the list is looked at, and no
// byte past the returned data: a last entry without its NUL ends with the data.
bool ListHoldsTarget(const Lookup& lookup) {
    const char* list = reinterpret_cast<const char*>(lookup.property);
    const std::size_t size = lookup.propertySize < lookup.propertyCapacity
                                 ? lookup.propertySize
                                 : lookup.propertyCapacity;
    bool found = false;
    std::size_t offset = 0;
    while (offset < size && list[offset] != '\0') {
        const std::size_t length = strnlen(list + offset, size - offset);
        if (EntryEqualsTarget(list + offset, length, lookup)) {
            found = true;
        }
        offset += length + 1;
    }
    return found;
}

HANDLE OpenInterfacePath(const char* path) {
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Opens the interface at `index` of the set twice; the first handle takes the firmware.
int OpenMatchedDevice(Lookup* lookup, DWORD index, PrinterConnection* connection) {
    SP_DEVICE_INTERFACE_DATA interfaceData;
    std::memset(&interfaceData, 0, sizeof interfaceData);
    interfaceData.cbSize = sizeof interfaceData;
    if (!SetupDiEnumDeviceInterfaces(lookup->set, nullptr, &GUID_DEVINTERFACE_USBPRINT, index,
                                     &interfaceData)) {
        return Fail(lookup);
    }

    DWORD detailSize = 0;
    SetupDiGetDeviceInterfaceDetailA(lookup->set, &interfaceData, nullptr, 0, &detailSize, nullptr);
    // Too small for the size field and a terminator: there is no path to read.
    if (detailSize < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
        return Fail(lookup);
    }
    lookup->detail = static_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(LocalAlloc(LPTR, detailSize));
    if (lookup->detail == nullptr) {
        return Fail(lookup);
    }
    lookup->detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (!SetupDiGetDeviceInterfaceDetailA(lookup->set, &interfaceData, lookup->detail, detailSize,
                                          nullptr, nullptr)) {
        return Fail(lookup);
    }
    // The path is opened as text; it must end inside the block.
    reinterpret_cast<char*>(lookup->detail)[detailSize - 1] = '\0';

    connection->writeHandle = OpenInterfacePath(lookup->detail->DevicePath);
    if (connection->writeHandle == INVALID_HANDLE_VALUE) {
        CloseConnection();
        return Fail(lookup);
    }
    connection->readHandle = OpenInterfacePath(lookup->detail->DevicePath);
    if (connection->readHandle == INVALID_HANDLE_VALUE) {
        CloseConnection();
        return Fail(lookup);
    }
    connection->controlHandle = connection->writeHandle;
    Release(lookup);
    return 1;
}

} // namespace

int OpenPrinterClassDevice(PrinterConnection* connection) {
    Lookup lookup;
    lookup.targetLength = strnlen(connection->hardwareId, sizeof connection->hardwareId);
    lookup.target = static_cast<char*>(LocalAlloc(LPTR, lookup.targetLength + 2));
    if (lookup.target == nullptr) {
        return Fail(&lookup);
    }
    // Matching ignores letter case; the copy is upper-cased, never the connection's text.
    std::memcpy(lookup.target, connection->hardwareId, lookup.targetLength);
    CharUpperA(lookup.target);

    lookup.set = SetupDiGetClassDevsA(&GUID_DEVINTERFACE_USBPRINT, nullptr, nullptr,
                                      DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (lookup.set == INVALID_HANDLE_VALUE) {
        return Fail(&lookup);
    }

    SP_DEVINFO_DATA device;
    std::memset(&device, 0, sizeof device);
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(lookup.set, index, &device); ++index) {
        // The platform code is asked afresh for each device. Systems on either
        // side of code 2400 answer the size query and the read alike, so the
        // one loop below serves every code.
        static_cast<void>(ClassifyPlatform());
        const PropertyRead read = ReadHardwareIds(&lookup, &device);
        if (read == PropertyRead::Failed) {
            return Fail(&lookup);
        }
        const bool found = read == PropertyRead::Read && ListHoldsTarget(lookup);
        ReleaseProperty(&lookup);
        if (found) {
            // The first matching device decides; later ones are not examined.
            return OpenMatchedDevice(&lookup, index, connection);
        }
    }
    return Fail(&lookup); // every device examined, none matched
}
