#include "frames/options/COptionThumbnail.h"

#include "core/CAppOptions.h"
#include "frames/options/SwatchPaint.h"
#include "framework/CommonDialogs.h"
#include "res/resource.h"

#include <algorithm>

namespace {

const int kSampleFrame = 254;
const int kSliderLength = 270;
const int kLightStep = 70;
const int kSmallBorder = 6; // below it the cell is drawn with a shadow, not a frame

int ClampSize(int value)
{
    return std::clamp(value, COptionThumbnail::kMinSize, COptionThumbnail::kMaxSize);
}

int ClampBorder(int value)
{
    return std::clamp(value, COptionThumbnail::kMinBorder, COptionThumbnail::kMaxBorder);
}

int ShownBorder(int border)
{
    return border < kSmallBorder ? 0 : border;
}

// Light on the top and left edges, dark on the bottom and right.
void PaintFrame(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight)
{
    PaintLine(dc, r.left, r.bottom - 1, r.left, r.top, topLeft, 1);
    PaintLine(dc, r.left, r.top, r.right - 1, r.top, topLeft, 1);
    PaintLine(dc, r.right - 1, r.top, r.right - 1, r.bottom - 1, bottomRight, 1);
    PaintLine(dc, r.right - 1, r.bottom - 1, r.left - 1, r.bottom - 1, bottomRight, 1);
}

RECT Inset(RECT r, int by)
{
    ::InflateRect(&r, -by, -by);
    return r;
}

} // namespace

BEGIN_MESSAGE_MAP(COptionThumbnail, CPropertyPage)
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_BN_CLICKED(IDC_OPT_THUMB_CONSTRAIN, &COptionThumbnail::OnConstrain)
    ON_BN_CLICKED(IDC_OPT_THUMB_DEFAULT, &COptionThumbnail::OnDefault)
    ON_BN_CLICKED(IDC_OPT_THUMB_SYSCOLOR, &COptionThumbnail::OnSystemColor)
    ON_STN_CLICKED(IDC_OPT_THUMB_COLOR, &COptionThumbnail::OnThumbnailColor)
    ON_STN_CLICKED(IDC_OPT_THUMB_BACKCOLOR, &COptionThumbnail::OnBackgroundColor)
END_MESSAGE_MAP()

COptionThumbnail::COptionThumbnail(CAppOptions& options)
    : CPropertyPage(IDD_OPTION_THUMBNAIL), m_options(options)
{
}

void COptionThumbnail::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_OPT_THUMB_COLOR, m_thumbSwatch);
    DDX_Control(pDX, IDC_OPT_THUMB_BACKCOLOR, m_backSwatch);
    DDX_Control(pDX, IDC_OPT_THUMB_WIDTH_SLIDER, m_widthSlider);
    DDX_Control(pDX, IDC_OPT_THUMB_HEIGHT_SLIDER, m_heightSlider);
    DDX_Control(pDX, IDC_OPT_THUMB_BORDER_SLIDER, m_borderSlider);
    DDX_Control(pDX, IDC_OPT_THUMB_SAMPLE, m_sample);
    DDX_Text(pDX, IDC_OPT_THUMB_WIDTH, m_width);
    DDX_Text(pDX, IDC_OPT_THUMB_HEIGHT, m_height);
    DDX_Text(pDX, IDC_OPT_THUMB_BORDER, m_borderShown);
    DDX_Check(pDX, IDC_OPT_THUMB_CONSTRAIN, m_constrain);
    DDX_Check(pDX, IDC_OPT_THUMB_SYSCOLOR, m_systemColor);
}

BOOL COptionThumbnail::OnInitDialog()
{
    m_changed = false;
    // A damaged or hand-edited record may hold any number: the page shows, and OK stores, only
    // sizes the list can draw.
    m_width = ClampSize(m_options.ThumbWidth);
    m_height = ClampSize(m_options.ThumbHeight);
    const int border = ClampBorder(m_options.ThumbBorder);
    m_borderShown = ShownBorder(border);
    m_constrain = m_options.ConstrainProportion ? 1 : 0;
    m_systemColor = m_options.SystemColor ? 1 : 0;
    m_backColor = m_options.ListCtrlColor;
    m_thumbColor = m_options.ThumbnailColor;
    m_ratio = static_cast<double>(m_width) / m_height;
    DeriveFrameColors();
    CPropertyPage::OnInitDialog();
    m_widthSlider.SetRange(kMinSize, kMaxSize, TRUE);
    m_widthSlider.SetTicFreq(10);
    m_heightSlider.SetRange(kMinSize, kMaxSize, TRUE);
    m_heightSlider.SetTicFreq(10);
    m_borderSlider.SetRange(kMinBorder, kMaxBorder, TRUE);
    m_borderSlider.SetTicFreq(1);
    m_widthSlider.SetPos(m_width);
    m_heightSlider.SetPos(m_height);
    m_borderSlider.SetPos(border);
    PlaceControls();
    FillSwatches();
    RedrawSample();
    EnableColorLabels();
    return TRUE;
}

