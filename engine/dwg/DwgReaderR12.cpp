#include "engine/dwg/DwgReaderR12.h"

#include "engine/db/BlockEntities.h"
#include "engine/db/TextEntities.h"
#include "engine/dwg/DwgCodePage.h"

namespace orvo::dwg {

namespace {

constexpr size_t kCancelInterval = 256;
// Each record takes at least this many bytes, so a section holds at most its size / this.
constexpr uint64_t kSmallestRecord = 8;
// A jump record is four bytes of header and its address; R11 adds a CRC.
constexpr uint64_t kJumpBytes = 8;
// Address flags in the top byte of a jump's target.
constexpr uint32_t kInBlockSection = 0x40000000u, kInExtraSection = 0x80000000u;

} // namespace

DwgReadResult DwgReaderR12::Read(const std::vector<uint8_t>& file, RkDb::DwgVersion version, RkDb::Database& db)
{
    if (!m_budget.Charge(static_cast<uint64_t>(file.size())))
        return DwgReadResult::TooLarge;
    if (!ReadR12Layout(file, version, m_layout))
        return DwgReadResult::Corrupt;
    RkDb::DrawingHeader& header = db.Header();
    ReadR12HeaderVariables(file, header);
    header.version = version;
    header.acadVer = RkDb::DwgVersionInfo::AcadVer(version);
    header.codePage = CodePageNameOfDwg(m_layout.codePage);
    RkDxf::DxfTextDecoder text;
    text.SetCodePage(WindowsCodePageOfDwg(m_layout.codePage));
    m_tables.SetTextDecoder(&text);
    m_tables.Read(file, m_layout, db);
    const std::int32_t current = m_tables.Layer(m_layout.currentLayer);
    header.currentLayer = db.Layers()[current].name;
    const DwgR12EntityDecoder decoder(m_layout, m_tables, text);
    DwgReadResult result = Walk(file, m_layout.entities, false, decoder, db);
    if (result == DwgReadResult::Ok)
        result = Walk(file, m_layout.blocks, true, decoder, db);
    if (result == DwgReadResult::Ok)
        db.FinishLoading();
    return result;
}

DwgReadResult DwgReaderR12::Walk(const std::vector<uint8_t>& file, const DwgR12Range& start, bool blockSection,
                                 const DwgR12EntityDecoder& decoder, RkDb::Database& db)
{
    DwgR12Range range = start;
    uint64_t pos = range.begin;
    std::int32_t block = blockSection ? -1 : db.ModelSpace();
    // Every record or jump moves on by at least a few bytes or to a new place; a forged chain of
    // jumps that loops ends at this count.
    const uint64_t limit = file.size() / kSmallestRecord + 1;
    for (uint64_t steps = 0; pos < range.end; ++steps) {
        if (steps > limit)
            return DwgReadResult::Corrupt;
        if (++m_records % kCancelInterval == 0 && m_cancel && m_cancel())
            return DwgReadResult::Cancelled;
        RkDb::ByteCursor head(file.data() + pos, range.end - pos);
        const uint8_t type = head.RC();
        head.RC();
        const uint16_t size = head.RS();
        if (head.Failed() || size < kSmallestRecord || size > range.end - pos)
            return DwgReadResult::Corrupt;
        if (type == kR12Jump) {
            uint64_t target = 0;
            range = JumpTarget(head.RL(), target);
            if (range.end == 0)
                return DwgReadResult::Corrupt;
            pos = target;
            continue;
        }
        RkDb::ByteCursor body(file.data() + pos, size);
        const uint64_t at = pos;
        pos += size;
        if (type & kR12Erased)
            continue;
        DwgR12Record record;
        if (!decoder.Decode(body, record))
            return DwgReadResult::Corrupt;
        if (record.type == kR12Block) {
            CloseOpen(block, db);
            block = blockSection ? m_tables.BlockAt(at - m_layout.blocks.begin) : -1;
            if (block >= 0)
                db.Blocks()[block].basePoint = record.blockBase;
            continue;
        }
        if (record.type == kR12EndBlock) {
            CloseOpen(block, db);
            block = -1;
            continue;
        }
        Place(record, block, db);
        if (m_budget.Exhausted())
            return DwgReadResult::TooLarge;
    }
    CloseOpen(block, db);
    return DwgReadResult::Ok;
}

DwgR12Range DwgReaderR12::JumpTarget(uint32_t address, uint64_t& target) const
{
    const uint64_t offset = address & 0x00FFFFFFu;
    const DwgR12Range* range = &m_layout.entities;
    target = offset;
    if (address & kInExtraSection) {
        range = &m_layout.extras;
        target = m_layout.extras.begin + offset;
    } else if (address & kInBlockSection) {
        range = &m_layout.blocks;
        target = m_layout.blocks.begin + offset;
    }
    if (!range->Contains(target) || range->end - target < kJumpBytes)
        return DwgR12Range();
    return *range;
}

void DwgReaderR12::Place(DwgR12Record& record, std::int32_t block, RkDb::Database& db)
{
    if (record.type == kR12Vertex) {
        auto* polyline = m_open ? RkDb::As<RkDb::Polyline>(*m_open) : nullptr;
        // Spline frame control points are not part of the curve shown.
        if (polyline && !(record.vertex.flags & 16) && m_budget.Charge(sizeof(RkDb::PolyVertex)))
            polyline->vertices.push_back(record.vertex);
        return;
    }
    if (record.type == kR12Attrib && m_open && m_open->type == RkDb::EntityType::Insert) {
        if (m_budget.Charge(kObjectBytes)) {
            std::unique_ptr<RkDb::Attribute> attribute(static_cast<RkDb::Attribute*>(record.entity.release()));
            static_cast<RkDb::Insert&>(*m_open).attributes.push_back(std::move(attribute));
        }
        return;
    }
    if (record.type == kR12SeqEnd) {
        CloseOpen(block, db);
        return;
    }
    if (!record.entity)
        return;
    CloseOpen(block, db);
    if (!m_budget.Charge(EstimateEntityBytes(*record.entity)))
        return;
    if (record.hasFollowers &&
        (record.type == kR12Polyline || record.type == kR12Insert)) {
        m_open = std::move(record.entity);
        return;
    }
    if (block >= 0)
        db.Blocks()[block].entities.push_back(std::move(record.entity));
}

void DwgReaderR12::CloseOpen(std::int32_t block, RkDb::Database& db)
{
    if (!m_open)
        return;
    if (block >= 0)
        db.Blocks()[block].entities.push_back(std::move(m_open));
    m_open.reset();
}

} // namespace orvo::dwg
