#include "engine/write/DwgHeaderEncoder.h"

#include "engine/write/DwgBitWriter.h"
#include "engine/write/TextEncoding.h"

#include <cmath>

namespace RkWrite {

using RkDb::DwgVersion;

namespace {

class HeaderWriter
{
public:
    HeaderWriter(DwgVersion version, int codePage) : d(version), m_codePage(codePage) {}

    bool UpTo14() const { return d.Version() <= DwgVersion::R14; }
    bool From2000() const { return d.Version() >= DwgVersion::R2000; }
    bool From2004() const { return d.Version() >= DwgVersion::R2004; }
    void Bs(int count, bool value = false) { for (int i = 0; i < count; ++i) d.B(value); }
    void Shorts(int count, std::uint16_t value = 0) { for (int i = 0; i < count; ++i) d.BS(value); }
    void Doubles(int count, double value = 0.0) { for (int i = 0; i < count; ++i) d.BD(value); }
    void Text(const std::string& utf8) { d.TV(EncodeText(m_codePage, utf8)); }
    void Date(double julian)
    {
        const double days = std::floor(julian > 0.0 && julian < 1e7 ? julian : 0.0);
        d.BL(static_cast<std::uint32_t>(days));
        d.BL(static_cast<std::uint32_t>(std::lround((julian - days) * 86400000.0)) % 86400000u);
    }
    void Point(const RkDb::Vec3& p) { d.BD3(p.x, p.y, p.z); }

