// The languages the Linux program speaks, one row each. One is chosen at
// start and stays: every text, the agreement and its character set come
// from its row.
#pragma once

#include "resources/linux/text_tables.h"

#include <cstdint>

struct Language {
    const char* code;                   // a locale's language that chooses it: "ja" of ja_JP.UTF-8
    const TextEntry* tableTexts;        // the string table's user-interface texts, closed by id 0
    const TerminalEntry* terminalTexts; // one for every TerminalText
    const uint8_t* agreement;           // the agreement as the build was given it
    const uint8_t* agreementEnd;
    const char* agreementEncoding; // its character set, an iconv name
};

// The row whose code starts `localeName`; the first row (English) otherwise.
const Language& LanguageOfLocale(const char* localeName);
// English: what every terminal can show.
const Language& FallbackLanguage();

// Chosen once, at start; English until then.
void UseLanguage(const Language& language);
const Language& CurrentLanguage();

// A terminal text in the current language.
const char* TerminalTextOf(TerminalText name);
