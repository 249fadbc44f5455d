// Threads of the fake machine: CreateThread starts a real thread, so a worker
// talks to the dialogs from another thread as it does on Windows; Sleep is
// recorded, never slept.
#pragma once

#include "platform/win32.h"

#include <cstddef>
#include <vector>

namespace fake {

struct ThreadRecord {
    HANDLE handle; // as CreateThread returned it (a kernel handle of kind Thread)
    bool hadSecurity;
    std::size_t stackSize;
    DWORD flags;
    bool hadThreadId; // the caller passed somewhere to put the thread's id
    bool finished;
    DWORD exitCode; // once finished
};

// While set, CreateThread fails (NULL, last error ERROR_NOT_ENOUGH_MEMORY).
void FailThreadCreation(bool fail);
// Every thread CreateThread started, in order.
std::vector<ThreadRecord> CreatedThreads();
// Waits until every started thread has returned (also threads they started).
void JoinThreads();
// Every Sleep, in order, in milliseconds.
std::vector<DWORD> Sleeps();

} // namespace fake
