// Measures text runs with the fonts GDI draws them in, for the renderer's extents: one memory
// device context for the whole program, shared by every thread under its own lock.
#pragma once

#include "engine/draw/DrawSink.h"

namespace RkIo {

class TextMeasure
{
public:
    // Width in pixels of the run as GdiDrawSink draws it (its advances do not depend on the run's
    // size, so any scale measures right).
    static double Width(const RkDraw::TextRun& run);
};

} // namespace RkIo
