#include "engine/rkui/PrintManagerDialog.h"

#include "engine/rkui/NumberFieldsDialog.h"
#include "engine/rkui/PenSetDialog.h"
#include "engine/rkui/RkUI.h"
#include "framework/Prompt.h"

#include <winspool.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace RkUI {

namespace {

const WORD kComboBox = 0x0085;
const double kMillimetresPerInch = 25.4;
const int kMaxBitmapSide = 20000;

std::string DefaultPrinter()
{
    char name[512] = {};
    DWORD size = sizeof name;
    return ::GetDefaultPrinterA(name, &size) ? name : "";
}

} // namespace

PrintManagerDialog::PrintManagerDialog(PrintRecord& record) : TemplateDialog(record.owner), m_record(record)
{
    loadPlotStyleDialogFromRegistry(kPlotKey, &m_plot);
}

std::vector<std::string> PrintManagerDialog::Printers()
{
    std::vector<std::string> names;
    const std::string standard = DefaultPrinter();
    if (!standard.empty())
        names.push_back(standard);
    DWORD needed = 0, count = 0;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    ::EnumPrintersA(flags, nullptr, 4, nullptr, 0, &needed, &count);
    if (needed == 0)
        return names;
    std::vector<BYTE> buffer(needed);
    if (!::EnumPrintersA(flags, nullptr, 4, buffer.data(), needed, &needed, &count))
        return names;
    const auto* info = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        const std::string name = info[i].pPrinterName ? info[i].pPrinterName : "";
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

bool PrintManagerDialog::PageOf(const std::string& printer, Page& page)
{
    if (printer.empty())
        return false;
    const HDC ic = ::CreateICA("WINSPOOL", printer.c_str(), nullptr, nullptr);
    if (!ic)
        return false;
    page.width = ::GetDeviceCaps(ic, HORZRES);
    page.height = ::GetDeviceCaps(ic, VERTRES);
    page.dpi = ::GetDeviceCaps(ic, LOGPIXELSX);
    ::DeleteDC(ic);
    return page.width > 0 && page.height > 0 && page.dpi > 0;
}

// The print occupies the page from its top-left corner; the placement moves it to the middle.
// The second placement is in page units with y upwards, so moving the print down is negative.
void PrintManagerDialog::FitToPage(const PrintWindowRecord& window, const Page& page, PrintRecord& record)
{
    const bool turned = record.orientation == 1 || record.orientation == 3;
    const double across = turned ? window.height : window.width;
    const double down = turned ? window.width : window.height;
    if (across > 0.0 && down > 0.0 && std::isfinite(across) && std::isfinite(down))
        record.scale = std::min(page.width / across, page.height / down);
    const double printedAcross = across * record.scale;
    const double printedDown = down * record.scale;
    record.placement1 = static_cast<int>(std::max(0.0, (page.width - printedAcross) / 2.0));
    record.placement2 = -static_cast<int>(std::max(0.0, (page.height - printedDown) / 2.0));
}

void PrintManagerDialog::Build(DialogTemplate& t) const
{
    t.Dialog(L"Print", 260, 254, 30);
    t.Item(SS_LEFT, 7, 9, 50, 10, 0xFFFF, DialogTemplate::kStatic, L"Printer:");
    t.Item(CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 60, 7, 193, 120, kPrinter, kComboBox, L"");
    t.Item(BS_GROUPBOX, 7, 26, 120, 62, 0xFFFF, DialogTemplate::kButton, L"Print window");
    t.Item(BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 14, 38, 108, 12, kWholeView, DialogTemplate::kButton,
           L"Current view");
    t.Item(BS_AUTORADIOBUTTON, 14, 52, 108, 12, kPickedWindow, DialogTemplate::kButton, L"Picked window");
    t.Item(BS_AUTORADIOBUTTON, 14, 66, 108, 12, kPaper, DialogTemplate::kButton, L"Paper layout");
    t.Item(BS_GROUPBOX, 133, 26, 120, 62, 0xFFFF, DialogTemplate::kButton, L"Orientation");
    t.Item(BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 140, 38, 108, 12, kPortrait, DialogTemplate::kButton,
           L"Portrait");
    t.Item(BS_AUTORADIOBUTTON, 140, 52, 108, 12, kLandscape, DialogTemplate::kButton, L"Landscape");
    t.Item(BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 7, 94, 120, 12, kFitToPage, DialogTemplate::kButton,
           L"Fit to page");
    t.Item(SS_LEFT, 7, 111, 80, 10, 0xFFFF, DialogTemplate::kStatic, L"Scale (mm per unit):");
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 88, 109, 39, 13, kScale, DialogTemplate::kEdit, L"");
    t.Item(SS_LEFT, 133, 96, 40, 10, 0xFFFF, DialogTemplate::kStatic, L"Colours:");
    t.Item(CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 175, 94, 78, 60, kColors, kComboBox, L"");
    t.Item(BS_AUTOCHECKBOX | WS_TABSTOP, 7, 130, 120, 12, kPrintToFile, DialogTemplate::kButton,
           L"Print to file (picture)");
    t.Item(SS_LEFT, 133, 132, 60, 10, 0xFFFF, DialogTemplate::kStatic, L"Size (pixels):");
    t.Item(ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 185, 130, 30, 13, kBitmapWidth,
           DialogTemplate::kEdit, L"");
    t.Item(SS_CENTER, 215, 132, 8, 10, 0xFFFF, DialogTemplate::kStatic, L"x");
    t.Item(ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 223, 130, 30, 13, kBitmapHeight,
           DialogTemplate::kEdit, L"");
    t.Item(BS_GROUPBOX, 7, 150, 246, 70, 0xFFFF, DialogTemplate::kButton, L"Pens");
    t.Item(BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 14, 162, 124, 12, kUsePenSets, DialogTemplate::kButton,
           L"Use the pen set");
    t.Item(BS_AUTOCHECKBOX | WS_TABSTOP, 14, 176, 124, 12, kPenSetsByResolution, DialogTemplate::kButton,
           L"Pen widths at printer resolution");
    t.Item(BS_AUTOCHECKBOX | WS_TABSTOP, 14, 190, 124, 12, kPlainLineWeight, DialogTemplate::kButton,
           L"Plain line weights on paper");
    t.Item(SS_LEFT, 140, 164, 62, 10, 0xFFFF, DialogTemplate::kStatic, L"Line weight scale:");
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 205, 162, 40, 13, kLineWeightScale, DialogTemplate::kEdit, L"");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 185, 186, 60, 14, kPenSetButton, DialogTemplate::kButton, L"Pen s&et...");
    t.Item(SS_ETCHEDHORZ, 7, 226, 246, 1, 0xFFFF, DialogTemplate::kStatic, L"");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 80, 234, 50, 14, IDOK, DialogTemplate::kButton, L"Print");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 137, 234, 60, 14, kPickButton, DialogTemplate::kButton,
           L"Pick Window <");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 203, 234, 50, 14, IDCANCEL, DialogTemplate::kButton, L"Close");
}

