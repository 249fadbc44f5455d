#include "ui/linux/terminal_texts.h"

namespace {

const char* const kEnglish[] = {
    "> ",
    "[Enter] %s",
    "[q] %s",
    "The printer is at %s, but this user may not open it. Install the udev rule that comes "
    "with this program and plug the printer in again, or run the updater as root.",
    "The printer at %s is busy: another program holds it (a print job, for example). Wait "
    "until it is done, then try again.",
    "The transfer cannot be interrupted. Please wait until it ends.",
    "fwupdater: unknown argument \"%s\" (see fwupdater --help)",
};

const char* const kJapanese[] = {
    "> ",
    "[Enter] %s",
    "[q] %s",
    "プリンターは %s にありますが、このユーザーには開く権限がありません。このプログラムに付属の "
    "udev rule をインストールしてプリンターを接続し直すか、root で実行してください。",
    "%s のプリンターは使用中です（印刷ジョブなど、ほかのプログラムが使っています）。"
    "終わってから再実行してください。",
    "転送は中断できません。終わるまでお待ちください。",
    "fwupdater: 不明な引数 \"%s\" です（fwupdater --help を参照してください）",
};

const char* const* g_texts = kEnglish;

} // namespace

void SelectTerminalLanguage(bool japanese) {
    g_texts = kEnglish;
    if (japanese) {
        g_texts = kJapanese;
    }
}

const char* TerminalTextOf(TerminalText text) {
    return g_texts[static_cast<int>(text)];
}

const char* UsageText() {
    return "Usage: fwupdater [--accept-license]\n"
           "\n"
           "Updates the firmware of the TARVELIN chromalux 4410N attached by USB. The firmware\n"
           "travels inside this program.\n"
           "\n"
           "The licence agreement comes first (through $PAGER, less when unset, on a terminal):\n"
           "type 2 and Enter to accept it; Enter alone keeps choice 1, which refuses; end of\n"
           "input or Ctrl-C refuses too. Then Enter starts the transfer (or searches again for a\n"
           "printer not found); q or end of input leaves. The transfer cannot be interrupted.\n"
           "\n"
           "  --accept-license  the operator accepts the licence agreement (for a script): one\n"
           "                    search, one transfer if the printer is found, messages as lines\n"
           "  --help            this text\n"
           "\n"
           "Texts are in Japanese when the locale's language is (LC_ALL, then LC_MESSAGES, then\n"
           "LANG), in English otherwise.\n"
           "\n"
           "Exit status: 0 when the firmware was sent; 1 when it was not (agreement refused,\n"
           "printer not found, transfer failed); 2 for a wrong argument.\n"
           "\n"
           "The printer must be one this user may open: the package's udev rule grants that to\n"
           "the person logged in at the machine; otherwise run as root.\n";
}
