// The updater in the terminal: the dialog's message and buttons as lines,
// Enter for the first button and q for Exit.
#include "ui/linux/screen.h"

#include "discovery/linux/open_problem.h"
#include "resources/resource_ids.h"
#include "ui/linux/progress.h"
#include "ui/linux/terminal.h"
#include "ui/updater_flow.h"

namespace {

const int kExitSent = 0;
const int kExitNotSent = 1;

// What the dialog never had to say: the printer is there but cannot be had.
void PrintOpenProblem() {
    const OpenProblemReport report = LastOpenProblem();
    if (report.problem == OpenProblem::NoPermission) {
        PrintLine(FilledText(TerminalText::NoPermission, report.deviceNode));
    }
    if (report.problem == OpenProblem::Busy) {
        PrintLine(FilledText(TerminalText::Busy, report.deviceNode));
    }
}

void PrintButtons(UpdaterState state) {
    std::string buttons;
    if (state != UpdaterState::Done) {
        const std::string first = TableText(UpdaterFirstButtonId(state));
        buttons = FilledText(TerminalText::EnterFirstButton, first) + "    ";
    }
    buttons += FilledText(TerminalText::QuitButton, TableText(IDS_BUTTON_EXIT));
    PrintLine(buttons);
}

void PrintState(UpdaterState state) {
    PrintLine("");
    PrintLine(TableText(UpdaterMessageId(state)));
    if (state == UpdaterState::NotFound) {
        PrintOpenProblem();
    }
    PrintButtons(state);
}

int ExitCodeOf(UpdaterState state) {
    if (state == UpdaterState::Done) {
        return kExitSent;
    }
    return kExitNotSent;
}

int RunTransferInTerminal(void*) {
    return RunTransferWithProgress();
}

} // namespace

int RunUpdater() {
    ClearOpenProblem();
    UpdaterState state = OpenUpdater();
    PrintState(state);
    for (;;) {
        Print(TerminalTextOf(TerminalText::Prompt));
        std::string line;
        if (!ReadLine(&line)) {
            PrintLine("");
            return ExitCodeOf(state);
        }
        if (line == "q" || line == "Q") {
            return ExitCodeOf(state);
        }
        if (!line.empty()) {
            PrintButtons(state);
            continue;
        }
        // After a transfer that went through, Exit is the only button left.
        if (state == UpdaterState::Done) {
            return kExitSent;
        }
        ClearOpenProblem();
        UpdaterState outcome = state;
        if (!PressFirstButton(RunTransferInTerminal, nullptr, &outcome)) {
            // Nothing changes, as in the dialog; only a reason is new.
            PrintOpenProblem();
            PrintButtons(state);
            continue;
        }
        state = outcome;
        PrintState(state);
    }
}

int RunAcceptedUpdate() {
    ClearOpenProblem();
    if (OpenUpdater() == UpdaterState::NotFound) {
        PrintLine(TableText(IDS_NOT_FOUND));
        PrintOpenProblem();
        return kExitNotSent;
    }
    UpdaterState outcome = UpdaterState::Failed;
    if (RunTransferWithProgress()) {
        outcome = UpdaterState::Done;
    }
    PrintLine(TableText(UpdaterMessageId(outcome)));
    return ExitCodeOf(outcome);
}
