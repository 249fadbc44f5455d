// The udev rule that lets the person logged in at the machine open the
// printer: installed by the package, or built beside this program by
// `make linux`.
#pragma once

#include <string>

enum class RulePlace { Installed, BesideProgram, Nowhere };

// Where the rule is, its path in `path` (unless Nowhere).
RulePlace FindUdevRule(std::string* path);
// The package that installs it.
const char* PackageName();
