// Fixture for the dialogs: the shipped English texts and templates, and a
// licence text of the shipped form (CR LF lines, no terminating zero).
#pragma once

#include "tests/unit/machine_test.h"
#include "transfer/transfer.h"
#include "ui/dialogs.h"

#include <cstdint>
#include <string>
#include <vector>

class UiTest : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        *AccessTransferJob() = TransferJob{}; // its thread handle belonged to the old machine
        fake::LoadShippedEnglishStrings();
        fake::LoadShippedTemplates();
        fake::SetResource("EULA", 145, Eula());
        fake::SetResource("FIRMWARE", 101, Firmware());
        LoadTargetConfig();
    }

    static std::vector<std::uint8_t> Eula() {
        std::string text;
        for (int line = 1; line <= 37; ++line) {
            text += line % 5 == 0 ? "" : "Section " + std::to_string(line) + std::string(120, 'x');
            text += "\r\n";
        }
        return std::vector<std::uint8_t>(text.begin(), text.end());
    }

    // The printer on the USB printing driver, as the shipped configuration looks for it.
    static constexpr const char* kPrinterPath = "\\\\?\\usb#vid_0e7a&pid_41c5#1#printer";
    static fake::FakeDevice& AttachPrinter() {
        fake::AddPrintingDevice(
            fake::MultiString({"USB\\VID_0E7A&PID_41C5&REV_0100", "USB\\VID_0E7A&PID_41C5"}),
            kPrinterPath);
        return *fake::FindDevice(kPrinterPath);
    }
    static void SetPrinterPresent(bool present) {
        fake::FindDevice(kPrinterPath)->openable = present;
    }

    // An image of two full chunks and a short last one.
    static std::vector<std::uint8_t> Firmware() {
        std::vector<std::uint8_t> image(2 * 65472 + 100);
        for (std::size_t i = 0; i < image.size(); ++i) {
            image[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
        }
        return image;
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
