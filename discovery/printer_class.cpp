#include "discovery/printer_class.h"

// Placeholder until the printing-driver route lands.
int OpenPrinterClassDevice(PrinterConnection*) {
    return 0;
}
