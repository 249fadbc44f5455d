// The two device routes, each supplied by the system. A route takes the
// connection, reads the candidate from hardwareId and returns 1 when it has
// opened the device (handles set in the connection), 0 with all three
// handles closed when it has not.
#pragma once

#include "connection/connection.h"

// The printer's class interface (USB printing driver on Windows).
int OpenPrinterClassDevice(PrinterConnection* connection);

// The still-image driver's numbered devices (Windows only).
int OpenScannerClassDevice(PrinterConnection* connection);

// Hands the candidate in hardwareId to the route that useScannerClass selects.
inline int OpenConfiguredRoute(PrinterConnection* connection) {
    if (connection->useScannerClass != 0) {
        return OpenScannerClassDevice(connection);
    }
    return OpenPrinterClassDevice(connection);
}
