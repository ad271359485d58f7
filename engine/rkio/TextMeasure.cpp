#include "engine/rkio/TextMeasure.h"

#include "engine/rkio/GdiDrawSink.h"

#include <memory>
#include <mutex>

namespace RkIo {

namespace {

// The device context and the sink that keeps its fonts; they live until the program ends.
class Measurer
{
public:
    Measurer() : m_dc(CreateCompatibleDC(nullptr)), m_sink(std::make_unique<RkDraw::GdiDrawSink>(m_dc)) {}
    ~Measurer()
    {
        m_sink.reset();
        if (m_dc)
            DeleteDC(m_dc);
    }
    Measurer(const Measurer&) = delete;
    Measurer& operator=(const Measurer&) = delete;

    double Width(const RkDraw::TextRun& run)
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        return m_dc ? m_sink->TextWidth(run) : 0.0;
    }

private:
    std::mutex m_lock;
    HDC m_dc;
    std::unique_ptr<RkDraw::GdiDrawSink> m_sink;
};

} // namespace

double TextMeasure::Width(const RkDraw::TextRun& run)
{
    static Measurer measurer;
    return measurer.Width(run);
}

} // namespace RkIo
