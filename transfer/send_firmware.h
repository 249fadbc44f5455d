// The transfer itself, the same on every system: the printer found again,
// the header, the image in chunks, the progress after each full chunk.
#pragma once

#include <cstdint>

// Searches for the printer, sends header and image, and closes the connection
// on every way out. Returns 1 when every byte was taken, 0 otherwise.
// `progress` is handed to the system's progress display.
int RunTransfer(void* progress);

// Supplied by each system:

// Shows `percent` (0 to 100) after a chunk has been taken.
void ShowTransferProgress(void* progress, uint32_t percent);

// Leaves "100 %" in view for a moment after the last write.
void HoldFinishedProgress(void* progress);
