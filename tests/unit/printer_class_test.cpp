#include "discovery/printer_class.h"
#include "tests/unit/machine_test.h"

#include <cstring>
#include <functional>

namespace {

const std::string kTarget = "USB\\VID_0E7A&PID_41C5";
const std::string kAbsent = "<no property>";

std::string PathOf(std::size_t device) {
    return "\\\\?\\usb#vid_0e7a&pid_41c5#" + std::to_string(device);
}

class PrinterClassTest : public MachineTest {
  protected:
    // A fresh machine with one device per hardware-ID property (raw bytes).
    static void Prepare(const std::string& target, const std::vector<std::string>& devices) {
        Fresh();
        std::strcpy(Connection().hardwareId, target.c_str());
        for (std::size_t i = 0; i < devices.size(); ++i) {
            fake::AddPrintingDevice(devices[i], PathOf(i)).hasHardwareIds = devices[i] != kAbsent;
        }
    }
    // Only the connection's handles outlive the lookup (Fresh checks the set,
    // the heap and bad releases); the ID is never changed.
    static void ExpectOutcome(int connectionHandles, const std::string& target) {
        EXPECT_EQ(fake::OpenHandleCount(fake::HandleKind::File), connectionHandles);
        EXPECT_EQ(Connection().hardwareId, target);
        if (connectionHandles == 0) {
            EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
        }
    }
};

TEST_F(PrinterClassTest, MatchesWholeEntriesAfterUpperCasing) {
    using fake::MultiString;
    const std::string listed = MultiString({kTarget});
    const std::string unterminated = std::string("X\0", 2) + kTarget;
    struct Row {
        const char* name;
        std::string target;
        std::vector<std::string> devices;
        int opened; // index of the device opened, -1 none
    };
    const Row rows[] = {
        {"lower-case entry", kTarget, {MultiString({"usb\\vid_0e7a&pid_41c5"})}, 0},
        {"lower-case target", "usb\\vid_0e7a&pid_41C5", {listed}, 0},
        {"later entry", kTarget, {MultiString({"USB\\VID_0E7A", "A", kTarget})}, 0},
        {"suffix, prefix", kTarget, {MultiString({kTarget + "&REV_01", kTarget.substr(1)})}, -1},
        {"device without property skipped", kTarget, {kAbsent, listed}, 1},
        {"first match decides", kTarget, {MultiString({"X"}), listed, listed}, 1},
        {"empty entry ends the list", kTarget, {std::string("X\0\0", 3) + kTarget + '\0'}, -1},
        {"no data", kTarget, {""}, -1},
        {"empty set", kTarget, {}, -1},
        {"empty target", "", {listed, MultiString({""})}, -1},
        {"list without its closing NUL", kTarget, {kTarget + '\0'}, 0},
        {"last entry without NUL", kTarget, {unterminated}, 0},
        {"last entry without NUL, longer", kTarget, {unterminated + "0"}, -1},
        {"last entry without NUL, shorter", kTarget, {unterminated.substr(0, 10)}, -1},
    };
    // Version 5.1 gives a code above 2400, 6.1 one at or below it: both read alike.
    for (DWORD major : {5u, 6u}) {
        for (const Row& row : rows) {
            Prepare(row.target, row.devices);
            SCOPED_TRACE(row.name);
            fake::SetVersion(VER_PLATFORM_WIN32_NT, major, 1);
            EXPECT_EQ(OpenPrinterClassDevice(&Connection()), row.opened >= 0 ? 1 : 0);
            ExpectOutcome(row.opened >= 0 ? 2 : 0, row.target);
            if (row.opened >= 0) { // two handles on the matched device, the first for writing
                EXPECT_EQ(NameOf(Connection().writeHandle), PathOf(row.opened));
                EXPECT_EQ(NameOf(Connection().readHandle), PathOf(row.opened));
                EXPECT_NE(Connection().readHandle, Connection().writeHandle);
                EXPECT_EQ(Connection().controlHandle, Connection().writeHandle);
                ExpectDeviceOpens(FILE_ATTRIBUTE_NORMAL);
            }
        }
    }
}

TEST_F(PrinterClassTest, EveryFailureReleasesAllAndLeavesTheNextMatchUntried) {
    using Fault = std::function<void(fake::PrintingDevice & first, fake::PrintingDevice & next)>;
    const std::pair<const char*, Fault> rows[] = {
        {"no device set", [](auto&, auto&) { fake::FailClassDevs(true); }},
        {"property read error", [](auto& first, auto&) { first.propertyError = 50; }},
        {"no interface",
         [](auto& first, auto& next) { first.hasInterface = next.hasInterface = false; }},
        {"detail read fails", [](auto& first, auto&) { first.detailReadFails = true; }},
        {"detail size 0", [](auto& first, auto&) { first.detailSizeReportsZero = true; }},
        {"first open fails", [](auto&, auto&) { fake::FindDevice(PathOf(0))->openable = false; }},
        {"second open fails", [](auto&, auto&) { fake::FindDevice(PathOf(0))->opensAllowed = 1; }},
        {"target copy not allocated", [](auto&, auto&) { fake::FailAllocationNumber(1); }},
        {"property block not allocated", [](auto&, auto&) { fake::FailAllocationNumber(2); }},
        {"detail block not allocated", [](auto&, auto&) { fake::FailAllocationNumber(3); }},
    };
    for (const auto& row : rows) {
        Prepare(kTarget, {});
        SCOPED_TRACE(row.first);
        fake::PrintingDevice& first =
            fake::AddPrintingDevice(fake::MultiString({kTarget}), PathOf(0));
        row.second(first, fake::AddPrintingDevice(fake::MultiString({kTarget}), PathOf(1)));
        EXPECT_EQ(OpenPrinterClassDevice(&Connection()), 0);
        ExpectOutcome(0, kTarget);
        EXPECT_EQ(fake::FindDevice(PathOf(1))->opens, 0);
        for (HANDLE handle :
             {Connection().controlHandle, Connection().writeHandle, Connection().readHandle}) {
            EXPECT_TRUE(handle == nullptr || handle == INVALID_HANDLE_VALUE);
        }
    }
}

} // namespace
