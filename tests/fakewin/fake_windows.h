// Windows of the fake machine: modal dialogs run by DialogBoxParamA from the
// program's templates, their controls' state, the screen, and what a person
// does while a dialog is up.
#pragma once

#include "platform/win32.h"

#include <functional>
#include <string>
#include <vector>

namespace fake {

// Any: a control of a free-form dialog, created on first use; it clicks like a push button.
enum class ControlKind {
    Any,
    PushButton,
    DefaultPushButton,
    AutoRadioButton,
    Edit,
    Static,
    Progress
};

struct FakeControl {
    ControlKind kind = ControlKind::Any;
    std::string text;
    int check = 0;
    bool visible = true;
    bool enabled = true;
    bool groupStart = false;        // WS_GROUP: a new group of controls begins here
    int order = 0;                  // place in the template (tab and group order)
    int position = 0;               // progress bar position
    std::vector<int> positions;     // every PBM_SETPOS, in order
    std::vector<std::string> texts; // every text set, in order
};

struct FakeDialog {
    int templateId = 0;
    DLGPROC proc = nullptr;
    std::string caption;
    bool visible = true;
    bool enabled = true;
    bool closeBox = true;
    RECT rect = {0, 0, 0, 0};
    bool ended = false;
    INT_PTR result = 0;
    int endCount = 0;
};

// --- templates --------------------------------------------------------------
struct TemplateControl {
    int id;
    ControlKind kind;
    std::string text;
    bool groupStart;
};

struct DialogTemplate {
    int width = 400; // window size in pixels, frame and caption included
    int height = 200;
    bool closeBox = true;                  // WS_SYSMENU
    bool fixedControls = false;            // true: only the listed controls exist
    std::vector<TemplateControl> controls; // in template order
};

// A template that DialogBoxParamA creates dialogs from. An id never set gives a
// free-form dialog; a removed one is missing from the module, and
// DialogBoxParamA then returns -1.
void SetTemplate(int templateId, const DialogTemplate& dialogTemplate);
void RemoveTemplate(int templateId);
// Templates 102, 103 and 144 as the executable carries them.
void LoadShippedTemplates();
// Size in pixels that a template's dialog gets (adds a free-form template if none).
void SetTemplateSize(int templateId, int width, int height);

// A dialog window without a modal loop, for calling a dialog procedure directly.
// It has the template's controls, or controls on first use when there is none.
HWND CreateDialogWindow(int templateId);
FakeDialog* Dialog(HWND dialog);
// The control of a dialog, or nullptr when its template has no such control.
FakeControl* Control(HWND dialog, int id);

void SetScreenSize(int width, int height);

// --- what a person does -----------------------------------------------------
// What the person does once a dialog of `templateId` is up (after WM_INITDIALOG).
// Scripts are used in the order queued, one per run of that template.
using UserScript = std::function<void(HWND dialog)>;
void ScriptDialog(int templateId, UserScript script);

// Each reaches the procedure only when the dialog is up (not ended), shown and
// enabled; a control must be shown and enabled too. True when it was delivered.
// Clicking an automatic radio button checks it and clears the others of its group.
bool Click(HWND dialog, int id);
bool PressEscape(HWND dialog);   // IDCANCEL, whether or not a control 2 exists
bool PressEnter(HWND dialog);    // the default push button, or IDOK when there is none
bool ClickCloseBox(HWND dialog); // IDCANCEL; only a dialog with a system menu has one

// Delivers WM_COMMAND with `id` straight to the dialog's procedure; returns its answer.
INT_PTR Command(HWND dialog, int id);

// --- modal loops --------------------------------------------------------------
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
