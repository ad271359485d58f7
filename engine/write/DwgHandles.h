// The handles a DWG file gives the drawing's table records and the objects the writer adds, by
// table index: what an entity's layer, line type, text style, dimension style or block index
// becomes in the handle stream.
#pragma once

#include "engine/db/Database.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace RkWrite {

struct DwgHandles
{
    // Table controls, in the order of the header's list of them.
    enum Control { kBlock, kLayer, kStyle, kLineType, kView, kUcs, kVport, kAppId, kDimStyle, kVpEntity,
                   kControlCount };
    std::uint64_t controls[kControlCount] = {};
    std::vector<std::uint64_t> layers, lineTypes, styles, dimStyles, vports, blocks;
    std::vector<std::uint64_t> blockBegin, blockEnd;
    std::uint64_t byLayer = 0, byBlock = 0, continuous = 0;    // line types
    std::uint64_t layerZero = 0, standardStyle = 0, standardDimStyle = 0, acadAppId = 0;
    std::uint64_t groupDict = 0, mlineDict = 0, namedDict = 0;
    std::uint64_t transparencyAppId = 0;                        // 2004 and later, when a layer has one
    std::int32_t modelSpace = -1, paperSpace = -1;             // block indices
    std::map<std::string, std::uint64_t> imageDefs;             // by picture file
    std::uint64_t imageDict = 0;
    std::uint64_t layoutDict = 0;                               // 2000 and later
    std::vector<std::uint64_t> layouts;                         // by layout index
    std::vector<std::uint64_t> blockLayouts;                    // by block index: its layout, or 0
    // By block index: the extension dictionary and the draw order table (SORTENTSTABLE) in it,
    // or 0 for a block saved without one.
    std::vector<std::uint64_t> blockDictionaries, blockSortTables;

    std::uint64_t Layer(std::int32_t index) const { return Pick(layers, index, layerZero); }
    std::uint64_t Style(std::int32_t index) const { return Pick(styles, index, standardStyle); }
    std::uint64_t DimStyle(std::int32_t index) const { return Pick(dimStyles, index, standardDimStyle); }
    std::uint64_t Block(std::int32_t index) const { return Pick(blocks, index, 0); }
    std::uint64_t LineType(std::int32_t index) const
    {
        if (index == RkDb::kRefByBlock)
            return byBlock;
        if (index == RkDb::kRefByLayer)
            return byLayer;
        return Pick(lineTypes, index, continuous);
    }

private:
    static std::uint64_t Pick(const std::vector<std::uint64_t>& list, std::int32_t index, std::uint64_t fallback)
    {
        return index >= 0 && static_cast<std::size_t>(index) < list.size() && list[index] != 0 ? list[index]
                                                                                                : fallback;
    }
};

} // namespace RkWrite
