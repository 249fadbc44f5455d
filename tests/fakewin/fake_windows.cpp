#include "tests/fakewin/fake_windows.h"

#include "tests/fakewin/fake_kernel.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <set>
#include <utility>

namespace fake {
namespace {

struct DialogEntry {
    FakeDialog dialog;
    bool fixedControls = false;
    std::map<int, FakeControl> controls;
    std::map<int, std::uintptr_t> controlWindows;
};

// A window value names a dialog (control -1) or one control of it.
struct WindowRef {
    std::size_t dialog;
    int control;
};

struct WindowState {
    std::deque<DialogEntry> dialogs;
    std::map<std::uintptr_t, WindowRef> windows;
    std::uintptr_t nextWindow = 0x10000;
    std::map<int, DialogTemplate> templates;
    std::set<int> missingTemplates; // removed from the module: DialogBoxParamA fails
    int screenWidth = 1024;
    int screenHeight = 768;
    std::map<int, std::deque<UserScript>> scripts;
    int waitLimitMs = 5000;
    int timeouts = 0;
    std::vector<int> runs;
    bool commonControls = false;
    int infoContexts = 0;
};

WindowState& State() {
    static WindowState state;
    return state;
}

std::condition_variable_any& EndedSignal() {
    static std::condition_variable_any signal;
    return signal;
}

HWND NewWindow(std::size_t dialog, int control) {
    const std::uintptr_t value = State().nextWindow;
    State().nextWindow += 0x10;
    State().windows[value] = WindowRef{dialog, control};
    return reinterpret_cast<HWND>(value);
}

bool Resolve(HWND window, WindowRef* ref) {
    auto it = State().windows.find(reinterpret_cast<std::uintptr_t>(window));
    if (it == State().windows.end()) {
        return false;
    }
    *ref = it->second;
    return true;
}

DialogEntry* EntryOf(HWND dialog) {
    WindowRef ref{};
    if (!Resolve(dialog, &ref) || ref.control != -1) {
        return nullptr;
    }
    return &State().dialogs[ref.dialog];
}

FakeControl* ControlOf(DialogEntry* entry, int id) {
    if (entry == nullptr) {
        return nullptr;
    }
    auto it = entry->controls.find(id);
    if (it != entry->controls.end()) {
        return &it->second;
    }
    if (entry->fixedControls) {
        return nullptr;
    }
    FakeControl& control = entry->controls[id]; // a free-form dialog has every control
    control.order = static_cast<int>(entry->controls.size());
    return &control;
}

// The window a WindowRef names: its visible and enabled flags.
bool* VisibleFlag(const WindowRef& ref) {
    DialogEntry& entry = State().dialogs[ref.dialog];
    return ref.control == -1 ? &entry.dialog.visible : &entry.controls[ref.control].visible;
}

bool* EnabledFlag(const WindowRef& ref) {
    DialogEntry& entry = State().dialogs[ref.dialog];
    return ref.control == -1 ? &entry.dialog.enabled : &entry.controls[ref.control].enabled;
}

std::string WindowName(HWND window) {
    WindowRef ref{};
    if (!Resolve(window, &ref)) {
        return "?";
    }
    if (ref.control == -1) {
        return "dialog" + std::to_string(State().dialogs[ref.dialog].dialog.templateId);
    }
    return "control" + std::to_string(ref.control);
}

HWND CreateFromTemplate(int templateId, const DialogTemplate& dialogTemplate) {
    WindowState& state = State();
    state.dialogs.emplace_back();
    DialogEntry& entry = state.dialogs.back();
    entry.dialog.templateId = templateId;
    entry.dialog.closeBox = dialogTemplate.closeBox;
    entry.dialog.rect = RECT{0, 0, dialogTemplate.width, dialogTemplate.height};
    entry.fixedControls = dialogTemplate.fixedControls;
    int order = 0;
    for (const TemplateControl& item : dialogTemplate.controls) {
        FakeControl& control = entry.controls[item.id];
        control.kind = item.kind;
        control.text = item.text;
        control.groupStart = item.groupStart || order == 0; // the first control opens a group
        control.order = ++order;
    }
    return NewWindow(state.dialogs.size() - 1, -1);
}

// Whether a person can reach the dialog: up, shown, enabled.
DialogEntry* ReachableDialog(HWND dialog) {
    DialogEntry* entry = EntryOf(dialog);
    if (entry == nullptr || entry->dialog.ended || !entry->dialog.visible ||
        !entry->dialog.enabled) {
        return nullptr;
    }
    return entry;
}

// An automatic radio button checks itself and clears the others of its group.
void CheckRadioInGroup(DialogEntry* entry, int id) {
    std::vector<std::pair<int, int>> byOrder; // order, id
    for (const auto& control : entry->controls) {
        byOrder.emplace_back(control.second.order, control.first);
    }
    std::sort(byOrder.begin(), byOrder.end());
    int group = 0;
    std::map<int, int> groupOf;
    for (const auto& item : byOrder) {
        if (entry->controls[item.second].groupStart) {
            ++group;
        }
        groupOf[item.second] = group;
    }
    for (auto& control : entry->controls) {
        if (control.first != id && groupOf[control.first] == groupOf[id] &&
            control.second.kind == ControlKind::AutoRadioButton) {
            control.second.check = BST_UNCHECKED;
        }
    }
    entry->controls[id].check = BST_CHECKED;
}

} // namespace

void ResetWindows() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    const std::uintptr_t next = State().nextWindow; // window values stay unique across tests
    State() = WindowState();
    State().nextWindow = next;
}

