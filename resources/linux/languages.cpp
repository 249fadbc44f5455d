#include "resources/linux/languages.h"

#include <cstring>

// Generated from the .rc sets and resources/terminal/.
extern const TextEntry kEnglishTableTexts[];
extern const TerminalEntry kEnglishTerminalTexts[];
extern const TextEntry kJapaneseTableTexts[];
extern const TerminalEntry kJapaneseTerminalTexts[];

// Assembled into the program by embedded_data.cpp.
extern "C" {
extern const uint8_t fwupdater_agreement_en[];
extern const uint8_t fwupdater_agreement_en_end[];
extern const uint8_t fwupdater_agreement_ja[];
extern const uint8_t fwupdater_agreement_ja_end[];
}

namespace {

const Language kLanguages[] = {
    {"en", kEnglishTableTexts, kEnglishTerminalTexts, fwupdater_agreement_en,
     fwupdater_agreement_en_end, "ASCII"},
    {"ja", kJapaneseTableTexts, kJapaneseTerminalTexts, fwupdater_agreement_ja,
     fwupdater_agreement_ja_end, "CP932"},
};

const Language* g_language = &kLanguages[0];

} // namespace

const Language& LanguageOfLocale(const char* localeName) {
    for (const Language& language : kLanguages) {
        if (std::strncmp(localeName, language.code, std::strlen(language.code)) == 0) {
            return language;
        }
    }
    return FallbackLanguage();
}

const Language& FallbackLanguage() {
    return kLanguages[0];
}

void UseLanguage(const Language& language) {
    g_language = &language;
}

const Language& CurrentLanguage() {
    return *g_language;
}

const char* TerminalTextOf(TerminalText name) {
    for (const TerminalEntry* entry = g_language->terminalTexts; entry->text != nullptr; ++entry) {
        if (entry->name == name) {
            return entry->text;
        }
    }
    return "";
}
