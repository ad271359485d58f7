#include "engine/dwg/DwgCodePage.h"

namespace orvo::dwg {

namespace {

// Index -> Windows code page, in the order the file header numbers them: none, ASCII,
// ISO 8859-1..9, DOS code pages, Macintosh, the East Asian sets, then the ANSI code pages.
constexpr int kCodePages[] = {
    1252,  20127, 28591, 28592, 28593, 28594, 28595, 28596, 28597, 28598, 28599, // 0..10
    437,   850,   852,   855,   857,   860,   861,   863,   864,   865,   869,   // 11..21
    932,   10000, 950,   949,   1361,  866,                                      // 22..27
    1250,  1251,  1252,  936,   1253,  1254,  1255,  1256,  1257,  874,         // 28..37
    932,   936,   949,   950,   1361,  1252,  1258,                             // 38..44
};

// The same order, by the names DXF files give them.
constexpr const char* kCodePageNames[] = {
    "ANSI_1252", "ASCII", "ISO8859_1", "ISO8859_2", "ISO8859_3", "ISO8859_4", "ISO8859_5", "ISO8859_6",
    "ISO8859_7", "ISO8859_8", "ISO8859_9", "DOS437", "DOS850", "DOS852", "DOS855", "DOS857", "DOS860",
    "DOS861", "DOS863", "DOS864", "DOS865", "DOS869", "DOS932", "MACINTOSH", "BIG5", "KSC5601", "JOHAB",
    "DOS866", "ANSI_1250", "ANSI_1251", "ANSI_1252", "GB2312", "ANSI_1253", "ANSI_1254", "ANSI_1255",
    "ANSI_1256", "ANSI_1257", "ANSI_874", "ANSI_932", "ANSI_936", "ANSI_949", "ANSI_950", "ANSI_1361",
    "ANSI_1200", "ANSI_1258",
};

static_assert(sizeof kCodePageNames / sizeof kCodePageNames[0] == sizeof kCodePages / sizeof kCodePages[0],
              "one name per code page");

} // namespace

const char* CodePageNameOfDwg(uint16_t index)
{
    return index < sizeof kCodePageNames / sizeof kCodePageNames[0] ? kCodePageNames[index] : "ANSI_1252";
}

int WindowsCodePageOfDwg(uint16_t index)
{
    return index < sizeof kCodePages / sizeof kCodePages[0] ? kCodePages[index] : 1252;
}

} // namespace orvo::dwg
