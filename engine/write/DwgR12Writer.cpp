#include "engine/write/DwgR12Writer.h"

#include "engine/db/AreaEntities.h"
#include "engine/db/ModelEntities.h"
#include "engine/db/SymbolTable.h"
#include "engine/dwg/DwgChecksum.h"
#include "engine/dwg/DwgR12EntityDecoder.h"
#include "engine/write/DownConverter.h"
#include "engine/write/DwgEntityEncoder.h"
#include "engine/write/TextEncoding.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace RkWrite {

namespace dwg = orvo::dwg;
using RkDb::EntityType;
using RkDb::Vec3;

namespace {

// Header offsets (bytes from the start of the file) and its size before its CRC.
constexpr std::size_t kHeaderSize = 0x6BD;
constexpr std::size_t kSectionsAt = 0x14;
constexpr std::size_t kFirstTablesAt = 0x2C;
constexpr std::size_t kCodePageAt = 0x3F9;
constexpr std::uint32_t kInBlockSection = 0x40000000u;
// Entity flags (the byte after the type).
constexpr std::uint8_t kHasColor = 0x01, kHasLineType = 0x02, kFlat = 0x04, kHasThickness = 0x08,
                       kHasFollowers = 0x80;
constexpr std::uint16_t kLineTypeByBlock = 0x7FFE;
constexpr std::size_t kNameBytes = 32;
// Records are numbered with 16-bit values (and entities name them so).
constexpr std::size_t kMaxRecords = 0x7FFF;
// About the most a hatch's part takes: a SOLID strip of four corners with its colour, line
// type, elevation, thickness and extrusion.
constexpr std::size_t kPartBytes = 128;
// A block's flags: anonymous, and (as in the files CAD programs write) referenced.
constexpr std::uint8_t kAnonymousBlock = 0x01, kReferencedBlock = 0x40;

// The 16 bytes that open each part of the file (the bytes that close it are their complement):
// the tables in the header's order of them, then the entities, the block entities and the extra
// entities.
using Sentinel = std::array<std::uint8_t, 16>;
constexpr Sentinel kTableSentinels[10] = {
    Sentinel{0xDB, 0xEF, 0xB3, 0xF0, 0xC7, 0x3E, 0x6D, 0xA6, 0xC9, 0xB6, 0x24, 0x5C, 0x4C, 0x6F, 0x32, 0xCB},
    Sentinel{0x0E, 0xC4, 0x64, 0x6F, 0xBB, 0x1D, 0xD3, 0x8B, 0x00, 0x49, 0xC2, 0xEF, 0x18, 0xEA, 0x6F, 0xFB},
    Sentinel{0xE2, 0x3E, 0xC1, 0x82, 0x43, 0x9F, 0x61, 0x77, 0x50, 0xAB, 0xC7, 0x66, 0x96, 0x00, 0x06, 0x18},
    Sentinel{0xAC, 0x90, 0x1A, 0xCA, 0x1C, 0xBD, 0x95, 0x15, 0x16, 0x16, 0x4C, 0x14, 0xCE, 0x18, 0x88, 0xAF},
    Sentinel{0xC1, 0x3C, 0xAA, 0x56, 0x68, 0xF4, 0xB4, 0x1E, 0x4B, 0x74, 0xF4, 0x08, 0x42, 0x4D, 0xBF, 0xA5},
    Sentinel{0x60, 0x4A, 0xFA, 0x3D, 0x84, 0x90, 0xCC, 0x5B, 0xEF, 0xE7, 0xD6, 0xA5, 0x7F, 0x1E, 0x61, 0xCD},
    Sentinel{0xF6, 0xED, 0x44, 0x61, 0x2A, 0xDC, 0xE4, 0x7B, 0x4E, 0xB9, 0x2B, 0xBB, 0x66, 0x60, 0x63, 0x8D},
    Sentinel{0xE1, 0x25, 0xC2, 0x50, 0x36, 0x68, 0x6C, 0x0C, 0x3B, 0xD3, 0x5D, 0x56, 0xC1, 0x79, 0x1C, 0x3A},
    Sentinel{0xB4, 0x18, 0x3E, 0x42, 0xC9, 0x9F, 0xFF, 0xE5, 0xB6, 0xE2, 0xCB, 0xB3, 0x75, 0xC3, 0xC3, 0xB0},
    Sentinel{0xE0, 0xCA, 0x36, 0x7C, 0xCE, 0xE7, 0x58, 0x6F, 0x2B, 0x7D, 0x74, 0x55, 0x05, 0xF1, 0x44, 0x7F},
};
constexpr Sentinel kEntitiesSentinel = {0xC4, 0x6E, 0x68, 0x54, 0xF8, 0x6E, 0x33, 0x30, 0x63, 0x3E, 0xC1, 0x85, 0x2A, 0xDC, 0x94, 0x01};
constexpr Sentinel kBlocksSentinel = {0x72, 0x2B, 0x7D, 0xEC, 0x3E, 0x8C, 0x88, 0x6C, 0x7A, 0x72, 0x0A, 0xFD, 0xC8, 0x6C, 0x84, 0x26};
constexpr Sentinel kExtrasSentinel = {0xD5, 0xF9, 0xD3, 0xBB, 0x0A, 0xA9, 0x69, 0xA6, 0xCD, 0x1C, 0x87, 0xC7, 0xEE, 0x80, 0x4B, 0x17};
// The size of each table's record, less its CRC, of those with none written.
constexpr std::uint16_t kViewRecord = 151, kUcsRecord = 107, kVxRecord = 41;
// Of the tables written: a viewport's and a dimension style's whole record (the fields not
// written are zero).
constexpr std::uint16_t kVportRecord = 251, kDimStyleRecord = 322;

void Put16(std::string& s, std::size_t at, std::uint16_t v)
{
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
}

void Put32(std::string& s, std::size_t at, std::uint32_t v)
{
    Put16(s, at, static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(s, at + 2, static_cast<std::uint16_t>(v >> 16));
}

void PutDouble(std::string& s, std::size_t at, double v)
{
    std::memcpy(&s[at], &v, sizeof v);
}

void Add16(std::string& s, std::uint16_t v)
{
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>(v >> 8));
}

void Add32(std::string& s, std::uint32_t v)
{
    Add16(s, static_cast<std::uint16_t>(v & 0xFFFF));
    Add16(s, static_cast<std::uint16_t>(v >> 16));
}

void AddDouble(std::string& s, double v)
{
    char bytes[8];
    std::memcpy(bytes, &v, sizeof bytes);
    s.append(bytes, sizeof bytes);
}

void AddSentinel(std::string& s, const Sentinel& sentinel, bool closing)
{
    for (const std::uint8_t b : sentinel)
        s.push_back(static_cast<char>(closing ? ~b : b));
}

std::uint16_t Crc(const std::string& s, std::size_t at, std::size_t size)
{
    return dwg::Crc16(0xC0C1, reinterpret_cast<const std::uint8_t*>(s.data()) + at, size);
}

// A text of a fixed field, cut or padded with zeros.
void AddFixed(std::string& s, const std::string& text, std::size_t bytes)
{
    const std::size_t n = text.size() < bytes - 1 ? text.size() : bytes - 1;
    s.append(text, 0, n);
    s.append(bytes - n, '\0');
}

// An attribute's tag as R12 keeps it: in capitals (tags match whatever their case).
std::string UpperTag(const std::string& tag)
{
    return RkDb::TableKey(tag); // the capitals table names compare in
}

bool IsDefaultExtrusion(const Vec3& e) { return e.x == 0.0 && e.y == 0.0 && e.z == 1.0; }

// The names of a table in the drawing's code page, each at most 31 bytes (the field's room): a
// longer one keeps its start and gets a number that makes it unique in the table.
template <class Table> std::vector<std::string> FixedNames(const Table& table, int codePage)
{
    std::vector<std::string> names;
    std::vector<std::string> keys;
    const auto used = [&keys](const std::string& name) {
        const std::string key = RkDb::TableKey(name);
        for (const std::string& k : keys) {
            if (k == key)
                return true;
        }
        return false;
    };
    for (const auto& record : table) {
        const std::string full = EncodeText(codePage, record.name);
        std::string name = full;
        for (int n = 1; name.size() > kNameBytes - 1 || used(name); ++n) {
            const std::string suffix = "~" + std::to_string(n);
            name = full.substr(0, kNameBytes - 1 - suffix.size()) + suffix;
        }
        keys.push_back(RkDb::TableKey(name));
        names.push_back(std::move(name));
    }
    return names;
}

bool IsSpace(const std::string& name)
{
    const std::string key = RkDb::TableKey(name);
    return key.rfind("*MODEL_SPACE", 0) == 0 || key.rfind("*PAPER_SPACE", 0) == 0;
}

} // namespace

