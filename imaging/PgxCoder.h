// PgxCoder: the one-component PGX format of the JPEG-2000 test suite ("PG ML + 8 width height"
// then the samples), read into and written from a JasPicture.
#pragma once

#include "imaging/JasPicture.h"

class ByteCursor;
class CRasterFile;

namespace PgxCoder {

bool Read(ByteCursor& in, JasPicture& picture);
// Writes a one-component 8-bit picture, big-endian, unsigned.
bool Write(CRasterFile& file, const JasPicture& picture);

} // namespace PgxCoder
