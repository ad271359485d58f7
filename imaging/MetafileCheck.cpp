#include "imaging/MetafileCheck.h"

#include "imaging/LittleEndian.h"

#include <windows.h>

#include <cstdio>

namespace {

using LittleEndian::Get16;
using LittleEndian::Get32;
using LittleEndian::Put16;
using LittleEndian::Put32;

constexpr uint32_t kAlphaBitFields = 6;

// A packed DIB of `bytes` bytes at p, or a header of headerBytes and bits of bitsBytes apart:
// its colour table and rows must lie inside what is given. Some writers store only the colours a
// picture uses and leave the header's count at 0 (all of them); with shortTable given, such a
// table that its block (or what the rows of a packed DIB leave of it) holds whole is taken, and
// *shortTable gets the entries it holds (the system would read all of them, past the block).
bool DibFits(const uint8_t* header, uint64_t headerBytes, uint64_t bitsBytes, bool packed,
             uint32_t* shortTable = nullptr)
{
    if (headerBytes < 12)
        return false;
    const uint32_t size = Get32(header);
    if (size < 12 || size > headerBytes)
        return false;
    int64_t width, height;
    uint32_t bits, compression = BI_RGB, used = 0;
    if (size == 12) {
        width = Get16(header + 4);
        height = Get16(header + 6);
        bits = Get16(header + 10);
    } else {
        if (size < 40)
            return false;
        width = int32_t(Get32(header + 4));
        height = int32_t(Get32(header + 8));
        bits = Get16(header + 14);
        compression = Get32(header + 16);
        used = Get32(header + 32);
    }
    // A JPEG or PNG picture inside a bitmap (bit count 0) is as long as the header's image size.
    const bool embedded = (compression == BI_JPEG || compression == BI_PNG) && bits == 0 && size >= 40;
    if (embedded) {
        const uint64_t picture = Get32(header + 20);
        return width > 0 && height != 0 && picture > 0
               && (packed ? size + picture <= headerBytes : picture <= bitsBytes);
    }
    if (width <= 0 || height == 0 || height < -0x7FFFFFFF || bits == 0 || bits > 32)
        return false;
    const uint64_t colours = bits <= 8 ? (used ? used : 1u << bits) : used;
    const uint64_t entry = size == 12 ? 3 : 4;
    // Masks follow a 40-byte header; the longer headers hold them.
    const uint64_t masks = size != 40 ? 0 : compression == BI_BITFIELDS ? 12 : compression == kAlphaBitFields ? 16 : 0;
    uint64_t table = size + masks + colours * entry;
    const uint64_t rows = (uint64_t(width) * bits + 31) / 32 * 4 * uint64_t(height < 0 ? -height : height);
    if (compression != BI_RGB && compression != BI_BITFIELDS && compression != BI_RLE8
        && compression != BI_RLE4 && compression != kAlphaBitFields)
        return false;
    const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
    // What the table may take: the block, or in a packed DIB what its rows leave.
    const uint64_t room = !packed ? headerBytes : rle || rows > headerBytes ? 0 : headerBytes - rows;
    if (shortTable && table > room && bits <= 8 && used == 0 && size >= 40 && room >= size + masks + entry) {
        *shortTable = uint32_t((room - size - masks) / entry);
        table = size + masks + *shortTable * entry;
    }
    if (packed)
        return table <= headerBytes && (rle || table + rows <= headerBytes);
    return table <= headerBytes && (rle || rows <= bitsBytes);
}

// --- Windows metafiles: parameters are 16-bit words after the 6-byte record header. ---

enum : uint16_t {
    kSelectObject = 0x012D, kDeleteObject = 0x01F0, kSelectPalette = 0x0234,
    kSelectClipRegion = 0x012C, kInvertRegion = 0x012A, kPaintRegion = 0x012B,
    kFillRegion = 0x0228, kFrameRegion = 0x0429, kPolygon = 0x0324, kPolyline = 0x0325,
    kPolyPolygon = 0x0538, kTextOut = 0x0521, kExtTextOut = 0x0A32, kDibBitBlt = 0x0940,
    kDibStretchBlt = 0x0B41, kStretchDib = 0x0F43, kSetDibToDev = 0x0D33,
    kDibCreatePatternBrush = 0x0142, kCreatePalette = 0x00F7, kSetPalEntries = 0x0037,
    kAnimatePalette = 0x0436, kCreateRegion = 0x06FF, kEscape = 0x0626,
    kCreateFontIndirect = 0x02FB, kCreatePenIndirect = 0x02FA, kCreateBrushIndirect = 0x02FC,
    kBitBlt = 0x0922, kStretchBlt = 0x0B23,
};

int ObjectParameters(uint16_t function)
{
    switch (function) {
    case kSelectObject: case kDeleteObject: case kSelectPalette: case kSelectClipRegion:
    case kInvertRegion: case kPaintRegion:
        return 1;
    case kFillRegion: case kFrameRegion:
        return 2;
    default:
        return 0;
    }
}

// Words the parameters of a record need at the least, from its own counts; -1 refuses it.
int64_t WindowsNeeded(uint16_t function, const uint8_t* w, uint64_t words)
{
    auto word = [&](uint64_t i) -> uint64_t { return i < words ? Get16(w + i * 2) : 0xFFFF; };
    switch (function) {
    case kPolygon: case kPolyline:
        return 1 + 2 * int64_t(word(0));
    case kPolyPolygon: {
        const uint64_t polys = word(0);
        uint64_t points = 0;
        for (uint64_t i = 0; i < polys && 1 + i < words; ++i)
            points += word(1 + i);
        return int64_t(1 + polys + 2 * points);
    }
    case kTextOut:
        return int64_t(1 + (word(0) + 1) / 2 + 2);
    case kExtTextOut: {
        const uint64_t options = word(3);
        const uint64_t rect = (options & (ETO_OPAQUE | ETO_CLIPPED)) ? 4 : 0;
        return int64_t(4 + rect + (word(2) + 1) / 2);
    }
    case kCreatePalette:
        return int64_t(2 + 2 * word(1));
    case kSetPalEntries: case kAnimatePalette:
        return int64_t(2 + 2 * word(1));
    case kEscape:
        return int64_t(2 + (word(1) + 1) / 2);
    case kCreateFontIndirect:
        return 9;
    case kCreatePenIndirect:
        return 5;
    case kCreateBrushIndirect:
        return 4;
    default:
        return 0;
    }
}

// A device-dependent bitmap of `bytes` bytes: type, width, height, bytes a row, planes and bits a
// pixel, then the rows. The rows are as long as width and bits make them, padded to 16 bits,
// whatever the bytes a row say (some writers give the 32-bit padding of a DIB there): a differing
// count is set to it.
bool Bitmap16Fits(uint8_t* bitmap, uint64_t bytes)
{
    if (bytes < 10)
        return false;
    const uint64_t width = Get16(bitmap + 2), height = Get16(bitmap + 4);
    const uint64_t planes = bitmap[8], bits = bitmap[9];
    if (planes != 1 || (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32))
        return false;
    const uint64_t rowBytes = (width * bits + 15) / 16 * 2;
    if (rowBytes * height > bytes - 10)
        return false;
    Put16(bitmap + 6, uint16_t(rowBytes));
    return true;
}

// The bitmap of an old blit record (BitBlt after 8 words, StretchBlt after 10). A blit without a
// bitmap has one parameter word more than the words before the bitmap and nothing after.
bool DeviceBitmapFits(uint16_t function, uint8_t* w, uint64_t words)
{
    const uint64_t before = function == kBitBlt ? 8 : 10;
    if (words == before + 1)
        return true;
    return words >= before && Bitmap16Fits(w + before * 2, (words - before) * 2);
}

// A region object: its header (next in chain, type, object count, size, scan count, largest
// scan, bounds) and the scans, each a count, top and bottom, count / 2 pairs of x and the count
// again.
bool RegionFits(const uint8_t* w, uint64_t words)
{
    if (words < 11)
        return false;
    const uint64_t scans = Get16(w + 2 * 5);
    uint64_t at = 11;
    for (uint64_t i = 0; i < scans; ++i) {
        if (at + 3 > words)
            return false;
        const uint64_t count = Get16(w + 2 * at);
        if (count % 2 != 0 || at + 3 + count + 1 > words || Get16(w + 2 * (at + 3 + count)) != count)
            return false;
        at += 3 + count + 1;
    }
    return true;
}

// Records that carry a packed DIB after a fixed number of parameter words.
int DibOffsetWords(uint16_t function, uint64_t words)
{
    switch (function) {
    case kDibBitBlt: return words > 9 ? 8 : -1;     // without a bitmap: 9 words, no DIB
    case kDibStretchBlt: return words > 10 ? 10 : -1;
    case kStretchDib: return 11;
    case kSetDibToDev: return 9;
    case kDibCreatePatternBrush: return 2;
    default: return -1;
    }
}

// What is wrong with the record, or null.
const char* WindowsRecordFault(uint8_t* record, uint64_t words, uint16_t objects)
{
    const uint16_t function = Get16(record + 4);
    uint8_t* params = record + 6;
    const uint64_t paramWords = words - 3;
    const int indices = ObjectParameters(function);
    if (paramWords < uint64_t(indices))
        return "it names no object";
    for (int i = 0; i < indices; ++i)
        if (Get16(params + i * 2) >= objects)
            return "it names an object past the metafile's count";
    if (function == kBitBlt || function == kStretchBlt)
        return DeviceBitmapFits(function, params, paramWords) ? nullptr : "its bitmap does not fit the record";
    // A pattern brush of style BS_PATTERN carries a device-dependent bitmap after its style and
    // colour usage, the other styles a DIB.
    if (function == kDibCreatePatternBrush && paramWords >= 1 && Get16(params) == BS_PATTERN)
        return paramWords >= 2 && Bitmap16Fits(params + 4, (paramWords - 2) * 2) ? nullptr
                                                                                : "its bitmap does not fit the record";
    if (function == kCreateRegion)
        return RegionFits(params, paramWords) ? nullptr : "its region does not fit the record";
    const int64_t needed = WindowsNeeded(function, params, paramWords);
    if (needed < 0 || uint64_t(needed) > paramWords)
        return "it holds less than its counts say";
    const int dib = DibOffsetWords(function, paramWords);
    if (dib >= 0) {
        uint32_t entries = 0;
        if (uint64_t(dib) >= paramWords || !DibFits(params + dib * 2, (paramWords - dib) * 2, 0, true, &entries))
            return "its bitmap does not fit the record";
        if (entries)
            Put32(params + dib * 2 + 32, entries); // biClrUsed
    }
    return nullptr;
}

void Explain(std::string* why, const char* kind, uint64_t index, uint32_t type, const char* fault)
{
    if (!why)
        return;
    char text[160];
    std::snprintf(text, sizeof text, "%s record %llu (type 0x%04X): %s", kind,
                  static_cast<unsigned long long>(index), unsigned(type), fault);
    *why = text;
}

// --- Enhanced metafiles: records of 32-bit fields; offsets count from the record's start. ---

bool NamesHandle(uint32_t type)
{
    switch (type) {
    case EMR_SELECTOBJECT: case EMR_DELETEOBJECT: case EMR_SELECTPALETTE:
    case EMR_CREATEPEN: case EMR_CREATEBRUSHINDIRECT: case EMR_EXTCREATEFONTINDIRECTW:
    case EMR_CREATEPALETTE: case EMR_SETPALETTEENTRIES: case EMR_RESIZEPALETTE:
    case EMR_CREATEMONOBRUSH: case EMR_CREATEDIBPATTERNBRUSHPT: case EMR_EXTCREATEPEN:
    case EMR_CREATECOLORSPACE: case EMR_DELETECOLORSPACE: case EMR_SETCOLORSPACE:
        return true;
    default:
        return false;
    }
}

constexpr uint32_t kSmallTextOut = 108; // EMR_SMALLTEXTOUT, not in every header
constexpr uint64_t kNoRect = 0x100;      // its options: no clip rectangle
constexpr uint64_t kSmallChars = 0x200;  // its options: 8-bit characters

struct BitmapFields {
    uint32_t type;
    uint32_t offBmi[2]; // positions of (offBmi, cbBmi, offBits, cbBits) groups; 0 = none
};

const BitmapFields kBitmapRecords[] = {
    {EMR_BITBLT, {84, 0}},         {EMR_STRETCHBLT, {84, 0}},  {EMR_MASKBLT, {84, 112}},
    {EMR_PLGBLT, {96, 124}},       {EMR_SETDIBITSTODEVICE, {48, 0}},
    {EMR_STRETCHDIBITS, {48, 0}},  {EMR_CREATEMONOBRUSH, {16, 0}},
    {EMR_CREATEDIBPATTERNBRUSHPT, {16, 0}}, {EMR_EXTCREATEPEN, {12, 0}},
    {EMR_ALPHABLEND, {84, 0}},     {EMR_TRANSPARENTBLT, {84, 0}},
};

enum class BitmapUse { Optional, Required, Unused };

// The system takes a zero bitmap offset as "no bitmap" (a pattern-only blit); brushes made from
// a bitmap always need one; a pen reads its bitmap only for a pattern brush style, and writers
// leave the fields of other pens pointing anywhere, with no size.
BitmapUse UseOfBitmap(uint32_t type, const uint8_t* r, uint32_t size)
{
    if (type == EMR_CREATEMONOBRUSH || type == EMR_CREATEDIBPATTERNBRUSHPT)
        return BitmapUse::Required;
    if (type != EMR_EXTCREATEPEN)
        return BitmapUse::Optional;
    const uint32_t style = size >= 40 ? Get32(r + 36) : BS_DIBPATTERNPT;
    return style == BS_PATTERN || style == BS_DIBPATTERN || style == BS_DIBPATTERNPT || style == BS_DIBPATTERN8X8
               ? BitmapUse::Required
               : BitmapUse::Unused;
}

// A colour table shorter than its header says gets the header's count of the entries it holds.
bool BitmapBlockFits(uint8_t* r, uint32_t size, uint32_t at, BitmapUse use)
{
    if (use == BitmapUse::Unused)
        return true;
    if (uint64_t(at) + 16 > size)
        return false;
    const uint64_t offBmi = Get32(r + at), cbBmi = Get32(r + at + 4);
    const uint64_t offBits = Get32(r + at + 8), cbBits = Get32(r + at + 12);
    if (offBmi == 0 && use == BitmapUse::Optional)
        return true;
    if (offBmi == 0 || offBmi + cbBmi > size || offBits + cbBits > size)
        return false;
    uint32_t entries = 0;
    if (!DibFits(r + offBmi, cbBmi, cbBits, false, &entries))
        return false;
    if (entries)
        Put32(r + offBmi + 32, entries); // biClrUsed
    return true;
}

// The region data at `at` of `bytes`: a 32-byte header whose rectangle count (16 bytes each) the
// data holds. Bytes the record needs, or -1.
int64_t RegionNeeded(const uint8_t* r, uint32_t size, uint32_t at, uint64_t bytes)
{
    if (bytes < 32 || at + bytes > size)
        return -1;
    const uint64_t rectangles = Get32(r + at + 8);
    return 32 + 16 * rectangles <= bytes ? int64_t(at + bytes) : -1;
}

// Bytes the record needs at the least from its own counts; -1 refuses it.
int64_t EnhancedNeeded(uint32_t type, const uint8_t* r, uint32_t size)
{
    auto field = [&](uint32_t at) -> uint64_t { return at + 4 <= size ? Get32(r + at) : 0xFFFFFFFFu; };
    switch (type) {
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO:
        return int64_t(28 + 8 * field(24));
    case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16:
        return int64_t(28 + 4 * field(24));
    case EMR_POLYDRAW:
        return int64_t(28 + 9 * field(24));
    case EMR_POLYDRAW16:
        return int64_t(28 + 5 * field(24));
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16: {
        const uint64_t polys = field(24), points = field(28);
        const uint64_t point = (type == EMR_POLYPOLYLINE || type == EMR_POLYPOLYGON) ? 8 : 4;
        if (32 + 4 * polys > size)
            return -1;
        uint64_t sum = 0;
        for (uint64_t i = 0; i < polys; ++i)
            sum += Get32(r + 32 + 4 * i);
        if (sum > points)
            return -1;
        return int64_t(32 + 4 * polys + point * points);
    }
    case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: {
        const uint64_t chars = field(44), offString = field(48), offDx = field(72);
        const uint64_t unit = type == EMR_EXTTEXTOUTW ? 2 : 1;
        if (offString + chars * unit > size || (offDx && offDx + chars * 4 > size))
            return -1;
        return 76;
    }
    case EMR_GDICOMMENT:
        return int64_t(12 + field(8));
    case EMR_EXTSELECTCLIPRGN:
        // No region data resets the clip.
        return field(8) == 0 ? 16 : RegionNeeded(r, size, 16, field(8));
    case EMR_INVERTRGN: case EMR_PAINTRGN:
        return RegionNeeded(r, size, 28, field(24));
    case EMR_FILLRGN: // and the brush
        return RegionNeeded(r, size, 32, field(24));
    case EMR_FRAMERGN: // the brush and the stroke's width and height
        return RegionNeeded(r, size, 40, field(24));
    case EMR_CREATEPALETTE:
        return int64_t(16 + 4 * (field(12) >> 16));
    case EMR_SETPALETTEENTRIES:
        return int64_t(20 + 4 * field(16));
    case EMR_EXTCREATEFONTINDIRECTW:
        return 12 + 92;
    case EMR_EXTCREATEPEN:
        // The pen's style entries follow its fixed fields.
        return int64_t(52 + 4 * field(48));
    case EMR_GRADIENTFILL: {
        const uint64_t vertices = field(24), shapes = field(28), mode = field(32);
        return int64_t(36 + 16 * vertices + shapes * (mode == GRADIENT_FILL_TRIANGLE ? 12 : 8));
    }
    case EMR_RESTOREDC: {
        // A level counted back from the current one; the system does not bound it.
        const int32_t relative = int32_t(field(8));
        return relative < 0 && relative >= -1024 ? 12 : -1;
    }
    case kSmallTextOut: {
        // x, y, characters, options, graphics mode, scales; a clip rectangle unless
        // ETO_NO_RECT; then the text, a byte a character with ETO_SMALL_CHARS.
        const uint64_t chars = field(16), options = field(20);
        const uint64_t rect = (options & kNoRect) ? 0 : 16;
        return int64_t(36 + rect + chars * ((options & kSmallChars) ? 1 : 2));
    }
    case EMR_POLYTEXTOUTA: case EMR_POLYTEXTOUTW: {
        // Bounds, graphics mode, scales, then one 40-byte text block a string.
        const uint64_t strings = field(36);
        if (40 + 40 * strings > size)
            return -1;
        const uint64_t unit = type == EMR_POLYTEXTOUTW ? 2 : 1;
        for (uint64_t i = 0; i < strings; ++i) {
            const uint8_t* text = r + 40 + 40 * i;
            const uint64_t chars = Get32(text + 8), offString = Get32(text + 12), offDx = Get32(text + 36);
            if (offString + chars * unit > size || (offDx && offDx + chars * 4 > size))
                return -1;
        }
        return int64_t(40 + 40 * strings);
    }
    default:
        return 0;
    }
}

// A region filled or framed with a brush of the object table. Some writers name a stock brush
// there, which the table does not hold and the system does not look up as one: such a record
// becomes a comment, which nothing plays.
const char* RegionBrushFault(uint8_t* r, uint32_t size, uint32_t handles)
{
    const uint32_t brush = Get32(r + 28);
    if (brush & 0x80000000u) {
        Put32(r, EMR_GDICOMMENT);
        Put32(r + 8, size - 12);
        Put32(r + 12, 0); // no comment identifier
        return nullptr;
    }
    return brush == 0 || brush >= handles ? "it names an object past the metafile's count" : nullptr;
}

const char* EnhancedRecordFault(uint8_t* r, uint32_t size, uint32_t handles)
{
    const uint32_t type = Get32(r);
    if (NamesHandle(type)) {
        const uint32_t index = size >= 12 ? Get32(r + 8) : UINT32_MAX;
        const bool stock = (type == EMR_SELECTOBJECT || type == EMR_SELECTPALETTE)
                           && (index & 0x80000000u);
        if (!stock && (index == 0 || index >= handles))
            return "it names an object past the metafile's count";
    }
    const int64_t needed = EnhancedNeeded(type, r, size);
    if (needed < 0 || uint64_t(needed) > size)
        return "it holds less than its counts say";
    if (type == EMR_FILLRGN || type == EMR_FRAMERGN)
        return RegionBrushFault(r, size, handles);
    for (const BitmapFields& b : kBitmapRecords)
        if (b.type == type)
            for (uint32_t at : b.offBmi)
                if (at && !BitmapBlockFits(r, size, at, UseOfBitmap(type, r, size)))
                    return "its bitmap does not fit the record";
    return nullptr;
}

} // namespace

