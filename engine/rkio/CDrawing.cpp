#include "engine/rkio/CDrawing.h"

#include "engine/db/LinearUnits.h"
#include "engine/draw/DefaultViewport.h"
#include "engine/draw/DrawingRenderer.h"
#include "engine/draw/PaperSheet.h"
#include "engine/dwg/DwgReader.h"
#include "engine/dxf/DxfReader.h"
#include "engine/preview/DrawingIdentifier.h"
#include "engine/rkio/CDwgExport.h"
#include "engine/rkio/DrawingFile.h"
#include "engine/rkio/ExportDrawSink.h"
#include "engine/rkio/GdiDrawSink.h"
#include "engine/rkio/PreviewPicture.h"
#include "engine/rkio/RasterFileFinder.h"
#include "engine/rkio/ShapeFontFinder.h"
#include "engine/rkio/TextMeasure.h"
#include "engine/write/DrawingSaver.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using RkDraw::ViewTransform;
using Reach = RkDraw::DrawingRenderer::Reach;

namespace {

constexpr std::size_t kMaxPreviousViews = 32;

std::uint32_t ToRgb(COLORREF c)
{
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

// View directions of the standard view points: 0 Front, 1 Back, 2 Left, 3 Right, 4 Top,
// 5 Bottom, 6 SW, 7 SE, 8 NE, 9 NW isometric.
RkDb::Vec3 ViewPointDirection(int viewPoint)
{
    static const RkDb::Vec3 directions[10] = {
        {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 0, -1},
        {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}};
    return directions[viewPoint >= 0 && viewPoint < 10 ? viewPoint : 4];
}

// The drawing information's line for a DWG shown by its stored preview: that it is only the
// preview, and why, so that an empty-looking drawing is not taken for an empty file.
std::string PreviewReason(orvo::dwg::DwgReadResult result)
{
    const char* why = "its data could not be read (damaged or of an unknown kind)";
    if (result == orvo::dwg::DwgReadResult::UnsupportedVersion)
        why = "its version cannot be read";
    else if (result == orvo::dwg::DwgReadResult::TooLarge)
        why = "it needs more memory to read than a drawing may take";
    return std::string("Shown=stored preview only: ") + why;
}

} // namespace

CDrawing* CDrawing::CreateDrawing(int kind)
{
    return new CDrawing(kind == 1 ? RkIo::Channel::Thumbnail : RkIo::Channel::Document);
}

void CDrawing::DeleteDrawing(CDrawing* drawing)
{
    delete drawing;
}

CDrawing::CDrawing(RkIo::Channel channel) : m_channel(channel)
{
    m_view.SetDevice(1, 1);
}

CDrawing::~CDrawing() = default;

short CDrawing::Open(const char* path, const char* password)
{
    (void)password;     // neither DXF nor the readable DWG versions carry a password
    Close();
    if (!path || !*path)
        return 1;
    std::string bytes;
    if (!RkIo::DrawingFile::ReadAll(path, bytes))
        return 1;
    const bool document = m_channel == RkIo::Channel::Document;
    if (document)
        RkIo::EngineState::Instance().ProgressStart(0);
    const short result = Load(bytes);
    if (document)
        RkIo::EngineState::Instance().ProgressFinish();
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (result != 0) {
        Close();
        return result;
    }
    m_path = path;
    RkIo::RasterFileFinder finder(m_path, RkIo::EngineState::Instance().SearchDirectories());
    m_rasters = std::make_unique<RkDraw::RasterCache>(
        RkIo::EngineState::Instance().RasterDecoder(),
        [finder](const std::string& stored) { return finder.Find(stored); });
    if (m_db)
        m_shapeFonts = RkIo::ShapeFontFinder::Load(*m_db, RkIo::ShapeFontFinder::Folders(m_path));
    ResetView();
    return 0;
}

short CDrawing::Load(const std::string& bytes)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto id = RkPreview::DrawingIdentifier::Identify(data, bytes.size());
    auto db = std::make_unique<RkDb::Database>();
    if (id.format == RkPreview::DrawingIdentifier::Format::Dxf) {
        RkDxf::DxfReader reader(*db);
        const RkIo::Channel channel = m_channel;
        reader.SetAbortQuery([channel] { return RkIo::EngineState::Instance().AbortRequested(channel); });
        if (channel == RkIo::Channel::Document) {
            int last = -1;
            reader.SetProgress([last](double percent) mutable {
                const int whole = static_cast<int>(percent);
                if (whole != last) {
                    last = whole;
                    RkIo::EngineState::Instance().Progress(percent);
                }
            });
        }
        switch (reader.Read(bytes.data(), bytes.size())) {
        case RkDxf::DxfReader::Status::Ok: break;
        case RkDxf::DxfReader::Status::Aborted: return 3;
        default: return 2;
        }
        m_version = RkDb::DwgVersionInfo::Code(db->Header().version);
        if (m_version < 0)
            m_version = id.versionCode;
    } else if (id.format == RkPreview::DrawingIdentifier::Format::Dwg) {
        const orvo::dwg::DwgReadResult read = LoadDwg(bytes, *db);
        switch (read) {
        case orvo::dwg::DwgReadResult::Ok: break;
        case orvo::dwg::DwgReadResult::PasswordProtected: return 4;
        case orvo::dwg::DwgReadResult::Cancelled: return 3;
        default:
            // A DWG whose geometry cannot be read shows its stored preview picture.
            db = std::make_unique<RkDb::Database>();
            m_previewBmp = RkIo::PreviewPicture::BmpFromDrawingBytes(bytes);
            if (m_previewBmp.empty())
                return 2;
            m_previewReason = PreviewReason(read);
            break;
        }
        db->Header().version = id.version;
        db->Header().acadVer = RkDb::DwgVersionInfo::AcadVer(id.version);
        m_version = id.versionCode;
    } else {
        return 2;
    }
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_db = std::move(db);
    return 0;
}

