// Route through the USB printing driver's device interfaces.
#pragma once

#include "connection/connection.h"

int OpenPrinterClassDevice(PrinterConnection* connection);
