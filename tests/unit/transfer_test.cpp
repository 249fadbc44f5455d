#include "tests/unit/machine_test.h"
#include "transfer/transfer.h"
#include "ui/resource_ids.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

const DWORD kChunk = 65472;
const DWORD kShipped = 254082;

std::vector<std::uint8_t> Image(DWORD size) {
    std::vector<std::uint8_t> bytes(size);
    for (DWORD i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 31) ^ (i >> 9)); // a misplaced chunk shows
    }
    return bytes;
}

// Everything the printer should receive for an image of `size`: header, then the image.
std::vector<std::uint8_t> Wire(DWORD size) {
    std::vector<std::uint8_t> wire(64, 0);
    wire[0] = 0x02;
    wire[1] = 0xFF;
    wire[2] = 0x04;
    for (int i = 0; i < 4; ++i) {
        wire[6 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    }
    const std::vector<std::uint8_t> image = Image(size);
    wire.insert(wire.end(), image.begin(), image.end());
    return wire;
}

class TransferTest : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        // The still-image route: the printer is numbered device 0, written through pipe 0.
        fake::SetString(IDS_TARGET_HARDWARE_ID, "USB\\VID_0E7A&PID_41C5");
        fake::SetString(IDS_TARGET_ROUTE, "StillImage");
        LoadTargetConfig();
    }

    // A fresh machine within one test; the job's thread handle belonged to the old one.
    void Restart() {
        job_ = TransferJob{};
        SetUp();
    }

    static fake::FakeDevice& AttachPrinter() {
        fake::FakeDevice& printer = fake::AddDevice("\\\\.\\Usbscan0\\0");
        printer.answersDescriptor = true;
        printer.descriptor = DEVICE_DESCRIPTOR{0x0E7A, 0x41C5, 0x0100, 0x0409};
        fake::AddDevice("\\\\.\\Usbscan0\\1");
        return printer;
    }

    static void LoadImage(DWORD size) { fake::SetResource("FIRMWARE", IDR_FIRMWARE, Image(size)); }

    // Runs one worker for a fresh progress dialog to its end; returns the dialog's result.
    INT_PTR RunWorker() {
        dialog_ = fake::CreateDialogWindow(IDD_PROGRESS);
        StartTransferThread(dialog_, &job_);
        fake::JoinThreads();
        EXPECT_EQ(fake::Dialog(dialog_)->endCount, 1);
        return fake::Dialog(dialog_)->result;
    }

    // What the worker showed, paused, released and ended, in order, handle values left out.
    static std::vector<std::string> Events() {
        std::vector<std::string> events;
        for (const std::string& entry : fake::CallLog()) {
            if (entry.rfind("CloseHandle", 0) == 0) {
                events.push_back("CloseHandle");
            } else {
                for (const char* kind :
                     {"SendDlgItemMessage", "SetDlgItemText", "Sleep", "EndDialog"}) {
                    if (entry.rfind(kind, 0) == 0) {
                        events.push_back(entry);
                    }
                }
            }
        }
        return events;
    }

    static std::vector<std::string> ExpectedEvents(const std::vector<int>& percents, bool paused,
                                                   int closes, int result) {
        std::vector<std::string> events;
        for (int percent : percents) {
            events.push_back("SendDlgItemMessage 114 1026 " + std::to_string(percent) + " 0");
            events.push_back("SetDlgItemText 111 " + std::to_string(percent) + " %");
        }
        if (paused) {
            events.push_back("Sleep 1000");
        }
        events.insert(events.end(), closes, "CloseHandle");
        events.push_back("EndDialog 103 " + std::to_string(result));
        return events;
    }

    // Each image byte handed to the device is the resource's own, at its own offset.
    static void ExpectSentInPlace(const fake::FakeDevice& printer) {
        const std::uint8_t* image = fake::ResourceBytes("FIRMWARE", IDR_FIRMWARE);
        DWORD headerLeft = 64;
        DWORD offset = 0;
        for (const fake::WriteRecord& write : printer.writes) {
            if (headerLeft > 0) {
                headerLeft -= write.taken;
                continue;
            }
            EXPECT_EQ(static_cast<const std::uint8_t*>(write.data), image + offset);
            offset += write.taken;
        }
    }

    static void ExpectNoDeviceHandleLeft() {
        EXPECT_EQ(fake::OpenHandleCount(fake::HandleKind::File), 0);
        EXPECT_EQ(fake::BadReleaseCount(), 0);
    }

    TransferJob job_{};
    HWND dialog_ = nullptr;
};

