#include "discovery/device_route.h"

#include "discovery/hardware_id_match.h"
#include "discovery/win32/platform_class.h"
#include "platform/win32.h"

#include <cstring>

namespace {

// Everything one lookup holds; all of it is released on every way out.
struct Lookup {
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

// No byte past the returned data is read, nor past the block.
bool ListHoldsTarget(const Lookup& lookup, const char* target) {
    const char* list = reinterpret_cast<const char*>(lookup.property);
    DWORD size = lookup.propertySize;
    if (size > lookup.propertyCapacity) {
        size = lookup.propertyCapacity;
    }
    return HardwareIdListHolds(list, size, target);
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

void UpperCaseText(char* text) {
    CharUpperA(text);
}

int OpenPrinterClassDevice(PrinterConnection* connection) {
    Lookup lookup;
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
        const bool found =
            read == PropertyRead::Read && ListHoldsTarget(lookup, connection->hardwareId);
        ReleaseProperty(&lookup);
        if (found) {
            // The first matching device decides; later ones are not examined.
            return OpenMatchedDevice(&lookup, index, connection);
        }
    }
    return Fail(&lookup); // every device examined, none matched
}
