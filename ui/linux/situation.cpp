#include "ui/linux/situation.h"

#include "connection/linux/write_problem.h"
#include "discovery/linux/open_problem.h"
#include "ui/linux/screen.h"
#include "ui/linux/udev_rule.h"

#include <string>

namespace {

std::string NoAccessText(const std::string& node) {
    std::string rule;
    TerminalText text = TerminalText::NoAccessNoRule;
    const RulePlace place = FindUdevRule(&rule);
    if (place == RulePlace::Installed) {
        text = TerminalText::NoAccessRuleInstalled;
    }
    if (place == RulePlace::BesideProgram) {
        text = TerminalText::NoAccessRuleBuilt;
    }
    const std::string filled = Fill(TextOf(text), "{node}", node);
    return Fill(Fill(filled, "{rule}", rule), "{package}", PackageName());
}

} // namespace

void ClearProblems() {
    ClearOpenProblem();
    ClearWriteProblem();
}

Situation SituationAfterSearch() {
    const OpenProblem problem = LastOpenProblem().problem;
    if (problem == OpenProblem::NoPermission) {
        return Situation::NoAccess;
    }
    if (problem == OpenProblem::Busy) {
        return Situation::Busy;
    }
    return Situation::NotFound;
}

Situation SituationAfterTransfer(int sent) {
    if (sent) {
        return Situation::Sent;
    }
    switch (LastWriteProblem()) {
    case WriteProblem::Unplugged:
        return Situation::Unplugged;
    case WriteProblem::TimedOut:
        return Situation::TimedOut;
    case WriteProblem::Refused:
        return Situation::WriteFailed;
    case WriteProblem::None:
        break;
    }
    // Nothing was written: the transfer's own search found no printer.
    return SituationAfterSearch();
}

void ReportSituation(Situation situation) {
    const std::string node = LastOpenProblem().deviceNode;
    switch (situation) {
    case Situation::Ready:
    case Situation::Sent:
        return;
    case Situation::NotFound:
        Complain(TextOf(TerminalText::NotFound));
        return;
    case Situation::NoAccess:
        Complain(NoAccessText(node));
        return;
    case Situation::Busy:
        Complain(Fill(TextOf(TerminalText::Busy), "{node}", node));
        return;
    case Situation::Unplugged:
        Complain(TextOf(TerminalText::Unplugged));
        return;
    case Situation::TimedOut:
        Complain(Fill(TextOf(TerminalText::TimedOut), "{seconds}",
                      std::to_string(WriteTimeoutSeconds())));
        return;
    case Situation::WriteFailed:
        Complain(TextOf(TerminalText::WriteFailed));
        return;
    }
}

int ExitStatusOf(Situation situation) {
    switch (situation) {
    case Situation::Sent:
        return kExitSent;
    case Situation::Ready:
        return kExitNotChosen;
    case Situation::NotFound:
        return kExitNotFound;
    case Situation::NoAccess:
    case Situation::Busy:
        return kExitNoAccess;
    case Situation::Unplugged:
    case Situation::TimedOut:
    case Situation::WriteFailed:
        return kExitTransferFailed;
    }
    return kExitTransferFailed;
}
