// Writes the benchmark's drawing: an R2000 ASCII DXF of many lines and polylines on a few layers
// (100,000 lines and 20,000 polylines make about 27 MB).
#pragma once

#include <string>

namespace bench {

bool WriteBenchDrawing(const std::string& path, int lines, int polylines);

} // namespace bench
