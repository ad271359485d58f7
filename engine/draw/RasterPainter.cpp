#include "engine/draw/RasterPainter.h"

#include "engine/draw/RasterCache.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <cmath>

namespace RkDraw {

using namespace RkDb;

namespace {

Vec3 At(const RasterFrame& f, double px, double py)
{
    return f.insertion + f.uVector * px + f.vVector * py;
}

double Distance(const DevPoint& a, const DevPoint& b) { return std::hypot(b.x - a.x, b.y - a.y); }

// The file's own name, without its folders.
std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

// Clip boundaries are in pixel coordinates from the picture's top left, through pixel centres.
std::vector<Vec3> RasterPainter::FrameRing(const RasterFrame& f)
{
    const double h = f.pixelSize.y;
    if (f.clipping && f.clipBoundary.size() >= 3) {
        std::vector<Vec3> ring;
        for (const Vec2& p : f.clipBoundary)
            ring.push_back(At(f, p.x + 0.5, h - (p.y + 0.5)));
        return ring;
    }
    if (f.clipping && f.clipBoundary.size() == 2) {
        const Vec2 a = f.clipBoundary[0], b = f.clipBoundary[1];
        return {At(f, a.x + 0.5, h - (a.y + 0.5)), At(f, b.x + 0.5, h - (a.y + 0.5)),
                At(f, b.x + 0.5, h - (b.y + 0.5)), At(f, a.x + 0.5, h - (b.y + 0.5))};
    }
    return {At(f, 0, 0), At(f, f.pixelSize.x, 0), At(f, f.pixelSize.x, h), At(f, 0, h)};
}

void RasterPainter::PaintImage(const Image& e)
{
    const std::vector<Vec3> ring = FrameRing(e.frame);
    if (!m_p.Measuring()) {
        std::vector<DevPoint> clip;
        for (const Vec3& p : ring)
            clip.push_back(m_p.ToDevice(p));
        if (m_p.OffDevice(clip))
            return;
        if (PaintPicture(e, clip)) {
            m_p.Stroke(ring, true);     // the frame, shown as CAD programs show it by default
            return;
        }
    }
    m_p.Stroke(ring, true);
    // Without its picture a cross marks the frame as an image, and the file's name says which.
    m_p.Stroke({ring[0], ring[2]}, false);
    m_p.Stroke({ring[1], ring[3]}, false);
    if (!m_p.Measuring())
        PaintFileName(e);
}

bool RasterPainter::PaintPicture(const Image& e, const std::vector<DevPoint>& clip)
{
    RasterCache* rasters = m_p.Options().rasters;
    const RasterFrame& f = e.frame;
    if (!rasters || e.fileName.empty() || !(f.pixelSize.x >= 1) || !(f.pixelSize.y >= 1))
        return false;
    const DevPoint topLeft = m_p.ToDevice(At(f, 0, f.pixelSize.y));
    const DevPoint topRight = m_p.ToDevice(At(f, f.pixelSize.x, f.pixelSize.y));
    const DevPoint bottomLeft = m_p.ToDevice(At(f, 0, 0));
    // As many pixels as the frame covers on the device, up to the picture's own.
    const double wide = std::min(Distance(topLeft, topRight), f.pixelSize.x);
    const double high = std::min(Distance(topLeft, bottomLeft), f.pixelSize.y);
    if (!std::isfinite(wide) || !std::isfinite(high))
        return false;
    RasterLook look;
    look.brightness = e.brightness;
    look.contrast = e.contrast;
    look.fade = e.fade;
    look.background = m_p.Options().background;
    look.foreground = m_p.PenColor();
    look.clearBackground = e.transparent;
    const RasterPicture* picture = rasters->Picture(e.fileName, static_cast<int>(std::ceil(wide)),
                                                    static_cast<int>(std::ceil(high)), look);
    if (!picture)
        return false;
    PlacePicture(*picture, clip, topLeft, topRight, bottomLeft);
    return true;
}

void RasterPainter::PlacePicture(const RasterPicture& picture, const std::vector<DevPoint>& clip,
                                 DevPoint topLeft, DevPoint topRight, DevPoint bottomLeft)
{
    DrawSink& sink = m_p.Sink();
    sink.PushClip(clip.data(), static_cast<int>(clip.size()));
    sink.Picture(picture, topLeft, topRight, bottomLeft);
    sink.PopClip();
    m_p.AddWork(static_cast<std::size_t>(Distance(topLeft, topRight) * Distance(topLeft, bottomLeft) / 256.0));
}

void RasterPainter::PaintOleFrame(const OleFrame& e)
{
    const std::vector<Vec3> ring(std::begin(e.corners), std::end(e.corners));
    RasterCache* rasters = m_p.Options().rasters;
    if (!m_p.Measuring() && rasters && !e.picture.empty()) {
        std::vector<DevPoint> clip;
        for (const Vec3& p : ring)
            clip.push_back(m_p.ToDevice(p));
        if (m_p.OffDevice(clip))
            return;
        const double wide = Distance(clip[0], clip[1]), high = Distance(clip[0], clip[3]);
        RasterLook look;
        look.background = m_p.Options().background;
        const RasterPicture* picture =
            std::isfinite(wide) && std::isfinite(high)
                ? rasters->PictureOfBytes("ole " + std::to_string(e.handle), e.picture,
                                          static_cast<int>(std::ceil(std::min(wide, 16384.0))),
                                          static_cast<int>(std::ceil(std::min(high, 16384.0))), look)
                : nullptr;
        if (picture) {
            PlacePicture(*picture, clip, clip[0], clip[1], clip[3]);
            return;
        }
    }
    m_p.Stroke(ring, true);
}

// Along the picture's bottom edge, inside its frame, as large as fits a tenth of its height.
void RasterPainter::PaintFileName(const Image& e)
{
    const RasterFrame& f = e.frame;
    const std::string name = BaseName(e.fileName);
    if (name.empty())
        return;
    const DevPoint origin = m_p.ToDevice(At(f, f.pixelSize.x * 0.03, f.pixelSize.y * 0.05));
    const DevPoint right = m_p.ToDevice(At(f, f.pixelSize.x, 0));
    const DevPoint left = m_p.ToDevice(At(f, 0, 0));
    const DevPoint top = m_p.ToDevice(At(f, 0, f.pixelSize.y));
    const double width = Distance(left, right), height = Distance(left, top);
    TextRun run;
    run.utf8 = name;
    run.origin = origin;
    run.face = "Arial";
    run.angle = std::atan2(-(right.y - left.y), right.x - left.x);
    run.height = std::min(height / 10.0, width * 0.94 / (0.7 * static_cast<double>(name.size())));
    if (!(run.height >= m_p.MinTextHeight()) || !std::isfinite(run.height))
        return;
    m_p.Sink().Text(run);
}

} // namespace RkDraw
