#include "tests/fakewin/fake_setupapi.h"

#include "tests/fakewin/fake_devices.h"
#include "tests/fakewin/fake_kernel.h"

#include <cstddef>
#include <cstring>
#include <deque>

namespace fake {
namespace {

constexpr DWORD kErrorInvalidUserBuffer = 1784;
constexpr DWORD kRegMultiSz = 7;
constexpr DWORD kInterfaceActive = 1; // SPINT_ACTIVE

struct SetupApiState {
    std::deque<PrintingDevice> devices;         // deque: references stay valid as devices are added
    std::vector<std::vector<std::size_t>> sets; // each set: the device numbers it holds
    bool failClassDevs = false;
    std::vector<ClassDevsCall> classDevsCalls;
    std::vector<PropertyReadCall> propertyReads;
};

SetupApiState& State() {
    static SetupApiState state;
    return state;
}

bool SameGuid(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

// The members of an open set, or nullptr (last error set).
const std::vector<std::size_t>* MembersOf(HDEVINFO set) {
    std::size_t index = 0;
    if (!LookupHandle(set, HandleKind::DeviceInfoSet, &index)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return &State().sets[index];
}

// A device record or interface record names its device by number + 1 in
// Reserved, as Windows keeps a pointer to its own entry there.
PrintingDevice* MemberNamed(const std::vector<std::size_t>& members, ULONG_PTR reserved) {
    for (std::size_t number : members) {
        if (number + 1 == reserved) {
            return &State().devices[number];
        }
    }
    return nullptr;
}

// The set's interfaces in order; devices without one have none in the list.
std::vector<std::size_t> InterfacesOf(const std::vector<std::size_t>& members) {
    std::vector<std::size_t> interfaces;
    for (std::size_t number : members) {
        if (State().devices[number].hasInterface) {
            interfaces.push_back(number);
        }
    }
    return interfaces;
}

} // namespace

void ResetSetupApi() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State() = SetupApiState();
}

std::string MultiString(const std::vector<std::string>& entries) {
    std::string list;
    for (const std::string& entry : entries) {
        list += entry;
        list += '\0';
    }
    list += '\0';
    return list;
}

PrintingDevice& AddPrintingDevice(const std::string& hardwareIds,
                                  const std::string& interfacePath) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    AddDevice(interfacePath);
    State().devices.emplace_back();
    PrintingDevice& device = State().devices.back();
    device.hardwareIds = hardwareIds;
    device.interfacePath = interfacePath;
    return device;
}

void FailClassDevs(bool fail) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().failClassDevs = fail;
}

std::vector<ClassDevsCall> ClassDevsCalls() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return State().classDevsCalls;
}

std::vector<PropertyReadCall> PropertyReadCalls() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return State().propertyReads;
}

} // namespace fake

