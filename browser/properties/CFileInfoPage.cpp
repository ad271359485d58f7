#include "browser/properties/CFileInfoPage.h"

#include "framework/WideText.h"
#include "render/workers/DRAWINGINFO.h"

const DRAWINGINFO* CFileInfoPage::FilledInfo() const
{
    return m_pInfo && m_pInfo->m_nFilled > 0 ? m_pInfo : nullptr;
}

void CFileInfoPage::ShowDrawingText(int id, const CString& text) const
{
    if (const HWND control = ::GetDlgItem(m_hWnd, id))
        ::SetWindowTextW(control, orvo::WideText(text, text.GetLength()).c_str());
}
