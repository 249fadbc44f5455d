// Where the updater stands after a search or a transfer, what it tells a
// person about it, and the exit status it leaves with from there.
#pragma once

enum class Situation { Ready, Sent, NotFound, NoAccess, Busy, Unplugged, TimedOut, WriteFailed };

const int kExitSent = 0;
const int kExitTransferFailed = 1;
const int kExitWrongArgument = 2;
const int kExitNotChosen = 3; // agreement refused, or left before a transfer
const int kExitNotFound = 4;
const int kExitNoAccess = 5; // no access, or busy

// Forgets what the last search and transfer met; before each one.
void ClearProblems();
// After a search that found nothing: why.
Situation SituationAfterSearch();
// After a transfer: sent, or why not (its own search's reason included).
Situation SituationAfterTransfer(int sent);

// A failure's reason, on standard error; nothing for Ready and Sent.
void ReportSituation(Situation situation);
int ExitStatusOf(Situation situation);
