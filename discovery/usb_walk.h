// Candidates from the USB device tree, for a search with no hardware ID
// configured.
#pragma once

#include "connection/connection.h"

// Tries, in the tree's order, every device key with an instance served by the
// route's driver ("usbscan" or "usbprint"), as "USB\" and the key's name.
// Returns 1 when a route call opened the device, else 0.
int WalkUsbEnumTree(PrinterConnection* connection);
