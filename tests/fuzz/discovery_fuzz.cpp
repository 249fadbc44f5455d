// Fuzzes everything the device search takes from outside the program: the
// configured ID list, registry key names and "Service" values, the printing
// devices' hardware-ID lists, and what the still-image devices answer. Any crash, overrun, leak,
// handle left open or closed twice, or consumed configuration is a finding.
#include "connection/connection.h"
#include "discovery/printer_search.h"
#include "discovery/registry_read.h"
#include "tests/fakewin/fake_machine.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string kUsb = "SYSTEM\\CurrentControlSet\\Enum\\USB";

void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// Vendor and product IDs shared by devices, keys and candidates, so that they
// often meet; now and then any value.
void ConsumeIds(FuzzedDataProvider& in, unsigned* vendor, unsigned* product) {
    static const unsigned kPool[][2] = {{0x0E7A, 0x41C5}, {0x0E7A, 0x41C6}, {0x04B8, 0x0001}};
    const unsigned pick = in.ConsumeIntegralInRange<unsigned>(0, 3);
    if (pick < 3) {
        *vendor = kPool[pick][0];
        *product = kPool[pick][1];
    } else {
        *vendor = in.ConsumeIntegral<std::uint16_t>();
        *product = in.ConsumeIntegral<std::uint16_t>();
    }
}

// "VID_xxxx&PID_xxxx" with a suffix, or any text.
std::string ConsumeDeviceName(FuzzedDataProvider& in, std::size_t maxRaw) {
    if (in.ConsumeBool()) {
        return in.ConsumeRandomLengthString(maxRaw);
    }
    unsigned vendor = 0;
    unsigned product = 0;
    ConsumeIds(in, &vendor, &product);
    char name[32];
    std::snprintf(name, sizeof name, in.ConsumeBool() ? "VID_%04X&PID_%04X" : "Vid_%04x&Pid_%04x",
                  vendor, product);
    return name + in.ConsumeRandomLengthString(8);
}

// Key names can hold neither a backslash nor a NUL.
std::string KeyName(std::string name) {
    for (char& c : name) {
        if (c == '\\' || c == '\0') {
            c = '_';
        }
    }
    return name.empty() ? "_" : name;
}

std::string ConsumeIdList(FuzzedDataProvider& in) {
    if (in.ConsumeBool()) {
        return in.ConsumeRandomLengthString(200);
    }
    std::string list;
    const int pieces = in.ConsumeIntegralInRange(0, 5);
    for (int i = 0; i < pieces; ++i) {
        static const char* const kGlue[] = {",", ",,", ", ", " ,"};
        list += kGlue[in.ConsumeIntegralInRange(0, 3)];
        list += "USB\\" + ConsumeDeviceName(in, 30);
    }
    return list;
}

