// The transfer on a worker thread of its own, as on Windows.
#pragma once

// Runs RunTransfer(progress) on the worker and waits for it. Ctrl-C is kept
// off the worker, so it reaches the waiting thread and its handler alone.
// Returns 1 when the firmware was sent.
int RunTransferOnWorker(void* progress);
