#include "tests/fakewin/fake_threads.h"

#include "tests/fakewin/fake_kernel.h"

#include <deque>
#include <string>
#include <thread>
#include <utility>

namespace fake {
namespace {

struct ThreadState {
    std::deque<ThreadRecord> records;  // deque: a running thread's record stays put
    std::vector<std::thread> unjoined; // started and not yet joined
    bool failCreation = false;
    std::vector<DWORD> sleeps;
    DWORD nextThreadId = 0x100;
};

ThreadState& State() {
    static ThreadState state;
    return state;
}

} // namespace

void FailThreadCreation(bool fail) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().failCreation = fail;
}

std::vector<ThreadRecord> CreatedThreads() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return {State().records.begin(), State().records.end()};
}

void JoinThreads() {
    // Joined without the machine lock: the threads need it to finish. A thread
    // may start another, so keep going until none is left.
    for (;;) {
        std::vector<std::thread> running;
        {
            std::lock_guard<std::recursive_mutex> guard(MachineLock());
            running.swap(State().unjoined);
        }
        if (running.empty()) {
            return;
        }
        for (std::thread& thread : running) {
            thread.join();
        }
    }
}

std::vector<DWORD> Sleeps() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return State().sleeps;
}

void ResetThreads() {
    JoinThreads();
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    const DWORD nextId = State().nextThreadId;
    State() = ThreadState();
    State().nextThreadId = nextId;
}

} // namespace fake

using fake::MachineLock;

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES security, std::size_t stackSize,
                           LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                           LPDWORD threadId) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::ThreadState& state = fake::State();
    if (state.failCreation || start == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HANDLE handle = fake::OpenHandle(fake::HandleKind::Thread, state.records.size());
    state.records.push_back(fake::ThreadRecord{handle, security != nullptr, stackSize, flags,
                                               threadId != nullptr, false, 0});
    fake::ThreadRecord* record = &state.records.back();
    if (threadId != nullptr) {
        *threadId = state.nextThreadId++;
    }
    if (fake::CallLogEnabled())
        fake::LogCall("CreateThread");
    // The new thread runs at once; it waits for the machine lock only when it
    // first calls into the machine, after this call has returned.
    state.unjoined.emplace_back([record, start, parameter] {
        const DWORD exitCode = start(parameter);
        std::lock_guard<std::recursive_mutex> done(MachineLock());
        record->exitCode = exitCode;
        record->finished = true;
    });
    return handle;
}

void WINAPI Sleep(DWORD milliseconds) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::State().sleeps.push_back(milliseconds);
    if (fake::CallLogEnabled())
        fake::LogCall("Sleep " + std::to_string(milliseconds));
}
