// Reads the edges of an ACIS body from its SAT text (the form 3DSOLID, REGION and BODY keep in
// DWG R13-2004 and in DXF R13-2010): the vertices of each edge and its curve (straight, ellipse,
// or the NURBS approximation of an intcurve). Faces and surfaces are not needed for a wireframe.
#pragma once

#include "engine/db/ModelEntities.h"

#include <string>
#include <string_view>
#include <vector>

namespace RkAcis {

class SatReader
{
public:
    // The stored SAT text is enciphered character by character (159 - c for every character above
    // the space); the same mapping undoes it.
    static std::string Decipher(std::string_view text);

    // The same data as SAT text from its binary form (SAB: "ACIS BinaryFile", then tagged
    // values), so one reader serves both; false when it is not SAB. The text is at most
    // maxText bytes (a longer one is cut where a record ends).
    static bool SabToSat(std::string_view sab, std::string& sat, std::size_t maxText);

    // The edges of a SAT text (deciphered); false when it is not SAT text. Edges whose curve is
    // not understood are left out. At most maxEdges are read.
    static bool ReadEdges(std::string_view sat, std::vector<RkDb::AcisEdge>& edges,
                          std::size_t maxEdges);
};

} // namespace RkAcis
