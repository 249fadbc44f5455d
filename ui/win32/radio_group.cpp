#include "ui/win32/dialog_helpers.h"

int GetCheckedRadio(HWND dialog, const int* controlIds, int count) {
    for (int i = 0; i < count; ++i) {
        // Only the fully checked state counts; indeterminate reads as unchecked.
        if (SendDlgItemMessageA(dialog, controlIds[i], BM_GETCHECK, 0, 0) == BST_CHECKED) {
            return controlIds[i];
        }
    }
    return -1;
}
