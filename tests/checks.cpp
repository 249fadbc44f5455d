// Checks of single functions in this process, against Wine's real APIs; where
// one platform call must fail or be counted, that one import is swapped.
#include "tests/fwtest.h"

#include "connection/connection.h"
#include "discovery/win32/platform_class.h"
#include "discovery/device_route.h"
#include "discovery/printer_search.h"
#include "resources/resource_ids.h"
#include "ui/win32/dialogs.h"

#include <cstring>
#include <optional>

namespace {

// Points the slot of this program's import table (writable data) that holds
// `dll`'s `name` at a stand-in while the object lives; `real` receives it.
class Swap {
  public:
    template <typename F> Swap(const char* dll, const char* name, F standIn, F* real = nullptr) {
        original_ = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(dll), name));
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const auto& table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
        for (auto** slot = reinterpret_cast<void**>(base + table.VirtualAddress);
             slot < reinterpret_cast<void**>(base + table.VirtualAddress + table.Size); ++slot) {
            slot_ = *slot == original_ ? slot : slot_;
        }
        *slot_ = reinterpret_cast<void*>(standIn);
        if (real != nullptr) {
            *real = reinterpret_cast<F>(original_);
        }
    }
    ~Swap() { *slot_ = original_; }

  private:
    void* original_;
    void** slot_ = nullptr;
};

struct Stand { // the stand-ins, forwarding to the real functions
    static inline int opens, closes, failingOpen;
    static inline std::string events; // what the transfer worker did, in order
    static inline decltype(&CreateFileA) open;
    static inline decltype(&CloseHandle) close;
    static inline decltype(&WriteFile) write;
    static inline decltype(&SendDlgItemMessageA) send;
    static inline decltype(&GetProcAddress) lookup;
    static inline decltype(&GetVersionExA) version;

    static HANDLE WINAPI Open(LPCSTR n, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES p, DWORD d, DWORD f,
                              HANDLE t) {
        return ++opens == failingOpen ? INVALID_HANDLE_VALUE : open(n, a, s, p, d, f, t);
    }
    static BOOL WINAPI Close(HANDLE h) { return ++closes, close(h); }
    static BOOL WINAPI Write(HANDLE h, LPCVOID b, DWORD n, LPDWORD w, LPOVERLAPPED o) {
        events += "w" + std::to_string(n) + " ";
        return write(h, b, n, w, o);
    }
    static LRESULT WINAPI Send(HWND d, int id, UINT m, WPARAM w, LPARAM l) {
        events += m == PBM_SETPOS ? "p" + std::to_string(w) + " " : "";
        return send(d, id, m, w, l);
    }
    static void WINAPI Sleep(DWORD ms) { events += "s" + std::to_string(ms) + " "; }
    static HLOCAL WINAPI NoMemory(UINT, SIZE_T) { return nullptr; }
    static HANDLE WINAPI NoThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID,
                                  DWORD, LPDWORD) {
        return nullptr;
    }
    static void WINAPI Amd64(LPSYSTEM_INFO info) {
        GetSystemInfo(info);
        info->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    }
    static FARPROC WINAPI Lookup(HMODULE module, LPCSTR name) {
        return std::strcmp(name, "GetNativeSystemInfo")
                   ? lookup(module, name)
                   : reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&Amd64));
    }
    static BOOL WINAPI BasicOnly(LPOSVERSIONINFOA v) {
        return v->dwOSVersionInfoSize == sizeof(OSVERSIONINFOA) && version(v);
    }
};

bool Closed() {
    const PrinterConnection* c = AccessConnection(nullptr);
    return c->controlHandle == INVALID_HANDLE_VALUE && c->writeHandle == INVALID_HANDLE_VALUE &&
           c->readHandle == INVALID_HANDLE_VALUE;
}

} // namespace

// Prints the platform code, the native query answering AMD64 ("amd64"), and
// besides the extended version record refused ("basic"); see platforms.txt.
int ClassifyForCheck(const std::string& mode) {
    std::optional<Swap> lookup, version;
    if (mode != "-") {
        lookup.emplace("kernel32", "GetProcAddress", &Stand::Lookup, &Stand::lookup);
    }
    if (mode == "basic") {
        version.emplace("kernel32", "GetVersionExA", &Stand::BasicOnly, &Stand::version);
    }
    return std::printf("%d\n", ClassifyPlatform()) < 0;
}

int RunChecks() {
    using S = Stand;
    ResetMachine();
    LoadTargetConfig();
    Plug("printer");
    PrinterConnection* c = AccessConnection(nullptr);

    // A fresh record releases nothing; the printer's shared handle is released
    // once; a closed connection never reaches WriteFile (-1 is also this
    // process's own handle).
    {
        Swap close("kernel32", "CloseHandle", &S::Close, &S::close);
        Expect(CloseConnection() && S::closes == 0 && Closed(), "a fresh record released handles");
        Expect(FindPrinter() && c->controlHandle == c->writeHandle &&
                   c->readHandle != c->writeHandle,
               "the printer's handles are not write = control, read apart");
        Swap write("kernel32", "WriteFile", &S::Write, &S::write);
        CloseConnection();
        Expect(S::closes == 2 && WriteToDevice("x", 1) == 0 && S::events.empty(),
               "closing the printer took %d CloseHandle calls, or a closed one was written to",
               S::closes);
    }

    // A failed second open of the interface path, or no memory: nothing open.
    // The still-image probe with a device already open opens nothing.
    {
        Swap open("kernel32", "CreateFileA", &S::Open, &S::open);
        Swap close("kernel32", "CloseHandle", &S::Close, &S::close);
        S::opens = S::closes = 0;
        S::failingOpen = 2;
        Expect(!OpenPrinterClassDevice(c) && S::closes == 1 && Closed(),
               "a failed second open left a handle open");
        HANDLE event = c->controlHandle = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        S::opens = 0;
        Expect(OpenScannerClassDevice(c) == 1 && S::opens == 0 && c->controlHandle == event,
               "the probe with a device already open probed again");
        c->controlHandle = INVALID_HANDLE_VALUE;
        CloseHandle(event);
    }
    {
        Swap memory("kernel32", "LocalAlloc", &S::NoMemory);
        Expect(!OpenPrinterClassDevice(c) && Closed(), "a lookup without memory");
    }

    // The worker: the header, each chunk written before the bar shows it, a
    // second on 100, handles released. The still-image printer without a
    // write pipe: nothing written, a failure. Without a worker thread the
    // progress dialog ends with 1 at once (else nothing ends it: it times out).
    auto progress = [] {
        return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, ProgressDialogProc,
                               0);
    };
    {
        Swap write("kernel32", "WriteFile", &S::Write, &S::write);
        Swap send("user32", "SendDlgItemMessageA", &S::Send, &S::send);
        Swap sleep("kernel32", "Sleep", &S::Sleep);
        const INT_PTR outcome = progress();
        Expect(outcome == 0 && Closed() &&
                   S::events == "w64 w65472 p25 w65472 p51 w65472 p77 w57666 p100 s1000 ",
               "the worker ended with %d after: %s", static_cast<int>(outcome), S::events.c_str());
        c->useScannerClass = 1;
        c->writePipe = -1;
        S::events.clear();
        Expect(progress() == 1 && S::events.empty(), "a transfer with no write handle wrote");
    }
    {
        Swap thread("kernel32", "CreateThread", &S::NoThread);
        Expect(progress() == 1, "without a worker the progress dialog did not end with 1");
    }

    return 0;
}
