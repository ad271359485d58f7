#include "frames/options/COptionDrawing.h"

#include "core/CAppOptions.h"
#include "engine/rkui/RkUI.h"
#include "frames/options/SwatchPaint.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(COptionDrawing, CPropertyPage)
    ON_BN_CLICKED(IDC_OPT_DRAW_BACKCOLOR, &COptionDrawing::OnChooseColor)
    ON_STN_CLICKED(IDC_OPT_DRAW_SWATCH, &COptionDrawing::OnChooseColor)
END_MESSAGE_MAP()

namespace {

CString ColorName(short index)
{
    char name[32] = {};
    ::GetColorIndex(index, name);
    return name;
}

} // namespace

COptionDrawing::COptionDrawing(CAppOptions& options) : CPropertyPage(IDD_OPTION_DRAWING), m_options(options)
{
}

void COptionDrawing::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_OPT_DRAW_SWATCH, m_swatch);
    DDX_Check(pDX, IDC_OPT_DRAW_ZOOM_THUMB, m_zoomExtend);
    DDX_Check(pDX, IDC_OPT_DRAW_NOFILL, m_noFill);
    DDX_Check(pDX, IDC_OPT_DRAW_UPDATE_NOW, m_updateNow);
    DDX_Text(pDX, IDC_OPT_DRAW_COLOR_NAME, m_colorName);
    DDX_Check(pDX, IDC_OPT_DRAW_ZOOM_OPEN, m_previewZoomExtend);
}

BOOL COptionDrawing::OnInitDialog()
{
    m_changed = false;
    m_valuesChanged = false;
    m_noFill = m_options.FillOn ? 0 : 1;
    m_zoomExtend = m_options.ZoomExtend ? 1 : 0;
    m_previewZoomExtend = m_options.PreviewZoomExtend ? 1 : 0;
    m_updateNow = 0;
    m_colorIndex = static_cast<short>(m_options.BackGroundColor & 0xFFFF);
    m_colorName = ColorName(m_colorIndex);
    CPropertyPage::OnInitDialog();
    m_swatch.CreatePictureFromWindow(24);
    FillSwatch();
    return TRUE;
}

void COptionDrawing::FillSwatch()
{
    HDC dc = m_swatch.GetPictureDC();
    if (dc == nullptr)
        return;
    RECT rect = {};
    m_swatch.GetPictureRect(&rect);
    PaintSolidRect(dc, rect, ::GetColorIndex(m_colorIndex, nullptr));
    m_swatch.Refresh();
}

void COptionDrawing::OnChooseColor()
{
    const short chosen = ::SelectColor(m_colorIndex);
    if (chosen == m_colorIndex)
        return;
    UpdateData(TRUE);
    m_colorIndex = chosen;
    m_colorName = ColorName(chosen);
    UpdateData(FALSE);
    FillSwatch();
}

void COptionDrawing::OnOK()
{
    if (m_hWnd == nullptr)
        return;
    UpdateData(TRUE);
    const short fillOn = m_noFill ? 0 : 1;
    const bool zoomExtend = m_zoomExtend != 0;
    const bool previewZoom = m_previewZoomExtend != 0;
    m_valuesChanged = fillOn != m_options.FillOn || zoomExtend != m_options.ZoomExtend ||
                      previewZoom != m_options.PreviewZoomExtend ||
                      m_colorIndex != static_cast<short>(m_options.BackGroundColor & 0xFFFF);
    m_options.FillOn = fillOn;
    m_options.ZoomExtend = zoomExtend;
    m_options.PreviewZoomExtend = previewZoom;
    if (m_colorIndex != static_cast<short>(m_options.BackGroundColor & 0xFFFF))
        m_options.SetBackgroundColor(m_colorIndex);
    // The views are told even without a change: the user asked them to redraw.
    m_changed = m_updateNow != 0;
}
