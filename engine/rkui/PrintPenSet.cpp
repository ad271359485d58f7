#include "engine/rkui/PrintPenSet.h"

#include "engine/rkio/EngineState.h"
#include "framework/CommonDialogs.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace RkUI {

PrintPenSet::PrintPenSet()
{
    Reset();
}

PrintPenSet::~PrintPenSet() = default;

CPrintDialog& PrintPenSet::getPrintSetDlg()
{
    if (!m_printDialog)
        m_printDialog = std::make_unique<CPrintDialog>(FALSE);
    return *m_printDialog;
}

// The dialog's device names, as the print dialog would leave them: driver "WINSPOOL", the
// printer, no port (the spooler knows it). No device mode: the printer's own defaults.
bool PrintPenSet::SelectPrinter(const std::string& name)
{
    if (name.empty())
        return false;
    const char driver[] = "WINSPOOL";
    const std::size_t bytes = sizeof(DEVNAMES) + sizeof driver + name.size() + 2;
    HGLOBAL names = ::GlobalAlloc(GHND, bytes);
    if (!names)
        return false;
    auto* dn = static_cast<DEVNAMES*>(::GlobalLock(names));
    char* text = reinterpret_cast<char*>(dn);
    dn->wDriverOffset = sizeof(DEVNAMES);
    std::memcpy(text + dn->wDriverOffset, driver, sizeof driver);
    dn->wDeviceOffset = static_cast<WORD>(dn->wDriverOffset + sizeof driver);
    std::memcpy(text + dn->wDeviceOffset, name.c_str(), name.size() + 1);
    dn->wOutputOffset = static_cast<WORD>(dn->wDeviceOffset + name.size() + 1);
    ::GlobalUnlock(names);
    CPrintDialog& dialog = getPrintSetDlg();
    if (dialog.m_pd.hDevNames)
        ::GlobalFree(dialog.m_pd.hDevNames);
    if (dialog.m_pd.hDevMode)
        ::GlobalFree(dialog.m_pd.hDevMode);
    dialog.m_pd.hDevNames = names;
    dialog.m_pd.hDevMode = nullptr;
    return true;
}

std::string PrintPenSet::PrinterName()
{
    return static_cast<const char*>(getPrintSetDlg().GetDeviceName());
}

void PrintPenSet::Reset()
{
    for (int i = 0; i < kPens; ++i)
        m_pens[i] = {i, 0, 25, static_cast<std::int16_t>(i == 0 ? 7 : i), 0};
    m_usePenWidth = false;
    m_minWidth = 1.0;
}

void PrintPenSet::SetMinWidth(double width)
{
    m_minWidth = std::isfinite(width) && width >= 0.0 ? width : 1.0;
}

void PrintPenSet::UpdatePenSetsToRkIO() const
{
    std::vector<RkIo::PenEntry> pens(kPens);
    for (int i = 0; i < kPens; ++i)
        pens[static_cast<std::size_t>(i)] = {m_pens[i].width, m_pens[i].colorIndex};
    RkIo::EngineState::Instance().SetPens(pens);
}

} // namespace RkUI
