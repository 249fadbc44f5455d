// fwupdater for Linux: the agreement, then the updater, in a terminal.
#include "connection/connection.h"
#include "ui/linux/arguments.h"
#include "ui/linux/screen.h"
#include "ui/linux/situation.h"
#include "ui/linux/terminal.h"

int main(int argc, char** argv) {
    SetUpTerminal();
    ChooseLanguage();
    const Command command = ReadArguments(argc, argv);
    if (command == Command::WrongArgument) {
        return kExitWrongArgument;
    }
    if (command == Command::Help) {
        ShowUsage();
        return 0;
    }
    if (command == Command::Version) {
        ShowVersion();
        return 0;
    }

    LoadTargetConfig();
    SayCaption();
    if (command == Command::AcceptedUpdate) {
        return RunAcceptedUpdate();
    }
    if (!RunAgreement()) {
        return kExitNotChosen;
    }
    return RunUpdater();
}
