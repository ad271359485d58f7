// CMacSliderCtrl: a track bar that draws its own sunken channel and shaded thumb, in colours made
// from the system's 3D face colour; the thumb darkens while it is pressed. Tick marks stay the
// system's.
#pragma once

#include "framework/AfxWin.h"
#include "framework/CommonControls.h"

class CMacSliderCtrl : public CSliderCtrl
{
public:
    // The five shades of a thumb with this face.
    struct Shades {
        COLORREF face;
        COLORREF light1;
        COLORREF light2;
        COLORREF dark1;
        COLORREF dark2;
    };

    CMacSliderCtrl();

    void SetSelection(int start, int end);

    // Each byte gains step when it stays below 256; one that would not is left as it is.
    static COLORREF Lighten(COLORREF color, int step);
    // Each byte at least step loses it; a smaller one is left as it is.
    static COLORREF Darken(COLORREF color, int step);
    // Per byte a + (b - a) / 2, the half rounded towards minus infinity.
    static COLORREF Halfway(COLORREF a, COLORREF b);
    static Shades ShadesOf(COLORREF face);
    // The part of a channel length pixels long that a selection covers, from the channel's start.
    // False when there is nothing to show (an empty range or selection).
    static bool SelectionSpan(int min, int max, int start, int end, int length, int* from, int* to);

    const Shades& GetShades() const { return m_shades; }
    // The shades the last thumb was drawn with (tests).
    const Shades& GetLastThumbShades() const { return m_lastThumb; }
    int GetThumbDrawCount() const { return m_nThumbDraws; }

protected:
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    void DrawChannel(HDC dc, const RECT& rect) const;
    void DrawThumb(HDC dc, const RECT& rect, const Shades& shades);

    COLORREF m_clrSelection;
    COLORREF m_clrChannel;
    Shades m_shades;
    COLORREF m_clrChannelEdge;
    COLORREF m_clrChannelShade;
    COLORREF m_clrChannelLight;
    Shades m_lastThumb = {};
    int m_nThumbDraws = 0;
};
