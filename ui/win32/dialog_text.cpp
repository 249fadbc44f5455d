#include "ui/win32/dialog_helpers.h"

#include "resources/resource_ids.h"

void SetTextFromTable(HWND dialog, int controlId, HINSTANCE module, UINT stringId) {
    char text[1024];
    LoadStringA(module, stringId, text, sizeof text);
    SetDlgItemTextA(dialog, controlId, text);
}

void SetDialogCaption(HWND dialog) {
    char name[1024];
    char version[1024];
    char caption[1024];
    LoadStringA(GetModuleHandleA(nullptr), IDS_PRINTER_NAME, name, sizeof name);
    LoadStringA(GetModuleHandleA(nullptr), IDS_FIRMWARE_VERSION, version, sizeof version);
    // wsprintfA never writes more than 1024 bytes.
    wsprintfA(caption, "%s (%s)", name, version);
    SetWindowTextA(dialog, caption);
}

void ShowPrompt(HWND dialog, UINT messageId, UINT firstButtonId) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    SetTextFromTable(dialog, IDC_UPDATER_MESSAGE, module, messageId);
    SetTextFromTable(dialog, IDOK, module, firstButtonId);
    SetTextFromTable(dialog, IDCANCEL, module, IDS_BUTTON_EXIT);
}
