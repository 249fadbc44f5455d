#include "ui/linux/terminal.h"

#include "platform/linux.h"

#include <cerrno>
#include <clocale>
#include <cstdlib>

namespace {

const int kDefaultColumns = 80;

volatile sig_atomic_t g_interrupted = 0;
// The main thread's signal mask while it waits: Ctrl-C let through. At any
// other time it is held back, so it can only arrive while a wait can see it.
sigset_t g_waitingMask;
termios g_keys = {};
bool g_keysIgnored = false;
const char* g_codeset = "UTF-8";

void OnInterrupt(int) {
    g_interrupted = 1;
}

} // namespace

void SetUpTerminal() {
    // Without the locale installed, the text is left in UTF-8, what nearly
    // every terminal takes today, rather than reduced to ASCII.
    if (std::setlocale(LC_ALL, "") == nullptr) {
        std::setlocale(LC_CTYPE, "C.UTF-8");
    }
    g_codeset = nl_langinfo(CODESET);
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    pthread_sigmask(SIG_BLOCK, &interrupt, &g_waitingMask);
    // A pager quit before the whole agreement was written, or output piped
    // into a program that stopped reading, must not end the updater.
    signal(SIGPIPE, SIG_IGN);
}

const char* LocaleName() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') {
            return value;
        }
    }
    return "";
}

const char* TerminalCodeset() {
    return g_codeset;
}

bool IsTerminal(int fd) {
    return isatty(fd) == 1;
}

int TerminalColumns(int fd) {
    winsize size = {};
    if (ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    const char* columns = std::getenv("COLUMNS");
    if (columns != nullptr && std::atoi(columns) > 0) {
        return std::atoi(columns);
    }
    return kDefaultColumns;
}

void WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        done += static_cast<std::size_t>(written);
    }
}

bool ReadLine(std::string* line) {
    line->clear();
    for (;;) {
        if (!WaitForInput(STDIN_FILENO)) {
            return false;
        }
        char c = 0;
        const ssize_t got = read(STDIN_FILENO, &c, 1);
        if (got <= 0) {
            return false;
        }
        if (c == '\n') {
            // A terminal has echoed the Enter; from a pipe, the prompt's line ends here.
            if (!IsTerminal(STDIN_FILENO)) {
                WriteAll(STDOUT_FILENO, "\n");
            }
            return true;
        }
        if (c != '\r') {
            line->push_back(c);
        }
    }
}

void IgnoreKeys() {
    g_keysIgnored = tcgetattr(STDIN_FILENO, &g_keys) == 0;
    if (!g_keysIgnored) {
        return;
    }
    termios silent = g_keys;
    silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &silent);
}

void TakeKeysAgain() {
    if (!g_keysIgnored) {
        return;
    }
    tcflush(STDIN_FILENO, TCIFLUSH);
    tcsetattr(STDIN_FILENO, TCSANOW, &g_keys);
    g_keysIgnored = false;
}

bool WaitForInput(int fd) {
    for (;;) {
        if (TakeInterrupt()) {
            return false;
        }
        pollfd input = {fd, POLLIN, 0};
        if (ppoll(&input, 1, nullptr, &g_waitingMask) >= 0 || errno != EINTR) {
            return true;
        }
    }
}

void ForgetInterrupts() {
    // A Ctrl-C held back arrives while the mask lets it through, and is forgotten.
    sigset_t holding;
    pthread_sigmask(SIG_SETMASK, &g_waitingMask, &holding);
    pthread_sigmask(SIG_SETMASK, &holding, nullptr);
    TakeInterrupt();
}

bool TakeInterrupt() {
    const bool interrupted = g_interrupted != 0;
    g_interrupted = 0;
    return interrupted;
}
