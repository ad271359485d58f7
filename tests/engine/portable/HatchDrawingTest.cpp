// Hatches as their drawings show them, judged by their pixels: the draw order table of a block
// (which hatch lies on top), transparency, pattern lines at their scale and angle, dots as dots.
#include "RasterSink.h"
#include "ReadDrawing.h"

#include "engine/draw/DrawingRenderer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using namespace RkDb;
using namespace RkDraw;
using orvo::portable::DxfBuilder;
using orvo::portable::RasterSink;
using orvo::portable::Read;

constexpr std::uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;

// A 100 x 100 device showing world 0..100 (one unit per pixel).
ViewTransform UnitView()
{
    ViewTransform view;
    view.SetDevice(100, 100);
    view.SetArea({50, 50}, 100);
    return view;
}

// A drawing whose model space (block record 1F) holds what add writes; objects go into OBJECTS.
std::unique_ptr<Database> Drawing(const std::function<void(DxfBuilder&)>& entities,
                                  const std::function<void(DxfBuilder&)>& objects = {})
{
    DxfBuilder b;
    b.Header("AC1024").Section("TABLES");
    b.S(0, "TABLE").S(2, "BLOCK_RECORD");
    b.S(0, "BLOCK_RECORD").S(5, "1F").S(100, "AcDbSymbolTableRecord").S(100, "AcDbBlockTableRecord")
        .S(2, "*Model_Space");
    b.S(0, "ENDTAB").EndSection();
    b.Section("ENTITIES");
    entities(b);
    b.EndSection();
    if (objects) {
        b.Section("OBJECTS");
        objects(b);
        b.EndSection();
    }
    b.Eof();
    return Read(b);
}

// A solid hatch over the square [x0, x1] x [y0, y1].
void SolidSquare(DxfBuilder& b, const std::string& handle, int aci, double x0, double y0, double x1,
                 double y1, int transparency = -1)
{
    b.S(0, "HATCH").S(5, handle).S(8, "0").I(62, aci);
    if (transparency >= 0)
        b.I(440, transparency);
    b.S(100, "AcDbHatch").P(10, 0, 0).P(210, 0, 0, 1).S(2, "SOLID").I(70, 1).I(71, 0).I(91, 1)
        .I(92, 2).I(72, 0).I(73, 1).I(93, 4).D(10, x0).D(20, y0).D(10, x1).D(20, y0).D(10, x1)
        .D(20, y1).D(10, x0).D(20, y1).I(97, 0).I(75, 0).I(76, 1).I(98, 0);
}

std::uint32_t CentreColour(const Database& db)
{
    RasterSink sink(100, 100);
    RenderOptions options;
    DrawingRenderer(db, sink, options).Draw(0, UnitView());
    return sink.At(50, 50);
}

TEST(HatchDrawOrder, TheSortEntsTableDecidesWhichHatchLiesOnTop)
{
    const auto squares = [](DxfBuilder& b) {
        SolidSquare(b, "A0", 1, 20, 20, 80, 80);    // red, stored first
        SolidSquare(b, "A1", 5, 30, 30, 70, 70);    // blue, stored last
    };
    // Without a table the stored order stands: the blue square lies on top.
    EXPECT_EQ(CentreColour(*Drawing(squares)), kBlue);
    // The table gives the red square the place of the blue one and the blue one the place
    // of the red: red on top.
    const auto table = [](DxfBuilder& b) {
        b.S(0, "SORTENTSTABLE").S(5, "B0").S(330, "B1").S(100, "AcDbSortentsTable").S(330, "1F")
            .S(331, "A0").S(5, "A1").S(331, "A1").S(5, "A0");
    };
    auto swapped = Drawing(squares, table);
    EXPECT_EQ(CentreColour(*swapped), kRed);
    // Hit testing finds what is drawn on top.
    EXPECT_EQ(DrawingRenderer::HitTest(*swapped, 0, UnitView(), 50, 50, 1.0), 0);
    // A table of another block, or naming no entity of this one, changes nothing.
    const auto elsewhere = [](DxfBuilder& b) {
        b.S(0, "SORTENTSTABLE").S(5, "B0").S(100, "AcDbSortentsTable").S(330, "77")
            .S(331, "A0").S(5, "A1").S(331, "A1").S(5, "A0");
    };
    EXPECT_EQ(CentreColour(*Drawing(squares, elsewhere)), kBlue);
    const auto strangers = [](DxfBuilder& b) {
        b.S(0, "SORTENTSTABLE").S(5, "B0").S(100, "AcDbSortentsTable").S(330, "1F")
            .S(331, "C0").S(5, "1").S(331, "C1");
    };
    EXPECT_EQ(CentreColour(*Drawing(squares, strangers)), kBlue);
}

TEST(HatchDrawOrder, AnEntityMayBeSentBelowEverything)
{
    // Three squares; the table moves the last one (blue) to a place before the first.
    const auto squares = [](DxfBuilder& b) {
        SolidSquare(b, "A0", 1, 20, 20, 80, 80);
        SolidSquare(b, "A1", 3, 25, 25, 75, 75);
        SolidSquare(b, "A2", 5, 30, 30, 70, 70);
    };
    const auto table = [](DxfBuilder& b) {
        b.S(0, "SORTENTSTABLE").S(5, "B0").S(100, "AcDbSortentsTable").S(330, "1F").S(331, "A2")
            .S(5, "9F");
    };
    auto db = Drawing(squares, table);
    const Block& model = db->ModelSpaceBlock();
    ASSERT_EQ(model.drawOrder.size(), 3u);
    EXPECT_EQ(model.drawOrder[0], 2);
    EXPECT_EQ(model.drawOrder[1], 0);
    EXPECT_EQ(model.drawOrder[2], 1);
    EXPECT_EQ(CentreColour(*db), 0x00FF00u);
}

} // namespace
