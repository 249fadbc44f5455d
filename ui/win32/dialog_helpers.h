// Small operations shared by the three dialog procedures.
#pragma once

#include "platform/win32.h"

// Loads string `stringId` of `module` into control `controlId` of the dialog.
void SetTextFromTable(HWND dialog, int controlId, HINSTANCE module, UINT stringId);

// Captions the dialog "<printer name> (<firmware version>)".
void SetDialogCaption(HWND dialog);

// The first id of `controlIds` whose button is checked, or -1 when none is.
int GetCheckedRadio(HWND dialog, const int* controlIds, int count);

// Places the window in the middle of the primary screen, keeping its size.
void CenterWindow(HWND window);

// The updater's message, its first button's label, and "Exit" on the second.
void ShowPrompt(HWND dialog, UINT messageId, UINT firstButtonId);
