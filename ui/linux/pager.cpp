#include "ui/linux/pager.h"

#include "platform/linux.h"
#include "ui/linux/terminal.h"

#include <cerrno>
#include <cstdlib>

namespace {

// The shell's status for a command it could not find.
const int kCommandNotFound = 127;

// Starts `argv` (its program looked up on PATH) reading from a pipe, writes
// `text` into it and waits for it. False when it could not be started.
bool RunPager(const char* const argv[], const std::string& text) {
    int ends[2];
    if (pipe(ends) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, ends[0]);
    posix_spawn_file_actions_addclose(&actions, ends[1]);
    // The pager gets back the SIGPIPE this program ignores and the Ctrl-C
    // it holds back.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t pager = 0;
    const int started = posix_spawnp(&pager, argv[0], &actions, &attributes,
                                     const_cast<char* const*>(argv), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[0]);
    if (started == 0) {
        WriteAll(ends[1], text);
    }
    close(ends[1]);
    if (started != 0) {
        return false;
    }
    int status = 0;
    while (waitpid(pager, &status, 0) < 0 && errno == EINTR) {
    }
    return !(WIFEXITED(status) && WEXITSTATUS(status) == kCommandNotFound);
}

} // namespace

bool ShowThroughPager(const std::string& text) {
    const char* pager = std::getenv("PAGER");
    if (pager != nullptr && pager[0] != '\0') {
        const char* const shell[] = {"/bin/sh", "-c", pager, nullptr};
        if (RunPager(shell, text)) {
            return true;
        }
    }
    for (const char* name : {"sensible-pager", "less", "more"}) {
        const char* const command[] = {name, nullptr};
        if (RunPager(command, text)) {
            return true;
        }
    }
    return false;
}
