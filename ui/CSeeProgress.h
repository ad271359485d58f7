// CSeeProgress: a flat progress display with the text "position / upper", shown in a status bar
// pane while thumbnails are made.
#pragma once

#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "framework/Controls.h"
#include "imaging/CDib.h"

class CSeeProgress : public CStatic
{
public:
    CSeeProgress() = default;

    void SetRange(int lower, int upper);
    void SetPos(int pos);
    int GetPos() const { return m_nPos; }
    int GetUpper() const { return m_nUpper; }

    // Width of the filled part of a bar width pixels wide: 0 for an upper bound of 0 or less,
    // never outside 0..width.
    static int BarWidth(int width, int pos, int upper);
    // The text shown over the bar.
    CString GetText() const;
    // The drawn picture (empty before the control has a size).
    const CDib& GetPicture() const { return m_dib; }

protected:
    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnSize(UINT nType, int cx, int cy);
    void OnPaint();

    DECLARE_MESSAGE_MAP()

private:
    void Redraw();

    int m_nUpper = 100;
    int m_nLower = 0;
    int m_nPos = 0;
    CDib m_dib;
};
