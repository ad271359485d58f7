// The header variables of a drawing that the views, the renderer and the summary need, and the
// drawing's summary information.
#pragma once

#include "engine/db/DwgVersion.h"
#include "engine/db/Geometry.h"

#include <string>
#include <utility>
#include <vector>

namespace RkDb {

struct DrawingHeader
{
    DwgVersion version = DwgVersion::Unknown;
    std::string acadVer;                 // as stored, e.g. "AC1015"
    std::string codePage = "ANSI_1252";  // $DWGCODEPAGE
    Vec3 extMin{1e20, 1e20, 1e20};       // $EXTMIN/$EXTMAX of model space; min > max = unset
    Vec3 extMax{-1e20, -1e20, -1e20};
    Vec2 limMin, limMax{12.0, 9.0};
    Vec3 insBase;
    double ltScale = 1.0;                // $LTSCALE
    double celtScale = 1.0;
    bool psLtScale = true;               // $PSLTSCALE
    std::int32_t pdMode = 0;             // $PDMODE
    double pdSize = 0.0;                 // $PDSIZE
    std::int32_t lunits = 2;             // $LUNITS: 1 scientific .. 5 fractional
    std::int32_t luprec = 4;
    std::int32_t aunits = 0;
    std::int32_t auprec = 0;
    std::int32_t insUnits = 0;
    std::int32_t measurement = 0;        // 0 imperial, 1 metric
    double textSize = 0.2;
    std::string currentLayer = "0";      // $CLAYER
    std::string textStyle = "Standard";  // $TEXTSTYLE
    std::string currentLineType = "ByLayer"; // $CELTYPE
    std::string dimStyle = "Standard";   // $DIMSTYLE
    std::string mlineStyle = "Standard"; // $CMLSTYLE
    double dimScale = 1.0;               // $DIMSCALE
    double dimArrowSize = 0.18;          // $DIMASZ
    double dimTextHeight = 0.18;         // $DIMTXT
    bool tileMode = true;                // $TILEMODE: model space is the current layout
    std::int32_t attMode = 1;            // 0 none, 1 normal, 2 all visible
    bool fillMode = true;
    bool lwDisplay = false;
    double tdCreate = 0.0;               // Julian dates
    double tdUpdate = 0.0;
    double tdInDwg = 0.0;                // $TDINDWG: total editing time in days
    std::string lastSavedBy;
};

// Summary information (DWG summary stream, or what a DXF's header offers).
struct SummaryInfo
{
    std::string title, subject, author, keywords, comments, lastSavedBy, revision, hyperlinkBase;
    double totalEditingDays = 0.0;
    std::vector<std::pair<std::string, std::string>> custom;   // name, value
    bool Empty() const
    {
        return title.empty() && subject.empty() && author.empty() && keywords.empty() &&
               comments.empty() && lastSavedBy.empty() && revision.empty() &&
               hyperlinkBase.empty() && custom.empty();
    }
};

} // namespace RkDb
