// The updater in the terminal: the dialog's message and buttons as lines,
// Enter for the first button and q for Exit; reasons on standard error.
#include "ui/linux/screen.h"

#include "resources/resource_ids.h"
#include "ui/linux/progress.h"
#include "ui/linux/situation.h"
#include "ui/linux/terminal.h"
#include "ui/updater_flow.h"

namespace {

void ShowButtons(UpdaterState state) {
    std::string buttons;
    if (state != UpdaterState::Done) {
        const std::string first = TableText(UpdaterFirstButtonId(state));
        buttons = Fill(TextOf(TerminalText::EnterKey), "{label}", first) + "    ";
    }
    buttons += Fill(TextOf(TerminalText::QuitKey), "{label}", TableText(IDS_BUTTON_EXIT));
    Say(buttons);
}

// The state's message, or the reason it failed with what Enter does now.
void ShowSituation(Situation situation, UpdaterState state) {
    Say("");
    if (situation == Situation::Ready) {
        Say(TextOf(TerminalText::Ready));
    } else if (situation == Situation::Sent) {
        Say(TableText(IDS_DONE));
    } else {
        ReportSituation(situation);
        Say(TextOf(TerminalText::RetryHint));
    }
    ShowButtons(state);
}

Situation OpeningSituation(UpdaterState state) {
    if (state == UpdaterState::Ready) {
        return Situation::Ready;
    }
    return SituationAfterSearch();
}

Situation TransferInTerminal() {
    ClearProblems();
    return SituationAfterTransfer(RunTransferWithProgress());
}

int RunTransferForButton(void* situation) {
    Situation* outcome = static_cast<Situation*>(situation);
    *outcome = TransferInTerminal();
    return *outcome == Situation::Sent;
}

} // namespace

int RunUpdater() {
    ClearProblems();
    UpdaterState state = OpenUpdater();
    // What was said last: q leaves with its exit status.
    Situation situation = OpeningSituation(state);
    ShowSituation(situation, state);
    for (;;) {
        AskForLine();
        std::string line;
        if (!ReadLine(&line)) {
            Say("");
            return ExitStatusOf(situation);
        }
        if (line == "q" || line == "Q") {
            return ExitStatusOf(situation);
        }
        if (!line.empty()) {
            ShowButtons(state);
            continue;
        }
        // After a transfer that went through, Exit is the only button left.
        if (state == UpdaterState::Done) {
            return ExitStatusOf(situation);
        }
        ClearProblems();
        UpdaterState outcome = state;
        if (!PressFirstButton(RunTransferForButton, &situation, &outcome)) {
            // The state does not change, as in the dialog; the reason is said again.
            situation = SituationAfterSearch();
        }
        state = outcome;
        ShowSituation(situation, state);
    }
}

int RunAcceptedUpdate() {
    ClearProblems();
    Situation situation = OpeningSituation(OpenUpdater());
    if (situation == Situation::Ready) {
        situation = TransferInTerminal();
    }
    if (situation == Situation::Sent) {
        Say(TableText(IDS_DONE));
    }
    ReportSituation(situation);
    return ExitStatusOf(situation);
}
