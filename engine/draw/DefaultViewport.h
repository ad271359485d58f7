// A paper layout that was never opened in a CAD program holds only its paper view (viewport 1):
// CAD programs give such a layout a viewport on model space the first time it is shown. So does
// the viewer, so that a layout tab never shows an empty sheet where the program that made the
// drawing shows the model.
#pragma once

#include "engine/db/Database.h"

namespace RkDraw {

class DefaultViewport
{
public:
    // Adds a viewport showing the whole of model space (top view) to the paper layout when it
    // has no model viewport and model space draws something. True when one was added.
    static bool Ensure(RkDb::Database& db, int layout);

private:
    static bool HasModelViewport(const RkDb::Block& block);
};

} // namespace RkDraw
