// Route through the still-image USB driver's numbered devices.
#pragma once

#include "connection/connection.h"

int OpenScannerClassDevice(PrinterConnection* connection);
