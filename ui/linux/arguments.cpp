#include "ui/linux/arguments.h"

#include "platform/linux.h"
#include "resources/embedded_data.h"
#include "ui/linux/screen.h"

#include <cstring>
#include <string>

// FWUPDATER_VERSION and FIRMWARE_IMAGE_SHA256 come from the build.

namespace {

const int kAcceptLicense = 256; // a long option only

const option kOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {"accept-license", no_argument, nullptr, kAcceptLicense},
    {nullptr, 0, nullptr, 0},
};

// The option as it was typed: the whole word of a long one.
std::string WrongOption(char** argv) {
    const char* word = argv[optind - 1];
    if (std::strncmp(word, "--", 2) == 0) {
        return word;
    }
    return std::string("-") + static_cast<char>(optopt);
}

} // namespace

Command ReadArguments(int argc, char** argv) {
    Command command = Command::Update;
    opterr = 0; // the message comes in the chosen language
    for (;;) {
        const int option = getopt_long(argc, argv, "hV", kOptions, nullptr);
        if (option == -1) {
            break;
        }
        if (option == 'h') {
            return Command::Help;
        }
        if (option == 'V') {
            return Command::Version;
        }
        if (option == kAcceptLicense) {
            command = Command::AcceptedUpdate;
            continue;
        }
        Complain(Fill(TextOf(TerminalText::UnknownOption), "{option}", WrongOption(argv)));
        return Command::WrongArgument;
    }
    if (optind < argc) {
        Complain(Fill(TextOf(TerminalText::ExtraArgument), "{argument}", argv[optind]));
        return Command::WrongArgument;
    }
    return command;
}

void ShowUsage() {
    Show(TextOf(TerminalText::Usage) + "\n");
}

void ShowVersion() {
    EmbeddedBytes image = {nullptr, 0};
    LocateFirmwareImage(&image);
    std::string text = Fill(TextOf(TerminalText::Version), "{version}", FWUPDATER_VERSION);
    text = Fill(text, "{size}", std::to_string(image.size));
    Show(Fill(text, "{sha256}", FIRMWARE_IMAGE_SHA256) + "\n");
}
