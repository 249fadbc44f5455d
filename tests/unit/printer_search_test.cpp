#include "discovery/printer_search.h"
#include "tests/unit/discovery_test.h"

#include <cstring>
#include <vector>

namespace {

using PrinterSearchTest = DiscoveryTest;
const char kA[] = "USB\\VID_0E7A&PID_000A";
const char kB[] = "USB\\VID_0E7A&PID_000B";
const char kC[] = "USB\\VID_0E7A&PID_000C";
const char kD[] = "USB\\VID_0E7A&PID_000D";

TEST_F(PrinterSearchTest, SplitIdListDropsEmptyTokensAndKeepsSpaces) {
    struct Row {
        const char* text;
        std::vector<std::string> tokens;
    };
    const Row rows[] = {
        {"A,,B", {"A", "B"}}, {",A,B,", {"A", "B"}}, {"A, B", {"A", " B"}}, {",,,", {}}, {"", {}},
        {"A", {"A"}}};
    for (const Row& row : rows) {
        char slots[4][8];
        std::memset(slots, '#', sizeof slots);
        ASSERT_EQ(SplitIdList(row.text, ",", slots[0], 8), static_cast<int>(row.tokens.size()))
            << row.text;
        for (std::size_t k = 0; k < row.tokens.size(); ++k) {
            EXPECT_STREQ(slots[k], row.tokens[k].c_str()) << row.text;
        }
    }
}

TEST_F(PrinterSearchTest, ListIsTriedInOrderUntilTheFirstSuccess) {
    struct Row {
        std::string list;
        int found;
        const char* last; // hardwareId after the search
        int probes;
    };
    const Row rows[] = {{std::string(kA) + ",," + kB, 1, kB, 2},
                        {std::string(",") + kB + "," + kC + ",", 1, kB, 1},
                        {std::string(kA) + ", " + kB, 0, nullptr, 2}, // " USB\..." is no B
                        {std::string(kA) + "," + kD, 0, kD, 2}};
    for (const Row& row : rows) {
        fake::ResetMachine();
        fake::AddStillImageDevice(1, 0x0E7A, 0x000C);
        fake::AddStillImageDevice(7, 0x0E7A, 0x000B);
        Configure(row.list.c_str(), 1);
        EXPECT_EQ(FindPrinter(), row.found) << row.list;
        EXPECT_EQ(Connection().hardwareId,
                  std::string(row.last != nullptr ? row.last : std::string(" ") + kB))
            << row.list;
        EXPECT_EQ(ProbeCalls(), row.probes) << row.list;
        EXPECT_STREQ(Connection().configuredIds, row.list.c_str());
        if (row.found == 0) {
            ExpectNothingOpen();
        }
        CloseConnection();
    }
}

TEST_F(PrinterSearchTest, CommasOnlyTryNothingAndReadNoRegistry) {
    Configure(",,", 1);
    EXPECT_EQ(FindPrinter(), 0);
    EXPECT_EQ(fake::RegistryCallCount(), 0);
    EXPECT_TRUE(fake::CreateCalls().empty());
    EXPECT_STREQ(Connection().hardwareId, ",,");
}

TEST_F(PrinterSearchTest, EverySearchStartsFromTheConfiguredList) {
    Configure((std::string(kA) + "," + kB + "," + kC).c_str(), 1);
    EXPECT_EQ(FindPrinter(), 0);
    EXPECT_STREQ(Connection().hardwareId, kC);
    fake::AddStillImageDevice(2, 0x0E7A, 0x000A); // the printer is plugged in; Retry
    EXPECT_EQ(FindPrinter(), 1);
    EXPECT_STREQ(Connection().hardwareId, kA);
    EXPECT_EQ(ProbeCalls(), 4);

    // Unplugged again: the search that finds nothing still lets go of the handles.
    fake::FindDevice(fake::StillImagePipeName(2, 0))->openable = false;
    EXPECT_EQ(FindPrinter(), 0);
    ExpectNothingOpen();
}

TEST_F(PrinterSearchTest, EmptyListWalksTheRegistryEveryTime) {
    AddInstance("VID_0E7A&PID_000A", "0", "usbscan");
    Configure("", 1);
    EXPECT_EQ(FindPrinter(), 0);
    EXPECT_STREQ(Connection().hardwareId, kA);
    fake::AddStillImageDevice(0, 0x0E7A, 0x000A);
    AddInstance("VID_0000&PID_0000", "0", "usbscan"); // now first in registry order
    EXPECT_EQ(FindPrinter(), 1);
    EXPECT_STREQ(Connection().hardwareId, kA);
    EXPECT_EQ(ProbeCalls(), 3);
    CloseConnection();
}

TEST_F(PrinterSearchTest, PrinterClassSearchTakesTheUsbPrintingRoute) {
    AddInstance("VID_0E7A&PID_000A", "0", "usbscan"); // the other driver: passed over
    AddInstance("VID_0E7A&PID_000B", "0", "usbprint");
    fake::AddPrintingDevice(fake::MultiString({kB}), "\\\\?\\usb#b");
    for (const char* list : {"", "USB\\VID_0E7A&PID_000A,USB\\VID_0E7A&PID_000B"}) {
        Configure(list, 0);
        EXPECT_EQ(FindPrinter(), 1) << list;
        EXPECT_STREQ(Connection().hardwareId, kB);
        EXPECT_EQ(NameOf(Connection().writeHandle), "\\\\?\\usb#b");
        EXPECT_EQ(ProbeCalls(), 0); // the still-image devices are never probed
    }
    fake::FindDevice("\\\\?\\usb#b")->openable = false;
    EXPECT_EQ(FindPrinter(), 0);
    ExpectNothingOpen();
}

} // namespace
