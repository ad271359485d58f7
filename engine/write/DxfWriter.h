// Writes a drawing database as an ASCII DXF file of R12, R14, 2000 or 2004 into memory: the
// header variables, the tables, the blocks, the entities and (R13 and later) the classes and the
// objects with the dictionaries and layouts. R13 and later get consistent handles and owners.
#pragma once

#include "engine/db/Database.h"
#include "engine/write/DrawOrderTable.h"
#include "engine/write/DxfEntityWriter.h"
#include "engine/write/DxfOutput.h"
#include "engine/write/DxfVersion.h"
#include "engine/write/HandleAllocator.h"
#include "engine/write/HatchBlockSet.h"
#include "engine/write/WriteReport.h"

#include <map>
#include <string>
#include <vector>

namespace RkWrite {

class DxfWriter
{
public:
    // limit: the largest file to make, in bytes.
    DxfWriter(const RkDb::Database& db, DxfVersion version, std::size_t limit);

    // The whole file; false (report.status TooLarge) when it would pass the limit.
    bool Write(std::string& file, WriteReport& report);

private:
    struct Handles;

    void AssignHandles();
    void Header();
    void Classes();
    void Class(const char* name, const char* cppName, const char* application, int flags, int proxy,
               int entity, std::size_t instances);
    void ImageObjects();
    void Tables();
    void MakeHatchBlocks();
    void Blocks(WriteReport& report);
    void Entities(WriteReport& report);
    void Objects();

    void Section(const char* name);
    void EndSection();
    void TableStart(const char* name, RkDb::Handle handle, std::size_t count,
                    const char* marker = nullptr);
    void TableEnd();
    // xdictionary: the record's extension dictionary, or 0.
    void RecordStart(const char* type, RkDb::Handle handle, RkDb::Handle owner, const char* marker,
                     int handleCode = 5, RkDb::Handle xdictionary = 0);
    // The handle of a table's record index (none in R12).
    RkDb::Handle RecordHandle(const std::vector<RkDb::Handle>& handles, std::int32_t index) const;
    void Var(const char* name) { m_out.Raw(9, name); }

    void LineTypes();
    void LineTypeElement(const RkDb::LineTypeElement& element);
    void Layers();
    void Styles();
    void DimStyles();
    void ViewportTable();
    void BlockRecords();
    // hardOwner: an extension dictionary, which owns its entries (and lists its owner as reactor).
    void Dictionary(RkDb::Handle handle, RkDb::Handle owner,
                    const std::vector<std::pair<std::string, RkDb::Handle>>& entries, bool hardOwner = false);
    // Writes e of block into the block's section and notes its records for the draw order.
    void WriteEntity(DxfEntityWriter& entities, std::int32_t block, std::size_t index, bool paper);
    // Each block's extension dictionary and draw order table.
    void DrawOrders();
    void LayoutObject(std::size_t index);

    // Blocks of the file: all but the spaces in R12, all but further paper spaces in R14.
    bool Writes(std::int32_t block) const;
    bool IsSpace(std::int32_t block) const;
    bool IsFurtherPaperSpace(std::int32_t block) const;
    std::string LayoutName(std::size_t index) const;

    const RkDb::Database& m_db;
    DxfVersion m_version;
    std::size_t m_limit;
    DxfOutput m_out;
    HandleAllocator m_handles;
    std::int32_t m_paperSpace = -1;     // the block of "*Paper_Space", or -1

    // Handles, R13 and later.
    RkDb::Handle m_tableHandles[9] = {};
    std::vector<RkDb::Handle> m_layerHandles, m_lineTypeHandles, m_styleHandles, m_dimStyleHandles;
    std::vector<RkDb::Handle> m_blockHandles, m_blockBegin, m_blockEnd, m_layoutHandles;
    RkDb::Handle m_byBlock = 0, m_byLayer = 0, m_standardDimStyle = 0, m_activeVport = 0;
    RkDb::Handle m_acadAppId = 0, m_rootDict = 0, m_groupDict = 0, m_layoutDict = 0;
    RkDb::Handle m_mlineDict = 0, m_mlineStandard = 0;
    RkDb::Handle m_transparencyAppId = 0;   // 2004, when a layer has a transparency
    std::map<std::string, DxfEntityWriter::ImageDef> m_imageDefs;
    HatchBlockSet m_hatchBlocks;
    RkDb::Handle m_imageDict = 0;
    RkDb::Handle m_paperRecord = 0, m_paperBegin = 0, m_paperEnd = 0, m_paperLayout = 0;
    // By block index, for the blocks saved with a draw order table: its extension dictionary's
    // and its table's handles and the records written.
    struct SortTable
    {
        RkDb::Handle dictionary = 0, table = 0;
        DrawOrderTable written;
    };
    std::map<std::int32_t, SortTable> m_sortTables;
};

} // namespace RkWrite
