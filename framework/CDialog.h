// CDialog: a dialog from a template resource, modal (DoModal) or modeless (Create), with
// OnInitDialog to fill it and OnOK to read it back through DoDataExchange. A modal dialog asks
// the modal seam for its answer once it is up, when the seam answers dialogs (always in tests).
#pragma once

#include "framework/CWnd.h"

class CDataExchange;

// Posted to a modal dialog or sheet to fetch the scripted answer of the modal seam.
#define WM_AFX_MODALANSWER 0x037E

class CDialog : public CWnd
{
    DECLARE_DYNAMIC(CDialog)

public:
    CDialog() = default;
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);

    // IDOK, IDCANCEL or the EndDialog code; -1 when the dialog could not be shown.
    virtual INT_PTR DoModal();
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    BOOL Create(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // FALSE when a control's value did not pass (the user has been told; focus is on it).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    void NextDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
    void PrevDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 1, 0); }
    void GotoDlgCtrl(CWnd* pWndCtrl);
    void SetDefID(UINT nID) { ::SendMessageA(m_hWnd, DM_SETDEFID, nID, 0); }
    DWORD GetDefID() const { return static_cast<DWORD>(::SendMessageA(m_hWnd, DM_GETDEFID, 0, 0)); }
    BOOL PreTranslateMessage(MSG* pMsg) override;

    LPCSTR m_lpszTemplateName = nullptr;
    UINT m_nIDHelp = 0;
    CWnd* m_pParentWnd = nullptr;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    LRESULT OnModalAnswer(WPARAM wParam, LPARAM lParam);

    BOOL m_bModal = FALSE;
    BOOL m_bEndRequested = FALSE;
    int m_nModalAnswers = 0;

    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()
};

// The dialog procedure of every framework dialog: OnInitDialog runs from here, the rest goes
// through the window's message map.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
