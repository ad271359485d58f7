// Dialogs from templates run modally and are answered by the modal seam: DDX fills the
// controls and reads them back, DDV refusals keep the dialog open with the user told why, and a
// property sheet's OK reaches every page while a page may refuse to be left.
#include "framework/AfxWin.h"
#include "tests/framework/WindowTestApp.h"
#include "tests/framework/WindowTestRes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class CTestDialog : public CDialog
{
public:
    CTestDialog() : CDialog(IDD_TESTDIALOG) {}

    CString m_strName = "Plan A";
    int m_nCount = 3;
    double m_dRatio = 0.25;
    int m_bEnabled = 1;
    int m_nChoice = 2;
    CEdit m_editName;
    HWND m_hEditWhileOpen = nullptr;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_NAME, m_editName);
        m_hEditWhileOpen = m_editName.m_hWnd;
        DDX_Text(pDX, IDC_NAME, m_strName);
        DDV_MaxChars(pDX, m_strName, 8);
        DDX_Text(pDX, IDC_COUNT, m_nCount);
        DDV_MinMaxInt(pDX, m_nCount, 1, 10);
        DDX_Text(pDX, IDC_RATIO, m_dRatio);
        DDX_Check(pDX, IDC_ENABLED, m_bEnabled);
        DDX_Radio(pDX, IDC_RADIO1, m_nChoice);
    }
};

CString ItemText(CWnd* pDlg, int nID)
{
    CString strText;
    pDlg->GetDlgItemText(nID, strText);
    return strText;
}

