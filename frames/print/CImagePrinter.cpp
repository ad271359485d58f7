#include "frames/print/CImagePrinter.h"

#include "framework/CommonDialogs.h"
#include "framework/Prompt.h"
#include "kit/KWinCanvas.h"
#include "render/scene/JGraphics.h"

CImagePrinter::CImagePrinter(JGraphics& scene, const char* imagePath, HWND owner)
    : m_scene(scene), m_imagePath(imagePath ? imagePath : ""), m_owner(owner)
{
}

CString CImagePrinter::JobTitle() const
{
    const int slash = m_imagePath.ReverseFind('\\');
    CString title;
    title.Format("OrvoKestal - %s", static_cast<LPCSTR>(slash >= 0 ? m_imagePath.Mid(slash + 1) : m_imagePath));
    return title;
}

bool CImagePrinter::PrintImage()
{
    CPrintDialog dialog(FALSE, PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIES | PD_HIDEPRINTTOFILE,
                        m_owner ? CWnd::FromHandle(m_owner) : nullptr);
    if (dialog.DoModal() != IDOK)
        return false;
    HDC dc = dialog.GetPrinterDC();
    if (!dc)
        dc = dialog.CreatePrinterDC();
    if (!dc) {
        AfxMessageBox("No printer can be used. Install a printer first.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const bool printed = PrintOn(dc);
    ::DeleteDC(dc);
    dialog.m_pd.hDC = nullptr;
    return printed;
}

bool CImagePrinter::PrintOn(HDC dc)
{
    const int width = ::GetDeviceCaps(dc, HORZRES);
    const int height = ::GetDeviceCaps(dc, VERTRES);
    KWinCanvas canvas;
    canvas.SetTargetDC(nullptr);
    canvas.SetBackColor(RGB(255, 255, 255));
    const COLORREF background = m_scene.GetBackground();
    m_scene.SetBackground(RGB(255, 255, 255));
    m_scene.DrawToCanvas(&canvas, width, height);
    m_scene.SetBackground(background);
    CPrintJob job(dc, m_steps);
    if (!job.Begin(JobTitle(), m_jobOutput.IsEmpty() ? nullptr : static_cast<LPCSTR>(m_jobOutput), nullptr))
        return false;
    canvas.BlitTo(dc);
    return job.End();
}
