#include "transfer/transfer_header.h"

#include <cstring>

TransferHeader BuildTransferHeader(uint32_t imageSize) {
    TransferHeader header;
    std::memset(header.bytes, 0, sizeof header.bytes);
    header.bytes[0] = 0x02;
    header.bytes[1] = 0xFF;
    header.bytes[2] = 0x04;
    // Little-endian whatever the build's byte order.
    header.bytes[6] = static_cast<uint8_t>(imageSize & 0xFF);
    header.bytes[7] = static_cast<uint8_t>((imageSize >> 8) & 0xFF);
    header.bytes[8] = static_cast<uint8_t>((imageSize >> 16) & 0xFF);
    header.bytes[9] = static_cast<uint8_t>((imageSize >> 24) & 0xFF);
    return header;
}
