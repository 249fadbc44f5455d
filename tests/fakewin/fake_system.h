// Version and processor queries of the fake machine: what GetVersionExA,
// GetSystemInfo and GetNativeSystemInfo (found through GetProcAddress) answer.
#pragma once

#include "platform/win32.h"

#include <vector>

namespace fake {

// The version GetVersionExA reports. By default a 32-bit Windows XP
// workstation: platform 2, version 5.1, product type 1.
void SetVersion(DWORD platformId, DWORD majorVersion, DWORD minorVersion,
                BYTE productType = VER_NT_WORKSTATION);

// Which record sizes GetVersionExA accepts: the extended 156-byte record and
// the basic 148-byte one. Both by default; a refused size fails with
// ERROR_INSUFFICIENT_BUFFER.
void SetVersionRecordsAccepted(bool extended, bool basic);

// The machine's own processor architecture, as GetNativeSystemInfo reports it
// (PROCESSOR_ARCHITECTURE_INTEL by default). GetSystemInfo answers as it does
// to a 32-bit program: always PROCESSOR_ARCHITECTURE_INTEL.
void SetNativeArchitecture(WORD architecture);

// false: kernel32 has no GetNativeSystemInfo, as before Windows XP.
void SetNativeSystemInfoPresent(bool present);

// The dwOSVersionInfoSize of every GetVersionExA call, in order.
std::vector<DWORD> VersionQuerySizes();

} // namespace fake
