// GifLzwDecoder: the LZW decoder of one GIF image. It reads the image's code stream (code size
// byte, then sub-blocks) from a byte source and hands out rows of one index per byte. Damaged
// codes are replaced rather than followed, and no table walk runs past its tables.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

class GifLzwDecoder
{
public:
    // Next byte of the file (0-255), or -1 at its end.
    using ByteSource = std::function<int()>;
    // Receives a row (count pixels, one index per byte); false stops the decoding.
    using RowSink = std::function<bool(const BYTE* row, DWORD count)>;

    enum Result { OK = 0, END_OF_FILE = 1, NO_MEMORY = -10, BAD_CODE_SIZE = -20 };

    Result Decode(const ByteSource& source, DWORD width, const RowSink& sink);
    // Passes over what is left of the image's sub-blocks, up to and with their terminator.
    void SkipRest(const ByteSource& source);
    // True when the last decode met codes beyond the table.
    bool Damaged() const { return m_damaged; }

private:
    static constexpr int kMaxCodes = 4096;

    int NextCode(const ByteSource& source);
    int ReadByte(const ByteSource& source);

    int m_codeSize = 0;
    int m_initialSize = 0;
    int m_bytesLeft = 0; // in the current sub-block
    int m_bitsLeft = 0;  // in the current byte
    int m_currentByte = 0;
    bool m_blockEnded = false;
    bool m_damaged = false;
    BYTE m_stack[kMaxCodes + 1];
    BYTE m_suffix[kMaxCodes];
    WORD m_prefix[kMaxCodes];
};
