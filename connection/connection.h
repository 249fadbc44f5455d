// The one process-wide record of which printer to look for and the handles
// of the device once a route has opened it.
#pragma once

#include "connection/device_io.h"

#include <cstdint>

struct PrinterConnection {
    int useScannerClass;        // 1: still-image driver route; 0: USB printing driver route
    char hardwareId[128];       // one ID, a comma-separated list, or empty (walk the USB tree)
    int writePipe;              // still-image route: pipe written to; 0 shares controlHandle
    int readPipe;               // still-image route: pipe of readHandle; negative opens none
    DeviceHandle controlHandle; // handle that identified the device (same as writeHandle on
                                // the printing driver route)
    DeviceHandle writeHandle;   // the firmware goes here
    DeviceHandle readHandle;    // second handle on the device; nothing reads from it
    // The IDs a search tries: the configured list (empty: walk the USB tree)
    // until a search succeeds, then the one ID that opened the printer.
    char searchIds[128];
};

// Fills the configuration half of the record from the string table.
int LoadTargetConfig();

// Returns the one record; given a configuration, first copies its
// configuration half (route, pipes, hardwareId text) into it. The hardwareId
// text also becomes searchIds.
PrinterConnection* AccessConnection(const PrinterConnection* config);

// Releases every open device handle (a shared control/write handle once) and
// leaves all three at -1.
int CloseConnection();

// Writes all `length` bytes to writeHandle. Returns 1 when every byte was
// taken, 0 when the connection is closed or a write fails or moves no byte.
int WriteToDevice(const void* bytes, uint32_t length);
