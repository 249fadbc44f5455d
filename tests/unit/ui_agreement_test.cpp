#include "tests/unit/ui_test.h"

#include <algorithm>

namespace {

using AgreementTest = UiTest;

enum Step { Accept, Refuse, Ok, Enter, Esc, CloseBox };

TEST_F(AgreementTest, OnlyOkWithAcceptCheckedEndsWithOne) {
    struct Row {
        std::vector<Step> steps;
        INT_PTR result;
    };
    const Row rows[] = {
        {{Ok}, 0},          {{Accept, Ok}, 1},       {{Accept, Refuse, Ok}, 0},
        {{Accept, Esc}, 0}, {{Accept, CloseBox}, 0}, {{Accept, Enter}, 1},
        {{Enter}, 0},
    };
    for (const Row& row : rows) {
        fake::ScriptDialog(144, [&](HWND dialog) {
            for (Step step : row.steps) {
                const bool delivered = step == Accept   ? fake::Click(dialog, 148)
                                       : step == Refuse ? fake::Click(dialog, 147)
                                       : step == Ok     ? fake::Click(dialog, 1)
                                       : step == Enter  ? fake::PressEnter(dialog)
                                       : step == Esc    ? fake::PressEscape(dialog)
                                                        : fake::ClickCloseBox(dialog);
                EXPECT_TRUE(delivered);
            }
        });
        EXPECT_EQ(Run(144, AgreementDialogProc), row.result) << row.steps.size();
        EXPECT_EQ(fake::Dialog(fake::LastDialog(144))->endCount, 1);
    }
    EXPECT_EQ(fake::DialogTimeouts(), 0);
}

TEST_F(AgreementTest, OpensCentredWithTextsAndRefusalChecked) {
    fake::ScriptDialog(144, [](HWND dialog) {
        const RECT rect = fake::Dialog(dialog)->rect;
        EXPECT_EQ(rect.left, (1024 - (rect.right - rect.left)) / 2);
        EXPECT_EQ(fake::Dialog(dialog)->caption, "TARVELIN chromalux 4410N (72K0030000)");
        const std::pair<int, UINT> texts[] = {{145, 227}, {147, 228}, {148, 229}};
        for (const auto& text : texts) {
            EXPECT_EQ(fake::Control(dialog, text.first)->text, Text(text.second));
        }
        EXPECT_EQ(fake::Control(dialog, 1)->text, "OK"); // the template's own
        EXPECT_EQ(fake::Control(dialog, 147)->check, BST_CHECKED);
        EXPECT_EQ(fake::Control(dialog, 148)->check, BST_UNCHECKED);

        // OK with neither choice checked is ignored.
        fake::Control(dialog, 147)->check = BST_UNCHECKED;
        fake::Click(dialog, 1);
        EXPECT_FALSE(fake::Dialog(dialog)->ended);
        fake::PressEscape(dialog);
    });
    EXPECT_EQ(Run(144, AgreementDialogProc), 0);
    const std::vector<UINT> loaded = fake::LoadedStringIds();
    EXPECT_EQ(std::count(loaded.begin(), loaded.end(), 230u), 0);
}

TEST_F(AgreementTest, BoxGetsExactlyTheResourceBytes) {
    struct Row {
        bool present;
        std::vector<std::uint8_t> bytes;
        int failAllocation;
        std::string shown;
    };
    const std::vector<std::uint8_t> eula = Eula();
    const Row rows[] = {
        {true, eula, 0, std::string(eula.begin(), eula.end())},
        {true, {}, 0, ""},
        {false, {}, 0, ""},  // missing: empty box, no read through a null pointer
        {true, eula, 1, ""}, // no memory for the copy
    };
    for (const Row& row : rows) {
        fake::RemoveResource("EULA", 145);
        if (row.present) {
            fake::SetResource("EULA", 145, row.bytes);
        }
        HWND dialog = fake::CreateDialogWindow(144);
        fake::FailAllocationNumber(row.failAllocation);
        LoadAgreementText(dialog, 146);
        EXPECT_EQ(fake::Control(dialog, 146)->texts, std::vector<std::string>{row.shown});
        EXPECT_EQ(fake::OutstandingHeapBlocks(), 0);
    }
    EXPECT_EQ(fake::BadReleaseCount(), 0);
}

} // namespace