void SetTemplate(int templateId, const DialogTemplate& dialogTemplate) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().templates[templateId] = dialogTemplate;
    State().missingTemplates.erase(templateId);
}

void RemoveTemplate(int templateId) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().templates.erase(templateId);
    State().missingTemplates.insert(templateId);
}

void LoadShippedTemplates() {
    // Dialog units to pixels for Tahoma 8 points at 96 dpi (base units 6 x 13),
    // plus a modal frame of 3 pixels a side and a caption of 19.
    auto sized = [](int unitsWide, int unitsHigh, bool closeBox,
                    std::vector<TemplateControl> controls) {
        DialogTemplate shipped;
        shipped.width = unitsWide * 6 / 4 + 6;
        shipped.height = unitsHigh * 13 / 8 + 3 * 2 + 19;
        shipped.closeBox = closeBox;
        shipped.fixedControls = true;
        shipped.controls = std::move(controls);
        return shipped;
    };
    SetTemplate(102, sized(298, 106, true,
                           {{1, ControlKind::PushButton, "", false},
                            {2, ControlKind::PushButton, "", false},
                            {110, ControlKind::Static, "", true}}));
    SetTemplate(103, sized(238, 81, false,
                           {{111, ControlKind::Static, "", true},
                            {114, ControlKind::Progress, "Progress1", false},
                            {112, ControlKind::Static, "", true}}));
    SetTemplate(144, sized(307, 169, true,
                           {{1, ControlKind::DefaultPushButton, "OK", false},
                            {146, ControlKind::Edit, "", false},
                            {147, ControlKind::AutoRadioButton, "No", false},
                            {148, ControlKind::AutoRadioButton, "Yes", false},
                            {145, ControlKind::Static, "Static", true}}));
}

void SetTemplateSize(int templateId, int width, int height) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    DialogTemplate& dialogTemplate = State().templates[templateId];
    dialogTemplate.width = width;
    dialogTemplate.height = height;
}

HWND CreateDialogWindow(int templateId) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    auto known = State().templates.find(templateId);
    return CreateFromTemplate(templateId,
                              known == State().templates.end() ? DialogTemplate() : known->second);
}

FakeDialog* Dialog(HWND dialog) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    DialogEntry* entry = EntryOf(dialog);
    return entry == nullptr ? nullptr : &entry->dialog;
}

