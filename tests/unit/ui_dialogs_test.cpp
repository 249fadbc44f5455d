#include "tests/unit/machine_test.h"
#include "ui/dialog_helpers.h"

namespace {

using DialogHelperTest = MachineTest;

TEST_F(DialogHelperTest, CenterWindowHalvesTheSpareRoomTowardZero) {
    struct Row {
        int screenWidth, screenHeight, width, height, x, y;
    };
    const Row rows[] = {{1024, 768, 300, 200, 362, 284}, {1024, 768, 1029, 773, -2, -2}};
    for (const Row& row : rows) {
        fake::SetScreenSize(row.screenWidth, row.screenHeight);
        fake::SetTemplateSize(900, row.width, row.height);
        HWND window = fake::CreateDialogWindow(900);
        CenterWindow(window);
        const RECT rect = fake::Dialog(window)->rect;
        EXPECT_EQ(rect.left, row.x) << row.width;
        EXPECT_EQ(rect.top, row.y) << row.height;
        EXPECT_EQ(rect.right - rect.left, row.width);
        EXPECT_EQ(rect.bottom - rect.top, row.height);
    }
}

TEST_F(DialogHelperTest, GetCheckedRadioTakesTheFirstFullyCheckedInListOrder) {
    struct Row {
        int refuse, accept, count, expected;
    };
    const Row rows[] = {
        {BST_CHECKED, BST_CHECKED, 2, 147},        {BST_UNCHECKED, BST_CHECKED, 2, 148},
        {BST_UNCHECKED, BST_UNCHECKED, 2, -1},     {BST_INDETERMINATE, BST_CHECKED, 2, 148},
        {BST_INDETERMINATE, BST_UNCHECKED, 2, -1}, {BST_UNCHECKED, BST_CHECKED, 1, -1},
    };
    const int ids[] = {147, 148};
    HWND dialog = fake::CreateDialogWindow(144);
    for (const Row& row : rows) {
        fake::Control(dialog, 147)->check = row.refuse;
        fake::Control(dialog, 148)->check = row.accept;
        EXPECT_EQ(GetCheckedRadio(dialog, ids, row.count), row.expected);
    }
    fake::ClearCallLog();
    EXPECT_EQ(GetCheckedRadio(dialog, ids, 0), -1);
    EXPECT_TRUE(fake::CallLog().empty()); // nothing sent
}

TEST_F(DialogHelperTest, TextsAreCutToTheirBuffers) {
    fake::SetString(219, std::string(1500, 'm'));
    fake::SetString(18, std::string(1200, 'n'));
    fake::SetString(19, std::string(1200, 'v'));
    HWND dialog = fake::CreateDialogWindow(102);
    SetTextFromTable(dialog, 110, fake::OwnModule(), 219);
    SetDialogCaption(dialog);
    EXPECT_EQ(fake::Control(dialog, 110)->text, std::string(1023, 'm'));
    EXPECT_EQ(fake::Dialog(dialog)->caption, std::string(1023, 'n'));
}

using AgreementTest = MachineTest;

enum Step { Accept, Refuse, Ok, Enter, Esc, CloseBox };

TEST_F(AgreementTest, OnlyOkWithAcceptCheckedEndsWithOne) {
    const std::pair<std::vector<Step>, INT_PTR> rows[] = {
        {{Ok}, 0},          {{Accept, Ok}, 1},       {{Accept, Refuse, Ok}, 0},
        {{Accept, Esc}, 0}, {{Accept, CloseBox}, 0}, {{Accept, Enter}, 1},
        {{Enter}, 0},
    };
    Ship();
    for (const auto& row : rows) {
        fake::ScriptDialog(IDD_AGREEMENT, [&](HWND dialog) {
            for (Step step : row.first) {
                EXPECT_TRUE(step == Accept   ? fake::Click(dialog, IDC_AGREEMENT_ACCEPT)
                            : step == Refuse ? fake::Click(dialog, IDC_AGREEMENT_REFUSE)
                            : step == Ok     ? fake::Click(dialog, IDOK)
                            : step == Enter  ? fake::PressEnter(dialog)
                            : step == Esc    ? fake::PressEscape(dialog)
                                             : fake::ClickCloseBox(dialog));
            }
        });
        EXPECT_EQ(Run(IDD_AGREEMENT, AgreementDialogProc), row.second) << row.first.size();
        EXPECT_EQ(fake::Dialog(fake::LastDialog(IDD_AGREEMENT))->endCount, 1);
    }
}

TEST_F(AgreementTest, BoxGetsExactlyTheResourceBytes) {
    const std::vector<std::uint8_t> eula = Eula();
    struct Row {
        bool present;
        std::vector<std::uint8_t> bytes;
        int failAllocation;
        std::string shown;
    };
    const Row rows[] = {
        {true, eula, 0, std::string(eula.begin(), eula.end())},
        {true, {}, 0, ""},
        {false, {}, 0, ""},  // missing: empty box, no read through a null pointer
        {true, eula, 1, ""}, // no memory for the copy
    };
    for (const Row& row : rows) {
        fake::RemoveResource("EULA", IDR_AGREEMENT);
        if (row.present) {
            fake::SetResource("EULA", IDR_AGREEMENT, row.bytes);
        }
        HWND dialog = fake::CreateDialogWindow(IDD_AGREEMENT);
        fake::FailAllocationNumber(row.failAllocation);
        LoadAgreementText(dialog, IDC_AGREEMENT_TEXT);
        EXPECT_EQ(fake::Control(dialog, IDC_AGREEMENT_TEXT)->texts,
                  std::vector<std::string>{row.shown});
        EXPECT_EQ(fake::OutstandingHeapBlocks(), 0);
    }
}

using ProgressTest = MachineTest;

// Esc and every other command leave it to the worker to end the dialog.
TEST_F(ProgressTest, IgnoresEveryCommand) {
    HWND dialog = fake::CreateDialogWindow(IDD_PROGRESS);
    for (int id : {IDOK, IDCANCEL, IDC_PROGRESS_PERCENT, IDC_PROGRESS_BAR}) {
        EXPECT_EQ(ProgressDialogProc(dialog, WM_COMMAND, id, 0), 0);
    }
    EXPECT_EQ(fake::Dialog(dialog)->endCount, 0);
}

} // namespace
