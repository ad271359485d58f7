// CCavus: a swatch, a static control showing a picture of its own stretched to its client area
// (colour swatches, the thumbnail sample, the view-type pictures). Of the selectable swatches one
// at a time is the chosen one and is framed; a double click tells the parent. Create it with
// SS_NOTIFY, or a static control lets the clicks through.
#pragma once

#include "framework/AfxWin.h"
#include "framework/Controls.h"
#include "imaging/CDib.h"

// Sent to the parent (no parameters) when a swatch is double-clicked.
const UINT WM_CAVUS_DBLCLK = 0x8384;

class CCavus : public CStatic
{
public:
    // Every new swatch clears the chosen one, so a dialog starts with none framed.
    CCavus();
    ~CCavus() override;
    CCavus(const CCavus&) = delete;
    CCavus& operator=(const CCavus&) = delete;

    BOOL CreatePicture(int width, int height, int bitsPerPixel);
    // A picture 4 pixels narrower and lower than the control's window.
    BOOL CreatePictureFromWindow(int bitsPerPixel);
    BOOL LoadDib(int resourceId, const char* resourceType);
    // A device drawing into the picture, until Refresh.
    HDC GetPictureDC();
    void GetPictureRect(RECT* rect) const;
    // Ends the drawing into the picture and shows it at once.
    void Refresh();

    void SetSelectable(BOOL selectable) { m_bSelectable = selectable ? 1 : 0; }
    BOOL IsSelectable() const { return m_bSelectable; }
    CDib& GetPicture() { return m_dib; }
    static CCavus* GetChosen() { return s_pChosen; }
    // Makes a selectable swatch the chosen one (as a click does); the one chosen before and this
    // one are repainted.
    void Choose();
    // Draws the control into dc as WM_PAINT does (also for pictures of it).
    void Paint(HDC dc, const RECT& client) const;

protected:
    void OnPaint();
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);

    DECLARE_MESSAGE_MAP()

private:
    CDib m_dib;
    BYTE m_bSelectable = 0;

    static CCavus* s_pChosen;
};
