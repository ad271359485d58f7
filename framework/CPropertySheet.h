// CPropertySheet: the common property sheet over CPropertyPage objects, modal (DoModal) with
// OK, Cancel and Apply going to the pages. A modal sheet asks the modal seam for its answer
// once it is up, when the seam answers sheets (IDOK presses OK, IDCANCEL presses Cancel).
#pragma once

#include "framework/CPropertyPage.h"

#include <vector>

class CPropertySheet : public CWnd
{
    DECLARE_DYNAMIC(CPropertySheet)

public:
    explicit CPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);

    void AddPage(CPropertyPage* pPage) { m_pages.push_back(pPage); }
    void RemovePage(CPropertyPage* pPage);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int nPage) const;
    int GetPageIndex(const CPropertyPage* pPage) const;
    int GetActiveIndex() const;
    CPropertyPage* GetActivePage() const { return GetPage(GetActiveIndex()); }
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage* pPage) { return SetActivePage(GetPageIndex(pPage)); }
    void SetTitle(LPCSTR lpszText) { m_strCaption = lpszText; }
    // PSBTN_OK, PSBTN_CANCEL, PSBTN_APPLYNOW...
    void PressButton(int nButton) { SendMessage(PSM_PRESSBUTTON, static_cast<WPARAM>(nButton)); }

    // IDOK when the sheet was closed with OK, IDCANCEL otherwise, -1 when it could not be shown.
    virtual INT_PTR DoModal();

    PROPSHEETHEADERA m_psh = {};

protected:
    LRESULT OnModalAnswer(WPARAM wParam, LPARAM lParam);

    CString m_strCaption;
    CWnd* m_pParentWnd;
    UINT m_nStartPage;
    std::vector<CPropertyPage*> m_pages; // not owned
    int m_nModalAnswers = 0;

    DECLARE_MESSAGE_MAP()
};
