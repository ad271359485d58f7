#include "engine/rkui/PrintPenSet.h"

#include "engine/rkio/EngineState.h"
#include "engine/rkui/NumberFieldsDialog.h"
#include "engine/rkui/RegistryText.h"
#include "framework/CommonDialogs.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
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

tagPENWIDTHS PrintPenSet::DefaultPen(int pen)
{
    return {pen, 0, kDefaultWidth, static_cast<std::int16_t>(pen == 0 ? 7 : pen), 0};
}

void PrintPenSet::Reset()
{
    for (int i = 0; i < kPens; ++i)
        m_pens[i] = DefaultPen(i);
    m_usePenWidth = false;
    m_minWidth = 1.0;
}

bool PrintPenSet::SetPen(int pen, int width, int colorIndex)
{
    if (pen < 0 || pen >= kPens || width < 0 || width > kMaxWidth || colorIndex < 1 || colorIndex > 255)
        return false;
    m_pens[pen].width = width;
    m_pens[pen].colorIndex = static_cast<std::int16_t>(colorIndex);
    return true;
}

std::string PrintPenSet::PensText() const
{
    std::string text;
    for (int i = 0; i < kPens; ++i) {
        if (m_pens[i].width == kDefaultWidth && m_pens[i].colorIndex == DefaultPen(i).colorIndex)
            continue;
        char entry[48];
        std::snprintf(entry, sizeof entry, "%s%d:%d:%d", text.empty() ? "" : ";", i, m_pens[i].width,
                      m_pens[i].colorIndex);
        text += entry;
    }
    return text;
}

void PrintPenSet::SetPensText(const std::string& text)
{
    for (int i = 0; i < kPens; ++i)
        m_pens[i] = DefaultPen(i);
    std::istringstream entries(text);
    std::string entry;
    while (std::getline(entries, entry, ';')) {
        int pen = -1, width = -1, color = -1;
        char end = 0;
        if (std::sscanf(entry.c_str(), "%d:%d:%d%c", &pen, &width, &color, &end) == 3)
            SetPen(pen, width, color);
    }
}

void PrintPenSet::Load(const std::string& key)
{
    m_usePenWidth = RegistryText::Read(key, "UsePenWidth") == "1";
    double minimum = 1.0;
    if (!NumberFieldsDialog::Parse(RegistryText::Read(key, "MinWidth"), minimum))
        minimum = 1.0;
    SetMinWidth(minimum);
    SetPensText(RegistryText::Read(key, "Pens"));
}

bool PrintPenSet::Save(const std::string& key) const
{
    char minimum[40];
    std::snprintf(minimum, sizeof minimum, "%.17g", m_minWidth);
    bool ok = RegistryText::Write(key, "UsePenWidth", m_usePenWidth ? "1" : "0");
    ok = RegistryText::Write(key, "MinWidth", minimum) && ok;
    return RegistryText::Write(key, "Pens", PensText()) && ok;
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
