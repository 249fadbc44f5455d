#include "ui/win32/dialogs.h"

#include "connection/connection.h"
#include "resources/resource_ids.h"

// The command line and the requested show state are not used; the exit code
// is 0 on every path.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    LoadTargetConfig();
    const INT_PTR agreement =
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_AGREEMENT), nullptr, AgreementDialogProc, 0);
    // Only an accepted agreement opens the updater; -1 (no dialog) counts as refused.
    if (agreement == 1) {
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_UPDATER), nullptr, UpdaterDialogProc, 0);
    }
    return 0;
}
