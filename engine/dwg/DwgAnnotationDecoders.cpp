// Decoders of the annotation entities: LEADER and MULTILEADER (its leader lines and its text or
// block content; the style object's defaults are not needed to draw what the entity stores).
#include "engine/dwg/DwgDecoderSupport.h"

#include "engine/db/BlockEntities.h"

namespace orvo::dwg {

namespace {

// Every point of a list takes at least this many bits (three BD codes).
constexpr uint64_t kPointBits = 6;
// Leader roots of one MULTILEADER, and lines of all its roots together: writers store a handful.
// A line takes only a few bits, so the bound is on the whole entity, not on each root.
constexpr uint32_t kMaxLeaderLists = 4096;

bool FitsPoints(const DwgBitReader& data, uint64_t count)
{
    return count <= data.BitsLeft() / kPointBits;
}

RkDb::EntityPtr DecodeLeader(DwgObjectRecord& record, DwgEntityCommon& common, DwgEntityRefs& refs)
{
    auto leader = std::make_unique<RkDb::Leader>();
    DwgBitReader& data = record.Data();
    data.B();  // unknown
    data.BS(); // annotation type
    leader->spline = data.BS() == 1;
    const uint32_t count = data.BL();
    if (data.Failed() || !FitsPoints(data, count) || !data.Claim(count, sizeof(RkDb::Vec3)))
        return nullptr;
    leader->vertices.reserve(count);
    for (uint32_t i = 0; i < count && !data.Failed(); ++i)
        leader->vertices.push_back(ToVec3(data.BD3()));
    data.BD3(); // origin of the leader plane
    leader->extrusion = ToVec3(data.BD3());
    data.BD3(); // horizontal direction
    data.BD3(); // offset to the block insertion point
    if (data.AtLeast(DwgVersion::R14))
        data.BD3(); // offset of the annotation
    if (!data.AtLeast(DwgVersion::R2000))
        data.BD(); // DIMGAP
    // 2010 and later keep no box size (their DXF export works it out from the annotation);
    // reading it there runs past the entity's data.
    if (!data.AtLeast(DwgVersion::R2010)) {
        data.BD(); // box height
        data.BD(); // box width
    }
    data.B();  // hook line on the x direction
    leader->arrowHead = data.B() != 0;
    record.ReadEntityHandles(common);
    record.Ref(); // the annotation
    refs.dimStyle = record.Ref();
    return leader;
}

// One leader line of a MULTILEADER root: its points, breaks and (2010 on) its own line style.
bool ReadLeaderLine(DwgObjectRecord& record, std::vector<RkDb::Vec3>& line)
{
    DwgBitReader& data = record.Data();
    const uint32_t points = data.BL();
    if (data.Failed() || !FitsPoints(data, points) ||
        !data.Claim(static_cast<uint64_t>(points) + 1, sizeof(RkDb::Vec3)))
        return false;
    line.reserve(points + 1);
    for (uint32_t i = 0; i < points && !data.Failed(); ++i)
        line.push_back(ToVec3(data.BD3()));
    const uint32_t breaks = data.BL();
    if (breaks > 0) {
        data.BL(); // segment index
        const uint32_t pairs = data.BL();
        if (!FitsPoints(data, 2ull * pairs))
            return false;
        for (uint32_t i = 0; i < pairs && !data.Failed(); ++i) {
            data.BD3();
            data.BD3();
        }
    }
    data.BL(); // line index
    if (data.AtLeast(DwgVersion::R2010)) {
        data.BS(); // leader type
        data.CMC(&record.Text());
        record.Ref(); // line type
        data.BL(); // line weight
        data.BD(); // arrow size
        record.Ref(); // arrow block
        data.BL(); // overridden properties
    }
    return !data.Failed();
}

// A root: where its lines join the content, and the lines, each ending at that point as drawn.
bool ReadLeaderRoot(DwgObjectRecord& record, RkDb::MLeader& leader)
{
    DwgBitReader& data = record.Data();
    data.B(); // content valid
    data.B();
    const RkDb::Vec3 connection = ToVec3(data.BD3());
    data.BD3(); // direction
    const uint32_t breaks = data.BL();
    if (data.Failed() || !FitsPoints(data, 2ull * breaks))
        return false;
    for (uint32_t i = 0; i < breaks && !data.Failed(); ++i) {
        data.BD3();
        data.BD3();
    }
    data.BL(); // root index
    data.BD(); // landing distance
    const uint32_t lines = data.BL();
    if (data.Failed() || lines > kMaxLeaderLists - leader.leaderLines.size() || lines > data.BitsLeft())
        return false;
    for (uint32_t i = 0; i < lines; ++i) {
        std::vector<RkDb::Vec3> line;
        if (!ReadLeaderLine(record, line))
            return false;
        line.push_back(connection);
        leader.leaderLines.push_back(std::move(line));
    }
    if (data.AtLeast(DwgVersion::R2010))
        data.BS(); // attachment direction
    return !data.Failed();
}

void ReadTextContent(DwgObjectRecord& record, RkDb::MLeader& leader, DwgEntityRefs& refs)
{
    DwgBitReader& data = record.Data();
    leader.text = record.Text().TV();
    data.BD3(); // normal
    refs.style = record.Ref();
    leader.textLocation = ToVec3(data.BD3());
    leader.textDirection = ToVec3(data.BD3());
    data.BD(); // rotation
    leader.textWidth = data.BD();
    data.BD(); // boundary height
    data.BD(); // line spacing factor
    data.BS(); // line spacing style
    const DwgColor colour = data.CMC(&record.Text());
    leader.textColor = colour.hasRgb ? RkDb::Color::FromRgb(colour.rgb) : RkDb::Color::FromAci(colour.index);
    leader.textAttachment = static_cast<uint8_t>(data.BS());
    data.BS(); // flow direction
    data.CMC(&record.Text()); // background colour
    data.BD(); // background scale
    data.BL(); // background transparency
    data.B();  // background on
    data.B();  // background mask fill
    data.BS(); // column type
    data.B();  // automatic height
    data.BD(); // column width
    data.BD(); // column gutter
    data.B();  // column flow reversed
    const uint32_t columns = data.BL();
    if (columns > data.BitsLeft() / 2) {
        data.Fail();
        return;
    }
    for (uint32_t i = 0; i < columns && !data.Failed(); ++i)
        data.BD();
    data.B(); // word break
    data.B();
    leader.hasText = true;
}

void ReadBlockContent(DwgObjectRecord& record, RkDb::MLeader& leader, DwgEntityRefs& refs)
{
    DwgBitReader& data = record.Data();
    if (data.B() == 0)
        return;
    refs.block = record.Ref();
    data.BD3(); // normal
    leader.blockPosition = ToVec3(data.BD3());
    leader.blockScale = ToVec3(data.BD3());
    leader.blockRotation = data.BD();
    data.CMC(&record.Text());
    for (int i = 0; i < 16; ++i)
        data.BD(); // transformation
}

RkDb::EntityPtr DecodeMLeader(DwgObjectRecord& record, DwgEntityCommon& common, DwgEntityRefs& refs)
{
    auto leader = std::make_unique<RkDb::MLeader>();
    DwgBitReader& data = record.Data();
    // The handles of the content come in the order of the fields, after the common ones.
    record.ReadEntityHandles(common);
    if (data.AtLeast(DwgVersion::R2010))
        data.BS(); // version
    const uint32_t roots = data.BL();
    if (data.Failed() || roots > kMaxLeaderLists || roots > data.BitsLeft())
        return nullptr;
    for (uint32_t i = 0; i < roots; ++i) {
        if (!ReadLeaderRoot(record, *leader))
            return nullptr;
    }
    data.BD();  // overall scale
    data.BD3(); // content base point
    leader->textHeight = data.BD();
    leader->arrowSize = data.BD();
    data.BD();  // landing gap
    data.BS();  // left attachment
    data.BS();  // right attachment
    data.BS();  // text alignment
    data.BS();  // block connection
    if (data.B() != 0)
        ReadTextContent(record, *leader, refs);
    else
        ReadBlockContent(record, *leader, refs);
    if (leader->text.empty())
        leader->hasText = false;
    return leader;
}

} // namespace

RkDb::EntityPtr DecodeAnnotationEntity(uint16_t type, const std::string& className, DwgObjectRecord& record,
                                       DwgEntityCommon& common, DwgEntityRefs& refs)
{
    if (type == kTypeLeader)
        return DecodeLeader(record, common, refs);
    if (className == "MULTILEADER")
        return DecodeMLeader(record, common, refs);
    return nullptr;
}

} // namespace orvo::dwg