orvo::dwg::DwgReadResult CDrawing::LoadDwg(const std::string& bytes, RkDb::Database& db) const
{
    orvo::dwg::DwgReader reader;
    const RkIo::Channel channel = m_channel;
    reader.SetCancelQuery([channel] { return RkIo::EngineState::Instance().AbortRequested(channel); });
    std::vector<std::uint8_t> file(bytes.begin(), bytes.end());
    return reader.Read(std::move(file), db);
}

bool CDrawing::IsValid() const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_db != nullptr;
}

void CDrawing::GetFileName(char* buffer260) const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!buffer260)
        return;
    const std::size_t n = std::min<std::size_t>(m_db ? m_path.size() : 0, MAX_PATH - 1);
    std::memcpy(buffer260, m_path.data(), n);
    buffer260[n] = '\0';
}

short CDrawing::GetVersion() const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_db ? m_version : -1;
}

void CDrawing::EnumSummary(SummaryCallback callback, void* context) const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_db || !callback)
        return;
    // Files without a summary section keep the last editor in the header.
    const RkDb::SummaryInfo s = RkDb::EffectiveSummary(*m_db);
    const std::pair<int, const std::string*> fields[] = {
        {0, &s.keywords}, {1, &s.title}, {2, &s.subject}, {3, &s.author}, {4, &s.comments},
        {5, &s.lastSavedBy}, {6, &s.hyperlinkBase}, {7, &s.revision}};
    for (const auto& f : fields) {
        if (!f.second->empty())
            callback(f.first, f.second->c_str(), context);
    }
    for (const auto& custom : s.custom) {
        const std::string text = custom.first + "=" + custom.second;
        callback(17, text.c_str(), context);
    }
    if (HasPreviewOnly())
        callback(17, m_previewReason.c_str(), context);
}

RkDb::EditingTime CDrawing::GetTotalEditingTime() const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_db ? RkDb::SplitEditingTime(RkDb::EffectiveSummary(*m_db).totalEditingDays) : RkDb::EditingTime();
}

