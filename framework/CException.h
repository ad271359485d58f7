// Exceptions thrown by pointer: CException, CMemoryException, CResourceException,
// CInvalidArgException, CNotSupportedException, CUserException, and the AfxThrow... helpers.
// The catcher ends an exception with Delete(), never with delete.
#pragma once

#include "framework/CObject.h"

class CException : public CObject
{
    DECLARE_DYNAMIC(CException)
public:
    CException();
    explicit CException(BOOL bAutoDelete);

    // Frees the exception unless it is a shared static one (m_bAutoDelete false).
    void Delete();

    // Copies the text of the error, always terminated; false when there is none.
    virtual BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                                 PUINT pnHelpContext = nullptr) const;
    // Shows the text through AfxMessageBox (so through the prompt seam).
    virtual int ReportError(UINT nType = MB_OK, UINT nMessageID = 0);

    BOOL m_bAutoDelete;

protected:
    // Copies a fixed text into the caller's buffer, always terminated.
    static BOOL CopyMessage(LPCTSTR text, LPTSTR lpszError, UINT nMaxError);
    // Text number nCause of a table of nTexts patterns (the generic one, 1, when out of range),
    // with the file name in place of its %s.
    static BOOL CopyFileMessage(const char* const* texts, int nTexts, int nCause,
                                LPCTSTR lpszFileName, LPTSTR lpszError, UINT nMaxError,
                                PUINT pnHelpContext);
};

// An exception whose text is fixed by its class.
class CSimpleException : public CException
{
    DECLARE_DYNAMIC(CSimpleException)
public:
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                         PUINT pnHelpContext = nullptr) const override;

protected:
    CSimpleException(LPCTSTR lpszText, BOOL bAutoDelete);

private:
    LPCTSTR m_lpszText; // static text, or null for none
};

class CMemoryException : public CSimpleException
{
    DECLARE_DYNAMIC(CMemoryException)
public:
    explicit CMemoryException(BOOL bAutoDelete = TRUE);
};

class CResourceException : public CSimpleException
{
    DECLARE_DYNAMIC(CResourceException)
public:
    CResourceException();
};

class CInvalidArgException : public CSimpleException
{
    DECLARE_DYNAMIC(CInvalidArgException)
public:
    CInvalidArgException();
};

class CNotSupportedException : public CSimpleException
{
    DECLARE_DYNAMIC(CNotSupportedException)
public:
    CNotSupportedException();
};

// Thrown after the user has already been told; it carries no text of its own.
class CUserException : public CSimpleException
{
    DECLARE_DYNAMIC(CUserException)
public:
    CUserException();
};

// Out of memory is thrown as one static object: allocating a new one could fail too.
[[noreturn]] void AFXAPI AfxThrowMemoryException();
[[noreturn]] void AFXAPI AfxThrowResourceException();
[[noreturn]] void AFXAPI AfxThrowInvalidArgException();
[[noreturn]] void AFXAPI AfxThrowNotSupportedException();
[[noreturn]] void AFXAPI AfxThrowUserException();
