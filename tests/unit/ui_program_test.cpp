#include "tests/unit/machine_test.h"

namespace {

using ProgramTest = MachineTest;

TEST_F(ProgramTest, OnlyAnAcceptedAgreementOpensTheUpdaterAndTheExitCodeIsZero) {
    struct Row {
        int choice; // control clicked before OK; 0: Esc instead of OK; -1: no agreement template
        const char* arguments;
        std::vector<int> runs;
    };
    const Row rows[] = {{148, "", {144, 102}},
                        {0, "", {144}},
                        {-1, "", {144}},
                        {147, "/accept --transfer /s", {144}}, // arguments change nothing
                        {148, "/refuse", {144, 102}}};
    for (const Row& row : rows) {
        Fresh();
        Ship();
        if (row.choice == -1) {
            fake::RemoveTemplate(144);
        }
        fake::ScriptDialog(144, [&](HWND dialog) {
            // Configuration loaded before the first dialog; the hidden show state is not applied.
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
        EXPECT_EQ(WinMain(fake::OwnModule(), nullptr, &arguments[0], SW_HIDE), 0);
        EXPECT_EQ(fake::DialogRuns(), row.runs) << row.choice;
        EXPECT_EQ(fake::CallLog().front(), "InitCommonControls");
    }
}

TEST_F(ProgramTest, AcceptTransferDoneExitFromProgramEntry) {
    Ship();
    fake::FakeDevice& printer = AttachPrinter();
    fake::ScriptDialog(144, [](HWND dialog) {
        fake::Click(dialog, 148);
        fake::Click(dialog, 1);
    });
    fake::ScriptDialog(102, [](HWND dialog) {
        EXPECT_EQ(fake::Control(dialog, 1)->text, "Transfer");
        fake::Click(dialog, 1);
        EXPECT_EQ(fake::Control(dialog, 110)->text, "Firmware transfer complete. ");
        fake::Click(dialog, 2);
    });
    char noArguments[] = "";
    EXPECT_EQ(WinMain(fake::OwnModule(), nullptr, noArguments, SW_SHOW), 0);
    fake::JoinThreads();

    const std::vector<std::uint8_t> image = Pattern(2 * 65472 + 100);
    std::vector<std::uint8_t> expected = {0x02, 0xFF, 0x04, 0, 0, 0, 0xE4, 0xFF, 0x01, 0x00};
    expected.resize(64, 0);
    expected.insert(expected.end(), image.begin(), image.end());
    EXPECT_TRUE(printer.received == expected);
    HWND progress = fake::LastDialog(103);
    EXPECT_EQ(fake::Dialog(progress)->caption, "TARVELIN chromalux 4410N (72K0030000)");
    EXPECT_EQ(fake::Control(progress, 112)->text, "Transferring the firmware to printer...");
    EXPECT_EQ(fake::Control(progress, 111)->texts,
              (std::vector<std::string>{"49 %", "99 %", "100 %"}));
    EXPECT_EQ(fake::DialogRuns(), (std::vector<int>{144, 102, 103}));
    EXPECT_EQ(fake::OpenHandleCount(fake::HandleKind::File), 0);
}

} // namespace
