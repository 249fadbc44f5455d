#include "ui/dialogs.h"

#include "connection/connection.h"
#include "discovery/printer_search.h"
#include "ui/dialog_helpers.h"
#include "resources/resource_ids.h"

namespace {

void InitUpdaterDialog(HWND dialog) {
    CenterWindow(dialog);
    SetDialogCaption(dialog);
    if (FindPrinter()) {
        // No device handle stays open while the dialog waits for the user.
        CloseConnection();
        ShowPrompt(dialog, IDS_READY, IDS_BUTTON_TRANSFER);
    } else {
        ShowPrompt(dialog, IDS_NOT_FOUND, IDS_BUTTON_RETRY);
    }
}

void ShowDone(HWND dialog) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    SetTextFromTable(dialog, IDC_UPDATER_MESSAGE, module, IDS_DONE);
    SetTextFromTable(dialog, IDCANCEL, module, IDS_BUTTON_EXIT);
    HWND firstButton = GetDlgItem(dialog, IDOK);
    EnableWindow(firstButton, FALSE);
    ShowWindow(firstButton, SW_HIDE);
}

// First button: search again and, when the printer answers, run the transfer
// behind the progress dialog. A failed search leaves the screen as it is.
void RunTransfer(HWND dialog) {
    if (!FindPrinter()) {
        return;
    }
    CloseConnection(); // the worker searches again for itself
    EnableWindow(dialog, FALSE);
    ShowWindow(dialog, SW_HIDE);
    const INT_PTR outcome = DialogBoxParamA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, ProgressDialogProc, 0);
    // The outcome texts go in while the dialog is still hidden.
    if (outcome == 0) {
        ShowDone(dialog);
    } else {
        ShowPrompt(dialog, IDS_FAILED, IDS_BUTTON_RETRY);
    }
    EnableWindow(dialog, TRUE);
    ShowWindow(dialog, SW_SHOW);
}

} // namespace

INT_PTR CALLBACK UpdaterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        InitUpdaterDialog(dialog);
        return 0; // the default focus is not set
    }
    if (message != WM_COMMAND) {
        return 0;
    }
    switch (LOWORD(wParam)) {
    case IDOK:
        RunTransfer(dialog);
        return 0;
    case IDCANCEL: // "Exit", Esc or the close box
        EndDialog(dialog, 0);
        return 1;
    default:
        return 0;
    }
}
