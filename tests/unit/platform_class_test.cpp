#include "discovery/platform_class.h"
#include "tests/unit/machine_test.h"

#include <vector>

namespace {

constexpr WORD kX86 = PROCESSOR_ARCHITECTURE_INTEL;
constexpr WORD kIa64 = PROCESSOR_ARCHITECTURE_IA64;
constexpr WORD kAmd64 = PROCESSOR_ARCHITECTURE_AMD64;

TEST(PlatformCodeOf, GivesTheCodeOfEveryRow) {
    struct Row {
        DWORD platformId, major, minor;
        BYTE productType;
        WORD architecture;
        int code;
    };
    const Row rows[] = {
        {1, 4, 0, 0, kX86, 1400},   {1, 4, 10, 0, kX86, 1410},      {1, 4, 90, 0, kX86, 1490},
        {1, 4, 3, 0, kX86, 0},      {1, 5, 0, 0, kX86, 0},          {1, 3, 10, 0, kX86, 0},
        {2, 3, 51, 1, kX86, 2400},  {2, 4, 0, 3, kAmd64, 2400},     {2, 0, 0, 0, kX86, 2400},
        {2, 5, 0, 1, kX86, 2500},   {2, 5, 1, 1, kAmd64, 2501},     {2, 5, 2, 1, kAmd64, 6401},
        {2, 5, 2, 3, kAmd64, 6402}, {2, 5, 2, 2, kAmd64, 2502},     {2, 5, 2, 0, kAmd64, 2502},
        {2, 5, 2, 1, kX86, 2502},   {2, 5, 2, 3, kIa64, 2502},      {2, 5, 3, 1, kAmd64, 0},
        {2, 6, 0, 1, kAmd64, 6403}, {2, 6, 0, 3, kAmd64, 2600},     {2, 6, 0, 1, kIa64, 2600},
        {2, 6, 0, 0, kAmd64, 2600}, {2, 6, 1, 1, kAmd64, 0},        {2, 6, 1, 3, kX86, 0},
        {2, 7, 0, 1, kAmd64, 0},    {2, 0xFFFFFFFF, 0, 1, kX86, 0}, {0, 4, 0, 0, kX86, 0},
        {3, 5, 1, 1, kX86, 0},
    };
    for (const Row& row : rows) {
        const auto code = [&](BOOL read) {
            return PlatformCodeOf(read, row.platformId, row.major, row.minor, row.productType,
                                  row.architecture);
        };
        EXPECT_EQ(code(TRUE), row.code)
            << row.platformId << ' ' << row.major << '.' << row.minor << " type "
            << int(row.productType) << " arch " << row.architecture;
        EXPECT_EQ(code(FALSE), 0); // no version record: nothing is named
    }
}

using ClassifyPlatformTest = MachineTest;

TEST_F(ClassifyPlatformTest, QueriesNativeProcessorAndFallsBackToTheBasicRecord) {
    struct Row {
        const char* name;
        DWORD minor;
        BYTE productType;
        bool nativeQuery, extended, basic;
        int code;
    };
    const Row rows[] = {
        {"x64 workstation", 2, VER_NT_WORKSTATION, true, true, true, 6401},
        {"no native query: a 32-bit program sees x86", 2, VER_NT_WORKSTATION, false, true, true,
         2502},
        {"basic record only: no product type", 2, VER_NT_SERVER, true, false, true, 2502},
        {"both records refused", 1, VER_NT_WORKSTATION, true, false, false, 0},
    };
    for (const Row& row : rows) {
        fake::ResetMachine();
        fake::SetVersion(VER_PLATFORM_WIN32_NT, 5, row.minor, row.productType);
        fake::SetNativeArchitecture(kAmd64);
        fake::SetNativeSystemInfoPresent(row.nativeQuery);
        fake::SetVersionRecordsAccepted(row.extended, row.basic);
        EXPECT_EQ(ClassifyPlatform(), row.code) << row.name;
        const std::vector<DWORD> sizes =
            row.extended ? std::vector<DWORD>{156} : std::vector<DWORD>{156, 148};
        EXPECT_EQ(fake::VersionQuerySizes(), sizes) << row.name;
    }
}

} // namespace
