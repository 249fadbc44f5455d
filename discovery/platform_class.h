// Reduces the running Windows version to one platform code.
#pragma once

#include "platform/win32.h"

// Queries the version and the native processor afresh and classifies them.
// Never fails: a system that answers neither version query gives 0.
int ClassifyPlatform();

// The classification alone. versionRead is non-zero when either version
// record was filled; productType is 0 when only the basic record was.
int PlatformCodeOf(BOOL versionRead, DWORD platformId, DWORD majorVersion, DWORD minorVersion,
                   BYTE productType, WORD architecture);
