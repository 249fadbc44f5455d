// Core of the fake machine: handle table, last error, heap, modules, call log.
#pragma once

#include "platform/win32.h"

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace fake {

// Every area of the fake takes this lock; the transfer worker runs on a real thread.
std::recursive_mutex& MachineLock();

// Puts the whole machine back to an empty state (every area).
void ResetMachine();

// --- handle table -----------------------------------------------------------
// Handle values are never reused, so closing a handle twice is always seen.
enum class HandleKind { File, Thread, DeviceInfoSet, RegistryKey, InfoContext };

void* OpenHandle(HandleKind kind, std::size_t object);
// True and the object when `handle` is open and of `kind`.
bool LookupHandle(const void* handle, HandleKind kind, std::size_t* object);
// True when `handle` was open and of `kind`; counts a bad release otherwise.
bool ReleaseHandle(const void* handle, HandleKind kind);
int OpenHandleCount(HandleKind kind);
int OpenHandleCount(); // of every kind
// Releases of handles that were not open (closed twice, never opened, wrong kind).
int BadReleaseCount();
// Kind of a handle ever handed out (open or not); false for unknown values.
bool HandleKindOf(const void* handle, HandleKind* kind);

// --- heap (LocalAlloc / LocalFree) -------------------------------------------
int OutstandingHeapBlocks();
int HeapAllocationCount();
// The n-th LocalAlloc from now (1 = the next) fails; 0 turns this off.
void FailAllocationNumber(int n);

// --- modules ----------------------------------------------------------------
// The program's own module, as GetModuleHandleA(nullptr) answers it.
HMODULE OwnModule();
// What GetModuleHandleA("kernel32.dll") answers.
HMODULE Kernel32Module();

// --- call log ---------------------------------------------------------------
// For the few places where the order of calls is the behaviour.
void LogCall(const std::string& entry);
// Logging is on after every reset; a benchmark turns it off so that building
// log entries does not weigh in its figures.
bool CallLogEnabled();
void EnableCallLog(bool enabled);
std::vector<std::string> CallLog();
void ClearCallLog();

// --- per-area resets, called by ResetMachine --------------------------------
void ResetKernel();
void ResetDevices();
void ResetSetupApi();
void ResetRegistry();
void ResetResources();
void ResetWindows();
void ResetThreads();
void ResetSystem();

} // namespace fake
