#include "transfer/send_firmware.h"

#include "connection/connection.h"
#include "discovery/printer_search.h"
#include "resources/embedded_data.h"
#include "transfer/transfer_header.h"

namespace {

// 64 KiB less the header: the largest write the device path takes along with it.
const uint32_t kChunkSize = 0xFFC0;
// One full chunk in percent points before the division by the image size; the
// running sum is 100 times the bytes sent, exact below 42,949,673 bytes.
const uint32_t kPercentStep = kChunkSize * 100;

// Header, then the image in full chunks and one last piece, straight from
// where the program carries it. The progress moves only after a chunk has
// been taken.
int SendFirmware(void* progress) {
    EmbeddedBytes image; // used where the program carries it, never copied
    if (!LocateFirmwareImage(&image)) {
        return 0;
    }
    const TransferHeader header = BuildTransferHeader(image.size);
    if (!WriteToDevice(header.bytes, kTransferHeaderSize)) {
        return 0;
    }
    uint32_t offset = 0;
    uint32_t remaining = image.size;
    uint32_t accumulated = 0;
    while (remaining > kChunkSize) {
        if (!WriteToDevice(image.bytes + offset, kChunkSize)) {
            return 0;
        }
        accumulated += kPercentStep;
        offset += kChunkSize;
        remaining -= kChunkSize;
        ShowTransferProgress(progress, accumulated / image.size);
    }
    if (remaining == 0) { // empty image: the header says so, and that is all
        return 1;
    }
    if (!WriteToDevice(image.bytes + offset, remaining)) {
        return 0;
    }
    ShowTransferProgress(progress, 100);
    HoldFinishedProgress(progress);
    return 1;
}

} // namespace

int RunTransfer(void* progress) {
    const int sent = FindPrinter() && SendFirmware(progress);
    // The printer's handles are released on every path.
    CloseConnection();
    return sent;
}
