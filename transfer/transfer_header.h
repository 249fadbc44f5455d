// The fixed block that goes to the printer before the firmware image.
#pragma once

#include <cstdint>

const uint32_t kTransferHeaderSize = 64;

struct TransferHeader {
    uint8_t bytes[kTransferHeaderSize];
};

// 02 FF 04, three zero bytes, the image size least significant byte first,
// then zeros to the end of the block.
TransferHeader BuildTransferHeader(uint32_t imageSize);
