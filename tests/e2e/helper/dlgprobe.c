// Reads and presses the program's dialogs from another process in the same
// Wine prefix, so the harness can check what a person would see exactly.
// The three dialogs share one caption; each is told apart by a control only
// it owns: 146 agreement, 110 updater, 114 progress. Output is one JSON
// object per line, texts in UTF-8.
//
//   dlgprobe dump                      every dialog with all its controls
//   dlgprobe click <kind> <control>    BM_CLICK on a visible, enabled button
//   dlgprobe closebox <kind>           screen point on the close box
//   dlgprobe watch <milliseconds>      follows the progress dialog until it
//                                      closes: one line per change
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "json_out.h"

#define MAX_DIALOGS 16
#define REPLY_TIMEOUT_MS 2000

typedef struct {
    HWND windows[MAX_DIALOGS];
    int count;
} DialogList;

static BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
    DialogList* list = (DialogList*)param;
    WCHAR className[16];
    if (GetClassNameW(window, className, 16) && !wcscmp(className, L"#32770") &&
        list->count < MAX_DIALOGS)
        list->windows[list->count++] = window;
    return TRUE;
}

static const char* KindOf(HWND dialog) {
    if (GetDlgItem(dialog, 146))
        return "agreement";
    if (GetDlgItem(dialog, 110))
        return "updater";
    if (GetDlgItem(dialog, 114))
        return "progress";
    return "other";
}

static HWND FindDialog(const char* kind) {
    DialogList list = {{0}, 0};
    EnumWindows(CollectDialog, (LPARAM)&list);
    for (int i = 0; i < list.count; ++i)
        if (!strcmp(KindOf(list.windows[i]), kind))
            return list.windows[i];
    return NULL;
}

static void PutJsonString(const WCHAR* text) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, NULL, 0, NULL, NULL);
    char* utf8 = malloc(bytes > 0 ? bytes : 1);
    utf8[0] = 0;
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, bytes, NULL, NULL);
    PrintJsonString(utf8);
    free(utf8);
}

#define TEXT_CAPACITY 65536

// WM_GETTEXT sent to the window itself: an edit control keeps its text
// where GetWindowText from another process cannot see it. One message with
// room for any text these dialogs hold, so a text that changes meanwhile is
// read whole, old or new.
static WCHAR* WindowText(HWND window) {
    WCHAR* text = calloc(TEXT_CAPACITY, sizeof(WCHAR));
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, TEXT_CAPACITY - 1, (LPARAM)text, SMTO_ABORTIFHUNG,
                        REPLY_TIMEOUT_MS, &copied);
    return text;
}

// The same text through the ANSI interface, as hex: the bytes the program
// itself handles in the system's ANSI code page.
static void PutAnsiHex(HWND window) {
    char* text = calloc(TEXT_CAPACITY, 1);
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, TEXT_CAPACITY - 1, (LPARAM)text, SMTO_ABORTIFHUNG,
                        REPLY_TIMEOUT_MS, &copied);
    putchar('"');
    for (const unsigned char* c = (const unsigned char*)text; *c; ++c)
        printf("%02x", *c);
    putchar('"');
    free(text);
}

static void PutWindowState(HWND window) {
    printf("\"visible\": %d, \"enabled\": %d", IsWindowVisible(window) ? 1 : 0,
           IsWindowEnabled(window) ? 1 : 0);
}

