#include "tests/fakewin/fake_system.h"

#include "tests/fakewin/fake_kernel.h"

#include <cstring>

namespace fake {
namespace {

constexpr DWORD kErrorProcNotFound = 127;

struct SystemState {
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    DWORD majorVersion = 5;
    DWORD minorVersion = 1;
    DWORD buildNumber = 2600;
    BYTE productType = VER_NT_WORKSTATION;
    bool extendedAccepted = true;
    bool basicAccepted = true;
    WORD nativeArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
    bool nativeQueryPresent = true;
    std::vector<DWORD> versionQuerySizes;
};

SystemState& State() {
    static SystemState state;
    return state;
}

void FillSystemInfo(LPSYSTEM_INFO info, WORD architecture) {
    std::memset(info, 0, sizeof *info);
    info->wProcessorArchitecture = architecture;
    info->dwPageSize = 4096;
    info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(0x10000);
    info->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(0x7FFEFFFF);
    info->dwActiveProcessorMask = 1;
    info->dwNumberOfProcessors = 1;
    info->dwProcessorType = 586;
    info->dwAllocationGranularity = 65536;
    info->wProcessorLevel = 6;
}

void WINAPI NativeSystemInfo(LPSYSTEM_INFO info) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    FillSystemInfo(info, State().nativeArchitecture);
}

} // namespace

void ResetSystem() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State() = SystemState();
}

void SetVersion(DWORD platformId, DWORD majorVersion, DWORD minorVersion, BYTE productType) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().platformId = platformId;
    State().majorVersion = majorVersion;
    State().minorVersion = minorVersion;
    State().productType = productType;
}

void SetVersionRecordsAccepted(bool extended, bool basic) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().extendedAccepted = extended;
    State().basicAccepted = basic;
}

void SetNativeArchitecture(WORD architecture) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().nativeArchitecture = architecture;
}

void SetNativeSystemInfoPresent(bool present) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().nativeQueryPresent = present;
}

std::vector<DWORD> VersionQuerySizes() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return State().versionQuerySizes;
}

} // namespace fake

using fake::MachineLock;

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    if (module == fake::Kernel32Module() && name != nullptr &&
        std::strcmp(name, "GetNativeSystemInfo") == 0 && fake::State().nativeQueryPresent) {
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&fake::NativeSystemInfo));
    }
    SetLastError(fake::kErrorProcNotFound);
    return nullptr;
}

void WINAPI GetSystemInfo(LPSYSTEM_INFO info) {
    // A 32-bit program sees an x86 processor, whatever the machine is.
    fake::FillSystemInfo(info, PROCESSOR_ARCHITECTURE_INTEL);
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::SystemState& state = fake::State();
    const DWORD size = info->dwOSVersionInfoSize;
    state.versionQuerySizes.push_back(size);
    const bool extended = size == sizeof(OSVERSIONINFOEXA) && state.extendedAccepted;
    const bool basic = size == sizeof(OSVERSIONINFOA) && state.basicAccepted;
    if (!extended && !basic) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    // Only the fields of the record size asked for are written.
    info->dwMajorVersion = state.majorVersion;
    info->dwMinorVersion = state.minorVersion;
    info->dwBuildNumber = state.buildNumber;
    info->dwPlatformId = state.platformId;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::strcpy(info->szCSDVersion, "Service Pack 3");
    if (extended) {
        auto* record = reinterpret_cast<OSVERSIONINFOEXA*>(info);
        record->wServicePackMajor = 3;
        record->wServicePackMinor = 0;
        record->wSuiteMask = 0;
        record->wProductType = state.productType;
        record->wReserved = 0;
    }
    return TRUE;
}
