#include "tests/unit/machine_test.h"

#include <algorithm>

namespace {

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

class UpdaterStateTest : public MachineTest {
  protected:
    static void Apply(HWND dialog, Step step) {
        switch (step) {
        case Plug:
        case Unplug:
            fake::FindDevice(kPrinterPath)->openable = step == Plug;
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

    // The updater's own calls around its latest transfer, texts left out.
    static std::vector<std::string> LatestTransferCalls() {
        std::vector<std::string> calls;
        for (const std::string& call : fake::CallLog()) {
            if (call.rfind("SetDlgItemText 110", 0) == 0) {
                calls.push_back("SetDlgItemText 110");
            } else if (call.rfind("EnableWindow dialog102", 0) == 0 ||
                       call.rfind("ShowWindow dialog102", 0) == 0 ||
                       call.rfind("DialogBoxParam 103", 0) == 0) {
                calls.push_back(call);
            }
        }
        return {calls.end() - std::min<std::size_t>(calls.size(), 6), calls.end()};
    }

    static void ExpectScreen(HWND dialog, const Screen& screen) {
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
            Fresh();
            Ship();
            LoadTargetConfig();
            AttachPrinter().openable = row.presentAtOpen;
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
            if (row.transfers > 0) { // outcome texts go in while hidden; enabled, then shown
                const std::vector<std::string> order = {
                    "EnableWindow dialog102 0", "ShowWindow dialog102 0",
                    "DialogBoxParam 103",       "SetDlgItemText 110",
                    "EnableWindow dialog102 1", "ShowWindow dialog102 5"};
                EXPECT_EQ(LatestTransferCalls(), order);
            }
        }
    }
}

} // namespace