    DwgBitWriter d;

private:
    int m_codePage;
};

void Flags(HeaderWriter& w, const RkDb::DrawingHeader& h)
{
    DwgBitWriter& d = w.d;
    d.BD(412148564080.0);
    w.Doubles(3, 1.0);
    w.Text("m");
    w.Text("");
    w.Text("");
    w.Text("");
    d.BL(24);
    d.BL(0);
    if (w.UpTo14())
        d.BS(0);
    if (!w.From2004())
        d.H(5, 0); // current viewport entity header
    w.Bs(w.UpTo14() ? 3 : 2, true); // DIMASO, DIMSHO (DIMSAV)
    d.B(false);                      // PLINEGEN
    d.B(false);                      // ORTHOMODE
    d.B(true);                       // REGENMODE
    d.B(h.fillMode);
    d.B(false);                      // QTEXTMODE
    d.B(h.psLtScale);
    d.B(false);                      // LIMCHECK
    if (w.UpTo14() || w.From2004())
        d.B(false);                  // BLIPMODE; from 2004 a flag of its own
    d.B(true);                       // USRTIMER
    d.B(false);                      // SKPOLY
    d.B(false);                      // ANGDIR
    d.B(false);                      // SPLFRAME
    if (w.UpTo14())
        w.Bs(2);                     // ATTREQ, ATTDIA
    d.B(true);                       // MIRRTEXT
    d.B(true);                       // WORLDVIEW
    if (w.UpTo14())
        d.B(false);                  // WIREFRAME
    d.B(h.tileMode);
    d.B(false);                      // PLIMCHECK
    d.B(false);                      // VISRETAIN
    if (w.UpTo14())
        d.B(true);                   // DELOBJ
    d.B(false);                      // DISPSILH
    d.B(false);                      // PELLIPSE
}

void Modes(HeaderWriter& w, const RkDb::DrawingHeader& h)
{
    DwgBitWriter& d = w.d;
    d.BS(1); // PROXYGRAPHICS
    if (w.UpTo14())
        d.BS(2); // DRAGMODE
    d.BS(3020); // TREEDEPTH
    d.BS(static_cast<std::uint16_t>(h.lunits));
    d.BS(static_cast<std::uint16_t>(h.luprec));
    d.BS(static_cast<std::uint16_t>(h.aunits));
    d.BS(static_cast<std::uint16_t>(h.auprec));
    if (w.UpTo14())
        d.BS(0); // OSMODE
    d.BS(static_cast<std::uint16_t>(h.attMode));
    if (w.UpTo14())
        d.BS(1); // COORDS
    d.BS(static_cast<std::uint16_t>(h.pdMode));
    if (w.UpTo14())
        d.BS(1); // PICKSTYLE
    if (w.From2004()) {
        d.BL(0);
        d.BL(0);
        d.BL(0);
    }
    w.Shorts(5); // USERI1-5
    // SPLINESEGS, SURFU, SURFV, SURFTYPE, SURFTAB1, SURFTAB2, SPLINETYPE, SHADEDGE, SHADEDIF,
    // UNITMODE, MAXACTVP, ISOLINES, CMLJUST, TEXTQLTY
    static constexpr std::uint16_t kValues[14] = {8, 6, 6, 6, 6, 6, 6, 3, 70, 0, 64, 4, 0, 50};
    for (const std::uint16_t v : kValues)
        d.BS(v);
}

void Scales(HeaderWriter& w, const RkDb::DrawingHeader& h)
{
    DwgBitWriter& d = w.d;
    d.BD(h.ltScale);
    d.BD(h.textSize);
    d.BD(0.05);  // TRACEWID
    d.BD(0.1);   // SKETCHINC
    d.BD(0.5);   // FILLETRAD
    d.BD(0.0);   // THICKNESS
    d.BD(0.0);   // ANGBASE
    d.BD(h.pdSize);
    d.BD(0.0);   // PLINEWID
    w.Doubles(5); // USERR1-5
    w.Doubles(4, 0.5); // CHAMFERA-D
    d.BD(0.5);   // FACETRES
    d.BD(1.0);   // CMLSCALE
    d.BD(h.celtScale);
    w.Text("acad"); // MENUNAME
    w.Date(h.tdCreate);
    w.Date(h.tdUpdate);
    if (w.From2004()) {
        d.BL(0);
        d.BL(0);
        d.BL(0);
    }
    w.Date(0.0); // TDINDWG
    w.Date(0.0); // TDUSRTIMER
    d.CMC(256);  // CECOLOR
}

void CurrentRecords(HeaderWriter& w, const DwgHeaderRefs& refs)
{
    DwgBitWriter& d = w.d;
    d.H(0, refs.seed);
    d.H(5, refs.layer);
    d.H(5, refs.style);
    d.H(5, refs.lineType);
    d.H(5, refs.dimStyle);
    d.H(5, refs.mlineStyle);
    if (w.From2000())
        d.BD(0.0); // PSVPSCALE
}

void Space(HeaderWriter& w, const RkDb::Vec3& insBase, const RkDb::Vec3& extMin, const RkDb::Vec3& extMax,
           const RkDb::Vec2& limMin, const RkDb::Vec2& limMax)
{
    DwgBitWriter& d = w.d;
    w.Point(insBase);
    w.Point(extMin);
    w.Point(extMax);
    d.RD2(limMin.x, limMin.y);
    d.RD2(limMax.x, limMax.y);
    d.BD(0.0); // ELEVATION
    d.BD3(0.0, 0.0, 0.0);
    d.BD3(1.0, 0.0, 0.0);
    d.BD3(0.0, 1.0, 0.0);
    d.H(5, 0); // UCSNAME
    if (w.From2000()) {
        d.H(5, 0); // UCSORTHOREF
        d.BS(0);   // UCSORTHOVIEW
        d.H(5, 0); // UCSBASE
        for (int i = 0; i < 6; ++i)
            d.BD3(0.0, 0.0, 0.0);
    }
}

void DimensionVariables(HeaderWriter& w, const RkDb::DrawingHeader& h, const DwgHandles& handles)
{
    const DwgDimValues values{h.dimScale, h.dimArrowSize, h.dimTextHeight};
    EncodeDimensionVariables(w.d, w.d, values, handles.standardStyle);
}

void Dictionaries(HeaderWriter& w, const RkDb::DrawingHeader& h, const DwgHandles& handles)
{
    DwgBitWriter& d = w.d;
    for (int i = 0; i < DwgHandles::kVpEntity; ++i)
        d.H(3, handles.controls[i]);
    if (!w.From2004())
        d.H(3, handles.controls[DwgHandles::kVpEntity]);
    d.H(5, handles.groupDict);
    d.H(5, handles.mlineDict);
    d.H(5, handles.namedDict);
    if (!w.From2000())
        return;
    d.BS(1);   // TSTACKALIGN
    d.BS(70);  // TSTACKSIZE
    w.Text(""); // HYPERLINKBASE
    w.Text(""); // STYLESHEET
    d.H(5, handles.layoutDict); // layouts, plot settings, plot styles dictionaries
    d.H(5, 0);
    d.H(5, 0);
    if (w.From2004()) {
        d.H(5, 0); // materials, colours dictionaries
        d.H(5, 0);
    }
    // CELWEIGHT by layer (29) in the low bits; LWDISPLAY is stored inverted.
    const std::uint32_t flags = 29u | (h.lwDisplay ? 0u : 0x200u);
    d.BL(flags);
    d.BS(static_cast<std::uint16_t>(h.insUnits));
    d.BS(0);   // CEPSNTYPE: by layer
    w.Text("{00000000-0000-0000-0000-000000000000}"); // FINGERPRINTGUID, VERSIONGUID
    w.Text("{00000000-0000-0000-0000-000000000000}");
    if (!w.From2004())
        return;
    // SORTENTS, INDEXCTL, HIDETEXT, XCLIPFRAME, DIMASSOC, HALOGAP
    for (const std::uint8_t v : {127, 0, 1, 0, 2, 0})
        d.RC(v);
    d.BS(257); // OBSCUREDCOLOR, INTERSECTIONCOLOR
    d.BS(257);
    d.RC(0);   // OBSCUREDLTYPE, INTERSECTIONDISPLAY
    d.RC(0);
    w.Text(""); // PROJECTNAME
}

void Trailer(HeaderWriter& w, const RkDb::DrawingHeader& h, const DwgHandles& handles)
{
    Dictionaries(w, h, handles);
    DwgBitWriter& d = w.d;
    d.H(5, handles.Block(handles.paperSpace));
    d.H(5, handles.Block(handles.modelSpace));
    d.H(5, handles.byLayer);
    d.H(5, handles.byBlock);
    d.H(5, handles.continuous);
    w.Shorts(4); // four shorts of unknown meaning close the variables
}

} // namespace

void EncodeDimensionVariables(DwgBitWriter& d, DwgBitWriter& refs, const DwgDimValues& values, std::uint64_t textStyle)
{
    const bool upTo14 = d.Version() <= DwgVersion::R14;
    const auto bits = [&d](int count) { for (int i = 0; i < count; ++i) d.B(false); };
    const auto shorts = [&d](int count) { for (int i = 0; i < count; ++i) d.BS(0); };
    if (upTo14) {
        bits(11);                // DIMTOL .. DIMSOXD
        d.RC(2);                 // DIMALTD
        d.RC(0);                 // DIMZIN
        bits(2);                 // DIMSD1, DIMSD2
        d.RC(1);                 // DIMTOLJ
        d.RC(0);                 // DIMJUST
        d.RC(3);                 // DIMFIT
        d.B(false);              // DIMUPT
        for (int i = 0; i < 4; ++i)
            d.RC(0);             // DIMTZIN, DIMALTZ, DIMALTTZ, DIMTAD
        // DIMUNIT, DIMAUNIT, DIMDEC, DIMTDEC, DIMALTU, DIMALTTD
        for (const std::uint16_t v : {2, 0, 4, 4, 2, 2})
            d.BS(v);
        refs.H(5, textStyle);    // DIMTXSTY
    } else {
        d.TV("");                // DIMPOST, DIMAPOST
        d.TV("");
    }
    d.BD(values.scale);
    d.BD(values.arrowSize);
    // DIMEXO, DIMDLI, DIMEXE, DIMRND, DIMDLE, DIMTP, DIMTM
    for (const double v : {0.0625, 0.38, 0.18, 0.0, 0.0, 0.0, 0.0})
        d.BD(v);
    if (!upTo14) {
        bits(6);                 // DIMTOL .. DIMSE2
        shorts(3);               // DIMTAD, DIMZIN, DIMAZIN
    }
    d.BD(values.textHeight);
    // DIMCEN, DIMTSZ, DIMALTF, DIMLFAC, DIMTVP, DIMTFAC, DIMGAP
    for (const double v : {0.09, 0.0, 25.4, 1.0, 0.0, 1.0, 0.09})
        d.BD(v);
    if (upTo14) {
        for (int i = 0; i < 5; ++i)
            d.TV("");            // DIMPOST, DIMAPOST, DIMBLK, DIMBLK1, DIMBLK2
    } else {
        d.BD(0.0);               // DIMALTRND
        d.B(false);              // DIMALT
        d.BS(2);                 // DIMALTD
        bits(4);                 // DIMTOFL, DIMSAH, DIMTIX, DIMSOXD
    }
    d.CMC(0);                    // DIMCLRD, DIMCLRE, DIMCLRT
    d.CMC(0);
    d.CMC(0);
    if (upTo14)
        return;
    // DIMADEC, DIMDEC, DIMTDEC, DIMALTU, DIMALTTD, DIMAUNIT, DIMFRAC, DIMLUNIT, DIMDSEP, DIMTMOVE,
    // DIMJUST
    static constexpr std::uint16_t kShorts[11] = {0, 4, 4, 2, 2, 0, 0, 2, '.', 0, 0};
    for (const std::uint16_t v : kShorts)
        d.BS(v);
    bits(2);                     // DIMSD1, DIMSD2
    d.BS(1);                     // DIMTOLJ
    shorts(3);                   // DIMTZIN, DIMALTZ, DIMALTTZ
    d.B(false);                  // DIMUPT
    d.BS(3);                     // DIMATFIT
    refs.H(5, textStyle);        // DIMTXSTY
    for (int i = 0; i < 4; ++i)
        refs.H(5, 0);            // DIMLDRBLK, DIMBLK, DIMBLK1, DIMBLK2
    d.BS(static_cast<std::uint16_t>(-2)); // DIMLWD, DIMLWE: by block
    d.BS(static_cast<std::uint16_t>(-2));
}

std::vector<std::uint8_t> EncodeHeaderVariables(const RkDb::DrawingHeader& header, DwgVersion version,
                                                const DwgHandles& handles, const DwgHeaderRefs& refs, int codePage)
{
    HeaderWriter w(version, codePage);
    Flags(w, header);
    Modes(w, header);
    Scales(w, header);
    CurrentRecords(w, refs);
    const RkDb::Vec3 unset{1e20, 1e20, 1e20}, unsetMax{-1e20, -1e20, -1e20};
    Space(w, RkDb::Vec3{}, unset, unsetMax, RkDb::Vec2{}, RkDb::Vec2{12.0, 9.0}); // paper space
    Space(w, header.insBase, header.extMin, header.extMax, header.limMin, header.limMax);
    DimensionVariables(w, header, handles);
    Trailer(w, header, handles);
    return w.d.Bytes();
}

} // namespace RkWrite
