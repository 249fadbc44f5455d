#include "ui/win32/dialogs.h"

#include "resources/resource_ids.h"
#include "ui/updater_flow.h"
#include "ui/win32/dialog_helpers.h"

namespace {

void ShowState(HWND dialog, UpdaterState state) {
    if (state != UpdaterState::Done) {
        ShowPrompt(dialog, UpdaterMessageId(state), UpdaterFirstButtonId(state));
        return;
    }
    // Done is final: the first button never comes back.
    HINSTANCE module = GetModuleHandleA(nullptr);
    SetTextFromTable(dialog, IDC_UPDATER_MESSAGE, module, IDS_DONE);
    SetTextFromTable(dialog, IDCANCEL, module, IDS_BUTTON_EXIT);
    HWND firstButton = GetDlgItem(dialog, IDOK);
    EnableWindow(firstButton, FALSE);
    ShowWindow(firstButton, SW_HIDE);
}

// The transfer behind the progress dialog, with the updater hidden and
// disabled until it ends; -1 (no dialog) counts as a failed transfer.
int RunProgressDialog(void* context) {
    HWND dialog = static_cast<HWND>(context);
    EnableWindow(dialog, FALSE);
    ShowWindow(dialog, SW_HIDE);
    const INT_PTR outcome = DialogBoxParamA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, ProgressDialogProc, 0);
    return outcome == 0;
}

// First button: a failed search leaves the screen as it is.
void PressTransfer(HWND dialog) {
    UpdaterState state = UpdaterState::Failed;
    if (!PressFirstButton(RunProgressDialog, dialog, &state)) {
        return;
    }
    // The outcome texts go in while the dialog is still hidden.
    ShowState(dialog, state);
    EnableWindow(dialog, TRUE);
    ShowWindow(dialog, SW_SHOW);
}

} // namespace

INT_PTR CALLBACK UpdaterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        CenterWindow(dialog);
        SetDialogCaption(dialog);
        ShowState(dialog, OpenUpdater());
        return 0; // the default focus is not set
    }
    if (message != WM_COMMAND) {
        return 0;
    }
    switch (LOWORD(wParam)) {
    case IDOK:
        PressTransfer(dialog);
        return 0;
    case IDCANCEL: // "Exit", Esc or the close box
        EndDialog(dialog, 0);
        return 1;
    default:
        return 0;
    }
}
