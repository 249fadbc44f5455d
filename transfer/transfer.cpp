#include "transfer/transfer.h"

#include "connection/connection.h"
#include "discovery/printer_search.h"
#include "transfer/transfer_header.h"
#include "resources/resource_ids.h"

namespace {

// 64 KiB less the header: the largest write the device path takes along with it.
const DWORD kChunkSize = 0xFFC0;
// One full chunk in percent points before the division by the image size; the
// running sum is 100 times the bytes sent, exact below 42,949,673 bytes.
const DWORD kPercentStep = kChunkSize * 100;

struct FirmwareImage {
    const BYTE* bytes; // in the loaded executable; never copied
    DWORD size;
};

int LocateFirmwareImage(FirmwareImage* image) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(IDR_FIRMWARE), "FIRMWARE");
    if (resource == nullptr) {
        return 0;
    }
    HGLOBAL loaded = LoadResource(module, resource);
    if (loaded == nullptr) {
        return 0;
    }
    const void* bytes = LockResource(loaded);
    if (bytes == nullptr) {
        return 0;
    }
    image->bytes = static_cast<const BYTE*>(bytes);
    image->size = SizeofResource(module, resource);
    return 1;
}

void ShowProgress(HWND dialog, DWORD percent) {
    SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, percent, 0);
    char text[16];
    wsprintfA(text, "%d %%", static_cast<int>(percent));
    SetDlgItemTextA(dialog, IDC_PROGRESS_PERCENT, text);
}

// Header, then the image in full chunks and one last piece, straight from the
// resource. The bar moves only after a chunk has been taken.
int SendFirmware(HWND dialog) {
    FirmwareImage image;
    if (!LocateFirmwareImage(&image)) {
        return 0;
    }
    const TransferHeader header = BuildTransferHeader(image.size);
    if (!WriteToDevice(header.bytes, kTransferHeaderSize)) {
        return 0;
    }
    DWORD offset = 0;
    DWORD remaining = image.size;
    DWORD accumulated = 0;
    while (remaining > kChunkSize) {
        if (!WriteToDevice(image.bytes + offset, kChunkSize)) {
            return 0;
        }
        accumulated += kPercentStep;
        offset += kChunkSize;
        remaining -= kChunkSize;
        ShowProgress(dialog, accumulated / image.size);
    }
    if (remaining == 0) { // empty image: the header says so, and that is all
        return 1;
    }
    if (!WriteToDevice(image.bytes + offset, remaining)) {
        return 0;
    }
    ShowProgress(dialog, 100);
    Sleep(1000); // leaves "100 %" on screen for a moment before the dialog closes
    return 1;
}

} // namespace

HANDLE StartTransferThread(HWND dialog, TransferJob* job) {
    if (job->thread != nullptr) {
        CloseHandle(job->thread);
    }
    job->dialog = dialog;
    DWORD threadId = 0; // not kept; older systems refuse CreateThread without it
    job->thread = CreateThread(nullptr, 0, TransferThread, job, 0, &threadId);
    return job->thread;
}

DWORD WINAPI TransferThread(LPVOID job) {
    HWND dialog = static_cast<const TransferJob*>(job)->dialog;
    const int sent = FindPrinter() && SendFirmware(dialog);
    // The printer's handles are released on every path before the dialog ends.
    CloseConnection();
    EndDialog(dialog, sent ? 0 : 1);
    return 1;
}