// One entity record: type, flags, size, layer and option bits, then what the flags announce and
// the type's own fields, closed by a CRC.
class DwgR12Writer::Record
{
public:
    Record(std::uint8_t type, std::int32_t layer) : m_type(type), m_layer(layer) {}

    void Common(const RkDb::Entity& e, std::int32_t lineType, bool flatMeansTwoD, bool twoD, double elevation)
    {
        if (!e.color.IsByLayer()) {
            m_mode |= kHasColor;
            m_color = static_cast<std::uint8_t>(e.color.IsByBlock() ? 0 : ColorIndex(e.color));
        }
        if (e.lineType != RkDb::kRefByLayer) {
            m_mode |= kHasLineType;
            m_lineType = e.lineType == RkDb::kRefByBlock ? kLineTypeByBlock : static_cast<std::uint16_t>(lineType);
        }
        if (flatMeansTwoD ? twoD : elevation != 0.0) {
            m_mode |= kFlat;
            m_elevation = flatMeansTwoD ? 0.0 : elevation;
            m_hasElevation = !flatMeansTwoD;
        }
        if (e.thickness != 0.0) {
            m_mode |= kHasThickness;
            m_thickness = e.thickness;
        }
    }
    void Followers() { m_mode |= kHasFollowers; }
    void Option(std::uint16_t bit) { m_opts |= bit; }

    void RC(std::uint8_t v) { m_fields.push_back(static_cast<char>(v)); }
    void RS(std::uint16_t v) { Add16(m_fields, v); }
    void RL(std::uint32_t v) { Add32(m_fields, v); }
    void RD(double v) { AddDouble(m_fields, v); }
    void Point2(const Vec3& p) { RD(p.x); RD(p.y); }
    void Point3(const Vec3& p) { RD(p.x); RD(p.y); RD(p.z); }
    void String(const std::string& bytes)
    {
        const std::size_t n = bytes.size() < 0x7000 ? bytes.size() : 0x7000;
        RS(static_cast<std::uint16_t>(n));
        m_fields.append(bytes, 0, n);
    }

    void AppendTo(std::string& out) const
    {
        std::string r;
        r.push_back(static_cast<char>(m_type));
        r.push_back(static_cast<char>(m_mode));
        Add16(r, 0); // size, set below
        Add16(r, static_cast<std::uint16_t>(m_layer));
        Add16(r, m_opts);
        if (m_mode & kHasColor)
            r.push_back(static_cast<char>(m_color));
        if (m_mode & kHasLineType)
            Add16(r, m_lineType);
        if (m_hasElevation)
            AddDouble(r, m_elevation);
        if (m_mode & kHasThickness)
            AddDouble(r, m_thickness);
        r += m_fields;
        Put16(r, 2, static_cast<std::uint16_t>(r.size() + 2));
        Add16(r, Crc(r, 0, r.size()));
        out += r;
    }

private:
    std::uint8_t m_type;
    std::uint8_t m_mode = 0;
    std::int32_t m_layer;
    std::uint16_t m_opts = 0;
    std::uint8_t m_color = 0;
    std::uint16_t m_lineType = 0;
    bool m_hasElevation = false;
    double m_elevation = 0.0, m_thickness = 0.0;
    std::string m_fields;
};

DwgR12Writer::DwgR12Writer(const RkDb::Database& db, std::size_t limit) : DwgR12Writer(db, limit, true) {}

DwgR12Writer::DwgR12Writer(const RkDb::Database& db, std::size_t limit, bool hatchBlocks)
    : m_db(db), m_limit(limit), m_explodeHatches(hatchBlocks), m_codePage(WrittenCodePage(db.Header().codePage)),
      m_codePageIndex(DwgCodePageIndex(db.Header().codePage))
{
}

