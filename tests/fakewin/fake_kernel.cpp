#include "tests/fakewin/fake_kernel.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <strings.h>

namespace fake {
namespace {

struct HandleEntry {
    HandleKind kind;
    std::size_t object;
    bool open;
};

struct KernelState {
    std::uintptr_t nextHandle = 0x1000;
    std::map<std::uintptr_t, HandleEntry> handles;
    int badReleases = 0;
    std::map<void*, std::size_t> heap;
    int allocations = 0;
    int failAllocation = 0;
    std::vector<std::string> calls;
    bool logging = true;
};

KernelState& State() {
    static KernelState state;
    return state;
}

thread_local DWORD t_lastError = 0;

char g_ownModuleImage;
char g_kernel32Image;

} // namespace

std::recursive_mutex& MachineLock() {
    static std::recursive_mutex lock;
    return lock;
}

void ResetMachine() {
    // Threads first: a worker still running must not see a half-reset machine.
    ResetThreads();
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    ResetWindows();
    ResetResources();
    ResetRegistry();
    ResetSetupApi();
    ResetDevices();
    ResetSystem();
    ResetKernel();
}

void ResetKernel() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    KernelState& state = State();
    for (auto& block : state.heap) {
        std::free(block.first);
    }
    const std::uintptr_t next = state.nextHandle; // keep handle values unique across tests
    state = KernelState();
    state.nextHandle = next;
    t_lastError = 0;
}

void* OpenHandle(HandleKind kind, std::size_t object) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    KernelState& state = State();
    const std::uintptr_t value = state.nextHandle;
    state.nextHandle += 4;
    state.handles[value] = HandleEntry{kind, object, true};
    return reinterpret_cast<void*>(value);
}

bool LookupHandle(const void* handle, HandleKind kind, std::size_t* object) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    auto it = State().handles.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == State().handles.end() || !it->second.open || it->second.kind != kind) {
        return false;
    }
    if (object != nullptr) {
        *object = it->second.object;
    }
    return true;
}

bool ReleaseHandle(const void* handle, HandleKind kind) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    auto it = State().handles.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == State().handles.end() || !it->second.open || it->second.kind != kind) {
        ++State().badReleases;
        return false;
    }
    it->second.open = false;
    return true;
}

bool HandleKindOf(const void* handle, HandleKind* kind) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    auto it = State().handles.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == State().handles.end()) {
        return false;
    }
    *kind = it->second.kind;
    return true;
}

int OpenHandleCount(HandleKind kind) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    int count = 0;
    for (const auto& entry : State().handles) {
        count += entry.second.open && entry.second.kind == kind ? 1 : 0;
    }
    return count;
}

int OpenHandleCount() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    int count = 0;
    for (const auto& entry : State().handles) {
        count += entry.second.open ? 1 : 0;
    }
    return count;
}

int BadReleaseCount() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return State().badReleases;
}

int OutstandingHeapBlocks() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return static_cast<int>(State().heap.size());
}

int HeapAllocationCount() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return State().allocations;
}

void FailAllocationNumber(int n) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().failAllocation = n;
}

HMODULE OwnModule() {
    return reinterpret_cast<HMODULE>(&g_ownModuleImage);
}

void LogCall(const std::string& entry) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().calls.push_back(entry);
}

bool CallLogEnabled() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return State().logging;
}

void EnableCallLog(bool enabled) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().logging = enabled;
}

std::vector<std::string> CallLog() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return State().calls;
}

void ClearCallLog() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().calls.clear();
}

HMODULE Kernel32Module() {
    return reinterpret_cast<HMODULE>(&g_kernel32Image);
}

} // namespace fake

using fake::MachineLock;

DWORD WINAPI GetLastError() {
    return fake::t_lastError;
}

void WINAPI SetLastError(DWORD code) {
    fake::t_lastError = code;
}

HLOCAL WINAPI LocalAlloc(UINT flags, std::size_t bytes) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::KernelState& state = fake::State();
    ++state.allocations;
    if (state.failAllocation > 0 && --state.failAllocation == 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // Always a fresh block of its exact size, so the sanitizers see overruns.
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block == nullptr) {
        return nullptr;
    }
    if ((flags & LMEM_ZEROINIT) != 0) {
        std::memset(block, 0, bytes);
    }
    state.heap[block] = bytes;
    return block;
}

HLOCAL WINAPI LocalFree(HLOCAL block) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    if (block == nullptr) {
        return nullptr;
    }
    auto it = fake::State().heap.find(block);
    if (it == fake::State().heap.end()) {
        ++fake::State().badReleases;
        return block; // Windows answers a failed free with the block itself
    }
    fake::State().heap.erase(it);
    std::free(block);
    return nullptr;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    if (name == nullptr) {
        return fake::OwnModule();
    }
    if (strcasecmp(name, "kernel32.dll") == 0) {
        return fake::Kernel32Module();
    }
    return nullptr;
}

BOOL WINAPI CloseHandle(HANDLE object) {
    if (fake::CallLogEnabled())
        fake::LogCall("CloseHandle " + std::to_string(reinterpret_cast<std::uintptr_t>(object)));
    fake::HandleKind kind = fake::HandleKind::File;
    // Only files and threads are closed with CloseHandle; anything else is a fault.
    if (fake::HandleKindOf(object, &kind) && kind == fake::HandleKind::Thread) {
        return fake::ReleaseHandle(object, kind) ? TRUE : FALSE;
    }
    if (fake::ReleaseHandle(object, fake::HandleKind::File)) {
        return TRUE;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
