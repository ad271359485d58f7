// A generated DXF drawing that holds every entity type the reader knows, with tables, blocks with
// attributes, two layouts and the objects a viewer needs. Used by the reader tests and as a fuzz
// seed. No Windows header.
#pragma once

#include "DxfBuilder.h"

namespace orvo::portable {

inline void AddSampleTables(DxfBuilder& b)
{
    b.Section("TABLES");
    b.S(0, "TABLE").S(2, "LTYPE").I(70, 2);
    b.S(0, "LTYPE").S(5, "14").S(2, "Continuous").I(70, 0).S(3, "Solid line").I(72, 65).I(73, 0).D(40, 0.0);
    b.S(0, "LTYPE").S(5, "15").S(2, "DASHED").I(70, 0).S(3, "Dashed __ __").I(72, 65).I(73, 2)
        .D(40, 0.75).D(49, 0.5).I(74, 0).D(49, -0.25).I(74, 0);
    b.S(0, "ENDTAB");
    b.S(0, "TABLE").S(2, "LAYER").I(70, 4);
    b.S(0, "LAYER").S(5, "10").S(2, "0").I(70, 0).I(62, 7).S(6, "Continuous");
    b.S(0, "LAYER").S(5, "20").S(2, "Walls").I(70, 0).I(62, 1).S(6, "DASHED").I(370, 50);
    b.S(0, "LAYER").S(5, "21").S(2, "Hidden").I(70, 1).I(62, -3).S(6, "Continuous").I(290, 0);
    b.S(0, "LAYER").S(5, "22").S(2, "Truecolour").I(70, 4).I(62, 5).I(420, 0x123456).S(6, "Continuous");
    b.S(0, "ENDTAB");
    b.S(0, "TABLE").S(2, "STYLE").I(70, 2);
    b.S(0, "STYLE").S(5, "11").S(2, "Standard").I(70, 0).D(40, 0.0).D(41, 1.0).D(50, 0.0).I(71, 0)
        .S(3, "txt").S(4, "");
    b.S(0, "STYLE").S(5, "30").S(2, "Arial").I(70, 0).D(40, 0.0).D(41, 0.8).D(50, 15.0).I(71, 0)
        .S(3, "arial.ttf").S(4, "").S(1001, "ACAD").S(1000, "Arial").I(1071, 0x2000000);
    b.S(0, "ENDTAB");
    b.S(0, "TABLE").S(2, "VPORT").I(70, 1);
    b.S(0, "VPORT").S(5, "31").S(2, "*ACTIVE").I(70, 0).P(12, 50.0, 25.0).D(40, 60.0).D(41, 1.5)
        .P(16, 0.0, 0.0, 1.0).P(17, 0.0, 0.0, 0.0).D(51, 0.0);
    b.S(0, "ENDTAB");
    b.S(0, "TABLE").S(2, "DIMSTYLE").I(70, 1);
    b.S(0, "DIMSTYLE").S(105, "32").S(2, "Standard").I(70, 0).D(40, 2.0).D(41, 0.25).D(140, 0.3);
    b.S(0, "ENDTAB");
    b.S(0, "TABLE").S(2, "BLOCK_RECORD").I(70, 4);
    b.S(0, "BLOCK_RECORD").S(5, "1F").S(2, "*Model_Space").S(340, "22A");
    b.S(0, "BLOCK_RECORD").S(5, "1B").S(2, "*Paper_Space").S(340, "22B");
    b.S(0, "BLOCK_RECORD").S(5, "40").S(2, "Door");
    b.S(0, "BLOCK_RECORD").S(5, "41").S(2, "*D1");
    b.S(0, "ENDTAB");
    b.EndSection();
}

inline void AddSampleBlocks(DxfBuilder& b)
{
    b.Section("BLOCKS");
    b.S(0, "BLOCK").S(5, "42").S(330, "1F").S(100, "AcDbEntity").S(8, "0").S(100, "AcDbBlockBegin")
        .S(2, "*Model_Space").I(70, 0).P(10, 0, 0).S(3, "*Model_Space").S(1, "");
    b.S(0, "ENDBLK").S(5, "43").S(8, "0");
    b.S(0, "BLOCK").S(5, "44").S(330, "1B").S(8, "0").S(2, "*Paper_Space").I(70, 0).P(10, 0, 0);
    b.S(0, "ENDBLK").S(5, "45").S(8, "0");
    b.S(0, "BLOCK").S(5, "46").S(330, "40").S(8, "0").S(2, "Door").I(70, 2).P(10, 1.0, 2.0);
    b.S(0, "LINE").S(5, "47").S(8, "0").I(62, 0).P(10, 0, 0).P(11, 1, 0);
    b.S(0, "ATTDEF").S(5, "48").S(8, "0").P(10, 0, 1).D(40, 0.5).S(1, "D-1").S(100, "AcDbText")
        .S(100, "AcDbAttributeDefinition").S(3, "Door number").S(2, "NUMBER").I(70, 0).I(74, 2);
    b.S(0, "ENDBLK").S(5, "49").S(8, "0");
    b.S(0, "BLOCK").S(5, "4A").S(330, "41").S(8, "0").S(2, "*D1").I(70, 1).P(10, 0, 0);
    b.S(0, "LINE").S(5, "4B").S(8, "0").P(10, 0, 0).P(11, 10, 0);
    b.S(0, "MTEXT").S(5, "4C").S(8, "0").P(10, 5, 1).D(40, 0.3).I(71, 8).S(1, "10");
    b.S(0, "ENDBLK").S(5, "4D").S(8, "0");
    b.EndSection();
}

inline void AddSampleEntities(DxfBuilder& b)
{
    b.Section("ENTITIES");
    b.S(0, "LINE").S(5, "100").S(100, "AcDbEntity").S(8, "Walls").I(62, 3).D(48, 2.0).I(370, 35)
        .S(100, "AcDbLine").P(10, 1, 2, 3).P(11, 4, 5, 6);
    b.S(0, "POINT").S(5, "101").S(8, "0").P(10, 7, 8, 0);
    b.S(0, "CIRCLE").S(5, "102").S(8, "0").S(100, "AcDbCircle").D(39, 2.0).P(10, 10, 10).D(40, 5.0)
        .P(210, 0, 0, -1);
    b.S(0, "ARC").S(5, "103").S(8, "0").P(10, 0, 0).D(40, 2.0).S(100, "AcDbArc").D(50, 90.0).D(51, 180.0);
    b.S(0, "ELLIPSE").S(5, "104").S(8, "0").P(10, 0, 0).P(11, 4, 0).D(40, 0.5).D(41, 0.0).D(42, 3.14159);
    b.S(0, "RAY").S(5, "105").S(8, "0").P(10, 1, 1).P(11, 1, 0);
    b.S(0, "XLINE").S(5, "106").S(8, "0").P(10, 2, 2).P(11, 0, 1);
    b.S(0, "LWPOLYLINE").S(5, "107").S(8, "0").S(100, "AcDbPolyline").I(90, 3).I(70, 1).D(43, 0.0)
        .D(10, 0).D(20, 0).D(42, 1.0).D(10, 10).D(20, 0).D(40, 0.5).D(41, 1.0).D(10, 10).D(20, 10);
    b.S(0, "POLYLINE").S(5, "108").S(8, "0").I(66, 1).P(10, 0, 0, 2.5).I(70, 0);
    b.S(0, "VERTEX").S(5, "109").S(8, "0").P(10, 0, 0).D(42, 0.5);
    b.S(0, "VERTEX").S(5, "10A").S(8, "0").P(10, 5, 0);
    b.S(0, "SEQEND").S(5, "10B").S(8, "0");
    b.S(0, "POLYLINE").S(5, "10C").S(8, "0").I(66, 1).P(10, 0, 0).I(70, 8);
    b.S(0, "VERTEX").S(5, "10D").S(8, "0").P(10, 0, 0, 1).I(70, 32);
    b.S(0, "VERTEX").S(5, "10E").S(8, "0").P(10, 1, 1, 2).I(70, 32);
    b.S(0, "SEQEND").S(5, "10F").S(8, "0");
    b.S(0, "POLYLINE").S(5, "110").S(8, "0").I(66, 1).P(10, 0, 0).I(70, 16).I(71, 2).I(72, 2);
    for (int i = 0; i < 4; ++i)
        b.S(0, "VERTEX").S(8, "0").P(10, i / 2, i % 2, i).I(70, 64);
    b.S(0, "SEQEND").S(8, "0");
    b.S(0, "POLYLINE").S(5, "111").S(8, "0").I(66, 1).P(10, 0, 0).I(70, 64).I(71, 3).I(72, 1);
    b.S(0, "VERTEX").S(8, "0").P(10, 0, 0).I(70, 192);
    b.S(0, "VERTEX").S(8, "0").P(10, 1, 0).I(70, 192);
    b.S(0, "VERTEX").S(8, "0").P(10, 0, 1).I(70, 192);
    b.S(0, "VERTEX").S(8, "0").P(10, 0, 0).I(70, 128).I(71, 1).I(72, 2).I(73, -3);
    b.S(0, "SEQEND").S(8, "0");
    b.S(0, "SPLINE").S(5, "112").S(8, "0").S(100, "AcDbSpline").I(70, 8).I(71, 3).I(72, 8).I(73, 4)
        .I(74, 0);
    for (double k : {0.0, 0.0, 0.0, 0.0, 1.0, 1.0, 1.0, 1.0})
        b.D(40, k);
    b.P(10, 0, 0).P(10, 1, 2).P(10, 3, 2).P(10, 4, 0);
    b.S(0, "TEXT").S(5, "113").S(8, "Walls").S(100, "AcDbText").P(10, 1, 1).D(40, 2.5)
        .S(1, "Hello %%c").D(50, 30.0).S(7, "Arial").I(72, 1).P(11, 5, 1).S(100, "AcDbText").I(73, 2);
    b.S(0, "MTEXT").S(5, "114").S(8, "0").S(100, "AcDbMText").P(10, 0, 20).D(40, 1.0).D(41, 30.0)
        .I(71, 5).I(72, 1).S(3, "First chunk ").S(1, "\\Pline two {\\H2x;big} \\S1/2;").S(7, "Standard")
        .P(11, 0, 1).D(44, 1.5);
    b.S(0, "INSERT").S(5, "115").S(8, "0").I(66, 1).S(2, "Door").P(10, 20, 0).D(41, 2.0).D(42, 2.0)
        .D(43, 1.0).D(50, 45.0).I(70, 2).I(71, 3).D(44, 5.0).D(45, 6.0);
    b.S(0, "ATTRIB").S(5, "116").S(8, "0").S(100, "AcDbText").P(10, 20, 2).D(40, 0.5).S(1, "D-42")
        .S(100, "AcDbAttribute").S(2, "NUMBER").I(70, 0).I(74, 1);
    b.S(0, "SEQEND").S(5, "117").S(8, "0");
    b.S(0, "DIMENSION").S(5, "118").S(8, "0").S(100, "AcDbDimension").S(2, "*D1").P(10, 10, 0)
        .P(11, 5, 1).I(70, 32).S(1, "").S(3, "Standard").D(42, 10.0).S(100, "AcDbAlignedDimension")
        .P(13, 0, 0).P(14, 10, 0);
    b.S(0, "LEADER").S(5, "119").S(8, "0").S(100, "AcDbLeader").S(3, "Standard").I(71, 1).I(72, 0)
        .I(76, 3).P(10, 0, 0).P(10, 2, 2).P(10, 4, 2);
    b.S(0, "MULTILEADER").S(5, "11A").S(8, "0").S(100, "AcDbMLeader").S(300, "CONTEXT_DATA{")
        .D(40, 1.0).P(10, 10, 10).D(41, 0.4).D(140, 0.3).I(290, 1).S(304, "Note text")
        .P(12, 12, 10).P(13, 1, 0).D(43, 5.0).I(290, 0).S(302, "LEADER{").P(10, 11, 10)
        .S(304, "LEADER_LINE{").P(10, 5, 5).S(305, "}").S(303, "}").S(301, "}");
    b.S(0, "MLINE").S(5, "11B").S(8, "0").S(100, "AcDbMline").S(2, "STANDARD").S(340, "50")
        .D(40, 1.0).I(70, 0).I(71, 1).I(72, 2).I(73, 2).P(10, 0, 0);
    for (int i = 0; i < 2; ++i) {
        b.P(11, i * 10.0, 0).P(12, 1, 0).P(13, 0, 1);
        b.I(74, 1).D(41, 0.5).I(75, 0).I(74, 1).D(41, -0.5).I(75, 0);
    }
    b.S(0, "HATCH").S(5, "11C").S(8, "0").S(100, "AcDbHatch").P(10, 0, 0).P(210, 0, 0, 1)
        .S(2, "ANSI31").I(70, 0).I(71, 0).I(91, 2)
        .I(92, 7).I(72, 1).I(73, 1).I(93, 4).D(10, 0).D(20, 0).D(42, 0).D(10, 10).D(20, 0).D(42, 0)
        .D(10, 10).D(20, 10).D(42, 0).D(10, 0).D(20, 10).D(42, 0).I(97, 0)
        .I(92, 1).I(93, 2).I(72, 1).D(10, 2).D(20, 2).D(11, 4).D(21, 2)
        .I(72, 2).D(10, 3).D(20, 2).D(40, 1).D(50, 0).D(51, 180).I(73, 1).I(97, 0)
        .I(75, 0).I(76, 1).D(52, 0.0).D(41, 1.0).I(77, 0).I(78, 1)
        .D(53, 45.0).D(43, 0).D(44, 0).D(45, -0.0883883).D(46, 0.0883883).I(79, 0).I(98, 0);
    b.S(0, "HATCH").S(5, "11D").S(8, "0").S(100, "AcDbHatch").P(10, 0, 0).P(210, 0, 0, 1)
        .S(2, "SOLID").I(70, 1).I(71, 0).I(91, 1).I(92, 2).I(72, 0).I(73, 1).I(93, 3)
        .D(10, 0).D(20, 0).D(10, 1).D(20, 0).D(10, 0).D(20, 1).I(97, 0).I(75, 0).I(76, 1).I(98, 0);
    b.S(0, "SOLID").S(5, "11E").S(8, "0").P(10, 0, 0).P(11, 1, 0).P(12, 0, 1).P(13, 1, 1);
    b.S(0, "TRACE").S(5, "11F").S(8, "0").P(10, 0, 0).P(11, 1, 0).P(12, 0, 1).P(13, 1, 1);
    b.S(0, "3DFACE").S(5, "120").S(8, "0").P(10, 0, 0, 0).P(11, 1, 0, 0).P(12, 1, 1, 1).I(70, 2);
    b.S(0, "IMAGE").S(5, "121").S(8, "0").S(100, "AcDbRasterImage").P(10, 0, 0).P(11, 0.1, 0)
        .P(12, 0, 0.1).D(13, 640).D(23, 480).S(340, "60").I(280, 1).I(71, 1).I(91, 2)
        .D(14, -0.5).D(24, -0.5).D(14, 639.5).D(24, 479.5);
    b.S(0, "WIPEOUT").S(5, "122").S(8, "0").S(100, "AcDbWipeout").P(10, 1, 1).P(11, 1, 0).P(12, 0, 1)
        .D(13, 1).D(23, 1).I(280, 1);
    b.S(0, "VIEWPORT").S(5, "123").S(100, "AcDbEntity").S(8, "0").I(67, 1).S(100, "AcDbViewport")
        .P(10, 100, 80).D(40, 150).D(41, 100).I(68, 2).I(69, 2).P(12, 50, 25).P(16, 0, 0, 1)
        .P(17, 0, 0, 0).D(45, 60).D(51, 0).S(341, "21");
    b.S(0, "LINE").S(5, "124").S(8, "0").I(67, 1).P(10, 0, 0).P(11, 297, 210);
    b.S(0, "UNKNOWNTHING").S(5, "125").S(8, "0").D(10, 1);
    b.EndSection();
}

inline void AddSampleObjects(DxfBuilder& b)
{
    b.Section("OBJECTS");
    b.S(0, "LAYOUT").S(5, "22A").S(100, "AcDbPlotSettings").S(1, "").D(44, 0).D(45, 0)
        .S(100, "AcDbLayout").S(1, "Model").I(70, 1).I(71, 0).S(330, "1F");
    b.S(0, "LAYOUT").S(5, "22C").S(100, "AcDbPlotSettings").S(1, "").D(44, 420).D(45, 297)
        .S(100, "AcDbLayout").S(1, "Second").I(70, 1).I(71, 2).S(330, "99");
    b.S(0, "LAYOUT").S(5, "22B").S(100, "AcDbPlotSettings").S(1, "").D(44, 297).D(45, 210)
        .S(100, "AcDbLayout").S(1, "Sheet A").I(70, 1).I(71, 1).P(10, 0, 0).P(11, 297, 210)
        .S(330, "1B");
    b.S(0, "IMAGEDEF").S(5, "60").S(100, "AcDbRasterImageDef").S(1, "photos\\site.jpg").D(10, 640)
        .D(20, 480);
    b.S(0, "MLINESTYLE").S(5, "50").S(100, "AcDbMlineStyle").S(2, "STANDARD").I(70, 0).S(3, "")
        .I(62, 256).D(51, 90).D(52, 90).I(71, 2).D(49, 0.5).I(62, 1).S(6, "BYLAYER").D(49, -0.5)
        .I(62, 5).S(6, "BYLAYER");
    b.S(0, "XRECORD").S(5, "70").S(100, "AcDbXrecord").I(280, 1).S(1, "DWGPROPS COOKIE")
        .S(2, "The title").S(3, "Subject").S(4, "Author Name").S(6, "Comments").S(7, "key words")
        .S(8, "Saver").S(9, "3").D(40, 1.5).S(300, "Client=Halvorn").S(301, "Job=42").S(1, "http://x");
    b.EndSection();
}

// The whole drawing for a version (2000 and later layout).
inline DxfBuilder SampleDrawing(const std::string& acadVer = "AC1015")
{
    DxfBuilder b;
    b.S(999, "generated for the reader tests");
    b.Header(acadVer);
    AddSampleTables(b);
    AddSampleBlocks(b);
    AddSampleEntities(b);
    AddSampleObjects(b);
    b.Eof();
    return b;
}

} // namespace orvo::portable
