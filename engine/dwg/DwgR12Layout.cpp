#include "engine/dwg/DwgR12Layout.h"

#include "engine/db/ByteCursor.h"

namespace orvo::dwg {

namespace {

using RkDb::DwgVersion;

// Header offsets (bytes from the start of the file).
constexpr uint64_t kSectionsOffset = 0x14;
constexpr uint64_t kFirstTablesOffset = 0x2C;
// Every release's header reaches past this; R11/R12 keep their code page here.
constexpr uint64_t kCodePageOffset = 0x3F9;

// R10 and R11/R12 keep the later tables' pointers among the header variables.
struct LateTable
{
    DwgR12TableKind kind;
    uint64_t offset;
    DwgVersion since;
};
const LateTable kLateTables[] = {
    {DwgR12TableKind::Ucs, 0x3EF, DwgVersion::R10},       {DwgR12TableKind::Vport, 0x500, DwgVersion::R10},
    {DwgR12TableKind::AppId, 0x512, DwgVersion::R11_12},  {DwgR12TableKind::DimStyle, 0x522, DwgVersion::R11_12},
    {DwgR12TableKind::Vx, 0x69F, DwgVersion::R11_12},
};

DwgR12Table ReadTable(RkDb::ByteCursor& cursor)
{
    DwgR12Table table;
    table.itemSize = cursor.RS();
    table.count = cursor.RS();
    cursor.RS();
    table.begin = cursor.RL();
    return table;
}

// A section address keeps flags in its top byte.
DwgR12Range ReadRange(RkDb::ByteCursor& cursor, bool sizeFollows)
{
    DwgR12Range range;
    range.begin = cursor.RL();
    const uint32_t second = cursor.RL();
    range.end = sizeFollows ? range.begin + (second & 0x00FFFFFFu) : second;
    return range;
}

bool Inside(const DwgR12Range& range, uint64_t fileSize)
{
    return range.begin <= range.end && range.end <= fileSize;
}

bool TableInside(const DwgR12Table& table, uint64_t fileSize)
{
    const uint64_t bytes = static_cast<uint64_t>(table.itemSize) * table.count;
    return table.begin <= fileSize && bytes <= fileSize - table.begin;
}

double DoubleAt(const std::vector<uint8_t>& file, uint64_t offset)
{
    RkDb::ByteCursor cursor(file.data(), file.size());
    cursor.Seek(offset);
    const double value = cursor.RD();
    return cursor.Failed() ? 0.0 : value;
}

int16_t ShortAt(const std::vector<uint8_t>& file, uint64_t offset)
{
    RkDb::ByteCursor cursor(file.data(), file.size());
    cursor.Seek(offset);
    return static_cast<int16_t>(cursor.RS());
}

RkDb::Vec3 PointAt(const std::vector<uint8_t>& file, uint64_t offset, bool threeD)
{
    return RkDb::Vec3{DoubleAt(file, offset), DoubleAt(file, offset + 8), threeD ? DoubleAt(file, offset + 16) : 0.0};
}

} // namespace

bool ReadR12Layout(const std::vector<uint8_t>& file, DwgVersion version, DwgR12Layout& layout)
{
    if (file.size() < kCodePageOffset)
        return false;
    layout.version = version;
    RkDb::ByteCursor cursor(file.data(), file.size());
    cursor.Seek(kSectionsOffset);
    layout.entities = ReadRange(cursor, false);
    layout.blocks = ReadRange(cursor, true);
    layout.extras = ReadRange(cursor, true);
    cursor.Seek(kFirstTablesOffset);
    for (int kind = 0; kind <= static_cast<int>(DwgR12TableKind::View); ++kind)
        layout.tables[kind] = ReadTable(cursor);
    for (const LateTable& late : kLateTables) {
        if (version < late.since)
            continue;
        cursor.Seek(late.offset);
        layout.tables[static_cast<int>(late.kind)] = ReadTable(cursor);
    }
    if (layout.IsR11()) {
        cursor.Seek(kCodePageOffset);
        layout.codePage = cursor.RS();
    }
    layout.currentLayer = ShortAt(file, 0x14A);
    if (cursor.Failed())
        return false;
    const uint64_t size = file.size();
    if (!Inside(layout.entities, size) || !Inside(layout.blocks, size) || !Inside(layout.extras, size))
        return false;
    for (const DwgR12Table& table : layout.tables) {
        if (!TableInside(table, size))
            return false;
    }
    return true;
}

void ReadR12HeaderVariables(const std::vector<uint8_t>& file, RkDb::DrawingHeader& header)
{
    header.insBase = PointAt(file, 0x5E, true);
    header.extMin = PointAt(file, 0x78, true);
    header.extMax = PointAt(file, 0x90, true);
    const RkDb::Vec3 limMin = PointAt(file, 0xA8, false);
    const RkDb::Vec3 limMax = PointAt(file, 0xB8, false);
    header.limMin = RkDb::Vec2{limMin.x, limMin.y};
    header.limMax = RkDb::Vec2{limMax.x, limMax.y};
    header.fillMode = ShortAt(file, 0x12C) != 0;
    header.ltScale = DoubleAt(file, 0x132);
    header.textSize = DoubleAt(file, 0x13A);
    header.lunits = ShortAt(file, 0x164);
    header.luprec = ShortAt(file, 0x166);
    header.attMode = ShortAt(file, 0x192);
    header.dimScale = DoubleAt(file, 0x1A3);
    header.dimArrowSize = DoubleAt(file, 0x1AB);
    header.dimTextHeight = DoubleAt(file, 0x1DB);
    if (!(header.ltScale > 0.0) || header.ltScale > 1e12)
        header.ltScale = 1.0;
}

} // namespace orvo::dwg
