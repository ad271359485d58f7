// The drawing database: header and summary, symbol tables, blocks (model space, paper spaces and
// block definitions, each with its entities) and layouts. Readers (DXF, DWG) fill it; the renderer
// reads it. Portable C++: no Windows header, so it also builds natively for the sanitizer and fuzz
// runs.
#pragma once

#include "engine/db/AreaEntities.h"
#include "engine/db/CurveEntities.h"
#include "engine/db/DrawingHeader.h"
#include "engine/db/ModelEntities.h"
#include "engine/db/SymbolTable.h"
#include "engine/db/TableRecords.h"
#include "engine/db/ViewportEntity.h"

#include <array>
#include <cstddef>

namespace RkDb {

constexpr std::size_t kEntityTypeCount = static_cast<std::size_t>(kLastEntityType) + 1;

class Database
{
public:
    // A new database has what every drawing has: layer "0", line type "Continuous", text style
    // "Standard", the "*Model_Space" block and the "Model" layout.
    Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    DrawingHeader& Header() { return m_header; }
    const DrawingHeader& Header() const { return m_header; }
    SummaryInfo& Summary() { return m_summary; }
    const SummaryInfo& Summary() const { return m_summary; }

    SymbolTable<Layer>& Layers() { return m_layers; }
    const SymbolTable<Layer>& Layers() const { return m_layers; }
    SymbolTable<LineType>& LineTypes() { return m_lineTypes; }
    const SymbolTable<LineType>& LineTypes() const { return m_lineTypes; }
    SymbolTable<TextStyle>& TextStyles() { return m_textStyles; }
    const SymbolTable<TextStyle>& TextStyles() const { return m_textStyles; }
    SymbolTable<DimStyle>& DimStyles() { return m_dimStyles; }
    const SymbolTable<DimStyle>& DimStyles() const { return m_dimStyles; }
    SymbolTable<MLineStyle>& MLineStyles() { return m_mlineStyles; }
    const SymbolTable<MLineStyle>& MLineStyles() const { return m_mlineStyles; }
    SymbolTable<ViewportRecord>& ViewportRecords() { return m_viewports; }
    const SymbolTable<ViewportRecord>& ViewportRecords() const { return m_viewports; }
    SymbolTable<Block>& Blocks() { return m_blocks; }
    const SymbolTable<Block>& Blocks() const { return m_blocks; }
    std::vector<Layout>& Layouts() { return m_layouts; }
    const std::vector<Layout>& Layouts() const { return m_layouts; }

    // Index of the layer of that name, made with default properties when missing (entities may
    // name layers the table lacks).
    std::int32_t EnsureLayer(const std::string& name);
    // Index of the block of that name, made empty when missing (an INSERT may precede its BLOCK).
    std::int32_t EnsureBlock(const std::string& name);

    std::int32_t ModelSpace() const { return m_modelSpace; }
    Block& ModelSpaceBlock() { return m_blocks[m_modelSpace]; }
    const Block& ModelSpaceBlock() const { return m_blocks[m_modelSpace]; }
    // The block of the first paper-space layout ("*Paper_Space"), made when missing.
    std::int32_t EnsurePaperSpace();

    // After a reader has finished: links layouts and their blocks, gives every paper-space block
    // without a layout one, and orders the layouts by tab order (Model first).
    void FinishLoading();

    // The layout the drawing was saved in, where it opens: model space unless $TILEMODE says
    // paper space, then the layout of the active paper block ("*Paper_Space"). A drawing whose
    // model space is empty while that paper layout holds entities opens on the paper layout.
    int CurrentLayout() const;

    // Entities of every block, by type (index = EntityType).
    std::array<std::size_t, kEntityTypeCount> CountByType() const;
    std::size_t EntityCount() const;

private:
    DrawingHeader m_header;
    SummaryInfo m_summary;
    SymbolTable<Layer> m_layers;
    SymbolTable<LineType> m_lineTypes;
    SymbolTable<TextStyle> m_textStyles;
    SymbolTable<DimStyle> m_dimStyles;
    SymbolTable<MLineStyle> m_mlineStyles;
    SymbolTable<ViewportRecord> m_viewports;
    SymbolTable<Block> m_blocks;
    std::vector<Layout> m_layouts;
    std::int32_t m_modelSpace = 0;
};

} // namespace RkDb
