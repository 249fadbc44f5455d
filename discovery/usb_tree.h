// The USB device tree as the walk reads it, supplied by each system (the
// registry's USB enumeration key on Windows). Each level is copied into
// consecutive slots of `slotWidth` bytes, at most `slotCount` of them; a name
// that does not fit a slot with its terminator is skipped, never cut, since a
// cut name would name another device. Each returns the number of names.
#pragma once

#include <cstddef>

// The device keys: hardware IDs without "USB\", in a stable order.
int ListUsbDeviceKeys(char* slots, int slotWidth, int slotCount);

// The instances of one device key, in a stable order.
int ListUsbInstances(const char* deviceKey, char* slots, int slotWidth, int slotCount);

// The driver that serves an instance ("usbprint" for the printer's class
// interface), as text, zero-filled to `size`. Returns 0 when the instance
// names none.
int ReadUsbInstanceDriver(const char* deviceKey, const char* instance, char* driver,
                          std::size_t size);
