#include "discovery/printer_class.h"
#include "tests/unit/machine_test.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

const std::string kTarget = "USB\\VID_0E7A&PID_41C5";
const std::string kAbsent = "<no property>";

std::string PathOf(std::size_t device) {
    return "\\\\?\\usb#vid_0e7a&pid_41c5#" + std::to_string(device);
}

class PrinterClassTest : public MachineTest {
  protected:
    // A fresh machine with one device per hardware-ID property (raw bytes).
    void Prepare(const std::string& target, const std::vector<std::string>& devices) {
        fake::ResetMachine();
        *AccessConnection(nullptr) = PrinterConnection{};
        std::strcpy(Connection().hardwareId, target.c_str());
        for (std::size_t i = 0; i < devices.size(); ++i) {
            fake::AddPrintingDevice(devices[i], PathOf(i)).hasHardwareIds = devices[i] != kAbsent;
        }
    }
    // Nothing of the lookup outlives it but the handles the connection holds.
    void ExpectBalanced(int connectionHandles, const std::string& target, const char* row) {
        EXPECT_EQ(fake::OpenHandleCount(fake::HandleKind::DeviceInfoSet), 0) << row;
        EXPECT_EQ(fake::OpenHandleCount(fake::HandleKind::File), connectionHandles) << row;
        EXPECT_EQ(fake::OutstandingHeapBlocks(), 0) << row;
        EXPECT_EQ(fake::BadReleaseCount(), 0) << row;
        EXPECT_EQ(Connection().hardwareId, target) << row;
        if (connectionHandles == 0) {
            EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE)) << row;
        }
    }
};

TEST_F(PrinterClassTest, MatchesWholeEntriesAfterUpperCasing) {
    using fake::MultiString;
    const std::string unterminated = std::string("X\0", 2) + kTarget;
    struct Row {
        const char* name;
        std::string target;
        std::vector<std::string> devices;
        int opened; // index of the device opened, -1 none
    };
    const Row rows[] = {
        {"lower-case entry", kTarget, {MultiString({"usb\\vid_0e7a&pid_41c5"})}, 0},
        {"lower-case target", "usb\\vid_0e7a&pid_41C5", {MultiString({kTarget})}, 0},
        {"later entry", kTarget, {MultiString({"USB\\VID_0E7A", "A", kTarget})}, 0},
        {"suffix or prefix only",
         kTarget,
         {MultiString({kTarget + "&REV_01", kTarget.substr(1)})},
         -1},
        {"device without property skipped", kTarget, {kAbsent, MultiString({kTarget})}, 1},
        {"first match decides",
         kTarget,
         {MultiString({"USB\\VID_1111"}), MultiString({kTarget}), MultiString({kTarget})},
         1},
        {"empty entry ends the list", kTarget, {std::string("X\0\0", 3) + kTarget + '\0'}, -1},
        {"no data", kTarget, {""}, -1},
        {"empty set", kTarget, {}, -1},
        {"empty target", "", {MultiString({kTarget}), MultiString({""})}, -1},
        {"list without its closing NUL", kTarget, {kTarget + '\0'}, 0},
        {"last entry without NUL", kTarget, {unterminated}, 0},
        {"last entry without NUL, longer", kTarget, {unterminated + "0"}, -1},
        {"last entry without NUL, shorter", kTarget, {unterminated.substr(0, 10)}, -1},
    };
    // Version 5.1 gives a code above 2400, 6.1 one at or below it: both read alike.
    for (DWORD major : {5u, 6u}) {
        for (const Row& row : rows) {
            Prepare(row.target, row.devices);
            fake::SetVersion(VER_PLATFORM_WIN32_NT, major, 1);
            EXPECT_EQ(OpenPrinterClassDevice(&Connection()), row.opened >= 0 ? 1 : 0) << row.name;
            ExpectBalanced(row.opened >= 0 ? 2 : 0, row.target, row.name);
            if (row.opened < 0) {
                continue;
            }
            const fake::FakeDevice* opened = fake::DeviceOfHandle(Connection().writeHandle);
            ASSERT_NE(opened, nullptr) << row.name;
            EXPECT_EQ(opened->path, PathOf(row.opened)) << row.name;
            EXPECT_EQ(fake::DeviceOfHandle(Connection().readHandle), opened) << row.name;
            EXPECT_NE(Connection().readHandle, Connection().writeHandle) << row.name;
            EXPECT_EQ(Connection().controlHandle, Connection().writeHandle) << row.name;
            for (const fake::CreateRecord& create : fake::CreateCalls()) {
                EXPECT_EQ(create.access, GENERIC_READ | GENERIC_WRITE);
                EXPECT_EQ(create.share, FILE_SHARE_READ | FILE_SHARE_WRITE);
                EXPECT_EQ(create.disposition, DWORD(OPEN_EXISTING));
                EXPECT_EQ(create.flags, DWORD(FILE_ATTRIBUTE_NORMAL));
                EXPECT_FALSE(create.hadSecurity || create.hadTemplate);
            }
        }
    }
    ASSERT_EQ(fake::ClassDevsCalls().size(), 1u); // present devices with the printing interface
    EXPECT_EQ(fake::ClassDevsCalls()[0].flags, 0x12u);
    EXPECT_FALSE(fake::ClassDevsCalls()[0].hadEnumerator || fake::ClassDevsCalls()[0].hadParent);
}

