// The device route the connection is configured for.
#pragma once

#include "discovery/printer_class.h"
#include "discovery/scanner_class.h"

// Hands the candidate in hardwareId to the route that useScannerClass selects.
inline int OpenConfiguredRoute(PrinterConnection* connection) {
    return connection->useScannerClass != 0 ? OpenScannerClassDevice(connection)
                                            : OpenPrinterClassDevice(connection);
}