std::string DwgR12Writer::Encode(const std::string& utf8) const { return EncodeText(m_codePage, utf8); }

std::int32_t DwgR12Writer::LayerOf(const RkDb::Entity& e) const
{
    return m_db.Layers().Valid(e.layer) ? m_layers[static_cast<std::size_t>(e.layer)] : m_layerZero;
}

std::int32_t DwgR12Writer::LineTypeOf(const RkDb::Entity& e) const
{
    const bool listed = m_db.LineTypes().Valid(e.lineType) && m_lineTypes[static_cast<std::size_t>(e.lineType)] >= 0;
    return listed ? m_lineTypes[static_cast<std::size_t>(e.lineType)] : m_continuous;
}

void DwgR12Writer::MapTables()
{
    m_layerNames = FixedNames(m_db.Layers(), m_codePage);
    m_lineTypeNames = FixedNames(m_db.LineTypes(), m_codePage);
    m_styleNames = FixedNames(m_db.TextStyles(), m_codePage);
    m_blockNames = FixedNames(m_db.Blocks(), m_codePage);
    std::int32_t next = 0;
    for (const RkDb::Layer& layer : m_db.Layers()) {
        if (RkDb::TableKey(layer.name) == "0")
            m_layerZero = next;
        m_layers.push_back(next++);
    }
    m_addLayerZero = m_db.Layers().Find("0") < 0;
    if (m_addLayerZero)
        m_layerZero = next;
    next = 0;
    for (const RkDb::LineType& lineType : m_db.LineTypes()) {
        const std::string key = RkDb::TableKey(lineType.name);
        const bool special = key == "BYBLOCK" || key == "BYLAYER";
        if (key == "CONTINUOUS")
            m_continuous = next;
        m_lineTypes.push_back(special ? -1 : next++);
    }
    m_addContinuous = m_db.LineTypes().Find("Continuous") < 0;
    if (m_addContinuous)
        m_continuous = next;
    next = 0;
    for (std::int32_t i = 0; i < m_db.TextStyles().Count(); ++i)
        m_styles.push_back(next++);
    m_addStandard = m_db.TextStyles().Find("Standard") < 0;
    next = 0;
    for (std::int32_t i = 0; i < m_db.Blocks().Count(); ++i) {
        const bool space = IsSpace(m_db.Blocks()[i].name);
        m_blocks.push_back(space ? -1 : next++);
        if (!space)
            m_writtenBlocks.push_back(i);
    }
    if (!m_explodeHatches)
        return;
    // The hatch blocks take up to half the room the file's 24-bit addresses leave, and the table
    // indices the inserts name them by in 16 bits.
    const std::size_t room = std::min<std::size_t>(m_limit, 0x00FFFFFFu) / 2;
    HatchBlockSet::Limits limits;
    limits.mostParts = room / kPartBytes;
    limits.mostBlocks = kMaxRecords - 1 - m_writtenBlocks.size();
    m_hatchBlocks.Make(m_db, [this](std::int32_t b) { return m_blocks[static_cast<std::size_t>(b)] >= 0 || b == m_db.ModelSpace(); },
                       limits);
}

std::vector<RkDb::EntityPtr> DwgR12Writer::Expand(const RkDb::Entity& e, bool& self, WriteReport&) const
{
    using namespace RkDb;
    std::vector<EntityPtr> made;
    self = false;
    switch (e.type) {
    case EntityType::Line: case EntityType::Point: case EntityType::Circle: case EntityType::Arc:
    case EntityType::Polyline: case EntityType::Text: case EntityType::AttributeDefinition:
    case EntityType::Dimension: case EntityType::Solid: case EntityType::Trace: case EntityType::Face3d:
    case EntityType::Shape:
        self = true;
        break;
    case EntityType::Insert: {
        // An insert of a space or of no block has nothing to show.
        const std::int32_t block = static_cast<const RkDb::Insert&>(e).block;
        self = m_db.Blocks().Valid(block) && m_blocks[static_cast<std::size_t>(block)] >= 0;
        break;
    }
    case EntityType::LwPolyline: made.push_back(DownConverter::FromLwPolyline(static_cast<const LwPolyline&>(e))); break;
    case EntityType::Ellipse: made.push_back(DownConverter::FromEllipse(static_cast<const Ellipse&>(e))); break;
    case EntityType::Spline:
    case EntityType::Helix: {
        const SplineData& s = e.type == EntityType::Spline ? static_cast<const SplineData&>(static_cast<const Spline&>(e))
                                                           : static_cast<const SplineData&>(static_cast<const Helix&>(e));
        if (auto p = DownConverter::FromSpline(e, s))
            made.push_back(std::move(p));
        break;
    }
    case EntityType::MText:
        for (auto& t : DownConverter::FromMText(static_cast<const MText&>(e)))
            made.push_back(std::move(t));
        break;
    case EntityType::Leader: made.push_back(DownConverter::Through(e, static_cast<const Leader&>(e).vertices, false)); break;
    case EntityType::MLeader:
        for (const auto& line : static_cast<const MLeader&>(e).leaderLines)
            made.push_back(DownConverter::Through(e, line, false));
        break;
    case EntityType::MLine:
        for (auto& p : DownConverter::FromMLine(static_cast<const MLine&>(e)))
            made.push_back(std::move(p));
        break;
    case EntityType::Hatch:
        for (auto& p : DownConverter::FromHatch(static_cast<const Hatch&>(e)))
            made.push_back(std::move(p));
        break;
    case EntityType::Mesh:
        if (auto p = DownConverter::FromMesh(static_cast<const Mesh&>(e)))
            made.push_back(std::move(p));
        break;
    default: break; // rays, construction lines, tolerances, pictures, solids, viewports: no R12 record
    }
    return made;
}

