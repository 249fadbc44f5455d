#include "ui/linux/progress.h"

#include "platform/linux.h"
#include "resources/resource_ids.h"
#include "transfer/linux/transfer_thread.h"
#include "transfer/send_firmware.h"
#include "ui/linux/screen.h"
#include "ui/linux/terminal.h"

#include <cstdio>

namespace {

const uint32_t kBarWidth = 40;

struct ProgressLine {
    bool inPlace; // a terminal: the line is redrawn
    bool drawn;   // a bar has been shown
};

std::string BarOf(uint32_t percent) {
    const uint32_t filled = percent * kBarWidth / 100;
    char text[16];
    std::snprintf(text, sizeof text, "%u %%", percent);
    return "[" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') + "] " + text;
}

} // namespace

void ShowTransferProgress(void* progress, uint32_t percent) {
    ProgressLine* line = static_cast<ProgressLine*>(progress);
    if (line->inPlace) {
        Print("\r" + BarOf(percent));
    } else {
        PrintLine(BarOf(percent));
    }
    line->drawn = true;
}

void HoldFinishedProgress(void*) {
    sleep(1);
}

int RunTransferWithProgress() {
    PrintLine(TableText(IDS_TRANSFERRING));
    ProgressLine line = {OutputIsTerminal(), false};
    const std::string refusal = "\n" + std::string(TerminalTextOf(TerminalText::CannotInterrupt));
    RefuseInterruptsWith(ConvertForTerminal(refusal.data(), refusal.size(), "UTF-8") + "\n");
    const int sent = RunTransferOnWorker(&line);
    AnswerInterrupts();
    if (line.inPlace && line.drawn) {
        PrintLine("");
    }
    return sent;
}