void CDrawing::SetOutputSize(int width, int height)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_view.SetDevice(std::max(1, width), std::max(1, height));
}

void CDrawing::ZoomExtents(int, int, double factor)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    // A factor above 1 is the margin around the extents (1.05 leaves 5 %), one up to 1 the part
    // of the output the extents fill.
    if (std::isfinite(factor) && factor > 1.0 && factor < 100.0)
        factor = 1.0 / factor;
    FitLayout(factor > 0.0 && factor <= 1.0 ? factor : 0.98);
}

void CDrawing::FitOpeningView(double factor)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    FitLayout(factor > 0.0 && factor <= 1.0 ? factor : 0.98, Options(nullptr), Reach::Bulk);
}

void CDrawing::DeviceSizeChanged()
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    // The same area stays in view; the height of the area is kept, the width follows the device.
}

void CDrawing::ClearHighlight(int)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_highlight = -1;
}

namespace {

// Draws what it is given with a pen at least three pixels wide: the hover highlight.
class WideSink final : public RkDraw::DrawSink
{
public:
    explicit WideSink(RkDraw::DrawSink& target) : m_target(target) {}
    void SetPen(std::uint32_t rgb, double width) override { m_target.SetPen(rgb, std::max(width, 3.0)); }
    void Polyline(const RkDraw::DevPoint* p, int n) override { m_target.Polyline(p, n); }
    void Polygons(const RkDraw::DevPoint* p, const int* c, int r) override { m_target.Polygons(p, c, r); }
    void Dot(RkDraw::DevPoint p) override { m_target.Dot(p); }
    void Text(const RkDraw::TextRun& run) override { m_target.Text(run); }
    double TextWidth(const RkDraw::TextRun& run) override { return m_target.TextWidth(run); }
    void PushClip(const RkDraw::DevPoint* p, int n) override { m_target.PushClip(p, n); }
    void PopClip() override { m_target.PopClip(); }
    void Flush() override { m_target.Flush(); }

private:
    RkDraw::DrawSink& m_target;
};

constexpr double kHoverTolerance = 4.0;     // pixels

} // namespace

bool CDrawing::HighlightUpdate(HDC dc, int x, int yDown)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_db || HasPreviewOnly() || !dc)
        return false;
    m_highlight = RkDraw::DrawingRenderer::HitTest(*m_db, m_layout, m_view, x, yDown, kHoverTolerance);
    if (m_highlight < 0)
        return false;
    RkDraw::GdiDrawSink gdi(dc);
    WideSink wide(gdi);
    RkDraw::DrawingRenderer(*m_db, wide, Options(nullptr)).DrawOne(m_layout, m_view, m_highlight);
    return true;
}

bool CDrawing::HighlightAt(HDC dc, int x, int yUp)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    return HighlightUpdate(dc, x, m_view.DeviceHeight() - yUp);
}

int CDrawing::GetLayoutCount() const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_db && !HasPreviewOnly() ? static_cast<int>(m_db->Layouts().size()) : 0;
}

int CDrawing::GetCurrentLayout() const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_layout;
}

const char* CDrawing::GetLayoutName(int index) const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_db || index < 0 || index >= GetLayoutCount())
        return "";
    return m_db->Layouts()[static_cast<std::size_t>(index)].name.c_str();
}

bool CDrawing::SetCurrentLayout(int index)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (index < 0 || index >= GetLayoutCount())
        return false;
    if (index == m_layout)
        return true;
    m_layoutViews.Leave(m_layout, m_view);
    m_layout = index;
    m_previousViews.clear();
    m_highlight = -1;
    RkDraw::DefaultViewport::Ensure(*m_db, m_layout);
    if (m_layoutViews.Enter(m_layout, m_view))
        return true;
    m_view.SetDirection({0, 0, 1}, {}, 0.0);
    FitLayout(0.98, Options(nullptr), Reach::Bulk);
    return true;
}