static BOOL CALLBACK PutControl(HWND control, LPARAM param) {
    int* first = (int*)param;
    WCHAR className[64] = {0};
    GetClassNameW(control, className, 64);
    printf("%s{\"id\": %d, \"class\": ", *first ? "" : ", ", GetDlgCtrlID(control));
    PutJsonString(className);
    printf(", ");
    PutWindowState(control);
    printf(", \"text\": ");
    WCHAR* text = WindowText(control);
    PutJsonString(text);
    free(text);
    printf(", \"ansi\": ");
    PutAnsiHex(control);
    DWORD_PTR answer = 0;
    if (!_wcsicmp(className, L"Button")) {
        SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, REPLY_TIMEOUT_MS,
                            &answer);
        printf(", \"check\": %d", (int)answer);
    } else if (!_wcsicmp(className, L"Edit")) {
        SendMessageTimeoutW(control, EM_GETFIRSTVISIBLELINE, 0, 0, SMTO_ABORTIFHUNG,
                            REPLY_TIMEOUT_MS, &answer);
        printf(", \"first_line\": %d", (int)answer);
        SendMessageTimeoutW(control, EM_GETLINECOUNT, 0, 0, SMTO_ABORTIFHUNG, REPLY_TIMEOUT_MS,
                            &answer);
        printf(", \"lines\": %d", (int)answer);
    } else if (!_wcsicmp(className, L"msctls_progress32")) {
        SendMessageTimeoutW(control, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, REPLY_TIMEOUT_MS, &answer);
        printf(", \"pos\": %d", (int)answer);
    }
    printf("}");
    *first = 0;
    return TRUE;
}

static void PutDialog(HWND dialog) {
    RECT rect;
    GetWindowRect(dialog, &rect);
    printf("{\"kind\": \"%s\", \"hwnd\": \"%p\", \"caption\": ", KindOf(dialog), (void*)dialog);
    WCHAR* caption = WindowText(dialog);
    PutJsonString(caption);
    free(caption);
    printf(", ");
    PutWindowState(dialog);
    GUITHREADINFO thread;
    ZeroMemory(&thread, sizeof(thread));
    thread.cbSize = sizeof(thread);
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, NULL), &thread);
    int focus = thread.hwndFocus && GetParent(thread.hwndFocus) == dialog
                    ? GetDlgCtrlID(thread.hwndFocus)
                    : -1;
    printf(", \"active\": %d, \"focus\": %d", thread.hwndActive == dialog ? 1 : 0, focus);
    printf(", \"rect\": [%ld, %ld, %ld, %ld], \"screen\": [%d, %d], \"controls\": [", rect.left,
           rect.top, rect.right, rect.bottom, GetSystemMetrics(SM_CXSCREEN),
           GetSystemMetrics(SM_CYSCREEN));
    int first = 1;
    EnumChildWindows(dialog, PutControl, (LPARAM)&first);
    printf("]}\n");
}

static int Dump(void) {
    DialogList list = {{0}, 0};
    EnumWindows(CollectDialog, (LPARAM)&list);
    for (int i = 0; i < list.count; ++i)
        PutDialog(list.windows[i]);
    printf("{\"dialogs\": %d}\n", list.count);
    return 0;
}

static int Refuse(const char* reason) {
    printf("{\"clicked\": 0, \"reason\": \"%s\"}\n", reason);
    return 1;
}

// A person can press only a button they can see and reach.
static int Click(const char* kind, int id) {
    HWND dialog = FindDialog(kind);
    if (!dialog)
        return Refuse("no such dialog");
    HWND button = GetDlgItem(dialog, id);
    if (!button)
        return Refuse("no such control");
    if (!IsWindowVisible(dialog) || !IsWindowEnabled(dialog))
        return Refuse("dialog not usable");
    if (!IsWindowVisible(button) || !IsWindowEnabled(button))
        return Refuse("button not usable");
    if (!PostMessageW(button, BM_CLICK, 0, 0))
        return Refuse("post failed");
    printf("{\"clicked\": 1}\n");
    return 0;
}

