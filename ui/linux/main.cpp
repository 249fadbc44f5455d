// fwupdater for Linux: the agreement, then the updater, in a terminal.
#include "connection/connection.h"
#include "resources/linux/texts.h"
#include "ui/linux/screen.h"
#include "ui/linux/terminal.h"

#include <cstring>

namespace {

const int kExitRefused = 1;
const int kExitWrongArgument = 2;

} // namespace

int main(int argc, char** argv) {
    const bool japanese = SetUpTerminal();
    SelectTextLanguage(japanese);
    SelectTerminalLanguage(japanese);

    bool accepted = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            Print(UsageText());
            return 0;
        }
        if (std::strcmp(argv[i], "--accept-license") == 0) {
            accepted = true;
            continue;
        }
        PrintError(FilledText(TerminalText::UnknownArgument, argv[i]) + "\n");
        return kExitWrongArgument;
    }

    LoadTargetConfig();
    PrintCaption();
    if (accepted) {
        return RunAcceptedUpdate();
    }
    if (!RunAgreement()) {
        return kExitRefused;
    }
    return RunUpdater();
}
