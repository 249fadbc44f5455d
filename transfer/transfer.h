// The worker thread that sends the firmware and reports to the progress dialog.
#pragma once

#include "platform/win32.h"

struct TransferJob {
    HWND dialog;   // progress dialog the worker reports to and ends
    HANDLE thread; // the worker's thread
};

HANDLE StartTransferThread(HWND dialog, TransferJob* job);
DWORD WINAPI TransferThread(LPVOID job);