FakeControl* Control(HWND dialog, int id) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return ControlOf(EntryOf(dialog), id);
}

void SetScreenSize(int width, int height) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().screenWidth = width;
    State().screenHeight = height;
}

void ScriptDialog(int templateId, UserScript script) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().scripts[templateId].push_back(std::move(script));
}

namespace {

// Sends WM_COMMAND; the procedure runs without the lock, as a real one runs
// outside the window manager.
INT_PTR SendCommand(HWND dialog, WPARAM wParam, LPARAM lParam) {
    DLGPROC proc = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(MachineLock());
        DialogEntry* entry = EntryOf(dialog);
        if (entry == nullptr || entry->dialog.proc == nullptr) {
            return 0;
        }
        proc = entry->dialog.proc;
    }
    return proc(dialog, WM_COMMAND, wParam, lParam);
}

WPARAM Clicked(int id) {
    return static_cast<WPARAM>(static_cast<WORD>(id)); // BN_CLICKED is 0 in the high word
}

} // namespace

INT_PTR Command(HWND dialog, int id) {
    return SendCommand(dialog, static_cast<WPARAM>(id), 0);
}

bool Click(HWND dialog, int id) {
    HWND button = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(MachineLock());
        DialogEntry* entry = ReachableDialog(dialog);
        FakeControl* control = ControlOf(entry, id);
        if (control == nullptr || !control->visible || !control->enabled) {
            return false;
        }
        switch (control->kind) {
        case ControlKind::AutoRadioButton:
            CheckRadioInGroup(entry, id);
            break;
        case ControlKind::Any:
        case ControlKind::PushButton:
        case ControlKind::DefaultPushButton:
            break;
        default:
            return false; // edit boxes, static texts and bars send no click
        }
        button = GetDlgItem(dialog, id);
    }
    SendCommand(dialog, Clicked(id), reinterpret_cast<LPARAM>(button));
    return true;
}

namespace {

// Esc and the close box both reach the procedure as IDCANCEL. The close box
// exists only with a system menu, and the dialog manager ignores it while a
// Cancel button is disabled.
bool SendCancel(HWND dialog, bool fromCloseBox) {
    HWND cancel = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(MachineLock());
        DialogEntry* entry = ReachableDialog(dialog);
        if (entry == nullptr || (fromCloseBox && !entry->dialog.closeBox)) {
            return false;
        }
        FakeControl* control = ControlOf(entry, IDCANCEL);
        if (control != nullptr) {
            if (fromCloseBox && !control->enabled) {
                return false;
            }
            cancel = GetDlgItem(dialog, IDCANCEL);
        }
    }
    SendCommand(dialog, Clicked(IDCANCEL), reinterpret_cast<LPARAM>(cancel));
    return true;
}

} // namespace

bool PressEscape(HWND dialog) {
    return SendCancel(dialog, false);
}

bool PressEnter(HWND dialog) {
    int id = IDOK;
    HWND button = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(MachineLock());
        DialogEntry* entry = ReachableDialog(dialog);
        if (entry == nullptr) {
            return false;
        }
        for (const auto& control : entry->controls) {
            if (control.second.kind == ControlKind::DefaultPushButton) {
                if (!control.second.enabled) {
                    return false; // a disabled default button swallows Enter
                }
                id = control.first;
                button = GetDlgItem(dialog, id);
            }
        }
    }
    SendCommand(dialog, Clicked(id), reinterpret_cast<LPARAM>(button));
    return true;
}

bool ClickCloseBox(HWND dialog) {
    return SendCancel(dialog, true);
}

void SetDialogWaitLimit(int milliseconds) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().waitLimitMs = milliseconds;
}

int DialogTimeouts() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return State().timeouts;
}

std::vector<int> DialogRuns() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return State().runs;
}

