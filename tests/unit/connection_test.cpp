#include "tests/unit/machine_test.h"

#include <utility>

namespace {

using ConnectionTest = MachineTest;

TEST_F(ConnectionTest, LoadTargetConfigTakesRouteAndIdsFromTheStringTable) {
    struct Row {
        const char* route;
        std::string ids;
        int useScannerClass;
        std::string loaded;
    };
    const std::string id = "USB\\VID_0E7A&PID_41C5";
    const Row rows[] = {{"PrintClass", id, 0, id},
                        {"printclass", id, 1, id}, // the keyword is exact
                        {"PrintClass ", id, 1, id},
                        {"", "", 1, ""}, // no ID: the search walks the registry
                        {"PrintClass", std::string(200, 'A'), 0, std::string(127, 'A')}};
    for (const Row& row : rows) {
        fake::SetString(IDS_TARGET_ROUTE, row.route);
        fake::SetString(IDS_TARGET_HARDWARE_ID, row.ids);
        Connection().writeHandle = INVALID_HANDLE_VALUE;
        LoadTargetConfig();
        EXPECT_EQ(Connection().useScannerClass, row.useScannerClass) << '"' << row.route << '"';
        EXPECT_EQ(Connection().hardwareId, row.loaded);
        EXPECT_EQ(Connection().configuredIds, row.loaded);
        EXPECT_EQ(std::make_pair(Connection().writePipe, Connection().readPipe),
                  std::make_pair(0, 1));
        EXPECT_EQ(Connection().writeHandle, INVALID_HANDLE_VALUE); // handles are not configuration
    }
}

TEST_F(ConnectionTest, CloseConnectionReleasesEachOpenHandleOnce) {
    fake::AddDevice("dev");
    auto open = [] {
        return CreateFileA("dev", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    // Handles 0 (as at start-up), then -1 (closed), then one shared by control
    // and write plus a read handle, then three distinct ones.
    const std::size_t releases[] = {0, 0, 2, 3};
    for (int shape = 0; shape < 4; ++shape) {
        if (shape >= 2) {
            Connection().controlHandle = open();
            Connection().writeHandle = shape == 2 ? Connection().controlHandle : open();
            Connection().readHandle = open();
        }
        fake::ClearCallLog();
        EXPECT_EQ(CloseConnection(), 1);
        EXPECT_EQ(fake::CallLog().size(), releases[shape]) << shape;
        EXPECT_EQ(fake::BadReleaseCount(), 0) << shape;
        ExpectNothingOpen();
    }
}

// Whole writes and failing devices show in the transfer's tables.
TEST_F(ConnectionTest, WriteToDeviceCompletesShortWritesInOrder) {
    fake::FakeDevice& device = fake::AddDevice("printer");
    device.maxBytesPerWrite = 300;
    Connection().writeHandle =
        CreateFileA("printer", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const std::vector<std::uint8_t> bytes = Pattern(1000);
    EXPECT_EQ(WriteToDevice(bytes.data(), 1000), 1);
    EXPECT_EQ(device.received, bytes);
    EXPECT_EQ(device.writes.size(), 4u);
    std::size_t sent = 0; // each write asks for the rest, from where the device stopped
    for (const fake::WriteRecord& write : device.writes) {
        EXPECT_EQ(write.data, bytes.data() + sent);
        EXPECT_EQ(write.asked, 1000 - sent);
        sent += write.taken;
    }
}

} // namespace