void CDrawing::Update() {}

void CDrawing::Close()
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_db.reset();
    m_rasters.reset();
    m_shapeFonts.reset();
    m_previewBmp.clear();
    m_previewReason.clear();
    m_path.clear();
    m_version = -1;
    m_layout = 0;
    m_previousViews.clear();
    m_layoutViews.Clear();
    m_hasDepth = -1;
    m_highlight = -1;
    m_printing = false;
    m_usePlotPens = false;
    m_lineWeightScale = 1.0;
}

void CDrawing::SetExportTarget(CDwgExport* target)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_export = target;
}

bool CDrawing::RenderThroughExport()
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_db || !m_export)
        return false;
    RkDraw::ExportDrawSink sink(*m_export, m_view.DeviceHeight());
    RkDraw::RenderOptions options = Options(nullptr);
    options.background = 0xFFFFFF;     // paper
    options.lineWeights = true;
    return RkDraw::DrawingRenderer(*m_db, sink, options).Draw(m_layout, m_view);
}

void CDrawing::SetPlotPens(bool usePenSets, double lineWeightScale)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_usePlotPens = usePenSets;
    m_lineWeightScale = std::isfinite(lineWeightScale) && lineWeightScale > 0.0 ? lineWeightScale : 1.0;
}

void CDrawing::Regenerate()
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    // What was measured of the drawing is measured again on the next ask.
    m_hasDepth = -1;
    m_highlight = -1;
}

void CDrawing::EndPrinting()
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_export = nullptr;
    if (m_printing)
        m_view = m_viewBeforePrint;
    m_printing = false;
    m_usePlotPens = false;
    m_lineWeightScale = 1.0;
}

void CDrawing::ResetView()
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_previousViews.clear();
    m_layoutViews.Clear();
    // The layout the drawing was saved in, as CAD programs open it.
    m_layout = m_db ? m_db->CurrentLayout() : 0;
    if (m_db && !HasPreviewOnly())
        RkDraw::DefaultViewport::Ensure(*m_db, m_layout);
    m_view.SetDirection({0, 0, 1}, {}, 0.0);
    if (m_db && m_layout == 0) {
        const int active = m_db->ViewportRecords().Find("*ACTIVE");
        if (active >= 0) {
            const RkDb::ViewportRecord& vp = m_db->ViewportRecords()[active];
            m_view.SetDirection(vp.direction, vp.target, vp.twist);
            // The view the drawing was saved with, as CAD programs open it, while it shows the
            // drawing: a stale view that misses it or shows it as a speck gives way to its extents.
            if (vp.height > 0.0 && std::isfinite(vp.height)) {
                m_view.SetArea(vp.center, vp.height);
                if (SavedViewShowsTheDrawing())
                    return;
            }
        }
    }
    FitLayout(0.98, Options(nullptr), Reach::Bulk);
}

bool CDrawing::SavedViewShowsTheDrawing() const
{
    RkDb::Vec2 min, max;
    // Measured against the bulk: a view of the few far objects alone does not show the drawing.
    if (!RkDraw::DrawingRenderer::Extents(*m_db, m_layout, m_view, MeasuringOptions(), Reach::Bulk, min, max))
        return true;
    const double h = m_view.Height();
    const double w = h * m_view.DeviceWidth() / std::max(1, m_view.DeviceHeight());
    const RkDb::Vec2 c = m_view.Center();
    const bool overlaps = max.x >= c.x - w / 2 && min.x <= c.x + w / 2 && max.y >= c.y - h / 2 &&
                          min.y <= c.y + h / 2;
    const double kSpeck = 1.0 / 50.0;
    const bool speck = max.x - min.x < w * kSpeck && max.y - min.y < h * kSpeck;
    return overlaps && !speck;
}

void CDrawing::FitLayout(double factor)
{
    FitLayout(factor, Options(nullptr));
}

