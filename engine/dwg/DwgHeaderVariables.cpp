#include "engine/dwg/DwgHeaderVariables.h"

namespace orvo::dwg {

namespace {

// The section's three streams: fields, texts (2007 on: a stream of their own) and handle
// references (2007 on: after the texts; before, among the fields).
class HeaderStreams
{
public:
    explicit HeaderStreams(DwgSectionBody& body)
        : d(body.data), t(body.HasText() ? body.text : body.data),
          h(body.data.AtLeast(DwgVersion::R2007) ? body.handles : body.data)
    {
    }

    bool Since(DwgVersion version) const { return d.AtLeast(version); }
    bool Until(DwgVersion version) const { return d.Version() <= version; }
    bool Failed() const { return d.Failed() || t.Failed() || h.Failed(); }

    void SkipB(int count) { for (int i = 0; i < count; ++i) d.B(); }
    void SkipBS(int count) { for (int i = 0; i < count; ++i) d.BS(); }
    void SkipBL(int count) { for (int i = 0; i < count; ++i) d.BL(); }
    void SkipBD(int count) { for (int i = 0; i < count; ++i) d.BD(); }
    void SkipBD3(int count) { for (int i = 0; i < count; ++i) d.BD3(); }
    void SkipRC(int count) { for (int i = 0; i < count; ++i) d.RC(); }
    void SkipH(int count) { for (int i = 0; i < count; ++i) h.H(); }
    void SkipTV(int count) { for (int i = 0; i < count; ++i) t.TV(); }
    void SkipCMC(int count) { for (int i = 0; i < count; ++i) d.CMC(&t); }
    uint64_t Handle() { return h.H().value; }
    // A date as a Julian day with its fraction: whole days, then milliseconds.
    double Date()
    {
        const double days = d.BL();
        const double milliseconds = d.BL();
        return days + milliseconds / 86400000.0;
    }

