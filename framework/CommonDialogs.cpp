#include "framework/CommonDialogs.h"

#include "framework/ModalSeam.h"

#include <cstddef>

IMPLEMENT_DYNAMIC(CCommonDialog, CDialog)
IMPLEMENT_DYNAMIC(CFileDialog, CCommonDialog)
IMPLEMENT_DYNAMIC(CPrintDialog, CCommonDialog)
IMPLEMENT_DYNAMIC(CColorDialog, CCommonDialog)

namespace {

// Room for a path the user picks (several with OFN_ALLOWMULTISELECT).
const size_t kFileNameRoom = 32 * 1024;

} // namespace

HWND CCommonDialog::OwnerWindow() const
{
    if (m_pParentWnd != nullptr)
        return m_pParentWnd->m_hWnd;
    CWnd* pMain = AfxGetMainWnd();
    return pMain != nullptr ? pMain->m_hWnd : nullptr;
}

BOOL CCommonDialog::AnswerFromSeam(INT_PTR& nAnswer)
{
    ModalRequest request;
    request.kind = ModalKind::CommonDialog;
    request.pWnd = m_pParentWnd;
    request.pCommonDialog = this;
    if (!AskModal(request, nAnswer))
        return FALSE;
    nAnswer = nAnswer == IDOK ? IDOK : IDCANCEL;
    return TRUE;
}

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                         LPCSTR lpszFilter, CWnd* pParentWnd)
    : CCommonDialog(pParentWnd), m_bOpenFileDialog(bOpenFileDialog), m_fileName(kFileNameRoom, '\0')
{
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLESIZING;
    m_ofn.lpstrFile = m_fileName.data();
    m_ofn.nMaxFile = static_cast<DWORD>(m_fileName.size());
    if (lpszFileName != nullptr)
        lstrcpynA(m_fileName.data(), lpszFileName, static_cast<int>(m_fileName.size()));
    if (lpszDefExt != nullptr) {
        m_strDefExt = lpszDefExt;
        m_ofn.lpstrDefExt = m_strDefExt;
    }
    if (lpszFilter != nullptr) {
        // '|' separates the filter's parts; the system wants zeros.
        m_strFilter = lpszFilter;
        LPSTR lpsz = m_strFilter.GetBuffer(m_strFilter.GetLength());
        for (LPSTR p = lpsz; *p != '\0'; ++p) {
            if (*p == '|')
                *p = '\0';
        }
        m_strFilter.ReleaseBuffer(m_strFilter.GetLength());
        m_ofn.lpstrFilter = m_strFilter;
    }
}

INT_PTR CFileDialog::DoModal()
{
    m_ofn.hwndOwner = OwnerWindow();
    m_ofn.lpstrFile = m_fileName.data();
    INT_PTR nAnswer = IDCANCEL;
    if (AnswerFromSeam(nAnswer))
        return nAnswer;
    const BOOL bChosen = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    return bChosen ? IDOK : IDCANCEL;
}

void CFileDialog::SetPathName(LPCSTR lpszPathName)
{
    lstrcpynA(m_fileName.data(), lpszPathName != nullptr ? lpszPathName : "", static_cast<int>(m_fileName.size()));
}

CString CFileDialog::GetFileName() const
{
    const CString strPath = GetPathName();
    const int nSlash = strPath.ReverseFind('\\');
    return nSlash >= 0 ? strPath.Mid(nSlash + 1) : strPath;
}

CString CFileDialog::GetFileExt() const
{
    const CString strName = GetFileName();
    const int nDot = strName.ReverseFind('.');
    return nDot >= 0 ? strName.Mid(nDot + 1) : CString();
}

CString CFileDialog::GetFileTitle() const
{
    const CString strName = GetFileName();
    const int nDot = strName.ReverseFind('.');
    return nDot >= 0 ? strName.Left(nDot) : strName;
}

CPrintDialog::CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags, CWnd* pParentWnd) : CCommonDialog(pParentWnd)
{
    m_pd.lStructSize = sizeof(m_pd);
    m_pd.Flags = dwFlags | PD_RETURNDC;
    if (bPrintSetupOnly)
        m_pd.Flags |= PD_PRINTSETUP;
    m_pd.nCopies = 1;
    m_pd.nFromPage = 1;
    m_pd.nToPage = 1;
    m_pd.nMinPage = 1;
    m_pd.nMaxPage = 0xFFFF;
}

CPrintDialog::~CPrintDialog()
{
    // The dialog allocated the printer's names and settings for us.
    if (m_pd.hDevMode != nullptr)
        ::GlobalFree(m_pd.hDevMode);
    if (m_pd.hDevNames != nullptr)
        ::GlobalFree(m_pd.hDevNames);
}

