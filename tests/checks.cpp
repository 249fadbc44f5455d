// Checks of single functions in this process, against Wine's real APIs; where
// one platform call must fail or be counted, that one import is swapped.
#include "tests/fwtest.h"

#include "connection/connection.h"
#include "discovery/win32/platform_class.h"
#include "discovery/device_route.h"
#include "discovery/printer_search.h"
#include "resources/resource_ids.h"
#include "ui/win32/dialogs.h"

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
            if (*slot == original_) {
                slot_ = slot;
            }
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
    static inline int opens;
    static inline int closes;
    static inline int failingOpen;    // the open that fails, counted from 1
    static inline std::string events; // what the transfer worker did, in order
    static inline decltype(&CreateFileA) open;
    static inline decltype(&CloseHandle) close;
    static inline decltype(&WriteFile) write;
    static inline decltype(&SendDlgItemMessageA) send;
    static inline decltype(&GetVersionExA) version;

    static HANDLE WINAPI Open(LPCSTR path, DWORD access, DWORD share,
                              LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                              HANDLE templateFile) {
        ++opens;
        if (opens == failingOpen) {
            return INVALID_HANDLE_VALUE;
        }
        return open(path, access, share, security, disposition, flags, templateFile);
    }
    static BOOL WINAPI Close(HANDLE handle) {
        ++closes;
        return close(handle);
    }
    static BOOL WINAPI Write(HANDLE file, LPCVOID bytes, DWORD length, LPDWORD written,
                             LPOVERLAPPED overlapped) {
        events += "w" + std::to_string(length) + " ";
        return write(file, bytes, length, written, overlapped);
    }
    static LRESULT WINAPI Send(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == PBM_SETPOS) {
            events += "p" + std::to_string(wParam) + " ";
        }
        return send(dialog, id, message, wParam, lParam);
    }
    static void WINAPI Sleep(DWORD ms) { events += "s" + std::to_string(ms) + " "; }
    static HLOCAL WINAPI NoMemory(UINT, SIZE_T) { return nullptr; }
    // Zero-filled blocks from the top of the address space, above 4 GB for a
    // 64-bit program, as 64-bit Windows places heap blocks.
    static HLOCAL WINAPI HighMemory(UINT, SIZE_T size) {
        return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT | MEM_TOP_DOWN, PAGE_READWRITE);
    }
    static HLOCAL WINAPI HighRelease(HLOCAL block) {
        VirtualFree(block, 0, MEM_RELEASE);
        return nullptr;
    }
    static HANDLE WINAPI NoThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID,
                                  DWORD, LPDWORD) {
        return nullptr;
    }
    static BOOL WINAPI BasicOnly(LPOSVERSIONINFOA record) {
        return record->dwOSVersionInfoSize == sizeof(OSVERSIONINFOA) && version(record);
    }
};

INT_PTR RunProgressDialog() {
    return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, ProgressDialogProc, 0);
}

void ExpectClosed(const char* after) {
    const PrinterConnection* c = AccessConnection(nullptr);
    Expect(c->controlHandle == INVALID_HANDLE_VALUE, "%s: the control handle is open", after);
    Expect(c->writeHandle == INVALID_HANDLE_VALUE, "%s: the write handle is open", after);
    Expect(c->readHandle == INVALID_HANDLE_VALUE, "%s: the read handle is open", after);
}

// What the worker must do with this build's image: write the header, each
// chunk before the bar shows it, the last piece, then 100 and a second.
std::string WorkerEvents() {
    const uint64_t size = Image().size();
    std::string events = "w" + std::to_string(kHeaderSize) + " ";
    uint64_t sent = 0;
    while (size - sent > kChunkSize) {
        sent += kChunkSize;
        events += "w" + std::to_string(kChunkSize) + " p" + std::to_string(sent * 100 / size) + " ";
    }
    return events + "w" + std::to_string(size - sent) + " p100 s1000 ";
}

} // namespace

