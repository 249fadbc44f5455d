// fwtest.exe, every test of the updater, run under Wine: checks of single
// functions in-process (checks.cpp), and the scenarios of scenarios.txt, where
// the real fwupdater.exe is driven like a person (scenarios.cpp).
#pragma once

#include "platform/win32.h"

#include <string>

// A failed check prints why, takes a screenshot and ends the run with 1.
void Expect(bool ok, const char* format, ...);

// The USB devices (see scenarios.txt): none at first, then those plugged in.
void ResetMachine();
void Plug(const std::string& device);

int RunChecks();
int ClassifyForCheck(const std::string& mode);
