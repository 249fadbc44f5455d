// Why the printer-class route found the printer and still could not open it:
// what the terminal tells a person beside "not found", since the remedy
// differs (a udev rule or root; or waiting for the program that holds it).
#pragma once

enum class OpenProblem { None, NoPermission, Busy };

struct OpenProblemReport {
    OpenProblem problem;
    char deviceNode[32]; // "/dev/bus/usb/001/002"
};

// Forgotten before a search; the route notes the last problem it met.
void ClearOpenProblem();
void NoteOpenProblem(OpenProblem problem, const char* deviceNode);
OpenProblemReport LastOpenProblem();
