// fwtest.exe, run under Wine: in-process checks (checks.cpp) and the scenarios
// of scenarios.txt, the real fwupdater.exe driven like a person (scenarios.cpp).
#pragma once

#include "platform/win32.h"

#include <cstddef>
#include <string>

// A failed check prints why, takes a screenshot and ends the run with 1.
void Expect(bool ok, const char* format, ...);

// The printer's protocol: a 64-byte header, then the image in chunks.
const std::size_t kHeaderSize = 64;
const std::size_t kChunkSize = 65472;
// The image this build carries, as given to the build.
const std::string& Image();

void ResetMachine(); // no USB device, no capture, no program
void Plug(const std::string& device);

int RunChecks();
int ClassifyForCheck(const std::string& mode);