// Prints the platform code, with the extended version record refused when
// the mode is "basic"; see platforms.txt.
int ClassifyForCheck(const std::string& mode) {
    std::optional<Swap> version;
    if (mode == "basic") {
        version.emplace("kernel32", "GetVersionExA", &Stand::BasicOnly, &Stand::version);
    }
    std::printf("%d\n", ClassifyPlatform());
    return 0;
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
        Expect(CloseConnection() == 1, "closing a fresh record failed");
        Expect(S::closes == 0, "closing a fresh record took %d CloseHandle calls", S::closes);
        ExpectClosed("a fresh record closed");
        Expect(FindPrinter() == 1, "the printer is not found");
        Expect(c->controlHandle == c->writeHandle, "the control handle is not the write handle");
        Expect(c->readHandle != c->writeHandle, "the read handle is the write handle");
        Swap write("kernel32", "WriteFile", &S::Write, &S::write);
        CloseConnection();
        Expect(S::closes == 2, "closing the printer took %d CloseHandle calls, not 2", S::closes);
        Expect(WriteToDevice("x", 1) == 0, "a write to a closed connection succeeded");
        Expect(S::events.empty(), "a closed connection was written to: %s", S::events.c_str());
    }

    // A failed second open of the interface path, or no memory: nothing open.
    // The still-image probe with a device already open opens nothing.
    {
        Swap open("kernel32", "CreateFileA", &S::Open, &S::open);
        Swap close("kernel32", "CloseHandle", &S::Close, &S::close);
        S::opens = 0;
        S::closes = 0;
        S::failingOpen = 2;
        Expect(OpenPrinterClassDevice(c) == 0, "a failed second open found the printer");
        Expect(S::closes == 1, "a failed second open closed %d handles, not 1", S::closes);
        ExpectClosed("a failed second open");
        HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        c->controlHandle = event;
        S::opens = 0;
        Expect(OpenScannerClassDevice(c) == 1, "the probe with a device already open failed");
        Expect(S::opens == 0, "the probe with a device already open opened %d more", S::opens);
        Expect(c->controlHandle == event, "the probe replaced the open device");
        c->controlHandle = INVALID_HANDLE_VALUE;
        CloseHandle(event);
    }
    {
        Swap memory("kernel32", "LocalAlloc", &S::NoMemory);
        Expect(OpenPrinterClassDevice(c) == 0, "a lookup without memory found the printer");
        ExpectClosed("a lookup without memory");
    }
    {
        // A pointer the lookup kept in 32 bits would lead elsewhere.
        Swap allocate("kernel32", "LocalAlloc", &S::HighMemory);
        Swap release("kernel32", "LocalFree", &S::HighRelease);
        Expect(OpenPrinterClassDevice(c) == 1, "the lookup fails with its blocks high up");
        CloseConnection();
    }

    // The worker: the header, each chunk written before the bar shows it, a
    // second on 100, handles released. The still-image printer without a
    // write pipe: nothing written, a failure. Without a worker thread the
    // progress dialog ends with 1 at once (else nothing ends it: it times out).
    {
        Swap write("kernel32", "WriteFile", &S::Write, &S::write);
        Swap send("user32", "SendDlgItemMessageA", &S::Send, &S::send);
        Swap sleep("kernel32", "Sleep", &S::Sleep);
        Expect(RunProgressDialog() == 0, "the worker failed after: %s", S::events.c_str());
        const std::string expected = WorkerEvents();
        Expect(S::events == expected, "the worker did %s, not %s", S::events.c_str(),
               expected.c_str());
        ExpectClosed("a transfer");
        c->useScannerClass = 1;
        c->writePipe = -1;
        S::events.clear();
        Expect(RunProgressDialog() == 1, "a transfer with no write handle succeeded");
        Expect(S::events.empty(), "a transfer with no write handle wrote: %s", S::events.c_str());
        LoadTargetConfig(); // the route and pipes as configured, for what follows
    }
    {
        Swap thread("kernel32", "CreateThread", &S::NoThread);
        Expect(RunProgressDialog() == 1, "without a worker the progress dialog did not end with 1");
    }

    return 0;
}
