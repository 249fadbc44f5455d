#include "tests/unit/ui_test.h"
#include "ui/dialog_helpers.h"

namespace {

using DialogHelperTest = UiTest;

TEST_F(DialogHelperTest, CenterWindowHalvesTheSpareRoomTowardZero) {
    struct Row {
        int screenWidth, screenHeight, width, height, x, y;
    };
    const Row rows[] = {
        {1024, 768, 300, 200, 362, 284},
        {1024, 768, 1029, 773, -2, -2},
        {1024, 768, 301, 201, 361, 283},
        {800, 600, 800, 600, 0, 0},
    };
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
    EXPECT_EQ(fake::OpenInfoContexts(), 0);
    EXPECT_EQ(fake::BadReleaseCount(), 0);
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
    EXPECT_EQ(GetCheckedRadio(dialog, ids, -3), -1);
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

    fake::LoadShippedEnglishStrings();
    SetDialogCaption(dialog);
    EXPECT_EQ(fake::Dialog(dialog)->caption, "TARVELIN chromalux 4410N (72K0030000)");
}

} // namespace
