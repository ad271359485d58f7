// The drawing library's print manager and save dialog on their own: fitting a window on the
// page for each orientation, the chosen printer, the answers without a record, the pens chosen
// and kept in the registry (plot style and pen table), and the save dialog's kind and name as
// the modal seam leaves them.
#include "engine/rkui/PenSetDialog.h"
#include "engine/rkui/PrintManagerDialog.h"
#include "engine/rkui/RkUI.h"
#include "framework/CWnd.h"
#include "framework/ModalSeam.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using RkUI::PenSetDialog;
using RkUI::PrintManagerDialog;
using RkUI::PrintPenSet;

std::string TestRoot()
{
    return "Software\\OrvoTest\\PrintManager-" + std::to_string(GetCurrentProcessId()) + "\\";
}

class PrintManagerPens : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(initRkUI(TestRoot().c_str(), "Orvo Kestal", 1, 0)); }
    void TearDown() override
    {
        releaseRkUI();
        RegDeleteTreeA(HKEY_CURRENT_USER, TestRoot().c_str());
    }

    static void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
    static bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
    static std::string Text(HWND dialog, int id)
    {
        char text[64] = {};
        GetDlgItemTextA(dialog, id, text, sizeof text);
        return text;
    }
};

// The pen choice is a picture's too, so a print to file confirms it without a printer.
TEST_F(PrintManagerPens, ChoiceRoundTripsThroughThePlotStyleInTheRegistry)
{
    PrintRecord record;
    {
        CModalScript script({ModalStep(ModalKind::Dialog, "Print", IDOK, [](const ModalRequest& r) {
            const HWND d = r.pWnd->m_hWnd;
            EXPECT_TRUE(Checked(d, PrintManagerDialog::kUsePenSets));     // the defaults
            EXPECT_FALSE(Checked(d, PrintManagerDialog::kPenSetsByResolution));
            EXPECT_TRUE(Checked(d, PrintManagerDialog::kPlainLineWeight));
            EXPECT_EQ(Text(d, PrintManagerDialog::kLineWeightScale), "1");
            Check(d, PrintManagerDialog::kPrintToFile, true);
            Check(d, PrintManagerDialog::kPenSetsByResolution, true);
            Check(d, PrintManagerDialog::kPlainLineWeight, false);
            SetDlgItemTextA(d, PrintManagerDialog::kLineWeightScale, "2.5");
        })});
        initPrintManager(&record);
        EXPECT_EQ(showPrintManager(), 1);
        releasePrintManager();
        EXPECT_EQ(script.Remaining(), 0u);
    }
    PlotStyleRecord plot;
    loadPlotStyleDialogFromRegistry(PrintManagerDialog::kPlotKey, &plot);
    EXPECT_EQ(plot.usePenSets, 1);
    EXPECT_EQ(plot.penSetsByResolution, 1);
    EXPECT_EQ(plot.plainLineWeightOnPaper, 0);
    EXPECT_DOUBLE_EQ(plot.lineWeightScale, 2.5);
    // Opened again, it shows what was kept; closing keeps it.
    CModalScript script({ModalStep(ModalKind::Dialog, "Print", IDCANCEL, [](const ModalRequest& r) {
        const HWND d = r.pWnd->m_hWnd;
        EXPECT_TRUE(Checked(d, PrintManagerDialog::kUsePenSets));
        EXPECT_TRUE(Checked(d, PrintManagerDialog::kPenSetsByResolution));
        EXPECT_FALSE(Checked(d, PrintManagerDialog::kPlainLineWeight));
        EXPECT_EQ(Text(d, PrintManagerDialog::kLineWeightScale), "2.5");
        Check(d, PrintManagerDialog::kUsePenSets, false);
    })});
    initPrintManager(&record);
    EXPECT_EQ(showPrintManager(), 2);
    releasePrintManager();
    loadPlotStyleDialogFromRegistry(PrintManagerDialog::kPlotKey, &plot);
    EXPECT_EQ(plot.usePenSets, 1);
}

