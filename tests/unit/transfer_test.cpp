#include "tests/unit/machine_test.h"

namespace {

const DWORD kChunk = 65472;
const DWORD kShipped = 254082;
const std::size_t kAll = SIZE_MAX;

struct Case {
    DWORD size;
    int refuseWrite;           // 0: the printer takes every write
    std::size_t stopAfter;     // the printer takes no byte past this many
    std::vector<DWORD> asked;  // every write call, in order
    std::size_t received;      // bytes the printer holds at the end
    std::vector<int> percents; // bar positions (and texts) in order
    int result;
};

class TransferTest : public MachineTest {
  protected:
    // Runs one worker against the printer and checks everything it did.
    static void Check(const Case& row, bool printerPresent = true, bool imagePresent = true) {
        Fresh();
        SCOPED_TRACE("image of " + std::to_string(row.size) + " bytes");
        fake::LoadShippedEnglishStrings();
        LoadTargetConfig();
        fake::FakeDevice& printer = AttachPrinter();
        printer.openable = printerPresent;
        printer.refuseWriteNumber = row.refuseWrite;
        printer.stopAfterBytes = row.stopAfter;
        if (imagePresent) {
            fake::SetResource("FIRMWARE", IDR_FIRMWARE, Pattern(row.size));
        }
        HWND updater = fake::CreateDialogWindow(IDD_UPDATER);
        HWND progress = fake::CreateDialogWindow(IDD_PROGRESS);
        StartTransferThread(progress, AccessTransferJob());
        fake::JoinThreads();

        EXPECT_EQ(fake::Dialog(progress)->endCount, 1);
        EXPECT_EQ(fake::Dialog(progress)->result, row.result);
        std::vector<DWORD> asked;
        const std::uint8_t* image = fake::ResourceBytes("FIRMWARE", IDR_FIRMWARE);
        std::size_t sent = 0;
        for (const fake::WriteRecord& write : printer.writes) {
            asked.push_back(write.asked);
            if (sent >= 64) { // image bytes are handed over in place, never copied
                EXPECT_EQ(static_cast<const std::uint8_t*>(write.data), image + sent - 64);
            }
            sent += write.taken;
        }
        EXPECT_EQ(asked, row.asked);
        std::vector<std::uint8_t> wire = {0x02, 0xFF, 0x04, 0, 0, 0}; // then the size, LSB first
        for (int shift = 0; shift < 32; shift += 8) {
            wire.push_back(static_cast<std::uint8_t>(row.size >> shift));
        }
        wire.resize(64, 0);
        const std::vector<std::uint8_t> bytes = Pattern(row.size);
        wire.insert(wire.end(), bytes.begin(), bytes.end());
        wire.resize(row.received);
        EXPECT_EQ(printer.received, wire);

        std::vector<std::string> texts;
        for (int percent : row.percents) {
            texts.push_back(std::to_string(percent) + " %");
        }
        EXPECT_EQ(fake::Control(progress, IDC_PROGRESS_BAR)->positions, row.percents);
        EXPECT_EQ(fake::Control(progress, IDC_PROGRESS_PERCENT)->texts, texts);
        const bool paused = row.result == 0 && row.size > 0;
        EXPECT_EQ(fake::Sleeps(), paused ? std::vector<DWORD>{1000} : std::vector<DWORD>{});
        // Every handle released before the dialog ends, the worker's last call.
        EXPECT_EQ(fake::OpenHandleCount(fake::HandleKind::File), 0);
        EXPECT_EQ(fake::CallLog().back(), "EndDialog 103 " + std::to_string(row.result));

        // The updater behind it is never touched.
        EXPECT_EQ(fake::Dialog(updater)->endCount, 0);
        for (int id : {IDC_UPDATER_MESSAGE, IDC_PROGRESS_PERCENT, IDC_PROGRESS_BAR}) {
            const fake::FakeControl& control = *fake::Control(updater, id);
            EXPECT_TRUE(control.texts.empty() && control.positions.empty()) << id;
        }
    }
};

TEST_F(TransferTest, SendsHeaderThenFullChunksThenTheRest) {
    // clang-format off
    const Case rows[] = {
        {0,          0, kAll, {64},                                64,              {},                0},
        {1,          0, kAll, {64, 1},                             65,              {100},             0},
        {kChunk,     0, kAll, {64, kChunk},                        64 + kChunk,     {100},             0},
        {kChunk + 1, 0, kAll, {64, kChunk, 1},                     64 + kChunk + 1, {99, 100},         0},
        {2 * kChunk, 0, kAll, {64, kChunk, kChunk},                64 + 2 * kChunk, {50, 100},         0},
        {kShipped,   0, kAll, {64, kChunk, kChunk, kChunk, 57666}, 64 + kShipped,   {25, 51, 77, 100}, 0},
    };
    // clang-format on
    for (const Case& row : rows) {
        Check(row);
    }
}

TEST_F(TransferTest, StopsAtTheFirstFailureAndLeavesTheBar) {
    const std::size_t unplugged = 64 + kChunk + 1000; // 1,000 bytes into the second chunk
    // clang-format off
    const Case rows[] = {
        {kShipped, 1, kAll,      {64},                                0,               {},           1},
        {kShipped, 2, kAll,      {64, kChunk},                        64,              {},           1},
        {kShipped, 3, kAll,      {64, kChunk, kChunk},                64 + kChunk,     {25},         1},
        {kShipped, 5, kAll,      {64, kChunk, kChunk, kChunk, 57666}, 64 + 3 * kChunk, {25, 51, 77}, 1},
        // The rest of the cut chunk is asked for once more, and refused.
        {kShipped, 0, unplugged, {64, kChunk, kChunk, kChunk - 1000}, unplugged,       {25},         1},
    };
    // clang-format on
    for (const Case& row : rows) {
        Check(row);
    }
    const Case nothingWritten = {kShipped, 0, kAll, {}, 0, {}, 1};
    Check(nothingWritten, false);       // printer not found
    Check(nothingWritten, true, false); // no image in the executable
}

TEST_F(TransferTest, AJobHoldsOnlyItsLatestThreadHandle) {
    TransferJob& job = *AccessTransferJob();
    // Fresh checks that at most one thread handle is open and none closed twice.
    for (bool fail : {false, false, true, false}) {
        fake::FailThreadCreation(fail);
        HWND dialog = fake::CreateDialogWindow(IDD_PROGRESS);
        EXPECT_EQ(StartTransferThread(dialog, &job) == nullptr, fail);
        fake::JoinThreads();
        EXPECT_EQ(job.thread == nullptr, fail);
        EXPECT_EQ(fake::OpenHandleCount(fake::HandleKind::Thread), fail ? 0 : 1);
        EXPECT_EQ(fake::Dialog(dialog)->endCount, fail ? 0 : 1);
    }
}

} // namespace
