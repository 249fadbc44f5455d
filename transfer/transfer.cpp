#include "transfer/transfer.h"

// Placeholder until the worker lands.
HANDLE StartTransferThread(HWND dialog, TransferJob* job) {
    job->dialog = dialog;
    job->thread = nullptr;
    return nullptr;
}

DWORD WINAPI TransferThread(LPVOID) {
    return 1;
}
