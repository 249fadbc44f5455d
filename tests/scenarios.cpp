// Plays the scenarios of scenarios.txt (the steps are explained there) on a
// machine of registry entries and plain files: every dialog reached is checked
// whole, what each device took is compared with the header and image given.
#include "tests/fwtest.h"

#include "resources/resource_ids.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <sstream>
#include <vector>

namespace {

std::string g_run;  // the scenario: names the screenshot of a failure
std::string g_step; // the step being played, named by a failure

// This build's programs start as the Wine session starts them (wine_command).
const char* const kArch = sizeof(void*) == 8 ? "x64" : "x86";

const std::string kClass = "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

// Capture, device key, instance, driver, hardware IDs ('|' apart). The printer
// reports its IDs in mixed case; its stale instance and the suffixed device
// (the printer's ID with more after it) sort first; the devices that a walk
// on the printing route must pass over sort before all three.
const char* const kDevices[][5] = {
    {"printer", "VID_0E7A&PID_41C5", "6&2B81D3F&0&1", "usbprint",
     "USB\\Vid_0e7a&Pid_41c5&Rev_0100|USB\\Vid_0e7a&Pid_41c5"},
    {"sibling", "VID_0E7A&PID_41C4", "6&2B81D3F&0&2", "usbprint", "USB\\VID_0E7A&PID_41C4"},
    {"usbscan", "VID_0E7A&PID_0001", "5&1C2A7E9&0&3", "usbscan", "USB\\VID_0E7A&PID_0001"},
    {"capitals", "VID_0E7A&PID_0002", "5&1C2A7E9&0&4", "USBPRINT", "USB\\VID_0E7A&PID_0002"},
    {"stale", "VID_0E7A&PID_41C5", "5&0D6E1F&0&9", "usbprint", "USB\\Vid_0e7a&Pid_41c5"},
    {"suffixed", "VID_0E7A&PID_41C5", "5&3A9F2C1&0&7", "usbprint", "USB\\VID_0E7A&PID_41C5&MI_00"}};

const char* const* Named(const std::string& device) {
    for (const auto& entry : kDevices) {
        if (device == entry[0]) {
            return entry;
        }
    }
    Expect(false, "no device %s", device.c_str());
    return nullptr;
}

void Set(const std::string& key, const char* name, DWORD type, const std::string& data) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), name, type, data.c_str(),
                    static_cast<DWORD>(data.size() + 1));
}

std::string InterfaceKey(const char* const* d) {
    return "System\\CurrentControlSet\\Control\\DeviceClasses\\" + kClass + "\\##?#USB#" + d[1] +
           "#" + d[2] + "#" + kClass;
}

// The interface path's name in Wine's device folder, lower case, as Wine opens it.
std::string LinkName(const char* const* d) {
    std::string link = "usb#" + std::string(d[1]) + "#" + d[2] + "#" + kClass;
    CharLowerA(&link[0]);
    return link;
}

void SetLinked(const std::string& device, DWORD linked) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, (InterfaceKey(Named(device)) + "\\#\\Control").c_str(),
                    "Linked", REG_DWORD, &linked, sizeof linked);
}

// A Linux command in C:\devices. Wine starts it itself and gives no handle.
void Spawn(const std::string& command) {
    std::string line = "/bin/bash -c \"" + command + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    const BOOL started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                                        "C:\\devices", &startup, &process);
    Expect(started, "cannot start %s", line.c_str());
}

std::string ReadAll(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    const DWORD size = file == INVALID_HANDLE_VALUE ? 0 : GetFileSize(file, nullptr);
    std::string bytes(size, '\0');
    DWORD read = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    return bytes.substr(0, read);
}

// What a host command writes as its last act, once it is there (or nothing).
std::string WaitForFile(const char* path, int tries, DWORD interval) {
    std::string contents = ReadAll(path);
    for (int i = 0; i < tries && contents.empty(); ++i) {
        Sleep(interval);
        contents = ReadAll(path);
    }
    return contents;
}

// A Linux command that must succeed; it leaves its status to be waited for.
void Host(const std::string& command) {
    DeleteFileA("C:\\devices\\host.status");
    Spawn("(" + command + ") >host.log 2>&1; echo $? >host.status");
    const std::string status = WaitForFile("C:\\devices\\host.status", 1000, 10);
    Expect(status == "0\n", "failed: %s\n%s", command.c_str(),
           ReadAll("C:\\devices\\host.log").c_str());
}

std::wstring Widen(const std::string& bytes, UINT codePage) {
    std::wstring text(bytes.size(), L'\0');
    text.resize(MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                    &text[0], static_cast<int>(text.size())));
    return text;
}

