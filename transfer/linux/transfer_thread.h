// The transfer on a worker thread of its own, as on Windows.
#pragma once

// Runs RunTransfer(progress) on the worker, and WatchTransferProgress(progress)
// on the calling thread until the worker calls EndTransferProgress(progress)
// after the transfer. Ctrl-C is kept off the worker, so it reaches the
// watching thread and its handler alone. Returns 1 when the firmware was sent.
int RunTransferOnWorker(void* progress);

// Supplied by the front end.
void WatchTransferProgress(void* progress);
void EndTransferProgress(void* progress);
