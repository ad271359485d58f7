// Reads an ASCII or binary DXF file (R12 to 2018) held in memory into a drawing database: the
// header variables, the tables, the blocks, the entities and the objects a viewer needs (layouts,
// image definitions, multiline styles, the drawing properties).
#pragma once

#include "engine/db/Database.h"
#include "engine/dxf/DxfAcisData.h"
#include "engine/dxf/DxfEntityReader.h"
#include "engine/dxf/DxfTokenizer.h"

#include <functional>
#include <string>
#include <vector>

namespace RkDxf {

class DxfReader
{
public:
    enum class Status { Ok, NotDxf, Corrupt, Aborted };

    explicit DxfReader(RkDb::Database& db);

    // Polled every few thousand groups: returning true abandons the read (Status::Aborted).
    void SetAbortQuery(std::function<bool()> query) { m_abort = std::move(query); }
    // Called with 0..100 as the read advances.
    void SetProgress(std::function<void(double)> progress) { m_progress = std::move(progress); }

    // Reads the whole buffer. On failure the database may hold part of the drawing; callers
    // discard it.
    Status Read(const char* data, std::size_t size);
    const std::string& Error() const { return m_error; }

private:
    bool NextGroup(DxfGroup& g);
    bool ReadSection();
    void ReadHeader();
    void ReadHeaderVariable(std::string_view name);
    // Texts follow the code page the header names (UTF-8 from 2007 on).
    void ApplyCodePage();
    void ReadTables();
    void ReadTable(std::string_view table);
    void ReadTableRecord(std::string_view table, const std::vector<DxfGroup>& groups);
    void ReadBlocks();
    void ReadEntities(std::int32_t block, bool entitiesSection);
    void ReadObjects();
    void ReadObject(std::string_view type, const std::vector<DxfGroup>& groups);
    void ReadSortEntsTable(const std::vector<DxfGroup>& groups);
    static void ReadPlotSetting(const DxfGroup& g, RkDb::Layout& layout);
    void ReadLineTypeElement(const DxfGroup& g, RkDb::LineTypeElement& element) const;
    void SkipSection();
    void ReadAcisData();
    // Groups up to (not including) the next 0 group.
    bool Collect(std::vector<DxfGroup>& groups);
    void ResolvePending();
    void ResolveMLineStyle(RkDb::MLine& mline) const;
    void PlaceEntity(DxfEntityReader::Result built, std::int32_t block, bool entitiesSection);

    RkDb::Database& m_db;
    DxfReadContext m_ctx;
    DxfEntityReader m_entities;
    DxfAcisData m_acisData;
    DxfTokenizer* m_tok = nullptr;
    std::function<bool()> m_abort;
    std::function<void(double)> m_progress;
    std::string m_error;
    bool m_aborted = false;
    bool m_tooLarge = false;
    std::size_t m_groupCount = 0;
    std::vector<DxfGroup> m_groups;
    std::vector<DxfGroup> m_valueGroups;
    // The POLYLINE or INSERT whose VERTEX or ATTRIB records are being read.
    RkDb::Polyline* m_openPolyline = nullptr;
    RkDb::Insert* m_openInsert = nullptr;
};

} // namespace RkDxf
