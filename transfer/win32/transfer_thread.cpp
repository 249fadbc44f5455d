#include "transfer/win32/transfer_thread.h"

#include "resources/resource_ids.h"
#include "transfer/send_firmware.h"

// The bar and the percentage of the progress dialog, sent from the worker.
void ShowTransferProgress(void* progress, uint32_t percent) {
    HWND dialog = static_cast<HWND>(progress);
    SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, percent, 0);
    char text[16];
    wsprintfA(text, "%d %%", static_cast<int>(percent));
    SetDlgItemTextA(dialog, IDC_PROGRESS_PERCENT, text);
}

void HoldFinishedProgress(void*) {
    Sleep(1000);
}

HANDLE StartTransferThread(HWND dialog, TransferJob* job) {
    if (job->thread != nullptr) {
        CloseHandle(job->thread);
    }
    job->dialog = dialog;
    DWORD threadId = 0; // not kept; older systems refuse CreateThread without it
    job->thread = CreateThread(nullptr, 0, TransferThread, job, 0, &threadId);
    return job->thread;
}

DWORD WINAPI TransferThread(LPVOID job) {
    HWND dialog = static_cast<const TransferJob*>(job)->dialog;
    const int sent = RunTransfer(dialog);
    EndDialog(dialog, sent ? 0 : 1);
    return 1;
}