HWND LastDialog(int templateId) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    for (auto it = State().windows.rbegin(); it != State().windows.rend(); ++it) {
        if (it->second.control == -1 &&
            State().dialogs[it->second.dialog].dialog.templateId == templateId) {
            return reinterpret_cast<HWND>(it->first);
        }
    }
    return nullptr;
}

bool CommonControlsInitialised() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return State().commonControls;
}

int OpenInfoContexts() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return State().infoContexts;
}

} // namespace fake

using fake::MachineLock;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc,
                               LPARAM initParam) {
    const auto name = reinterpret_cast<std::uintptr_t>(templateName);
    const int templateId = static_cast<int>(name);
    HWND dialog = nullptr;
    fake::UserScript script;
    {
        std::lock_guard<std::recursive_mutex> guard(MachineLock());
        fake::State().runs.push_back(templateId);
        if (fake::CallLogEnabled())
            fake::LogCall("DialogBoxParam " + std::to_string(templateId));
        if (instance != fake::OwnModule() || owner != nullptr || proc == nullptr || name > 0xFFFF ||
            fake::State().missingTemplates.count(templateId) != 0) {
            return -1; // no such template in the module
        }
        auto known = fake::State().templates.find(templateId);
        dialog = fake::CreateFromTemplate(templateId, known == fake::State().templates.end()
                                                          ? fake::DialogTemplate()
                                                          : known->second);
        fake::DialogEntry* entry = fake::EntryOf(dialog);
        entry->dialog.proc = proc;
        entry->dialog.visible = false; // shown by the modal loop once initialised
        auto queued = fake::State().scripts.find(templateId);
        if (queued != fake::State().scripts.end() && !queued->second.empty()) {
            script = std::move(queued->second.front());
            queued->second.pop_front();
        }
    }
    proc(dialog, WM_INITDIALOG, 0, initParam);
    {
        std::lock_guard<std::recursive_mutex> guard(MachineLock());
        fake::DialogEntry* entry = fake::EntryOf(dialog);
        if (!entry->dialog.ended) {
            entry->dialog.visible = true;
        }
    }
    if (script) {
        script(dialog);
    }
    std::unique_lock<std::recursive_mutex> lock(MachineLock());
    // A dialog that another thread ends is waited for, but never forever.
    const bool ended =
        fake::EndedSignal().wait_for(lock, std::chrono::milliseconds(fake::State().waitLimitMs),
                                     [&] { return fake::EntryOf(dialog)->dialog.ended; });
    if (!ended) {
        ++fake::State().timeouts;
        fake::EntryOf(dialog)->dialog.ended = true; // the loop is gone; so is the window
        return -1;
    }
    return fake::EntryOf(dialog)->dialog.result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::DialogEntry* entry = fake::EntryOf(dialog);
    if (entry == nullptr) {
        return FALSE;
    }
    if (fake::CallLogEnabled())
        fake::LogCall("EndDialog " + std::to_string(entry->dialog.templateId) + " " +
                      std::to_string(result));
    ++entry->dialog.endCount;
    if (!entry->dialog.ended) {
        entry->dialog.ended = true;
        entry->dialog.result = result;
        entry->dialog.visible = false;
    }
    fake::EndedSignal().notify_all();
    return TRUE;
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::FakeControl* control = fake::ControlOf(fake::EntryOf(dialog), id);
    if (control == nullptr || text == nullptr) {
        return FALSE;
    }
    if (fake::CallLogEnabled())
        fake::LogCall("SetDlgItemText " + std::to_string(id) + " " + text);
    control->text = text;
    control->texts.push_back(text);
    return TRUE;
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::DialogEntry* entry = fake::EntryOf(window);
    if (entry == nullptr || text == nullptr) {
        return FALSE;
    }
    entry->dialog.caption = text;
    return TRUE;
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    if (fake::CallLogEnabled())
        fake::LogCall("SendDlgItemMessage " + std::to_string(id) + " " + std::to_string(message) +
                      " " + std::to_string(wParam) + " " + std::to_string(lParam));
    fake::FakeControl* control = fake::ControlOf(fake::EntryOf(dialog), id);
    if (control == nullptr) {
        return 0;
    }
    switch (message) {
    case BM_GETCHECK:
        return control->check;
    case BM_SETCHECK:
        control->check = static_cast<int>(wParam);
        return 0;
    case PBM_SETPOS: {
        const int previous = control->position;
        control->position = static_cast<int>(wParam);
        control->positions.push_back(control->position);
        return previous;
    }
    default:
        return 0;
    }
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::WindowRef ref{};
    if (!fake::Resolve(dialog, &ref) || ref.control != -1) {
        return nullptr;
    }
    fake::DialogEntry& entry = fake::State().dialogs[ref.dialog];
    if (fake::ControlOf(&entry, id) == nullptr) {
        return nullptr; // the template has no such control
    }
    auto known = entry.controlWindows.find(id);
    if (known != entry.controlWindows.end()) {
        return reinterpret_cast<HWND>(known->second);
    }
    HWND window = fake::NewWindow(ref.dialog, id);
    entry.controlWindows[id] = reinterpret_cast<std::uintptr_t>(window);
    return window;
}

