// What the program carries in itself, as the build was given it: the firmware
// image and the licence agreement. Supplied by each system: the executable's
// resources on Windows, data assembled into the program on Linux.
#pragma once

#include <cstdint>

struct EmbeddedBytes {
    const uint8_t* bytes; // read-only, valid for the life of the process; no terminator
    uint32_t size;
};

// The firmware image, sent to the printer verbatim. Returns 0 when the
// program carries none.
int LocateFirmwareImage(EmbeddedBytes* image);

// The agreement text in the language of the user interface. Returns 0 when
// the program carries none.
int LocateAgreementText(EmbeddedBytes* agreement);
