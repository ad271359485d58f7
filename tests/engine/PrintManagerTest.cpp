// The drawing library's print manager and save dialog on their own: fitting a window on the
// page for each orientation, the chosen printer, the answers without a record, and the save
// dialog's kind and name as the modal seam leaves them.
#include "engine/rkui/PrintManagerDialog.h"
#include "engine/rkui/RkUI.h"
#include "framework/ModalSeam.h"

#include <gtest/gtest.h>

namespace {

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
