// What the terminal front end shows, built from the string table.
#pragma once

#include "ui/linux/terminal_texts.h"

#include <string>

// String-table entry `id` in the language of the user interface (UTF-8).
std::string TableText(int id);
// A terminal-only line with its one "%s" filled in.
std::string FilledText(TerminalText text, const std::string& value);
void PrintLine(const std::string& utf8);
// "<printer name> (<firmware version>)", as every dialog is captioned.
void PrintCaption();

// Shows the agreement and its two choices; true when it was accepted.
bool RunAgreement();

// The updater, driven by lines typed; the exit code (0: sent).
int RunUpdater();
// One search and one transfer if found, for a script; the exit code.
int RunAcceptedUpdate();