void DwgR12Writer::Entities(const std::vector<RkDb::EntityPtr>& entities, std::string& out, WriteReport& report)
{
    for (const RkDb::EntityPtr& e : entities) {
        if (Over(out))
            return;
        TypeCounts emitted{};
        const std::int32_t hatchBlock = m_hatchBlocks.IndexOf(*e);
        if (hatchBlock >= 0) {
            RkDb::Insert insert;
            DownConverter::CopyCommon(*e, insert);
            InsertRecord(insert, static_cast<std::uint16_t>(m_writtenBlocks.size() + static_cast<std::size_t>(hatchBlock)), out);
            ++emitted[static_cast<std::size_t>(EntityType::Insert)];
            for (const RkDb::EntityPtr& part : m_hatchBlocks.Blocks()[static_cast<std::size_t>(hatchBlock)].parts)
                ++emitted[static_cast<std::size_t>(part->type)];
            Account(report, e->type, emitted);
            continue;
        }
        bool self = false;
        const std::vector<RkDb::EntityPtr> made = Expand(*e, self, report);
        if (self) {
            Entity(*e, out);
            ++emitted[static_cast<std::size_t>(e->type)];
        }
        for (const RkDb::EntityPtr& m : made) {
            Entity(*m, out);
            ++emitted[static_cast<std::size_t>(m->type)];
        }
        Account(report, e->type, emitted);
    }
}

void DwgR12Writer::Entity(const RkDb::Entity& e, std::string& out)
{
    using namespace RkDb;
    const std::int32_t layer = LayerOf(e);
    const std::int32_t lineType = LineTypeOf(e);
    const auto extrusion = [&](Record& r, const Vec3& x) {
        if (!IsDefaultExtrusion(x)) {
            r.Option(1);
        }
        return !IsDefaultExtrusion(x);
    };
    switch (e.type) {
    case EntityType::Line: case EntityType::Point: case EntityType::Face3d: {
        const Vec3* points = nullptr;
        std::size_t count = 0;
        if (const auto* l = As<Line>(e)) { points = &l->start; count = 2; }
        const Vec3 lineEnd = e.type == EntityType::Line ? static_cast<const Line&>(e).end : Vec3{};
        if (const auto* p = As<RkDb::Point>(e)) { points = &p->position; count = 1; }
        if (const auto* f = As<Face3d>(e)) { points = f->corners; count = 4; }
        bool twoD = true;
        for (std::size_t i = 0; i < count; ++i)
            twoD = twoD && points[i].z == 0.0;
        twoD = twoD && (e.type != EntityType::Line || lineEnd.z == 0.0);
        const std::uint8_t type = e.type == EntityType::Line ? dwg::kR12Line : e.type == EntityType::Point ? dwg::kR12Point : dwg::kR12Face3d;
        Record r(type, layer);
        r.Common(e, lineType, true, twoD, 0.0);
        const auto put = [&](const Vec3& p) { twoD ? r.Point2(p) : r.Point3(p); };
        if (e.type == EntityType::Line) {
            put(static_cast<const Line&>(e).start);
            put(lineEnd);
            if (extrusion(r, e.extrusion))
                r.Point3(e.extrusion);
        } else if (e.type == EntityType::Point) {
            put(static_cast<const RkDb::Point&>(e).position);
        } else {
            const auto& f = static_cast<const Face3d&>(e);
            for (const Vec3& c : f.corners)
                put(c);
            if (f.hiddenEdges != 0) {
                r.Option(1);
                r.RS(f.hiddenEdges);
            }
        }
        r.AppendTo(out);
        return;
    }
    case EntityType::Circle: case EntityType::Arc: {
        const bool arc = e.type == EntityType::Arc;
        const Vec3 center = arc ? static_cast<const Arc&>(e).center : static_cast<const Circle&>(e).center;
        Record r(arc ? dwg::kR12Arc : dwg::kR12Circle, layer);
        r.Common(e, lineType, false, false, center.z);
        r.Point2(center);
        r.RD(arc ? static_cast<const Arc&>(e).radius : static_cast<const Circle&>(e).radius);
        if (arc) {
            r.RD(static_cast<const Arc&>(e).startAngle);
            r.RD(static_cast<const Arc&>(e).endAngle);
        }
        if (extrusion(r, e.extrusion))
            r.Point3(e.extrusion);
        r.AppendTo(out);
        return;
    }
    case EntityType::Solid: case EntityType::Trace: {
        const Vec3* corners = e.type == EntityType::Solid ? static_cast<const Solid&>(e).corners
                                                          : static_cast<const Trace&>(e).corners;
        Record r(e.type == EntityType::Solid ? dwg::kR12Solid : dwg::kR12Trace, layer);
        r.Common(e, lineType, false, false, corners[0].z);
        for (int i = 0; i < 4; ++i)
            r.Point2(corners[i]);
        if (e.type == EntityType::Solid && extrusion(r, e.extrusion))
            r.Point3(e.extrusion);
        r.AppendTo(out);
        return;
    }
    case EntityType::Text: {
        const auto& t = static_cast<const RkDb::Text&>(e);
        Text(e, dwg::kR12Text, t.text, "", "", 0, out);
        return;
    }
    case EntityType::AttributeDefinition: {
        const auto& a = static_cast<const AttributeDefinition&>(e);
        Text(e, dwg::kR12AttDef, a.text, a.tag, a.prompt, a.flags, out);
        return;
    }
    case EntityType::Attribute: {
        const auto& a = static_cast<const Attribute&>(e);
        Text(e, dwg::kR12Attrib, a.text, a.tag, "", a.flags, out);
        return;
    }
    case EntityType::Shape: {
        const auto& s = static_cast<const Shape&>(e);
        Record r(dwg::kR12Shape, layer);
        r.Common(e, lineType, false, false, s.insertion.z);
        r.Point2(s.insertion);
        r.RD(s.size);
        r.RC(static_cast<std::uint8_t>(s.shapeNumber));
        r.Option(1);
        r.RD(s.rotation);
        if (m_db.TextStyles().Valid(s.style)) {
            r.Option(2);
            r.RC(static_cast<std::uint8_t>(m_styles[static_cast<std::size_t>(s.style)]));
        }
        r.AppendTo(out);
        return;
    }
    case EntityType::Dimension: {
        const auto& d = static_cast<const Dimension&>(e);
        Record r(dwg::kR12Dimension, layer);
        r.Common(e, lineType, false, false, d.textMidpoint.z);
        const std::int32_t block = m_db.Blocks().Valid(d.block) ? m_blocks[static_cast<std::size_t>(d.block)] : -1;
        r.RS(static_cast<std::uint16_t>(block));
        r.Point3(d.definitionPoint);
        r.Point2(d.textMidpoint);
        r.Option(0x02);
        r.RC(d.dimType & 7);
        if (!d.text.empty()) {
            r.Option(0x04);
            r.String(Encode(d.text));
        }
        // The definition points its type has: linear, aligned and ordinate the two extension
        // line origins, radius and diameter the chord point, angular all four (the last flat),
        // angular of three points three.
        const int kind = d.dimType & 7;
        const bool first = kind == 0 || kind == 1 || kind == 2 || kind == 5 || kind == 6;
        const bool third = kind >= 2 && kind <= 5;
        if (first) {
            r.Option(0x08 | 0x10);
            r.Point3(d.points[0]);
            r.Point3(d.points[1]);
        }
        if (third) {
            r.Option(0x20);
            r.Point3(d.points[2]);
        }
        if (kind == 2) {
            r.Option(0x40);
            r.Point2(d.points[3]);
        }
        r.AppendTo(out);
        return;
    }
    case EntityType::Polyline: Polyline(static_cast<const RkDb::Polyline&>(e), out); return;
    case EntityType::Insert: Insert(static_cast<const RkDb::Insert&>(e), out); return;
    default: return;
    }
}

