// Small read-only registry helpers used by the USB tree walk.
#pragma once

#include "platform/win32.h"

int EnumSubkeyNames(HKEY root, const char* path, char* slots, int slotWidth);
int QueryRegValue(HKEY root, const char* path, const char* valueName, void* buffer, DWORD size);
