#include "imaging/GifLzwDecoder.h"

#include <algorithm>
#include <cstring>
#include <new>

int GifLzwDecoder::ReadByte(const ByteSource& source)
{
    if (m_blockEnded)
        return -1;
    if (m_bytesLeft == 0) {
        const int length = source();
        if (length <= 0) {
            m_blockEnded = true; // a 0 sub-block or the end of the file ends the data
            return -1;
        }
        m_bytesLeft = length;
    }
    const int b = source();
    if (b < 0) {
        m_blockEnded = true;
        return -1;
    }
    --m_bytesLeft;
    return b;
}

// Codes come least-significant bit first; the end of the data reads as -1.
int GifLzwDecoder::NextCode(const ByteSource& source)
{
    int code = 0;
    for (int got = 0; got < m_codeSize;) {
        if (m_bitsLeft == 0) {
            m_currentByte = ReadByte(source);
            if (m_currentByte < 0)
                return -1;
            m_bitsLeft = 8;
        }
        const int take = std::min(m_bitsLeft, m_codeSize - got);
        code |= ((m_currentByte >> (8 - m_bitsLeft)) & ((1 << take) - 1)) << got;
        m_bitsLeft -= take;
        got += take;
    }
    return code;
}

GifLzwDecoder::Result GifLzwDecoder::Decode(const ByteSource& source, DWORD width,
                                            const RowSink& sink)
{
    m_damaged = false;
    m_bytesLeft = m_bitsLeft = 0;
    m_blockEnded = false;
    const int initial = source();
    if (initial < 0) {
        m_blockEnded = true;
        return END_OF_FILE;
    }
    // Writers go up to 11, whose codes start at the full twelve bits (pixels then take only the
    // palette's part of each code).
    if (initial < 2 || initial > 11)
        return BAD_CODE_SIZE;
    m_initialSize = initial;
    const int clear = 1 << initial, end = clear + 1, firstFree = clear + 2;
    m_codeSize = initial + 1;
    int slot = firstFree, limit = 1 << m_codeSize;
    std::memset(m_suffix, 0, sizeof m_suffix);
    std::memset(m_prefix, 0, sizeof m_prefix);
    std::vector<BYTE> row;
    try {
        row.resize(size_t(width) + 1);
    } catch (const std::bad_alloc&) {
        return NO_MEMORY;
    }
    DWORD filled = 0;
    auto put = [&](BYTE index) {
        row[filled++] = index;
        if (filled < width)
            return true;
        filled = 0;
        return sink(row.data(), width);
    };
    int oldCode = 0, firstChar = 0;
    bool started = false;
    for (int code = NextCode(source); code >= 0 && code != end; code = NextCode(source)) {
        if (code == clear) {
            m_codeSize = initial + 1;
            slot = firstFree;
            limit = 1 << m_codeSize;
            while ((code = NextCode(source)) == clear) {
            }
            if (code < 0 || code == end)
                break;
            if (code >= slot)
                code = 0;
            oldCode = firstChar = code;
            started = true;
            if (!put(BYTE(code)))
                return OK;
            continue;
        }
        if (!started) { // data that does not begin with a clear code
            oldCode = firstChar = code < clear ? code : 0;
            started = true;
            if (!put(BYTE(oldCode)))
                return OK;
            continue;
        }
        int sp = 0;
        int current = code;
        if (current >= slot) {
            if (current > slot)
                m_damaged = true;
            m_stack[sp++] = BYTE(firstChar);
            current = oldCode;
        }
        // Entries always point to lower codes, so the walk ends; the stack bound guards it too.
        while (current >= firstFree && current < kMaxCodes && sp < kMaxCodes) {
            m_stack[sp++] = m_suffix[current];
            current = m_prefix[current];
        }
        m_stack[sp++] = BYTE(current);
        firstChar = current;
        if (slot < limit) {
            m_suffix[slot] = BYTE(firstChar);
            m_prefix[slot] = WORD(oldCode);
            ++slot;
        }
        if (slot >= limit && m_codeSize < 12) {
            ++m_codeSize;
            limit <<= 1;
        }
        oldCode = code < slot ? code : oldCode;
        while (sp > 0)
            if (!put(m_stack[--sp]))
                return OK;
    }
    if (filled > 0)
        sink(row.data(), filled);
    return OK;
}

void GifLzwDecoder::SkipRest(const ByteSource& source)
{
    // Bounded by the file: every step consumes at least one byte.
    while (!m_blockEnded) {
        for (; m_bytesLeft > 0; --m_bytesLeft)
            if (source() < 0)
                return;
        const int length = source();
        if (length <= 0)
            return;
        m_bytesLeft = length;
    }
}
