// The progress of a transfer in the terminal: entry 223, then a bar and the
// percentage after each full chunk, redrawn in place on a terminal and one
// line each otherwise.
#pragma once

// Runs the transfer on its worker thread with Ctrl-C refused meanwhile.
// Returns 1 when the firmware was sent.
int RunTransferWithProgress();
