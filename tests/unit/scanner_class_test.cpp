#include "discovery/scanner_class.h"
#include "tests/unit/machine_test.h"

#include <cstring>

namespace {

const char kTarget[] = "USB\\VID_0E7A&PID_41C5";

class ScannerClassTest : public MachineTest {
  protected:
    // Probes as a search does: handles released first. `id` may hold bytes
    // past its terminator; the field keeps them.
    static int Probe(const std::string& id, int writePipe = 0, int readPipe = 1) {
        Configure("", 1, writePipe, readPipe);
        id.copy(Connection().hardwareId, id.size());
        CloseConnection();
        return OpenScannerClassDevice(&Connection());
    }
};

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
    ExpectDeviceOpens(FILE_ATTRIBUTE_SYSTEM);
    CloseConnection();
}

TEST_F(ScannerClassTest, PipeNumbersDecideTheHandles) {
    struct Row {
        int writePipe, readPipe;
        int writeOn, readOn; // pipe the handle is open on; -1 closed
        int handles;         // distinct handles released by CloseConnection
    };
    const Row rows[] = {{0, 1, 0, 1, 2},   {2, 1, 2, 1, 3},   {0, 0, 0, 0, 2},
                        {-1, 1, -1, 1, 2}, {0, -1, 0, -1, 1}, {3, 4, -1, -1, 1}}; // no pipes 3, 4
    for (const Row& row : rows) {
        Fresh();
        fake::AddStillImageDevice(5, 0x0E7A, 0x41C5);
        SCOPED_TRACE(testing::Message() << "pipes " << row.writePipe << "," << row.readPipe);
        ASSERT_EQ(Probe(kTarget, row.writePipe, row.readPipe), 1);
        EXPECT_EQ(NameOf(Connection().controlHandle), fake::StillImagePipeName(5, 0));
        for (auto side : {std::make_pair(Connection().writeHandle, row.writeOn),
                          std::make_pair(Connection().readHandle, row.readOn)}) {
            EXPECT_EQ(NameOf(side.first),
                      side.second < 0 ? "" : fake::StillImagePipeName(5, side.second));
            EXPECT_EQ(side.first == INVALID_HANDLE_VALUE, side.second < 0);
        }
        EXPECT_EQ(Connection().writeHandle == Connection().controlHandle, row.writePipe == 0);
        EXPECT_EQ(fake::OpenHandleCount(), row.handles);
        CloseConnection();
        EXPECT_EQ(fake::OpenHandleCount(), 0);
    }
}

TEST_F(ScannerClassTest, CandidateTextGivesTheTargetIds) {
    struct Row {
        std::string id;
        USHORT vendor, product; // the only device present
        int found;
    };
    const Row rows[] = {{"USB\\VID_0E7A&PID_41C5&REV_0100", 0x0E7A, 0x41C5, 1},
                        {"USB\\Vid_0e7a&Pid_41c5", 0x0E7A, 0x41C5, 1},
                        {"USB\\VID_12G4&PID_41C5", 0x0012, 0x41C5, 1},
                        {"USB\\VID_-001&PID_41C5", 0xFFFF, 0x41C5, 0},
                        {"USB\\VID_0E7A&PID_41C6", 0x0E7A, 0x41C5, 0},
                        // Too short, though the field holds the rest of a matching ID.
                        {std::string(kTarget, 20) + '\0' + "5", 0x0E7A, 0x41C5, 0}};
    for (const Row& row : rows) {
        Fresh();
        fake::AddStillImageDevice(0, row.vendor, row.product);
        EXPECT_EQ(Probe(row.id), row.found) << row.id;
        if (row.found == 0) {
            ExpectNothingOpen();
            EXPECT_EQ(fake::CreateCalls().size(), std::strlen(row.id.c_str()) < 21 ? 0u : 100u)
                << row.id;
        }
        CloseConnection();
    }
}

} // namespace
