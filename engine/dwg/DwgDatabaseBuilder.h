// Collects the decoded records and entities of a DWG file, then fills the drawing database:
// tables first, then each block's entities in their stored order, with handles resolved to
// table indices and vertices and attributes given to their polylines and inserts.
#pragma once

#include "engine/db/Database.h"
#include "engine/dwg/DwgDrawOrder.h"
#include "engine/dwg/DwgEntityDecoders.h"
#include "engine/dwg/DwgHeaderVariables.h"
#include "engine/dwg/DwgTableDecoders.h"

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orvo::dwg {

class DwgDatabaseBuilder
{
public:
    explicit DwgDatabaseBuilder(RkDb::Database& db) : m_db(db) {}
    DwgDatabaseBuilder(const DwgDatabaseBuilder&) = delete;
    DwgDatabaseBuilder& operator=(const DwgDatabaseBuilder&) = delete;

    void AddLayer(DwgLayerRecord layer) { m_layers.push_back(std::move(layer)); }
    void AddLineType(RkDb::LineType lineType) { m_lineTypes.push_back(std::move(lineType)); }
    void AddTextStyle(RkDb::TextStyle style) { m_db.TextStyles().Add(std::move(style)); }
    void AddDimStyle(RkDb::DimStyle style) { m_db.DimStyles().Add(std::move(style)); }
    void AddViewportRecord(RkDb::ViewportRecord record) { m_db.ViewportRecords().Add(std::move(record)); }
    void AddBlock(DwgBlockRecord block) { m_blocks.push_back(std::move(block)); }
    void AddLayout(RkDb::Layout layout) { m_layouts.push_back(std::move(layout)); }
    void SetBlockControl(DwgTableControl control) { m_blockControl = std::move(control); }
    void AddMLineStyle(RkDb::MLineStyle style) { m_db.MLineStyles().Add(std::move(style)); }
    // The current records the header variables name; resolved to names once the tables are in.
    void SetHeaderRefs(const DwgHeaderRefs& refs) { m_headerRefs = refs; }
    void AddImageDefinition(uint64_t handle, std::string fileName) { m_imageFiles[handle] = std::move(fileName); }
    void AddSortEntsTable(DwgSortEntsTable table) { m_sortEnts.push_back(std::move(table)); }
    // The application whose extended data holds a layer's transparency.
    void AddAppId(uint64_t handle, const std::string& name);
    // An entity, a vertex or a marker (SEQEND, BLOCK, ENDBLK: entity null) in the map's order.
    void AddEntity(uint64_t handle, RkDb::EntityPtr entity, const DwgEntityCommon& common, DwgEntityRefs refs);
    void AddVertex(uint64_t handle, const DwgEntityCommon& common, const DwgVertex& vertex);

    // Room for the map's objects, so that collecting them does not move them again and again.
    // Each object is an entity or a vertex: both lists get room for all (letting them grow cost
    // 6% of an R13 read; the room is committed memory the reader's budget does not count).
    void Reserve(size_t objects)
    {
        m_items.reserve(objects);
        m_details.reserve(objects);
        m_vertices.reserve(objects);
        m_itemByHandle.reserve(objects);
    }

    void Finish();

private:
    void NumberViewports();
    void AddDrawOrders();
    // What the placing passes look at, kept small: they walk chains of next links from item to
    // item across the whole drawing, and a few thousand items of several hundred bytes each no
    // longer stayed in the cache.
    struct Pending
    {
        uint64_t handle = 0;
        uint64_t owner = 0;
        uint64_t next = 0;
        RkDb::EntityPtr entity;
        uint32_t detail = 0;   // index into m_details, or into m_vertices for a vertex
        uint8_t entMode = 2;
        bool isVertex = false;
        bool placed = false;
    };
    // The rest of an entity's fields, read once when it is placed.
    struct Details
    {
        DwgEntityCommon common;
        DwgEntityRefs refs;
    };

    static std::string UniqueBlockName(const std::string& name, int starIndex, int& paperSpaces);
    void AddTables();
    void SortBlocks();
    void AddLayouts();
    void ResolveHeaderNames();
    std::vector<size_t> ChildOrder(uint64_t first, uint64_t last, const std::vector<uint64_t>& list) const;
    void ApplyCommon(Pending& item) const;
    void ResolveReferences(Pending& item) const;
    void AttachChildren(Pending& item);
    void PlaceInBlock(std::int32_t block, Pending& item);
    std::int32_t OwnerBlock(const Pending& item) const;
    std::int32_t ResolveLineType(const DwgEntityCommon& common) const;
    std::int32_t LineTypeRef(std::int32_t index) const;
    void IndexItems();
    // The item of that handle (the first added when two share it), or npos.
    size_t FindItem(uint64_t handle) const;
    static constexpr size_t npos = static_cast<size_t>(-1);

    RkDb::Database& m_db;
    std::vector<DwgLayerRecord> m_layers;
    std::vector<RkDb::LineType> m_lineTypes;
    std::vector<std::int32_t> m_lineTypeRefs; // LineTypeRef by line type index, once the tables are in
    std::int32_t m_continuous = -1;
    std::vector<DwgBlockRecord> m_blocks;
    DwgTableControl m_blockControl;
    std::vector<RkDb::Layout> m_layouts;
    std::vector<Pending> m_items;
    std::vector<Details> m_details;
    std::vector<RkDb::PolyVertex> m_vertices;
    // (handle, item) in the order added, sorted by handle when Finish starts: a map node for every
    // object cost more than the object's decoding under some allocators.
    std::vector<std::pair<uint64_t, size_t>> m_itemByHandle;
    // The same straight by handle when the handles are dense enough (else empty).
    static constexpr uint32_t kNoItem = UINT32_MAX;
    std::vector<uint32_t> m_itemAtHandle;
    std::unordered_map<uint64_t, std::string> m_imageFiles;
    std::vector<DwgSortEntsTable> m_sortEnts;
    uint64_t m_transparencyApp = 0;
    std::int32_t m_paperSpace = -1;
    DwgHeaderRefs m_headerRefs;
};

} // namespace orvo::dwg
