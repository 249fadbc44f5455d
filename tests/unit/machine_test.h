// Base fixture: a fresh fake machine, connection record and job record for
// every test, and the set-up and checks that the areas' tests share.
#pragma once

#include "connection/connection.h"
#include "tests/fakewin/fake_machine.h"
#include "transfer/transfer.h"
#include "ui/dialogs.h"
#include "ui/resource_ids.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

inline const std::string kUsbPath = "SYSTEM\\CurrentControlSet\\Enum\\USB";
// The printer on the USB printing driver, as the shipped configuration looks for it.
inline const std::string kPrinterPath = "\\\\?\\usb#vid_0e7a&pid_41c5#1#printer";

class MachineTest : public ::testing::Test {
  protected:
    void SetUp() override { Fresh(); }
    void TearDown() override { Fresh(); }

    // Checks what no test (or row of a table) may leave behind, then puts the
    // machine and both records back as at process start.
    static void Fresh() {
        fake::JoinThreads();
        EXPECT_EQ(fake::BadReleaseCount(), 0) << "a handle closed twice or never opened";
        EXPECT_EQ(fake::OutstandingHeapBlocks(), 0);
        EXPECT_EQ(fake::OpenHandleCount(fake::HandleKind::RegistryKey), 0);
        EXPECT_EQ(fake::OpenHandleCount(fake::HandleKind::DeviceInfoSet), 0);
        EXPECT_EQ(fake::OpenInfoContexts(), 0);
        EXPECT_EQ(fake::DialogTimeouts(), 0) << "a dialog nothing ended";
        EXPECT_LE(fake::OpenHandleCount(fake::HandleKind::Thread), 1) << "the job keeps one";
        fake::ResetMachine();
        *AccessConnection(nullptr) = PrinterConnection{};
        *AccessTransferJob() = TransferJob{}; // its thread handle belonged to the old machine
    }

    static PrinterConnection& Connection() { return *AccessConnection(nullptr); }

    // --- device search ---
    // Loads a configuration as start-up does.
    static void Configure(const std::string& ids, int useScannerClass, int writePipe = 0,
                          int readPipe = 1) {
        PrinterConnection config = {};
        config.useScannerClass = useScannerClass;
        config.writePipe = writePipe;
        config.readPipe = readPipe;
        ids.copy(config.hardwareId, sizeof config.hardwareId - 1);
        AccessConnection(&config);
    }
    static void AddInstance(const std::string& key, const std::string& instance,
                            const std::string& service) {
        fake::SetRegistryString(kUsbPath + "\\" + key + "\\" + instance, "Service", service);
    }
    // Every still-image probe starts at device 0, so each opens \\.\Usbscan0\0 once.
    static int ProbeCalls() {
        int calls = 0;
        for (const fake::CreateRecord& create : fake::CreateCalls()) {
            calls += create.name == fake::StillImagePipeName(0, 0) ? 1 : 0;
        }
        return calls;
    }
    static std::string NameOf(HANDLE handle) {
        const fake::FakeDevice* device = fake::DeviceOfHandle(handle);
        return device != nullptr ? device->path : "";
    }
    // A route or search that answered 0 leaves nothing open.
    static void ExpectNothingOpen() {
        EXPECT_EQ(fake::OpenHandleCount(), 0);
        for (HANDLE handle :
             {Connection().controlHandle, Connection().writeHandle, Connection().readHandle}) {
            EXPECT_EQ(handle, INVALID_HANDLE_VALUE);
        }
    }
    // Every device file so far was opened as Windows needs it: read and write
    // access, shared both ways (a device is opened twice), an existing file.
    static void ExpectDeviceOpens(DWORD flags) {
        for (const fake::CreateRecord& c : fake::CreateCalls()) {
            EXPECT_TRUE(c.access == (GENERIC_READ | GENERIC_WRITE) && c.share == 3 &&
                        c.disposition == OPEN_EXISTING && c.flags == flags)
                << c.name;
        }
    }

    // --- transfer and dialogs ---
    // Bytes in which a misplaced or repeated piece shows.
    static std::vector<std::uint8_t> Pattern(std::size_t size) {
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<std::uint8_t>((i * 31) ^ (i >> 9));
        }
        return bytes;
    }
    // A licence text of the shipped form: CR LF lines, no terminating zero.
    static std::vector<std::uint8_t> Eula() {
        std::string text;
        for (int line = 1; line <= 37; ++line) {
            text += "Section " + std::to_string(line) + std::string(line * 3, 'x') + "\r\n";
        }
        return {text.begin(), text.end()};
    }
    // The program as shipped: texts, templates, licence and an image of two
    // full chunks and a short one (the configuration is not loaded yet).
    static void Ship() {
        fake::LoadShippedEnglishStrings();
        fake::LoadShippedTemplates();
        fake::SetResource("EULA", IDR_AGREEMENT, Eula());
        fake::SetResource("FIRMWARE", IDR_FIRMWARE, Pattern(2 * 65472 + 100));
    }
    static fake::FakeDevice& AttachPrinter() {
        fake::AddPrintingDevice(
            fake::MultiString({"USB\\VID_0E7A&PID_41C5&REV_0100", "USB\\VID_0E7A&PID_41C5"}),
            kPrinterPath);
        return *fake::FindDevice(kPrinterPath);
    }
    static std::string Text(UINT id) {
        char text[1024];
        LoadStringA(fake::OwnModule(), id, text, sizeof text);
        return text;
    }
    static INT_PTR Run(int templateId, DLGPROC proc) {
        return DialogBoxParamA(fake::OwnModule(), MAKEINTRESOURCEA(templateId), nullptr, proc, 0);
    }
};
