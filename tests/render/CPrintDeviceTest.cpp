// The printer export device drawing into an enhanced-metafile context: the records it leaves
// show the turned points, the pens of each colour mode, the paired clips and the bitmap's own
// mapping scope.
#include "render/print/CPrintDevice.h"

#include "engine/rkui/RkUI.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

struct Record
{
    DWORD type;
    std::vector<DWORD> params;
};

int CALLBACK CollectRecord(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data)
{
    Record r{record->iType, {}};
    const DWORD count = (record->nSize - 8) / 4;
    r.params.assign(record->dParm, record->dParm + count);
    reinterpret_cast<std::vector<Record>*>(data)->push_back(r);
    return 1;
}

// Runs draw on a device over a fresh metafile context and returns the metafile's records.
std::vector<Record> Record_(const std::function<void(CPrintDevice&)>& setup,
                            const std::function<void(CPrintDevice&)>& draw)
{
    const HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(dc, nullptr);
    {
        CPrintDevice device;
        device.SetDC(dc);
        setup(device);
        device.BeginExport(0, 0, 0, 100.0, 50.0, nullptr);
        draw(device);
        device.EndExport();
    }
    const HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    std::vector<Record> records;
    EnumEnhMetaFile(nullptr, metafile, CollectRecord, &records, nullptr);
    DeleteEnhMetaFile(metafile);
    return records;
}

std::vector<Record> OfType(const std::vector<Record>& records, DWORD type)
{
    std::vector<Record> out;
    for (const Record& r : records)
        if (r.type == type)
            out.push_back(r);
    return out;
}

int Count(const std::vector<Record>& records, DWORD type)
{
    return static_cast<int>(OfType(records, type).size());
}

// EMR_CREATEPEN: ihPen, then LOGPEN (style, width POINT, colour).
COLORREF LastPenColor(const std::vector<Record>& records)
{
    const auto pens = OfType(records, EMR_CREATEPEN);
    return pens.empty() ? CLR_INVALID : pens.back().params[4];
}

int LastPenWidth(const std::vector<Record>& records)
{
    const auto pens = OfType(records, EMR_CREATEPEN);
    return pens.empty() ? -1 : static_cast<int>(pens.back().params[2]);
}

const auto kNoSetup = [](CPrintDevice&) {};

TEST(CPrintDevice, PointsFollowTheRotationTable)
{
    struct Case
    {
        int rotation;
        LONG x, y;
    } cases[] = {
        // W 100, H 50, point (1.7, 2.2), offset (10, 20), y offset 5.
        {0, 11, 27}, {1, 57, 26}, {2, 108, 72}, {3, 12, 123},
    };
    for (const Case& c : cases) {
        const auto records = Record_(
            [&](CPrintDevice& d) {
                d.SetOffset(10, 20);
                d.SetRotation(c.rotation);
                d.SetSavedMapping(MM_TEXT, 1, 1, 0, 0, 5);
            },
            [](CPrintDevice& d) { d.MoveTo(1.7, 2.2, 0); });
        const auto moves = OfType(records, EMR_MOVETOEX);
        ASSERT_EQ(moves.size(), 1u) << c.rotation;
        EXPECT_EQ(static_cast<LONG>(moves[0].params[0]), c.x) << c.rotation;
        EXPECT_EQ(static_cast<LONG>(moves[0].params[1]), c.y) << c.rotation;
    }
}

TEST(CPrintDevice, ColourModesChooseThePen)
{
    struct Case
    {
        short mode;
        COLORREF in, out;
    } cases[] = {
        {0, RGB(255, 255, 255), 0},        {0, RGB(10, 20, 30), RGB(10, 20, 30)},
        {1, RGB(255, 0, 0), 0x4C4C4C},     {1, RGB(255, 255, 255), 0},
        {2, RGB(10, 200, 30), 0},
    };
    for (const Case& c : cases) {
        const auto records =
            Record_([&](CPrintDevice& d) { d.m_colorMode = c.mode; },
                    [&](CPrintDevice& d) { d.SetColor(c.in, 1); });
        EXPECT_EQ(LastPenColor(records), c.out) << c.mode << " " << c.in;
    }
}

TEST(CPrintDevice, PenSetWidthsAndBoundedPenNumbers)
{
    g_printPenSet.Reset();
    g_printPenSet.setUsePenWidth(true);
    g_printPenSet.SetMinWidth(3.0);
    g_printPenSet.getPenWidths()[5].width = 40;
    struct Case
    {
        int pen, width;
    } cases[] = {{5, 40}, {6, 25}, {-1, 3}, {256, 3}, {100000, 3}};
    for (const Case& c : cases) {
        const auto records = Record_(kNoSetup, [&](CPrintDevice& d) {
            d.SetColor(RGB(1, 2, 3), c.pen);
            d.SetLineWidth(99.0); // ignored while the pen set's widths are in use
        });
        EXPECT_EQ(LastPenWidth(records), c.width) << c.pen;
    }
    g_printPenSet.Reset();
}

TEST(CPrintDevice, LineWidthMakesANewPenOnlyWhenItChanges)
{
    g_printPenSet.Reset();
    const auto same = Record_(kNoSetup, [](CPrintDevice& d) { d.SetLineWidth(0.0); });
    EXPECT_EQ(Count(same, EMR_CREATEPEN), 1);
    const auto changed = Record_(kNoSetup, [](CPrintDevice& d) { d.SetLineWidth(7.9); });
    EXPECT_EQ(Count(changed, EMR_CREATEPEN), 2);
    EXPECT_EQ(LastPenWidth(changed), 7);
}

