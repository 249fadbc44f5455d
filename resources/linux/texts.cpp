#include "resources/texts.h"

#include "resources/linux/languages.h"

#include <cstring>

// Generated from resources/shared.rc: configuration entries 16 to 19.
extern const TextEntry kSharedTableTexts[];

namespace {

const char* FindText(const TextEntry* table, int id) {
    for (const TextEntry* entry = table; entry->text != nullptr; ++entry) {
        if (entry->id == id) {
            return entry->text;
        }
    }
    return nullptr;
}

} // namespace

void LoadText(int id, char* buffer, std::size_t size) {
    const char* text = FindText(kSharedTableTexts, id);
    if (text == nullptr) {
        text = FindText(CurrentLanguage().tableTexts, id);
    }
    if (text == nullptr) {
        text = "";
    }
    const std::size_t length = strnlen(text, size - 1);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}
