// The data of an OLE2FRAME as DWG and DXF keep it: a two-byte kind, the frame's four corners
// (three doubles each: upper left, upper right, lower right, lower left), a short header and the
// OLE object as a compound file. Of the object only the picture it was last shown as is taken:
// the "CONTENTS" stream of a static picture (a BMP file, or an enhanced metafile), else a
// device-independent bitmap, Windows metafile (made a placeable one) or enhanced metafile
// presentation ("\2OlePres000"). Bounded: every
// sector chain is checked against the file and walked at most once per sector.
#pragma once

#include "engine/db/Geometry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace RkDb {

class OleObjectData
{
public:
    // The corners; false when the data is too short for them.
    static bool Corners(std::string_view data, Vec3 (&corners)[4]);
    // A BMP or EMF file's bytes of the stored picture (at most maxBytes), or "".
    static std::string Picture(std::string_view data, std::size_t maxBytes);

private:
    static std::string PictureOfStream(std::string_view stream, bool presentation);
};

} // namespace RkDb
