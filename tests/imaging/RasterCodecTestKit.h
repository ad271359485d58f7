// Shared by the codec tests: small generated pictures, encode and decode through the format
// dispatch in memory, pixel comparison, and the malformed-input sweep every decoder must survive.
#pragma once

#include "imaging/CRasterImage.h"
#include "imaging/CRasterMemFile.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvo::test {

using Bytes = std::vector<unsigned char>;

// A picture with a deterministic pattern: paletted depths get a palette of distinct colours (or a
// grey ramp) and every index used; 24 bits get a colour gradient.
void FillPattern(CRasterImage& image, DWORD width, DWORD height, WORD bpp, bool grey = false);

// The dispatch's result in memory; empty on failure (the image's last error says why).
Bytes EncodeToBytes(CRasterImage& image, DWORD format);
bool DecodeFromBytes(CRasterImage& image, const Bytes& bytes, DWORD format);

// Largest difference of any colour channel between two pictures of the same size (255 when the
// sizes differ).
int MaxChannelDifference(const CRasterImage& a, const CRasterImage& b);

// A stream that accepts no byte: every write fails.
class RefusingStream : public CRasterMemFile
{
public:
    RefusingStream() { Open(); }
    size_t Write(const void*, size_t, size_t) override { return 0; }
    bool PutC(unsigned char) override { return false; }
};

// Every truncation of each valid file plus deterministic byte mutations: each decode must end
// without a crash or a hang, and cleanly: a failure with its error text, or a whole picture no
// larger than the valid file's (a truncation) or within the memory limit (a mutation). Adds a
// test failure for each wrong outcome (the first few) and for a valid file that does not decode.
// Returns the number of decodes that succeeded.
// repair, when given, mends each mutated file's checksums so the damage reaches the decoder.
// ORVO_SWEEP_MUTATIONS in the environment replaces the number of mutations (for a deeper run).
int MalformedInputSweep(const std::vector<Bytes>& validFiles, DWORD format, int mutations,
                        size_t mutateWithin = 0,
                        const std::function<void(Bytes&)>& repair = nullptr);

} // namespace orvo::test
