// The file-type table: every row with its type and colour, lookups by path in any letter case,
// the format-code mapping, the drawings-only fill, and lookups racing a refill.
#include "core/CDrawingFileType.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(CDrawingFileType, PathTable)
{
    struct Case
    {
        const char* path;
        int typeId; // -1: not known
        COLORREF color;
    };
    const Case cases[] = {
        {"c:\\x\\plan.dwg", 0, 0xD7EBD7},  {"C:\\X\\PLAN.DWG", 0, 0xD7EBD7},
        {"a.dxf", 1, 0xC8EBEB},            {"a.dwt", 2, 0xC8EBA0},
        {"a.dwf", 3, 0xFFE3E3},            {"a.jpg", 5, 0xC8E1C4},
        {"a.jpeg", 5, 0xC8E1C4},           {"a.bmp", 4, 0xE4E0C4},
        {"a.gif", 6, 0x92CFB1},            {"a.psd", 17, 0xF5E1CB},
        {"a.pcx", 7, 0xAFD3DC},            {"a.tif", 8, 0xDAD7F0},
        {"a.tiff", 8, 0xDAD7F0},           {"a.png", 9, 0xF1D6EF},
        {"a.mng", 10, 0xF1D6DE},           {"a.ico", 11, 0xCBFCFA},
        {"a.tga", 12, 0xC9FEE8},           {"a.wbmp", 13, 0xE4E0C4},
        {"a.wmf", 14, 0xB6D6EB},           {"a.EMF", 14, 0xB6D6EB},
        {"C:\\dir.dwg\\noext", -1, 0},     {"a.dwg.bak", -1, 0},
        {"plan", -1, 0},                   {"", -1, 0},
        {"a.", -1, 0},                     {"a.j2k", -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        CDrawingFileInfo row;
        ASSERT_EQ(GetDrawingFileInfo(c.path, &row), c.typeId >= 0);
        if (c.typeId < 0)
            continue;
        EXPECT_EQ(row.typeId, c.typeId);
        EXPECT_EQ(row.color, c.color);
        EXPECT_EQ(row.IsDrawing(), c.typeId <= 3);
    }
    EXPECT_FALSE(GetDrawingFileInfo(nullptr, nullptr));
    EXPECT_TRUE(GetDrawingFileInfo("x.Dwg", nullptr));
}

TEST(CDrawingFileType, RowsInTheTablesOrder)
{
    const char* const order[] = {".DWG", ".DXF", ".DWT", ".DWF", ".JPG", ".BMP", ".GIF",
                                 ".PSD", ".PCX", ".TIF", ".PNG", ".MNG", ".ICO", ".TGA",
                                 ".WBMP", ".WMF", ".EMF", ".JPEG", ".TIFF"};
    CDrawingFileType table;
    ASSERT_EQ(table.GetCount(), 19);
    for (int i = 0; i < 19; ++i) {
        CDrawingFileInfo row;
        ASSERT_TRUE(table.GetAt(i, row));
        EXPECT_STREQ(row.extension, order[i]);
    }
    CDrawingFileInfo row;
    EXPECT_FALSE(table.GetAt(19, row));
    EXPECT_FALSE(table.GetAt(-1, row));
}

TEST(CDrawingFileType, ImageFormatTable)
{
    struct Case
    {
        int typeId;
        bool ok;
        DWORD format;
    };
    const Case cases[] = {
        {0, false, 0},  {1, false, 0},  {2, false, 0},  {3, false, 0},  {15, false, 0},
        {16, false, 0}, {-2, false, 0}, {99, false, 0}, {4, true, 1},   {5, true, 3},
        {6, true, 2},   {7, true, 9},   {8, true, 7},   {9, true, 4},   {10, true, 5},
        {11, true, 6},  {12, true, 8},  {13, true, 10}, {14, true, 11}, {17, true, 18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typeId);
        DWORD format = 0xDEAD;
        EXPECT_EQ(DrawingTypeToImageFormat(c.typeId, &format), c.ok);
        EXPECT_EQ(format, c.ok ? c.format : 0xDEADu);
    }
}

TEST(CDrawingFileType, DrawingsOnlyKnowsFourTypes)
{
    CDrawingFileType table;
    table.Build(true);
    EXPECT_EQ(table.GetCount(), 4);
    CDrawingFileInfo row;
    EXPECT_FALSE(table.FindByExtension(".PNG", row));
    EXPECT_TRUE(table.FindByExtension(".dwf", row));
    table.Add(".XYZ", 0x010203, 20);
    EXPECT_EQ(table.GetCount(), 5);
    ASSERT_TRUE(table.FindByExtension(".xyz", row));
    EXPECT_EQ(row.typeId, 20);
    table.Build(false);
    EXPECT_EQ(table.GetCount(), 19);
    EXPECT_FALSE(table.FindByExtension(".XYZ", row));
}

TEST(CDrawingFileType, LookupsStaySoundWhileTheTableIsRefilled)
{
    CDrawingFileType table;
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::thread reader([&] {
        while (!stop) {
            CDrawingFileInfo row;
            if (table.FindByExtension(".DXF", row) && (row.typeId != 1 || row.extension != ".DXF"))
                ++bad;
            if (table.FindByExtension(".PNG", row) && row.typeId != 9)
                ++bad;
        }
    });
    for (int i = 0; i < 2000; ++i)
        table.Build(i % 2 == 0);
    stop = true;
    reader.join();
    EXPECT_EQ(bad.load(), 0);
}

} // namespace
