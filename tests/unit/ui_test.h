// Fixture for the dialogs: the shipped English texts and templates, and a
// licence text of the shipped form (CR LF lines, no terminating zero).
#pragma once

#include "tests/unit/machine_test.h"
#include "ui/dialogs.h"

#include <cstdint>
#include <string>
#include <vector>

class UiTest : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        fake::LoadShippedEnglishStrings();
        fake::LoadShippedTemplates();
        fake::SetResource("EULA", 145, Eula());
    }

    static std::vector<std::uint8_t> Eula() {
        std::string text;
        for (int line = 1; line <= 37; ++line) {
            text += line % 5 == 0 ? "" : "Section " + std::to_string(line) + std::string(120, 'x');
            text += "\r\n";
        }
        return std::vector<std::uint8_t>(text.begin(), text.end());
    }

    static INT_PTR Run(int templateId, DLGPROC proc) {
        return DialogBoxParamA(fake::OwnModule(), MAKEINTRESOURCEA(templateId), nullptr, proc, 0);
    }
};
