#include "framework/CDialog.h"

#include "framework/AfxGlobals.h"
#include "framework/CDataExchange.h"
#include "framework/CException.h"
#include "framework/ModalSeam.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
    ON_MESSAGE(WM_AFX_MODALANSWER, &CDialog::OnModalAnswer)
END_MESSAGE_MAP()

namespace {

// A scripted answer that never closes the dialog is asked again this many times at most.
const int kMaxModalAnswers = 50;

} // namespace

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    CDialog* pDlg = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd));
    if (pDlg == nullptr)
        return TRUE;
    const BOOL bSetFocus = pDlg->OnInitDialog();
    if (pDlg->m_bModal && IsModalAnswered(ModalKind::Dialog))
        ::PostMessageA(hWnd, WM_AFX_MODALANSWER, 0, 0);
    return bSetFocus;
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEA(nIDTemplate)), m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

CDialog::CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd)
{
}

INT_PTR CDialog::DoModal()
{
    const HINSTANCE hInst = AfxFindResourceHandle(m_lpszTemplateName, MAKEINTRESOURCEA(5));
    HWND hWndParent = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    if (hWndParent == nullptr) {
        CWnd* pMain = AfxGetMainWnd();
        hWndParent = pMain != nullptr ? pMain->m_hWnd : nullptr;
    }
    m_bModal = TRUE;
    m_bEndRequested = FALSE;
    m_nModalAnswers = 0;
    AfxHookWindowCreate(this);
    const INT_PTR nResult = ::DialogBoxParamA(hInst, m_lpszTemplateName, hWndParent, &AfxDlgProc, 0);
    AfxUnhookWindowCreate();
    m_bModal = FALSE;
    return nResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_nIDHelp = nIDTemplate;
    return Create(MAKEINTRESOURCEA(nIDTemplate), pParentWnd);
}

BOOL CDialog::Create(LPCSTR lpszTemplateName, CWnd* pParentWnd)
{
    m_lpszTemplateName = lpszTemplateName;
    if (pParentWnd != nullptr)
        m_pParentWnd = pParentWnd;
    const HINSTANCE hInst = AfxFindResourceHandle(lpszTemplateName, MAKEINTRESOURCEA(5));
    m_bModal = FALSE;
    AfxHookWindowCreate(this);
    const HWND hWnd = ::CreateDialogParamA(hInst, lpszTemplateName, m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr,
                                           &AfxDlgProc, 0);
    AfxUnhookWindowCreate();
    return hWnd != nullptr;
}

void CDialog::EndDialog(int nResult)
{
    // A modeless dialog is only hidden; its owner destroys it.
    m_bEndRequested = TRUE;
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
        return TRUE;
    } catch (CUserException* e) {
        // The exchange has told the user and put the focus on the control.
        e->Delete();
    } catch (CException* e) {
        e->Delete();
    }
    return FALSE;
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl)
{
    if (pWndCtrl != nullptr)
        ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pWndCtrl->m_hWnd), TRUE);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    // A modeless dialog needs the dialog manager's keyboard handling from the main loop.
    if (!m_bModal && m_hWnd != nullptr && pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST)
        return ::IsDialogMessageA(m_hWnd, pMsg);
    return FALSE;
}

LRESULT CDialog::OnModalAnswer(WPARAM, LPARAM)
{
    if (m_bEndRequested)
        return 0;
    ModalRequest request;
    request.kind = ModalKind::Dialog;
    request.pWnd = this;
    request.nIDTemplate = m_nIDHelp;
    INT_PTR nAnswer = IDCANCEL;
    // Asked only once the dialog is up, so the answer is there unless the seam was emptied since.
    if (!AskModal(request, nAnswer))
        nAnswer = IDCANCEL;
    if (nAnswer == IDOK)
        OnOK();
    else if (nAnswer == IDCANCEL)
        OnCancel();
    else
        EndDialog(static_cast<int>(nAnswer));
    // An answer the dialog refused (a value did not pass) is asked for again.
    if (!m_bEndRequested && m_hWnd != nullptr) {
        if (++m_nModalAnswers < kMaxModalAnswers)
            PostMessage(WM_AFX_MODALANSWER);
        else
            EndDialog(IDCANCEL);
    }
    return 0;
}