void COptionThumbnail::PlaceControls()
{
    m_sample.CreatePicture(kSampleSize, kSampleSize, 16);
    CRect rect;
    m_sample.GetWindowRect(&rect);
    ScreenToClient(&rect);
    m_sample.MoveWindow(rect.left, rect.top, kSampleFrame, kSampleFrame);
    m_widthSlider.GetWindowRect(&rect);
    ScreenToClient(&rect);
    m_widthSlider.MoveWindow(rect.left, rect.top, kSliderLength, rect.Height());
    m_heightSlider.GetWindowRect(&rect);
    ScreenToClient(&rect);
    m_heightSlider.MoveWindow(rect.left, rect.top, rect.Width(), kSliderLength);
    m_thumbSwatch.CreatePictureFromWindow(24);
    m_backSwatch.CreatePictureFromWindow(24);
}

void COptionThumbnail::DeriveFrameColors()
{
    m_lightColor = ShiftColor(m_thumbColor, kLightStep);
    m_darkColor = ShiftColor(m_thumbColor, -kLightStep);
}

void COptionThumbnail::FillSwatches()
{
    const std::pair<CCavus*, COLORREF> swatches[] = {{&m_thumbSwatch, m_thumbColor},
                                                      {&m_backSwatch, m_backColor}};
    for (const auto& [swatch, color] : swatches) {
        HDC dc = swatch->GetPictureDC();
        if (dc == nullptr)
            continue;
        RECT rect = {};
        swatch->GetPictureRect(&rect);
        PaintSolidRect(dc, rect, color);
        swatch->Refresh();
    }
}

void COptionThumbnail::RedrawSample()
{
    HDC dc = m_sample.GetPictureDC();
    if (dc == nullptr)
        return;
    DrawSample(dc, m_widthSlider.GetPos(), m_heightSlider.GetPos(), m_borderSlider.GetPos(), m_backColor,
               m_thumbColor);
    m_sample.Refresh();
}

void COptionThumbnail::DrawSample(HDC dc, int width, int height, int border, COLORREF background,
                                  COLORREF thumbnail)
{
    const RECT all = {0, 0, kSampleSize, kSampleSize};
    PaintSolidRect(dc, all, background);
    const int dx = (kSampleSize - ClampSize(width)) / 2;
    const int dy = (kSampleSize - ClampSize(height)) / 2;
    const RECT cell = {dx, dy, kSampleSize - dx, kSampleSize - dy};
    if (border < kSmallBorder) {
        const RECT inner = Inset(cell, 5);
        PaintSolidRect(dc, inner, thumbnail);
        const int shades[] = {46, 35, 17, 8};
        for (int i = 0; i < 4; ++i) {
            const int out = i + 1;
            const COLORREF shade = ShiftColor(background, -shades[i]);
            PaintLine(dc, inner.left + out, inner.bottom - 1 + out, inner.right - 1 + out, inner.bottom - 1 + out,
                      shade, i == 0 ? 2 : 1);
            PaintLine(dc, inner.right - 1 + out, inner.bottom - 1 + out, inner.right - 1 + out, inner.top + out,
                      shade, i == 0 ? 2 : 1);
        }
        const COLORREF outline = ShiftColor(background, kLightStep);
        PaintFrame(dc, inner, outline, outline);
        return;
    }
    const COLORREF light = ShiftColor(thumbnail, kLightStep);
    const COLORREF dark = ShiftColor(thumbnail, -kLightStep);
    PaintSolidRect(dc, cell, thumbnail);
    PaintFrame(dc, cell, light, dark);
    PaintFrame(dc, Inset(cell, 1), light, dark);
    const RECT inside = Inset(cell, border);
    PaintSolidRect(dc, inside, ::GetSysColor(COLOR_BTNSHADOW));
    PaintFrame(dc, inside, dark, light);
}

int COptionThumbnail::HeightForWidth(int width, double ratio)
{
    return ratio > 0 ? ClampSize(static_cast<int>(width / ratio)) : ClampSize(width);
}

int COptionThumbnail::WidthForHeight(int height, double ratio)
{
    return ratio > 0 ? ClampSize(static_cast<int>(height * ratio)) : ClampSize(height);
}

