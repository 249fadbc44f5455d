#include "ui/linux/progress.h"

#include "platform/linux.h"
#include "resources/resource_ids.h"
#include "transfer/linux/transfer_thread.h"
#include "transfer/send_firmware.h"
#include "ui/linux/screen.h"
#include "ui/linux/terminal.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

const int kPlainBarWidth = 40;
const int kNarrowestTerminal = 20;
// "[", then "] 100 %" after the bar.
const int kAroundBar = 8;

// The worker hands each percentage to the main thread through a pipe, one
// byte each; the main thread alone writes to the terminal.
struct ProgressLine {
    bool inPlace; // a terminal: the line is redrawn
    int fromWorker;
    int toScreen;
    uint32_t percent;
};

std::string BarOf(uint32_t percent, int width, const char* format) {
    const uint32_t filled = percent * static_cast<uint32_t>(width) / 100;
    char text[16];
    std::snprintf(text, sizeof text, format, percent);
    return "[" + std::string(filled, '#') + std::string(width - filled, ' ') + "] " + text;
}

// The line stops short of the terminal's last column, which would wrap it.
int InPlaceBarWidth() {
    return std::max(TerminalColumns(STDOUT_FILENO), kNarrowestTerminal) - 1 - kAroundBar;
}

void Draw(const ProgressLine& line) {
    if (line.inPlace) {
        Show("\r" + BarOf(line.percent, InPlaceBarWidth(), "%3u %%"));
    } else {
        Say(BarOf(line.percent, kPlainBarWidth, "%u %%"));
    }
}

// The refusal takes the bar's line; the bar goes on below it.
void RefuseInterrupt(const ProgressLine& line) {
    if (line.inPlace) {
        Show("\r" + std::string(InPlaceBarWidth() + kAroundBar, ' ') + "\r");
    }
    Say(TextOf(TerminalText::CannotInterrupt));
    if (line.inPlace) {
        Draw(line);
    }
}

} // namespace

void ShowTransferProgress(void* progress, uint32_t percent) {
    const ProgressLine* line = static_cast<ProgressLine*>(progress);
    const uint8_t byte = static_cast<uint8_t>(percent);
    while (write(line->toScreen, &byte, 1) < 0 && errno == EINTR) {
    }
}

void HoldFinishedProgress(void*) {
    sleep(1);
}

void EndTransferProgress(void* progress) {
    ProgressLine* line = static_cast<ProgressLine*>(progress);
    close(line->toScreen);
    line->toScreen = -1;
}

void WatchTransferProgress(void* progress) {
    ProgressLine* line = static_cast<ProgressLine*>(progress);
    for (;;) {
        if (!WaitForInput(line->fromWorker)) {
            RefuseInterrupt(*line);
            continue;
        }
        uint8_t percent = 0;
        const ssize_t got = read(line->fromWorker, &percent, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got != 1) {
            return; // the worker has ended the transfer
        }
        line->percent = percent;
        Draw(*line);
    }
}

int RunTransferWithProgress() {
    Say(TableText(IDS_TRANSFERRING));
    int ends[2];
    if (pipe(ends) != 0) {
        return 0;
    }
    ProgressLine line = {IsTerminal(STDOUT_FILENO), ends[0], ends[1], 0};
    IgnoreKeys();
    if (line.inPlace) {
        Draw(line);
    }
    const int sent = RunTransferOnWorker(&line);
    TakeKeysAgain();
    close(line.fromWorker);
    if (line.toScreen >= 0) {
        close(line.toScreen);
    }
    if (line.inPlace) {
        Say("");
    }
    return sent;
}
