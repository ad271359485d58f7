#include "engine/rkio/EngineState.h"

namespace RkIo {

EngineState& EngineState::Instance()
{
    static EngineState state;
    return state;
}

void EngineState::SetAbort(Channel channel, AbortFunc func, void* context)
{
    const int i = channel == Channel::Document ? 0 : 1;
    std::lock_guard<std::mutex> hold(m_lock);
    m_abort[i] = func;
    m_abortContext[i] = func ? context : nullptr;
}

bool EngineState::AbortRequested(Channel channel) const
{
    const int i = channel == Channel::Document ? 0 : 1;
    AbortFunc func;
    void* context;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        func = m_abort[i];
        context = m_abortContext[i];
    }
    return func && func(context);
}

void EngineState::SetProgress(ProgressStartFunc start, ProgressFunc progress, ProgressFinishFunc finish)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_start = start;
    m_progress = progress;
    m_finish = finish;
}

void EngineState::ProgressStart(int value) const
{
    ProgressStartFunc f;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        f = m_start;
    }
    if (f)
        f(value);
}

void EngineState::Progress(double percent) const
{
    ProgressFunc f;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        f = m_progress;
    }
    if (f)
        f(percent);
}

void EngineState::ProgressFinish() const
{
    ProgressFinishFunc f;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        f = m_finish;
    }
    if (f)
        f();
}

void EngineState::SetSearchDirectories(const std::string& list)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_searchDirectories = list;
}

std::vector<std::string> EngineState::SearchDirectories() const
{
    std::string list;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        list = m_searchDirectories;
    }
    // Folders are separated by semicolons, as CAD support paths are.
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        std::string dir = list.substr(start, end - start);
        while (!dir.empty() && (dir.back() == ' ' || dir.back() == '\\'))
            dir.pop_back();
        if (!dir.empty())
            out.push_back(dir);
        start = end + 1;
    }
    return out;
}

void EngineState::SetBackground(COLORREF color)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_background = color & 0xFFFFFF;
}

COLORREF EngineState::Background() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_background;
}

void EngineState::SetPenDpi(int dpi)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_dpi = dpi > 0 && dpi <= 9600 ? dpi : 96;
}

int EngineState::PenDpi() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_dpi;
}

void EngineState::ResetPens()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_pens.clear();
    m_dpi = 96;
}

void EngineState::SetPens(const std::vector<PenEntry>& pens)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_pens = pens;
}

std::vector<PenEntry> EngineState::Pens() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_pens;
}

void EngineState::SetRasterDecoder(RkDraw::RasterDecoder* decoder)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_rasterDecoder = decoder;
}

RkDraw::RasterDecoder* EngineState::RasterDecoder() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_rasterDecoder;
}

} // namespace RkIo
