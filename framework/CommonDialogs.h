// The system's common dialogs: CCommonDialog (base), CFileDialog, CPrintDialog, CColorDialog.
// When the modal seam answers (a test's script or handler) DoModal shows nothing and returns its
// answer; the script or handler may fill the dialog's structure first (a file name, a colour).
#pragma once

#include "framework/CDialog.h"
#include "framework/CString.h"

#include <commdlg.h>

#include <vector>

class CCommonDialog : public CDialog
{
    DECLARE_DYNAMIC(CCommonDialog)

public:
    explicit CCommonDialog(CWnd* pParentWnd) : CDialog(static_cast<LPCSTR>(nullptr), pParentWnd) {}

protected:
    // The owner window for the system dialog.
    HWND OwnerWindow() const;
    // TRUE when the seam answered (nAnswer holds IDOK or IDCANCEL) and nothing is to be shown.
    BOOL AnswerFromSeam(INT_PTR& nAnswer);
};

class CFileDialog : public CCommonDialog
{
    DECLARE_DYNAMIC(CFileDialog)

public:
    // lpszFilter: "Drawings (*.dwg)|*.dwg|All files (*.*)|*.*||".
    explicit CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr);

    INT_PTR DoModal() override;
    CString GetPathName() const { return m_ofn.lpstrFile; }
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFileTitle() const;
    // Replaces the file name (the seam's handlers answer with it).
    void SetPathName(LPCSTR lpszPathName);

    OPENFILENAMEA m_ofn = {};

private:
    BOOL m_bOpenFileDialog;
    std::vector<char> m_fileName;
    CString m_strFilter;
    CString m_strDefExt;
};

class CPrintDialog : public CCommonDialog
{
    DECLARE_DYNAMIC(CPrintDialog)

public:
    explicit CPrintDialog(BOOL bPrintSetupOnly,
                          DWORD dwFlags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE |
                                          PD_NOSELECTION,
                          CWnd* pParentWnd = nullptr);
    ~CPrintDialog() override;

    INT_PTR DoModal() override;
    // The default printer's settings without showing anything; FALSE without a printer.
    BOOL GetDefaults();
    // The printer's device context of the last answer (PD_RETURNDC); the caller deletes it.
    HDC GetPrinterDC() const { return m_pd.hDC; }
    // A device context for the chosen printer, made from its names and settings.
    HDC CreatePrinterDC();
    CString GetDeviceName() const;
    CString GetDriverName() const;
    CString GetPortName() const;
    LPDEVMODEA GetDevMode() const;
    int GetCopies() const;
    BOOL PrintAll() const { return (m_pd.Flags & (PD_PAGENUMS | PD_SELECTION)) == 0; }
    BOOL PrintRange() const { return (m_pd.Flags & PD_PAGENUMS) != 0; }
    BOOL PrintSelection() const { return (m_pd.Flags & PD_SELECTION) != 0; }
    int GetFromPage() const { return PrintRange() ? m_pd.nFromPage : -1; }
    int GetToPage() const { return PrintRange() ? m_pd.nToPage : -1; }

    PRINTDLGA m_pd = {};

private:
    CString DevNamesText(size_t offsetField) const;
};

class CColorDialog : public CCommonDialog
{
    DECLARE_DYNAMIC(CColorDialog)

public:
    explicit CColorDialog(COLORREF clrInit = 0, DWORD dwFlags = 0, CWnd* pParentWnd = nullptr);

    INT_PTR DoModal() override;
    COLORREF GetColor() const { return m_cc.rgbResult; }
    void SetCurrentColor(COLORREF clr) { m_cc.rgbResult = clr; }
    static COLORREF* PASCAL GetSavedCustomColors();

    CHOOSECOLORA m_cc = {};
};
