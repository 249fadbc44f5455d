#include "tests/unit/ui_test.h"

namespace {

using SessionTest = UiTest;

TEST_F(SessionTest, AcceptTransferDoneExitFromProgramEntry) {
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

    const std::vector<std::uint8_t> image = Firmware();
    std::vector<std::uint8_t> expected = {0x02, 0xFF, 0x04, 0, 0, 0, 0xE4, 0xFF, 0x01, 0x00};
    expected.resize(64, 0);
    expected.insert(expected.end(), image.begin(), image.end());
    EXPECT_TRUE(printer.received == expected);
    HWND progress = fake::LastDialog(103);
    EXPECT_EQ(fake::Dialog(progress)->caption, "TARVELIN chromalux 4410N (72K0030000)");
    EXPECT_EQ(fake::Control(progress, 112)->text, "Transferring the firmware to printer...");
    EXPECT_EQ(fake::Control(progress, 114)->positions, (std::vector<int>{49, 99, 100}));
    EXPECT_EQ(fake::Control(progress, 111)->texts,
              (std::vector<std::string>{"49 %", "99 %", "100 %"}));
    EXPECT_EQ(fake::DialogRuns(), (std::vector<int>{144, 102, 103}));
    EXPECT_EQ(fake::DialogTimeouts(), 0);
    EXPECT_EQ(fake::OpenHandleCount(fake::HandleKind::File), 0);
}

} // namespace