// The whole screen, or the dialog alone.
void Screenshot(const std::string& name, HWND dialog = nullptr) {
    RECT r;
    char crop[64] = "";
    if (dialog != nullptr && GetWindowRect(dialog, &r)) {
        std::snprintf(crop, sizeof crop, " -crop %ldx%ld+%ld+%ld", r.right - r.left,
                      r.bottom - r.top, r.left, r.top);
    }
    Host(std::string("mkdir -p " FWTEST_BUILD_DIR "/shots && import -window root") + crop +
         " " FWTEST_BUILD_DIR "/shots/" + name + ".png");
}

bool g_japanese = false;

bool HasWord(const std::string& step, const char* word) {
    return (" " + step + " ").find(" " + std::string(word) + " ") != std::string::npos;
}

// What the printer must be sent: the header (02 FF 04, the image's size
// least significant byte first) and the image.
std::string Stream() {
    std::string header(kHeaderSize, '\0');
    header[0] = '\x02';
    header[1] = '\xFF';
    header[2] = '\x04';
    for (int i = 0; i < 4; ++i) {
        header[6 + i] = static_cast<char>(Image().size() >> (8 * i));
    }
    return header + Image();
}

// A printer that stops takes the header and, when there is more than one,
// the first chunk: whatever the image, its transfer fails part of the way.
std::size_t StoppedAfter() {
    if (Image().size() > kChunkSize) {
        return kHeaderSize + kChunkSize;
    }
    return kHeaderSize;
}

// The program of `variant`, in a shell that leaves its pid, log and exit code.
void Start(const std::string& step, const std::string& variant) {
    std::string exe = "fwupdater-" + variant + ".exe";
    if (variant == "release") {
        exe = "fwupdater.exe";
    }
    std::string version = "win10";
    if (HasWord(step, "winxp")) {
        version = "winxp";
    }
    RegSetKeyValueA(HKEY_CURRENT_USER, ("Software\\Wine\\AppDefaults\\" + exe).c_str(), "Version",
                    REG_SZ, version.c_str(), static_cast<DWORD>(version.size() + 1));
    // SIGXFSZ ignored: past the limit a write fails, as on a printer gone.
    std::string limit;
    if (HasWord(step, "stop")) {
        limit = "prlimit --fsize=" + std::to_string(StoppedAfter()) + ": ";
    }
    std::string shell = "trap '' XFSZ; ";
    g_japanese = HasWord(step, "ja");
    std::string locale = "C.UTF-8";
    if (g_japanese) {
        locale = "ja_JP.UTF-8";
    }
    shell += "export LANG=" + locale + " LC_ALL=" + locale + " WINEDEBUG=warn+heap; ";
    shell += ". " FWTEST_SOURCE_DIR "/tools/wine-session.sh; ";
    shell += "exec " + limit + "$(wine_command " + kArch + ") '" FWTEST_BUILD_DIR "/" + exe + "'";
    Spawn("(" + shell +
          ") >program.log 2>&1 & echo $! >program.pid; wait $!; echo $? >program.exit");
}

// A dialog is known by a control only it has: the agreement's text, the
// updater's message, the progress bar. WaitDialog waits until it is there
// (or, when not `present`, gone).
HWND FindDialog(int ownControl) {
    HWND dialog = FindWindowExA(nullptr, nullptr, "#32770", nullptr);
    while (dialog != nullptr) {
        if (IsWindowVisible(dialog) && GetDlgItem(dialog, ownControl) != nullptr) {
            return dialog;
        }
        dialog = FindWindowExA(nullptr, dialog, "#32770", nullptr);
    }
    return nullptr;
}

HWND WaitDialog(int ownControl, bool present = true) {
    for (int i = 0; i < 200; ++i) {
        HWND dialog = FindDialog(ownControl);
        if ((dialog != nullptr) == present) {
            return dialog;
        }
        Sleep(50);
    }
    Expect(false, "the dialog with control %d did not %s", ownControl, present ? "come" : "go");
    return nullptr;
}

// WM_GETTEXT to the control itself: an edit control of another process keeps
// its text where GetWindowText cannot reach. Id 0: the dialog's caption.
std::wstring ItemText(HWND dialog, int id) {
    HWND window = id == 0 ? dialog : GetDlgItem(dialog, id);
    std::vector<wchar_t> text(65536);
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 5000, &length);
    return std::wstring(text.data(), length);
}

// Keys and clicks through the X server, as a person's: Wine moves its cursor
// back to the X pointer whenever windows are mapped, so a click it is merely
// told of may land elsewhere.
void Key(const char* keys) {
    Host(std::string("xdotool key --delay 60 ") + keys);
}

