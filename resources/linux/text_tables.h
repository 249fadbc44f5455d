// The Linux program's text tables, generated from the .rc files and the
// terminal's text files.
#pragma once

#include "resources/linux/terminal_texts.h"

struct TextEntry {
    int id;
    const char* text; // UTF-8
};

struct TerminalEntry {
    TerminalText name;
    const char* text; // UTF-8
};
