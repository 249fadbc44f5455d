#include "discovery/printer_search.h"
#include "discovery/registry_read.h"
#include "discovery/registry_walk.h"
#include "tests/unit/machine_test.h"

namespace {

using PrinterSearchTest = MachineTest;
using RegistryWalkTest = MachineTest;
const std::string kA = "USB\\VID_0E7A&PID_000A";
const std::string kB = "USB\\VID_0E7A&PID_000B";
const std::string kC = "USB\\VID_0E7A&PID_000C";

// --- the configured list ---

TEST_F(PrinterSearchTest, ListIsTriedInOrderUntilTheFirstSuccess) {
    struct Row {
        std::string list;
        int found;
        std::string last; // hardwareId after the search
        std::size_t tries;
    };
    const Row rows[] = {{kA + ",," + kB, 1, kB, 2}, // A, then B
                        {"," + kA + "," + kB + ",", 1, kB, 2},
                        {kB + "," + kA, 1, kB, 1},
                        {kA + ", " + kB, 0, " " + kB, 2}, // a leading space is kept: no B
                        {kA + "," + kC, 0, kC, 2},
                        {",,", 0, ",,", 0}}; // no candidate at all
    for (const Row& row : rows) {
        Fresh();
        SCOPED_TRACE(row.list);
        fake::AddPrintingDevice(fake::MultiString({kB}), "\\\\?\\usb#b");
        Configure(row.list, 0); // the printing route asks for the device set once per candidate
        EXPECT_EQ(FindPrinter(), row.found);
        EXPECT_EQ(Connection().hardwareId, row.last);
        EXPECT_EQ(fake::ClassDevsCalls().size(), row.tries);
        EXPECT_EQ(fake::RegistryCallCount(), 0);
        if (row.found == 0) {
            ExpectNothingOpen();
        }
        CloseConnection();
    }
}

TEST_F(PrinterSearchTest, EverySearchStartsFromTheConfiguredList) {
    Configure(kA + "," + kB + "," + kC, 1);
    EXPECT_EQ(FindPrinter(), 0);
    EXPECT_EQ(Connection().hardwareId, kC);
    fake::AddStillImageDevice(2, 0x0E7A, 0x000A); // the printer is plugged in; Retry
    EXPECT_EQ(FindPrinter(), 1);
    EXPECT_EQ(Connection().hardwareId, kA);
    EXPECT_EQ(ProbeCalls(), 4);

    // Unplugged again: the search that finds nothing still lets go of the handles.
    fake::FindDevice(fake::StillImagePipeName(2, 0))->openable = false;
    EXPECT_EQ(FindPrinter(), 0);
    ExpectNothingOpen();
}

// --- the USB enumeration tree, when no ID is configured ---

TEST_F(RegistryWalkTest, WalksKeysAndInstancesInRegistryOrderPassingOverTheUnreadable) {
    AddInstance("A", "1", "usbscan");
    AddInstance("B", "x", "usbscan");
    AddInstance("B", "y", "other");
    fake::AddRegistryKey(kUsbPath + "\\C"); // no instances
    AddInstance("D", "0", "usbscan");
    fake::SetRegistryKeyOpenable(kUsbPath + "\\D", false);
    AddInstance("E", "0", "usbscan");
    fake::SetRegistryKeyOpenable(kUsbPath + "\\E\\0", false);
    fake::SetRegistryString(kUsbPath + "\\F\\0", "Driver", "usbscan"); // no "Service"
    fake::SetSubkeyOrder(kUsbPath, {"B", "A"});
    fake::SetSubkeyOrder(kUsbPath + "\\B", {"y"});
    Configure("", 1);
    EXPECT_EQ(WalkUsbEnumTree(&Connection()), 0);
    std::vector<std::string> opened;
    for (const char* key : {"", "\\B", "\\B\\y", "\\B\\x", "\\A", "\\A\\1", "\\C", "\\D", "\\E",
                            "\\E\\0", "\\F", "\\F\\0"}) {
        opened.push_back(kUsbPath + key);
    }
    EXPECT_EQ(fake::RegistryOpenLog(), opened);
    EXPECT_STREQ(Connection().hardwareId, "USB\\A"); // the last one tried

    fake::ResetMachine(); // no enumeration key at all
    EXPECT_EQ(WalkUsbEnumTree(&Connection()), 0);
    EXPECT_TRUE(fake::CreateCalls().empty());
}

TEST_F(RegistryWalkTest, OnlyTheRoutesDriverNamedWholeLeadsToARouteCall) {
    struct Row {
        std::string service;
        bool terminated;
        int useScannerClass;
        bool tried;
    };
    const Row rows[] = {{"usbscan", true, 1, true},
                        {"usbprint", true, 0, true},
                        {"usbprint", true, 1, false},
                        {"USBSCAN", true, 1, false},
                        {"usbscan ", true, 1, false},
                        {"usbscan", false, 1, true},
                        {std::string("usbscan\0x", 9), false, 1, true},
                        {std::string(128, 'u'), false, 1, false}, // no NUL in the buffer
                        {std::string(128, 'u'), true, 1, false}}; // 129 bytes: unreadable
    for (const Row& row : rows) {
        Fresh();
        std::vector<std::uint8_t> bytes(row.service.begin(), row.service.end());
        if (row.terminated) {
            bytes.push_back(0);
        }
        fake::SetRegistryValue(kUsbPath + "\\VID_1234&PID_5678\\0", "Service", bytes);
        Configure("", row.useScannerClass);
        EXPECT_EQ(WalkUsbEnumTree(&Connection()), 0);
        EXPECT_STREQ(Connection().hardwareId, row.tried ? "USB\\VID_1234&PID_5678" : "")
            << row.service << row.useScannerClass;
        EXPECT_EQ(ProbeCalls(), row.tried && row.useScannerClass == 1 ? 1 : 0);
        EXPECT_EQ(fake::ClassDevsCalls().size(), row.tried && row.useScannerClass == 0 ? 1u : 0u);
    }
}

TEST_F(RegistryWalkTest, EverySearchWalksAgainUntilTheFirstSuccess) {
    AddInstance("VID_0E7A&PID_41C4", "0", "usbscan"); // two instances: tried twice
    AddInstance("VID_0E7A&PID_41C4", "1", "usbscan");
    AddInstance("VID_0E7A&PID_41C5", "0", "usbscan");
    AddInstance("VID_0E7A&PID_41C6", "0", "usbscan");
    Configure("", 1);
    EXPECT_EQ(FindPrinter(), 0);
    EXPECT_EQ(ProbeCalls(), 4);
    EXPECT_STREQ(Connection().hardwareId, "USB\\VID_0E7A&PID_41C6");
    fake::AddStillImageDevice(3, 0x0E7A, 0x41C5); // plugged in; Retry
    EXPECT_EQ(FindPrinter(), 1);
    EXPECT_EQ(ProbeCalls(), 4 + 3);
    EXPECT_STREQ(Connection().hardwareId, "USB\\VID_0E7A&PID_41C5");
    EXPECT_EQ(NameOf(Connection().controlHandle), fake::StillImagePipeName(3, 0));
    CloseConnection();
}

TEST_F(RegistryWalkTest, A500NameTableIsNeverOverrun) {
    // Two names too long for a 64-byte slot, then 510 that fit; the walk's
    // only matching instance lies past the first 500.
    fake::AddRegistryKey(kUsbPath + "\\" + std::string(64, 'a'));
    fake::AddRegistryKey(kUsbPath + "\\" + std::string(300, 'b'));
    for (int i = 0; i < 510; ++i) {
        fake::AddRegistryKey(kUsbPath + "\\" + std::string(59, 'c') + std::to_string(1000 + i));
    }
    AddInstance(std::string(59, 'c') + "1505", "0", "usbscan");
    fake::SetSubkeyOrder(kUsbPath, {std::string(64, 'a'), std::string(300, 'b')});
    std::vector<char> table(500 * 64); // exact size: an overrun is an ASan report
    EXPECT_EQ(EnumSubkeyNames(HKEY_LOCAL_MACHINE, kUsbPath.c_str(), table.data(), 64, 500), 500);
    EXPECT_EQ(std::string(table.data()), std::string(59, 'c') + "1000"); // skipped, not cut
    EXPECT_EQ(std::string(&table[499 * 64]), std::string(59, 'c') + "1499");
    Configure("", 1);
    EXPECT_EQ(WalkUsbEnumTree(&Connection()), 0);
    EXPECT_STREQ(Connection().hardwareId, "");
}

} // namespace
