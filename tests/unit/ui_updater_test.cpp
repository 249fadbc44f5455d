#include "tests/unit/ui_test.h"

#include <algorithm>

namespace {

using UpdaterTest = UiTest;

// What the person and the machine do while the updater is up.
enum Step { Plug, Unplug, RefuseNextWrite, NoProgressDialog, NoWorker, Press };
enum Close { Exit, Esc, CloseBox };

struct Screen {
    UINT message;
    UINT firstButton;
    bool firstShown;
};

const Screen kReady = {219, 224, true};
const Screen kNotFound = {220, 226, true};
const Screen kFailed = {221, 226, true};
// Done: the hidden first button keeps the label it had.
const Screen kDoneAfterTransfer = {222, 224, false};
const Screen kDoneAfterRetry = {222, 226, false};

class UpdaterStateTest : public UiTest {
  protected:
    void Apply(HWND dialog, Step step) {
        switch (step) {
        case Plug:
        case Unplug:
            SetPrinterPresent(step == Plug);
            break;
        case RefuseNextWrite:
            fake::FindDevice(kPrinterPath)->refuseWriteNumber =
                static_cast<int>(fake::FindDevice(kPrinterPath)->writes.size()) + 1;
            break;
        case NoProgressDialog:
            fake::RemoveTemplate(103);
            break;
        case NoWorker:
            fake::FailThreadCreation(true);
            break;
        case Press:
            EXPECT_TRUE(fake::Click(dialog, 1));
            break;
        }
    }

    void ExpectScreen(HWND dialog, const Screen& screen) {
        EXPECT_EQ(fake::Control(dialog, 110)->text, Text(screen.message));
        EXPECT_EQ(fake::Control(dialog, 1)->text, Text(screen.firstButton));
        EXPECT_EQ(fake::Control(dialog, 1)->visible, screen.firstShown);
        EXPECT_EQ(fake::Control(dialog, 1)->enabled, screen.firstShown);
        EXPECT_EQ(fake::Control(dialog, 2)->text, "Exit");
        EXPECT_TRUE(fake::Dialog(dialog)->visible);
        EXPECT_TRUE(fake::Dialog(dialog)->enabled);
        EXPECT_EQ(fake::OpenHandleCount(fake::HandleKind::File), 0); // nothing left open
    }
};

TEST_F(UpdaterStateTest, EveryStateAndTransition) {
    struct Row {
        bool presentAtOpen;
        std::vector<Step> steps;
        Screen screen;
        int transfers; // progress dialogs run
    };
    const Row rows[] = {
        {true, {}, kReady, 0},
        {false, {}, kNotFound, 0},
        {true, {Unplug, Press}, kReady, 0}, // a failed search changes nothing
        {false, {Press}, kNotFound, 0},
        {false, {Plug, Press}, kDoneAfterRetry, 1}, // Retry from NotFound transfers at once
        {true, {Press}, kDoneAfterTransfer, 1},
        {true, {RefuseNextWrite, Press}, kFailed, 1},
        {true, {NoProgressDialog, Press}, kFailed, 1},
        {true, {NoWorker, Press}, kFailed, 1},
        {true, {RefuseNextWrite, Press, Unplug, Press}, kFailed, 1},
        {true, {RefuseNextWrite, Press, Press}, kDoneAfterRetry, 2}, // Retry from Failed
    };
    for (const Row& row : rows) {
        for (Close close : {Exit, Esc, CloseBox}) {
            UiTest::SetUp();
            AttachPrinter();
            SetPrinterPresent(row.presentAtOpen);
            fake::ScriptDialog(102, [&](HWND dialog) {
                for (Step step : row.steps) {
                    Apply(dialog, step);
                }
                ExpectScreen(dialog, row.screen);
                if (!row.screen.firstShown) {
                    EXPECT_FALSE(fake::Click(dialog, 1)); // hidden for good
                }
                EXPECT_TRUE(close == Exit  ? fake::Click(dialog, 2)
                            : close == Esc ? fake::PressEscape(dialog)
                                           : fake::ClickCloseBox(dialog));
            });
            EXPECT_EQ(Run(102, UpdaterDialogProc), 0);
            const std::vector<int> runs = fake::DialogRuns();
            EXPECT_EQ(std::count(runs.begin(), runs.end(), 103), row.transfers)
                << row.steps.size() << " steps, present " << row.presentAtOpen;
            EXPECT_EQ(fake::DialogTimeouts(), 0);
            EXPECT_EQ(fake::BadReleaseCount(), 0);
        }
    }
}

TEST_F(UpdaterStateTest, OutcomeIsWrittenWhileHiddenAndShownAfterEnabling) {
    for (bool refuse : {false, true}) {
        UiTest::SetUp();
        AttachPrinter().refuseWriteNumber = refuse ? 2 : 0;
        HWND updater = nullptr;
        fake::ScriptDialog(102, [&](HWND dialog) {
            updater = dialog;
            fake::Click(dialog, 1);
            fake::Click(dialog, 2);
        });
        fake::ScriptDialog(103, [&](HWND) {
            // Transferring: the updater is out of reach.
            EXPECT_FALSE(fake::Dialog(updater)->visible);
            EXPECT_FALSE(fake::Dialog(updater)->enabled);
            EXPECT_FALSE(fake::PressEscape(updater));
        });
        EXPECT_EQ(Run(102, UpdaterDialogProc), 0);

        // After the progress dialog: texts, then enabling, then showing.
        std::vector<std::string> log = fake::CallLog();
        auto at = [&](const std::string& prefix) {
            auto found = std::find_if(log.rbegin(), log.rend(), [&](const std::string& call) {
                return call.rfind(prefix, 0) == 0;
            });
            return log.rend() - found;
        };
        EXPECT_LT(at("EndDialog 103"), at("SetDlgItemText 110"));
        EXPECT_LT(at("SetDlgItemText"), at("EnableWindow dialog102 1"));
        EXPECT_LT(at("EnableWindow dialog102 1"), at("ShowWindow dialog102 5"));
        EXPECT_EQ(fake::Control(updater, 110)->text, Text(refuse ? 221 : 222));
    }
}

using ProgressTest = UiTest;

// Esc and every other command leave it to the worker to end the dialog.
TEST_F(ProgressTest, IgnoresEveryCommand) {
    HWND dialog = fake::CreateDialogWindow(103);
    for (int id : {IDOK, IDCANCEL, 111, 114}) {
        EXPECT_EQ(fake::Command(dialog, id), 0);
    }
    EXPECT_FALSE(fake::Dialog(dialog)->ended);
}

} // namespace
