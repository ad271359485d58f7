#include "engine/dwg/DwgDatabaseBuilder.h"

#include "engine/db/SymbolTable.h"
#include "engine/db/ViewportEntity.h"

#include <algorithm>

namespace orvo::dwg {

namespace {

template <class T> T* Take(RkDb::EntityPtr& entity)
{
    if (!entity || entity->type != T::kType)
        return nullptr;
    return static_cast<T*>(entity.get());
}

} // namespace

void DwgDatabaseBuilder::AddEntity(uint64_t handle, RkDb::EntityPtr entity, const DwgEntityCommon& common,
                                   DwgEntityRefs refs)
{
    Pending item;
    item.handle = handle;
    item.owner = common.owner;
    item.next = common.next;
    item.entity = std::move(entity);
    item.detail = static_cast<uint32_t>(m_details.size());
    item.entMode = common.entMode;
    m_details.push_back(Details{common, std::move(refs)});
    m_itemByHandle.emplace_back(handle, m_items.size());
    m_items.push_back(std::move(item));
}

void DwgDatabaseBuilder::AddVertex(uint64_t handle, const DwgEntityCommon& common, const DwgVertex& vertex)
{
    Pending item;
    item.handle = handle;
    item.owner = common.owner;
    item.next = common.next;
    item.detail = static_cast<uint32_t>(m_vertices.size());
    item.entMode = common.entMode;
    item.isVertex = true;
    m_vertices.push_back(vertex.vertex);
    m_itemByHandle.emplace_back(handle, m_items.size());
    m_items.push_back(std::move(item));
}

void DwgDatabaseBuilder::IndexItems()
{
    const auto byHandle = [](const auto& a, const auto& b) { return a.first < b.first; };
    // Objects come in map order, which is handle order in nearly every file.
    if (!std::is_sorted(m_itemByHandle.begin(), m_itemByHandle.end(), byHandle))
        std::stable_sort(m_itemByHandle.begin(), m_itemByHandle.end(), byHandle);
    const auto end = std::unique(m_itemByHandle.begin(), m_itemByHandle.end(),
                                 [](const auto& a, const auto& b) { return a.first == b.first; });
    m_itemByHandle.erase(end, m_itemByHandle.end());
    // Handles are given out nearly one after another, so a table straight by handle is only a few
    // times the items: a look-up then costs one read instead of a search (R13 to 2000 walk a
    // chain of next links for every block and polyline).
    m_itemAtHandle.clear();
    if (m_itemByHandle.empty() || m_itemByHandle.back().first > 8 * m_itemByHandle.size() + 4096)
        return;
    m_itemAtHandle.assign(static_cast<size_t>(m_itemByHandle.back().first) + 1, kNoItem);
    for (const auto& [handle, item] : m_itemByHandle)
        m_itemAtHandle[static_cast<size_t>(handle)] = static_cast<uint32_t>(item);
}

size_t DwgDatabaseBuilder::FindItem(uint64_t handle) const
{
    if (!m_itemAtHandle.empty()) {
        const uint32_t item = handle < m_itemAtHandle.size() ? m_itemAtHandle[static_cast<size_t>(handle)] : kNoItem;
        return item == kNoItem ? npos : item;
    }
    const auto found = std::lower_bound(m_itemByHandle.begin(), m_itemByHandle.end(), handle,
                                        [](const auto& entry, uint64_t key) { return entry.first < key; });
    return found != m_itemByHandle.end() && found->first == handle ? found->second : npos;
}

void DwgDatabaseBuilder::Finish()
{
    IndexItems();
    AddTables();
    // Children first: vertices and attributes move into their owners before those are placed.
    for (Pending& item : m_items) {
        if (item.entity && m_details[item.detail].refs.ownsChildren)
            AttachChildren(item);
    }
    // Each block's entities in the block's own order, then whatever the order did not reach.
    for (const DwgBlockRecord& record : m_blocks) {
        const std::int32_t block = m_db.Blocks().FindHandle(record.block.handle);
        if (block < 0)
            continue;
        for (size_t index : ChildOrder(record.firstEntity, record.lastEntity, record.entities)) {
            if (OwnerBlock(m_items[index]) == block)
                PlaceInBlock(block, m_items[index]);
        }
    }
    for (Pending& item : m_items) {
        if (!item.placed && item.entity)
            PlaceInBlock(OwnerBlock(item), item);
    }
    NumberViewports();
    AddDrawOrders();
    AddLayouts();
    ResolveHeaderNames();
    m_db.FinishLoading();
}

void DwgDatabaseBuilder::AddAppId(uint64_t handle, const std::string& name)
{
    if (RkDb::TableKey(name) == "ACCMTRANSPARENCY")
        m_transparencyApp = handle;
}

void DwgDatabaseBuilder::AddDrawOrders()
{
    for (DwgSortEntsTable& table : m_sortEnts) {
        const std::int32_t block = m_db.Blocks().FindHandle(table.block);
        if (block >= 0)
            m_db.Blocks()[block].sortHandles = std::move(table.entries);
    }
}

void DwgDatabaseBuilder::NumberViewports()
{
    // A DWG does not store the viewport numbers the DXF export gives: each paper block's first
    // viewport is its paper view (1), the others follow in drawing order.
    for (std::int32_t b = 0; b < m_db.Blocks().Count(); ++b) {
        if (b == m_db.ModelSpace())
            continue;
        std::int32_t next = 1;
        for (RkDb::EntityPtr& e : m_db.Blocks()[b].entities) {
            if (e->type == RkDb::EntityType::Viewport)
                static_cast<RkDb::ViewportEntity&>(*e).id = next++;
        }
    }
}

void DwgDatabaseBuilder::ResolveHeaderNames()
{
    RkDb::DrawingHeader& header = m_db.Header();
    const auto name = [](const auto& table, uint64_t handle, std::string& out) {
        const std::int32_t index = table.FindHandle(handle);
        if (index >= 0)
            out = table[index].name;
    };
    name(m_db.Layers(), m_headerRefs.layer, header.currentLayer);
    name(m_db.TextStyles(), m_headerRefs.textStyle, header.textStyle);
    name(m_db.LineTypes(), m_headerRefs.lineType, header.currentLineType);
    name(m_db.DimStyles(), m_headerRefs.dimStyle, header.dimStyle);
    name(m_db.MLineStyles(), m_headerRefs.mlineStyle, header.mlineStyle);
}

// DWG stores anonymous block names without their number ("*D", "*U") and every paper space as
// "*Paper_Space"; CAD programs number them on reading: paper spaces after the first get 0, 1, ...
// and the other anonymous blocks their position among the blocks whose name starts with '*'.
std::string DwgDatabaseBuilder::UniqueBlockName(const std::string& name, int starIndex, int& paperSpaces)
{
    if (name.empty() || name[0] != '*')
        return name;
    if (RkDb::TableKey(name) == "*PAPER_SPACE")
        return paperSpaces++ == 0 ? name : name + std::to_string(paperSpaces - 2);
    if (name.size() == 2)
        return name + std::to_string(starIndex);
    return name;
}

// Table order: model space, paper space, then the control object's list; records the control
// does not list keep their map order after those.
void DwgDatabaseBuilder::SortBlocks()
{
    std::unordered_map<uint64_t, size_t> rank;
    size_t next = 0;
    rank.emplace(m_blockControl.modelSpace, next++);
    rank.emplace(m_blockControl.paperSpace, next++);
    for (uint64_t handle : m_blockControl.entries)
        rank.emplace(handle, next++);
    const auto rankOf = [&rank](const DwgBlockRecord& record) {
        const auto found = rank.find(record.block.handle);
        return found != rank.end() ? found->second : rank.size();
    };
    std::stable_sort(m_blocks.begin(), m_blocks.end(),
                     [&rankOf](const DwgBlockRecord& a, const DwgBlockRecord& b) { return rankOf(a) < rankOf(b); });
}

void DwgDatabaseBuilder::AddTables()
{
    SortBlocks();
    for (RkDb::LineType& lineType : m_lineTypes)
        m_db.LineTypes().Add(std::move(lineType));
    // Worked out once for every entity that names a line type.
    m_lineTypeRefs.clear();
    for (std::int32_t index = 0; index < m_db.LineTypes().Count(); ++index)
        m_lineTypeRefs.push_back(LineTypeRef(index));
    m_continuous = m_db.LineTypes().Find("Continuous");
    for (DwgLayerRecord& record : m_layers) {
        const std::int32_t lineType = m_db.LineTypes().FindHandle(record.lineType);
        record.layer.lineType = lineType >= 0 ? lineType : RkDb::kRefNone;
        for (const auto& [application, value] : record.extendedLongs) {
            if (application == m_transparencyApp && m_transparencyApp != 0)
                record.layer.transparency = RkDb::TransparencyFromStored(value);
        }
        m_db.Layers().Add(std::move(record.layer));
    }
    int starIndex = 0;
    int paperSpaces = 0;
    for (const DwgBlockRecord& record : m_blocks) {
        RkDb::Block block;
        block.name = UniqueBlockName(record.block.name, starIndex, paperSpaces);
        if (!record.block.name.empty() && record.block.name[0] == '*')
            ++starIndex;
        block.handle = record.block.handle;
        block.basePoint = record.block.basePoint;
        block.flags = record.block.flags;
        block.xrefPath = record.block.xrefPath;
        const std::int32_t index = m_db.Blocks().Add(std::move(block));
        if (RkDb::TableKey(m_db.Blocks()[index].name) == "*PAPER_SPACE")
            m_paperSpace = index;
    }
}

void DwgDatabaseBuilder::AddLayouts()
{
    for (RkDb::Layout& layout : m_layouts) {
        if (RkDb::TableKey(layout.name) == "MODEL" && !m_db.Layouts().empty()) {
            RkDb::Layout& model = m_db.Layouts().front();
            model.handle = layout.handle;
            model.blockHandle = layout.blockHandle;
            model.limMin = layout.limMin;
            model.limMax = layout.limMax;
            model.extMin = layout.extMin;
            model.extMax = layout.extMax;
            continue;
        }
        layout.block = m_db.Blocks().FindHandle(layout.blockHandle);
        m_db.Layouts().push_back(std::move(layout));
    }
}

std::vector<size_t> DwgDatabaseBuilder::ChildOrder(uint64_t first, uint64_t last,
                                                   const std::vector<uint64_t>& list) const
{
    std::vector<size_t> order;
    if (!list.empty()) {
        for (uint64_t handle : list) {
            const size_t found = FindItem(handle);
            if (found != npos)
                order.push_back(found);
        }
        return order;
    }
    // R13 to 2000: a chain of next links from the first child to the last; a broken or circular
    // chain ends after as many steps as there are items.
    uint64_t handle = first;
    for (size_t steps = 0; handle != 0 && steps <= m_items.size(); ++steps) {
        const size_t found = FindItem(handle);
        if (found == npos)
            break;
        order.push_back(found);
        if (handle == last)
            break;
        handle = m_items[found].next;
    }
    return order;
}

void DwgDatabaseBuilder::AttachChildren(Pending& item)
{
    const DwgEntityRefs& refs = m_details[item.detail].refs;
    const std::vector<size_t> children = ChildOrder(refs.firstChild, refs.lastChild, refs.children);
    if (auto* polyline = Take<RkDb::Polyline>(item.entity)) {
        polyline->vertices.reserve(polyline->vertices.size() + children.size());
        for (size_t index : children) {
            Pending& child = m_items[index];
            if (!child.isVertex || child.placed || child.owner != item.handle)
                continue;
            polyline->vertices.push_back(m_vertices[child.detail]);
            child.placed = true;
        }
        return;
    }
    if (auto* insert = Take<RkDb::Insert>(item.entity)) {
        for (size_t index : children) {
            Pending& child = m_items[index];
            if (child.placed || child.owner != item.handle || !Take<RkDb::Attribute>(child.entity))
                continue;
            ApplyCommon(child);
            ResolveReferences(child);
            insert->attributes.emplace_back(static_cast<RkDb::Attribute*>(child.entity.release()));
            child.placed = true;
        }
    }
}

std::int32_t DwgDatabaseBuilder::OwnerBlock(const Pending& item) const
{
    switch (item.entMode) {
    case 1: return m_paperSpace >= 0 ? m_paperSpace : m_db.Blocks().Find("*Paper_Space");
    case 2: return m_db.ModelSpace();
    default: return m_db.Blocks().FindHandle(item.owner);
    }
}

void DwgDatabaseBuilder::PlaceInBlock(std::int32_t block, Pending& item)
{
    if (item.placed || !item.entity || !m_db.Blocks().Valid(block))
        return;
    // Attributes and vertices belong to their inserts and polylines only.
    if (item.entity->type == RkDb::EntityType::Attribute)
        return;
    ApplyCommon(item);
    ResolveReferences(item);
    m_db.Blocks()[block].entities.push_back(std::move(item.entity));
    item.placed = true;
}

// BYLAYER and BYBLOCK are references, not records.
std::int32_t DwgDatabaseBuilder::LineTypeRef(std::int32_t index) const
{
    const std::string key = RkDb::TableKey(m_db.LineTypes()[index].name);
    if (key == "BYLAYER")
        return RkDb::kRefByLayer;
    if (key == "BYBLOCK")
        return RkDb::kRefByBlock;
    return index;
}

std::int32_t DwgDatabaseBuilder::ResolveLineType(const DwgEntityCommon& common) const
{
    if (common.lineType != 0) {
        const std::int32_t index = m_db.LineTypes().FindHandle(common.lineType);
        if (index < 0)
            return RkDb::kRefByLayer;
        return static_cast<size_t>(index) < m_lineTypeRefs.size() ? m_lineTypeRefs[static_cast<size_t>(index)]
                                                                    : LineTypeRef(index);
    }
    switch (common.lineTypeFlags) {
    case 1: return RkDb::kRefByBlock;
    case 2: return m_continuous;
    default: return RkDb::kRefByLayer;
    }
}

void DwgDatabaseBuilder::ApplyCommon(Pending& item) const
{
    RkDb::Entity& entity = *item.entity;
    const DwgEntityCommon& common = m_details[item.detail].common;
    entity.handle = item.handle;
    const std::int32_t layer = m_db.Layers().FindHandle(common.layer);
    entity.layer = layer >= 0 ? layer : 0;
    entity.lineType = ResolveLineType(common);
    entity.color = common.color.hasRgb ? RkDb::Color::FromRgb(common.color.rgb)
                                       : RkDb::Color::FromAci(common.color.index);
    entity.transparency = RkDb::TransparencyFromStored(common.color.transparency);
    entity.lineWeight = common.lineWeight;
    entity.lineTypeScale = common.lineTypeScale;
    entity.invisible = (common.invisibility & 1) != 0;
}

void DwgDatabaseBuilder::ResolveReferences(Pending& item) const
{
    const DwgEntityRefs& refs = m_details[item.detail].refs;
    const std::int32_t style = std::max(0, m_db.TextStyles().FindHandle(refs.style));
    if (auto* text = Take<RkDb::Text>(item.entity))
        text->text.style = style;
    else if (auto* attribute = Take<RkDb::Attribute>(item.entity))
        attribute->text.style = style;
    else if (auto* definition = Take<RkDb::AttributeDefinition>(item.entity))
        definition->text.style = style;
    else if (auto* mtext = Take<RkDb::MText>(item.entity))
        mtext->style = style;
    else if (auto* insert = Take<RkDb::Insert>(item.entity))
        insert->block = m_db.Blocks().FindHandle(refs.block);
    else if (auto* dimension = Take<RkDb::Dimension>(item.entity)) {
        dimension->block = m_db.Blocks().FindHandle(refs.block);
        dimension->dimStyle = m_db.DimStyles().FindHandle(refs.dimStyle);
    } else if (auto* leader = Take<RkDb::Leader>(item.entity)) {
        std::int32_t dimStyle = m_db.DimStyles().FindHandle(refs.dimStyle);
        if (dimStyle < 0)
            dimStyle = m_db.DimStyles().Find("Standard");
        if (dimStyle >= 0) {
            const RkDb::DimStyle& ds = m_db.DimStyles()[dimStyle];
            leader->arrowSize = ds.arrowSize * (ds.scale > 0.0 ? ds.scale : 1.0);
        }
    } else if (auto* mleader = Take<RkDb::MLeader>(item.entity)) {
        if (refs.block != 0)
            mleader->block = m_db.Blocks().FindHandle(refs.block);
        mleader->textStyle = style;
    } else if (auto* mline = Take<RkDb::MLine>(item.entity)) {
        const std::int32_t style = m_db.MLineStyles().FindHandle(refs.mlineStyle);
        if (style >= 0)
            mline->elements = m_db.MLineStyles()[style].elements;
    } else if (auto* image = Take<RkDb::Image>(item.entity)) {
        const auto found = m_imageFiles.find(refs.imageDef);
        if (found != m_imageFiles.end())
            image->fileName = found->second;
    } else if (auto* tolerance = Take<RkDb::Tolerance>(item.entity)) {
        tolerance->dimStyle = m_db.DimStyles().FindHandle(refs.dimStyle);
        if (tolerance->dimStyle < 0)
            tolerance->dimStyle = m_db.DimStyles().Find("Standard");
    } else if (auto* shape = Take<RkDb::Shape>(item.entity)) {
        shape->style = m_db.TextStyles().FindHandle(refs.style);
    }
}

} // namespace orvo::dwg
