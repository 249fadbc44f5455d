#include "connection/linux/write_problem.h"

namespace {

// Noted on the transfer's worker, read once it has been joined.
WriteProblem g_problem = WriteProblem::None;

} // namespace

void ClearWriteProblem() {
    g_problem = WriteProblem::None;
}

void NoteWriteProblem(WriteProblem problem) {
    g_problem = problem;
}

WriteProblem LastWriteProblem() {
    return g_problem;
}
