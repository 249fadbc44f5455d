// The terminal the Linux program talks to: text out in the terminal's own
// character set, lines in, and what Ctrl-C means at each moment.
#pragma once

#include <cstddef>
#include <string>

// Reads the locale from the environment; output is converted to its
// character set from then on. Returns true when its language is Japanese
// (LC_ALL, then LC_MESSAGES, then LANG: the first that is set).
bool SetUpTerminal();

bool OutputIsTerminal();

// Writes UTF-8 text, converted.
void Print(const std::string& utf8);
// The same, on standard error.
void PrintError(const std::string& utf8);
// Writes text of another encoding (an iconv name), converted.
void PrintEncoded(const char* bytes, std::size_t size, const char* encoding);
// The same conversion, for text to be written later (by a pager, or from a
// signal handler).
std::string ConvertForTerminal(const char* bytes, std::size_t size, const char* encoding);

// One line from standard input, without its line end. False at end of input,
// or when Ctrl-C was pressed while waiting: both mean "no".
bool ReadLine(std::string* line);

// While a transfer runs, Ctrl-C writes `refusal` (already converted) and is
// otherwise ignored; while a pager runs, the pager alone answers it.
void RefuseInterruptsWith(const std::string& refusal);
void LeaveInterruptsToPager(bool pagerRunning);
void AnswerInterrupts();