INT_PTR CPrintDialog::DoModal()
{
    m_pd.hwndOwner = OwnerWindow();
    INT_PTR nAnswer = IDCANCEL;
    if (AnswerFromSeam(nAnswer))
        return nAnswer;
    return ::PrintDlgA(&m_pd) ? IDOK : IDCANCEL;
}

BOOL CPrintDialog::GetDefaults()
{
    const DWORD dwOldFlags = m_pd.Flags;
    m_pd.Flags |= PD_RETURNDEFAULT;
    m_pd.Flags &= ~static_cast<DWORD>(PD_RETURNDC);
    // PD_RETURNDEFAULT wants no settings of its own.
    if (m_pd.hDevMode != nullptr)
        ::GlobalFree(std::exchange(m_pd.hDevMode, nullptr));
    if (m_pd.hDevNames != nullptr)
        ::GlobalFree(std::exchange(m_pd.hDevNames, nullptr));
    const BOOL bResult = ::PrintDlgA(&m_pd);
    m_pd.Flags = dwOldFlags;
    return bResult;
}

CString CPrintDialog::DevNamesText(size_t offsetField) const
{
    if (m_pd.hDevNames == nullptr)
        return CString();
    const auto* pNames = static_cast<const DEVNAMES*>(::GlobalLock(m_pd.hDevNames));
    if (pNames == nullptr)
        return CString();
    WORD wOffset = 0;
    memcpy(&wOffset, reinterpret_cast<const BYTE*>(pNames) + offsetField, sizeof(wOffset));
    // The block's size bounds the text: a name that runs past it is cut there.
    const SIZE_T cbBlock = ::GlobalSize(m_pd.hDevNames);
    CString strText;
    if (wOffset < cbBlock) {
        const char* lpsz = reinterpret_cast<const char*>(pNames) + wOffset;
        strText = CString(lpsz, static_cast<int>(strnlen(lpsz, cbBlock - wOffset)));
    }
    ::GlobalUnlock(m_pd.hDevNames);
    return strText;
}

CString CPrintDialog::GetDeviceName() const
{
    return DevNamesText(offsetof(DEVNAMES, wDeviceOffset));
}

CString CPrintDialog::GetDriverName() const
{
    return DevNamesText(offsetof(DEVNAMES, wDriverOffset));
}

CString CPrintDialog::GetPortName() const
{
    return DevNamesText(offsetof(DEVNAMES, wOutputOffset));
}

LPDEVMODEA CPrintDialog::GetDevMode() const
{
    // The block stays locked for the caller, as the framework's callers expect.
    return m_pd.hDevMode != nullptr ? static_cast<LPDEVMODEA>(::GlobalLock(m_pd.hDevMode)) : nullptr;
}

int CPrintDialog::GetCopies() const
{
    if ((m_pd.Flags & PD_USEDEVMODECOPIES) != 0 && m_pd.hDevMode != nullptr) {
        const auto* pDevMode = static_cast<const DEVMODEA*>(::GlobalLock(m_pd.hDevMode));
        const int nCopies = pDevMode != nullptr ? pDevMode->dmCopies : m_pd.nCopies;
        ::GlobalUnlock(m_pd.hDevMode);
        return nCopies;
    }
    return m_pd.nCopies;
}

HDC CPrintDialog::CreatePrinterDC()
{
    const CString strDriver = GetDriverName();
    const CString strDevice = GetDeviceName();
    if (strDevice.IsEmpty())
        return nullptr;
    const DEVMODEA* pDevMode = m_pd.hDevMode != nullptr ? static_cast<const DEVMODEA*>(::GlobalLock(m_pd.hDevMode)) : nullptr;
    m_pd.hDC = ::CreateDCA(strDriver, strDevice, nullptr, pDevMode);
    if (pDevMode != nullptr)
        ::GlobalUnlock(m_pd.hDevMode);
    return m_pd.hDC;
}

CColorDialog::CColorDialog(COLORREF clrInit, DWORD dwFlags, CWnd* pParentWnd) : CCommonDialog(pParentWnd)
{
    m_cc.lStructSize = sizeof(m_cc);
    m_cc.Flags = dwFlags;
    if (clrInit != 0)
        m_cc.Flags |= CC_RGBINIT;
    m_cc.rgbResult = clrInit;
    m_cc.lpCustColors = GetSavedCustomColors();
}

COLORREF* PASCAL CColorDialog::GetSavedCustomColors()
{
    // The user's custom colours live as long as the program.
    static COLORREF colors[16] = {RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)};
    return colors;
}

INT_PTR CColorDialog::DoModal()
{
    m_cc.hwndOwner = OwnerWindow();
    INT_PTR nAnswer = IDCANCEL;
    if (AnswerFromSeam(nAnswer))
        return nAnswer;
    return ::ChooseColorA(&m_cc) ? IDOK : IDCANCEL;
}
