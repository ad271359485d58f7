#include "framework/CException.h"

#include "framework/Prompt.h"

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CSimpleException, CException)
IMPLEMENT_DYNAMIC(CMemoryException, CSimpleException)
IMPLEMENT_DYNAMIC(CResourceException, CSimpleException)
IMPLEMENT_DYNAMIC(CInvalidArgException, CSimpleException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CSimpleException)
IMPLEMENT_DYNAMIC(CUserException, CSimpleException)

CException::CException() : m_bAutoDelete(TRUE)
{
}

CException::CException(BOOL bAutoDelete) : m_bAutoDelete(bAutoDelete)
{
}

void CException::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

BOOL CException::CopyMessage(LPCTSTR text, LPTSTR lpszError, UINT nMaxError)
{
    if (lpszError == nullptr || nMaxError == 0)
        return FALSE;
    lstrcpynA(lpszError, text, static_cast<int>(nMaxError));
    return TRUE;
}

BOOL CException::CopyFileMessage(const char* const* texts, int nTexts, int nCause,
                                 LPCTSTR lpszFileName, LPTSTR lpszError, UINT nMaxError,
                                 PUINT pnHelpContext)
{
    if (pnHelpContext != nullptr)
        *pnHelpContext = 0;
    if (nCause < 0 || nCause >= nTexts)
        nCause = 1;
    CString text;
    text.Format(texts[nCause], lpszFileName != nullptr && *lpszFileName != '\0'
                                   ? lpszFileName
                                   : "an unnamed file");
    return CopyMessage(text, lpszError, nMaxError);
}

BOOL CException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    if (pnHelpContext != nullptr)
        *pnHelpContext = 0;
    if (lpszError != nullptr && nMaxError > 0)
        *lpszError = '\0';
    return FALSE;
}

int CException::ReportError(UINT nType, UINT nMessageID)
{
    char text[512];
    if (GetErrorMessage(text, sizeof(text)))
        return AfxMessageBox(text, nType);
    if (nMessageID == 0)
        return AfxMessageBox("An unknown error has occurred.", nType);
    return AfxMessageBox(nMessageID, nType);
}

CSimpleException::CSimpleException(LPCTSTR lpszText, BOOL bAutoDelete)
    : CException(bAutoDelete), m_lpszText(lpszText)
{
}

BOOL CSimpleException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    if (m_lpszText == nullptr)
        return CException::GetErrorMessage(lpszError, nMaxError, pnHelpContext);
    if (pnHelpContext != nullptr)
        *pnHelpContext = 0;
    return CopyMessage(m_lpszText, lpszError, nMaxError);
}

CMemoryException::CMemoryException(BOOL bAutoDelete)
    : CSimpleException("Out of memory.", bAutoDelete)
{
}

CResourceException::CResourceException()
    : CSimpleException("A required resource was unavailable.", TRUE)
{
}

CInvalidArgException::CInvalidArgException()
    : CSimpleException("Encountered an improper argument.", TRUE)
{
}

CNotSupportedException::CNotSupportedException()
    : CSimpleException("An unsupported operation was attempted.", TRUE)
{
}

CUserException::CUserException() : CSimpleException(nullptr, TRUE)
{
}

void AFXAPI AfxThrowMemoryException()
{
    static CMemoryException s_outOfMemory(FALSE);
    throw &s_outOfMemory;
}

void AFXAPI AfxThrowResourceException()
{
    throw new CResourceException;
}

void AFXAPI AfxThrowInvalidArgException()
{
    throw new CInvalidArgException;
}

void AFXAPI AfxThrowNotSupportedException()
{
    throw new CNotSupportedException;
}

void AFXAPI AfxThrowUserException()
{
    throw new CUserException;
}