BOOL WINAPI EnableWindow(HWND window, BOOL enable) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::WindowRef ref{};
    if (!fake::Resolve(window, &ref)) {
        return FALSE;
    }
    if (fake::CallLogEnabled())
        fake::LogCall("EnableWindow " + fake::WindowName(window) + " " + std::to_string(enable));
    bool* enabled = fake::EnabledFlag(ref);
    const bool wasDisabled = !*enabled;
    *enabled = enable != FALSE;
    return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::WindowRef ref{};
    if (!fake::Resolve(window, &ref)) {
        return FALSE;
    }
    if (fake::CallLogEnabled())
        fake::LogCall("ShowWindow " + fake::WindowName(window) + " " + std::to_string(command));
    bool* visible = fake::VisibleFlag(ref);
    const bool wasVisible = *visible;
    *visible = command != SW_HIDE;
    return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::DialogEntry* entry = fake::EntryOf(window);
    if (entry == nullptr || rect == nullptr) {
        return FALSE;
    }
    *rect = entry->dialog.rect;
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::DialogEntry* entry = fake::EntryOf(window);
    if (entry == nullptr) {
        return FALSE;
    }
    entry->dialog.rect = RECT{x, y, x + width, y + height};
    return TRUE;
}

HDC WINAPI CreateICA(LPCSTR driver, LPCSTR device, LPCSTR port, const DEVMODEA* mode) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    if (driver == nullptr || std::string(driver) != "DISPLAY" || device != nullptr ||
        port != nullptr || mode != nullptr) {
        return nullptr;
    }
    ++fake::State().infoContexts;
    return static_cast<HDC>(fake::OpenHandle(fake::HandleKind::InfoContext, 0));
}

int WINAPI GetDeviceCaps(HDC dc, int index) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    if (!fake::LookupHandle(dc, fake::HandleKind::InfoContext, nullptr)) {
        return 0;
    }
    if (index == HORZRES) {
        return fake::State().screenWidth;
    }
    if (index == VERTRES) {
        return fake::State().screenHeight;
    }
    return 0;
}

BOOL WINAPI DeleteDC(HDC dc) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    if (!fake::ReleaseHandle(dc, fake::HandleKind::InfoContext)) {
        return FALSE;
    }
    --fake::State().infoContexts;
    return TRUE;
}

void WINAPI InitCommonControls() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    if (fake::CallLogEnabled())
        fake::LogCall("InitCommonControls");
    fake::State().commonControls = true;
}

LPSTR WINAPI CharUpperA(LPSTR text) {
    for (char* c = text; *c != '\0'; ++c) {
        *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
    }
    return text;
}

int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
    // The platform's formatter never writes more than 1024 bytes.
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(buffer, 1024, format, args);
    va_end(args);
    return written < 1024 ? written : 1023;
}
