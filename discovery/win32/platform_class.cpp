#include "discovery/win32/platform_class.h"

#include <cstring>

namespace {

typedef void(WINAPI* SystemInfoQuery)(LPSYSTEM_INFO);

WORD NativeArchitecture() {
    SYSTEM_INFO info;
    std::memset(&info, 0, sizeof info);
    // Looked up by name: kernel32 lacks it before Windows XP. Under WOW64 only
    // the native query tells a 64-bit machine apart.
    const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetNativeSystemInfo");
    if (found != nullptr) {
        const SystemInfoQuery query =
            reinterpret_cast<SystemInfoQuery>(reinterpret_cast<void*>(found));
        query(&info);
    } else {
        GetSystemInfo(&info);
    }
    return info.wProcessorArchitecture;
}

int WindowsCode(DWORD majorVersion, DWORD minorVersion) {
    if (majorVersion != 4) {
        return 0;
    }
    switch (minorVersion) {
    case 0:
        return 1400;
    case 10:
        return 1410;
    case 90:
        return 1490;
    default:
        return 0;
    }
}

int NtCode(DWORD majorVersion, DWORD minorVersion, BYTE productType, WORD architecture) {
    const bool amd64 = architecture == PROCESSOR_ARCHITECTURE_AMD64;
    if (majorVersion <= 4) {
        return 2400;
    }
    if (majorVersion == 5) {
        switch (minorVersion) {
        case 0:
            return 2500;
        case 1:
            return 2501;
        case 2:
            if (amd64 && productType == VER_NT_WORKSTATION) {
                return 6401;
            }
            if (amd64 && productType == VER_NT_SERVER) {
                return 6402;
            }
            return 2502;
        default:
            return 0;
        }
    }
    if (majorVersion == 6 && minorVersion == 0) {
        return amd64 && productType == VER_NT_WORKSTATION ? 6403 : 2600;
    }
    return 0;
}

// versionRead is non-zero when either version record was filled;
// productType is 0 when only the basic record was.
int PlatformCodeOf(BOOL versionRead, DWORD platformId, DWORD majorVersion, DWORD minorVersion,
                   BYTE productType, WORD architecture) {
    if (!versionRead) {
        return 0;
    }
    switch (platformId) {
    case VER_PLATFORM_WIN32_WINDOWS:
        return WindowsCode(majorVersion, minorVersion);
    case VER_PLATFORM_WIN32_NT:
        return NtCode(majorVersion, minorVersion, productType, architecture);
    default:
        return 0;
    }
}

} // namespace

int ClassifyPlatform() {
    const WORD architecture = NativeArchitecture();

    // One zeroed area for both records, so the product type stays 0 when only
    // the basic record is accepted.
    OSVERSIONINFOEXA version;
    std::memset(&version, 0, sizeof version);
    auto* record = reinterpret_cast<LPOSVERSIONINFOA>(&version);
    record->dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    BOOL versionRead = GetVersionExA(record);
    if (!versionRead) {
        record->dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        versionRead = GetVersionExA(record);
    }
    return PlatformCodeOf(versionRead, version.dwPlatformId, version.dwMajorVersion,
                          version.dwMinorVersion, version.wProductType, architecture);
}
