#include "tests/fakewin/fake_windows.h"

#include "tests/fakewin/fake_kernel.h"

#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <utility>

namespace fake {
namespace {

struct DialogEntry {
    FakeDialog dialog;
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
    std::map<int, std::pair<int, int>> templateSizes;
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

std::string WindowName(HWND window) {
    WindowRef ref{};
    if (!Resolve(window, &ref)) {
        return "?";
    }
    return ref.control == -1 ? "dialog" : "control" + std::to_string(ref.control);
}

} // namespace

void ResetWindows() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    const std::uintptr_t next = State().nextWindow;
    State() = WindowState();
    State().nextWindow = next;
}

HWND CreateDialogWindow(int templateId) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    WindowState& state = State();
    state.dialogs.emplace_back();
    FakeDialog& dialog = state.dialogs.back().dialog;
    dialog.templateId = templateId;
    auto size = state.templateSizes.find(templateId);
    const int width = size == state.templateSizes.end() ? 400 : size->second.first;
    const int height = size == state.templateSizes.end() ? 200 : size->second.second;
    dialog.rect = RECT{0, 0, width, height};
    return NewWindow(state.dialogs.size() - 1, -1);
}

FakeDialog* Dialog(HWND dialog) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    DialogEntry* entry = EntryOf(dialog);
    return entry == nullptr ? nullptr : &entry->dialog;
}

FakeControl* Control(HWND dialog, int id) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    DialogEntry* entry = EntryOf(dialog);
    return entry == nullptr ? nullptr : &entry->controls[id];
}

void SetTemplateSize(int templateId, int width, int height) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().templateSizes[templateId] = {width, height};
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

INT_PTR Command(HWND dialog, int id) {
    DLGPROC proc = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(MachineLock());
        DialogEntry* entry = EntryOf(dialog);
        if (entry == nullptr || entry->dialog.proc == nullptr) {
            return 0;
        }
        proc = entry->dialog.proc;
    }
    // The procedure runs without the lock, as a real one runs outside the window manager.
    return proc(dialog, WM_COMMAND, static_cast<WPARAM>(id), 0);
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
    const int templateId = static_cast<int>(reinterpret_cast<std::uintptr_t>(templateName));
    HWND dialog = nullptr;
    fake::UserScript script;
    {
        std::lock_guard<std::recursive_mutex> guard(MachineLock());
        fake::State().runs.push_back(templateId);
        fake::LogCall("DialogBoxParam " + std::to_string(templateId));
        if (instance != fake::OwnModule() || owner != nullptr || proc == nullptr ||
            templateId > 0xFFFF) {
            return -1;
        }
        dialog = fake::CreateDialogWindow(templateId);
        fake::EntryOf(dialog)->dialog.proc = proc;
        auto queued = fake::State().scripts.find(templateId);
        if (queued != fake::State().scripts.end() && !queued->second.empty()) {
            script = std::move(queued->second.front());
            queued->second.pop_front();
        }
    }
    proc(dialog, WM_INITDIALOG, 0, initParam);
    if (script) {
        script(dialog);
    }
    std::unique_lock<std::recursive_mutex> lock(MachineLock());
    fake::DialogEntry* entry = fake::EntryOf(dialog);
    // A dialog that another thread ends is waited for, but never forever.
    const bool ended = fake::EndedSignal().wait_for(
        lock, std::chrono::milliseconds(fake::State().waitLimitMs),
        [&] { return fake::EntryOf(dialog)->dialog.ended; });
    if (!ended) {
        ++fake::State().timeouts;
        return -1;
    }
    return entry->dialog.result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::DialogEntry* entry = fake::EntryOf(dialog);
    if (entry == nullptr) {
        return FALSE;
    }
    fake::LogCall("EndDialog " + std::to_string(entry->dialog.templateId) + " " +
                  std::to_string(result));
    ++entry->dialog.endCount;
    if (!entry->dialog.ended) {
        entry->dialog.ended = true;
        entry->dialog.result = result;
    }
    fake::EndedSignal().notify_all();
    return TRUE;
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::FakeControl* control = fake::Control(dialog, id);
    if (control == nullptr) {
        return FALSE;
    }
    fake::LogCall("SetDlgItemText " + std::to_string(id) + " " + text);
    control->text = text;
    control->texts.push_back(text);
    return TRUE;
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::FakeDialog* dialog = fake::Dialog(window);
    if (dialog == nullptr) {
        return FALSE;
    }
    dialog->caption = text;
    return TRUE;
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::LogCall("SendDlgItemMessage " + std::to_string(id) + " " + std::to_string(message) +
                  " " + std::to_string(wParam) + " " + std::to_string(lParam));
    fake::FakeControl* control = fake::Control(dialog, id);
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
    entry.controls[id]; // the template has it
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
    fake::LogCall("EnableWindow " + fake::WindowName(window) + " " + std::to_string(enable));
    fake::DialogEntry& entry = fake::State().dialogs[ref.dialog];
    bool& enabled = ref.control == -1 ? entry.dialog.enabled : entry.controls[ref.control].enabled;
    const bool wasDisabled = !enabled;
    enabled = enable != FALSE;
    return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::WindowRef ref{};
    if (!fake::Resolve(window, &ref)) {
        return FALSE;
    }
    fake::LogCall("ShowWindow " + fake::WindowName(window) + " " + std::to_string(command));
    fake::DialogEntry& entry = fake::State().dialogs[ref.dialog];
    bool& visible = ref.control == -1 ? entry.dialog.visible : entry.controls[ref.control].visible;
    const bool wasVisible = visible;
    visible = command != SW_HIDE;
    return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::FakeDialog* dialog = fake::Dialog(window);
    if (dialog == nullptr || rect == nullptr) {
        return FALSE;
    }
    *rect = dialog->rect;
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::FakeDialog* dialog = fake::Dialog(window);
    if (dialog == nullptr) {
        return FALSE;
    }
    dialog->rect = RECT{x, y, x + width, y + height};
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
