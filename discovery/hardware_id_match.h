// The rule by which a device's hardware-ID list names the configured ID.
#pragma once

#include <cstddef>

// The list is NUL-terminated entries closed by an empty one, `size` bytes of
// returned data; no byte past them is read, so a last entry without its NUL
// ends with the data. Letter case is ignored and whole entries are compared:
// an entry that carries more after the target does not match.
bool HardwareIdListHolds(const char* list, std::size_t size, const char* target);

// Upper-cases text in place as the system does (the ANSI code page on
// Windows); supplied by each system.
void UpperCaseText(char* text);
