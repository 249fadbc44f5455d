// Fixture for the device search: configuring the connection, registry
// instances, and what the still-image probe did.
#pragma once

#include "tests/unit/machine_test.h"

#include <string>

inline const std::string kUsbPath = "SYSTEM\\CurrentControlSet\\Enum\\USB";

class DiscoveryTest : public MachineTest {
  protected:
    // Loads a configuration as start-up does.
    static void Configure(const char* ids, int useScannerClass, int writePipe = 0,
                          int readPipe = 1) {
        PrinterConnection config = {};
        config.useScannerClass = useScannerClass;
        config.writePipe = writePipe;
        config.readPipe = readPipe;
        std::string(ids).copy(config.hardwareId, sizeof config.hardwareId - 1);
        AccessConnection(&config);
    }
    static void AddInstance(const std::string& key, const std::string& instance,
                            const std::string& service) {
        fake::SetRegistryString(kUsbPath + "\\" + key + "\\" + instance, "Service", service);
    }
    // Every probe starts at device 0, so each call opens \\.\Usbscan0\0 once.
    static int ProbeCalls() {
        int calls = 0;
        for (const fake::CreateRecord& create : fake::CreateCalls()) {
            calls += create.name == fake::StillImagePipeName(0, 0) ? 1 : 0;
        }
        return calls;
    }
    static std::string NameOf(HANDLE handle) {
        const fake::FakeDevice* device = fake::DeviceOfHandle(handle);
        return device != nullptr ? device->path : "";
    }
    // A route or search that answered 0 leaves nothing open.
    static void ExpectNothingOpen() {
        EXPECT_EQ(fake::OpenHandleCount(), 0);
        EXPECT_EQ(Connection().controlHandle, INVALID_HANDLE_VALUE);
        EXPECT_EQ(Connection().writeHandle, INVALID_HANDLE_VALUE);
        EXPECT_EQ(Connection().readHandle, INVALID_HANDLE_VALUE);
    }
    void TearDown() override {
        EXPECT_EQ(fake::BadReleaseCount(), 0);
        EXPECT_EQ(fake::OpenHandleCount(fake::HandleKind::RegistryKey), 0);
        MachineTest::TearDown();
    }
};