TEST(DialogTest, ModalDialogFillsItsControlsAndReadsThemBackOnOK)
{
    CTestDialog dlg;
    std::vector<std::string> seen;
    CModalHandlerScope scope([&](const ModalRequest& request) -> INT_PTR {
        EXPECT_EQ(ModalKind::Dialog, request.kind);
        EXPECT_EQ(static_cast<UINT>(IDD_TESTDIALOG), request.nIDTemplate);
        CWnd* pDlg = request.pWnd;
        for (int nID : {IDC_NAME, IDC_COUNT, IDC_RATIO})
            seen.push_back(static_cast<LPCSTR>(ItemText(pDlg, nID)));
        EXPECT_EQ(static_cast<UINT>(BST_CHECKED), pDlg->IsDlgButtonChecked(IDC_ENABLED));
        EXPECT_EQ(IDC_RADIO3, pDlg->GetCheckedRadioButton(IDC_RADIO1, IDC_RADIO3));
        pDlg->SetDlgItemText(IDC_NAME, "Plan B");
        pDlg->SetDlgItemText(IDC_COUNT, " 7 ");
        pDlg->SetDlgItemText(IDC_RATIO, "-1.5e2");
        pDlg->CheckDlgButton(IDC_ENABLED, BST_UNCHECKED);
        pDlg->CheckRadioButton(IDC_RADIO1, IDC_RADIO3, IDC_RADIO1);
        return IDOK;
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ((std::vector<std::string>{"Plan A", "3", "0.25"}), seen);
    EXPECT_STREQ("Plan B", dlg.m_strName);
    EXPECT_EQ(7, dlg.m_nCount);
    EXPECT_DOUBLE_EQ(-150.0, dlg.m_dRatio);
    EXPECT_EQ(0, dlg.m_bEnabled);
    EXPECT_EQ(0, dlg.m_nChoice);
    EXPECT_NE(nullptr, dlg.m_hEditWhileOpen); // DDX_Control bound the control while it lived
    EXPECT_EQ(nullptr, dlg.m_editName.m_hWnd); // and let go when the dialog ended
}

TEST(DialogTest, RefusedValuesKeepTheDialogOpenAndTellTheUser)
{
    struct Step
    {
        const char* name;
        const char* count;
        const char* ratio;
        const char* expectedPrompt; // what the user is told when OK is pressed
    };
    const Step steps[] = {
        {"Much too long", "3", "1", "Please enter no more than 8 characters."},
        {"Short", "12abc", "1", "Please enter an integer."},
        {"Short", "99999999999", "1", "Please enter an integer."},
        {"Short", "42", "1", "Please enter an integer between 1 and 10."},
        {"Short", "10", "one half", "Please enter a number."},
    };
    const size_t nSteps = sizeof(steps) / sizeof(steps[0]);
    std::vector<std::string> prompts;
    CPromptHandlerScope prompt([&](const PromptRequest& request) {
        prompts.push_back(static_cast<LPCSTR>(request.strText));
        return IDOK;
    });
    size_t nStep = 0;
    std::vector<int> focusAfterRefusal;
    CTestDialog dlg;
    CModalHandlerScope scope([&](const ModalRequest& request) -> INT_PTR {
        if (nStep > 0)
            focusAfterRefusal.push_back(::GetDlgCtrlID(::GetFocus()));
        if (nStep == nSteps)
            return IDCANCEL;
        request.pWnd->SetDlgItemText(IDC_NAME, steps[nStep].name);
        request.pWnd->SetDlgItemText(IDC_COUNT, steps[nStep].count);
        request.pWnd->SetDlgItemText(IDC_RATIO, steps[nStep].ratio);
        ++nStep;
        return IDOK;
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    std::vector<std::string> expected;
    for (const Step& step : steps)
        expected.push_back(step.expectedPrompt);
    EXPECT_EQ(expected, prompts);
    // The focus goes to the control that was refused.
    EXPECT_EQ((std::vector<int>{IDC_NAME, IDC_COUNT, IDC_COUNT, IDC_COUNT, IDC_RATIO}), focusAfterRefusal);
}

std::vector<std::string>& PageLog()
{
    static std::vector<std::string> log;
    return log;
}

class CTestPage : public CPropertyPage
{
public:
    CTestPage(UINT nIDTemplate, const char* name) : CPropertyPage(nIDTemplate), m_name(name) {}

    CString m_strText;
    std::string m_name;

    BOOL OnKillActive() override
    {
        if (!CPropertyPage::OnKillActive())
            return FALSE;
        // This page cannot be left empty.
        return !m_strText.IsEmpty();
    }
    void OnOK() override { PageLog().push_back(m_name + ":ok"); }

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_PAGEEDIT, m_strText); }
};

TEST(DialogTest, PropertySheetOKReachesEveryPageAndAPageMayRefuseToBeLeft)
{
    PageLog().clear();
    CTestPage first(IDD_TESTPAGE1, "first");
    CTestPage second(IDD_TESTPAGE2, "second");
    second.m_strText = "kept";
    CPropertySheet sheet("Options");
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    int nCall = 0;
    bool bApplyEnabled = false;
    int nActiveAfterRefusal = -2;
    CModalHandlerScope scope([&](const ModalRequest& request) -> INT_PTR {
        EXPECT_EQ(ModalKind::PropertySheet, request.kind);
        CPropertySheet* pSheet = static_cast<CPropertySheet*>(request.pWnd);
        if (nCall++ == 0) {
            pSheet->SetActivePage(1); // refused: the first page is empty
            nActiveAfterRefusal = pSheet->GetActiveIndex();
            return IDOK; // refused as well: OK also has to leave the page
        }
        first.SetDlgItemText(IDC_PAGEEDIT, "filled");
        EXPECT_TRUE(pSheet->SetActivePage(1));
        EXPECT_EQ(1, pSheet->GetActiveIndex());
        second.SetModified(TRUE);
        bApplyEnabled = ::IsWindowEnabled(::GetDlgItem(pSheet->m_hWnd, 0x3021)) != FALSE;
        return IDOK;
    });
    EXPECT_EQ(IDOK, sheet.DoModal());
    EXPECT_EQ(2, nCall);
    EXPECT_EQ(0, nActiveAfterRefusal);
    EXPECT_TRUE(bApplyEnabled);
    EXPECT_EQ((std::vector<std::string>{"first:ok", "second:ok"}), PageLog());
    EXPECT_STREQ("filled", first.m_strText);
    EXPECT_STREQ("kept", second.m_strText);
}

TEST(DialogTest, CancelledSheetCallsNoOnOK)
{
    PageLog().clear();
    CTestPage first(IDD_TESTPAGE1, "first");
    first.m_strText = "x";
    CPropertySheet sheet("Options");
    sheet.AddPage(&first);
    CModalHandlerScope scope([](const ModalRequest&) -> INT_PTR { return IDCANCEL; });
    EXPECT_EQ(IDCANCEL, sheet.DoModal());
    EXPECT_TRUE(PageLog().empty());
}

} // namespace