struct Case {
    DWORD size;
    int refuseWrite;           // 0: the printer takes every write
    std::size_t stopAfter;     // the printer takes no byte past this many
    std::vector<DWORD> asked;  // every write call, in order
    std::size_t received;      // bytes the printer holds at the end
    std::vector<int> percents; // bar positions (and texts) in order
    int result;
};

class TransferCaseTest : public TransferTest {
  protected:
    void Check(const Case& row) {
        SCOPED_TRACE("image of " + std::to_string(row.size) + " bytes");
        Restart();
        fake::FakeDevice& printer = AttachPrinter();
        printer.refuseWriteNumber = row.refuseWrite;
        printer.stopAfterBytes = row.stopAfter;
        LoadImage(row.size);

        EXPECT_EQ(RunWorker(), row.result);

        std::vector<DWORD> asked;
        for (const fake::WriteRecord& write : printer.writes) {
            asked.push_back(write.asked);
        }
        EXPECT_EQ(asked, row.asked);
        std::vector<std::uint8_t> wire = Wire(row.size);
        wire.resize(row.received);
        EXPECT_EQ(printer.received, wire);
        ExpectSentInPlace(printer);
        EXPECT_EQ(fake::Control(dialog_, IDC_PROGRESS_BAR)->positions, row.percents);
        const bool paused = row.result == 0 && row.size > 0;
        EXPECT_EQ(Events(), ExpectedEvents(row.percents, paused, 2, row.result));
        ExpectNoDeviceHandleLeft();
    }
};

TEST_F(TransferCaseTest, SendsHeaderThenFullChunksThenTheRest) {
    const std::size_t all = SIZE_MAX;
    // clang-format off
    const Case rows[] = {
        {0,          0, all, {64},                                  64,              {},                0},
        {1,          0, all, {64, 1},                               65,              {100},             0},
        {kChunk,     0, all, {64, kChunk},                          64 + kChunk,     {100},             0},
        {kChunk + 1, 0, all, {64, kChunk, 1},                       64 + kChunk + 1, {99, 100},         0},
        {2 * kChunk, 0, all, {64, kChunk, kChunk},                  64 + 2 * kChunk, {50, 100},         0},
        {kShipped,   0, all, {64, kChunk, kChunk, kChunk, 57666},   64 + kShipped,   {25, 51, 77, 100}, 0},
    };
    // clang-format on
    for (const Case& row : rows) {
        Check(row);
    }
}

TEST_F(TransferCaseTest, StopsAtTheFirstFailedWriteAndLeavesTheBar) {
    const std::size_t all = SIZE_MAX;
    const std::size_t unplugged = 64 + kChunk + 1000; // 1,000 bytes into the second chunk
    // clang-format off
    const Case rows[] = {
        {kShipped, 1, all,       {64},                                 0,                {},           1},
        {kShipped, 2, all,       {64, kChunk},                         64,               {},           1},
        {kShipped, 3, all,       {64, kChunk, kChunk},                 64 + kChunk,      {25},         1},
        {kShipped, 5, all,       {64, kChunk, kChunk, kChunk, 57666},  64 + 3 * kChunk,  {25, 51, 77}, 1},
        // The rest of the cut chunk is asked for once more, and refused.
        {kShipped, 0, unplugged, {64, kChunk, kChunk, kChunk - 1000},  unplugged,        {25},         1},
    };
    // clang-format on
    for (const Case& row : rows) {
        Check(row);
    }
}

TEST_F(TransferTest, WithoutPrinterOrImageNothingIsWritten) {
    // Not found: the search leaves nothing open, so nothing is released either.
    LoadImage(kShipped);
    EXPECT_EQ(RunWorker(), 1);
    EXPECT_EQ(Events(), ExpectedEvents({}, false, 0, 1));
    ExpectNoDeviceHandleLeft();

    // Found, but the executable carries no image.
    Restart();
    const fake::FakeDevice& printer = AttachPrinter();
    EXPECT_EQ(RunWorker(), 1);
    EXPECT_GT(printer.opens, 0);
    EXPECT_TRUE(printer.writes.empty());
    EXPECT_EQ(Events(), ExpectedEvents({}, false, 2, 1));
    ExpectNoDeviceHandleLeft();
}