TEST(CPrintDevice, ClipsArePairedWithRestoresOnlyWhenSet)
{
    const double triangle[15] = {0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 10, 0, 0, 0};
    const auto records = Record_(kNoSetup, [&](CPrintDevice& d) {
        d.BeginClip(2, triangle); // ignored, and so is its end
        d.EndClip();
        d.BeginClip(3, triangle);
        d.SetColor(RGB(0, 0, 255), 1);
        d.EndClip();
        d.EndClip(); // unpaired: nothing
    });
    EXPECT_EQ(Count(records, EMR_SAVEDC), 1);
    EXPECT_EQ(Count(records, EMR_RESTOREDC), 1);
    EXPECT_EQ(Count(records, EMR_BEGINPATH), 1);
    EXPECT_EQ(Count(records, EMR_SELECTCLIPPATH), 1);
    // The pen chosen inside the clip is selected again after the restore.
    const auto selects = OfType(records, EMR_SELECTOBJECT);
    const auto pens = OfType(records, EMR_CREATEPEN);
    ASSERT_GE(pens.size(), 2u);
    bool reselected = false;
    bool afterRestore = false;
    for (const Record& r : records) {
        if (r.type == EMR_RESTOREDC)
            afterRestore = true;
        if (afterRestore && r.type == EMR_SELECTOBJECT && r.params[0] == pens.back().params[0])
            reselected = true;
    }
    EXPECT_TRUE(reselected);
    EXPECT_FALSE(selects.empty());
}

TEST(CPrintDevice, PolygonsAreSkippedWhileNoFillIsSetAndCountsAreChecked)
{
    const double square[20] = {0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 10, 10, 0, 0, 0, 0, 10, 0, 0, 0};
    const int counts[1] = {4};
    const int bad[2] = {4, -1};
    const auto drawn = Record_(kNoSetup, [&](CPrintDevice& d) {
        d.Polygon(0, 3, square);
        d.PolyPolygon(square, counts, 1);
        d.Polygon(3, 0, square);
        d.PolyPolygon(square, bad, 2);
    });
    EXPECT_EQ(Count(drawn, EMR_POLYGON16) + Count(drawn, EMR_POLYGON), 1);
    EXPECT_EQ(Count(drawn, EMR_POLYPOLYGON16) + Count(drawn, EMR_POLYPOLYGON), 1);
    const auto skipped = Record_([](CPrintDevice& d) { d.m_noFill = 1; },
                                 [&](CPrintDevice& d) {
                                     d.Polygon(0, 3, square);
                                     d.PolyPolygon(square, counts, 1);
                                 });
    EXPECT_EQ(Count(skipped, EMR_POLYGON16) + Count(skipped, EMR_POLYPOLYGON16), 0);
}

TEST(CPrintDevice, BitmapsArePlacedInTheirOwnMappingScope)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 8;
    info.bmiHeader.biHeight = 4;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    for (int rotation = 0; rotation < 4; ++rotation) {
        const auto records = Record_(
            [&](CPrintDevice& d) {
                d.SetRotation(rotation);
                d.SetSavedMapping(MM_TEXT, 1, 1, 0, 0, 0);
            },
            [&](CPrintDevice& d) {
                d.DrawBitmap(5, 5, 16, 8, 0, 0, 8, 4, 0, bitmap, 0, 0);
                d.MoveTo(0, 0, 0);
            });
        EXPECT_EQ(Count(records, EMR_SAVEDC), 1) << rotation;
        EXPECT_EQ(Count(records, EMR_RESTOREDC), 1) << rotation;
        EXPECT_EQ(Count(records, EMR_STRETCHDIBITS) + Count(records, EMR_STRETCHBLT) +
                      Count(records, EMR_BITBLT),
                  1)
            << rotation;
    }
    DeleteObject(bitmap);
}

TEST(CPrintDevice, ArcsTurnWithThePage)
{
    for (int rotation = 0; rotation < 4; ++rotation) {
        const auto records = Record_([&](CPrintDevice& d) { d.SetRotation(rotation); },
                                     [](CPrintDevice& d) { d.Arc(50, 25, 0, 10, 0, 1.0); });
        const auto arcs = OfType(records, EMR_ARC);
        ASSERT_EQ(arcs.size(), 1u) << rotation;
        // The start point (angle 0 turned with the page) seen from the centre of the box.
        const LONG cx = static_cast<LONG>(arcs[0].params[0]) + 10;
        const LONG cy = static_cast<LONG>(arcs[0].params[1]) + 10;
        const LONG dx = static_cast<LONG>(arcs[0].params[4]) - cx;
        const LONG dy = static_cast<LONG>(arcs[0].params[5]) - cy;
        const LONG expected[4][2] = {{10, 0}, {0, 10}, {-10, 0}, {0, -10}};
        // Coordinates are truncated, so a cosine of almost 0 may land one unit off.
        EXPECT_NEAR(dx, expected[rotation][0], 1) << rotation;
        EXPECT_NEAR(dy, expected[rotation][1], 1) << rotation;
    }
}

} // namespace