// "Pen set..." opens the pen table over the print manager; its OK keeps the pens even when the
// print manager is then closed.
TEST_F(PrintManagerPens, PenTableIsEditedAndKept)
{
    PrintRecord record;
    CModalScript script({
        ModalStep(ModalKind::Dialog, "Print", IDCANCEL,
                  [](const ModalRequest& r) {
                      SendMessageA(r.pWnd->m_hWnd, WM_COMMAND,
                                   MAKEWPARAM(PrintManagerDialog::kPenSetButton, BN_CLICKED), 0);
                  }),
        ModalStep(ModalKind::Dialog, "Pen Set", IDOK,
                  [](const ModalRequest& r) {
                      const HWND d = r.pWnd->m_hWnd;
                      EXPECT_EQ(Text(d, PenSetDialog::kWidth), "0.25");
                      EXPECT_EQ(Text(d, PenSetDialog::kColor), "1");
                      SetDlgItemTextA(d, PenSetDialog::kWidth, "1.5");
                      SetDlgItemTextA(d, PenSetDialog::kColor, "5");
                      SendMessageA(d, WM_COMMAND, PenSetDialog::kSet, 0);
                      // Pen 3 picked in the list; its fields count on OK without "Set".
                      SendDlgItemMessageA(d, PenSetDialog::kList, LB_SETCURSEL, 3, 0);
                      SendMessageA(d, WM_COMMAND, MAKEWPARAM(PenSetDialog::kList, LBN_SELCHANGE), 0);
                      EXPECT_EQ(Text(d, PenSetDialog::kColor), "3");
                      SetDlgItemTextA(d, PenSetDialog::kWidth, "0.7");
                      Check(d, PenSetDialog::kUsePens, true);
                      SetDlgItemTextA(d, PenSetDialog::kMinWidth, "2");
                  }),
    });
    initPrintManager(&record);
    EXPECT_EQ(showPrintManager(), 2);
    releasePrintManager();
    EXPECT_EQ(script.Remaining(), 0u);
    EXPECT_EQ(g_printPenSet.PensText(), "1:150:5;3:70:3");
    EXPECT_TRUE(g_printPenSet.getUsePenWidth());
    EXPECT_DOUBLE_EQ(g_printPenSet.GetMinWidth(), 2.0);
    g_printPenSet.Reset();
    loadPenSetFromRegistry(PrintPenSet::kRegistryKey);
    EXPECT_EQ(g_printPenSet.PensText(), "1:150:5;3:70:3");
    EXPECT_TRUE(g_printPenSet.getUsePenWidth());
    EXPECT_DOUBLE_EQ(g_printPenSet.GetMinWidth(), 2.0);
    EXPECT_EQ(g_printPenSet.getPenWidths()[1].width, 150);
    EXPECT_EQ(g_printPenSet.getPenWidths()[1].colorIndex, 5);
}

TEST(PrintPenSet, PensTextSkipsWhatIsOutOfRange)
{
    PrintPenSet pens;
    pens.SetPensText("1:150:5;bad;300:1:1;2:5000:1;3:10:0;4:40:6;5:-1:2;6:30:7x");
    EXPECT_EQ(pens.PensText(), "1:150:5;4:40:6");
    pens.SetPensText("");
    EXPECT_EQ(pens.PensText(), "");
    EXPECT_EQ(pens.getPenWidths()[0].colorIndex, 7);
    EXPECT_FALSE(pens.SetPen(256, 10, 1));
    EXPECT_FALSE(pens.SetPen(1, 10, 256));
}

PrintWindowRecord Window(double width, double height)
{
    PrintWindowRecord w;
    w.width = width;
    w.height = height;
    return w;
}

