// COptionThumbnail: the "Thumbnail" page of the Options sheet: the thumbnail cell's size and
// border, its colours, and a live sample of one cell drawn as the file list draws it.
#pragma once

#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "framework/CPropertyPage.h"
#include "ui/CCavus.h"
#include "ui/CMacSliderCtrl.h"

class CAppOptions;

class COptionThumbnail : public CPropertyPage
{
public:
    static constexpr int kMinSize = 80;
    static constexpr int kMaxSize = 250;
    static constexpr int kMinBorder = 5;
    static constexpr int kMaxBorder = 10;
    static constexpr int kSampleSize = 250;

    explicit COptionThumbnail(CAppOptions& options);

    BOOL OnInitDialog() override;
    void OnOK() override;

    bool IsChanged() const { return m_changed; }
    // The size the sample shows (tests).
    int GetShownWidth() const { return m_width; }
    int GetShownHeight() const { return m_height; }
    int GetShownBorder() const { return m_borderShown; }
    CCavus& GetSample() { return m_sample; }

    // The sample's picture: the cell of width x height with its border centred in a square of
    // kSampleSize filled with the background.
    static void DrawSample(HDC dc, int width, int height, int border, COLORREF background,
                           COLORREF thumbnail);
    // The other side of a size held to ratio (width / height), truncated, within the range.
    static int HeightForWidth(int width, double ratio);
    static int WidthForHeight(int height, double ratio);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnConstrain();
    void OnDefault();
    void OnSystemColor();
    void OnThumbnailColor();
    void OnBackgroundColor();

    DECLARE_MESSAGE_MAP()

private:
    void PlaceControls();
    void DeriveFrameColors();
    void FillSwatches();
    void RedrawSample();
    void ShowNumbers();
    void FollowSizeSlider(bool widthMoved);
    void EnableColorLabels();
    bool ChooseColor(COLORREF& color);

    COLORREF m_backColor = 0;
    COLORREF m_thumbColor = 0;
    COLORREF m_lightColor = 0;
    COLORREF m_darkColor = 0;
    bool m_changed = false;
    double m_ratio = 170.0 / 130.0;
    CCavus m_thumbSwatch;
    CCavus m_backSwatch;
    CMacSliderCtrl m_widthSlider;
    CMacSliderCtrl m_heightSlider;
    CMacSliderCtrl m_borderSlider;
    CCavus m_sample;
    int m_width = 170;
    int m_height = 130;
    int m_borderShown = 0;
    int m_constrain = 1;
    int m_systemColor = 1;
    CAppOptions& m_options;
};
