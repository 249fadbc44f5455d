// Small read-only registry helpers used by the USB tree walk.
#pragma once

#include "platform/win32.h"

// Copies the names of the subkeys of root\path, in enumeration order, into
// consecutive slots of `slotWidth` bytes, at most `slotCount` of them. A name
// that does not fit a slot with its terminator is skipped, never cut: a cut
// name would name another key. Returns the number of names copied; 0 when the
// key cannot be opened or has no subkeys.
int EnumSubkeyNames(HKEY root, const char* path, char* slots, int slotWidth, int slotCount);

// Reads the value `valueName` of root\path into `buffer`, at most `size`
// bytes. Returns 1 when read; 0 when the key cannot be opened or the value is
// missing or larger than the buffer.
int QueryRegValue(HKEY root, const char* path, const char* valueName, void* buffer, DWORD size);