namespace MetafileCheck {

bool WindowsRecordsFit(std::vector<uint8_t>& bits, std::string* why)
{
    if (bits.size() < 18) {
        if (why)
            *why = "WMF: the header is cut short";
        return false;
    }
    const size_t words = bits.size() / 2;
    const uint16_t objects = Get16(&bits[10]);
    size_t at = Get16(&bits[2]); // header size in words
    for (uint64_t index = 0; at + 3 <= words; ++index) {
        const uint32_t size = Get32(&bits[at * 2]);
        const uint16_t function = Get16(&bits[at * 2 + 4]);
        if (size < 3 || size > words - at) {
            Explain(why, "WMF", index, function, "its size runs past the metafile");
            return false;
        }
        if (function == 0) // META_EOF
            return true;
        if (const char* fault = WindowsRecordFault(&bits[at * 2], size, objects)) {
            Explain(why, "WMF", index, function, fault);
            return false;
        }
        at += size;
    }
    // A chain that fills the data without its end record is whole too.
    if (at != words && why)
        *why = "WMF: the last record is cut short";
    return at == words;
}

bool EnhancedRecordsFit(std::vector<uint8_t>& bits, std::string* why)
{
    if (bits.size() < sizeof(ENHMETAHEADER)) {
        if (why)
            *why = "EMF: the header is cut short";
        return false;
    }
    const uint32_t handles = reinterpret_cast<const ENHMETAHEADER*>(bits.data())->nHandles;
    size_t at = 0;
    for (uint64_t index = 0; at + 8 <= bits.size(); ++index) {
        const uint32_t type = Get32(&bits[at]);
        const uint32_t size = Get32(&bits[at + 4]);
        if (size < 8 || size % 4 != 0 || size > bits.size() - at || (at == 0 && type != EMR_HEADER)) {
            Explain(why, "EMF", index, type, at == 0 && type != EMR_HEADER ? "not a header"
                                                                            : "its size is not a whole record inside the metafile");
            return false;
        }
        if (type == EMR_EOF)
            return true;
        if (const char* fault = at > 0 ? EnhancedRecordFault(&bits[at], size, handles) : nullptr) {
            Explain(why, "EMF", index, type, fault);
            return false;
        }
        at += size;
    }
    if (why && !(at > 0 && at == bits.size()))
        *why = "EMF: the last record is cut short";
    return at > 0 && at == bits.size();
}

} // namespace MetafileCheck
