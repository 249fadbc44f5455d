#include "discovery/linux/open_problem.h"

#include <cstring>

namespace {

OpenProblemReport g_report;

} // namespace

void ClearOpenProblem() {
    g_report.problem = OpenProblem::None;
    g_report.deviceNode[0] = '\0';
}

void NoteOpenProblem(OpenProblem problem, const char* deviceNode) {
    g_report.problem = problem;
    const std::size_t length = strnlen(deviceNode, sizeof g_report.deviceNode - 1);
    std::memcpy(g_report.deviceNode, deviceNode, length);
    g_report.deviceNode[length] = '\0';
}

OpenProblemReport LastOpenProblem() {
    return g_report;
}