void ClickAt(HWND window, LONG x, LONG y) {
    Expect(IsWindowVisible(window), "%d is hidden", GetDlgCtrlID(window));
    Expect(IsWindowEnabled(window), "%d is disabled", GetDlgCtrlID(window));
    Host("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

void Click(HWND button) {
    RECT r;
    GetWindowRect(button, &r);
    ClickAt(button, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// The middle of the close box, found along the caption by hit-testing.
void ClickCloseBox(HWND dialog) {
    RECT r;
    GetWindowRect(dialog, &r);
    const LONG y = r.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    LONG left = r.right;
    LONG right = 0;
    for (LONG x = r.left; x < r.right; ++x) {
        if (SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
            left = std::min(left, x);
            right = x;
        }
    }
    Expect(right > 0, "the dialog has no close box");
    ClickAt(dialog, (left + right) / 2, y);
}

// From texts.txt: ID LANGUAGE "TEXT", where \n stands for a line break.
std::wstring UiText(int id, bool japanese) {
    static const std::string table = ReadAll("Z:" FWTEST_SOURCE_DIR "/tests/texts.txt");
    const std::string language = japanese ? " ja \"" : " en \"";
    const std::string key = "\n" + std::to_string(id) + language;
    const size_t start = table.find(key) + key.size();
    std::string text = table.substr(start, table.find('\n', start) - start);
    text.erase(text.rfind('"'));
    for (size_t at = text.find("\\n"); at != std::string::npos; at = text.find("\\n", at)) {
        text.replace(at, 2, "\n");
    }
    return Widen(text, CP_UTF8);
}

std::string g_photos; // `make run` photographs each dialog reached, names prefixed so

void Photograph(const char* name, HWND dialog) {
    if (!g_photos.empty()) {
        Screenshot(g_photos + name, dialog);
    }
}

// The steps of the scenario `wanted`: the indented lines under its name.
std::string Steps(const std::string& wanted) {
    std::istringstream lines(ReadAll("Z:" FWTEST_SOURCE_DIR "/tests/scenarios.txt"));
    std::string line, name, steps;
    while (std::getline(lines, line)) {
        if (std::isalpha(static_cast<unsigned char>(line[0]))) {
            name = line;
        }
        if (line[0] == ' ' && name == wanted) {
            steps += line + ",";
        }
    }
    return steps;
}

void ExpectText(HWND dialog, int id, const std::wstring& want) {
    const std::wstring got = ItemText(dialog, id);
    Expect(got == want, "control %d shows \"%ls\", not \"%ls\"", id, got.c_str(), want.c_str());
}

void ExpectButton(HWND dialog, int id, int text, bool usable) {
    ExpectText(dialog, id, UiText(text, g_japanese));
    HWND button = GetDlgItem(dialog, id);
    Expect(IsWindowVisible(button) == usable, "button %d is shown: %d", id, !usable);
    Expect(IsWindowEnabled(button) == usable, "button %d is enabled: %d", id, !usable);
}

void ExpectFrame(HWND dialog) {
    ExpectText(dialog, 0, L"TARVELIN chromalux 4410N (72K0030000)");
    RECT r;
    GetWindowRect(dialog, &r);
    const LONG x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    const LONG y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
    Expect(r.left == x, "the dialog's left edge is at %ld, centred it is at %ld", r.left, x);
    Expect(r.top == y, "the dialog's top edge is at %ld, centred it is at %ld", r.top, y);
}

// Leaves a dialog by OK, by its Exit button, by Esc or by its close box; the
// program then ends with exit code 0, and Wine's heap check found nothing.
void Leave(HWND dialog, const std::string& how) {
    if (how == "ok") {
        Key("Return");
    } else if (how == "button") {
        Click(GetDlgItem(dialog, IDCANCEL));
    } else if (how == "esc") {
        Key("Escape");
    } else {
        ClickCloseBox(dialog);
    }
    const std::string code = WaitForFile("C:\\devices\\program.exit", 200, 100);
    DeleteFileA("C:\\devices\\program.exit");
    const std::string log = ReadAll("C:\\devices\\program.log");
    Expect(code == "0\n", "exit code %s", code.c_str());
    Expect(log.find("heap") == std::string::npos, "Wine's heap check:\n%s", log.c_str());
}

void Agreement(const std::string& verb, const std::string& how) {
    HWND dialog = WaitDialog(IDC_AGREEMENT_TEXT);
    ExpectFrame(dialog);
    ExpectText(dialog, IDC_AGREEMENT_PROMPT, UiText(IDS_AGREEMENT_PROMPT, g_japanese));
    ExpectText(dialog, IDC_AGREEMENT_REFUSE, UiText(IDS_AGREEMENT_REFUSE, g_japanese));
    ExpectText(dialog, IDC_AGREEMENT_ACCEPT, UiText(IDS_AGREEMENT_ACCEPT, g_japanese));
    ExpectText(dialog, IDOK, L"OK");
    Expect(IsDlgButtonChecked(dialog, IDC_AGREEMENT_REFUSE), "the refusal is not checked");
    Expect(!IsDlgButtonChecked(dialog, IDC_AGREEMENT_ACCEPT), "\"I accept\" is checked");
    std::wstring agreement = Widen(ReadAll("Z:" FWTEST_EULA_EN), 1252);
    if (g_japanese) {
        agreement = Widen(ReadAll("Z:" FWTEST_EULA_JA), 932);
    }
    Expect(ItemText(dialog, IDC_AGREEMENT_TEXT) == agreement,
           "the box does not show exactly the agreement");
    Photograph("agreement", dialog);
    // "I accept" is chosen before Esc or the close box too: from OK, past the
    // text to the choices, then to the second.
    if (how != "ok") {
        Key("Tab Tab Down");
        Expect(IsDlgButtonChecked(dialog, IDC_AGREEMENT_ACCEPT),
               "Down from the refusal does not choose \"I accept\"");
    }
    if (verb == "accept") {
        Key("Return");
    } else {
        Leave(dialog, how);
    }
}

// Waits until the updater shows the message, then checks all of it.
void Updater(int message, int firstLabel, const char* name) {
    for (int i = 0; i < 100; ++i) {
        HWND dialog = WaitDialog(IDC_UPDATER_MESSAGE);
        const std::wstring shown = ItemText(dialog, IDC_UPDATER_MESSAGE);
        if (IsWindowEnabled(dialog) && shown == UiText(message, g_japanese)) {
            ExpectFrame(dialog);
            ExpectButton(dialog, IDOK, firstLabel, message != IDS_DONE);
            ExpectButton(dialog, IDCANCEL, IDS_BUTTON_EXIT, true);
            Photograph(name, dialog);
            return;
        }
        Sleep(100);
    }
    Expect(false, "the updater never showed \"%ls\"", UiText(message, g_japanese).c_str());
}

bool AtFullProgress(HWND dialog) {
    const LRESULT position = SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0);
    return position == 100 && ItemText(dialog, IDC_PROGRESS_PERCENT) == L"100 %";
}

// Presses the first button and follows the progress dialog to 100 %, where
// the worker waits a second; Esc there changes nothing.
void Transfer() {
    HWND updater = WaitDialog(IDC_UPDATER_MESSAGE);
    Click(GetDlgItem(updater, IDOK));
    HWND dialog = WaitDialog(IDC_PROGRESS_BAR);
    ExpectFrame(dialog);
    ExpectText(dialog, IDC_PROGRESS_MESSAGE, UiText(IDS_TRANSFERRING, g_japanese));
    Expect(!IsWindowVisible(updater), "the updater stays in view");
    Expect(!IsWindowEnabled(updater), "the updater stays enabled");
    for (int i = 0; i < 500 && !AtFullProgress(dialog); ++i) {
        Sleep(10);
    }
    Expect(IsWindowVisible(dialog), "the progress dialog closed before 100 %%");
    Photograph("progress", dialog);
    Key("Escape");
    WaitDialog(IDC_PROGRESS_BAR, false);
}

// The header and the image, the part a stopped printer took, or nothing.
void ExpectReceived(const std::string& device, const std::string& amount) {
    std::string want;
    if (amount == "all") {
        want = Stream();
    } else if (amount == "stopped") {
        want = Stream().substr(0, StoppedAfter());
    }
    const std::string got = ReadAll("C:\\devices\\" + device + ".bin");
    Expect(got.size() == want.size(), "%s took %zu bytes, not %zu", device.c_str(), got.size(),
           want.size());
    const auto differ = std::mismatch(got.begin(), got.end(), want.begin());
    Expect(differ.first == got.end(), "%s took other bytes from byte %zu on", device.c_str(),
           static_cast<size_t>(differ.first - got.begin()));
}

// No program holds the device open: an exclusive open of its interface path
// succeeds, which Wine, as Windows, refuses while any other handle is open.
void ExpectFree(const std::string& device) {
    const std::string path = "\\\\?\\" + LinkName(Named(device));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = GetLastError();
    Expect(file != INVALID_HANDLE_VALUE, "%s is held open (error %lu)", device.c_str(), error);
    CloseHandle(file);
}

void Play(const std::string& step) {
    std::istringstream words(step);
    std::string verb, what, how;
    words >> verb >> what >> how;
    if (verb == "plug") {
        Plug(what);
    } else if (verb == "unplug") {
        SetLinked(what, 0); // the device key stays
    } else if (verb == "lift") {
        Host("prlimit --pid $(cat program.pid) --fsize=unlimited && : >printer.bin");
    } else if (verb == "reset") {
        ResetMachine();
    } else if (verb == "start") {
        Start(step, what);
    } else if (verb == "refuse" || verb == "accept") {
        Agreement(verb, what);
    } else if (verb == "ready") {
        Updater(IDS_READY, IDS_BUTTON_TRANSFER, "ready");
    } else if (verb == "notfound") {
        Updater(IDS_NOT_FOUND, IDS_BUTTON_RETRY, "notfound");
    } else if (verb == "failed") {
        Updater(IDS_FAILED, IDS_BUTTON_RETRY, "failed");
    } else if (verb == "done" && what == "retry") {
        Updater(IDS_DONE, IDS_BUTTON_RETRY, "done"); // its hidden first button still reads Retry
    } else if (verb == "done") {
        Updater(IDS_DONE, IDS_BUTTON_TRANSFER, "done");
    } else if (verb == "press") {
        Click(GetDlgItem(WaitDialog(IDC_UPDATER_MESSAGE), IDOK));
    } else if (verb == "wait") {
        Sleep(1000);
    } else if (verb == "transfer") {
        Transfer();
    } else if (verb == "free") {
        ExpectFree(what);
    } else if (verb == "got") {
        ExpectReceived(what, how);
    } else if (verb == "exit") {
        Leave(WaitDialog(IDC_UPDATER_MESSAGE), what);
    } else {
        Expect(step.empty(), "unknown step \"%s\"", step.c_str());
    }
}

} // namespace

const std::string& Image() {
    static const std::string image = ReadAll("Z:" FWTEST_FIRMWARE);
    return image;
}

void Expect(bool ok, const char* format, ...) {
    static bool failing = false;
    if (ok) {
        return;
    }
    if (!g_step.empty()) {
        std::fprintf(stderr, "%s, at \"%s\": ", g_run.c_str(), g_step.c_str());
    }
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    if (!failing && g_run != "checks") { // the checks may have Sleep swapped
        failing = true;
        Screenshot("FAIL-" + g_run);
    }
    ExitProcess(1);
}

void ResetMachine() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Enum\\USB");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE,
                   ("System\\CurrentControlSet\\Control\\DeviceClasses\\" + kClass).c_str());
    Host("kill $(cat program.pid 2>/dev/null) 2>/dev/null; rm -f *.bin program.*");
}

