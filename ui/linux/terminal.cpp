#include "ui/linux/terminal.h"

#include "platform/linux.h"

#include <clocale>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

enum class InterruptMode { Answer, Pager, Refuse };

const char* g_codeset = "UTF-8";
volatile sig_atomic_t g_mode = static_cast<sig_atomic_t>(InterruptMode::Answer);
volatile sig_atomic_t g_interrupted = 0;
std::string g_refusal; // written from the handler: set before the mode says so

void OnInterrupt(int) {
    const InterruptMode mode = static_cast<InterruptMode>(g_mode);
    if (mode == InterruptMode::Refuse) {
        const ssize_t ignored = write(STDOUT_FILENO, g_refusal.data(), g_refusal.size());
        static_cast<void>(ignored);
        return;
    }
    if (mode == InterruptMode::Answer) {
        g_interrupted = 1;
    }
}

const char* FirstSetLocaleVariable() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') {
            return value;
        }
    }
    return "";
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

} // namespace

bool SetUpTerminal() {
    // Without the locale installed, the text is left in UTF-8, what nearly
    // every terminal takes today, rather than reduced to ASCII.
    if (std::setlocale(LC_ALL, "") != nullptr) {
        g_codeset = nl_langinfo(CODESET);
    }
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: a read waiting for a line ends with EINTR
    sigaction(SIGINT, &action, nullptr);
    // A pager quit before the whole agreement was written, or output piped
    // into a program that stopped reading, must not end the updater.
    signal(SIGPIPE, SIG_IGN);
    return std::strncmp(FirstSetLocaleVariable(), "ja", 2) == 0;
}

bool OutputIsTerminal() {
    return isatty(STDOUT_FILENO) == 1;
}

std::string ConvertForTerminal(const char* bytes, std::size_t size, const char* encoding) {
    // CR LF line ends (the agreement's) become the terminal's LF.
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        const bool lineEnd = bytes[i] == '\r' && i + 1 < size && bytes[i + 1] == '\n';
        if (!lineEnd) {
            text.push_back(bytes[i]);
        }
    }
    if (std::strcmp(encoding, g_codeset) == 0) {
        return text;
    }
    iconv_t converter = iconv_open(g_codeset, encoding);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return text;
    }
    std::vector<char> out(text.size() * 4 + 16);
    char* in = &text[0];
    std::size_t inLeft = text.size();
    char* next = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(converter, &in, &inLeft, &next, &outLeft) != static_cast<std::size_t>(-1)) {
            continue;
        }
        if (errno != EILSEQ || outLeft == 0) {
            break;
        }
        // A character the terminal cannot show becomes '?'.
        ++in;
        --inLeft;
        *next++ = '?';
        --outLeft;
    }
    iconv_close(converter);
    return std::string(out.data(), next);
}

void Print(const std::string& utf8) {
    WriteAll(STDOUT_FILENO, ConvertForTerminal(utf8.data(), utf8.size(), "UTF-8"));
}

void PrintError(const std::string& utf8) {
    WriteAll(STDERR_FILENO, ConvertForTerminal(utf8.data(), utf8.size(), "UTF-8"));
}

void PrintEncoded(const char* bytes, std::size_t size, const char* encoding) {
    WriteAll(STDOUT_FILENO, ConvertForTerminal(bytes, size, encoding));
}

bool ReadLine(std::string* line) {
    line->clear();
    g_interrupted = 0;
    for (;;) {
        char c = 0;
        const ssize_t got = read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR && !g_interrupted) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        if (c == '\n') {
            return true;
        }
        if (c != '\r') {
            line->push_back(c);
        }
    }
}

void RefuseInterruptsWith(const std::string& refusal) {
    g_refusal = refusal;
    g_mode = static_cast<sig_atomic_t>(InterruptMode::Refuse);
}

void LeaveInterruptsToPager(bool pagerRunning) {
    InterruptMode mode = InterruptMode::Answer;
    if (pagerRunning) {
        mode = InterruptMode::Pager;
    }
    g_mode = static_cast<sig_atomic_t>(mode);
}

void AnswerInterrupts() {
    g_mode = static_cast<sig_atomic_t>(InterruptMode::Answer);
}
