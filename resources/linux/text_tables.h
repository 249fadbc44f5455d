// The string tables of the Linux program, generated from the .rc files.
#pragma once

struct TextEntry {
    int id;
    const char* text; // UTF-8
};

// Each closed by an entry with id 0.
extern const TextEntry kSharedTexts[];   // configuration entries 16 to 19
extern const TextEntry kEnglishTexts[];  // user-interface texts
extern const TextEntry kJapaneseTexts[]; // user-interface texts
