// The one modal seam: a script answers every kind of modal in order, a modal nobody answers (or one
// the script did not expect) is reported with its name and cancelled at once, scripts and the older
// handler scopes nest with the newest answering, and the program with nothing installed gets the
// real UI.
#include "framework/AfxWin.h"
#include "framework/FolderPicker.h"
#include "framework/ModalSeam.h"
#include "tests/framework/WindowTestRes.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Catches what the seam reports instead of failing the test, for tests about the reports.
class ReportCapture
{
public:
    ReportCapture() : m_previous(SetUnscriptedModalReporter(&Capture)) { Messages().clear(); }
    ~ReportCapture() { SetUnscriptedModalReporter(m_previous); }
    ReportCapture(const ReportCapture&) = delete;
    ReportCapture& operator=(const ReportCapture&) = delete;

    static std::vector<std::string>& Messages()
    {
        static std::vector<std::string> messages;
        return messages;
    }

private:
    static void Capture(const CString& message) { Messages().push_back(static_cast<LPCSTR>(message)); }
    UnscriptedModalReporter m_previous;
};

class PopupMenu
{
public:
    PopupMenu()
    {
        m_menu.CreatePopupMenu();
        m_menu.AppendMenu(MF_STRING, 501, "&Open");
        m_menu.AppendMenu(MF_STRING, 502, "&Copy");
    }
    CMenu m_menu;
};

class ModalSeamTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_owner.CreateEx(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr)); }
    void TearDown() override { m_owner.DestroyWindow(); }

    CWnd m_owner;
};

TEST_F(ModalSeamTest, OneScriptAnswersEveryKindInOrder)
{
    orvo::test::TempDir dir;
    CString dialogName;
    CModalScript script({
        ModalStep(ModalKind::MessageBox, "Delete", IDYES),
        ModalStep(ModalKind::Dialog, IDD_TESTDIALOG, IDOK,
                  [&](const ModalRequest& r) {
                      dialogName = ModalName(r);
                      r.pWnd->SetDlgItemText(IDC_NAME, "Typed");
                  }),
        ModalStep(ModalKind::PopupMenu, "&Copy", 502),
        ModalStep(ModalKind::CommonDialog, "CFileDialog", IDOK).Choosing("C:\\plan.dwg"),
        ModalStep(ModalKind::CommonDialog, "CColorDialog", IDOK).ChoosingColor(RGB(1, 2, 3)),
        ModalStep(ModalKind::FolderPicker, "Pick a folder", IDOK).Choosing(dir.Path().c_str()),
        ModalStep(ModalKind::PropertySheet, "Options", IDCANCEL),
    });

    EXPECT_EQ(IDYES, AfxMessageBox("Delete it?", MB_YESNO));

    CDialog dialog(IDD_TESTDIALOG);
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ("dialog \"Test dialog\" (template 300)", std::string(dialogName));

    PopupMenu popup;
    EXPECT_EQ(502, popup.m_menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, &m_owner));

    CFileDialog file(TRUE);
    ASSERT_EQ(IDOK, file.DoModal());
    EXPECT_STREQ("C:\\plan.dwg", file.GetPathName());

    CColorDialog colour;
    ASSERT_EQ(IDOK, colour.DoModal());
    EXPECT_EQ(RGB(1, 2, 3), colour.GetColor());

    char display[MAX_PATH] = {};
    BROWSEINFOA info = {};
    info.lpszTitle = "Pick a folder";
    info.pszDisplayName = display;
    LPITEMIDLIST item = AfxBrowseForFolder(info);
    ASSERT_NE(nullptr, item);
    char chosen[MAX_PATH] = {};
    EXPECT_TRUE(SHGetPathFromIDListA(item, chosen));
    CoTaskMemFree(item);
    EXPECT_STRCASEEQ(dir.Path().c_str(), chosen);

    CPropertyPage page(IDD_TESTPAGE1);
    CPropertySheet sheet("Options");
    sheet.AddPage(&page);
    EXPECT_EQ(IDCANCEL, sheet.DoModal());
    EXPECT_EQ(0u, script.Remaining());
}

TEST_F(ModalSeamTest, AnUnscriptedModalIsReportedByNameAndCancelledAtOnce)
{
    ReportCapture capture;
    CDialog dialog(IDD_TESTDIALOG);
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    PopupMenu popup;
    EXPECT_EQ(0, popup.m_menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, &m_owner));
    // A box's cancelling answer is the one its buttons give for Esc.
    EXPECT_EQ(IDNO, AfxMessageBox("Overwrite plan.dwg?", MB_YESNO));
    EXPECT_EQ(IDOK, AfxMessageBox("Saved."));
    BROWSEINFOA info = {};
    info.lpszTitle = "Cache folder";
    EXPECT_EQ(nullptr, AfxBrowseForFolder(info));
    EXPECT_EQ((std::vector<std::string>{"unscripted dialog \"Test dialog\" (template 300)",
                                        "unscripted popup menu \"&Open, &Copy\"",
                                        "unscripted message box \"Overwrite plan.dwg?\"",
                                        "unscripted message box \"Saved.\"",
                                        "unscripted folder picker \"Cache folder\""}),
              ReportCapture::Messages());
}

