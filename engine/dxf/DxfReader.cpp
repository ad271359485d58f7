#include "engine/dxf/DxfReader.h"

#include "engine/db/CodePage.h"

#include <cmath>

namespace RkDxf {

using namespace RkDb;

namespace {

// Abort and progress are polled this often: a few hundred microseconds of parsing.
constexpr std::size_t kPollEvery = 4096;
// An entity or object with more groups than this is taken as a damaged file.
constexpr std::size_t kMaxGroupsPerRecord = 16u * 1024u * 1024u;

double FirstDouble(const std::vector<DxfGroup>& groups, int code, double fallback)
{
    for (const DxfGroup& g : groups) {
        if (g.code == code)
            return g.Double();
    }
    return fallback;
}

std::int32_t FirstInt(const std::vector<DxfGroup>& groups, int code, std::int32_t fallback)
{
    for (const DxfGroup& g : groups) {
        if (g.code == code)
            return g.Int();
    }
    return fallback;
}

Vec3 PointOf(const std::vector<DxfGroup>& groups, int base, Vec3 point = {})
{
    for (const DxfGroup& g : groups)
        SetCoordinate(point, g, base);
    return point;
}

const DxfGroup* FirstGroup(const std::vector<DxfGroup>& groups, int code)
{
    for (const DxfGroup& g : groups) {
        if (g.code == code)
            return &g;
    }
    return nullptr;
}

} // namespace

DxfReader::DxfReader(Database& db) : m_db(db), m_ctx(db), m_entities(m_ctx) {}

DxfReader::Status DxfReader::Read(const char* data, std::size_t size)
{
    if (DxfTokenizer::Detect(data, size) == DxfTokenizer::Format::NotDxf) {
        m_error = "not a DXF file";
        return Status::NotDxf;
    }
    DxfTokenizer tokenizer(data, size);
    m_tok = &tokenizer;
    int sections = 0;
    bool sawEof = false;
    DxfGroup g;
    while (!m_aborted && NextGroup(g)) {
        if (g.code != 0)
            continue;       // comments and stray groups between sections
        if (g.Is("EOF")) {
            sawEof = true;
            break;
        }
        if (g.Is("SECTION") && ReadSection())
            ++sections;
    }
    m_tok = nullptr;
    if (m_aborted) {
        m_error = "reading was abandoned";
        return Status::Aborted;
    }
    if (tokenizer.Failed() || m_tooLarge) {
        m_error = m_tooLarge ? "a record is too large" : tokenizer.Error();
        return Status::Corrupt;
    }
    if (sections == 0) {
        m_error = "no section";
        return Status::Corrupt;
    }
    (void)sawEof;   // a file that ends cleanly after its last section is accepted without EOF
    ResolvePending();
    m_db.FinishLoading();
    if (m_progress)
        m_progress(100.0);
    return Status::Ok;
}

bool DxfReader::NextGroup(DxfGroup& g)
{
    if (m_aborted)
        return false;
    if (++m_groupCount % kPollEvery == 0) {
        if (m_abort && m_abort()) {
            m_aborted = true;
            return false;
        }
        if (m_progress && m_tok->Size() > 0)
            m_progress(100.0 * static_cast<double>(m_tok->Offset()) /
                       static_cast<double>(m_tok->Size()));
    }
    return m_tok->Next(g);
}

bool DxfReader::Collect(std::vector<DxfGroup>& groups)
{
    groups.clear();
    DxfGroup g;
    while (NextGroup(g)) {
        if (g.code == 0) {
            m_tok->PushBack();
            return true;
        }
        if (groups.size() >= kMaxGroupsPerRecord) {
            m_tooLarge = true;
            return false;
        }
        groups.push_back(g);
    }
    return !m_tok->Failed() && !m_aborted;
}

bool DxfReader::ReadSection()
{
    DxfGroup g;
    if (!NextGroup(g) || g.code != 2)
        return false;
    const std::string name(g.text);
    if (name == "HEADER")
        ReadHeader();
    else if (name == "TABLES")
        ReadTables();
    else if (name == "BLOCKS")
        ReadBlocks();
    else if (name == "ENTITIES")
        ReadEntities(m_db.ModelSpace(), true);
    else if (name == "OBJECTS")
        ReadObjects();
    else if (name == "ACDSDATA")
        ReadAcisData();
    else
        SkipSection();
    return true;
}

void DxfReader::SkipSection()
{
    DxfGroup g;
    while (NextGroup(g)) {
        if (g.code == 0 && g.Is("ENDSEC"))
            return;
    }
}

void DxfReader::ReadAcisData()
{
    DxfGroup g;
    while (NextGroup(g)) {
        if (g.code == 0 && g.Is("ENDSEC"))
            return;
        m_acisData.Add(g);
    }
}

void DxfReader::ReadHeader()
{
    DxfGroup g;
    std::string name;
    bool haveName = false;
    while (NextGroup(g)) {
        if (g.code == 0 || g.code == 9) {
            if (haveName)
                ReadHeaderVariable(name);
            m_valueGroups.clear();
            if (g.code == 0) {
                if (!g.Is("ENDSEC"))
                    m_tok->PushBack();
                break;
            }
            name.assign(g.text);
            haveName = true;
            continue;
        }
        if (m_valueGroups.size() < 64)
            m_valueGroups.push_back(g);
    }
    ApplyCodePage();
}

void DxfReader::ApplyCodePage()
{
    const DrawingHeader& h = m_db.Header();
    // From 2007 on a DXF file is UTF-8 whatever $DWGCODEPAGE says.
    const bool utf8 = h.version >= DwgVersion::R2007;
    m_ctx.Decoder().SetCodePage(utf8 ? 0 : CodePage::FromName(h.codePage));
}

void DxfReader::ReadHeaderVariable(std::string_view name)
{
    const std::vector<DxfGroup>& v = m_valueGroups;
    if (v.empty())
        return;
    DrawingHeader& h = m_db.Header();
    const auto text = [&v]() { return std::string(v.front().text); };
    const auto real = [&v](double fallback) { return v.front().code >= 10 && v.front().code < 60 ? v.front().Double() : fallback; };
    const auto integer = [&v]() { return v.front().Int(); };
    if (name == "$ACADVER") {
        h.acadVer = text();
        h.version = DwgVersionInfo::FromAcadVer(h.acadVer);
    } else if (name == "$DWGCODEPAGE") {
        // It comes first, after $ACADVER: the names that follow are in it.
        h.codePage = text();
        ApplyCodePage();
    } else if (name == "$EXTMIN") {
        h.extMin = PointOf(v, 10);
    } else if (name == "$EXTMAX") {
        h.extMax = PointOf(v, 10);
    } else if (name == "$LIMMIN" || name == "$LIMMAX") {
        const Vec3 p = PointOf(v, 10);
        (name == "$LIMMIN" ? h.limMin : h.limMax) = {p.x, p.y};
    } else if (name == "$INSBASE") {
        h.insBase = PointOf(v, 10);
    } else if (name == "$LTSCALE") {
        h.ltScale = real(1.0);
    } else if (name == "$CELTSCALE") {
        h.celtScale = real(1.0);
    } else if (name == "$PSLTSCALE") {
        h.psLtScale = integer() != 0;
    } else if (name == "$PDMODE") {
        h.pdMode = integer();
    } else if (name == "$PDSIZE") {
        h.pdSize = real(0.0);
    } else if (name == "$LUNITS") {
        h.lunits = integer();
    } else if (name == "$LUPREC") {
        h.luprec = integer();
    } else if (name == "$AUNITS") {
        h.aunits = integer();
    } else if (name == "$AUPREC") {
        h.auprec = integer();
    } else if (name == "$INSUNITS") {
        h.insUnits = integer();
    } else if (name == "$MEASUREMENT") {
        h.measurement = integer();
    } else if (name == "$TEXTSIZE") {
        h.textSize = real(0.2);
    } else if (name == "$CLAYER") {
        h.currentLayer = m_ctx.Text(v.front().text);
    } else if (name == "$TEXTSTYLE") {
        h.textStyle = m_ctx.Text(v.front().text);
    } else if (name == "$CELTYPE") {
        h.currentLineType = m_ctx.Text(v.front().text);
    } else if (name == "$DIMSTYLE") {
        h.dimStyle = m_ctx.Text(v.front().text);
    } else if (name == "$CMLSTYLE") {
        h.mlineStyle = m_ctx.Text(v.front().text);
    } else if (name == "$DIMSCALE") {
        h.dimScale = real(1.0);
    } else if (name == "$DIMASZ") {
        h.dimArrowSize = real(0.18);
    } else if (name == "$DIMTXT") {
        h.dimTextHeight = real(0.18);
    } else if (name == "$TILEMODE") {
        h.tileMode = integer() != 0;
    } else if (name == "$ATTMODE") {
        h.attMode = integer();
    } else if (name == "$FILLMODE") {
        h.fillMode = integer() != 0;
    } else if (name == "$LWDISPLAY") {
        h.lwDisplay = integer() != 0;
    } else if (name == "$TDCREATE") {
        h.tdCreate = real(0.0);
    } else if (name == "$TDUPDATE") {
        h.tdUpdate = real(0.0);
    } else if (name == "$TDINDWG") {
        h.tdInDwg = real(0.0);
    } else if (name == "$LASTSAVEDBY") {
        h.lastSavedBy = m_ctx.Text(v.front().text);
    }
}

void DxfReader::ReadTables()
{
    DxfGroup g;
    std::string table;
    while (NextGroup(g)) {
        if (g.code != 0)
            continue;
        if (g.Is("ENDSEC"))
            return;
        if (g.Is("TABLE")) {
            if (!Collect(m_groups))
                return;
            const DxfGroup* name = FirstGroup(m_groups, 2);
            table.assign(name ? name->text : std::string_view());
            continue;
        }
        if (g.Is("ENDTAB")) {
            table.clear();
            continue;
        }
        const std::string type(g.text);
        if (!Collect(m_groups))
            return;
        ReadTableRecord(type, m_groups);
    }
}

void DxfReader::ReadTableRecord(std::string_view type, const std::vector<DxfGroup>& groups)
{
    const DxfGroup* nameGroup = FirstGroup(groups, 2);
    if (!nameGroup)
        return;
    const std::string name = m_ctx.Text(nameGroup->text);
    const DxfGroup* handleGroup = FirstGroup(groups, type == "DIMSTYLE" ? 105 : 5);
    const Handle handle = handleGroup ? handleGroup->Handle() : 0;
    if (type == "LAYER") {
        Layer layer;
        layer.name = name;
        layer.handle = handle;
        const int aci = FirstInt(groups, 62, 7);
        layer.color = Color::FromAci(aci == 0 || aci == 256 ? 7 : aci);
        layer.off = aci < 0;
        if (const DxfGroup* rgb = FirstGroup(groups, 420))
            layer.color = Color::FromRgb(static_cast<std::uint32_t>(rgb->Int()));
        const int flags = FirstInt(groups, 70, 0);
        layer.frozen = (flags & 1) != 0;
        layer.locked = (flags & 4) != 0;
        layer.plot = FirstInt(groups, 290, 1) != 0;
        layer.lineWeight = static_cast<std::int16_t>(FirstInt(groups, 370, kLwDefault));
        if (const DxfGroup* lt = FirstGroup(groups, 6))
            layer.lineType = m_ctx.LineType(lt->text);
        // The layer's transparency lives in its extended data.
        bool transparencyData = false;
        for (const DxfGroup& g : groups) {
            if (g.code == 1001)
                transparencyData = TableKey(std::string(g.text)) == "ACCMTRANSPARENCY";
            else if (g.code == 1071 && transparencyData)
                layer.transparency = TransparencyFromStored(static_cast<std::uint32_t>(g.Int()));
        }
        m_db.Layers().Add(std::move(layer));
    } else if (type == "LTYPE") {
        LineType lt;
        lt.name = name;
        lt.handle = handle;
        for (const DxfGroup& g : groups) {
            if (g.code == 3)
                lt.description = m_ctx.Text(g.text);
            else if (g.code == 40)
                lt.patternLength = g.Double();
            else if (g.code == 49)
                lt.elements.emplace_back().length = g.Double();
            else if (!lt.elements.empty())
                ReadLineTypeElement(g, lt.elements.back());
        }
        m_db.LineTypes().Add(std::move(lt));
    } else if (type == "STYLE") {
        TextStyle style;
        style.name = name;
        style.handle = handle;
        const int flags = FirstInt(groups, 70, 0);
        style.isShapeFile = (flags & 1) != 0;
        style.fixedHeight = FirstDouble(groups, 40, 0.0);
        style.widthFactor = FirstDouble(groups, 41, 1.0);
        if (!(style.widthFactor > 0.0))
            style.widthFactor = 1.0;
        style.oblique = FirstDouble(groups, 50, 0.0) * kDegree;
        style.generation = static_cast<std::uint8_t>(FirstInt(groups, 71, 0));
        if (const DxfGroup* f = FirstGroup(groups, 3))
            style.fontFile = m_ctx.Text(f->text);
        if (const DxfGroup* f = FirstGroup(groups, 4))
            style.bigFontFile = m_ctx.Text(f->text);
        if (const DxfGroup* face = FirstGroup(groups, 1000))
            style.typeface = m_ctx.Text(face->text);
        const std::int32_t fontFlags = FirstInt(groups, 1071, 0);
        style.italic = (fontFlags & 0x1000000) != 0;
        style.bold = (fontFlags & 0x2000000) != 0;
        m_db.TextStyles().Add(std::move(style));
    } else if (type == "VPORT") {
        ViewportRecord vp;
        vp.name = name;
        vp.handle = handle;
        const Vec3 c = PointOf(groups, 12);
        vp.center = {c.x, c.y};
        vp.height = FirstDouble(groups, 40, 0.0);
        vp.aspect = FirstDouble(groups, 41, 1.0);
        vp.direction = PointOf(groups, 16, {0, 0, 1});
        vp.target = PointOf(groups, 17);
        vp.twist = FirstDouble(groups, 51, 0.0) * kDegree;
        // With several tiled viewports the first "*ACTIVE" is the current one.
        if (m_db.ViewportRecords().Find(name) < 0)
            m_db.ViewportRecords().Add(std::move(vp));
    } else if (type == "DIMSTYLE") {
        DimStyle ds;
        ds.name = name;
        ds.handle = handle;
        ds.scale = FirstDouble(groups, 40, 1.0);
        ds.arrowSize = FirstDouble(groups, 41, 0.18);
        ds.textHeight = FirstDouble(groups, 140, 0.18);
        m_db.DimStyles().Add(std::move(ds));
    } else if (type == "BLOCK_RECORD") {
        const std::int32_t index = m_db.EnsureBlock(name);
        if (handle != 0)
            m_db.Blocks().SetHandle(index, handle);
    }
}

void DxfReader::ReadBlocks()
{
    DxfGroup g;
    while (NextGroup(g)) {
        if (g.code != 0)
            continue;
        if (g.Is("ENDSEC"))
            return;
        if (!g.Is("BLOCK")) {
            if (!Collect(m_groups))
                return;
            continue;
        }
        if (!Collect(m_groups))
            return;
        const DxfGroup* nameGroup = FirstGroup(m_groups, 2);
        if (!nameGroup)
            nameGroup = FirstGroup(m_groups, 3);
        const std::string name = nameGroup ? m_ctx.Text(nameGroup->text) : std::string();
        const std::int32_t index = m_db.EnsureBlock(name.empty() ? "*Unnamed" : name);
        Block& block = m_db.Blocks()[index];
        block.entities.clear();
        block.flags = static_cast<std::uint16_t>(FirstInt(m_groups, 70, 0));
        block.basePoint = PointOf(m_groups, 10);
        if (const DxfGroup* xref = FirstGroup(m_groups, 1))
            block.xrefPath = m_ctx.Text(xref->text);
        if (block.handle == 0) {
            const DxfGroup* owner = FirstGroup(m_groups, 330);
            const DxfGroup* own = FirstGroup(m_groups, 5);
            const Handle h = owner ? owner->Handle() : (own ? own->Handle() : 0);
            if (h != 0)
                m_db.Blocks().SetHandle(index, h);
        }
        ReadEntities(index, false);
    }
}

void DxfReader::ReadEntities(std::int32_t block, bool entitiesSection)
{
    m_openPolyline = nullptr;
    m_openInsert = nullptr;
    DxfGroup g;
    while (NextGroup(g)) {
        if (g.code != 0)
            continue;
        if (g.Is("ENDSEC") || (!entitiesSection && g.Is("BLOCK"))) {
            if (!entitiesSection)
                m_tok->PushBack();      // a block without ENDBLK ends at the next one
            break;
        }
        if (!entitiesSection && g.Is("ENDBLK")) {
            Collect(m_groups);
            break;
        }
        const std::string type(g.text);
        if (!Collect(m_groups))
            break;
        if (type == "SEQEND") {
            m_openPolyline = nullptr;
            m_openInsert = nullptr;
        } else if (type == "VERTEX") {
            if (m_openPolyline)
                m_entities.AddVertex(*m_openPolyline, m_groups);
        } else if (type == "ATTRIB") {
            DxfEntityReader::Result built = m_entities.Build(type, m_groups);
            if (m_openInsert && built.entity) {
                m_openInsert->attributes.emplace_back(
                    static_cast<Attribute*>(built.entity.release()));
            }
        } else {
            m_openPolyline = nullptr;
            m_openInsert = nullptr;
            PlaceEntity(m_entities.Build(type, m_groups), block, entitiesSection);
        }
    }
    m_openPolyline = nullptr;
    m_openInsert = nullptr;
}

void DxfReader::PlaceEntity(DxfEntityReader::Result built, std::int32_t block, bool entitiesSection)
{
    if (!built.entity)
        return;
    std::int32_t target = block;
    if (entitiesSection && built.paperSpace)
        target = m_db.EnsurePaperSpace();
    Entity* e = built.entity.get();
    // R12 writers do not always set 66 on a POLYLINE, but its VERTEXes follow all the same.
    if (auto* pl = As<Polyline>(*e))
        m_openPolyline = pl;
    else if (auto* ins = As<Insert>(*e); ins && built.followers)
        m_openInsert = ins;
    m_db.Blocks()[target].entities.push_back(std::move(built.entity));
}

void DxfReader::ReadObjects()
{
    DxfGroup g;
    while (NextGroup(g)) {
        if (g.code != 0)
            continue;
        if (g.Is("ENDSEC"))
            return;
        const std::string type(g.text);
        if (!Collect(m_groups))
            return;
        ReadObject(type, m_groups);
    }
}

void DxfReader::ReadLineTypeElement(const DxfGroup& g, LineTypeElement& element) const
{
    switch (g.code) {
    case 74: {
        const int flags = g.Int();
        element.absoluteRotation = (flags & 1) != 0;
        element.kind = (flags & 2) ? LineTypeElement::Kind::Text
                                   : ((flags & 4) ? LineTypeElement::Kind::Shape : LineTypeElement::Kind::Plain);
        break;
    }
    case 75: element.shapeNumber = static_cast<std::int16_t>(g.Int()); break;
    case 340: element.styleHandle = g.Handle(); break;
    case 46: element.scale = g.Double(); break;
    case 50: element.rotation = g.Double() * kDegree; break;
    case 44: element.offset.x = g.Double(); break;
    case 45: element.offset.y = g.Double(); break;
    case 9: element.text = m_ctx.Text(g.text); break;
    default: break;
    }
}

void DxfReader::ReadSortEntsTable(const std::vector<DxfGroup>& groups)
{
    // After the subclass marker: the block record (330), then entities (331) and the handles
    // whose places they take (5), in pairs.
    Handle owner = 0;
    std::vector<Handle> entities, places;
    bool table = false;
    for (const DxfGroup& g : groups) {
        if (g.code == 100)
            table = g.Is("AcDbSortentsTable");
        else if (table && g.code == 330 && owner == 0)
            owner = g.Handle();
        else if (table && g.code == 331)
            entities.push_back(g.Handle());
        else if (table && g.code == 5)
            places.push_back(g.Handle());
    }
    const std::int32_t block = owner != 0 ? m_db.Blocks().FindHandle(owner) : -1;
    if (block < 0)
        return;
    auto& pairs = m_db.Blocks()[block].sortHandles;
    for (std::size_t i = 0; i < entities.size() && i < places.size(); ++i)
        pairs.emplace_back(entities[i], places[i]);
}

void DxfReader::ReadPlotSetting(const DxfGroup& g, Layout& layout)
{
    RkDb::PlotSettings& plot = layout.plot;
    switch (g.code) {
    case 40: plot.left = g.Double(); break;
    case 41: plot.bottom = g.Double(); break;
    case 42: plot.right = g.Double(); break;
    case 43: plot.top = g.Double(); break;
    case 44: layout.paperSize.x = g.Double(); break;
    case 45: layout.paperSize.y = g.Double(); break;
    case 46: plot.origin.x = g.Double(); break;
    case 47: plot.origin.y = g.Double(); break;
    case 72: plot.units = static_cast<std::int16_t>(g.Int()); break;
    case 73: plot.rotation = static_cast<std::int16_t>(g.Int()); break;
    default: return;
    }
    plot.known = true;
}

void DxfReader::ReadObject(std::string_view type, const std::vector<DxfGroup>& groups)
{
    if (type == "LAYOUT") {
        Layout layout;
        std::string_view subclass;
        for (const DxfGroup& g : groups) {
            if (g.code == 100) {
                subclass = g.text;
                continue;
            }
            if (g.code == 5 && layout.handle == 0)
                layout.handle = g.Handle();
            if (subclass == "AcDbPlotSettings") {
                ReadPlotSetting(g, layout);
                continue;
            }
            if (subclass != "AcDbLayout")
                continue;
            switch (g.code) {
            case 1: layout.name = m_ctx.Text(g.text); break;
            case 71: layout.tabOrder = g.Int(); break;
            case 10: layout.limMin.x = g.Double(); break;
            case 20: layout.limMin.y = g.Double(); break;
            case 11: layout.limMax.x = g.Double(); break;
            case 21: layout.limMax.y = g.Double(); break;
            case 330: layout.blockHandle = g.Handle(); break;
            default:
                SetCoordinate(layout.extMin, g, 14) || SetCoordinate(layout.extMax, g, 15);
                break;
            }
        }
        if (layout.name.empty())
            return;
        layout.plot.Normalize();
        if (layout.name == "Model") {
            Layout& model = m_db.Layouts().front();
            layout.block = model.block;
            layout.tabOrder = 0;
            model = layout;
            return;
        }
        m_db.Layouts().push_back(layout);
    } else if (type == "SORTENTSTABLE") {
        ReadSortEntsTable(groups);
    } else if (type == "IMAGEDEF") {
        const DxfGroup* h = FirstGroup(groups, 5);
        const DxfGroup* file = FirstGroup(groups, 1);
        if (h && file)
            m_ctx.imageDefs[h->Handle()] = m_ctx.Text(file->text);
    } else if (type == "MLINESTYLE") {
        MLineStyle style;
        bool elements = false;      // the groups after 71 describe the elements
        for (const DxfGroup& g : groups) {
            if (g.code == 2) {
                style.name = m_ctx.Text(g.text);
            } else if (g.code == 5) {
                style.handle = g.Handle();
            } else if (g.code == 71) {
                elements = true;
            } else if (g.code == 49 && elements) {
                style.elements.push_back({g.Double(), Color::ByLayer(), kRefByLayer});
            } else if (elements && !style.elements.empty()) {
                MLineElement& element = style.elements.back();
                if (g.code == 62)
                    element.color = Color::FromAci(g.Int());
                else if (g.code == 420)
                    element.color = Color::FromRgb(static_cast<std::uint32_t>(g.Int()));
                else if (g.code == 6)
                    element.lineType = m_ctx.LineType(g.text);
            }
        }
        if (!style.name.empty())
            m_db.MLineStyles().Add(std::move(style));
    } else if (type == "XRECORD") {
        const DxfGroup* cookie = FirstGroup(groups, 1);
        if (!cookie || !cookie->Is("DWGPROPS COOKIE"))
            return;
        SummaryInfo& s = m_db.Summary();
        bool first = true;
        for (const DxfGroup& g : groups) {
            const std::string value = (g.code < 10 || (g.code >= 300 && g.code < 310))
                                          ? m_ctx.Text(g.text) : std::string();
            switch (g.code) {
            case 1: if (!first) s.hyperlinkBase = value; first = false; break;
            case 2: s.title = value; break;
            case 3: s.subject = value; break;
            case 4: s.author = value; break;
            case 6: s.comments = value; break;
            case 7: s.keywords = value; break;
            case 8: s.lastSavedBy = value; break;
            case 9: s.revision = value; break;
            case 40: s.totalEditingDays = g.Double(); break;
            default:
                // The export writes all ten slots; an unused one is a bare "=".
                if (g.code >= 300 && g.code < 310 && !value.empty()) {
                    const std::size_t eq = value.find('=');
                    if (eq != 0)
                        s.custom.emplace_back(value.substr(0, eq),
                                              eq == std::string::npos ? std::string() : value.substr(eq + 1));
                }
                break;
            }
        }
    }
}

void DxfReader::ResolvePending()
{
    // Images name their file and multilines their style through objects that come after the
    // entities; resolved by walking the entities, so nothing points into records a later
    // (duplicate) block definition may have replaced.
    for (Block& block : m_db.Blocks()) {
        for (EntityPtr& e : block.entities) {
            if (auto* image = As<Image>(*e)) {
                const auto found = m_ctx.imageDefs.find(image->imageDef);
                if (found != m_ctx.imageDefs.end())
                    image->fileName = found->second;
            } else if (auto* mline = As<MLine>(*e)) {
                ResolveMLineStyle(*mline);
            } else if (auto* solid = As<AcisSolid>(*e)) {
                if (solid->edges.empty())
                    m_acisData.Apply(*solid);
            }
        }
    }
}

void DxfReader::ResolveMLineStyle(MLine& mline) const
{
    std::int32_t style = m_db.MLineStyles().FindHandle(mline.style);
    if (style < 0 && !mline.styleName.empty())
        style = m_db.MLineStyles().Find(mline.styleName);
    if (style >= 0)
        mline.elements = m_db.MLineStyles()[style].elements;
    const std::size_t count = mline.vertices.empty() ? 0 : mline.vertices.front().offsets.size();
    if (mline.elements.size() != count)
        mline.elements.assign(count, MLineElement{});
}

} // namespace RkDxf