BOOL PrintManagerDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    const std::string chosen = g_printPenSet.PrinterName();
    int selected = 0;
    const std::vector<std::string> printers = Printers();
    for (std::size_t i = 0; i < printers.size(); ++i) {
        SendDlgItemMessage(kPrinter, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(printers[i].c_str()));
        if (printers[i] == chosen)
            selected = static_cast<int>(i);
    }
    SendDlgItemMessage(kPrinter, CB_SETCURSEL, static_cast<WPARAM>(printers.empty() ? -1 : selected));
    for (const char* mode : {"Colour", "Grey", "Black and white"})
        SendDlgItemMessage(kColors, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
    SendDlgItemMessage(kColors, CB_SETCURSEL, static_cast<WPARAM>(std::clamp(m_plot.colorMode, 0, 2)));
    const int window = m_record.chosenWindow == &m_record.paper && m_record.paperValid ? kPaper
                       : m_record.wholeView                                              ? kWholeView
                                                                                          : kPickedWindow;
    ::CheckRadioButton(m_hWnd, kWholeView, kPaper, window);
    ::CheckRadioButton(m_hWnd, kPortrait, kLandscape, m_record.orientation == 1 ? kLandscape : kPortrait);
    ::CheckDlgButton(m_hWnd, kFitToPage, BST_CHECKED);
    ::CheckDlgButton(m_hWnd, kPrintToFile, m_record.printToFile ? BST_CHECKED : BST_UNCHECKED);
    ::SetDlgItemInt(m_hWnd, kBitmapWidth, static_cast<UINT>(m_record.bitmapWidth), FALSE);
    ::SetDlgItemInt(m_hWnd, kBitmapHeight, static_cast<UINT>(m_record.bitmapHeight), FALSE);
    Page page;
    const double mm = PageOf(chosen.empty() && !printers.empty() ? printers[0] : chosen, page)
                          ? m_record.scale * kMillimetresPerInch / page.dpi
                          : 1.0;
    char text[32] = {};
    std::snprintf(text, sizeof text, "%.4g", mm);
    ::SetDlgItemTextA(m_hWnd, kScale, text);
    ShowPens();
    UpdateStates();
    return TRUE;
}

