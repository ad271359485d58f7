// The engine's process-wide settings, shared by the drawing thread and the thumbnail thread: the
// two abort channels (documents and thumbnails), the progress callbacks, the search folders, the
// background colour and the printing pen set. Every access is under one lock; callbacks are
// copied out and called outside it.
#pragma once

#include "engine/draw/RasterPicture.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

namespace RkIo {

using AbortFunc = bool (*)(void* context);
using ProgressStartFunc = void (*)(int value);
using ProgressFunc = void (*)(double percent);
using ProgressFinishFunc = void (*)();

// Which abort callback a drawing's loading and drawing listen to.
enum class Channel { Document = 1, Thumbnail = 2 };

struct PenEntry
{
    int width = 0;          // 1/100 mm
    short colorIndex = 7;
};

class EngineState
{
public:
    static EngineState& Instance();

    void SetAbort(Channel channel, AbortFunc func, void* context);
    // True when the channel's abort callback asks to stop.
    bool AbortRequested(Channel channel) const;
    void SetProgress(ProgressStartFunc start, ProgressFunc progress, ProgressFinishFunc finish);
    void ProgressStart(int value) const;
    void Progress(double percent) const;
    void ProgressFinish() const;

    void SetSearchDirectories(const std::string& list);
    std::vector<std::string> SearchDirectories() const;
    void SetBackground(COLORREF color);
    COLORREF Background() const;
    void SetPenDpi(int dpi);
    int PenDpi() const;
    void ResetPens();
    void SetPens(const std::vector<PenEntry>& pens);
    std::vector<PenEntry> Pens() const;
    // The decoder of the pictures placed in drawings, supplied by the program (null: none).
    void SetRasterDecoder(RkDraw::RasterDecoder* decoder);
    RkDraw::RasterDecoder* RasterDecoder() const;

private:
    EngineState() = default;

    mutable std::mutex m_lock;
    AbortFunc m_abort[2] = {nullptr, nullptr};
    void* m_abortContext[2] = {nullptr, nullptr};
    ProgressStartFunc m_start = nullptr;
    ProgressFunc m_progress = nullptr;
    ProgressFinishFunc m_finish = nullptr;
    std::string m_searchDirectories;
    COLORREF m_background = RGB(255, 255, 255);
    int m_dpi = 96;
    std::vector<PenEntry> m_pens;
    RkDraw::RasterDecoder* m_rasterDecoder = nullptr;
};

} // namespace RkIo
