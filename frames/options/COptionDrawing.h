// COptionDrawing: the "Drawing" page of the Options sheet: fill, the two zoom-extents choices and
// the drawing background colour index. "Update immediately" asks the open views to redraw with
// the new values at once; without it they are only stored.
#pragma once

#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "framework/CPropertyPage.h"
#include "ui/CCavus.h"

class CAppOptions;

class COptionDrawing : public CPropertyPage
{
public:
    explicit COptionDrawing(CAppOptions& options);

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Set by OK only with "Update immediately" checked.
    bool IsChanged() const { return m_changed; }
    // The display values differ from what the page opened with (the thumbnail thread uses them).
    bool AreValuesChanged() const { return m_valuesChanged; }
    int GetColorIndex() const { return m_colorIndex; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnChooseColor();

    DECLARE_MESSAGE_MAP()

private:
    void FillSwatch();

    CAppOptions& m_options;
    CCavus m_swatch;
    int m_zoomExtend = 0;
    int m_noFill = 0;
    int m_updateNow = 0;
    CString m_colorName;
    int m_previewZoomExtend = 0;
    short m_colorIndex = 0;
    bool m_changed = false;
    bool m_valuesChanged = false;
};
