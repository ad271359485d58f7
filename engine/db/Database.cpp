#include "engine/db/Database.h"

#include <algorithm>
#include <climits>
#include <unordered_map>

namespace RkDb {

std::string TableKey(const std::string& name)
{
    std::string key(name);
    for (char& c : key) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return key;
}

Database::Database()
{
    Layer zero;
    zero.name = "0";
    m_layers.Add(zero);
    LineType continuous;
    continuous.name = "Continuous";
    continuous.description = "Solid line";
    m_lineTypes.Add(continuous);
    TextStyle standard;
    standard.name = "Standard";
    standard.fontFile = "txt";
    m_textStyles.Add(standard);
    Block model;
    model.name = "*Model_Space";
    m_modelSpace = m_blocks.Add(std::move(model));
    Layout layout;
    layout.name = "Model";
    layout.block = m_modelSpace;
    m_layouts.push_back(layout);
    m_blocks[m_modelSpace].layout = 0;
}

std::int32_t Database::EnsureLayer(const std::string& name)
{
    const std::int32_t found = m_layers.Find(name);
    if (found >= 0)
        return found;
    Layer layer;
    layer.name = name;
    return m_layers.Add(std::move(layer));
}

std::int32_t Database::EnsureBlock(const std::string& name)
{
    const std::int32_t found = m_blocks.Find(name);
    if (found >= 0)
        return found;
    Block block;
    block.name = name;
    return m_blocks.Add(std::move(block));
}

std::int32_t Database::EnsurePaperSpace()
{
    return EnsureBlock("*Paper_Space");
}

namespace {

bool IsPaperSpaceName(const std::string& name)
{
    const std::string key = TableKey(name);
    return key.compare(0, 12, "*PAPER_SPACE") == 0;
}

} // namespace

namespace {

// The draw order of a block with a draw order table: each entity takes the place of its sort
// handle (its own handle when the table does not list it), in ascending order of those places;
// entities of one place keep their stored order.
void OrderForDrawing(Block& block)
{
    block.drawOrder.clear();
    if (block.sortHandles.empty() || block.entities.empty() ||
        block.entities.size() > static_cast<std::size_t>(INT32_MAX))
        return;
    std::unordered_map<Handle, Handle> place;
    place.reserve(block.sortHandles.size());
    for (const auto& [entity, sort] : block.sortHandles)
        place[entity] = sort;
    std::vector<std::pair<Handle, std::int32_t>> keys;
    keys.reserve(block.entities.size());
    for (std::size_t i = 0; i < block.entities.size(); ++i) {
        const Handle own = block.entities[i]->handle;
        const auto found = own != 0 ? place.find(own) : place.end();
        keys.emplace_back(found != place.end() ? found->second : own, static_cast<std::int32_t>(i));
    }
    // Entities without a handle (none in a well-formed file) stay where they are stored: they
    // take the place of the entity before them.
    for (std::size_t i = 1; i < keys.size(); ++i) {
        if (block.entities[i]->handle == 0)
            keys[i].first = keys[i - 1].first;
    }
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    bool moved = false;
    block.drawOrder.reserve(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        moved = moved || keys[i].second != static_cast<std::int32_t>(i);
        block.drawOrder.push_back(keys[i].second);
    }
    if (!moved)
        block.drawOrder.clear();
}

} // namespace

void Database::FinishLoading()
{
    for (Block& block : m_blocks)
        OrderForDrawing(block);
    // Line types come before text styles in a file: their texts and shapes find their style now.
    for (LineType& lineType : m_lineTypes) {
        for (LineTypeElement& element : lineType.elements) {
            if (element.styleHandle != 0)
                element.style = m_textStyles.FindHandle(element.styleHandle);
        }
    }
    // Link each layout to its block by handle (DWG, DXF 2000+) or keep the index a reader set.
    for (Layout& layout : m_layouts) {
        if (layout.IsModel()) {
            layout.block = m_modelSpace;
            continue;
        }
        if (layout.blockHandle != 0) {
            const std::int32_t b = m_blocks.FindHandle(layout.blockHandle);
            if (b >= 0)
                layout.block = b;
        }
    }
    // A paper space with entities but no layout (R12, or a file without OBJECTS) gets one.
    for (std::int32_t i = 0; i < m_blocks.Count(); ++i) {
        const Block& block = m_blocks[i];
        if (!IsPaperSpaceName(block.name))
            continue;
        const bool linked = std::any_of(m_layouts.begin(), m_layouts.end(),
                                        [i](const Layout& l) { return l.block == i; });
        if (linked || block.entities.empty())
            continue;
        Layout layout;
        layout.name = "Layout" + std::to_string(m_layouts.size());
        layout.block = i;
        layout.tabOrder = static_cast<std::int32_t>(m_layouts.size());
        m_layouts.push_back(layout);
    }
    std::stable_sort(m_layouts.begin(), m_layouts.end(), [](const Layout& a, const Layout& b) {
        if (a.IsModel() != b.IsModel())
            return a.IsModel();
        return a.tabOrder < b.tabOrder;
    });
    // Layouts whose block could not be found show nothing rather than something wrong.
    for (Block& block : m_blocks)
        block.layout = -1;
    for (std::size_t i = 0; i < m_layouts.size(); ++i) {
        if (m_blocks.Valid(m_layouts[i].block))
            m_blocks[m_layouts[i].block].layout = static_cast<std::int32_t>(i);
    }
}

int Database::CurrentLayout() const
{
    int active = -1;
    for (std::size_t i = 0; i < m_layouts.size(); ++i) {
        const std::int32_t block = m_layouts[i].block;
        const bool activePaper = m_blocks.Valid(block) && TableKey(m_blocks[block].name) == "*PAPER_SPACE";
        if (!m_layouts[i].IsModel() && activePaper) {
            active = static_cast<int>(i);
            break;
        }
    }
    if (active < 0 && m_layouts.size() > 1 && m_blocks.Valid(m_layouts[1].block))
        active = 1;     // no block of that name: the first paper layout
    if (active < 0)
        return 0;
    const bool modelEmpty = ModelSpaceBlock().entities.empty();
    const bool paperEmpty = m_blocks[m_layouts[static_cast<std::size_t>(active)].block].entities.empty();
    if (!m_header.tileMode || (modelEmpty && !paperEmpty))
        return active;
    return 0;
}

std::array<std::size_t, kEntityTypeCount> Database::CountByType() const
{
    std::array<std::size_t, kEntityTypeCount> counts{};
    for (const Block& block : m_blocks) {
        for (const EntityPtr& e : block.entities)
            ++counts[static_cast<std::size_t>(e->type)];
    }
    return counts;
}

std::size_t Database::EntityCount() const
{
    std::size_t n = 0;
    for (const Block& block : m_blocks)
        n += block.entities.size();
    return n;
}

} // namespace RkDb
