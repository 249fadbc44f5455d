#include "ui/win32/dialogs.h"

#include "ui/win32/dialog_helpers.h"
#include "resources/embedded_data.h"
#include "resources/resource_ids.h"

#include <cstring>

namespace {

const int kChoices[] = {IDC_AGREEMENT_REFUSE, IDC_AGREEMENT_ACCEPT};

void InitAgreementDialog(HWND dialog) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    CenterWindow(dialog);
    SetDialogCaption(dialog);
    SetTextFromTable(dialog, IDC_AGREEMENT_PROMPT, module, IDS_AGREEMENT_PROMPT);
    SetTextFromTable(dialog, IDC_AGREEMENT_REFUSE, module, IDS_AGREEMENT_REFUSE);
    SetTextFromTable(dialog, IDC_AGREEMENT_ACCEPT, module, IDS_AGREEMENT_ACCEPT);
    LoadAgreementText(dialog, IDC_AGREEMENT_TEXT);
    SendDlgItemMessageA(dialog, IDC_AGREEMENT_REFUSE, BM_SETCHECK, BST_CHECKED, 0);
}

} // namespace

void LoadAgreementText(HWND dialog, int controlId) {
    EmbeddedBytes agreement = {nullptr, 0};
    if (!LocateAgreementText(&agreement)) {
        agreement.size = 0; // nothing to show: the box stays empty
    }
    // The resource is read-only and has no terminator: the control gets a
    // copy one byte longer, ending in zero.
    char* text = static_cast<char*>(LocalAlloc(LMEM_FIXED, std::size_t{agreement.size} + 1));
    if (text == nullptr) {
        SetDlgItemTextA(dialog, controlId, "");
        return;
    }
    if (agreement.size > 0) {
        std::memcpy(text, agreement.bytes, agreement.size);
    }
    text[agreement.size] = '\0';
    SetDlgItemTextA(dialog, controlId, text);
    LocalFree(text);
}

INT_PTR CALLBACK AgreementDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        InitAgreementDialog(dialog);
        return 0;
    }
    if (message != WM_COMMAND) {
        return 0;
    }
    switch (LOWORD(wParam)) {
    case IDOK:
        // With neither choice checked, OK is ignored and the dialog stays.
        switch (GetCheckedRadio(dialog, kChoices, 2)) {
        case IDC_AGREEMENT_REFUSE:
            EndDialog(dialog, 0);
            break;
        case IDC_AGREEMENT_ACCEPT:
            EndDialog(dialog, 1);
            break;
        default:
            break;
        }
        return 0;
    case IDCANCEL: // Esc or the close box; the template has no Cancel button
        EndDialog(dialog, 0);
        return 1;
    default:
        return 0;
    }
}
