#include "connection/connection.h"

#include "resources/resource_ids.h"
#include "resources/texts.h"

#include <cstring>

namespace {

PrinterConnection g_connection; // all zero at process start: handles 0 mean "nothing open"

} // namespace

int LoadTargetConfig() {
    PrinterConnection config = {};
    config.useScannerClass = 1;

    char route[1024];
    LoadText(IDS_TARGET_ROUTE, route, sizeof route);
    if (std::strcmp(route, "PrintClass") == 0) {
        config.useScannerClass = 0;
    }
    config.writePipe = 0;
    config.readPipe = 1;
    LoadText(IDS_TARGET_HARDWARE_ID, config.hardwareId, sizeof config.hardwareId);

    AccessConnection(&config);
    return 1;
}

PrinterConnection* AccessConnection(const PrinterConnection* config) {
    if (config != nullptr) {
        g_connection.useScannerClass = config->useScannerClass;
        g_connection.writePipe = config->writePipe;
        g_connection.readPipe = config->readPipe;
        // Bounded copy: a caller's text without a terminator inside the field
        // must not run past it.
        const std::size_t length = strnlen(config->hardwareId, sizeof config->hardwareId - 1);
        std::memcpy(g_connection.hardwareId, config->hardwareId, length);
        g_connection.hardwareId[length] = '\0';
        std::memcpy(g_connection.searchIds, g_connection.hardwareId, length + 1);
    }
    return &g_connection;
}

int CloseConnection() {
    PrinterConnection* connection = AccessConnection(nullptr);
    if (connection->controlHandle != connection->writeHandle &&
        IsOpenHandle(connection->controlHandle)) {
        CloseDeviceHandle(connection->controlHandle);
    }
    if (IsOpenHandle(connection->writeHandle)) {
        CloseDeviceHandle(connection->writeHandle);
    }
    if (IsOpenHandle(connection->readHandle)) {
        CloseDeviceHandle(connection->readHandle);
    }
    connection->controlHandle = ClosedHandle();
    connection->writeHandle = ClosedHandle();
    connection->readHandle = ClosedHandle();
    return 1;
}

int WriteToDevice(const void* bytes, uint32_t length) {
    const PrinterConnection* connection = AccessConnection(nullptr);
    // -1 is also the pseudo-handle of the current process on Windows: a
    // closed connection must never reach the device write.
    if (!IsOpenHandle(connection->writeHandle)) {
        return 0;
    }
    // A device may take fewer bytes than asked; the rest goes in further
    // writes, since a short write left alone would corrupt the firmware stream.
    const uint8_t* next = static_cast<const uint8_t*>(bytes);
    uint32_t remaining = length;
    do {
        uint32_t written = 0;
        const int ok = WriteDeviceOnce(connection->writeHandle, next, remaining, &written);
        if (!ok || written == 0 || written > remaining) {
            return 0;
        }
        next += written;
        remaining -= written;
    } while (remaining > 0);
    return 1;
}
