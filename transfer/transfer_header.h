// The fixed block that goes to the printer before the firmware image.
#pragma once

#include "platform/win32.h"

const DWORD kTransferHeaderSize = 64;

struct TransferHeader {
    BYTE bytes[kTransferHeaderSize];
};

// 02 FF 04, three zero bytes, the image size least significant byte first,
// then zeros to the end of the block.
TransferHeader BuildTransferHeader(DWORD imageSize);
