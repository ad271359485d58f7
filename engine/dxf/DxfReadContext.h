// What the parts of the DXF reader share while one file is read: the database, the text decoder,
// name look-ups with a one-entry cache (consecutive entities mostly share a layer), and the
// references that can only be resolved once the whole file is read.
#pragma once

#include "engine/db/Database.h"
#include "engine/dxf/DxfTextDecoder.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace RkDxf {

class DxfReadContext
{
public:
    explicit DxfReadContext(RkDb::Database& db) : m_db(db) {}

    RkDb::Database& Db() { return m_db; }
    const DxfTextDecoder& Decoder() const { return m_decoder; }
    DxfTextDecoder& Decoder() { return m_decoder; }
    std::string Text(std::string_view raw) const { return m_decoder.Decode(raw); }

    std::int32_t Layer(std::string_view name);
    // "BYLAYER", "BYBLOCK", a table name, or kRefNone (continuous) when unknown.
    std::int32_t LineType(std::string_view name);
    std::int32_t TextStyle(std::string_view name);
    std::int32_t Block(std::string_view name);
    std::int32_t DimStyle(std::string_view name);

    // IMAGEDEF handle -> file name, resolved into the images once the whole file is read.
    std::unordered_map<RkDb::Handle, std::string> imageDefs;

private:
    RkDb::Database& m_db;
    DxfTextDecoder m_decoder;
    std::string m_lastLayerName;
    std::int32_t m_lastLayer = -1;
};

} // namespace RkDxf
