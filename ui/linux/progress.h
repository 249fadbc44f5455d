// The progress of a transfer in the terminal: entry 223, then a bar and the
// percentage after each full chunk. On a terminal one line, redrawn in place
// to the terminal's width from "0 %" on; otherwise one plain line each.
#pragma once

// Runs the transfer on its worker thread, Ctrl-C refused meanwhile.
// Returns 1 when the firmware was sent.
int RunTransferWithProgress();