using fake::MachineLock;

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, LPCSTR enumerator, HWND parent,
                                     DWORD flags) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::SetupApiState& state = fake::State();
    state.classDevsCalls.push_back(fake::ClassDevsCall{classGuid != nullptr ? *classGuid : GUID{},
                                                       enumerator != nullptr, parent != nullptr,
                                                       flags});
    if (state.failClassDevs) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    // Only the printing interface class has devices here; asked as a setup
    // class (no DIGCF_DEVICEINTERFACE) or for another class, the set is empty.
    std::vector<std::size_t> members;
    if (classGuid != nullptr && fake::SameGuid(*classGuid, GUID_DEVINTERFACE_USBPRINT) &&
        (flags & DIGCF_DEVICEINTERFACE) != 0) {
        for (std::size_t number = 0; number < state.devices.size(); ++number) {
            members.push_back(number);
        }
    }
    state.sets.push_back(members);
    SetLastError(ERROR_SUCCESS);
    return fake::OpenHandle(fake::HandleKind::DeviceInfoSet, state.sets.size() - 1);
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    const std::vector<std::size_t>* members = fake::MembersOf(set);
    if (members == nullptr) {
        return FALSE;
    }
    if (device == nullptr || device->cbSize != sizeof(SP_DEVINFO_DATA)) {
        SetLastError(fake::kErrorInvalidUserBuffer);
        return FALSE;
    }
    if (index >= members->size()) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    const std::size_t number = (*members)[index];
    device->ClassGuid =
        GUID{0x4D36E979, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
    device->DevInst = static_cast<DWORD>(number + 1);
    device->Reserved = number + 1;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property,
                                              PDWORD propertyType, PBYTE buffer, DWORD bufferSize,
                                              PDWORD requiredSize) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::State().propertyReads.push_back(
        fake::PropertyReadCall{property, buffer != nullptr, bufferSize});
    const std::vector<std::size_t>* members = fake::MembersOf(set);
    if (members == nullptr) {
        return FALSE;
    }
    fake::PrintingDevice* member = device != nullptr && device->cbSize == sizeof(SP_DEVINFO_DATA)
                                       ? fake::MemberNamed(*members, device->Reserved)
                                       : nullptr;
    if (member == nullptr || (buffer == nullptr && bufferSize != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (member->propertyError != 0) {
        SetLastError(member->propertyError);
        return FALSE;
    }
    if (property != SPDRP_HARDWAREID || !member->hasHardwareIds) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    const DWORD size = static_cast<DWORD>(member->hardwareIds.size());
    if (requiredSize != nullptr) {
        *requiredSize = size;
    }
    if (bufferSize < size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (size != 0) {
        std::memcpy(buffer, member->hardwareIds.data(), size);
    }
    if (propertyType != nullptr) {
        *propertyType = fake::kRegMultiSz;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device,
                                        const GUID* interfaceGuid, DWORD index,
                                        PSP_DEVICE_INTERFACE_DATA interfaceData) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    const std::vector<std::size_t>* members = fake::MembersOf(set);
    if (members == nullptr) {
        return FALSE;
    }
    if (interfaceData == nullptr || interfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) ||
        (device != nullptr && device->cbSize != sizeof(SP_DEVINFO_DATA))) {
        SetLastError(fake::kErrorInvalidUserBuffer);
        return FALSE;
    }
    if (interfaceGuid == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<std::size_t> interfaces;
    if (fake::SameGuid(*interfaceGuid, GUID_DEVINTERFACE_USBPRINT)) {
        interfaces = fake::InterfacesOf(*members);
    }
    if (device != nullptr) { // only the interfaces of that one device
        std::vector<std::size_t> own;
        for (std::size_t number : interfaces) {
            if (number + 1 == device->Reserved) {
                own.push_back(number);
            }
        }
        interfaces = own;
    }
    if (index >= interfaces.size()) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    interfaceData->InterfaceClassGuid = *interfaceGuid;
    interfaceData->Flags = fake::kInterfaceActive;
    interfaceData->Reserved = interfaces[index] + 1;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                             DWORD detailSize, PDWORD requiredSize,
                                             PSP_DEVINFO_DATA device) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    const std::vector<std::size_t>* members = fake::MembersOf(set);
    if (members == nullptr) {
        return FALSE;
    }
    fake::PrintingDevice* member =
        interfaceData != nullptr && interfaceData->cbSize == sizeof(SP_DEVICE_INTERFACE_DATA)
            ? fake::MemberNamed(*members, interfaceData->Reserved)
            : nullptr;
    if (member == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD pathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
    if ((detail == nullptr && detailSize != 0) ||
        (detail != nullptr && (detailSize < pathOffset + 1 ||
                               detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))) ||
        (device != nullptr && device->cbSize != sizeof(SP_DEVINFO_DATA))) {
        SetLastError(fake::kErrorInvalidUserBuffer);
        return FALSE;
    }
    const DWORD needed = pathOffset + static_cast<DWORD>(member->interfacePath.size()) + 1;
    if (requiredSize != nullptr) {
        *requiredSize = member->detailSizeReportsZero ? 0 : needed;
    }
    if (detail == nullptr || detailSize < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (member->detailReadFails) {
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    std::memcpy(detail->DevicePath, member->interfacePath.c_str(),
                member->interfacePath.size() + 1);
    if (device != nullptr) {
        device->DevInst = static_cast<DWORD>(interfaceData->Reserved);
        device->Reserved = interfaceData->Reserved;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    if (!fake::ReleaseHandle(set, fake::HandleKind::DeviceInfoSet)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
