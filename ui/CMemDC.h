// CMemDC: an off-screen device for a rectangle of a target device, copied to the target when it
// goes out of scope, so a control paints without flicker.
#pragma once

#include "framework/AfxWin.h"
#include "framework/CDC.h"
#include "framework/CGdiObject.h"

class CMemDC : public CDC
{
public:
    // An empty or null rect means the target's clip box. fill is the colour the picture starts
    // with; CLR_INVALID leaves it as made. Drawing uses the rectangle's top-left corner as 0, 0.
    CMemDC(CDC* target, const RECT* rect, COLORREF fill);
    ~CMemDC() override;
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    BOOL IsValid() const { return m_bValid; }
    const RECT& GetRect() const { return m_rect; }

private:
    CDC* m_pTarget;
    RECT m_rect = {};
    CBitmap m_bitmap;
    HGDIOBJ m_hOldBitmap = nullptr;
    BOOL m_bValid = FALSE;
};
