#include "transfer/transfer_header.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(TransferHeaderTest, AnnouncesTheImageSizeLittleEndianInAFixedBlock) {
    struct Row {
        DWORD size;
        std::vector<BYTE> firstTen;
    };
    const Row rows[] = {
        {0, {0x02, 0xFF, 0x04, 0, 0, 0, 0x00, 0x00, 0x00, 0x00}},
        {254082, {0x02, 0xFF, 0x04, 0, 0, 0, 0x82, 0xE0, 0x03, 0x00}},
        {0x12345678, {0x02, 0xFF, 0x04, 0, 0, 0, 0x78, 0x56, 0x34, 0x12}},
        {0xFFFFFFFF, {0x02, 0xFF, 0x04, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    static_assert(sizeof(TransferHeader) == 64, "the block on the wire");
    for (const Row& row : rows) {
        const TransferHeader header = BuildTransferHeader(row.size);
        const std::vector<BYTE> firstTen(header.bytes, header.bytes + 10);
        EXPECT_EQ(firstTen, row.firstTen) << row.size;
        for (DWORD i = 10; i < kTransferHeaderSize; ++i) {
            EXPECT_EQ(header.bytes[i], 0) << row.size << " byte " << i;
        }
    }
}

} // namespace
