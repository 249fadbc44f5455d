// Why the last write to the printer failed: what the terminal tells a person
// beside "could not transfer", since an unplugged printer and one that
// stopped taking data call for different remedies.
#pragma once

enum class WriteProblem { None, Unplugged, TimedOut, Refused };

// Forgotten before a transfer; a failed write notes why.
void ClearWriteProblem();
void NoteWriteProblem(WriteProblem problem);
WriteProblem LastWriteProblem();

// How long a write may go without the printer taking a byte before it fails.
unsigned WriteTimeoutSeconds();
