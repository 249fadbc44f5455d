#include "tests/unit/ui_test.h"

namespace {

using ProgramTest = UiTest;

// The person's answer to the agreement dialog; the updater, if it opens, is left with Exit.
TEST_F(ProgramTest, OnlyAnAcceptedAgreementOpensTheUpdater) {
    struct Row {
        int choice; // control clicked before OK; 0: Esc instead of OK; -1: no template
        std::vector<int> runs;
    };
    const Row rows[] = {
        {147, {144}},
        {148, {144, 102}},
        {0, {144}},
        {-1, {144}},
    };
    for (const Row& row : rows) {
        fake::ResetMachine();
        fake::LoadShippedEnglishStrings();
        fake::LoadShippedTemplates();
        if (row.choice == -1) {
            fake::RemoveTemplate(144);
        }
        fake::ScriptDialog(144, [&](HWND dialog) {
            // The configuration is loaded before the first dialog.
            EXPECT_STREQ(Connection().hardwareId, "USB\\VID_0E7A&PID_41C5");
            if (row.choice == 0) {
                fake::PressEscape(dialog);
                return;
            }
            fake::Click(dialog, row.choice);
            fake::Click(dialog, 1);
        });
        fake::ScriptDialog(102, [](HWND dialog) { fake::Click(dialog, 2); });
        EXPECT_EQ(WinMain(fake::OwnModule(), nullptr, const_cast<char*>(""), SW_SHOW), 0);
        EXPECT_EQ(fake::DialogRuns(), row.runs) << row.choice;
        EXPECT_EQ(fake::CallLog().front(), "InitCommonControls");
        EXPECT_EQ(fake::DialogTimeouts(), 0);
    }
}

TEST_F(ProgramTest, CommandLineAndShowStateChangeNothing) {
    char arguments[] = "/accept --transfer /s";
    fake::ScriptDialog(144, [](HWND dialog) {
        EXPECT_TRUE(fake::Dialog(dialog)->visible);
        fake::Click(dialog, 1);
    });
    EXPECT_EQ(WinMain(fake::OwnModule(), fake::OwnModule(), arguments, SW_HIDE), 0);
    EXPECT_EQ(fake::DialogRuns(), std::vector<int>{144});
}

} // namespace