void PrintManagerDialog::ShowPens()
{
    ::CheckDlgButton(m_hWnd, kUsePenSets, m_plot.usePenSets ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(m_hWnd, kPenSetsByResolution, m_plot.penSetsByResolution ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(m_hWnd, kPlainLineWeight, m_plot.plainLineWeightOnPaper ? BST_CHECKED : BST_UNCHECKED);
    char scale[32];
    std::snprintf(scale, sizeof scale, "%g", m_plot.lineWeightScale);
    ::SetDlgItemTextA(m_hWnd, kLineWeightScale, scale);
}

bool PrintManagerDialog::ReadPens()
{
    double scale = 0.0;
    if (!NumberFieldsDialog::Parse(Text(kLineWeightScale), scale) || scale <= 0.0 || scale > 100.0) {
        AfxMessageBox("The line weight scale must be a number greater than 0, at most 100.",
                      MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(::GetDlgItem(m_hWnd, kLineWeightScale));
        return false;
    }
    m_plot.lineWeightScale = scale;
    m_plot.usePenSets = Checked(kUsePenSets) ? 1 : 0;
    m_plot.penSetsByResolution = Checked(kPenSetsByResolution) ? 1 : 0;
    m_plot.plainLineWeightOnPaper = Checked(kPlainLineWeight) ? 1 : 0;
    return true;
}

void PrintManagerDialog::UpdateStates()
{
    ::EnableWindow(::GetDlgItem(m_hWnd, kPickedWindow), !m_record.wholeView);
    ::EnableWindow(::GetDlgItem(m_hWnd, kPaper), m_record.paperValid);
    const bool toFile = Checked(kPrintToFile);
    ::EnableWindow(::GetDlgItem(m_hWnd, kScale), !toFile && !Checked(kFitToPage));
    ::EnableWindow(::GetDlgItem(m_hWnd, kFitToPage), !toFile);
    ::EnableWindow(::GetDlgItem(m_hWnd, kBitmapWidth), toFile);
    ::EnableWindow(::GetDlgItem(m_hWnd, kBitmapHeight), toFile);
    const bool pens = Checked(kUsePenSets);
    ::EnableWindow(::GetDlgItem(m_hWnd, kPenSetsByResolution), pens);
    ::EnableWindow(::GetDlgItem(m_hWnd, kPenSetButton), pens);
}

BOOL PrintManagerDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    if (id == kPickButton && HIWORD(wParam) == BN_CLICKED) {
        EndDialog(kPickWindow);
        return TRUE;
    }
    if (id == kPenSetButton && HIWORD(wParam) == BN_CLICKED) {
        // The pens are the program's, not this print's: they are kept once confirmed.
        PenSetDialog pens(m_hWnd, g_printPenSet);
        if (pens.DoModal() == IDOK)
            savePenSetToRegistry(PrintPenSet::kRegistryKey);
        return TRUE;
    }
    if (id == kPrintToFile || id == kFitToPage || id == kUsePenSets)
        UpdateStates();
    return CDialog::OnCommand(wParam, lParam);
}

bool PrintManagerDialog::Checked(int id) const
{
    return ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED;
}

std::string PrintManagerDialog::Text(int id) const
{
    char text[512] = {};
    ::GetDlgItemTextA(m_hWnd, id, text, sizeof text);
    return text;
}

const PrintWindowRecord* PrintManagerDialog::ChosenWindow() const
{
    if (Checked(kPaper) && m_record.paperValid)
        return &m_record.paper;
    if (Checked(kPickedWindow) && !m_record.wholeView)
        return &m_record.printWindow;
    return &m_record.viewWindow;
}

bool PrintManagerDialog::ReadBitmapSize()
{
    BOOL okWidth = FALSE, okHeight = FALSE;
    const auto width = static_cast<int>(::GetDlgItemInt(m_hWnd, kBitmapWidth, &okWidth, FALSE));
    const auto height = static_cast<int>(::GetDlgItemInt(m_hWnd, kBitmapHeight, &okHeight, FALSE));
    if (!okWidth || !okHeight || width < 1 || height < 1 || width > kMaxBitmapSide || height > kMaxBitmapSide) {
        AfxMessageBox("The picture size must be 1 to 20000 pixels each way.", MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(::GetDlgItem(m_hWnd, kBitmapWidth));
        return false;
    }
    m_record.bitmapWidth = width;
    m_record.bitmapHeight = height;
    return true;
}

bool PrintManagerDialog::ReadControls()
{
    const bool toFile = Checked(kPrintToFile);
    const std::string printer = Text(kPrinter);
    Page page;
    const bool hasPage = PageOf(printer, page);
    // A picture file needs no printer; paper does.
    if (!toFile && !hasPage) {
        AfxMessageBox("No printer can be used. Install a printer, or choose \"Print to file\".",
                      MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (toFile && !ReadBitmapSize())
        return false;
    if (!ReadPens())
        return false;
    m_record.orientation = static_cast<short>(Checked(kLandscape) ? 1 : 0);
    const PrintWindowRecord* window = ChosenWindow();
    if (hasPage && !toFile) {
        if (Checked(kFitToPage)) {
            FitToPage(*window, page, m_record);
        } else {
            double mm = 0.0;
            if (!NumberFieldsDialog::Parse(Text(kScale), mm) || mm <= 0.0) {
                AfxMessageBox("The scale must be a number greater than 0.", MB_OK | MB_ICONEXCLAMATION);
                ::SetFocus(::GetDlgItem(m_hWnd, kScale));
                return false;
            }
            m_record.scale = mm * page.dpi / kMillimetresPerInch;
            m_record.placement1 = 0;
            m_record.placement2 = 0;
        }
    }
    if (!printer.empty())
        g_printPenSet.SelectPrinter(printer);
    m_record.chosenWindow = window;
    m_record.printToFile = toFile;
    m_plot.colorMode = static_cast<int>(SendDlgItemMessage(kColors, CB_GETCURSEL));
    m_plot.colorMode = std::clamp(m_plot.colorMode, 0, 2);
    savePlotStyleDialogToRegistry(kPlotKey, m_plot);
    return true;
}

void PrintManagerDialog::OnOK()
{
    if (ReadControls())
        CDialog::OnOK();
}

} // namespace RkUI
