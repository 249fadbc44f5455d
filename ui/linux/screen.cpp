#include "ui/linux/screen.h"

#include "platform/linux.h"
#include "resources/linux/languages.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "ui/linux/encoding.h"
#include "ui/linux/terminal.h"
#include "ui/linux/wrap.h"

#include <algorithm>

namespace {

const char kProgramName[] = "fwupdater: ";

// Every text a person may read in `language`, for the character-set check.
std::wstring EveryTextOf(const Language& language) {
    std::wstring texts;
    for (const TerminalEntry* entry = language.terminalTexts; entry->text != nullptr; ++entry) {
        texts += DecodeUtf8(entry->text);
    }
    for (const TextEntry* entry = language.tableTexts; entry->text != nullptr; ++entry) {
        texts += DecodeUtf8(entry->text);
    }
    return texts;
}

} // namespace

void ChooseLanguage() {
    const Language& language = LanguageOfLocale(LocaleName());
    if (TerminalCanShow(EveryTextOf(language))) {
        UseLanguage(language);
    } else {
        UseLanguage(FallbackLanguage());
    }
}

std::string TableText(int id) {
    char text[1024];
    LoadText(id, text, sizeof text);
    return text;
}

std::string TextOf(TerminalText name) {
    return TerminalTextOf(name);
}

std::string Fill(std::string text, const std::string& field, const std::string& value) {
    for (std::size_t at = text.find(field); at != std::string::npos;
         at = text.find(field, at + value.size())) {
        text.replace(at, field.size(), value);
    }
    return text;
}

std::string Displayed(const std::wstring& text, int fd) {
    if (!IsTerminal(fd)) {
        return EncodeForTerminal(text);
    }
    // The last column stays free: a terminal would wrap there by itself.
    return EncodeForTerminal(WrapText(text, std::max(TerminalColumns(fd) - 1, 1)));
}

void Say(const std::string& utf8) {
    WriteAll(STDOUT_FILENO, Displayed(DecodeUtf8(utf8 + "\n"), STDOUT_FILENO));
}

void Show(const std::string& utf8) {
    WriteAll(STDOUT_FILENO, EncodeForTerminal(DecodeUtf8(utf8)));
}

void Complain(const std::string& utf8) {
    WriteAll(STDERR_FILENO, Displayed(DecodeUtf8(kProgramName + utf8 + "\n"), STDERR_FILENO));
}

void AskForLine() {
    Show(TextOf(TerminalText::Prompt) + " ");
}

void SayCaption() {
    Say(TableText(IDS_PRINTER_NAME) + " (" + TableText(IDS_FIRMWARE_VERSION) + ")");
}