void DwgR12Writer::Text(const RkDb::Entity& e, std::uint8_t type, const RkDb::TextData& t, const std::string& tag,
                        const std::string& prompt, std::uint8_t flags, std::string& out)
{
    const std::int32_t layer = LayerOf(e);
    const std::int32_t lineType = LineTypeOf(e);
    Record r(type, layer);
    r.Common(e, lineType, false, false, t.insertion.z);
    r.Point2(t.insertion);
    r.RD(t.height);
    r.String(Encode(t.value));
    // TEXT numbers its options from bit 0; ATTDEF and ATTRIB from bit 1, after their own fields.
    unsigned shift = 0;
    if (type == orvo::dwg::kR12AttDef)
        r.String(Encode(prompt));
    if (type != orvo::dwg::kR12Text) {
        r.String(UpperTag(Encode(tag)));
        r.RC(flags);
        shift = 1;
    }
    const auto option = [&r, shift](std::uint16_t bit) { r.Option(static_cast<std::uint16_t>(bit << shift)); };
    if (t.rotation != 0.0) { option(0x01); r.RD(t.rotation); }
    if (t.widthFactor != 1.0) { option(0x02); r.RD(t.widthFactor); }
    if (t.oblique != 0.0) { option(0x04); r.RD(t.oblique); }
    if (m_db.TextStyles().Valid(t.style)) { option(0x08); r.RC(static_cast<std::uint8_t>(m_styles[static_cast<std::size_t>(t.style)])); }
    if (t.generation != 0) { option(0x10); r.RC(t.generation); }
    if (t.hAlign != 0) { option(0x20); r.RC(t.hAlign); }
    if (t.hAlign != 0 || t.vAlign != 0) { option(0x40); r.Point2(t.alignment); }
    if (type != orvo::dwg::kR12Text && !IsDefaultExtrusion(e.extrusion)) {
        option(0x80);
        r.Point3(e.extrusion);
    }
    if (t.vAlign != 0) {
        r.Option(type == orvo::dwg::kR12Text ? 0x100 : 0x200);
        r.RC(t.vAlign);
    }
    r.AppendTo(out);
}

void DwgR12Writer::Polyline(const RkDb::Polyline& p, std::string& out)
{
    using Kind = RkDb::Polyline::Kind;
    const std::int32_t layer = LayerOf(p);
    const std::int32_t lineType = LineTypeOf(p);
    const std::size_t begin = out.size();
    Record r(orvo::dwg::kR12Polyline, layer);
    r.Common(p, lineType, false, false, p.kind == Kind::Flat2d ? p.elevation : 0.0);
    if (!p.vertices.empty())
        r.Followers();
    std::uint8_t flags = (p.closed ? 1 : 0) | (p.closedN ? 32 : 0) | (p.plinegen ? 128 : 0);
    flags |= p.kind == Kind::Poly3d ? 8 : p.kind == Kind::Mesh ? 16 : p.kind == Kind::PolyFace ? 64 : 0;
    r.Option(0x01);
    r.RC(flags);
    if (p.defaultStartWidth != 0.0) { r.Option(0x02); r.RD(p.defaultStartWidth); }
    if (p.defaultEndWidth != 0.0) { r.Option(0x04); r.RD(p.defaultEndWidth); }
    if (!IsDefaultExtrusion(p.extrusion)) { r.Option(0x08); r.Point3(p.extrusion); }
    if (p.kind == Kind::Mesh || p.kind == Kind::PolyFace) {
        r.Option(0x10 | 0x20);
        r.RS(static_cast<std::uint16_t>(p.meshM));
        r.RS(static_cast<std::uint16_t>(p.meshN));
    }
    if (p.smoothType != 0) { r.Option(0x100); r.RS(p.smoothType); }
    r.AppendTo(out);
    if (p.vertices.empty())
        return;
    for (const RkDb::PolyVertex& v : p.vertices) {
        // A face record has no position (its option 0x4000 says so).
        const bool face = p.kind == Kind::PolyFace && (v.flags & 64) == 0;
        Record vr(orvo::dwg::kR12Vertex, layer);
        vr.Common(p, lineType, false, false, face ? 0.0 : v.position.z);
        if (face)
            vr.Option(0x4000);
        else
            vr.Point2(v.position);
        if (v.startWidth != 0.0) { vr.Option(0x01); vr.RD(v.startWidth); }
        if (v.endWidth != 0.0) { vr.Option(0x02); vr.RD(v.endWidth); }
        if (v.bulge != 0.0) { vr.Option(0x04); vr.RD(v.bulge); }
        vr.Option(0x08);
        vr.RC(static_cast<std::uint8_t>(v.flags));
        if (face) {
            vr.Option(0x20 | 0x40 | 0x80 | 0x100);
            for (const std::int32_t index : v.faceIndex)
                vr.RS(static_cast<std::uint16_t>(static_cast<std::int16_t>(index)));
        }
        vr.AppendTo(out);
    }
    SeqEnd(layer, begin, out);
}

