// The licence agreement in the terminal: the prompt, the text through the
// pager on a terminal, and the two choices of the dialog, the refusal chosen.
#include "ui/linux/screen.h"

#include "platform/linux.h"
#include "resources/embedded_data.h"
#include "resources/linux/texts.h"
#include "resources/resource_ids.h"
#include "ui/linux/terminal.h"

#include <cstdio>
#include <cstdlib>

namespace {

const int kCommandNotFound = 127;

// Returns false when no pager could show it.
bool ShowThroughPager(const std::string& text) {
    const char* pager = std::getenv("PAGER");
    if (pager == nullptr || pager[0] == '\0') {
        pager = "less";
    }
    FILE* pipe = popen(pager, "w");
    if (pipe == nullptr) {
        return false;
    }
    LeaveInterruptsToPager(true);
    std::fwrite(text.data(), 1, text.size(), pipe);
    const int status = pclose(pipe);
    LeaveInterruptsToPager(false);
    return !(WIFEXITED(status) && WEXITSTATUS(status) == kCommandNotFound);
}

void ShowAgreementText() {
    EmbeddedBytes agreement = {nullptr, 0};
    LocateAgreementText(&agreement);
    const char* bytes = reinterpret_cast<const char*>(agreement.bytes);
    const char* encoding = AgreementEncoding();
    if (OutputIsTerminal()) {
        const std::string text = ConvertForTerminal(bytes, agreement.size, encoding);
        if (ShowThroughPager(text)) {
            return;
        }
    }
    PrintEncoded(bytes, agreement.size, encoding);
}

} // namespace

bool RunAgreement() {
    PrintLine("");
    PrintLine(TableText(IDS_AGREEMENT_PROMPT));
    ShowAgreementText();
    for (;;) {
        PrintLine("(*) 1  " + TableText(IDS_AGREEMENT_REFUSE));
        PrintLine("( ) 2  " + TableText(IDS_AGREEMENT_ACCEPT));
        Print(TerminalTextOf(TerminalText::Prompt));
        std::string line;
        if (!ReadLine(&line)) {
            PrintLine("");
            return false;
        }
        // Enter alone confirms the choice shown, the refusal.
        if (line.empty() || line == "1") {
            return false;
        }
        if (line == "2") {
            return true;
        }
    }
}
