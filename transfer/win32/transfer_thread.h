// The worker thread that sends the firmware and reports to the progress dialog.
#pragma once

#include "platform/win32.h"

struct TransferJob {
    HWND dialog;   // progress dialog the worker reports to and ends
    HANDLE thread; // the worker's thread; 0 before the first worker
};

// Starts the worker for `dialog` at once and returns its thread handle (0 when
// the thread cannot be created). The handle of the job's previous worker,
// which has ended its own dialog by then, is closed first, so a job record
// (a zero-initialised static) keeps at most one thread handle open.
HANDLE StartTransferThread(HWND dialog, TransferJob* job);

// Finds the printer, sends header and image, closes the connection and ends
// the job's dialog with 0 (sent) or 1 (failed). Always returns 1.
DWORD WINAPI TransferThread(LPVOID job);
