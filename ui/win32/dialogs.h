// The program's three modal dialogs and its entry point.
#pragma once

#include "platform/win32.h"

// Licence agreement (template 144): ends with 1 when accepted, 0 otherwise.
INT_PTR CALLBACK AgreementDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Puts the "EULA" resource, whole and zero-terminated, into control `controlId`.
void LoadAgreementText(HWND dialog, int controlId);

// Main window (template 102): finds the printer, runs transfers, shows outcomes.
INT_PTR CALLBACK UpdaterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Progress (template 103): starts the transfer worker, which ends it with 0 or 1.
INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The one job record the progress dialog hands to each worker.
struct TransferJob* AccessTransferJob();

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
