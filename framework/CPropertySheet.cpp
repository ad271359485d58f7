#include "framework/CPropertySheet.h"

#include "framework/ModalSeam.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

BEGIN_MESSAGE_MAP(CPropertySheet, CWnd)
    ON_MESSAGE(WM_AFX_MODALANSWER, &CPropertySheet::OnModalAnswer)
END_MESSAGE_MAP()

namespace {

const int kMaxModalAnswers = 50;

int CALLBACK PropertySheetCallback(HWND hWnd, UINT message, LPARAM)
{
    if (message == PSCB_INITIALIZED && IsModalAnswered(ModalKind::PropertySheet))
        ::PostMessageA(hWnd, WM_AFX_MODALANSWER, 0, 0);
    return 0;
}

} // namespace

CPropertySheet::CPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_strCaption(pszCaption != nullptr ? pszCaption : ""), m_pParentWnd(pParentWnd), m_nStartPage(iSelectPage)
{
}

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_pParentWnd(pParentWnd), m_nStartPage(iSelectPage)
{
    m_strCaption.LoadString(nIDCaption);
}

void CPropertySheet::RemovePage(CPropertyPage* pPage)
{
    const int nPage = GetPageIndex(pPage);
    if (nPage < 0)
        return;
    if (m_hWnd != nullptr)
        SendMessage(PSM_REMOVEPAGE, static_cast<WPARAM>(nPage));
    m_pages.erase(m_pages.begin() + nPage);
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const
{
    return nPage >= 0 && nPage < GetPageCount() ? m_pages[static_cast<size_t>(nPage)] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* pPage) const
{
    const auto it = std::find(m_pages.begin(), m_pages.end(), pPage);
    return it == m_pages.end() ? -1 : static_cast<int>(it - m_pages.begin());
}

int CPropertySheet::GetActiveIndex() const
{
    if (m_hWnd == nullptr)
        return static_cast<int>(m_nStartPage);
    const HWND hPage = reinterpret_cast<HWND>(SendMessage(PSM_GETCURRENTPAGEHWND));
    for (size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages[i]->m_hWnd == hPage && hPage != nullptr)
            return static_cast<int>(i);
    }
    return -1;
}

BOOL CPropertySheet::SetActivePage(int nPage)
{
    if (nPage < 0 || nPage >= GetPageCount())
        return FALSE;
    if (m_hWnd == nullptr) {
        m_nStartPage = static_cast<UINT>(nPage);
        return TRUE;
    }
    return SendMessage(PSM_SETCURSEL, static_cast<WPARAM>(nPage)) != 0;
}

INT_PTR CPropertySheet::DoModal()
{
    if (m_pages.empty())
        return -1;
    std::vector<PROPSHEETPAGEA> pages;
    for (CPropertyPage* pPage : m_pages)
        pages.push_back(pPage->m_psp);
    m_psh.dwSize = sizeof(m_psh);
    m_psh.dwFlags |= PSH_PROPSHEETPAGE | PSH_USECALLBACK;
    m_psh.hwndParent = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    if (m_psh.hwndParent == nullptr && AfxGetMainWnd() != nullptr)
        m_psh.hwndParent = AfxGetMainWnd()->m_hWnd;
    m_psh.hInstance = pages.front().hInstance;
    m_psh.pszCaption = m_strCaption;
    m_psh.nPages = static_cast<UINT>(pages.size());
    m_psh.nStartPage = m_nStartPage < pages.size() ? m_nStartPage : 0;
    m_psh.ppsp = pages.data();
    m_psh.pfnCallback = &PropertySheetCallback;
    m_nModalAnswers = 0;
    if (!AfxInitCommonControls(ICC_TAB_CLASSES))
        return -1;
    AfxHookWindowCreate(this);
    const INT_PTR nResult = ::PropertySheetA(&m_psh);
    AfxUnhookWindowCreate();
    m_psh.ppsp = nullptr;
    if (nResult < 0)
        return -1;
    return nResult > 0 ? IDOK : IDCANCEL;
}

LRESULT CPropertySheet::OnModalAnswer(WPARAM, LPARAM)
{
    ModalRequest request;
    request.kind = ModalKind::PropertySheet;
    request.pWnd = this;
    INT_PTR nAnswer = IDCANCEL;
    if (!AskModal(request, nAnswer))
        nAnswer = IDCANCEL;
    PressButton(nAnswer == IDOK ? PSBTN_OK : PSBTN_CANCEL);
    // A page that refused to let go keeps the sheet open: ask again.
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd) && ::IsWindowVisible(m_hWnd) && ++m_nModalAnswers < kMaxModalAnswers)
        PostMessage(WM_AFX_MODALANSWER);
    return 0;
}
