// The draw order table of a DWG block (SORTENTSTABLE) from an R2000 record made by hand: its
// entries, and forged counts that give no table; the longs of extended data the record keeps.
#include "DwgEntityRecord.h"

#include "engine/dwg/DwgDrawOrder.h"

#include <gtest/gtest.h>

namespace {

using orvo::dwg::DwgObjectRecord;
using orvo::dwg::DwgSortEntsTable;
using orvo::test::DwgBitWriter;

// A SORTENTSTABLE of the block 0x1F: entities 0x50 + i drawn in the places 0x60 - i; count is
// what the record says, entries how many it holds. With extendedLong, an extended data block of
// the application 0x99 holding that long first.
std::vector<uint8_t> SortEntsRecord(uint32_t count, uint32_t entries, int64_t extendedLong = -1)
{
    uint32_t bitSize = 0;
    DwgBitWriter w;
    for (int pass = 0; pass < 2; ++pass) {
        w = DwgBitWriter();
        w.BS(500).Long(bitSize).H(0, orvo::test::kRecordHandle);
        if (extendedLong >= 0) {
            w.BS(5).H(5, 0x99).Byte(71).Long(static_cast<uint32_t>(extendedLong));
        }
        w.BS(0);
        w.BL(0);        // reactors
        w.BL(count);
        for (uint32_t i = 0; i < entries; ++i)
            w.H(0, 0x60 - i);
        bitSize = static_cast<uint32_t>(w.BitCount());
    }
    w.H(4, 0x30);       // the owner: the block's extension dictionary
    w.H(3, 0);          // no extension dictionary of its own
    w.H(4, 0x1F);       // the block record
    for (uint32_t i = 0; i < entries; ++i)
        w.H(4, 0x50 + i);
    return orvo::test::SizedObject(w);
}

bool Decode(const std::vector<uint8_t>& object, DwgSortEntsTable& table, DwgObjectRecord& record)
{
    return record.Open(object, 0, orvo::dwg::DwgVersion::R2000) &&
           orvo::dwg::DecodeSortEntsTable(record, table);
}

TEST(DwgDrawOrder, EntriesPairEntitiesWithTheirPlaces)
{
    DwgObjectRecord record;
    DwgSortEntsTable table;
    ASSERT_TRUE(Decode(SortEntsRecord(3, 3), table, record));
    EXPECT_EQ(table.block, 0x1Fu);
    ASSERT_EQ(table.entries.size(), 3u);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(table.entries[i].first, 0x50u + i);
        EXPECT_EQ(table.entries[i].second, 0x60u - i);
    }
    EXPECT_TRUE(record.ExtendedLongs().empty());
}

TEST(DwgDrawOrder, ForgedCountsGiveNoTable)
{
    for (const uint32_t count : {4u, 100u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        DwgObjectRecord record;
        DwgSortEntsTable table;
        EXPECT_FALSE(Decode(SortEntsRecord(count, 3), table, record)) << count;
    }
}

TEST(DwgDrawOrder, TheRecordKeepsTheLongOfItsExtendedData)
{
    // The way a layer's transparency is stored: a long first in the block of its application.
    DwgObjectRecord record;
    DwgSortEntsTable table;
    ASSERT_TRUE(Decode(SortEntsRecord(1, 1, 0x02000040), table, record));
    const auto longs = record.ExtendedLongs();
    ASSERT_EQ(longs.size(), 1u);
    EXPECT_EQ(longs[0].first, 0x99u);
    EXPECT_EQ(longs[0].second, 0x02000040u);
    ASSERT_EQ(table.entries.size(), 1u);
}

} // namespace
