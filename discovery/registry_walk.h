// Candidates from the registry's USB enumeration tree, for a search with no
// hardware ID configured.
#pragma once

#include "connection/connection.h"

int WalkUsbEnumTree(PrinterConnection* connection);