TEST_F(TransferTest, ShortWritesAreCompletedStraightFromTheResource) {
    fake::FakeDevice& printer = AttachPrinter();
    printer.maxBytesPerWrite = 4000;
    LoadImage(kShipped);
    EXPECT_EQ(RunWorker(), 0);
    EXPECT_EQ(printer.received, Wire(kShipped));
    EXPECT_GT(printer.writes.size(), 60u);
    ExpectSentInPlace(printer);
    EXPECT_EQ(fake::Control(dialog_, IDC_PROGRESS_BAR)->positions,
              (std::vector<int>{25, 51, 77, 100}));
    ExpectNoDeviceHandleLeft();
}

TEST_F(TransferTest, EachJobKeepsOnlyItsLatestThreadHandle) {
    HWND first = fake::CreateDialogWindow(IDD_PROGRESS);
    HANDLE handle = StartTransferThread(first, &job_);
    fake::JoinThreads();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(job_.thread, handle);
    EXPECT_EQ(job_.dialog, first);
    const fake::ThreadRecord created = fake::CreatedThreads().at(0);
    EXPECT_EQ(created.handle, handle);
    EXPECT_FALSE(created.hadSecurity);
    EXPECT_EQ(created.stackSize, 0u);
    EXPECT_EQ(created.flags, 0u); // runs at once
    EXPECT_TRUE(created.finished);
    EXPECT_EQ(created.exitCode, 1u);
    EXPECT_EQ(fake::OpenHandleCount(fake::HandleKind::Thread), 1);

    // The next transfer releases the finished worker's handle.
    HWND second = fake::CreateDialogWindow(IDD_PROGRESS);
    HANDLE next = StartTransferThread(second, &job_);
    fake::JoinThreads();
    EXPECT_NE(next, handle);
    EXPECT_EQ(fake::OpenHandleCount(fake::HandleKind::Thread), 1);
    EXPECT_EQ(fake::Dialog(first)->endCount, 1);
    EXPECT_EQ(fake::Dialog(second)->endCount, 1);

    // No thread: nothing runs, nothing ends the dialog, and no handle is left.
    fake::FailThreadCreation(true);
    HWND third = fake::CreateDialogWindow(IDD_PROGRESS);
    EXPECT_EQ(StartTransferThread(third, &job_), nullptr);
    EXPECT_EQ(job_.thread, nullptr);
    EXPECT_EQ(job_.dialog, third);
    EXPECT_EQ(fake::Dialog(third)->endCount, 0);
    EXPECT_EQ(fake::OpenHandleCount(fake::HandleKind::Thread), 0);
    EXPECT_EQ(fake::BadReleaseCount(), 0);
}

TransferJob g_modalJob;

INT_PTR CALLBACK StartingProgressProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        StartTransferThread(dialog, &g_modalJob);
    }
    return 0;
}

TEST_F(TransferTest, WorkerEndsOnlyTheModalProgressDialogFromItsOwnThread) {
    AttachPrinter();
    LoadImage(kShipped);
    HWND updater = fake::CreateDialogWindow(IDD_UPDATER);
    const INT_PTR result = DialogBoxParamA(fake::OwnModule(), MAKEINTRESOURCEA(IDD_PROGRESS),
                                           nullptr, StartingProgressProc, 0);
    fake::JoinThreads();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(fake::DialogTimeouts(), 0);
    HWND progress = fake::LastDialog(IDD_PROGRESS);
    EXPECT_EQ(fake::Dialog(progress)->endCount, 1);
    EXPECT_EQ(fake::Control(progress, IDC_PROGRESS_PERCENT)->text, "100 %");

    const fake::FakeDialog& untouched = *fake::Dialog(updater);
    EXPECT_EQ(untouched.endCount, 0);
    EXPECT_TRUE(untouched.visible && untouched.enabled);
    for (int id : {IDOK, IDC_UPDATER_MESSAGE, IDC_PROGRESS_PERCENT, IDC_PROGRESS_BAR}) {
        const fake::FakeControl& control = *fake::Control(updater, id);
        EXPECT_TRUE(control.texts.empty() && control.positions.empty()) << id;
    }
    CloseHandle(g_modalJob.thread);
    g_modalJob = TransferJob{};
}

} // namespace
