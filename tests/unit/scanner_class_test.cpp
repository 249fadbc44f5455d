#include "discovery/scanner_class.h"
#include "tests/unit/discovery_test.h"

#include <cstring>

namespace {

using ScannerClassTest = DiscoveryTest;
const char kTarget[] = "USB\\VID_0E7A&PID_41C5";

// Probes as a search does: handles released first.
int Probe(const char* id, int writePipe = 0, int readPipe = 1) {
    PrinterConnection& connection = *AccessConnection(nullptr);
    connection.writePipe = writePipe;
    connection.readPipe = readPipe;
    std::strcpy(connection.hardwareId, id);
    CloseConnection();
    return OpenScannerClassDevice(&connection);
}

TEST_F(ScannerClassTest, LowestMatchingNumberWinsAndMismatchesAreReleased) {
    fake::AddStillImageDevice(1, 0x0E7A, 0x41C6); // other product
    fake::AddStillImageDevice(2, 0x0E7A, 0x41C5).answersDescriptor = false;
    fake::AddStillImageDevice(4, 0x0E7A, 0x41C5);
    fake::FakeDevice& later = fake::AddStillImageDevice(5, 0x0E7A, 0x41C5);
    ASSERT_EQ(Probe(kTarget), 1);
    EXPECT_EQ(NameOf(Connection().controlHandle), fake::StillImagePipeName(4, 0));
    EXPECT_EQ(later.opens, 0);
    EXPECT_EQ(fake::OpenHandleCount(), 2); // devices 1 and 2 let go again
    EXPECT_EQ(fake::CreateCalls().size(), 6u);
    for (const fake::CreateRecord& create : fake::CreateCalls()) {
        EXPECT_EQ(create.access, GENERIC_READ | GENERIC_WRITE);
        EXPECT_EQ(create.share, 3u);
        EXPECT_EQ(create.disposition, OPEN_EXISTING);
        EXPECT_EQ(create.flags, FILE_ATTRIBUTE_SYSTEM);
        EXPECT_FALSE(create.hadSecurity || create.hadTemplate);
    }
    // An identified device is kept: a second call opens nothing.
    EXPECT_EQ(OpenScannerClassDevice(&Connection()), 1);
    EXPECT_EQ(fake::CreateCalls().size(), 6u);
}

TEST_F(ScannerClassTest, PipeNumbersDecideTheHandles) {
    struct Row {
        int writePipe, readPipe;
        int writeOn, readOn; // pipe the handle is open on; -1 closed
        bool writeShared;    // writeHandle is controlHandle
        int handles;         // distinct handles released by CloseConnection
    };
    const Row rows[] = {{0, 1, 0, 1, true, 2},   {2, 1, 2, 1, false, 3},
                        {0, 0, 0, 0, true, 2},   {-1, 1, -1, 1, false, 2},
                        {0, -1, 0, -1, true, 1}, {3, 4, -1, -1, false, 1}}; // pipes 3, 4 absent
    for (const Row& row : rows) {
        fake::ResetMachine();
        fake::AddStillImageDevice(5, 0x0E7A, 0x41C5);
        const std::string at =
            "pipes " + std::to_string(row.writePipe) + "," + std::to_string(row.readPipe);
        ASSERT_EQ(Probe(kTarget, row.writePipe, row.readPipe), 1) << at;
        EXPECT_EQ(NameOf(Connection().controlHandle), fake::StillImagePipeName(5, 0)) << at;
        for (auto side : {std::make_pair(Connection().writeHandle, row.writeOn),
                          std::make_pair(Connection().readHandle, row.readOn)}) {
            EXPECT_EQ(NameOf(side.first),
                      side.second < 0 ? "" : fake::StillImagePipeName(5, side.second))
                << at;
            EXPECT_EQ(side.first == INVALID_HANDLE_VALUE, side.second < 0) << at;
        }
        EXPECT_EQ(Connection().writeHandle == Connection().controlHandle, row.writeShared) << at;
        EXPECT_EQ(fake::OpenHandleCount(), row.handles) << at;
        CloseConnection();
        EXPECT_EQ(fake::OpenHandleCount(), 0) << at;
        EXPECT_EQ(fake::BadReleaseCount(), 0) << at;
    }
}

TEST_F(ScannerClassTest, CandidateTextGivesTheTargetIds) {
    struct Row {
        const char* id;
        USHORT vendor, product; // the only device present
        int found;
    };
    const Row rows[] = {{"USB\\VID_0E7A&PID_41C5&REV_0100", 0x0E7A, 0x41C5, 1},
                        {"USB\\Vid_0e7a&Pid_41c5", 0x0E7A, 0x41C5, 1},
                        {"USB\\VID_12G4&PID_41C5", 0x0012, 0x41C5, 1},
                        {"USB\\VID_-001&PID_41C5", 0xFFFF, 0x41C5, 0},
                        {"USB\\VID_0E7A&PID_41C6", 0x0E7A, 0x41C5, 0},
                        {"", 0, 0, 0}};
    for (const Row& row : rows) {
        fake::ResetMachine();
        fake::AddStillImageDevice(9, row.vendor, row.product);
        EXPECT_EQ(Probe(row.id), row.found) << row.id;
        if (row.found == 0) {
            ExpectNothingOpen();
            EXPECT_EQ(fake::CreateCalls().size(), std::strlen(row.id) < 21 ? 0u : 100u) << row.id;
        }
    }
}

TEST_F(ScannerClassTest, ShortCandidateReadsNothingPastItsEnd) {
    fake::AddStillImageDevice(0, 0x0E7A, 0x41C5);
    // Behind the terminator the field still holds the rest of a matching ID.
    std::strcpy(Connection().hardwareId, kTarget);
    Connection().hardwareId[20] = '\0';
    CloseConnection();
    EXPECT_EQ(OpenScannerClassDevice(&Connection()), 0);
    EXPECT_TRUE(fake::CreateCalls().empty());
    ExpectNothingOpen();
}

} // namespace