void DwgR12Writer::Insert(const RkDb::Insert& i, std::string& out)
{
    InsertRecord(i, static_cast<std::uint16_t>(m_blocks[static_cast<std::size_t>(i.block)]), out);
}

void DwgR12Writer::InsertRecord(const RkDb::Insert& i, std::uint16_t block, std::string& out)
{
    const std::int32_t layer = LayerOf(i);
    const std::int32_t lineType = LineTypeOf(i);
    const std::size_t begin = out.size();
    Record r(orvo::dwg::kR12Insert, layer);
    r.Common(i, lineType, false, false, i.insertion.z);
    if (!i.attributes.empty())
        r.Followers();
    r.RS(block);
    r.Point2(i.insertion);
    if (i.scale.x != 1.0) { r.Option(0x01); r.RD(i.scale.x); }
    if (i.scale.y != 1.0) { r.Option(0x02); r.RD(i.scale.y); }
    if (i.rotation != 0.0) { r.Option(0x04); r.RD(i.rotation); }
    if (i.scale.z != 1.0) { r.Option(0x08); r.RD(i.scale.z); }
    if (i.columns > 1) { r.Option(0x10); r.RS(static_cast<std::uint16_t>(i.columns)); }
    if (i.rows > 1) { r.Option(0x20); r.RS(static_cast<std::uint16_t>(i.rows)); }
    if (i.columnSpacing != 0.0) { r.Option(0x40); r.RD(i.columnSpacing); }
    if (i.rowSpacing != 0.0) { r.Option(0x80); r.RD(i.rowSpacing); }
    if (!IsDefaultExtrusion(i.extrusion)) { r.Option(0x100); r.Point3(i.extrusion); }
    r.AppendTo(out);
    if (i.attributes.empty())
        return;
    for (const auto& attribute : i.attributes)
        Entity(*attribute, out);
    SeqEnd(layer, begin, out);
}

void DwgR12Writer::BlockRecords(const Vec3& base, const std::vector<RkDb::EntityPtr>& entities, std::string& out,
                                WriteReport* report)
{
    RkDb::Entity marker(EntityType::Line);
    Record begin(dwg::kR12Block, m_layerZero);
    begin.Common(marker, m_continuous, false, false, base.z);
    begin.Point2(base);
    begin.AppendTo(out);
    if (report) {
        Entities(entities, out, *report);
    } else {
        for (const RkDb::EntityPtr& e : entities)
            Entity(*e, out);
    }
    Record(dwg::kR12EndBlock, m_layerZero).AppendTo(out);
}

void DwgR12Writer::SeqEnd(std::int32_t layer, std::size_t begin, std::string& out)
{
    // It names the file offset of the record its followers follow.
    Record r(orvo::dwg::kR12SeqEnd, layer);
    r.RL(static_cast<std::uint32_t>(begin));
    r.AppendTo(out);
}