TEST_F(PrinterClassTest, EveryFailureReleasesAllAndLeavesTheNextMatchUntried) {
    using SetUp = std::function<void(fake::PrintingDevice&, fake::PrintingDevice&)>;
    struct Row {
        const char* name;
        SetUp setUp;
        int failAllocation;
        bool openTried; // an open failed: all three handles end -1
    };
    const Row rows[] = {
        {"no device set", [](auto&, auto&) { fake::FailClassDevs(true); }, 0, false},
        {"property read error", [](auto& first, auto&) { first.propertyError = 50; }, 0, false},
        {"no interface at the index",
         [](auto& first, auto& next) { first.hasInterface = next.hasInterface = false; }, 0, false},
        {"detail read fails", [](auto& first, auto&) { first.detailReadFails = true; }, 0, false},
        {"detail size 0", [](auto& first, auto&) { first.detailSizeReportsZero = true; }, 0, false},
        {"first open fails",
         [](auto& first, auto&) { fake::FindDevice(first.interfacePath)->openable = false; }, 0,
         true},
        {"second open fails",
         [](auto& first, auto&) { fake::FindDevice(first.interfacePath)->opensAllowed = 1; }, 0,
         true},
        {"target copy not allocated", [](auto&, auto&) {}, 1, false},
        {"property block not allocated", [](auto&, auto&) {}, 2, false},
        {"detail block not allocated", [](auto&, auto&) {}, 3, false},
    };
    for (const Row& row : rows) {
        Prepare(kTarget, {});
        fake::PrintingDevice& first =
            fake::AddPrintingDevice(fake::MultiString({kTarget}), PathOf(0));
        row.setUp(first, fake::AddPrintingDevice(fake::MultiString({kTarget}), PathOf(1)));
        fake::FailAllocationNumber(row.failAllocation);

        EXPECT_EQ(OpenPrinterClassDevice(&Connection()), 0) << row.name;
        ExpectBalanced(0, kTarget, row.name);
        EXPECT_EQ(fake::FindDevice(PathOf(1))->opens, 0) << row.name;
        const HANDLE expected = row.openTried ? INVALID_HANDLE_VALUE : nullptr;
        for (HANDLE handle :
             {Connection().controlHandle, Connection().writeHandle, Connection().readHandle}) {
            EXPECT_EQ(handle, expected) << row.name;
        }
    }
}

} // namespace