// A screen point on the dialog's close box, found by asking the dialog
// itself which part of its frame each point of the caption row is.
static int CloseBox(const char* kind) {
    HWND dialog = FindDialog(kind);
    if (!dialog)
        return Refuse("no such dialog");
    RECT rect;
    GetWindowRect(dialog, &rect);
    LONG y = rect.top + GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    LONG first = -1, last = -1;
    for (LONG x = rect.right - 1; x > rect.left && x > rect.right - 100; --x) {
        DWORD_PTR hit = 0;
        SendMessageTimeoutW(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG,
                            REPLY_TIMEOUT_MS, &hit);
        if (hit == HTCLOSE) {
            if (last < 0)
                last = x;
            first = x;
        } else if (last >= 0)
            break;
    }
    if (last >= 0) {
        printf("{\"x\": %ld, \"y\": %ld}\n", (first + last) / 2, y);
        return 0;
    }
    return Refuse("no close box");
}

// Converts into room bytes; returns the length without the terminator.
static int AppendUtf8(char* to, int room, const WCHAR* text) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, to, room, NULL, NULL);
    if (bytes <= 0) {
        to[0] = 0;
        return 0;
    }
    return bytes - 1;
}

// Polls fast enough to see every position of a bar that moves once per
// device write; prints the progress dialog's state and the updater's
// visibility each time any of them changes.
static int Watch(DWORD milliseconds) {
    DWORD start = GetTickCount();
    int seen = 0;
    char last[2048] = "";
    while (GetTickCount() - start < milliseconds) {
        HWND progress = FindDialog("progress");
        if (!progress) {
            if (seen) {
                printf("{\"closed\": 1, \"ms\": %lu}\n", GetTickCount() - start);
                return 0;
            }
            Sleep(2);
            continue;
        }
        seen = 1;
        DWORD_PTR position = 0;
        SendMessageTimeoutW(GetDlgItem(progress, 114), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG,
                            REPLY_TIMEOUT_MS, &position);
        WCHAR* percent = WindowText(GetDlgItem(progress, 111));
        WCHAR* message = WindowText(GetDlgItem(progress, 112));
        HWND updater = FindDialog("updater");
        char state[2048];
        int n = AppendUtf8(state, 256, percent);
        state[n++] = '|';
        n += AppendUtf8(state + n, 1024, message);
        snprintf(state + n, sizeof(state) - n, "|%d|%d|%d|%d", (int)position,
                 IsWindowVisible(progress) ? 1 : 0, updater && IsWindowVisible(updater) ? 1 : 0,
                 updater && IsWindowEnabled(updater) ? 1 : 0);
        if (strcmp(state, last)) {
            strcpy(last, state);
            printf("{\"ms\": %lu, \"pos\": %d, \"percent\": ", GetTickCount() - start,
                   (int)position);
            PutJsonString(percent);
            printf(", \"message\": ");
            PutJsonString(message);
            printf(", \"progress_visible\": %d, \"updater_visible\": %d, "
                   "\"updater_enabled\": %d}\n",
                   IsWindowVisible(progress) ? 1 : 0, updater && IsWindowVisible(updater) ? 1 : 0,
                   updater && IsWindowEnabled(updater) ? 1 : 0);
        }
        free(percent);
        free(message);
        Sleep(2);
    }
    printf("{\"closed\": 0, \"seen\": %d}\n", seen);
    return 1;
}

int main(int argc, char** argv) {
    setvbuf(stdout, NULL, _IOFBF, 1 << 16);
    int result = 2;
    if (argc == 2 && !strcmp(argv[1], "dump"))
        result = Dump();
    else if (argc == 4 && !strcmp(argv[1], "click"))
        result = Click(argv[2], atoi(argv[3]));
    else if (argc == 3 && !strcmp(argv[1], "closebox"))
        result = CloseBox(argv[2]);
    else if (argc == 3 && !strcmp(argv[1], "watch")) {
        setvbuf(stdout, NULL, _IONBF, 0);
        result = Watch((DWORD)strtoul(argv[2], NULL, 10));
    } else
        fprintf(stderr, "usage: dlgprobe dump | click <kind> <control> | closebox <kind> | "
                        "watch <ms>\n");
    fflush(stdout);
    return result;
}
