#include "ui/win32/dialogs.h"

#include "transfer/win32/transfer_thread.h"
#include "ui/win32/dialog_helpers.h"
#include "resources/resource_ids.h"

namespace {

TransferJob g_transferJob; // filled anew for every run of the dialog

} // namespace

TransferJob* AccessTransferJob() {
    return &g_transferJob;
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    // Commands are ignored: only the worker ends this dialog.
    if (message != WM_INITDIALOG) {
        return 0;
    }
    CenterWindow(dialog);
    SetDialogCaption(dialog);
    SetTextFromTable(dialog, IDC_PROGRESS_MESSAGE, GetModuleHandleA(nullptr), IDS_TRANSFERRING);
    if (StartTransferThread(dialog, AccessTransferJob()) == nullptr) {
        // Without a worker nothing else could ever end the dialog: report a
        // failed transfer at once so the updater offers Retry.
        EndDialog(dialog, 1);
    }
    return 0;
}
