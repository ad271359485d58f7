// Small drawings (a few kilobytes) whose few entities a viewer could be made to draw billions of
// times: blocks nested with arrays, each cell holding one costly entity (fine dashes, area fills,
// wide pens, long texts, hatches of many loops, meshes, high-degree splines, large points). The
// renderer's tests, the DXF fuzz target's seeds and the drawing benchmark all use them. No Windows
// header.
#pragma once

#include "DxfBuilder.h"

#include <functional>
#include <string>
#include <vector>

namespace orvo::portable {

struct HostileDrawing
{
    const char* name;
    // The leaf entities of the innermost block, drawn around 0..100.
    std::function<void(DxfBuilder&)> leaf;
    // The *ACTIVE view: its height (0: the drawing opens fitted to its extents).
    double viewHeight;
};

namespace hostile {

// A line type of `elements` dashes and gaps of `length` each.
inline void AddFineLineType(DxfBuilder& b, int elements, double length)
{
    b.S(0, "LTYPE").S(2, "FINE").I(70, 0).S(3, "fine").I(72, 65).I(73, elements)
        .D(40, elements * length);
    for (int i = 0; i < elements; ++i)
        b.D(49, i % 2 == 0 ? length : -length).I(74, 0);
}

inline void AddLeafTables(DxfBuilder& b, double viewHeight)
{
    b.Section("TABLES");
    b.S(0, "TABLE").S(2, "LTYPE").I(70, 2);
    b.S(0, "LTYPE").S(2, "Continuous").I(70, 0).S(3, "Solid").I(72, 65).I(73, 0).D(40, 0.0);
    AddFineLineType(b, 64, 0.006);
    b.S(0, "ENDTAB");
    b.S(0, "TABLE").S(2, "LAYER").I(70, 1);
    b.S(0, "LAYER").S(2, "0").I(70, 0).I(62, 7).S(6, "Continuous");
    b.S(0, "ENDTAB");
    if (viewHeight > 0) {
        b.S(0, "TABLE").S(2, "VPORT").I(70, 1);
        b.S(0, "VPORT").S(2, "*ACTIVE").I(70, 0).P(12, 50.0, 50.0).D(40, viewHeight).D(41, 1.5)
            .P(16, 0.0, 0.0, 1.0).P(17, 0.0, 0.0, 0.0).D(51, 0.0);
        b.S(0, "ENDTAB");
    }
    b.EndSection();
}

inline void DashedLine(DxfBuilder& b)
{
    b.S(0, "LINE").S(8, "0").S(6, "FINE").P(10, 0, 50).P(11, 100, 50);
}

inline void FilledSolid(DxfBuilder& b)
{
    b.S(0, "SOLID").S(8, "0").P(10, 0, 0).P(11, 100, 0).P(12, 0, 100).P(13, 100, 100);
}

inline void WidePolyline(DxfBuilder& b)
{
    b.S(0, "LWPOLYLINE").S(8, "0").S(100, "AcDbPolyline").I(90, 4).I(70, 1).D(43, 60.0)
        .D(10, 0).D(20, 0).D(10, 100).D(20, 0).D(10, 100).D(20, 100).D(10, 0).D(20, 100);
}

inline void LongText(DxfBuilder& b)
{
    b.S(0, "TEXT").S(8, "0").P(10, 0, 40).D(40, 1.0).S(1, std::string(240, 'W'));
}

inline void WrappedMText(DxfBuilder& b)
{
    std::string words;
    for (int i = 0; i < 300; ++i)
        words += "Wm ";
    b.S(0, "MTEXT").S(8, "0").P(10, 0, 100).D(40, 2.0).D(41, 100.0).S(1, words);
}

// A hatch of 300 square loops, filled (even-odd) or hatched by four families of dashed lines.
inline void AddLoops(DxfBuilder& b, bool solid)
{
    constexpr int kLoops = 300;
    b.S(0, "HATCH").S(8, "0").S(100, "AcDbHatch").P(10, 0, 0).P(210, 0, 0, 1)
        .S(2, solid ? "SOLID" : "LOOPS").I(70, solid ? 1 : 0).I(71, 0).I(91, kLoops);
    for (int i = 0; i < kLoops; ++i) {
        const double o = i * 0.1;
        b.I(92, 2).I(72, 0).I(73, 1).I(93, 4).D(10, o).D(20, o).D(10, 100 - o).D(20, o)
            .D(10, 100 - o).D(20, 100 - o).D(10, o).D(20, 100 - o).I(97, 0);
    }
}

inline void SolidHatchOfLoops(DxfBuilder& b)
{
    AddLoops(b, true);
    b.I(75, 0).I(76, 1).I(98, 0);
}

inline void HatchOfLoops(DxfBuilder& b)
{
    AddLoops(b, false);
    b.I(75, 0).I(76, 1).D(52, 0.0).D(41, 1.0).I(77, 0).I(78, 4);
    for (int family = 0; family < 4; ++family) {
        b.D(53, family * 45.0).D(43, 0).D(44, 0).D(45, 0).D(46, 0.05).I(79, 2).D(49, 0.2).D(49, -0.1);
    }
    b.I(98, 0);
}

// A polyface mesh of 200 faces over 40 vertices.
inline void PolyfaceMesh(DxfBuilder& b)
{
    constexpr int kVertices = 40, kFaces = 200;
    b.S(0, "POLYLINE").S(8, "0").I(66, 1).P(10, 0, 0).I(70, 64).I(71, kVertices).I(72, kFaces);
    for (int i = 0; i < kVertices; ++i)
        b.S(0, "VERTEX").S(8, "0").P(10, (i % 8) * 14.0, (i / 8) * 25.0, i).I(70, 192);
    for (int f = 0; f < kFaces; ++f) {
        b.S(0, "VERTEX").S(8, "0").P(10, 0, 0).I(70, 128).I(71, 1 + f % kVertices)
            .I(72, 1 + (f * 7 + 3) % kVertices).I(73, 1 + (f * 13 + 5) % kVertices)
            .I(74, 1 + (f * 17 + 11) % kVertices);
    }
    b.S(0, "SEQEND").S(8, "0");
}

// A spline of degree 11 through 400 control points.
inline void HighDegreeSpline(DxfBuilder& b)
{
    constexpr int kDegree = 11, kControls = 400;
    b.S(0, "SPLINE").S(8, "0").S(100, "AcDbSpline").I(70, 8).I(71, kDegree)
        .I(72, kControls + kDegree + 1).I(73, kControls).I(74, 0);
    for (int k = 0; k < kControls + kDegree + 1; ++k)
        b.D(40, k < kDegree ? 0.0 : (k > kControls ? kControls : k));
    for (int i = 0; i < kControls; ++i)
        b.P(10, i * 0.25, (i % 2) * 100.0);
}

// Points drawn as a circle and a square four thousand pixels wide ($PDMODE 98).
inline void LargePoint(DxfBuilder& b)
{
    b.S(0, "POINT").S(8, "0").P(10, 50, 50);
}

inline void Circle(DxfBuilder& b)
{
    b.S(0, "CIRCLE").S(8, "0").S(6, "FINE").P(10, 50, 50).D(40, 50.0);
}

} // namespace hostile

// The drawings, by the costly entity their cells repeat.
inline const std::vector<HostileDrawing>& HostileDrawings()
{
    static const std::vector<HostileDrawing> all = {
        {"dashed-lines", hostile::DashedLine, 0.0},
        {"dashed-lines-zoomed", hostile::DashedLine, 0.05},
        {"filled-solids", hostile::FilledSolid, 0.0},
        {"wide-polylines", hostile::WidePolyline, 0.0},
        {"long-texts", hostile::LongText, 0.0},
        {"wrapped-mtext", hostile::WrappedMText, 0.0},
        {"hatch-of-loops", hostile::HatchOfLoops, 0.0},
        {"solid-hatch-of-loops", hostile::SolidHatchOfLoops, 0.0},
        {"polyface-mesh", hostile::PolyfaceMesh, 0.0},
        {"high-degree-spline", hostile::HighDegreeSpline, 0.0},
        {"large-points", hostile::LargePoint, 0.0},
        {"dashed-circles", hostile::Circle, 0.0},
    };
    return all;
}

// The drawing: its leaf in block L0, then `levels` blocks each holding a MINSERT of the one
// before in a `side` x `side` array of cells a thousandth apart (so the drawing keeps the leaf's
// extents), model space one insert of the last: side^(2 levels) leaves.
inline DxfBuilder BuildHostileDrawing(const HostileDrawing& drawing, int levels = 4, int side = 10)
{
    DxfBuilder b;
    b.Section("HEADER").S(9, "$ACADVER").S(1, "AC1015").S(9, "$DWGCODEPAGE").S(3, "ANSI_1252")
        .S(9, "$LTSCALE").D(40, 1.0).S(9, "$PDMODE").I(70, 98).S(9, "$PDSIZE").D(40, 1e6)
        .S(9, "$EXTMIN").P(10, 0, 0).S(9, "$EXTMAX").P(10, 100, 100).EndSection();
    hostile::AddLeafTables(b, drawing.viewHeight);
    b.Section("BLOCKS");
    b.S(0, "BLOCK").S(2, "L0").I(70, 0).P(10, 0, 0);
    drawing.leaf(b);
    b.S(0, "ENDBLK");
    for (int k = 1; k <= levels; ++k) {
        b.S(0, "BLOCK").S(2, "L" + std::to_string(k)).I(70, 0).P(10, 0, 0);
        b.S(0, "INSERT").S(8, "0").S(2, "L" + std::to_string(k - 1)).P(10, 0, 0).I(70, side)
            .I(71, side).D(44, 0.001).D(45, 0.001);
        b.S(0, "ENDBLK");
    }
    b.EndSection().Section("ENTITIES");
    b.S(0, "INSERT").S(8, "0").S(2, "L" + std::to_string(levels)).P(10, 0, 0);
    b.EndSection().Eof();
    return b;
}

} // namespace orvo::portable
