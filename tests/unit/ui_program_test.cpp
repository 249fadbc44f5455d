#include "tests/unit/ui_test.h"

namespace {

using ProgramTest = UiTest;

TEST_F(ProgramTest, OnlyAnAcceptedAgreementOpensTheUpdaterAndTheExitCodeIsZero) {
    struct Row {
        int choice; // control clicked before OK; 0: Esc instead of OK; -1: no agreement template
        const char* arguments;
        int show;
        std::vector<int> runs;
    };
    const Row rows[] = {
        {147, "", SW_SHOW, {144}},
        {148, "", SW_SHOW, {144, 102}},
        {0, "", SW_SHOW, {144}},
        {-1, "", SW_SHOW, {144}},
        {147, "/accept --transfer /s", SW_HIDE, {144}}, // arguments change nothing
        {148, "/refuse", SW_HIDE, {144, 102}},
    };
    for (const Row& row : rows) {
        UiTest::SetUp();
        if (row.choice == -1) {
            fake::RemoveTemplate(144);
        }
        fake::ScriptDialog(144, [&](HWND dialog) {
            // Configuration loaded before the first dialog; the show state is not applied.
            EXPECT_STREQ(Connection().hardwareId, "USB\\VID_0E7A&PID_41C5");
            EXPECT_TRUE(fake::Dialog(dialog)->visible);
            if (row.choice == 0) {
                fake::PressEscape(dialog);
                return;
            }
            fake::Click(dialog, row.choice);
            fake::Click(dialog, 1);
        });
        fake::ScriptDialog(102, [](HWND dialog) { fake::Click(dialog, 2); });
        std::string arguments = row.arguments;
        EXPECT_EQ(WinMain(fake::OwnModule(), nullptr, &arguments[0], row.show), 0);
        EXPECT_EQ(fake::DialogRuns(), row.runs) << row.choice;
        EXPECT_EQ(fake::CallLog().front(), "InitCommonControls");
        EXPECT_EQ(fake::DialogTimeouts(), 0);
    }
}

} // namespace