void COptionThumbnail::ShowNumbers()
{
    m_width = m_widthSlider.GetPos();
    m_height = m_heightSlider.GetPos();
    m_borderShown = ShownBorder(m_borderSlider.GetPos());
    SetDlgItemInt(IDC_OPT_THUMB_WIDTH, static_cast<UINT>(m_width), FALSE);
    SetDlgItemInt(IDC_OPT_THUMB_HEIGHT, static_cast<UINT>(m_height), FALSE);
    SetDlgItemInt(IDC_OPT_THUMB_BORDER, static_cast<UINT>(m_borderShown), FALSE);
}

void COptionThumbnail::FollowSizeSlider(bool widthMoved)
{
    // With the proportion held, the other size follows the moved one through the ratio.
    if (IsDlgButtonChecked(IDC_OPT_THUMB_CONSTRAIN) == BST_CHECKED) {
        if (widthMoved && m_widthSlider.GetPos() != m_width)
            m_heightSlider.SetPos(HeightForWidth(m_widthSlider.GetPos(), m_ratio));
        else if (!widthMoved && m_heightSlider.GetPos() != m_height)
            m_widthSlider.SetPos(WidthForHeight(m_heightSlider.GetPos(), m_ratio));
    }
    ShowNumbers();
    RedrawSample();
}

void COptionThumbnail::OnHScroll(UINT, UINT, CScrollBar*)
{
    FollowSizeSlider(true);
}

void COptionThumbnail::OnVScroll(UINT, UINT, CScrollBar*)
{
    FollowSizeSlider(false);
}

void COptionThumbnail::OnConstrain()
{
    m_ratio = static_cast<double>(m_widthSlider.GetPos()) / m_heightSlider.GetPos();
}

void COptionThumbnail::OnDefault()
{
    m_widthSlider.SetPos(170);
    m_heightSlider.SetPos(130);
    m_borderSlider.SetPos(kMinBorder);
    m_ratio = 170.0 / 130.0;
    CheckDlgButton(IDC_OPT_THUMB_CONSTRAIN, BST_CHECKED);
    ShowNumbers();
    RedrawSample();
}

void COptionThumbnail::EnableColorLabels()
{
    const BOOL own = IsDlgButtonChecked(IDC_OPT_THUMB_SYSCOLOR) != BST_CHECKED;
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_OPT_THUMB_COLOR_LABEL), own);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_OPT_THUMB_BACKCOLOR_LABEL), own);
}

void COptionThumbnail::OnSystemColor()
{
    if (IsDlgButtonChecked(IDC_OPT_THUMB_SYSCOLOR) == BST_CHECKED) {
        m_backColor = 0x808080;
        m_thumbColor = ::GetSysColor(COLOR_BTNFACE);
        DeriveFrameColors();
        FillSwatches();
        RedrawSample();
    }
    EnableColorLabels();
}

bool COptionThumbnail::ChooseColor(COLORREF& color)
{
    if (IsDlgButtonChecked(IDC_OPT_THUMB_SYSCOLOR) == BST_CHECKED)
        return false;
    CColorDialog dialog(color, CC_FULLOPEN, this);
    if (dialog.DoModal() != IDOK || dialog.GetColor() == color)
        return false;
    color = dialog.GetColor();
    return true;
}

void COptionThumbnail::OnThumbnailColor()
{
    if (!ChooseColor(m_thumbColor))
        return;
    DeriveFrameColors();
    FillSwatches();
    RedrawSample();
}

void COptionThumbnail::OnBackgroundColor()
{
    if (!ChooseColor(m_backColor))
        return;
    FillSwatches();
    RedrawSample();
}

void COptionThumbnail::OnOK()
{
    if (m_hWnd == nullptr)
        return;
    const auto store = [this](auto& field, auto value) {
        if (field != value) {
            field = value;
            m_changed = true;
        }
    };
    store(m_options.ThumbWidth, ClampSize(m_widthSlider.GetPos()));
    store(m_options.ThumbHeight, ClampSize(m_heightSlider.GetPos()));
    store(m_options.ThumbBorder, ClampBorder(m_borderSlider.GetPos()));
    store(m_options.ConstrainProportion, IsDlgButtonChecked(IDC_OPT_THUMB_CONSTRAIN) == BST_CHECKED);
    const bool systemColor = IsDlgButtonChecked(IDC_OPT_THUMB_SYSCOLOR) == BST_CHECKED;
    store(m_options.SystemColor, systemColor);
    if (!systemColor) {
        store(m_options.ListCtrlColor, m_backColor);
        store(m_options.ThumbnailColor, m_thumbColor);
    }
    if (m_changed)
        m_options.UpdateDerivedColors();
}
