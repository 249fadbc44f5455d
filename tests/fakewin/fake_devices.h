// Device files of the fake machine: what CreateFileA can open by name, what
// each device answers, and every byte it received.
#pragma once

#include "platform/win32.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fake {

struct WriteRecord {
    const void* data; // the pointer the program handed over
    DWORD asked;      // bytes asked to write
    DWORD taken;      // bytes the device took
    BOOL result;
};

struct CreateRecord {
    std::string name;
    DWORD access, share, disposition, flags;
    bool hadSecurity, hadTemplate;
};

struct FakeDevice {
    std::string path;     // compared without regard to letter case, as Windows does
    bool openable = true; // false: CreateFileA fails with ERROR_FILE_NOT_FOUND
    int opensAllowed = -1; // after this many opens every further one fails; -1: no limit

    // Write behaviour.
    int refuseWriteNumber = 0;              // the n-th write call (1-based) fails; 0 never
    DWORD maxBytesPerWrite = 0;             // 0: no limit; else short writes of at most this
    std::size_t stopAfterBytes = SIZE_MAX;  // the device takes no byte past this many (unplug)

    // Still-image descriptor request (IOCTL_GET_DEVICE_DESCRIPTOR).
    bool answersDescriptor = false; // false: the request fails
    DEVICE_DESCRIPTOR descriptor = {};
    DWORD descriptorBytes = sizeof(DEVICE_DESCRIPTOR); // bytes of it filled and reported

    // Observed.
    int opens = 0;
    std::vector<std::uint8_t> received;
    std::vector<WriteRecord> writes;
    int descriptorRequests = 0;
};

// Adds a device that CreateFileA can open by `path`; returns it for set-up.
FakeDevice& AddDevice(const std::string& path);
// The device of that path, or nullptr.
FakeDevice* FindDevice(const std::string& path);
// The device a file handle is open on, or nullptr.
FakeDevice* DeviceOfHandle(HANDLE handle);
// Every CreateFileA call, opened or not, in order.
std::vector<CreateRecord> CreateCalls();

// --- still-image devices ------------------------------------------------------
// The name of pipe `pipe` of still-image device `number`: \\.\Usbscan5\1.
std::string StillImagePipeName(int number, int pipe);
// Adds still-image device `number` with pipe files 0 to pipeCount - 1, each
// answering the descriptor request with these IDs. Returns pipe 0, the file
// the device is identified through; the others are found with FindDevice.
FakeDevice& AddStillImageDevice(int number, USHORT vendorId, USHORT productId, int pipeCount = 3);

} // namespace fake
