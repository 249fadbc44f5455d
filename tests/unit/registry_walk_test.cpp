#include "discovery/registry_read.h"
#include "discovery/registry_walk.h"
#include "tests/unit/discovery_test.h"

#include <vector>

namespace {

using RegistryWalkTest = DiscoveryTest;

TEST_F(RegistryWalkTest, WalksKeysAndInstancesInRegistryOrder) {
    AddInstance("VID_AAAA&PID_0001", "1", "usbscan");
    AddInstance("VID_BBBB&PID_0002", "x", "usbscan");
    AddInstance("VID_BBBB&PID_0002", "y", "other");
    fake::SetSubkeyOrder(kUsbPath, {"VID_BBBB&PID_0002"});
    fake::SetSubkeyOrder(kUsbPath + "\\VID_BBBB&PID_0002", {"y"});
    Configure("", 1);
    EXPECT_EQ(WalkUsbEnumTree(&Connection()), 0);
    const std::string b = kUsbPath + "\\VID_BBBB&PID_0002";
    const std::vector<std::string> expected = {kUsbPath,
                                               b,
                                               b + "\\y",
                                               b + "\\x",
                                               kUsbPath + "\\VID_AAAA&PID_0001",
                                               kUsbPath + "\\VID_AAAA&PID_0001\\1"};
    EXPECT_EQ(fake::RegistryOpenLog(), expected);
    EXPECT_EQ(ProbeCalls(), 2);
    EXPECT_STREQ(Connection().hardwareId, "USB\\VID_AAAA&PID_0001"); // the last one tried
}

TEST_F(RegistryWalkTest, OnlyTheRoutesDriverNamedWholeLeadsToARouteCall) {
    struct Row {
        std::vector<std::uint8_t> service;
        int useScannerClass;
        bool tried;
    };
    auto text = [](const std::string& s, bool terminated = true) {
        std::vector<std::uint8_t> bytes(s.begin(), s.end());
        if (terminated) {
            bytes.push_back(0);
        }
        return bytes;
    };
    const Row rows[] = {{text("usbscan"), 1, true},
                        {text("usbprint"), 0, true},
                        {text("usbprint"), 1, false},
                        {text("usbscan"), 0, false},
                        {text("USBSCAN"), 1, false},
                        {text("usbscan "), 1, false},
                        {text("usbscan", false), 1, true},
                        {text("usbscan\0x", false), 1, true},
                        {text(std::string(128, 'u'), false), 1, false},
                        {text(std::string(128, 'u')), 1, false}}; // 129 bytes: unreadable
    for (const Row& row : rows) {
        fake::ResetMachine();
        fake::SetRegistryValue(kUsbPath + "\\VID_1234&PID_5678\\0", "Service", row.service);
        Configure("", row.useScannerClass);
        EXPECT_EQ(WalkUsbEnumTree(&Connection()), 0);
        EXPECT_STREQ(Connection().hardwareId, row.tried ? "USB\\VID_1234&PID_5678" : "")
            << std::string(row.service.begin(), row.service.end()) << row.useScannerClass;
        EXPECT_EQ(fake::CreateCalls().empty(), !row.tried || row.useScannerClass == 0);
    }
}

TEST_F(RegistryWalkTest, UnreadablePlacesArePassedOver) {
    fake::AddRegistryKey(kUsbPath + "\\A_NO_INSTANCES");
    AddInstance("B_LOCKED_KEY", "0", "usbscan");
    fake::SetRegistryKeyOpenable(kUsbPath + "\\B_LOCKED_KEY", false);
    AddInstance("C_LOCKED_INSTANCE", "0", "usbscan");
    fake::SetRegistryKeyOpenable(kUsbPath + "\\C_LOCKED_INSTANCE\\0", false);
    fake::SetRegistryString(kUsbPath + "\\D_NO_SERVICE\\0", "Driver", "usbscan");
    AddInstance("VID_EEEE&PID_0001", "0", "usbscan");
    Configure("", 1);
    EXPECT_EQ(WalkUsbEnumTree(&Connection()), 0);
    EXPECT_EQ(ProbeCalls(), 1);
    EXPECT_STREQ(Connection().hardwareId, "USB\\VID_EEEE&PID_0001");
}

TEST_F(RegistryWalkTest, NoEnumerationKeyOrNoDeviceKeysGiveZero) {
    Configure("", 1);
    EXPECT_EQ(WalkUsbEnumTree(&Connection()), 0);
    fake::AddRegistryKey(kUsbPath);
    EXPECT_EQ(WalkUsbEnumTree(&Connection()), 0);
    EXPECT_STREQ(Connection().hardwareId, "");
    EXPECT_EQ(fake::CreateCalls().size(), 0u);
}

TEST_F(RegistryWalkTest, FirstSuccessEndsTheWalkAndRepeatsTryTheKeyAgain) {
    AddInstance("VID_0E7A&PID_41C4", "0", "usbscan"); // tried twice, no such device
    AddInstance("VID_0E7A&PID_41C4", "1", "usbscan");
    AddInstance("VID_0E7A&PID_41C5", "0", "usbscan");
    AddInstance("VID_0E7A&PID_41C6", "0", "usbscan");
    fake::AddStillImageDevice(3, 0x0E7A, 0x41C5);
    fake::AddStillImageDevice(4, 0x0E7A, 0x41C6);
    Configure("", 1);
    EXPECT_EQ(WalkUsbEnumTree(&Connection()), 1);
    EXPECT_EQ(ProbeCalls(), 3);
    EXPECT_STREQ(Connection().hardwareId, "USB\\VID_0E7A&PID_41C5");
    EXPECT_EQ(NameOf(Connection().controlHandle), fake::StillImagePipeName(3, 0));
    for (const std::string& path : fake::RegistryOpenLog()) {
        EXPECT_EQ(path.find("41C6"), std::string::npos) << path;
    }
    CloseConnection();
}

TEST_F(RegistryWalkTest, EnumSubkeyNamesKeepsWithinItsTable) {
    // 503 names: two too long for a 64-byte slot, then 501 that fit.
    fake::AddRegistryKey("K\\" + std::string(64, 'a'));
    fake::AddRegistryKey("K\\" + std::string(300, 'b'));
    for (int i = 0; i < 501; ++i) {
        fake::AddRegistryKey("K\\" + std::string(60, 'c') + std::to_string(1000 + i).substr(1));
    }
    fake::SetSubkeyOrder("K", {std::string(64, 'a'), std::string(300, 'b')});
    std::vector<char> table(500 * 64); // exact size: an overrun is an ASan report
    EXPECT_EQ(EnumSubkeyNames(HKEY_LOCAL_MACHINE, "K", table.data(), 64, 500), 500);
    EXPECT_EQ(std::string(table.data()), std::string(60, 'c') + "000"); // skipped, not cut
    EXPECT_EQ(std::string(&table[499 * 64]), std::string(60, 'c') + "499");
}

TEST_F(RegistryWalkTest, WalkReadsAtMost500DeviceKeys) {
    for (int i = 0; i < 510; ++i) {
        fake::AddRegistryKey(kUsbPath + "\\D" + std::to_string(1000 + i));
    }
    AddInstance("D1505", "0", "usbscan"); // sorts after the first 500
    Configure("", 1);
    EXPECT_EQ(WalkUsbEnumTree(&Connection()), 0);
    EXPECT_EQ(ProbeCalls(), 0);
}

} // namespace
