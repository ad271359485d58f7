#include "engine/write/DxfWriter.h"

#include "engine/db/CodePage.h"
#include "engine/write/DxfEntityWriter.h"
#include "engine/write/DwgEntityEncoder.h"
#include "engine/write/TextEncoding.h"

#include <algorithm>

namespace RkWrite {
namespace {

using RkDb::Handle;
using RkDb::Vec3;

enum TableIndex { kVport, kLtype, kLayer, kStyle, kView, kUcs, kAppId, kDimStyle, kBlockRecord };

bool StartsWith(const std::string& key, const char* prefix)
{
    return key.rfind(prefix, 0) == 0;
}

std::string CodePageName(const std::string& name)
{
    return RkDb::CodePage::FromName(name) == 0 || name.empty() ? std::string("ANSI_1252") : name;
}

bool IsByName(const std::string& name)
{
    const std::string key = RkDb::TableKey(name);
    return key == "BYBLOCK" || key == "BYLAYER";
}

} // namespace

DxfWriter::DxfWriter(const RkDb::Database& db, DxfVersion version, std::size_t limit)
    : m_db(db), m_version(version), m_limit(limit), m_out(WrittenCodePage(db.Header().codePage), limit),
      m_handles(db)
{
    const std::int32_t paper = db.Blocks().Find("*Paper_Space");
    m_paperSpace = paper;
}

bool DxfWriter::Write(std::string& file, WriteReport& report)
{
    AssignHandles();
    // The header names the next free handle and the classes count their objects: both are known
    // only when everything else is written.
    Tables();
    if (m_version == DxfVersion::R12)
        MakeHatchBlocks();
    Blocks(report);
    Entities(report);
    if (HasObjects(m_version))
        Objects();
    m_out.Raw(0, "EOF");
    DxfOutput body = std::move(m_out);
    m_out = DxfOutput(WrittenCodePage(m_db.Header().codePage), m_limit);
    Header();
    if (HasObjects(m_version))
        Classes();
    if (m_out.Overflowed() || body.Overflowed() || m_out.Data().size() + body.Data().size() > m_limit) {
        report.status = SaveStatus::TooLarge;
        report.message = "the drawing would make a file past the size limit";
        return false;
    }
    file.reserve(m_out.Data().size() + body.Data().size());
    file.assign(m_out.Data()).append(body.Data());
    return true;
}

bool DxfWriter::IsSpace(std::int32_t block) const
{
    const std::string key = RkDb::TableKey(m_db.Blocks()[block].name);
    return StartsWith(key, "*MODEL_SPACE") || StartsWith(key, "*PAPER_SPACE");
}

bool DxfWriter::IsFurtherPaperSpace(std::int32_t block) const
{
    return block != m_paperSpace &&
           StartsWith(RkDb::TableKey(m_db.Blocks()[block].name), "*PAPER_SPACE");
}

bool DxfWriter::Writes(std::int32_t block) const
{
    if (m_version == DxfVersion::R12)
        return !IsSpace(block);
    if (!HasLayouts(m_version))
        return !IsFurtherPaperSpace(block);
    return true;
}

void DxfWriter::AssignHandles()
{
    if (!HasObjects(m_version))
        return;
    for (Handle& h : m_tableHandles) h = m_handles.Next();
    auto keep = [this](auto& table, std::vector<Handle>& out) {
        for (const auto& record : table)
            out.push_back(m_handles.Keep(record.handle));
    };
    keep(m_db.Layers(), m_layerHandles);
    keep(m_db.LineTypes(), m_lineTypeHandles);
    keep(m_db.TextStyles(), m_styleHandles);
    keep(m_db.DimStyles(), m_dimStyleHandles);
    keep(m_db.Blocks(), m_blockHandles);
    for (std::int32_t i = 0; i < m_db.Blocks().Count(); ++i) {
        m_blockBegin.push_back(m_handles.Next());
        m_blockEnd.push_back(m_handles.Next());
    }
    for (const RkDb::Layout& layout : m_db.Layouts())
        m_layoutHandles.push_back(m_handles.Keep(layout.handle));
    m_byBlock = m_handles.Next();
    m_byLayer = m_handles.Next();
    m_standardDimStyle = m_handles.Next();
    m_activeVport = m_handles.Next();
    m_acadAppId = m_handles.Next();
    const bool transparentLayer = std::any_of(m_db.Layers().begin(), m_db.Layers().end(),
                                              [](const RkDb::Layer& layer) { return layer.transparency != 0; });
    if (HasTransparency(m_version) && transparentLayer)
        m_transparencyAppId = m_handles.Next();
    m_rootDict = m_handles.Next();
    m_groupDict = m_handles.Next();
    m_layoutDict = m_handles.Next();
    m_mlineDict = m_handles.Next();
    m_mlineStandard = m_handles.Next();
    if (HasDrawOrder(m_version)) {
        for (std::int32_t i = 0; i < m_db.Blocks().Count(); ++i) {
            if (!Writes(i) || !DrawOrderTable::Needed(m_db.Blocks()[i]))
                continue;
            SortTable& sort = m_sortTables[i];
            sort.dictionary = m_handles.Next();
            sort.table = m_handles.Next();
        }
    }
    if (m_paperSpace < 0) {
        m_paperRecord = m_handles.Next();
        m_paperBegin = m_handles.Next();
        m_paperEnd = m_handles.Next();
        m_paperLayout = m_handles.Next();
    }
}

RkDb::Handle DxfWriter::RecordHandle(const std::vector<Handle>& handles, std::int32_t index) const
{
    return HasObjects(m_version) ? handles[static_cast<std::size_t>(index)] : 0;
}

void DxfWriter::Section(const char* name)
{
    m_out.Raw(0, "SECTION");
    m_out.Raw(2, name);
}

void DxfWriter::EndSection()
{
    m_out.Raw(0, "ENDSEC");
}

void DxfWriter::Header()
{
    const RkDb::DrawingHeader& h = m_db.Header();
    const bool objects = HasObjects(m_version);
    const bool layouts = HasLayouts(m_version);
    Section("HEADER");
    Var("$ACADVER"); m_out.Raw(1, AcadVersionString(m_version));
    if (objects) { Var("$ACADMAINTVER"); m_out.Int(70, 0); }
    Var("$DWGCODEPAGE"); m_out.Text(3, CodePageName(h.codePage));
    Var("$INSBASE"); m_out.Point(10, h.insBase);
    if (h.extMin.x <= h.extMax.x) {
        Var("$EXTMIN"); m_out.Point(10, h.extMin);
        Var("$EXTMAX"); m_out.Point(10, h.extMax);
    }
    Var("$LIMMIN"); m_out.Point2(10, h.limMin);
    Var("$LIMMAX"); m_out.Point2(10, h.limMax);
    Var("$LTSCALE"); m_out.Real(40, h.ltScale);
    Var("$ATTMODE"); m_out.Int(70, h.attMode);
    Var("$TEXTSIZE"); m_out.Real(40, h.textSize);
    const std::string style = m_db.TextStyles().Find(h.textStyle) >= 0 ? h.textStyle : "Standard";
    Var("$TEXTSTYLE"); m_out.Text(7, style);
    const std::string layer = m_db.Layers().Find(h.currentLayer) >= 0 ? h.currentLayer : "0";
    Var("$CLAYER"); m_out.Text(8, layer);
    Var("$CELTYPE"); m_out.Text(6, m_db.LineTypes().Find(h.currentLineType) >= 0 || IsByName(h.currentLineType)
                                       ? h.currentLineType : std::string("ByLayer"));
    Var("$DIMSCALE"); m_out.Real(40, h.dimScale);
    Var("$DIMASZ"); m_out.Real(40, h.dimArrowSize);
    Var("$DIMTXT"); m_out.Real(40, h.dimTextHeight);
    Var("$LUNITS"); m_out.Int(70, h.lunits);
    Var("$LUPREC"); m_out.Int(70, h.luprec);
    Var("$AUNITS"); m_out.Int(70, h.aunits);
    Var("$AUPREC"); m_out.Int(70, h.auprec);
    Var("$FILLMODE"); m_out.Int(70, h.fillMode ? 1 : 0);
    Var("$PDMODE"); m_out.Int(70, h.pdMode);
    Var("$PDSIZE"); m_out.Real(40, h.pdSize);
    Var("$TDCREATE"); m_out.Real(40, h.tdCreate);
    Var("$TDUPDATE"); m_out.Real(40, h.tdUpdate);
    Var("$TILEMODE"); m_out.Int(70, h.tileMode ? 1 : 0);
    Var("$PSLTSCALE"); m_out.Int(70, h.psLtScale ? 1 : 0);
    const std::string dimStyle = m_db.DimStyles().Find(h.dimStyle) >= 0 ? h.dimStyle : "Standard";
    Var("$DIMSTYLE"); m_out.Text(2, dimStyle);
    if (objects) {
        Var("$CELTSCALE"); m_out.Real(40, h.celtScale);
        Var("$CMLSTYLE"); m_out.Text(2, "Standard");
        Var("$HANDSEED"); m_out.Handle(5, m_handles.Seed());
        Var("$MEASUREMENT"); m_out.Int(70, h.measurement);
    } else {
        Var("$HANDLING"); m_out.Int(70, 0);
    }
    if (layouts) {
        Var("$INSUNITS"); m_out.Int(70, h.insUnits);
        Var("$LWDISPLAY"); m_out.Int(290, h.lwDisplay ? 1 : 0);
    }
    if (m_version == DxfVersion::R2004 && !h.lastSavedBy.empty()) {
        Var("$LASTSAVEDBY"); m_out.Text(1, h.lastSavedBy);
    }
    EndSection();
}

void DxfWriter::Class(const char* name, const char* cppName, const char* application, int flags,
                      int proxy, int entity, std::size_t instances)
{
    m_out.Raw(0, "CLASS");
    m_out.Raw(1, name);
    m_out.Raw(2, cppName);
    m_out.Raw(3, application);
    m_out.Int(90, flags);
    if (m_version == DxfVersion::R2004)
        m_out.Int(91, static_cast<long long>(instances));
    m_out.Int(280, proxy);
    m_out.Int(281, entity);
}

void DxfWriter::Classes()
{
    Section("CLASSES");
    if (HasLayouts(m_version))
        Class("LAYOUT", "AcDbLayout", "ObjectDBX Classes", 0, 0, 0,
              m_layoutHandles.size() + (m_paperLayout ? 1 : 0));
    if (!m_imageDefs.empty()) {
        Class("IMAGEDEF", "AcDbRasterImageDef", "ISM", 0, 0, 0, m_imageDefs.size());
        Class("IMAGE", "AcDbRasterImage", "ISM", 127, 0, 1, 0);
    }
    if (!m_sortTables.empty())
        Class("SORTENTSTABLE", "AcDbSortentsTable", "ObjectDBX Classes", 0, 0, 0, m_sortTables.size());
    if (HasLayouts(m_version))
        Class("WIPEOUT", "AcDbWipeout", "WipeOut|AutoCAD Express Tool|expresstools@autodesk.com", 127, 0, 1, 0);
    EndSection();
}

void DxfWriter::ImageObjects()
{
    std::vector<std::pair<std::string, Handle>> entries;
    for (const auto& [file, def] : m_imageDefs) {
        std::string name = file.substr(file.find_last_of("/\\:") == std::string::npos ? 0 : file.find_last_of("/\\:") + 1);
        name = name.substr(0, name.find_last_of('.'));
        entries.push_back({(name.empty() ? std::string("Image") : name) + "_" + std::to_string(entries.size() + 1), def.handle});
    }
    Dictionary(m_imageDict, m_rootDict, entries);
    for (const auto& [file, def] : m_imageDefs) {
        m_out.Raw(0, "IMAGEDEF");
        m_out.Handle(5, def.handle);
        m_out.Raw(102, "{ACAD_REACTORS");
        m_out.Handle(330, m_imageDict);
        m_out.Raw(102, "}");
        m_out.Handle(330, m_imageDict);
        m_out.Raw(100, "AcDbRasterImageDef");
        m_out.Int(90, 0);
        m_out.Text(1, file);
        m_out.Point2(10, def.pixelSize);
        m_out.Point2(11, {1.0, 1.0});
        m_out.Int(280, 1);
        m_out.Int(281, 0);
    }
}

void DxfWriter::TableStart(const char* name, Handle handle, std::size_t count, const char* marker)
{
    m_out.Raw(0, "TABLE");
    m_out.Raw(2, name);
    if (HasObjects(m_version)) {
        m_out.Handle(5, handle);
        m_out.Handle(330, 0);
        m_out.Raw(100, "AcDbSymbolTable");
    }
    m_out.Int(70, static_cast<long long>(count));
    if (marker && HasObjects(m_version)) {
        m_out.Raw(100, marker);
        if (HasLayouts(m_version))
            m_out.Int(71, 0);
    }
}

void DxfWriter::TableEnd()
{
    m_out.Raw(0, "ENDTAB");
}

void DxfWriter::RecordStart(const char* type, Handle handle, Handle owner, const char* marker,
                            int handleCode, Handle xdictionary)
{
    m_out.Raw(0, type);
    if (!HasObjects(m_version))
        return;
    m_out.Handle(handleCode, handle);
    if (xdictionary != 0) {
        m_out.Raw(102, "{ACAD_XDICTIONARY");
        m_out.Handle(360, xdictionary);
        m_out.Raw(102, "}");
    }
    m_out.Handle(330, owner);
    m_out.Raw(100, "AcDbSymbolTableRecord");
    m_out.Raw(100, marker);
}

void DxfWriter::Tables()
{
    Section("TABLES");
    ViewportTable();
    LineTypes();
    Layers();
    Styles();
    TableStart("VIEW", m_tableHandles[kView], 0);
    TableEnd();
    TableStart("UCS", m_tableHandles[kUcs], 0);
    TableEnd();
    TableStart("APPID", m_tableHandles[kAppId], m_transparencyAppId != 0 ? 2 : 1);
    RecordStart("APPID", m_acadAppId, m_tableHandles[kAppId], "AcDbRegAppTableRecord");
    m_out.Raw(2, "ACAD");
    m_out.Int(70, 0);
    if (m_transparencyAppId != 0) {
        RecordStart("APPID", m_transparencyAppId, m_tableHandles[kAppId], "AcDbRegAppTableRecord");
        m_out.Raw(2, "AcCmTransparency");
        m_out.Int(70, 0);
    }
    TableEnd();
    DimStyles();
    if (HasObjects(m_version))
        BlockRecords();
    EndSection();
}

void DxfWriter::ViewportTable()
{
    TableStart("VPORT", m_tableHandles[kVport], 1);
    RkDb::ViewportRecord active;
    active.name = "*ACTIVE";
    const std::int32_t found = m_db.ViewportRecords().Find("*ACTIVE");
    if (found >= 0) {
        active = m_db.ViewportRecords()[found];
    } else {
        const RkDb::DrawingHeader& h = m_db.Header();
        if (h.extMin.x <= h.extMax.x) {
            active.center = {(h.extMin.x + h.extMax.x) / 2.0, (h.extMin.y + h.extMax.y) / 2.0};
            active.height = std::max(h.extMax.y - h.extMin.y, 1e-6) * 1.05;
        } else {
            active.center = {h.limMax.x / 2.0, h.limMax.y / 2.0};
            active.height = std::max(h.limMax.y - h.limMin.y, 1.0);
        }
    }
    RecordStart("VPORT", m_activeVport, m_tableHandles[kVport], "AcDbViewportTableRecord");
    m_out.Raw(2, "*ACTIVE");
    m_out.Int(70, 0);
    m_out.Point2(10, {0.0, 0.0});
    m_out.Point2(11, {1.0, 1.0});
    m_out.Point2(12, active.center);
    m_out.Point2(13, {0.0, 0.0});
    m_out.Point2(14, {0.5, 0.5});
    m_out.Point2(15, {0.5, 0.5});
    m_out.Point(16, active.direction);
    m_out.Point(17, active.target);
    m_out.Real(40, active.height > 0.0 ? active.height : 1.0);
    m_out.Real(41, active.aspect > 0.0 ? active.aspect : 1.0);
    m_out.Real(42, 50.0);
    m_out.Real(43, 0.0);
    m_out.Real(44, 0.0);
    m_out.Real(50, 0.0);
    m_out.Angle(51, active.twist);
    for (const auto& [code, value] : {std::pair{71, 0}, {72, 100}, {73, 1}, {74, 3}, {75, 0},
                                      {76, 0}, {77, 0}, {78, 0}})
        m_out.Int(code, value);
    TableEnd();
}

void DxfWriter::LineTypeElement(const RkDb::LineTypeElement& el)
{
    // A text or shape needs its style; without one the element is written as a plain dash.
    using Kind = RkDb::LineTypeElement::Kind;
    const bool embedded = el.kind != Kind::Plain && m_db.TextStyles().Valid(el.style);
    if (!embedded) {
        m_out.Int(74, 0);
        return;
    }
    m_out.Int(74, (el.absoluteRotation ? 1 : 0) | (el.kind == Kind::Text ? 2 : 4));
    m_out.Int(75, el.kind == Kind::Shape ? el.shapeNumber : 0);
    m_out.Handle(340, RecordHandle(m_styleHandles, el.style));
    m_out.Real(46, el.scale);
    m_out.Real(50, el.rotation * 180.0 / 3.14159265358979323846);
    m_out.Real(44, el.offset.x);
    m_out.Real(45, el.offset.y);
    if (el.kind == Kind::Text)
        m_out.Text(9, el.text);
}

void DxfWriter::LineTypes()
{
    const bool objects = HasObjects(m_version);
    std::size_t count = objects ? 2 : 0;
    for (const RkDb::LineType& lt : m_db.LineTypes())
        count += IsByName(lt.name) ? 0 : 1;
    TableStart("LTYPE", m_tableHandles[kLtype], count);
    auto record = [&](Handle handle, const std::string& name, const RkDb::LineType* lt) {
        RecordStart("LTYPE", handle, m_tableHandles[kLtype], "AcDbLinetypeTableRecord");
        m_out.Text(2, name);
        m_out.Int(70, 0);
        m_out.Text(3, lt ? lt->description : std::string());
        m_out.Int(72, 65);
        m_out.Int(73, lt ? static_cast<long long>(lt->elements.size()) : 0);
        m_out.Real(40, lt ? lt->patternLength : 0.0);
        if (!lt)
            return;
        for (const RkDb::LineTypeElement& el : lt->elements) {
            m_out.Real(49, el.length);
            if (objects)
                LineTypeElement(el);
        }
    };
    if (objects) {
        record(m_byBlock, "ByBlock", nullptr);
        record(m_byLayer, "ByLayer", nullptr);
    }
    for (std::int32_t i = 0; i < m_db.LineTypes().Count(); ++i) {
        const RkDb::LineType& lt = m_db.LineTypes()[i];
        if (!IsByName(lt.name))
            record(RecordHandle(m_lineTypeHandles, i), lt.name, &lt);
    }
    TableEnd();
}

void DxfWriter::Layers()
{
    TableStart("LAYER", m_tableHandles[kLayer], static_cast<std::size_t>(m_db.Layers().Count()));
    for (std::int32_t i = 0; i < m_db.Layers().Count(); ++i) {
        const RkDb::Layer& layer = m_db.Layers()[i];
        RecordStart("LAYER", RecordHandle(m_layerHandles, i),
                    m_tableHandles[kLayer], "AcDbLayerTableRecord");
        m_out.Text(2, layer.name);
        m_out.Int(70, (layer.frozen ? 1 : 0) | (layer.locked ? 4 : 0));
        // A true colour also as its nearest index, which is all R12 and R14 keep.
        const int aci = std::clamp<int>(ColorIndex(layer.color), 1, 255);
        m_out.Int(62, layer.off ? -aci : aci);
        if (layer.color.GetKind() == RkDb::Color::Kind::True && HasTrueColor(m_version))
            m_out.Int(420, layer.color.Rgb());
        m_out.Text(6, m_db.LineTypes().Valid(layer.lineType) ? m_db.LineTypes()[layer.lineType].name
                                                             : std::string("Continuous"));
        if (HasLayouts(m_version)) {
            m_out.Int(290, layer.plot ? 1 : 0);
            m_out.Int(370, layer.lineWeight);
        }
        // A layer's transparency is extended data of its application.
        if (m_transparencyAppId != 0 && layer.transparency != 0) {
            m_out.Raw(1001, "AcCmTransparency");
            m_out.Int(1071, layer.transparency);
        }
    }
    TableEnd();
}

void DxfWriter::Styles()
{
    TableStart("STYLE", m_tableHandles[kStyle], static_cast<std::size_t>(m_db.TextStyles().Count()));
    for (std::int32_t i = 0; i < m_db.TextStyles().Count(); ++i) {
        const RkDb::TextStyle& s = m_db.TextStyles()[i];
        RecordStart("STYLE", RecordHandle(m_styleHandles, i),
                    m_tableHandles[kStyle], "AcDbTextStyleTableRecord");
        m_out.Text(2, s.name);
        m_out.Int(70, s.isShapeFile ? 1 : 0);
        m_out.Real(40, s.fixedHeight);
        m_out.Real(41, s.widthFactor);
        m_out.Angle(50, s.oblique);
        m_out.Int(71, s.generation);
        m_out.Real(42, s.fixedHeight > 0.0 ? s.fixedHeight : 0.2);
        m_out.Text(3, s.fontFile);
        m_out.Text(4, s.bigFontFile);
        if (HasLayouts(m_version) && !s.typeface.empty()) {
            m_out.Raw(1001, "ACAD");
            m_out.Text(1000, s.typeface);
            m_out.Int(1071, (s.italic ? 0x1000000 : 0) | (s.bold ? 0x2000000 : 0));
        }
    }
    TableEnd();
}

void DxfWriter::DimStyles()
{
    const bool hasStandard = m_db.DimStyles().Find("Standard") >= 0;
    TableStart("DIMSTYLE", m_tableHandles[kDimStyle],
               static_cast<std::size_t>(m_db.DimStyles().Count()) + (hasStandard ? 0 : 1),
               "AcDbDimStyleTable");
    auto record = [&](Handle handle, const RkDb::DimStyle& ds) {
        RecordStart("DIMSTYLE", handle, m_tableHandles[kDimStyle], "AcDbDimStyleTableRecord", 105);
        m_out.Text(2, ds.name);
        m_out.Int(70, 0);
        m_out.Real(40, ds.scale);
        m_out.Real(41, ds.arrowSize);
        m_out.Real(140, ds.textHeight);
    };
    if (!hasStandard) {
        RkDb::DimStyle standard;
        standard.name = "Standard";
        record(m_standardDimStyle, standard);
    }
    for (std::int32_t i = 0; i < m_db.DimStyles().Count(); ++i)
        record(RecordHandle(m_dimStyleHandles, i),
               m_db.DimStyles()[i]);
    TableEnd();
}

void DxfWriter::BlockRecords()
{
    std::size_t count = m_paperRecord ? 1 : 0;
    for (std::int32_t i = 0; i < m_db.Blocks().Count(); ++i)
        count += Writes(i) ? 1 : 0;
    TableStart("BLOCK_RECORD", m_tableHandles[kBlockRecord], count);
    auto record = [&](Handle handle, const std::string& name, Handle layout, Handle xdictionary) {
        RecordStart("BLOCK_RECORD", handle, m_tableHandles[kBlockRecord], "AcDbBlockTableRecord", 5,
                    xdictionary);
        m_out.Text(2, name);
        if (HasLayouts(m_version))
            m_out.Handle(340, layout);
    };
    for (std::int32_t i = 0; i < m_db.Blocks().Count(); ++i) {
        if (!Writes(i))
            continue;
        Handle layout = 0;
        for (std::size_t k = 0; k < m_db.Layouts().size(); ++k) {
            if (m_db.Layouts()[k].block == i)
                layout = m_layoutHandles[k];
        }
        const auto sort = m_sortTables.find(i);
        record(m_blockHandles[static_cast<std::size_t>(i)], m_db.Blocks()[i].name, layout,
               sort != m_sortTables.end() ? sort->second.dictionary : 0);
    }
    if (m_paperRecord)
        record(m_paperRecord, "*Paper_Space", m_paperLayout, 0);
    TableEnd();
}

void DxfWriter::Blocks(WriteReport& report)
{
    const bool objects = HasObjects(m_version);
    DxfEntityWriter entities(m_db, m_out, m_version, m_handles, report);
    entities.SetLayerHandles(&m_layerHandles);
    entities.SetImageDefs(&m_imageDefs);
    entities.SetHatchBlocks(&m_hatchBlocks);
    Section("BLOCKS");
    auto frame = [&](const char* type, Handle handle, Handle owner, bool paper, const char* marker) {
        m_out.Raw(0, type);
        if (objects) {
            m_out.Handle(5, handle);
            m_out.Handle(330, owner);
            m_out.Raw(100, "AcDbEntity");
        }
        if (paper)
            m_out.Int(67, 1);
        m_out.Raw(8, "0");
        if (objects)
            m_out.Raw(100, marker);
    };
    for (std::int32_t i = 0; i < m_db.Blocks().Count(); ++i) {
        const RkDb::Block& block = m_db.Blocks()[i];
        if (!Writes(i)) {
            // The further layouts of a drawing have no place before 2000: their entities go.
            if (IsFurtherPaperSpace(i) || (m_version == DxfVersion::R12 && i != m_db.ModelSpace() &&
                                           i != m_paperSpace)) {
                for (const RkDb::EntityPtr& e : block.entities)
                    ++report.dropped[static_cast<std::size_t>(e->type)];
            }
            continue;
        }
        const std::size_t k = static_cast<std::size_t>(i);
        const Handle record = objects ? m_blockHandles[k] : 0;
        const bool paper = StartsWith(RkDb::TableKey(block.name), "*PAPER_SPACE");
        frame("BLOCK", objects ? m_blockBegin[k] : 0, record, paper, "AcDbBlockBegin");
        m_out.Text(2, block.name);
        m_out.Int(70, block.flags);
        m_out.Point(10, block.basePoint);
        m_out.Text(3, block.name);
        m_out.Text(1, block.xrefPath);
        // The spaces' entities are in the ENTITIES section.
        if (i != m_db.ModelSpace() && i != m_paperSpace) {
            for (std::size_t k = 0; k < block.entities.size(); ++k)
                WriteEntity(entities, i, k, paper);
        }
        frame("ENDBLK", objects ? m_blockEnd[k] : 0, record, paper, "AcDbBlockEnd");
    }
    for (const HatchBlockSet::Block& block : m_hatchBlocks.Blocks()) {
        frame("BLOCK", 0, 0, false, "AcDbBlockBegin");
        m_out.Text(2, block.name);
        m_out.Int(70, RkDb::kBlockAnonymous);
        m_out.Point(10, Vec3{});
        m_out.Text(3, block.name);
        m_out.Raw(1, "");
        for (const RkDb::EntityPtr& part : block.parts)
            entities.WritePart(*part);
        frame("ENDBLK", 0, 0, false, "AcDbBlockEnd");
    }
    if (m_paperRecord) {
        frame("BLOCK", m_paperBegin, m_paperRecord, true, "AcDbBlockBegin");
        m_out.Raw(2, "*Paper_Space");
        m_out.Int(70, 0);
        m_out.Point(10, Vec3{});
        m_out.Raw(3, "*Paper_Space");
        m_out.Raw(1, "");
        frame("ENDBLK", m_paperEnd, m_paperRecord, true, "AcDbBlockEnd");
    }
    EndSection();
}

void DxfWriter::MakeHatchBlocks()
{
    // Every hatch written gets its block; R12 has no limit on their number.
    const auto written = [this](std::int32_t i) { return Writes(i) || i == m_db.ModelSpace() || i == m_paperSpace; };
    m_hatchBlocks.Make(m_db, written, {HatchBlockSet::kMostParts, static_cast<std::size_t>(-1)});
}

void DxfWriter::Entities(WriteReport& report)
{
    DxfEntityWriter entities(m_db, m_out, m_version, m_handles, report);
    entities.SetLayerHandles(&m_layerHandles);
    entities.SetImageDefs(&m_imageDefs);
    entities.SetHatchBlocks(&m_hatchBlocks);
    Section("ENTITIES");
    const std::int32_t model = m_db.ModelSpace();
    for (std::size_t k = 0; k < m_db.Blocks()[model].entities.size(); ++k)
        WriteEntity(entities, model, k, false);
    if (m_paperSpace >= 0) {
        for (std::size_t k = 0; k < m_db.Blocks()[m_paperSpace].entities.size(); ++k)
            WriteEntity(entities, m_paperSpace, k, true);
    }
    EndSection();
}

void DxfWriter::WriteEntity(DxfEntityWriter& entities, std::int32_t block, std::size_t index, bool paper)
{
    const Handle owner = HasObjects(m_version) ? m_blockHandles[static_cast<std::size_t>(block)] : 0;
    entities.Write(*m_db.Blocks()[block].entities[index], owner, paper);
    const auto sort = m_sortTables.find(block);
    if (sort == m_sortTables.end())
        return;
    for (const Handle written : entities.Written())
        sort->second.written.Add(static_cast<std::int32_t>(index), written);
}

void DxfWriter::DrawOrders()
{
    for (const auto& [block, sort] : m_sortTables) {
        const Handle record = m_blockHandles[static_cast<std::size_t>(block)];
        Dictionary(sort.dictionary, record, {{"ACAD_SORTENTS", sort.table}}, true);
        m_out.Raw(0, "SORTENTSTABLE");
        m_out.Handle(5, sort.table);
        m_out.Raw(102, "{ACAD_REACTORS");
        m_out.Handle(330, sort.dictionary);
        m_out.Raw(102, "}");
        m_out.Handle(330, sort.dictionary);
        m_out.Raw(100, "AcDbSortentsTable");
        m_out.Handle(330, record);
        for (const auto& [entity, place] : sort.written.Entries(m_db.Blocks()[block])) {
            m_out.Handle(331, entity);
            m_out.Handle(5, place);
        }
    }
}

void DxfWriter::Dictionary(Handle handle, Handle owner,
                           const std::vector<std::pair<std::string, Handle>>& entries, bool hardOwner)
{
    m_out.Raw(0, "DICTIONARY");
    m_out.Handle(5, handle);
    if (owner != 0) {
        m_out.Raw(102, "{ACAD_REACTORS");
        m_out.Handle(330, owner);
        m_out.Raw(102, "}");
    }
    m_out.Handle(330, owner);
    m_out.Raw(100, "AcDbDictionary");
    if (hardOwner && HasLayouts(m_version))
        m_out.Int(280, 1);
    if (HasLayouts(m_version))
        m_out.Int(281, 1);
    for (const auto& [name, h] : entries) {
        m_out.Text(3, name);
        m_out.Handle(hardOwner ? 360 : 350, h);
    }
}

std::string DxfWriter::LayoutName(std::size_t index) const
{
    const RkDb::Layout& layout = m_db.Layouts()[index];
    if (layout.block == m_db.ModelSpace())
        return "Model";
    return layout.name.empty() ? "Layout" + std::to_string(index) : layout.name;
}

void DxfWriter::LayoutObject(std::size_t index)
{
    const bool synthetic = index >= m_db.Layouts().size();
    RkDb::Layout layout;
    if (!synthetic)
        layout = m_db.Layouts()[index];
    const Handle handle = synthetic ? m_paperLayout : m_layoutHandles[index];
    const Handle block = synthetic ? m_paperRecord : m_blockHandles[static_cast<std::size_t>(layout.block)];
    m_out.Raw(0, "LAYOUT");
    m_out.Handle(5, handle);
    m_out.Raw(102, "{ACAD_REACTORS");
    m_out.Handle(330, m_layoutDict);
    m_out.Raw(102, "}");
    m_out.Handle(330, m_layoutDict);
    m_out.Raw(100, "AcDbPlotSettings");
    m_out.Raw(1, "");
    m_out.Raw(2, "none_device");
    m_out.Raw(4, "");
    m_out.Raw(6, "");
    const RkDb::PlotSettings& plot = layout.plot;
    m_out.Real(40, plot.left);
    m_out.Real(41, plot.bottom);
    m_out.Real(42, plot.right);
    m_out.Real(43, plot.top);
    m_out.Real(44, layout.paperSize.x);
    m_out.Real(45, layout.paperSize.y);
    m_out.Real(46, plot.origin.x);
    m_out.Real(47, plot.origin.y);
    m_out.Real(48, 0.0);
    m_out.Real(49, 0.0);
    m_out.Real(140, 0.0);
    m_out.Real(141, 0.0);
    m_out.Real(142, 1.0);
    m_out.Real(143, 1.0);
    m_out.Int(70, 688);
    m_out.Int(72, plot.units); // the layout's paper units; the sizes above stay in millimetres
    m_out.Int(73, plot.rotation);
    m_out.Int(74, 5);
    m_out.Raw(7, "");
    m_out.Int(75, 16);
    m_out.Real(147, 1.0);
    m_out.Real(148, 0.0);
    m_out.Real(149, 0.0);
    m_out.Raw(100, "AcDbLayout");
    m_out.Text(1, synthetic ? std::string("Layout1") : LayoutName(index));
    m_out.Int(70, 1);
    m_out.Int(71, synthetic ? 1 : (layout.block == m_db.ModelSpace() ? 0 : std::max(layout.tabOrder, 1)));
    m_out.Point2(10, layout.limMin);
    m_out.Point2(11, layout.limMax);
    m_out.Point(12, Vec3{});
    m_out.Point(14, layout.extMin);
    m_out.Point(15, layout.extMax);
    m_out.Real(146, 0.0);
    m_out.Point(13, Vec3{});
    m_out.Point(16, Vec3{1.0, 0.0, 0.0});
    m_out.Point(17, Vec3{0.0, 1.0, 0.0});
    m_out.Int(76, 0);
    m_out.Handle(330, block);
}

void DxfWriter::Objects()
{
    Section("OBJECTS");
    std::vector<std::pair<std::string, Handle>> root = {{"ACAD_GROUP", m_groupDict}};
    if (HasLayouts(m_version))
        root.push_back({"ACAD_LAYOUT", m_layoutDict});
    if (!m_imageDefs.empty()) {
        m_imageDict = m_handles.Next();
        root.push_back({"ACAD_IMAGE_DICT", m_imageDict});
    }
    root.push_back({"ACAD_MLINESTYLE", m_mlineDict});
    Dictionary(m_rootDict, 0, root);
    if (!m_imageDefs.empty())
        ImageObjects();
    Dictionary(m_groupDict, m_rootDict, {});
    std::vector<std::size_t> layouts;
    if (HasLayouts(m_version)) {
        std::vector<std::pair<std::string, Handle>> entries;
        for (std::size_t k = 0; k < m_db.Layouts().size(); ++k) {
            const std::int32_t block = m_db.Layouts()[k].block;
            if (!m_db.Blocks().Valid(block) || !Writes(block))
                continue;
            layouts.push_back(k);
            entries.push_back({LayoutName(k), m_layoutHandles[k]});
        }
        if (m_paperRecord) {
            layouts.push_back(m_db.Layouts().size());
            entries.push_back({"Layout1", m_paperLayout});
        }
        Dictionary(m_layoutDict, m_rootDict, entries);
    }
    Dictionary(m_mlineDict, m_rootDict, {{"Standard", m_mlineStandard}});
    m_out.Raw(0, "MLINESTYLE");
    m_out.Handle(5, m_mlineStandard);
    m_out.Raw(102, "{ACAD_REACTORS");
    m_out.Handle(330, m_mlineDict);
    m_out.Raw(102, "}");
    m_out.Handle(330, m_mlineDict);
    m_out.Raw(100, "AcDbMlineStyle");
    m_out.Raw(2, "Standard");
    m_out.Int(70, 0);
    m_out.Raw(3, "");
    m_out.Int(62, 256);
    m_out.Real(51, 90.0);
    m_out.Real(52, 90.0);
    m_out.Int(71, 2);
    for (const double offset : {0.5, -0.5}) {
        m_out.Real(49, offset);
        m_out.Int(62, 256);
        m_out.Raw(6, "BYLAYER");
    }
    for (const std::size_t k : layouts)
        LayoutObject(k);
    DrawOrders();
    EndSection();
}

} // namespace RkWrite
