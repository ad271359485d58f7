// BitField: one colour field of a packed pixel (a mask such as 0x7C00), scaled to 8 bits. The
// field is moved down to bit 0 and widened or narrowed by shifting, which gives the classic
// shifts for the 5-5-5 and 5-6-5 layouts and stays defined for any mask a file may carry.
#pragma once

#include <windows.h>

class BitField
{
public:
    explicit BitField(DWORD mask) : m_mask(mask)
    {
        while (mask && !(mask & 1)) {
            mask >>= 1;
            ++m_shift;
        }
        while (mask & 1) {
            mask >>= 1;
            ++m_bits;
        }
    }

    BYTE operator()(DWORD value) const
    {
        if (m_bits == 0)
            return 0;
        const DWORD field = (value & m_mask) >> m_shift;
        return static_cast<BYTE>(m_bits >= 8 ? field >> (m_bits - 8) : field << (8 - m_bits));
    }

private:
    DWORD m_mask;
    int m_shift = 0;
    int m_bits = 0;
};