void CDrawing::FitLayout(double factor, const RkDraw::RenderOptions& options, Reach reach)
{
    if (!m_db)
        return;
    RkDb::Vec2 min, max;
    if (RkDraw::DrawingRenderer::Extents(*m_db, m_layout, m_view, options, reach, min, max)) {
        // A paper layout fits its whole sheet, as CAD programs open it.
        RkDb::Vec2 sheetMin, sheetMax;
        if (RkDraw::PaperSheet::BoundsOf(*m_db, m_layout, sheetMin, sheetMax)) {
            min = {std::min(min.x, sheetMin.x), std::min(min.y, sheetMin.y)};
            max = {std::max(max.x, sheetMax.x), std::max(max.y, sheetMax.y)};
        }
        m_view.Fit(min, max, factor);
        return;
    }
    // An empty drawing shows its limits.
    const RkDb::DrawingHeader& h = m_db->Header();
    m_view.Fit({h.limMin.x, h.limMin.y}, {h.limMax.x, h.limMax.y}, factor);
}

void CDrawing::SetViewPoint(int viewPoint)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    PushView();
    m_view.SetDirection(ViewPointDirection(viewPoint), {}, 0.0);
    FitLayout(0.98);
}

bool CDrawing::CanView3D() const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_db || m_layout != 0 || HasPreviewOnly())
        return false;
    if (m_hasDepth < 0)
        m_hasDepth = HasDepth() ? 1 : 0;
    return m_hasDepth == 1;
}

bool CDrawing::HasDepth() const
{
    for (const RkDb::EntityPtr& e : m_db->ModelSpaceBlock().entities) {
        if (e->thickness != 0.0 || std::abs(e->extrusion.z - 1.0) > 1e-9)
            return true;
        switch (e->type) {
        case RkDb::EntityType::AcisSolid:
        case RkDb::EntityType::Mesh:
        case RkDb::EntityType::Helix:
            return true;
        default: break;
        }
    }
    // Whatever is drawn (inserted blocks, 3D polylines, faces) measured from the front: the
    // height seen from there is the drawing's depth.
    RkDraw::ViewTransform front;
    front.SetDirection({0, -1, 0}, {}, 0.0);
    RkDb::Vec2 min, max;
    if (!RkDraw::DrawingRenderer::Extents(*m_db, 0, front, MeasuringOptions(), min, max))
        return false;
    const double width = max.x - min.x;
    return max.y - min.y > std::max(1e-9, width * 1e-9);
}

void CDrawing::PushView()
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_previousViews.size() >= kMaxPreviousViews)
        m_previousViews.erase(m_previousViews.begin());
    m_previousViews.push_back(m_view);
}

bool CDrawing::PreviousView()
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_previousViews.empty())
        return false;
    const int w = m_view.DeviceWidth(), h = m_view.DeviceHeight();
    m_view = m_previousViews.back();
    m_view.SetDevice(w, h);
    m_previousViews.pop_back();
    return true;
}

bool CDrawing::HasPreviousView() const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    return !m_previousViews.empty();
}

void CDrawing::ZoomInStep()
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_view.ZoomAt(m_view.DeviceWidth() / 2.0, m_view.DeviceHeight() / 2.0, 2.0);
}

void CDrawing::ZoomOutStep()
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_view.ZoomAt(m_view.DeviceWidth() / 2.0, m_view.DeviceHeight() / 2.0, 0.5);
}

void CDrawing::RotateAboutHorizontal(double radians)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    Turn(m_view.Right(), radians);
}

void CDrawing::RotateAboutVertical(double radians)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    Turn(m_view.Up(), radians);
}

void CDrawing::RollAboutViewAxis(double radians)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    Turn(m_view.Direction(), radians);
}

void CDrawing::Turn(const RkDb::Vec3& axis, double radians)
{
    if (!m_db || HasPreviewOnly())
        return;
    m_view.Orbit(axis, radians);
    m_highlight = -1;
}