    DwgBitReader& d;
    DwgBitReader& t;
    DwgBitReader& h;
};

void ReadFlags(HeaderStreams& s, RkDb::DrawingHeader& header)
{
    if (s.Since(DwgVersion::R2013))
        s.d.BLL(); // required versions
    s.SkipBD(4);
    s.SkipTV(4);
    s.SkipBL(2);
    if (s.Until(DwgVersion::R14))
        s.d.BS();
    if (s.Until(DwgVersion::R2000))
        s.SkipH(1); // current viewport entity header
    s.SkipB(s.Until(DwgVersion::R14) ? 3 : 2); // DIMASO, DIMSHO (DIMSAV)
    s.SkipB(3); // PLINEGEN, ORTHOMODE, REGENMODE
    header.fillMode = s.d.B() != 0;
    s.d.B(); // QTEXTMODE
    header.psLtScale = s.d.B() != 0;
    s.d.B(); // LIMCHECK
    if (s.Until(DwgVersion::R14) || s.Since(DwgVersion::R2004))
        s.d.B(); // BLIPMODE; from 2004 a flag of its own
    s.SkipB(4); // USRTIMER, SKPOLY, ANGDIR, SPLFRAME
    if (s.Until(DwgVersion::R14))
        s.SkipB(2); // ATTREQ, ATTDIA
    s.SkipB(2); // MIRRTEXT, WORLDVIEW
    if (s.Until(DwgVersion::R14))
        s.d.B(); // WIREFRAME
    header.tileMode = s.d.B() != 0;
    s.SkipB(2); // PLIMCHECK, VISRETAIN
    if (s.Until(DwgVersion::R14))
        s.d.B(); // DELOBJ
    s.SkipB(2); // DISPSILH, PELLIPSE
}

void ReadModes(HeaderStreams& s, RkDb::DrawingHeader& header)
{
    s.d.BS(); // PROXYGRAPHICS
    if (s.Until(DwgVersion::R14))
        s.d.BS(); // DRAGMODE
    s.d.BS(); // TREEDEPTH
    header.lunits = s.d.BS();
    header.luprec = s.d.BS();
    header.aunits = s.d.BS();
    header.auprec = s.d.BS();
    if (s.Until(DwgVersion::R14))
        s.d.BS(); // OSMODE
    header.attMode = s.d.BS();
    if (s.Until(DwgVersion::R14))
        s.d.BS(); // COORDS
    header.pdMode = static_cast<int16_t>(s.d.BS());
    if (s.Until(DwgVersion::R14))
        s.d.BS(); // PICKSTYLE
    if (s.Since(DwgVersion::R2004))
        s.SkipBL(3);
    s.SkipBS(5);  // USERI1-5
    s.SkipBS(14); // SPLINESEGS .. TEXTQLTY
}

void ReadScales(HeaderStreams& s, RkDb::DrawingHeader& header)
{
    header.ltScale = s.d.BD();
    header.textSize = s.d.BD();
    s.SkipBD(5); // TRACEWID, SKETCHINC, FILLETRAD, THICKNESS, ANGBASE
    header.pdSize = s.d.BD();
    s.d.BD();     // PLINEWID
    s.SkipBD(5);  // USERR1-5
    s.SkipBD(6);  // CHAMFERA-D, FACETRES, CMLSCALE
    header.celtScale = s.d.BD();
    if (s.Until(DwgVersion::R2004))
        s.t.TV(); // MENUNAME
    header.tdCreate = s.Date();
    header.tdUpdate = s.Date();
    if (s.Since(DwgVersion::R2004))
        s.SkipBL(3);
    header.tdInDwg = s.Date();
    s.Date(); // TDUSRTIMER
    s.d.CMC(&s.t); // CECOLOR
}

void ReadCurrentRecords(HeaderStreams& s, DwgHeaderRefs& refs)
{
    // HANDSEED sits among the fields in every release.
    s.d.H();
    refs.layer = s.Handle();
    refs.textStyle = s.Handle();
    refs.lineType = s.Handle();
    if (s.Since(DwgVersion::R2007))
        s.Handle(); // CMATERIAL
    refs.dimStyle = s.Handle();
    refs.mlineStyle = s.Handle();
    if (s.Since(DwgVersion::R2000))
        s.d.BD(); // PSVPSCALE
}

// INSBASE, EXTMIN, EXTMAX, LIMMIN, LIMMAX, ELEVATION and the UCS of one space.
void ReadSpace(HeaderStreams& s, RkDb::Vec3& insBase, RkDb::Vec3& extMin, RkDb::Vec3& extMax,
               RkDb::Vec2& limMin, RkDb::Vec2& limMax)
{
    const auto vec3 = [](const DwgPoint3& p) { return RkDb::Vec3{p.x, p.y, p.z}; };
    insBase = vec3(s.d.BD3());
    extMin = vec3(s.d.BD3());
    extMax = vec3(s.d.BD3());
    const DwgPoint3 low = s.d.RD2();
    const DwgPoint3 high = s.d.RD2();
    limMin = {low.x, low.y};
    limMax = {high.x, high.y};
    s.d.BD();     // ELEVATION
    s.SkipBD3(3); // UCSORG, UCSXDIR, UCSYDIR
    s.SkipH(1);   // UCSNAME
    if (s.Since(DwgVersion::R2000)) {
        s.SkipH(1);   // UCSORTHOREF
        s.d.BS();     // UCSORTHOVIEW
        s.SkipH(1);   // UCSBASE
        s.SkipBD3(6); // UCSORG TOP .. BACK
    }
}

void ReadSpaces(HeaderStreams& s, RkDb::DrawingHeader& header)
{
    RkDb::Vec3 insBase, extMin, extMax;
    RkDb::Vec2 limMin, limMax;
    ReadSpace(s, insBase, extMin, extMax, limMin, limMax); // paper space: not kept
    ReadSpace(s, header.insBase, header.extMin, header.extMax, header.limMin, header.limMax);
    if (s.Since(DwgVersion::R2000))
        s.SkipTV(2); // DIMPOST, DIMAPOST
}

void ReadDimensionVariables(HeaderStreams& s, RkDb::DrawingHeader& header)
{
    if (s.Until(DwgVersion::R14)) {
        s.SkipB(11); // DIMTOL .. DIMSOXD
        s.SkipRC(2); // DIMALTD, DIMZIN
        s.SkipB(2);  // DIMSD1, DIMSD2
        s.SkipRC(3); // DIMTOLJ, DIMJUST, DIMFIT
        s.d.B();     // DIMUPT
        s.SkipRC(4); // DIMTZIN, DIMALTZ, DIMALTTZ, DIMTAD
        s.SkipBS(6); // DIMUNIT .. DIMALTTD
        s.SkipH(1);  // DIMTXSTY
    }
    header.dimScale = s.d.BD();
    header.dimArrowSize = s.d.BD();
    s.SkipBD(7); // DIMEXO, DIMDLI, DIMEXE, DIMRND, DIMDLE, DIMTP, DIMTM
    if (s.Since(DwgVersion::R2007)) {
        s.SkipBD(2); // DIMFXL, DIMJOGANG
        s.d.BS();    // DIMTFILL
        s.SkipCMC(1);
    }
    if (s.Since(DwgVersion::R2000)) {
        s.SkipB(6);  // DIMTOL .. DIMSE2
        s.SkipBS(3); // DIMTAD, DIMZIN, DIMAZIN
    }
    if (s.Since(DwgVersion::R2007))
        s.d.BS(); // DIMARCSYM
    header.dimTextHeight = s.d.BD();
    s.SkipBD(7); // DIMCEN .. DIMGAP
    if (s.Until(DwgVersion::R14))
        s.SkipTV(5); // DIMPOST, DIMAPOST, DIMBLK, DIMBLK1, DIMBLK2
    if (s.Since(DwgVersion::R2000)) {
        s.d.BD();    // DIMALTRND
        s.d.B();     // DIMALT
        s.d.BS();    // DIMALTD
        s.SkipB(4);  // DIMTOFL, DIMSAH, DIMTIX, DIMSOXD
    }
    s.SkipCMC(3); // DIMCLRD, DIMCLRE, DIMCLRT
}

void ReadDimensionVariables2000(HeaderStreams& s)
{
    if (!s.Since(DwgVersion::R2000))
        return;
    s.SkipBS(11); // DIMADEC .. DIMJUST
    s.SkipB(2);   // DIMSD1, DIMSD2
    s.SkipBS(4);  // DIMTOLJ, DIMTZIN, DIMALTZ, DIMALTTZ
    s.d.B();      // DIMUPT
    s.d.BS();     // DIMATFIT
    if (s.Since(DwgVersion::R2007))
        s.d.B(); // DIMFXLON
    if (s.Since(DwgVersion::R2010)) {
        s.d.B();  // DIMTXTDIRECTION
        s.d.BD(); // DIMALTMZF
        s.t.TV(); // DIMALTMZS
        s.d.BD(); // DIMMZF
        s.t.TV(); // DIMMZS
    }
    s.SkipH(5); // DIMTXSTY, DIMLDRBLK, DIMBLK, DIMBLK1, DIMBLK2
    if (s.Since(DwgVersion::R2007))
        s.SkipH(3); // DIMLTYPE, DIMLTEX1, DIMLTEX2
    s.SkipBS(2); // DIMLWD, DIMLWE
}

void ReadTrailer(HeaderStreams& s, RkDb::DrawingHeader& header)
{
    s.SkipH(9); // the table control objects
    if (s.Until(DwgVersion::R2000))
        s.SkipH(1); // viewport entity header control
    s.SkipH(3); // ACAD_GROUP, ACAD_MLINESTYLE and the named objects dictionaries
    if (!s.Since(DwgVersion::R2000))
        return;
    s.SkipBS(2); // TSTACKALIGN, TSTACKSIZE
    s.SkipTV(2); // HYPERLINKBASE, STYLESHEET
    s.SkipH(3);  // layouts, plot settings, plot styles dictionaries
    if (s.Since(DwgVersion::R2004))
        s.SkipH(2); // materials, colours
    if (s.Since(DwgVersion::R2007))
        s.SkipH(1); // visual styles
    if (s.Since(DwgVersion::R2013))
        s.SkipH(1);
    const uint32_t flags = s.d.BL();
    header.lwDisplay = (flags & 0x200) == 0; // stored inverted
    header.insUnits = s.d.BS();
}

bool ReadAll(DwgSectionBody& body, RkDb::DrawingHeader& header, DwgHeaderRefs& refs)
{
    HeaderStreams s(body);
    ReadFlags(s, header);
    ReadModes(s, header);
    ReadScales(s, header);
    ReadCurrentRecords(s, refs);
    ReadSpaces(s, header);
    ReadDimensionVariables(s, header);
    ReadDimensionVariables2000(s);
    ReadTrailer(s, header);
    return !s.Failed();
}

} // namespace

bool ReadHeaderVariables(const std::vector<uint8_t>& section, DwgVersion version, uint8_t maintenanceVersion,
                         const RkDxf::DxfTextDecoder* decoder, RkDb::DrawingHeader& header, DwgHeaderRefs& refs)
{
    DwgSectionBody body;
    if (section.empty() || !OpenSectionBody(section, version, maintenanceVersion, body))
        return false;
    body.data.SetTextDecoder(decoder);
    body.text.SetTextDecoder(decoder);
    RkDb::DrawingHeader read = header;
    DwgHeaderRefs readRefs;
    if (!ReadAll(body, read, readRefs))
        return false;
    header = std::move(read);
    refs = readRefs;
    return true;
}

int ReadMeasurement(const std::vector<uint8_t>& section, DwgVersion version)
{
    if (version <= DwgVersion::R2000) {
        // Four bytes: zero for imperial units, anything else for metric.
        if (section.size() != 4)
            return -1;
        return section[0] != 0 || section[1] != 0 || section[2] != 0 || section[3] != 0 ? 1 : 0;
    }
    // A description (its length in characters, then the characters: UTF-16 from 2007 on), then
    // the variable as a short.
    if (section.size() < 2)
        return -1;
    const uint64_t length = static_cast<uint64_t>(section[0] | (section[1] << 8)) *
                            (version >= DwgVersion::R2007 ? 2 : 1);
    if (length + 4 > section.size())
        return -1;
    const uint16_t value = static_cast<uint16_t>(section[2 + length] | (section[3 + length] << 8));
    return value == 0 ? 0 : value == 1 ? 1 : -1;
}

} // namespace orvo::dwg
