// Decoders of the table records and objects the drawing database holds: LAYER, LTYPE, STYLE,
// DIMSTYLE, VPORT, BLOCK_HEADER and LAYOUT, each with the handles the builder resolves.
#pragma once

#include "engine/db/TableRecords.h"
#include "engine/dwg/DwgObjectRecord.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace orvo::dwg {

struct DwgLayerRecord
{
    RkDb::Layer layer;
    uint64_t lineType = 0;
    // Longs of its extended data by application handle (the transparency's, among them).
    std::vector<std::pair<uint64_t, uint32_t>> extendedLongs;
};

struct DwgBlockRecord
{
    RkDb::Block block;
    uint64_t layout = 0;
    uint64_t blockEntity = 0;
    uint64_t firstEntity = 0, lastEntity = 0;   // R13 to 2000
    std::vector<uint64_t> entities;             // 2004 and later
};

// A table's control object: its records in table order (BLOCK_CONTROL adds model and paper
// space, which its list leaves out).
struct DwgTableControl
{
    std::vector<uint64_t> entries;
    uint64_t modelSpace = 0;
    uint64_t paperSpace = 0;
};

bool DecodeLayer(DwgObjectRecord& record, DwgLayerRecord& out);
bool DecodeLineType(DwgObjectRecord& record, RkDb::LineType& out);
bool DecodeTextStyle(DwgObjectRecord& record, RkDb::TextStyle& out);
bool DecodeDimStyle(DwgObjectRecord& record, RkDb::DimStyle& out);
bool DecodeViewportRecord(DwgObjectRecord& record, RkDb::ViewportRecord& out);
bool DecodeBlockHeader(DwgObjectRecord& record, DwgBlockRecord& out);
bool DecodeLayout(DwgObjectRecord& record, RkDb::Layout& out);
bool DecodeMLineStyle(DwgObjectRecord& record, RkDb::MLineStyle& out);
// IMAGEDEF: the picture file an IMAGE shows.
bool DecodeImageDefinition(DwgObjectRecord& record, std::string& fileName);
// APPID: the application's name.
bool DecodeAppId(DwgObjectRecord& record, std::string& name);
bool DecodeTableControl(DwgObjectRecord& record, bool isBlockControl, DwgTableControl& out);

} // namespace orvo::dwg