std::string DwgR12Writer::Tables(std::uint32_t at, std::vector<Table>& tables) const
{
    std::string out;
    tables.assign(10, Table{});
    // Every record starts with its flags, its name and (R11) its use count.
    // Names come in the code page already, cut to their field.
    const auto start = [&out](std::uint8_t flags, const std::string& name) {
        out.push_back(static_cast<char>(flags));
        AddFixed(out, name, kNameBytes);
        Add16(out, 0);
    };
    // A table between its sentinels, each record closed by its CRC.
    const auto table = [&](int kind, std::uint16_t recordSize, const auto& write) {
        Table& t = tables[static_cast<std::size_t>(kind)];
        AddSentinel(out, kTableSentinels[kind], false);
        const std::size_t before = out.size();
        write();
        const std::string records = out.substr(before);
        out.resize(before);
        for (std::size_t r = 0; r + recordSize <= records.size(); r += recordSize) {
            out.append(records, r, recordSize);
            Add16(out, Crc(out, out.size() - recordSize, recordSize));
        }
        t.begin = at + static_cast<std::uint32_t>(before);
        t.itemSize = static_cast<std::uint16_t>(recordSize + 2);
        t.count = static_cast<std::uint16_t>(records.size() / recordSize);
        AddSentinel(out, kTableSentinels[kind], true);
    };
    // A block's record ends with its BLOCK entity (none named) and two flag bytes.
    const auto blockEnd = [&out] {
        Add16(out, 0xFFFF);
        Add16(out, 0xFFFF);
    };
    table(0, 43, [&] {
        for (std::size_t b = 0; b < m_writtenBlocks.size(); ++b) {
            const RkDb::Block& block = m_db.Blocks()[m_writtenBlocks[b]];
            start(static_cast<std::uint8_t>(block.flags & 0x7F), m_blockNames[static_cast<std::size_t>(m_writtenBlocks[b])]);
            Add32(out, m_blockOffsets[b] | kInBlockSection);
            blockEnd();
        }
        // Named in whole (where R12 itself keeps only the letter and readers number it by its
        // place in the table): readers that convert the file keep the blocks apart.
        for (std::size_t h = 0; h < m_hatchBlocks.Blocks().size(); ++h) {
            start(kAnonymousBlock | kReferencedBlock, m_hatchBlocks.Blocks()[h].name);
            Add32(out, m_blockOffsets[m_writtenBlocks.size() + h] | kInBlockSection);
            blockEnd();
        }
    });
    const auto layer = [&](const RkDb::Layer& l, const std::string& name) {
        start(l.frozen ? 1 : 0, name);
        std::int16_t color = ColorIndex(l.color);
        if (color <= 0 || color > 255)
            color = 7;
        Add16(out, static_cast<std::uint16_t>(l.off ? -color : color));
        const bool listed = m_db.LineTypes().Valid(l.lineType) && m_lineTypes[static_cast<std::size_t>(l.lineType)] >= 0;
        Add16(out, static_cast<std::uint16_t>(listed ? m_lineTypes[static_cast<std::size_t>(l.lineType)] : m_continuous));
    };
    table(1, 39, [&] {
        for (std::int32_t i = 0; i < m_db.Layers().Count(); ++i)
            layer(m_db.Layers()[i], m_layerNames[static_cast<std::size_t>(i)]);
        if (m_addLayerZero)
            layer(RkDb::Layer(), "0");
    });
    const auto style = [&](const RkDb::TextStyle& s, const std::string& name) {
        start(s.isShapeFile ? 1 : 0, name);
        AddDouble(out, s.fixedHeight);
        AddDouble(out, s.widthFactor);
        AddDouble(out, s.oblique);
        out.push_back(static_cast<char>(s.generation));
        AddDouble(out, s.fixedHeight > 0.0 ? s.fixedHeight : 0.2);
        AddFixed(out, Encode(s.fontFile), 64);
        AddFixed(out, Encode(s.bigFontFile), 64);
    };
    table(2, 196, [&] {
        for (std::int32_t i = 0; i < m_db.TextStyles().Count(); ++i)
            style(m_db.TextStyles()[i], m_styleNames[static_cast<std::size_t>(i)]);
        if (m_addStandard) {
            RkDb::TextStyle standard;
            standard.fontFile = "txt";
            style(standard, "STANDARD");
        }
    });
    const auto lineType = [&](const RkDb::LineType& l, const std::string& name) {
        start(0, name);
        AddFixed(out, Encode(l.description), 48);
        out.push_back('A');
        const std::size_t dashes = l.elements.size() < 12 ? l.elements.size() : 12;
        out.push_back(static_cast<char>(dashes));
        AddDouble(out, l.patternLength);
        for (std::size_t d = 0; d < 12; ++d)
            AddDouble(out, d < dashes ? l.elements[d].length : 0.0);
    };
    table(3, 189, [&] {
        for (std::int32_t i = 0; i < m_db.LineTypes().Count(); ++i) {
            if (m_lineTypes[static_cast<std::size_t>(i)] >= 0)
                lineType(m_db.LineTypes()[i], m_lineTypeNames[static_cast<std::size_t>(i)]);
        }
        if (m_addContinuous) {
            RkDb::LineType continuous;
            continuous.description = "Solid line";
            lineType(continuous, "CONTINUOUS");
        }
    });
    table(4, kViewRecord, [] {});
    table(5, kUcsRecord, [] {});
    table(6, kVportRecord, [&] {
        const std::vector<std::string> names = FixedNames(m_db.ViewportRecords(), m_codePage);
        for (std::int32_t i = 0; i < m_db.ViewportRecords().Count(); ++i) {
            const RkDb::ViewportRecord& v = m_db.ViewportRecords()[i];
            start(0, names[static_cast<std::size_t>(i)]);
            for (const double corner : {0.0, 0.0, 1.0, 1.0})
                AddDouble(out, corner);
            for (const double value : {v.target.x, v.target.y, v.target.z, v.direction.x, v.direction.y,
                                       v.direction.z, v.twist, v.height, v.center.x, v.center.y, v.aspect})
                AddDouble(out, value);
            out.append(kVportRecord - 155, '\0');
        }
    });
    table(7, 35, [&] { start(0, "ACAD"); });
    table(8, kDimStyleRecord, [&] {
        const std::vector<std::string> names = FixedNames(m_db.DimStyles(), m_codePage);
        for (std::int32_t i = 0; i < m_db.DimStyles().Count(); ++i) {
            const RkDb::DimStyle& d = m_db.DimStyles()[i];
            start(0, names[static_cast<std::size_t>(i)]);
            AddDouble(out, d.scale);
            AddDouble(out, d.arrowSize);
            out.append(kDimStyleRecord - 51, '\0');
        }
    });
    table(9, kVxRecord, [] {});
    return out;
}

void DwgR12Writer::Header(std::string& file, const Sections& sections, const std::vector<Table>& tables) const
{
    std::memcpy(&file[0], "AC1009", 6);
    // As R11 and R12 write them: three entity sections, five tables before the variables, the
    // count of the variables.
    file[0x0C] = 1;
    Put16(file, 0x0D, 3);
    Put16(file, 0x0F, 5);
    Put16(file, 0x11, 205);
    Put32(file, kSectionsAt, sections.entitiesBegin);
    Put32(file, kSectionsAt + 4, sections.entitiesEnd);
    Put32(file, kSectionsAt + 8, sections.blocksBegin);
    Put32(file, kSectionsAt + 12, (sections.blocksEnd - sections.blocksBegin) | kInBlockSection);
    Put32(file, kSectionsAt + 16, sections.extrasBegin);
    Put32(file, kSectionsAt + 20, 0x80000000u);
    const auto table = [&file](std::size_t at, const Table& t) {
        Put16(file, at, t.itemSize);
        Put16(file, at + 2, t.count);
        Put16(file, at + 4, 0);
        Put32(file, at + 6, t.begin);
    };
    for (std::size_t i = 0; i < 5; ++i)
        table(kFirstTablesAt + 10 * i, tables[i]);
    table(0x3EF, tables[5]);
    table(0x500, tables[6]);
    table(0x512, tables[7]);
    table(0x522, tables[8]);
    table(0x69F, tables[9]);
    const RkDb::DrawingHeader& h = m_db.Header();
    const auto point = [&file](std::size_t at, double x, double y) {
        PutDouble(file, at, x);
        PutDouble(file, at + 8, y);
    };
    point(0x5E, h.insBase.x, h.insBase.y);
    PutDouble(file, 0x6E, h.insBase.z);
    point(0x78, h.extMin.x, h.extMin.y);
    PutDouble(file, 0x88, h.extMin.z);
    point(0x90, h.extMax.x, h.extMax.y);
    PutDouble(file, 0xA0, h.extMax.z);
    point(0xA8, h.limMin.x, h.limMin.y);
    point(0xB8, h.limMax.x, h.limMax.y);
    Put16(file, 0x12C, h.fillMode ? 1 : 0);
    PutDouble(file, 0x132, h.ltScale);
    PutDouble(file, 0x13A, h.textSize);
    const std::int32_t current = m_db.Layers().Find(h.currentLayer);
    Put16(file, 0x14A, static_cast<std::uint16_t>(current >= 0 ? m_layers[static_cast<std::size_t>(current)] : m_layerZero));
    Put16(file, 0x164, static_cast<std::uint16_t>(h.lunits));
    Put16(file, 0x166, static_cast<std::uint16_t>(h.luprec));
    Put16(file, 0x192, static_cast<std::uint16_t>(h.attMode));
    PutDouble(file, 0x1A3, h.dimScale);
    PutDouble(file, 0x1AB, h.dimArrowSize);
    PutDouble(file, 0x1DB, h.dimTextHeight);
    Put16(file, kCodePageAt, m_codePageIndex);
    Put16(file, kHeaderSize, Crc(file, 0, kHeaderSize));
}