void CDrawing::PixelToWorld(int x, int y, double* world3) const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!world3)
        return;
    const RkDb::Vec3 w = m_view.DeviceToWorld(x, m_view.DeviceHeight() - y);
    world3[0] = w.x;
    world3[1] = w.y;
    world3[2] = w.z;
}

void CDrawing::WorldToPixel(const double* world3, int* x, int* y) const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!world3)
        return;
    const RkDb::Vec3 d = m_view.WorldToDevice().Apply({world3[0], world3[1], world3[2]});
    if (x)
        *x = static_cast<int>(std::lround(std::clamp(d.x, -1e9, 1e9)));
    if (y)
        *y = m_view.DeviceHeight() - static_cast<int>(std::lround(std::clamp(d.y, -1e9, 1e9)));
}

void CDrawing::GetViewWorldSize(double* width, double* height) const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (height)
        *height = m_view.Height();
    if (width)
        *width = m_view.Height() * m_view.DeviceWidth() / m_view.DeviceHeight();
}

void CDrawing::GetPaperCorners(double* corners4) const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!corners4)
        return;
    RkDb::Vec2 min{0, 0}, max{0, 0};
    if (m_db && m_layout > 0 && static_cast<std::size_t>(m_layout) < m_db->Layouts().size()) {
        const RkDb::Layout& l = m_db->Layouts()[static_cast<std::size_t>(m_layout)];
        min = l.limMin;
        max = l.limMax;
    } else if (m_db) {
        min = m_db->Header().limMin;
        max = m_db->Header().limMax;
    }
    corners4[0] = min.x;
    corners4[1] = min.y;
    corners4[2] = max.x;
    corners4[3] = max.y;
}

void CDrawing::PrintWindow(int x1, int y1, int x2, int y2, int outWidth, int outHeight)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    // The window picked on the current output becomes the whole of a new output size, until
    // the end of printing gives the view back.
    if (!m_printing)
        m_viewBeforePrint = m_view;
    m_printing = true;
    const RkDb::Vec2 a = m_view.DeviceToView(std::min(x1, x2), m_view.DeviceHeight() - std::max(y1, y2));
    const RkDb::Vec2 b = m_view.DeviceToView(std::max(x1, x2), m_view.DeviceHeight() - std::min(y1, y2));
    SetOutputSize(outWidth, outHeight);
    m_view.Fit({std::min(a.x, b.x), std::min(a.y, b.y)}, {std::max(a.x, b.x), std::max(a.y, b.y)}, 1.0);
}

void CDrawing::GetPointMode(int* mode, double* size) const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (mode)
        *mode = m_pointMode >= 0 ? m_pointMode : (m_db ? m_db->Header().pdMode : 0);
    if (size)
        *size = m_pointMode >= 0 ? m_pointSize : (m_db ? m_db->Header().pdSize : 0.0);
}

void CDrawing::SetPointMode(int mode, double size)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_pointMode = mode >= 0 && mode <= 127 ? mode : -1;
    m_pointSize = std::isfinite(size) ? size : 0.0;
}

int CDrawing::GetColorMode() const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_colorMode;
}

void CDrawing::SetColorMode(int mode)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_colorMode = mode >= 0 && mode <= 2 ? mode : 0;
}

void CDrawing::GetLinearUnits(int* units, int* precision) const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (units)
        *units = m_db ? std::clamp(m_db->Header().lunits, 1, 5) : 2;
    if (precision)
        *precision = m_db ? std::clamp(m_db->Header().luprec, 0, 8) : 4;
}

void CDrawing::SetLinearUnits(int units, int precision)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_db)
        return;
    m_db->Header().lunits = std::clamp(units, 1, 5);
    m_db->Header().luprec = std::clamp(precision, 0, 8);
}

void CDrawing::PrepareSave()
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_highlight = -1;
}