TEST(PrintManager, FitToPageCentresTheWindowForEachOrientation)
{
    struct Case
    {
        short orientation;
        double width, height;
        double scale;
        int placement1, placement2;
    };
    // A page of 1000 x 2000 pixels.
    const Case cases[] = {
        {0, 100, 100, 10.0, 0, -500},     // square: as wide as the page, centred downwards
        {0, 400, 100, 2.5, 0, -875},
        {1, 400, 100, 5.0, 250, 0},       // turned: the window's height runs across the page
        {3, 100, 400, 2.5, 0, -875},
        {0, 0, 100, 1.0, 500, -950},      // no width: the scale is left as it was
    };
    const RkUI::PrintManagerDialog::Page page{1000, 2000, 300};
    for (const Case& c : cases) {
        PrintRecord record;
        record.orientation = c.orientation;
        RkUI::PrintManagerDialog::FitToPage(Window(c.width, c.height), page, record);
        EXPECT_DOUBLE_EQ(record.scale, c.scale) << c.orientation << " " << c.width;
        EXPECT_EQ(record.placement1, c.placement1) << c.orientation << " " << c.width;
        EXPECT_EQ(record.placement2, c.placement2) << c.orientation << " " << c.width;
    }
}

TEST(PrintManager, WithoutARecordItClosesAndAnUnknownPrinterHasNoPage)
{
    releasePrintManager();
    EXPECT_EQ(showPrintManager(), 2);
    RkUI::PrintManagerDialog::Page page;
    EXPECT_FALSE(RkUI::PrintManagerDialog::PageOf("", page));
    EXPECT_FALSE(RkUI::PrintManagerDialog::PageOf("No Such Printer 42", page));
}

TEST(PrintManager, AnswersOfTheDialogBecomeTheLibrarysCodes)
{
    struct Case
    {
        INT_PTR answer;
        int code;
    };
    for (const Case c : {Case{IDCANCEL, 2}, Case{RkUI::PrintManagerDialog::kPickWindow, 9}}) {
        PrintRecord record;
        initPrintManager(&record);
        CModalHandlerScope modal([&](const ModalRequest&) { return c.answer; });
        EXPECT_EQ(showPrintManager(), c.code);
        releasePrintManager();
    }
}

TEST(PrintManager, SelectedPrinterIsKept)
{
    EXPECT_FALSE(g_printPenSet.SelectPrinter(""));
    EXPECT_TRUE(g_printPenSet.SelectPrinter("Some Printer"));
    EXPECT_EQ(g_printPenSet.PrinterName(), "Some Printer");
    EXPECT_STREQ(g_printPenSet.getPrintSetDlg().GetDriverName(), "WINSPOOL");
}

TEST(DwgSaveDialog, SeamAnswerGivesKindAndPath)
{
    int asked = 0;
    CModalHandlerScope modal([&](const ModalRequest& r) -> INT_PTR {
        auto* dialog = dynamic_cast<RkUI::DwgSaveDialog*>(r.pCommonDialog);
        if (!dialog)
            return IDCANCEL;
        ++asked;
        EXPECT_STREQ(dialog->m_ofn.lpstrFile, "C:\\d\\plan.dwg");
        EXPECT_EQ(dialog->m_ofn.nFilterIndex, 3u);
        EXPECT_STREQ(dialog->NameForType(2, "plan.dwg"), "plan.dwg#2");
        dialog->SetPathName("C:\\d\\other.dxf");
        dialog->m_ofn.nFilterIndex = 2;
        return IDOK;
    });
    int chosen = 0;
    CString path;
    const auto callback = [](int index, const CString& name) {
        CString out;
        out.Format("%s#%d", static_cast<LPCSTR>(name), index);
        return out;
    };
    EXPECT_EQ(showDwgSaveDialog(0, 0, "C:\\d\\plan.dwg", 2, "A|*.a|B|*.b|C|*.c||", 0, nullptr, callback, 3, &chosen,
                                &path),
              1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(chosen, 2);
    EXPECT_STREQ(path, "C:\\d\\other.dxf");
}

TEST(DwgSaveDialog, CancelLeavesTheOutputsAlone)
{
    CModalHandlerScope modal([](const ModalRequest&) -> INT_PTR { return IDCANCEL; });
    int chosen = 7;
    CString path = "unchanged";
    EXPECT_EQ(showDwgSaveDialog(0, 0, "x.dwg", 2, "A|*.a||", 0, nullptr, nullptr, 1, &chosen, &path), 0);
    EXPECT_EQ(chosen, 7);
    EXPECT_STREQ(path, "unchanged");
}

} // namespace
