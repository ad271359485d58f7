// The DXF releases the writer produces, and what each can hold.
#pragma once

namespace RkWrite {

enum class DxfVersion { R12, R14, R2000, R2004 };

inline const char* AcadVersionString(DxfVersion v)
{
    switch (v) {
    case DxfVersion::R12: return "AC1009";
    case DxfVersion::R14: return "AC1014";
    case DxfVersion::R2000: return "AC1015";
    case DxfVersion::R2004: return "AC1018";
    }
    return "AC1015";
}

// R13 and later: handles, owners, subclass markers, block records and the objects section.
inline bool HasObjects(DxfVersion v) { return v != DxfVersion::R12; }
// 2000 and later: layouts, line weights, plot flags.
inline bool HasLayouts(DxfVersion v) { return v == DxfVersion::R2000 || v == DxfVersion::R2004; }
// 2004 and later: true colours.
inline bool HasTrueColor(DxfVersion v) { return v == DxfVersion::R2004; }
// 2004 and later: an entity's transparency (group 440).
inline bool HasTransparency(DxfVersion v) { return v == DxfVersion::R2004; }
// R14 and later: a block's draw order table (SORTENTSTABLE) in its extension dictionary.
inline bool HasDrawOrder(DxfVersion v) { return v != DxfVersion::R12; }

} // namespace RkWrite