bool DwgR12Writer::Write(std::string& file, WriteReport& report)
{
    if (WriteOnce(file, report) || report.status != SaveStatus::TooLarge || m_hatchBlocks.Empty())
        return report.status == SaveStatus::Ok;
    // What the hatches' parts add can be what passes the limit: then they keep their outlines.
    report = WriteReport{};
    return DwgR12Writer(m_db, m_limit, false).WriteOnce(file, report);
}

bool DwgR12Writer::WriteOnce(std::string& file, WriteReport& report)
{
    if (m_db.Layers().Count() >= static_cast<std::int32_t>(kMaxRecords) ||
        m_db.LineTypes().Count() >= static_cast<std::int32_t>(kMaxRecords) ||
        m_db.TextStyles().Count() >= 0xFF || m_db.Blocks().Count() >= static_cast<std::int32_t>(kMaxRecords)) {
        report.status = SaveStatus::TooLarge;
        report.message = "too many table records for a DWG R12 file";
        return false;
    }
    MapTables();
    // The header closed by its CRC; each section between its sentinels.
    file.assign(kHeaderSize + 2, '\0');
    Sections sections;
    AddSentinel(file, kEntitiesSentinel, false);
    sections.entitiesBegin = static_cast<std::uint32_t>(file.size());
    for (std::int32_t b = 0; b < m_db.Blocks().Count(); ++b) {
        const RkDb::Block& block = m_db.Blocks()[b];
        if (b == m_db.ModelSpace()) {
            Entities(block.entities, file, report);
        } else if (IsSpace(block.name)) {
            // R12 keeps paper space in the entities section, which its reader takes as model
            // space: like DXF R12, paper space is not written.
            for (const RkDb::EntityPtr& e : block.entities)
                Account(report, e->type, TypeCounts{});
        }
    }
    sections.entitiesEnd = static_cast<std::uint32_t>(file.size());
    AddSentinel(file, kEntitiesSentinel, true);
    // The tables come next, their size known before the block addresses they hold.
    std::vector<Table> tables;
    const std::uint32_t tablesAt = static_cast<std::uint32_t>(file.size());
    m_blockOffsets.assign(m_writtenBlocks.size() + m_hatchBlocks.Blocks().size(), 0);
    file.append(Tables(tablesAt, tables).size(), '\0');
    m_blockOffsets.clear();
    AddSentinel(file, kBlocksSentinel, false);
    sections.blocksBegin = static_cast<std::uint32_t>(file.size());
    for (const std::int32_t b : m_writtenBlocks) {
        if (Over(file))
            break;
        m_blockOffsets.push_back(static_cast<std::uint32_t>(file.size() - sections.blocksBegin));
        const RkDb::Block& block = m_db.Blocks()[b];
        BlockRecords(block.basePoint, block.entities, file, &report);
    }
    // A hatch's parts are counted with it.
    for (const HatchBlockSet::Block& hatch : m_hatchBlocks.Blocks()) {
        if (Over(file))
            break;
        m_blockOffsets.push_back(static_cast<std::uint32_t>(file.size() - sections.blocksBegin));
        BlockRecords(Vec3{}, hatch.parts, file, nullptr);
    }
    sections.blocksEnd = static_cast<std::uint32_t>(file.size());
    AddSentinel(file, kBlocksSentinel, true);
    // The extra entities: none.
    AddSentinel(file, kExtrasSentinel, false);
    sections.extrasBegin = static_cast<std::uint32_t>(file.size());
    AddSentinel(file, kExtrasSentinel, true);
    // Addresses are 24 bits in the section pointers and jumps. A block section cut short has no
    // address for every block.
    const auto tooLarge = [&file, &report] {
        file.clear();
        report.status = SaveStatus::TooLarge;
        report.message = "the drawing would make a file past the size limit";
        return false;
    };
    if (Over(file) || m_blockOffsets.size() != m_writtenBlocks.size() + m_hatchBlocks.Blocks().size())
        return tooLarge();
    const std::string written = Tables(tablesAt, tables);
    file.replace(tablesAt, written.size(), written);
    if (Over(file) || file.size() > 0x00FFFFFFu)
        return tooLarge();
    Header(file, sections, tables);
    AuxHeader(file, sections, tables);
    return true;
}

void DwgR12Writer::AuxHeader(std::string& file, const Sections& sections, const std::vector<Table>& tables) const
{
    // The file closes with a copy of the section and table addresses between sentinels.
    static constexpr Sentinel kAuxSentinel = {0x29, 0x8D, 0xD1, 0x49, 0xA9, 0x73, 0x1F, 0xEA,
                                              0x99, 0xDE, 0x32, 0xF9, 0x4D, 0x0A, 0xE0, 0x19};
    static constexpr std::uint16_t kTableNumbers[10] = {1, 2, 3, 5, 6, 7, 8, 9, 10, 11};
    const std::uint32_t at = static_cast<std::uint32_t>(file.size());
    AddSentinel(file, kAuxSentinel, false);
    const std::size_t begin = file.size();
    Add16(file, 16);
    Add16(file, 138);
    for (const std::uint32_t address : {sections.entitiesBegin, sections.entitiesEnd, sections.blocksBegin, sections.extrasBegin})
        Add32(file, address);
    file.append(10, '\0'); // no handles
    Add16(file, 10);
    for (std::size_t t = 0; t < tables.size(); ++t) {
        Add16(file, kTableNumbers[t]);
        Add16(file, tables[t].itemSize);
        Add16(file, tables[t].count);
        Add32(file, tables[t].begin);
    }
    Add32(file, at);
    Add16(file, Crc(file, begin, file.size() - begin));
    AddSentinel(file, kAuxSentinel, true);
}

} // namespace RkWrite