void BuildRegistry(FuzzedDataProvider& in) {
    if (in.ConsumeIntegralInRange(0, 7) == 0) {
        return; // no USB enumeration key at all
    }
    fake::AddRegistryKey(kUsb);
    if (in.ConsumeIntegralInRange(0, 15) == 15) {
        for (int i = 0; i < 505; ++i) { // more than one level's table holds
            fake::AddRegistryKey(kUsb + "\\F" + std::to_string(1000 + i));
        }
    }
    const int keys = in.ConsumeIntegralInRange(0, 10);
    for (int k = 0; k < keys; ++k) {
        const std::string key = kUsb + "\\" + KeyName(ConsumeDeviceName(in, 1100));
        fake::AddRegistryKey(key);
        const int instances = in.ConsumeIntegralInRange(0, 3);
        for (int i = 0; i < instances; ++i) {
            const std::string instance = key + "\\" + KeyName(in.ConsumeRandomLengthString(80));
            fake::AddRegistryKey(instance);
            const int service = in.ConsumeIntegralInRange(0, 3);
            if (service == 1 || service == 2) {
                fake::SetRegistryString(instance, "Service", service == 1 ? "usbscan" : "usbprint");
            } else if (service == 3) {
                const std::string bytes = in.ConsumeRandomLengthString(200);
                fake::SetRegistryValue(instance, "Service",
                                       std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
            }
            fake::SetRegistryKeyOpenable(instance, in.ConsumeIntegralInRange(0, 7) != 0);
        }
        fake::SetRegistryKeyOpenable(key, in.ConsumeIntegralInRange(0, 7) != 0);
    }
}

void AddStillImageDevices(FuzzedDataProvider& in) {
    const int devices = in.ConsumeIntegralInRange(0, 6);
    for (int d = 0; d < devices; ++d) {
        const int number = in.ConsumeIntegralInRange(0, 99);
        unsigned vendor = 0;
        unsigned product = 0;
        ConsumeIds(in, &vendor, &product);
        const int pipes = in.ConsumeIntegralInRange(1, 4);
        fake::FakeDevice& control = fake::AddStillImageDevice(number, static_cast<USHORT>(vendor),
                                                              static_cast<USHORT>(product), pipes);
        control.answersDescriptor = in.ConsumeIntegralInRange(0, 7) != 0;
        control.descriptorBytes = in.ConsumeIntegralInRange<DWORD>(0, 8);
        for (int pipe = 1; pipe < pipes; ++pipe) {
            fake::FindDevice(fake::StillImagePipeName(number, pipe))->openable = in.ConsumeBool();
        }
    }
}

// USB printing devices whose hardware-ID lists are well formed, raw bytes with
// or without their closing NULs, or missing; interfaces that fail on the way.
void AddPrintingDevices(FuzzedDataProvider& in) {
    const int devices = in.ConsumeIntegralInRange(0, 4);
    for (int d = 0; d < devices; ++d) {
        std::string ids;
        if (in.ConsumeBool()) {
            ids = in.ConsumeRandomLengthString(300);
        } else {
            std::vector<std::string> entries;
            const int count = in.ConsumeIntegralInRange(0, 4);
            for (int e = 0; e < count; ++e) {
                entries.push_back((in.ConsumeBool() ? "USB\\" : "usb\\") +
                                  ConsumeDeviceName(in, 140));
            }
            ids = fake::MultiString(entries);
        }
        const std::string path = "\\\\?\\usb#" + std::to_string(d);
        fake::PrintingDevice& device = fake::AddPrintingDevice(ids, path);
        device.hasHardwareIds = in.ConsumeIntegralInRange(0, 7) != 0;
        static const DWORD kErrors[] = {0, 0, ERROR_INVALID_PARAMETER, ERROR_INSUFFICIENT_BUFFER};
        device.propertyError = kErrors[in.ConsumeIntegralInRange(0, 3)];
        device.hasInterface = in.ConsumeIntegralInRange(0, 7) != 0;
        device.detailReadFails = in.ConsumeIntegralInRange(0, 7) == 7;
        device.detailSizeReportsZero = in.ConsumeIntegralInRange(0, 7) == 7;
        fake::FindDevice(path)->openable = in.ConsumeIntegralInRange(0, 7) != 7;
    }
    // Versions on both sides of the property read's platform split.
    fake::SetVersion(VER_PLATFORM_WIN32_NT, in.ConsumeIntegralInRange<DWORD>(4, 10),
                     in.ConsumeIntegralInRange<DWORD>(0, 3));
    fake::FailAllocationNumber(in.ConsumeIntegralInRange(0, 12));
}

void CheckSearchOutcome(int found, const std::string& loaded) {
    const PrinterConnection& connection = *AccessConnection(nullptr);
    Require(std::memchr(connection.hardwareId, 0, sizeof connection.hardwareId) != nullptr,
            "hardwareId terminated");
    Require(std::strcmp(connection.configuredIds, loaded.c_str()) == 0, "list kept as loaded");
    Require(fake::OpenHandleCount(fake::HandleKind::RegistryKey) == 0, "registry keys closed");
    Require(fake::BadReleaseCount() == 0, "no bad release");
    Require(fake::OpenHandleCount(fake::HandleKind::DeviceInfoSet) == 0, "device sets destroyed");
    Require(fake::OutstandingHeapBlocks() == 0, "heap blocks freed");
    if (found == 0) {
        Require(fake::OpenHandleCount() == 0, "nothing open after a failed search");
        Require(connection.controlHandle == INVALID_HANDLE_VALUE &&
                    connection.writeHandle == INVALID_HANDLE_VALUE &&
                    connection.readHandle == INVALID_HANDLE_VALUE,
                "handles -1 after a failed search");
    }
}

// The list splitter on any text, into a table that holds every token.
void SplitAnyText(const std::string& text) {
    static char slots[512][1024];
    const int count = SplitIdList(text.c_str(), ",", slots[0], 1024);
    Require(count >= 0 && count <= 512, "token count");
    for (int i = 0; i < count; ++i) {
        Require(slots[i][0] != '\0' && std::strchr(slots[i], ',') == nullptr, "token form");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    fake::ResetMachine();
    *AccessConnection(nullptr) = PrinterConnection{};

    PrinterConnection config = {};
    config.useScannerClass = in.ConsumeBool() ? 1 : 0;
    config.writePipe = in.ConsumeIntegralInRange(-2, 4);
    config.readPipe = in.ConsumeIntegralInRange(-2, 4);
    const std::string list = ConsumeIdList(in);
    SplitAnyText(list);
    list.copy(config.hardwareId, sizeof config.hardwareId - 1);
    const std::string loaded = config.hardwareId; // what start-up would keep
    AccessConnection(&config);

    BuildRegistry(in);
    AddStillImageDevices(in);

    // The table must hold what it is given, whatever the registry says.
    const int width = in.ConsumeIntegralInRange(1, 80);
    const int capacity = in.ConsumeIntegralInRange(0, 6);
    std::vector<char> table(static_cast<std::size_t>(width) * capacity + 1);
    Require(EnumSubkeyNames(HKEY_LOCAL_MACHINE, kUsb.c_str(), table.data() + 1, width, capacity) <=
                capacity,
            "names within capacity");
    AddPrintingDevices(in);

    for (int round = 0; round < 2; ++round) {
        CheckSearchOutcome(FindPrinter(), loaded);
    }
    CloseConnection();
    Require(fake::OpenHandleCount() == 0 && fake::BadReleaseCount() == 0, "all released");
    fake::ResetMachine();
    return 0;
}
