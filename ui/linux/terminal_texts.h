// The lines only the terminal needs, in English and Japanese (UTF-8). The
// dialogs' own texts come from the string table.
#pragma once

enum class TerminalText {
    Prompt,           // where a line is typed
    EnterFirstButton, // "[Enter] %s": the first button's label
    QuitButton,       // "[q] %s": the second button's label
    NoPermission,     // "%s": the device node
    Busy,             // "%s": the device node
    CannotInterrupt,
    UnknownArgument, // "%s": the argument
};

void SelectTerminalLanguage(bool japanese);
const char* TerminalTextOf(TerminalText text);

// What --help prints.
const char* UsageText();