int CDrawing::Save(const char* path, int kind, int version, int)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_lastSave = RkWrite::WriteReport();
    if (!RkWrite::DrawingSaver::Supports(kind, version)) {
        m_lastSave.status = RkWrite::SaveStatus::UnsupportedKind;
        return 1;
    }
    if (!m_db || HasPreviewOnly()) {
        m_lastSave.status = RkWrite::SaveStatus::CannotWrite;
        m_lastSave.message = "no drawing geometry is loaded";
        return 4;
    }
    m_lastSave = RkWrite::DrawingSaver::Save(*m_db, path ? path : "", kind, version);
    switch (m_lastSave.status) {
    case RkWrite::SaveStatus::Ok: return 0;
    case RkWrite::SaveStatus::UnsupportedKind: return 1;
    case RkWrite::SaveStatus::CannotWrite: return 2;
    case RkWrite::SaveStatus::TooLarge: return 3;
    }
    return 2;
}

std::vector<CDrawing::LayerState> CDrawing::GetLayers() const
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    std::vector<LayerState> out;
    if (!m_db || HasPreviewOnly())
        return out;
    const auto& layers = m_db->Layers();
    for (std::int32_t i = 0; i < layers.Count(); ++i) {
        const RkDb::Layer& l = layers[i];
        const short aci = static_cast<short>(l.color.Index() >= 1 && l.color.Index() <= 255 ? l.color.Index() : 7);
        out.push_back({l.name, !l.off, l.frozen, aci});
    }
    return out;
}

bool CDrawing::SetLayers(const std::vector<LayerState>& states)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_db || HasPreviewOnly() || static_cast<std::int32_t>(states.size()) != m_db->Layers().Count())
        return false;
    auto& layers = m_db->Layers();
    for (std::int32_t i = 0; i < layers.Count(); ++i) {
        const LayerState& s = states[static_cast<std::size_t>(i)];
        RkDb::Layer& l = layers[i];
        l.off = !s.on;
        l.frozen = s.frozen;
        if (s.color >= 1 && s.color <= 255 && s.color != l.color.Index())
            l.color = RkDb::Color::FromAci(s.color);
    }
    m_highlight = -1;
    m_hasDepth = -1;
    return true;
}

std::string CDrawing::FormatLinear(double value) const
{
    int units = 2, precision = 4;
    GetLinearUnits(&units, &precision);
    return RkDb::LinearUnits::Format(value, units, precision);
}

void CDrawing::ZoomAt(int x, int y, double factor)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_view.ZoomAt(x, m_view.DeviceHeight() - y, factor);
}

void CDrawing::ZoomWindow(int x1, int y1, int x2, int y2)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (std::abs(x1 - x2) < 2 || std::abs(y1 - y2) < 2)
        return;
    PushView();
    const int h = m_view.DeviceHeight();
    const RkDb::Vec2 a = m_view.DeviceToView(x1, h - y1), b = m_view.DeviceToView(x2, h - y2);
    m_view.Fit({std::min(a.x, b.x), std::min(a.y, b.y)}, {std::max(a.x, b.x), std::max(a.y, b.y)}, 1.0);
}

void CDrawing::SetView(int x, int y, double factor)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    // (0, 0, 1.0) fits the drawing; otherwise factor zooms about the pixel (x, y).
    if (x == 0 && y == 0) {
        FitLayout(factor > 0 && factor < 1 ? factor : 0.98);
        return;
    }
    ZoomAt(x, y, factor);
}

void CDrawing::Pan(int x1, int y1, int x2, int y2)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    // Pixels with y upwards: the picture follows the drag.
    m_view.Pan(x2 - x1, -(y2 - y1));
}

// Extents taken apart from a render: only the fonts' widths matter.
RkDraw::RenderOptions CDrawing::MeasuringOptions() const
{
    RkDraw::RenderOptions options;
    options.textWidth = &RkIo::TextMeasure::Width;
    options.shapeFonts = m_shapeFonts.get();
    options.shapes = m_shapeFonts.get();
    return options;
}

