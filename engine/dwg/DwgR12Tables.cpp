#include "engine/dwg/DwgR12Tables.h"

#include "engine/db/ByteCursor.h"

#include <cmath>

namespace orvo::dwg {

namespace {

constexpr size_t kNameBytes = 32;
constexpr int kPatternSlots = 12;

// A cursor over one record of a table.
RkDb::ByteCursor RecordCursor(const std::vector<uint8_t>& file, const DwgR12Table& table, uint16_t index)
{
    const uint64_t begin = table.begin + static_cast<uint64_t>(table.itemSize) * index;
    return RkDb::ByteCursor(file.data() + begin, table.itemSize);
}

// Calls read(cursor, flags, name, index) for each record of a table, past the flag byte, the name
// (and the use count of R11) that every record starts with.
template <class Read>
void ForEachRecord(const std::vector<uint8_t>& file, const DwgR12Layout& layout, DwgR12TableKind kind,
                   const RkDxf::DxfTextDecoder* text, Read read)
{
    const DwgR12Table& table = layout.Table(kind);
    for (uint16_t i = 0; i < table.count; ++i) {
        RkDb::ByteCursor c = RecordCursor(file, table, i);
        const uint8_t flags = c.RC();
        std::string name = c.FixedText(kNameBytes);
        if (text)
            name = text->Decode(name);
        if (layout.IsR11())
            c.RS();
        read(c, flags, std::move(name), i);
    }
}

} // namespace

void DwgR12Tables::Read(const std::vector<uint8_t>& file, const DwgR12Layout& layout, RkDb::Database& db)
{
    ReadLineTypes(file, layout, db);
    ReadLayers(file, layout, db);
    ReadStyles(file, layout, db);
    ReadViewports(file, layout, db);
    ReadDimStyles(file, layout, db);
    ReadBlocks(file, layout, db);
}

std::int32_t DwgR12Tables::BlockAt(uint64_t offset) const
{
    for (size_t i = 0; i < m_blockOffsets.size(); ++i) {
        if (m_blockOffsets[i] == offset)
            return m_blocks[i];
    }
    return -1;
}

void DwgR12Tables::ReadLineTypes(const std::vector<uint8_t>& file, const DwgR12Layout& layout, RkDb::Database& db)
{
    ForEachRecord(file, layout, DwgR12TableKind::LineType, m_text,
                  [&](RkDb::ByteCursor& c, uint8_t, std::string name, uint16_t) {
        RkDb::LineType lineType;
        lineType.name = std::move(name);
        lineType.description = c.FixedText(48);
        c.RC(); // alignment
        const int dashes = c.RC();
        lineType.patternLength = c.RD();
        for (int d = 0; d < kPatternSlots; ++d) {
            const double length = c.RD();
            if (d < dashes && std::isfinite(length)) {
                RkDb::LineTypeElement element;
                element.length = length;
                lineType.elements.push_back(element);
            }
        }
        const bool usable = !c.Failed() && !lineType.name.empty();
        m_lineTypes.push_back(usable ? db.LineTypes().Add(std::move(lineType)) : RkDb::kRefNone);
    });
}

void DwgR12Tables::ReadLayers(const std::vector<uint8_t>& file, const DwgR12Layout& layout, RkDb::Database& db)
{
    ForEachRecord(file, layout, DwgR12TableKind::Layer, m_text,
                  [&](RkDb::ByteCursor& c, uint8_t flags, std::string name, uint16_t) {
        const int16_t color = static_cast<int16_t>(c.RS());
        const int16_t lineType = static_cast<int16_t>(c.RS());
        if (c.Failed() || name.empty()) {
            m_layers.push_back(0);
            return;
        }
        RkDb::Layer layer;
        layer.name = std::move(name);
        layer.frozen = (flags & 1) != 0;
        layer.off = color < 0;
        const int aci = color < 0 ? -color : color;
        layer.color = RkDb::Color::FromAci(aci >= 1 && aci <= 255 ? aci : 7);
        const std::int32_t type = LineType(lineType);
        layer.lineType = type >= 0 ? type : RkDb::kRefNone;
        m_layers.push_back(db.Layers().Add(std::move(layer)));
    });
}

void DwgR12Tables::ReadStyles(const std::vector<uint8_t>& file, const DwgR12Layout& layout, RkDb::Database& db)
{
    ForEachRecord(file, layout, DwgR12TableKind::Style, m_text,
                  [&](RkDb::ByteCursor& c, uint8_t flags, std::string name, uint16_t) {
        RkDb::TextStyle style;
        style.name = std::move(name);
        style.fixedHeight = c.RD();
        style.widthFactor = c.RD();
        style.oblique = c.RD();
        style.generation = c.RC();
        c.RD(); // last height used
        style.fontFile = c.FixedText(64);
        style.bigFontFile = c.FixedText(64);
        style.isShapeFile = (flags & 1) != 0;
        // A shape file's record has no name; it stays out of the table the texts use.
        const bool usable = !c.Failed() && !style.name.empty();
        m_styles.push_back(usable ? db.TextStyles().Add(std::move(style)) : 0);
    });
}

void DwgR12Tables::ReadViewports(const std::vector<uint8_t>& file, const DwgR12Layout& layout, RkDb::Database& db)
{
    ForEachRecord(file, layout, DwgR12TableKind::Vport, m_text,
                  [&](RkDb::ByteCursor& c, uint8_t flags, std::string name, uint16_t) {
        RkDb::ViewportRecord record;
        record.name = std::move(name);
        c.Skip(32); // lower-left and upper-right corners on the screen
        record.target = RkDb::Vec3{c.RD(), c.RD(), c.RD()};
        record.direction = RkDb::Vec3{c.RD(), c.RD(), c.RD()};
        record.twist = c.RD();
        record.height = c.RD();
        record.center = RkDb::Vec2{c.RD(), c.RD()};
        record.aspect = c.RD();
        // A deleted record keeps its place in the table.
        if (!c.Failed() && !record.name.empty() && (flags & 0x80) == 0)
            db.ViewportRecords().Add(std::move(record));
    });
}

void DwgR12Tables::ReadDimStyles(const std::vector<uint8_t>& file, const DwgR12Layout& layout, RkDb::Database& db)
{
    ForEachRecord(file, layout, DwgR12TableKind::DimStyle, m_text,
                  [&](RkDb::ByteCursor& c, uint8_t, std::string name, uint16_t) {
        RkDb::DimStyle style;
        style.name = std::move(name);
        style.scale = c.RD();
        style.arrowSize = c.RD();
        if (!c.Failed() && !style.name.empty())
            db.DimStyles().Add(std::move(style));
    });
}

void DwgR12Tables::ReadBlocks(const std::vector<uint8_t>& file, const DwgR12Layout& layout, RkDb::Database& db)
{
    ForEachRecord(file, layout, DwgR12TableKind::Block, m_text,
                  [&](RkDb::ByteCursor& c, uint8_t flags, std::string name, uint16_t i) {
        const uint32_t address = c.RL();
        if (c.Failed() || name.empty()) {
            m_blocks.push_back(-1);
            m_blockOffsets.push_back(UINT64_MAX);
            return;
        }
        // The file keeps only the letter of an anonymous block ("*D", "*U", "*X"); its number is
        // its place in the table, as the release's own DXF output names it, unless a block
        // listed before holds that whole name already.
        if (name.size() == 2 && name[0] == '*') {
            const std::string letter = name;
            for (std::size_t n = i; db.Blocks().Find(name = letter + std::to_string(n)) >= 0;)
                ++n;
        }
        const std::int32_t index = db.EnsureBlock(name);
        db.Blocks()[index].flags = flags;
        m_blocks.push_back(index);
        m_blockOffsets.push_back(address & 0x00FFFFFFu);
    });
}

} // namespace orvo::dwg
