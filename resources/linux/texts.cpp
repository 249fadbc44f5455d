#include "resources/linux/texts.h"

#include "resources/linux/text_tables.h"
#include "resources/texts.h"

#include <cstring>

namespace {

const TextEntry* g_uiTexts = kEnglishTexts;
bool g_japanese = false;

const char* FindText(const TextEntry* table, int id) {
    for (const TextEntry* entry = table; entry->text != nullptr; ++entry) {
        if (entry->id == id) {
            return entry->text;
        }
    }
    return nullptr;
}

} // namespace

void SelectTextLanguage(bool japanese) {
    g_japanese = japanese;
    g_uiTexts = kEnglishTexts;
    if (japanese) {
        g_uiTexts = kJapaneseTexts;
    }
}

bool TextLanguageIsJapanese() {
    return g_japanese;
}

void LoadText(int id, char* buffer, std::size_t size) {
    const char* text = FindText(kSharedTexts, id);
    if (text == nullptr) {
        text = FindText(g_uiTexts, id);
    }
    if (text == nullptr) {
        text = "";
    }
    const std::size_t length = strnlen(text, size - 1);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}
