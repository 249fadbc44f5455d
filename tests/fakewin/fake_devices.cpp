#include "tests/fakewin/fake_devices.h"

#include "tests/fakewin/fake_kernel.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <strings.h>

namespace fake {
namespace {

struct DeviceState {
    std::deque<FakeDevice> devices; // deque: references stay valid as devices are added
    std::vector<CreateRecord> creates;
};

DeviceState& State() {
    static DeviceState state;
    return state;
}

} // namespace

void ResetDevices() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State() = DeviceState();
}

FakeDevice& AddDevice(const std::string& path) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().devices.emplace_back();
    State().devices.back().path = path;
    return State().devices.back();
}

FakeDevice* FindDevice(const std::string& path) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    for (FakeDevice& device : State().devices) {
        if (strcasecmp(device.path.c_str(), path.c_str()) == 0) {
            return &device;
        }
    }
    return nullptr;
}

FakeDevice* DeviceOfHandle(HANDLE handle) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    std::size_t index = 0;
    if (!LookupHandle(handle, HandleKind::File, &index) || index >= State().devices.size()) {
        return nullptr;
    }
    return &State().devices[index];
}

std::vector<CreateRecord> CreateCalls() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return State().creates;
}

std::string StillImagePipeName(int number, int pipe) {
    return "\\\\.\\Usbscan" + std::to_string(number) + "\\" + std::to_string(pipe);
}

FakeDevice& AddStillImageDevice(int number, USHORT vendorId, USHORT productId, int pipeCount) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    FakeDevice* control = nullptr;
    for (int pipe = 0; pipe < std::max(pipeCount, 1); ++pipe) {
        FakeDevice& device = AddDevice(StillImagePipeName(number, pipe));
        device.answersDescriptor = true;
        device.descriptor.usVendorId = vendorId;
        device.descriptor.usProductId = productId;
        device.descriptor.usBcdDevice = 0x0100;
        device.descriptor.usLanguageId = 0x0409;
        if (pipe == 0) {
            control = &device;
        }
    }
    return *control;
}

} // namespace fake

using fake::MachineLock;

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE templateFile) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::State().creates.push_back(fake::CreateRecord{name, access, share, disposition, flags,
                                                       security != nullptr,
                                                       templateFile != nullptr});
    fake::FakeDevice* device = fake::FindDevice(name);
    if (device == nullptr || !device->openable) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (device->opens == device->opensAllowed) {
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return INVALID_HANDLE_VALUE;
    }
    ++device->opens;
    std::size_t index = 0;
    while (&fake::State().devices[index] != device) {
        ++index;
    }
    return fake::OpenHandle(fake::HandleKind::File, index);
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
                      LPOVERLAPPED overlapped) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    if (bytesWritten != nullptr) {
        *bytesWritten = 0;
    }
    fake::FakeDevice* device = fake::DeviceOfHandle(file);
    if (device == nullptr || overlapped != nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const int number = static_cast<int>(device->writes.size()) + 1;
    fake::WriteRecord record{buffer, bytesToWrite, 0, FALSE};
    const std::size_t room = device->stopAfterBytes > device->received.size()
                                 ? device->stopAfterBytes - device->received.size()
                                 : 0;
    if (number == device->refuseWriteNumber || room == 0) {
        device->writes.push_back(record);
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    DWORD taken = bytesToWrite;
    if (device->maxBytesPerWrite != 0) {
        taken = std::min(taken, device->maxBytesPerWrite);
    }
    taken = static_cast<DWORD>(std::min<std::size_t>(taken, room));
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    device->received.insert(device->received.end(), bytes, bytes + taken);
    record.taken = taken;
    record.result = TRUE;
    device->writes.push_back(record);
    if (bytesWritten != nullptr) {
        *bytesWritten = taken;
    }
    return TRUE;
}

BOOL WINAPI DeviceIoControl(HANDLE handle, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                            DWORD outSize, LPDWORD bytesReturned, LPOVERLAPPED overlapped) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::FakeDevice* device = fake::DeviceOfHandle(handle);
    if (device == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ++device->descriptorRequests;
    if (code != IOCTL_GET_DEVICE_DESCRIPTOR || in != nullptr || inSize != 0 ||
        overlapped != nullptr || !device->answersDescriptor) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    if (out == nullptr || outSize < sizeof(DEVICE_DESCRIPTOR)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const DWORD filled = std::min<DWORD>(device->descriptorBytes, sizeof(DEVICE_DESCRIPTOR));
    std::memcpy(out, &device->descriptor, filled);
    if (bytesReturned != nullptr) {
        *bytesReturned = filled;
    }
    return TRUE;
}