TEST_F(ModalSeamTest, AModalTheScriptDidNotExpectIsReportedAndCancelled)
{
    ReportCapture capture;
    {
        CModalScript script({ModalStep(ModalKind::MessageBox, "Delete", IDYES),
                             ModalStep(ModalKind::MessageBox, "Saved", IDOK)});
        // The wrong text where the script expects "Delete": reported and cancelled, step used.
        EXPECT_EQ(IDCANCEL, AfxMessageBox("Rename it?", MB_YESNOCANCEL));
        EXPECT_EQ(IDOK, AfxMessageBox("Saved."));
        // Past the end of the list.
        EXPECT_EQ(IDNO, AfxMessageBox("Again?", MB_YESNO));
    }
    {
        CModalScript script({ModalStep(ModalKind::Dialog, IDD_TESTDIALOG, IDOK)});
        PopupMenu popup;
        EXPECT_EQ(0, popup.m_menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, &m_owner));
    }
    {
        CModalScript script({ModalStep(ModalKind::FolderPicker, "", IDOK)});
    }
    EXPECT_EQ((std::vector<std::string>{
                  "the script expected message box \"Delete\" but met message box \"Rename it?\"",
                  "unscripted message box \"Again?\" after the script's last step",
                  "the script expected dialog \"\" (template 300) but met popup menu \"&Open, &Copy\"",
                  "the script's folder picker \"\" was never met"}),
              ReportCapture::Messages());
}

TEST_F(ModalSeamTest, TheNewestScopeAnswersTheKindsItTakes)
{
    std::vector<std::string> seen;
    CModalScript script({ModalStep(ModalKind::MessageBox, "outer", IDOK), ModalStep(ModalKind::PopupMenu, "", 501)});
    {
        CModalHandlerScope handler([&](const ModalRequest& r) -> INT_PTR {
            seen.push_back("handler:" + std::string(ModalText(r)));
            return 502;
        });
        PopupMenu popup;
        EXPECT_EQ(502, popup.m_menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, &m_owner));
        // Message boxes are not the dialog handler's: the script answers.
        EXPECT_EQ(IDOK, AfxMessageBox("outer"));
        {
            CModalScript inner({ModalStep(ModalKind::PopupMenu, "Open", 501)});
            EXPECT_EQ(501, popup.m_menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, &m_owner));
        }
    }
    PopupMenu popup;
    EXPECT_EQ(501, popup.m_menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, &m_owner));
    EXPECT_EQ((std::vector<std::string>{"handler:&Open, &Copy"}), seen);
}

TEST_F(ModalSeamTest, ScopesEndingOutOfOrderLeaveTheOthersInPlace)
{
    auto first = std::make_unique<CPromptHandlerScope>([](const PromptRequest&) { return IDYES; });
    auto second = std::make_unique<CPromptHandlerScope>([](const PromptRequest&) { return IDNO; });
    first.reset();
    EXPECT_EQ(IDNO, AfxMessageBox("?", MB_YESNO));
    second.reset();
    // The slot form sits below every scope and script.
    const PromptHandler previous = SetPromptHandler([](const PromptRequest&) { return IDRETRY; });
    EXPECT_EQ(IDRETRY, AfxMessageBox("?", MB_RETRYCANCEL));
    {
        CModalScript script({ModalStep(ModalKind::MessageBox, "?", IDCANCEL)});
        EXPECT_EQ(IDCANCEL, AfxMessageBox("?", MB_RETRYCANCEL));
    }
    SetPromptHandler(previous);
}

TEST_F(ModalSeamTest, TheProgramWithNothingInstalledShowsTheRealThing)
{
    const UnscriptedModalReporter reporter = SetUnscriptedModalReporter(nullptr);
    const bool answeredDialogs = IsModalAnswered(ModalKind::Dialog);
    const bool answeredBoxes = IsModalAnswered(ModalKind::MessageBox);
    ModalRequest request;
    request.kind = ModalKind::FolderPicker;
    INT_PTR answer = 42;
    const bool asked = AskModal(request, answer);
    bool answeredInScript = false;
    {
        CModalScript script({});
        answeredInScript = IsModalAnswered(ModalKind::FolderPicker);
    }
    SetUnscriptedModalReporter(reporter);
    EXPECT_FALSE(answeredDialogs);
    EXPECT_FALSE(answeredBoxes);
    EXPECT_FALSE(asked);
    EXPECT_EQ(42, answer);
    EXPECT_TRUE(answeredInScript);
    // In a test exe the reporter is installed: every kind is answered.
    EXPECT_TRUE(IsModalAnswered(ModalKind::PopupMenu));
}

} // namespace
