// The print manager: the printer, which window to print (the view, a picked window, the paper
// layout), fit to page or a scale, the orientation, the colours, the pens (the pen set, its
// widths at the printer's resolution, plain line weights on paper, the line-weight scale; "Pen
// set..." edits the pens), and print to file with its picture size. It reads and writes the view frame's print record; "Pick Window <" ends it with
// kPickWindow so the caller lets the user drag a window and opens it again.
#pragma once

#include "engine/rkui/PlotStyleRecord.h"
#include "engine/rkui/PrintRecord.h"
#include "engine/rkui/TemplateDialog.h"

#include <string>
#include <vector>

namespace RkUI {

class PrintManagerDialog final : public TemplateDialog
{
public:
    enum Control
    {
        kPrinter = 100,
        kWholeView = 110,
        kPickedWindow = 111,
        kPaper = 112,
        kScale = 120,
        kFitToPage = 121,
        kBitmapWidth = 130,
        kBitmapHeight = 131,
        kPortrait = 140,
        kLandscape = 141,
        kPrintToFile = 150,
        kColors = 160,
        kPickButton = 170,
        kUsePenSets = 180,
        kPenSetsByResolution = 181,
        kPlainLineWeight = 182,
        kLineWeightScale = 183,
        kPenSetButton = 184,
    };
    // The end code of "Pick Window <" (IDOK prints, IDCANCEL closes).
    static constexpr int kPickWindow = 9;
    static constexpr const char* kPlotKey = "PrintCfg\\plot";

    explicit PrintManagerDialog(PrintRecord& record);
    // The installed printers, the default one first.
    static std::vector<std::string> Printers();

    // The page in printer pixels and the printer's resolution; false when the printer cannot be
    // asked.
    struct Page
    {
        int width = 0;
        int height = 0;
        int dpi = 0;
    };
    static bool PageOf(const std::string& printer, Page& page);
    // Fits the window onto the page (scale and centring placement) for the orientation.
    static void FitToPage(const PrintWindowRecord& window, const Page& page, PrintRecord& record);

protected:
    void Build(DialogTemplate& t) const override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void UpdateStates();
    // Reads the controls into the record; a message names what is wrong and false keeps the
    // dialog up.
    bool ReadControls();
    bool ReadBitmapSize();
    bool ReadPens();
    void ShowPens();
    const PrintWindowRecord* ChosenWindow() const;
    bool Checked(int id) const;
    std::string Text(int id) const;

    PrintRecord& m_record;
    PlotStyleRecord m_plot;
};

} // namespace RkUI
