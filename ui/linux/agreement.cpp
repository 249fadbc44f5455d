// The licence agreement in the terminal: the prompt, the text through a
// pager on a terminal, and the two choices of the dialog, the refusal chosen.
#include "ui/linux/screen.h"

#include "platform/linux.h"
#include "resources/embedded_data.h"
#include "resources/linux/languages.h"
#include "resources/resource_ids.h"
#include "ui/linux/encoding.h"
#include "ui/linux/pager.h"
#include "ui/linux/terminal.h"

namespace {

// Wrapped to the terminal before it is paged, so the pager cuts no word; the
// pager's first lines say how to page and how to come back.
void ShowAgreementText() {
    EmbeddedBytes agreement = {nullptr, 0};
    LocateAgreementText(&agreement);
    const std::wstring text = Decode(reinterpret_cast<const char*>(agreement.bytes), agreement.size,
                                     CurrentLanguage().agreementEncoding);
    if (IsTerminal(STDOUT_FILENO)) {
        const std::wstring hinted = DecodeUtf8(TextOf(TerminalText::PagerHint) + "\n\n") + text;
        const bool paged = ShowThroughPager(Displayed(hinted, STDOUT_FILENO));
        // Ctrl-C in the pager was the pager's to answer.
        ForgetInterrupts();
        if (paged) {
            return;
        }
    }
    WriteAll(STDOUT_FILENO, Displayed(text, STDOUT_FILENO));
}

bool Refuse() {
    Say(TextOf(TerminalText::Refused));
    return false;
}

} // namespace

bool RunAgreement() {
    Say("");
    Say(TextOf(TerminalText::AgreementPrompt));
    ShowAgreementText();
    Say("(*) 1  " + TableText(IDS_AGREEMENT_REFUSE));
    Say("( ) 2  " + TableText(IDS_AGREEMENT_ACCEPT));
    for (;;) {
        AskForLine();
        std::string line;
        if (!ReadLine(&line)) {
            Say("");
            return Refuse();
        }
        // Enter alone confirms the choice shown, the refusal.
        if (line.empty() || line == "1") {
            return Refuse();
        }
        if (line == "2") {
            return true;
        }
        Say(TextOf(TerminalText::ChoiceExpected));
    }
}
