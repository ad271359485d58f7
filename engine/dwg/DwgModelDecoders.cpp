// Decoders of the entities drawn from what they store alone: 3DSOLID, REGION and BODY (SAT text
// up to 2000, binary SAB in 2004-2010; from 2013 the data lives outside the entity and is not
// read), TOLERANCE, SHAPE, MESH and the PDF/DWF/DGN underlays.
#include "engine/dwg/DwgDecoderSupport.h"

#include "engine/acis/SatReader.h"
#include "engine/db/ModelEntities.h"

#include <algorithm>

namespace orvo::dwg {

namespace {

constexpr uint16_t kTypeRegion = 37, kTypeSolid3d = 38, kTypeBody = 39, kTypeTolerance = 46;
// Edges read from one body; far above what a drawing's solids hold.
constexpr std::size_t kMaxEdges = 1u << 20;
constexpr std::size_t kTextPerEdge = 64;
// Bits a list element takes at least: a BD or BL code, a 3BD point, an RD pair.
constexpr uint64_t kCodeBits = 2, kPointBits = 6, kRawPairBits = 128;

bool Fits(const DwgBitReader& data, uint64_t count, uint64_t bitsEach)
{
    return count <= data.BitsLeft() / bitsEach;
}

// The SAT text of version 1 data: blocks of enciphered bytes until a block of size 0.
bool ReadSatBlocks(DwgBitReader& data, std::string& sat)
{
    for (int blocks = 0; blocks < 0x100000; ++blocks) {
        const uint32_t size = data.BL();
        if (data.Failed())
            return false;
        if (size == 0)
            return true;
        if (!Fits(data, size, 8) || !data.Claim(size, 1))
            return false;
        const std::size_t at = sat.size();
        sat.resize(at + size);
        data.ReadBytes(reinterpret_cast<uint8_t*>(&sat[at]), size);
    }
    return false;
}

// Version 1 (R13-2000): enciphered SAT text.
void ReadSat(DwgBitReader& data, std::string& text)
{
    std::string stored;
    if (ReadSatBlocks(data, stored))
        text = RkAcis::SatReader::Decipher(stored);
}

// Version 2 (2004-2010): binary SAB up to its end marker, which the conversion finds; the rest of
// the entity's data is not needed, so it takes what is left.
void ReadSab(DwgBitReader& data, std::string& text)
{
    const uint64_t size = data.BitsLeft() / 8;
    // The text form takes a few times the room of the binary.
    const uint64_t maxText = 8 * size;
    if (!data.Claim(size + maxText, 1))
        return;
    std::string sab(static_cast<std::size_t>(size), '\0');
    data.ReadBytes(reinterpret_cast<uint8_t*>(sab.data()), sab.size());
    if (!RkAcis::SatReader::SabToSat(sab, text, static_cast<std::size_t>(maxText)))
        text.clear();
}

RkDb::EntityPtr DecodeAcisSolid(uint16_t type, DwgObjectRecord& record, DwgEntityCommon& common)
{
    auto solid = std::make_unique<RkDb::AcisSolid>();
    solid->kind = type == kTypeRegion ? RkDb::AcisSolid::Kind::Region
                  : type == kTypeBody ? RkDb::AcisSolid::Kind::Body : RkDb::AcisSolid::Kind::Solid3d;
    DwgBitReader& data = record.Data();
    const bool empty = data.B() != 0;
    if (!empty) {
        data.B();  // unknown
        const uint16_t version = data.BS();
        std::string text;
        if (version == 1)
            ReadSat(data, text);
        else if (version == 2)
            ReadSab(data, text);
        // An edge takes hundreds of characters of text with its coedges, curve and points;
        // claiming room for one per kTextPerEdge before reading bounds a forged text.
        const std::size_t maxEdges = std::min<std::size_t>(kMaxEdges, text.size() / kTextPerEdge + 1);
        if (!text.empty() && (!data.Claim(maxEdges, sizeof(RkDb::AcisEdge)) ||
                              !RkAcis::SatReader::ReadEdges(text, solid->edges, maxEdges)))
            solid->edges.clear();
        else if (!text.empty() && data.Claim(text.size(), 1))
            solid->sat = std::move(text); // kept for a save, charged as it stays
    }
    // The wireframe and history data that follow are not needed; the handles have their own
    // stream.
    record.ReadEntityHandles(common);
    return solid;
}

RkDb::EntityPtr DecodeTolerance(DwgObjectRecord& record, DwgEntityCommon& common, DwgEntityRefs& refs)
{
    auto tolerance = std::make_unique<RkDb::Tolerance>();
    DwgBitReader& data = record.Data();
    if (!data.AtLeast(DwgVersion::R2000)) {
        data.BS(); // unknown
        tolerance->textHeight = data.BD();
        data.BD(); // DIMGAP
    }
    tolerance->insertion = ToVec3(data.BD3());
    tolerance->xDirection = ToVec3(data.BD3());
    tolerance->extrusion = ToVec3(data.BD3());
    tolerance->text = record.Text().TV();
    record.ReadEntityHandles(common);
    refs.dimStyle = record.Ref();
    return record.Failed() ? nullptr : std::move(tolerance);
}

RkDb::EntityPtr DecodeShape(DwgObjectRecord& record, DwgEntityCommon& common, DwgEntityRefs& refs)
{
    auto shape = std::make_unique<RkDb::Shape>();
    DwgBitReader& data = record.Data();
    shape->insertion = ToVec3(data.BD3());
    shape->size = data.BD();
    shape->rotation = data.BD();
    shape->widthFactor = data.BD();
    shape->oblique = data.BD();
    shape->thickness = data.BD();
    shape->shapeNumber = data.BS();
    shape->extrusion = ToVec3(data.BD3());
    record.ReadEntityHandles(common);
    refs.style = record.Ref();
    return record.Failed() ? nullptr : std::move(shape);
}

bool ReadMeshFaces(DwgBitReader& data, RkDb::Mesh& mesh)
{
    const uint32_t items = data.BL();
    // Each item may start a face of its own: room for the list and its index.
    if (data.Failed() || !Fits(data, items, kCodeBits) ||
        !data.Claim(items, sizeof(int32_t) + sizeof(std::vector<int32_t>)))
        return false;
    for (uint32_t i = 0; i < items && !data.Failed();) {
        const uint32_t count = data.BL();
        ++i;
        if (count > items - i)
            return false;
        std::vector<int32_t>& face = mesh.faces.emplace_back();
        face.reserve(count);
        for (uint32_t k = 0; k < count; ++k, ++i)
            face.push_back(static_cast<int32_t>(data.BL()));
    }
    return !data.Failed();
}

RkDb::EntityPtr DecodeMesh(DwgObjectRecord& record, DwgEntityCommon& common)
{
    auto mesh = std::make_unique<RkDb::Mesh>();
    DwgBitReader& data = record.Data();
    data.BS(); // version
    data.B();  // blend crease
    data.BL(); // subdivision level
    const uint32_t vertices = data.BL();
    if (data.Failed() || !Fits(data, vertices, kPointBits) || !data.Claim(vertices, sizeof(RkDb::Vec3)))
        return nullptr;
    mesh->vertices.reserve(vertices);
    for (uint32_t i = 0; i < vertices && !data.Failed(); ++i)
        mesh->vertices.push_back(ToVec3(data.BD3()));
    if (!ReadMeshFaces(data, *mesh))
        return nullptr;
    // Edges and creases follow; the faces give every edge a wireframe needs.
    record.ReadEntityHandles(common);
    return record.Failed() ? nullptr : std::move(mesh);
}

RkDb::EntityPtr DecodeUnderlay(RkDb::Underlay::Kind kind, DwgObjectRecord& record, DwgEntityCommon& common)
{
    auto underlay = std::make_unique<RkDb::Underlay>();
    underlay->kind = kind;
    DwgBitReader& data = record.Data();
    underlay->extrusion = ToVec3(data.BD3());
    underlay->insertion = ToVec3(data.BD3());
    underlay->scale = ToVec3(data.BD3());
    underlay->rotation = data.BD();
    data.RC(); // flags
    data.RC(); // contrast
    data.RC(); // fade
    const uint32_t points = data.BL();
    if (data.Failed() || !Fits(data, points, kRawPairBits) || !data.Claim(points, sizeof(RkDb::Vec2)))
        return nullptr;
    underlay->clipBoundary.reserve(points);
    for (uint32_t i = 0; i < points && !data.Failed(); ++i) {
        const DwgPoint3 p = data.RD2();
        underlay->clipBoundary.push_back({p.x, p.y});
    }
    record.ReadEntityHandles(common);
    underlay->definition = record.Ref();
    return record.Failed() ? nullptr : std::move(underlay);
}

} // namespace

RkDb::EntityPtr DecodeModelEntity(uint16_t type, const std::string& className, DwgObjectRecord& record,
                                  DwgEntityCommon& common, DwgEntityRefs& refs)
{
    if (type == kTypeRegion || type == kTypeSolid3d || type == kTypeBody)
        return DecodeAcisSolid(type, record, common);
    if (type == kTypeTolerance)
        return DecodeTolerance(record, common, refs);
    if (type == kTypeShape)
        return DecodeShape(record, common, refs);
    if (className == "MESH")
        return DecodeMesh(record, common);
    if (className == "PDFUNDERLAY")
        return DecodeUnderlay(RkDb::Underlay::Kind::Pdf, record, common);
    if (className == "DWFUNDERLAY")
        return DecodeUnderlay(RkDb::Underlay::Kind::Dwf, record, common);
    if (className == "DGNUNDERLAY")
        return DecodeUnderlay(RkDb::Underlay::Kind::Dgn, record, common);
    return nullptr;
}

} // namespace orvo::dwg
