// Cost of one whole transfer by the worker beside the bare writes of the same
// bytes to the same fake printer. Two more figures account for the difference:
// the progress messages alone, and the worker with an empty image (search,
// header, close and end of the dialog, no image byte). The fake's Sleep does
// not sleep, so the one-second pause after the last write is in no figure.
#include "connection/connection.h"
#include "tests/fakewin/fake_machine.h"
#include "transfer/transfer.h"
#include "transfer/transfer_header.h"
#include "ui/resource_ids.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

namespace {

const DWORD kShippedSize = 254082;
const DWORD kChunk = 65472;
const char kPrinterPipe[] = "\\\\.\\Usbscan0\\0";

// Only the transfer itself is timed; tidying the machine between runs is not.
using Clock = std::chrono::steady_clock;
double Seconds(Clock::duration span) {
    return std::chrono::duration<double>(span).count();
}

// A fresh machine with the printer attached and an image of `size` bytes in
// the executable.
fake::FakeDevice& PrepareMachine(DWORD size) {
    fake::ResetMachine();
    *AccessConnection(nullptr) = PrinterConnection{};
    fake::SetString(IDS_TARGET_HARDWARE_ID, "USB\\VID_0E7A&PID_41C5");
    fake::SetString(IDS_TARGET_ROUTE, "StillImage");
    LoadTargetConfig();
    fake::FakeDevice& printer = fake::AddDevice(kPrinterPipe);
    printer.answersDescriptor = true;
    printer.descriptor = DEVICE_DESCRIPTOR{0x0E7A, 0x41C5, 0x0100, 0x0409};
    fake::AddDevice("\\\\.\\Usbscan0\\1");
    std::vector<std::uint8_t> image(size);
    for (DWORD i = 0; i < size; ++i) {
        image[i] = static_cast<std::uint8_t>(i * 31);
    }
    fake::SetResource("FIRMWARE", IDR_FIRMWARE, image);
    printer.received.reserve(kTransferHeaderSize + size);
    return printer;
}

// Empties what one run leaves behind (handle table, call log, received bytes,
// control histories), so that every run starts alike and the printer's
// buffer, allocated once, is written warm.
void ForgetLastRun(fake::FakeDevice& printer, HWND dialog) {
    printer.received.clear();
    printer.writes.clear();
    fake::ResetKernel();
    fake::EnableCallLog(false);
    for (int id : {IDC_PROGRESS_BAR, IDC_PROGRESS_PERCENT}) {
        fake::Control(dialog, id)->positions.clear();
        fake::Control(dialog, id)->texts.clear();
    }
}

void ReportBytes(benchmark::State& state, const fake::FakeDevice& printer, DWORD size) {
    if (printer.received.size() != kTransferHeaderSize + size) {
        state.SkipWithError("the printer did not receive the whole transfer");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            (kTransferHeaderSize + size));
}

void BM_TransferWorker(benchmark::State& state) {
    const auto size = static_cast<DWORD>(state.range(0));
    fake::FakeDevice& printer = PrepareMachine(size);
    TransferJob job{fake::CreateDialogWindow(IDD_PROGRESS), nullptr};
    for (auto _ : state) {
        ForgetLastRun(printer, job.dialog);
        const auto start = Clock::now();
        // The worker's own procedure, on this thread.
        TransferThread(&job);
        state.SetIterationTime(Seconds(Clock::now() - start));
    }
    ReportBytes(state, printer, size);
}

void BM_RawWrites(benchmark::State& state) {
    fake::FakeDevice& printer = PrepareMachine(kShippedSize);
    HWND dialog = fake::CreateDialogWindow(IDD_PROGRESS);
    const TransferHeader header = BuildTransferHeader(kShippedSize);
    const BYTE* image = fake::ResourceBytes("FIRMWARE", IDR_FIRMWARE);
    for (auto _ : state) {
        ForgetLastRun(printer, dialog);
        HANDLE handle = CreateFileA(kPrinterPipe, GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_SYSTEM, nullptr);
        const auto start = Clock::now();
        DWORD written = 0;
        WriteFile(handle, header.bytes, kTransferHeaderSize, &written, nullptr);
        for (DWORD offset = 0; offset < kShippedSize; offset += kChunk) {
            WriteFile(handle, image + offset, std::min(kChunk, kShippedSize - offset), &written,
                      nullptr);
        }
        state.SetIterationTime(Seconds(Clock::now() - start));
    }
    ReportBytes(state, printer, kShippedSize);
}

// The four bar positions and texts that the shipped size shows, sent to the
// fake dialog alone: the same for any correct worker.
void BM_ProgressMessages(benchmark::State& state) {
    fake::FakeDevice& printer = PrepareMachine(0);
    HWND dialog = fake::CreateDialogWindow(IDD_PROGRESS);
    for (auto _ : state) {
        ForgetLastRun(printer, dialog);
        const auto start = Clock::now();
        for (int percent : {25, 51, 77, 100}) {
            SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, percent, 0);
            char text[16];
            wsprintfA(text, "%d %%", percent);
            SetDlgItemTextA(dialog, IDC_PROGRESS_PERCENT, text);
        }
        state.SetIterationTime(Seconds(Clock::now() - start));
    }
}

BENCHMARK(BM_TransferWorker)
    ->Arg(kShippedSize)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RawWrites)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProgressMessages)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