RkDraw::RenderOptions CDrawing::Options(const std::atomic<bool>* abortFlag) const
{
    RkDraw::RenderOptions options;
    // What is drawn on a sheet is drawn against the paper's colour.
    options.background =
        ShowsPaper() ? RkDraw::PaperSheet::kPaper : ToRgb(RkIo::EngineState::Instance().Background());
    options.colorMode = static_cast<RkDraw::ColorMode>(m_colorMode);
    options.pointMode = m_pointMode;
    options.pointSize = m_pointSize;
    options.rasters = m_rasters.get();
    options.textWidth = &RkIo::TextMeasure::Width;
    options.shapeFonts = m_shapeFonts.get();
    options.shapes = m_shapeFonts.get();
    const RkIo::Channel channel = m_channel;
    options.abort = [abortFlag, channel] {
        return (abortFlag && abortFlag->load()) || RkIo::EngineState::Instance().AbortRequested(channel);
    };
    if (m_printing) {
        // A print draws at the printer's resolution, with the pens handed over when asked to.
        const RkIo::EngineState& engine = RkIo::EngineState::Instance();
        options.dpi = engine.PenDpi();
        options.lineWeightScale = m_lineWeightScale;
        if (m_usePlotPens)
            for (const RkIo::PenEntry& pen : engine.Pens())
                options.pens.push_back({pen.width, pen.colorIndex});
    }
    return options;
}

bool CDrawing::Render(HDC dc, const std::atomic<bool>* abortFlag)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_db || !dc)
        return false;
    if (HasPreviewOnly()) {
        DrawPreviewPicture(dc);
        return true;
    }
    RkDraw::GdiDrawSink sink(dc);
    DrawSheet(sink);
    return RkDraw::DrawingRenderer(*m_db, sink, Options(abortFlag)).Draw(m_layout, m_view);
}

bool CDrawing::ShowsPaper() const
{
    return m_db && !m_printing && !m_export && m_layout > 0 && !HasPreviewOnly() &&
           static_cast<std::size_t>(m_layout) < m_db->Layouts().size() &&
           !m_db->Layouts()[static_cast<std::size_t>(m_layout)].IsModel();
}

void CDrawing::DrawSheet(RkDraw::DrawSink& sink) const
{
    RkDb::Vec2 min, max;
    if (ShowsPaper() && RkDraw::PaperSheet::BoundsOf(*m_db, m_layout, min, max))
        RkDraw::PaperSheet::Draw(sink, m_view, min, max);
}

bool CDrawing::RenderFitted(HDC dc, int width, int height, const std::atomic<bool>* abortFlag)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    SetOutputSize(width, height);
    if (!m_db || !dc || HasPreviewOnly()) {
        FitLayout(0.98);
        return Render(dc, abortFlag);
    }
    // Measuring and drawing share one budget: a drawing that costs too much to draw costs no
    // more again to measure first.
    RkDraw::RenderOptions options = Options(abortFlag);
    RkDraw::WorkBudget budget(RkDraw::WorkBudget::kDefaultUnits, options.abort);
    options.budget = &budget;
    FitLayout(0.98, options, Reach::Bulk);
    RkDraw::GdiDrawSink sink(dc);
    DrawSheet(sink);
    return RkDraw::DrawingRenderer(*m_db, sink, options).Draw(m_layout, m_view);
}

void CDrawing::DrawPreviewPicture(HDC dc) const
{
    const int w = m_view.DeviceWidth(), h = m_view.DeviceHeight();
    RkIo::PreviewPicture::DrawScaled(dc, m_previewBmp, w, h);
    // A line of information under the picture: the drawing's geometry is not shown.
    RECT line = {0, h - std::max(16, h / 16), w, h};
    SetBkMode(dc, TRANSPARENT);
    const COLORREF bg = RkIo::EngineState::Instance().Background();
    const bool light = GetRValue(bg) + GetGValue(bg) + GetBValue(bg) > 3 * 128;
    SetTextColor(dc, light ? RGB(0, 0, 0) : RGB(255, 255, 255));
    DrawTextA(dc, "Stored preview of the drawing (its geometry cannot be shown)", -1, &line,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}