void Plug(const std::string& device) {
    const char* const* d = Named(device);
    const std::string instance = std::string("USB\\") + d[1] + "\\" + d[2];
    const std::string key = "System\\CurrentControlSet\\Enum\\" + instance;
    std::string ids = std::string(d[4]) + "|";
    std::replace(ids.begin(), ids.end(), '|', '\0');
    Set(key, "HardwareID", REG_MULTI_SZ, ids);
    Set(key, "ClassGUID", REG_SZ, "{36fc9e60-c465-11cf-8056-444553540000}");
    Set(key, "Service", REG_SZ, d[3]);
    Set(InterfaceKey(d), "DeviceInstance", REG_SZ, instance);
    SetLinked(device, device != "stale");
    Host("touch -a " + device + ".bin && ln -sfn ../drive_c/devices/" + device +
         ".bin '../../dosdevices/" + LinkName(d) + "'");
}

// fwtest checks | platform MODE | scenario NAME [PHOTOGRAPH-PREFIX]
int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX); // a crash ends the run
    CreateDirectoryA("C:\\devices", nullptr); // the captures, where host commands run
    const std::string command = argc > 1 ? argv[1] : "";
    g_run = argc > 2 ? argv[2] : "checks";
    g_photos = argc > 3 ? argv[3] : "";
    if (command == "platform") {
        return ClassifyForCheck(g_run);
    }
    if (command != "scenario") {
        return RunChecks();
    }
    const std::string steps = Steps(g_run);
    Expect(!steps.empty(), "no scenario %s", g_run.c_str());
    ResetMachine();
    std::istringstream list(steps);
    while (std::getline(list >> std::ws, g_step, ',')) {
        Play(g_step);
    }
    return 0;
}
