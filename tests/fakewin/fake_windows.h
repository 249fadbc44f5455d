// Windows of the fake machine: modal dialogs run by DialogBoxParamA, their
// controls' state, the screen, and what a person does while a dialog is up.
#pragma once

#include "platform/win32.h"

#include <functional>
#include <string>
#include <vector>

namespace fake {

struct FakeControl {
    std::string text;
    int check = 0;
    bool visible = true;
    bool enabled = true;
    int position = 0;              // progress bar position
    std::vector<int> positions;    // every PBM_SETPOS, in order
    std::vector<std::string> texts; // every text set, in order
};

struct FakeDialog {
    int templateId = 0;
    DLGPROC proc = nullptr;
    std::string caption;
    bool visible = true;
    bool enabled = true;
    RECT rect = {0, 0, 0, 0};
    bool ended = false;
    INT_PTR result = 0;
    int endCount = 0;
};

// A dialog window without a modal loop, for calling a dialog procedure directly.
HWND CreateDialogWindow(int templateId);
FakeDialog* Dialog(HWND dialog);
// The control of a dialog; created on first use, as if the template had it.
FakeControl* Control(HWND dialog, int id);

// Size in pixels that a template's dialog gets when it is created.
void SetTemplateSize(int templateId, int width, int height);
void SetScreenSize(int width, int height);

// What the person does once a dialog of `templateId` is up (after WM_INITDIALOG).
// Scripts are used in the order queued, one per run of that template.
using UserScript = std::function<void(HWND dialog)>;
void ScriptDialog(int templateId, UserScript script);
// Delivers WM_COMMAND with `id` to the dialog's procedure; returns its answer.
INT_PTR Command(HWND dialog, int id);
// How long a modal loop waits for an EndDialog from another thread (default 5000 ms).
void SetDialogWaitLimit(int milliseconds);
// Modal loops that gave up waiting.
int DialogTimeouts();
// Template ids of every DialogBoxParamA call, in order.
std::vector<int> DialogRuns();
// The most recent dialog of a template, or nullptr.
HWND LastDialog(int templateId);
bool CommonControlsInitialised();
// Information contexts opened and not yet deleted.
int OpenInfoContexts();

} // namespace fake
