#include "tests/unit/machine_test.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using ConnectionTest = MachineTest;

TEST_F(ConnectionTest, LoadTargetConfigSelectsRouteByExactKeyword) {
    struct Row {
        const char* route;
        int useScannerClass;
    };
    const Row rows[] = {{"PrintClass", 0}, {"printclass", 1}, {"", 1}, {"PrintClass ", 1}};
    for (const Row& row : rows) {
        fake::SetString(16, "USB\\VID_0E7A&PID_41C5");
        fake::SetString(17, row.route);
        Connection().useScannerClass = 7;
        LoadTargetConfig();
        EXPECT_EQ(Connection().useScannerClass, row.useScannerClass) << '"' << row.route << '"';
        EXPECT_STREQ(Connection().hardwareId, "USB\\VID_0E7A&PID_41C5");
        EXPECT_STREQ(Connection().configuredIds, "USB\\VID_0E7A&PID_41C5");
        EXPECT_EQ(Connection().writePipe, 0);
        EXPECT_EQ(Connection().readPipe, 1);
    }
}

TEST_F(ConnectionTest, LoadTargetConfigKeepsHandlesAndCutsLongIds) {
    fake::SetString(16, std::string(200, 'A'));
    fake::SetString(17, "PrintClass");
    Connection().writeHandle = INVALID_HANDLE_VALUE;
    LoadTargetConfig();
    EXPECT_EQ(std::strlen(Connection().hardwareId), 127u);
    EXPECT_EQ(std::strlen(Connection().configuredIds), 127u);
    EXPECT_EQ(Connection().writeHandle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Connection().controlHandle, nullptr);

    fake::RemoveString(16); // an empty entry leaves no ID: the search walks the registry
    LoadTargetConfig();
    EXPECT_STREQ(Connection().hardwareId, "");
    EXPECT_STREQ(Connection().configuredIds, "");
}

TEST_F(ConnectionTest, AccessConnectionWithNullChangesNothing) {
    PrinterConnection* first = AccessConnection(nullptr);
    std::strcpy(first->hardwareId, "X");
    EXPECT_EQ(AccessConnection(nullptr), first);
    EXPECT_STREQ(AccessConnection(nullptr)->hardwareId, "X");
}

TEST_F(ConnectionTest, CloseConnectionReleasesEachOpenHandleOnce) {
    fake::AddDevice("dev");
    auto open = [] {
        return CreateFileA("dev", GENERIC_READ | GENERIC_WRITE, 3, nullptr, OPEN_EXISTING, 0x80,
                           nullptr);
    };
    // Shared control/write handle plus a read handle: two releases.
    HANDLE shared = open();
    Connection().controlHandle = shared;
    Connection().writeHandle = shared;
    Connection().readHandle = open();
    EXPECT_EQ(CloseConnection(), 1);
    EXPECT_EQ(fake::OpenHandleCount(), 0);
    EXPECT_EQ(fake::BadReleaseCount(), 0);

    // Three distinct handles: three releases.
    Connection().controlHandle = open();
    Connection().writeHandle = open();
    Connection().readHandle = open();
    CloseConnection();
    EXPECT_EQ(fake::OpenHandleCount(), 0);
    EXPECT_EQ(fake::BadReleaseCount(), 0);
    for (HANDLE handle :
         {Connection().controlHandle, Connection().writeHandle, Connection().readHandle}) {
        EXPECT_EQ(handle, INVALID_HANDLE_VALUE);
    }
}

TEST_F(ConnectionTest, CloseConnectionReleasesNothingForZeroOrClosedHandles) {
    // Right after start-up the handles hold 0; later they hold -1.
    for (int round = 0; round < 2; ++round) {
        fake::ClearCallLog();
        EXPECT_EQ(CloseConnection(), 1);
        EXPECT_TRUE(fake::CallLog().empty());
        EXPECT_EQ(fake::BadReleaseCount(), 0);
        EXPECT_EQ(Connection().readHandle, INVALID_HANDLE_VALUE);
    }
}

class WriteToDeviceTest : public MachineTest {
  protected:
    fake::FakeDevice& Attach() {
        fake::FakeDevice& device = fake::AddDevice("printer");
        Connection().writeHandle = CreateFileA("printer", GENERIC_READ | GENERIC_WRITE, 3, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return device;
    }
    std::vector<std::uint8_t> Pattern(std::size_t size) {
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
        }
        return bytes;
    }
};

TEST_F(WriteToDeviceTest, WholeWriteIsOneCall) {
    fake::FakeDevice& device = Attach();
    const auto bytes = Pattern(1000);
    EXPECT_EQ(WriteToDevice(bytes.data(), 1000), 1);
    EXPECT_EQ(device.received, bytes);
    ASSERT_EQ(device.writes.size(), 1u);
    EXPECT_EQ(device.writes[0].data, bytes.data());
}

TEST_F(WriteToDeviceTest, ShortWritesAreCompletedInOrder) {
    fake::FakeDevice& device = Attach();
    device.maxBytesPerWrite = 300;
    const auto bytes = Pattern(1000);
    EXPECT_EQ(WriteToDevice(bytes.data(), 1000), 1);
    EXPECT_EQ(device.received, bytes);
    ASSERT_EQ(device.writes.size(), 4u);
    EXPECT_EQ(device.writes[3].asked, 100u);
    EXPECT_EQ(device.writes[3].data, bytes.data() + 900);
}

TEST_F(WriteToDeviceTest, FailsWhenTheDeviceStopsOrRefuses) {
    struct Row {
        const char* name;
        std::size_t stopAfter;
        int refuse;
        std::size_t received;
    };
    const Row rows[] = {{"stops mid-write", 640, 0, 640},
                        {"refuses at once", SIZE_MAX, 1, 0},
                        {"takes nothing", 0, 0, 0}};
    for (const Row& row : rows) {
        fake::ResetMachine();
        fake::FakeDevice& device = Attach();
        device.stopAfterBytes = row.stopAfter;
        device.refuseWriteNumber = row.refuse;
        const auto bytes = Pattern(1000);
        EXPECT_EQ(WriteToDevice(bytes.data(), 1000), 0) << row.name;
        EXPECT_EQ(device.received.size(), row.received) << row.name;
    }
}

TEST_F(WriteToDeviceTest, ClosedOrZeroHandleWritesNothing) {
    const std::uint8_t byte = 1;
    Connection().writeHandle = nullptr;
    EXPECT_EQ(WriteToDevice(&byte, 1), 0);
    CloseConnection();
    EXPECT_EQ(WriteToDevice(&byte, 1), 0);
    EXPECT_EQ(fake::BadReleaseCount(), 0);
}

} // namespace
