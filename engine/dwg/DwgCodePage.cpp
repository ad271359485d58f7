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

} // namespace

int WindowsCodePageOfDwg(uint16_t index)
{
    return index < sizeof kCodePages / sizeof kCodePages[0] ? kCodePages[index] : 1252;
}

} // namespace orvo::dwg
