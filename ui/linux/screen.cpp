#include "ui/linux/screen.h"

#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "ui/linux/terminal.h"

#include <cstdio>
#include <vector>

std::string TableText(int id) {
    char text[1024];
    LoadText(id, text, sizeof text);
    return text;
}

std::string FilledText(TerminalText text, const std::string& value) {
    const char* pattern = TerminalTextOf(text);
    std::vector<char> filled(std::char_traits<char>::length(pattern) + value.size() + 1);
    std::snprintf(filled.data(), filled.size(), pattern, value.c_str());
    return filled.data();
}

void PrintLine(const std::string& utf8) {
    Print(utf8 + "\n");
}

void PrintCaption() {
    PrintLine(TableText(IDS_PRINTER_NAME) + " (" + TableText(IDS_FIRMWARE_VERSION) + ")");
}
