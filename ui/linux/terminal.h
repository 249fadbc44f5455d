// The terminal the Linux program talks to: the locale and its character
// set, the width of each output, lines in, bytes out, and Ctrl-C.
#pragma once

#include <string>

// Takes the locale from the environment and sets Ctrl-C's handler.
void SetUpTerminal();
// LC_ALL, then LC_MESSAGES, then LANG: the first that is set ("" if none).
const char* LocaleName();
// The locale's character set, an iconv name: what output is converted to.
const char* TerminalCodeset();

bool IsTerminal(int fd);
// How many columns the terminal behind `fd` has: its window size, else
// COLUMNS, else 80.
int TerminalColumns(int fd);

// Writes all of `bytes`, as many writes as it takes.
void WriteAll(int fd, const std::string& bytes);

// One line from standard input, without its line end. False at end of input,
// or when Ctrl-C was pressed while waiting or since the last one was taken:
// both mean "no".
bool ReadLine(std::string* line);

// While the transfer runs, keys typed are neither shown (they would break
// the bar's line) nor kept for the next prompt.
void IgnoreKeys();
void TakeKeysAgain();

// Ctrl-C only ever notes itself, and reaches the main thread only while it
// waits here, so none goes unseen. Waits until `fd` has something to read;
// false when Ctrl-C was pressed first (since the last one was taken).
bool WaitForInput(int fd);
// Drops a Ctrl-C pressed so far: one that was a pager's to answer.
void ForgetInterrupts();
// True when Ctrl-C was pressed since the last call, which forgets it.
bool TakeInterrupt();
