#include "engine/rkui/PenSetDialog.h"

#include "engine/rkui/NumberFieldsDialog.h"
#include "framework/Prompt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace RkUI {

PenSetDialog::PenSetDialog(HWND owner, PrintPenSet& penSet)
    : TemplateDialog(owner), m_penSet(penSet),
      m_pens(penSet.getPenWidths(), penSet.getPenWidths() + PrintPenSet::kPens)
{
}

std::string PenSetDialog::Line(const tagPENWIDTHS& pen)
{
    char line[64];
    std::snprintf(line, sizeof line, "Pen %d\t%.2f mm\tcolour %d", pen.pen, pen.width / 100.0, pen.colorIndex);
    return line;
}

void PenSetDialog::Build(DialogTemplate& t) const
{
    using T = DialogTemplate;
    t.Dialog(Title(), 280, 190, 13);
    t.Item(LBS_NOTIFY | LBS_USETABSTOPS | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 7, 7, 150, 176, kList, T::kListBox,
           L"");
    t.Item(SS_LEFT, 164, 9, 60, 10, 0xFFFF, T::kStatic, L"Width (mm):");
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 226, 7, 47, 13, kWidth, T::kEdit, L"");
    t.Item(SS_LEFT, 164, 27, 60, 10, 0xFFFF, T::kStatic, L"Colour number:");
    t.Item(ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 226, 25, 47, 13, kColor, T::kEdit, L"");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 226, 43, 47, 14, kSet, T::kButton, L"&Set");
    t.Item(BS_AUTOCHECKBOX | WS_TABSTOP, 164, 70, 109, 12, kUsePens, T::kButton, L"&Print with these pens");
    t.Item(SS_LEFT, 164, 90, 60, 10, 0xFFFF, T::kStatic, L"Thinnest (pixels):");
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 226, 88, 47, 13, kMinWidth, T::kEdit, L"");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 164, 110, 60, 14, kDefaults, T::kButton, L"&Default pens");
    t.Item(SS_ETCHEDHORZ, 164, 150, 109, 1, 0xFFFF, T::kStatic, L"");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 164, 169, 50, 14, IDOK, T::kButton, L"OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 223, 169, 50, 14, IDCANCEL, T::kButton, L"Cancel");
}

BOOL PenSetDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    const int stops[] = {40, 85};
    SendDlgItemMessage(kList, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(stops));
    ::CheckDlgButton(m_hWnd, kUsePens, m_penSet.getUsePenWidth() ? BST_CHECKED : BST_UNCHECKED);
    char minimum[32];
    std::snprintf(minimum, sizeof minimum, "%g", m_penSet.GetMinWidth());
    ::SetDlgItemTextA(m_hWnd, kMinWidth, minimum);
    // Pen 0 is nobody's colour; the list starts with red.
    Fill(1);
    return TRUE;
}

void PenSetDialog::Fill(int select)
{
    SendDlgItemMessage(kList, LB_RESETCONTENT);
    for (const tagPENWIDTHS& pen : m_pens) {
        const std::string line = Line(pen);
        SendDlgItemMessage(kList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    SendDlgItemMessage(kList, LB_SETCURSEL, static_cast<WPARAM>(select));
    ShowPen(select);
}

void PenSetDialog::ShowPen(int pen)
{
    if (pen < 0 || pen >= static_cast<int>(m_pens.size()))
        return;
    char width[32];
    std::snprintf(width, sizeof width, "%.2f", m_pens[static_cast<std::size_t>(pen)].width / 100.0);
    ::SetDlgItemTextA(m_hWnd, kWidth, width);
    ::SetDlgItemInt(m_hWnd, kColor, static_cast<UINT>(m_pens[static_cast<std::size_t>(pen)].colorIndex), FALSE);
}

int PenSetDialog::Selected() const
{
    const auto index = static_cast<int>(SendDlgItemMessage(kList, LB_GETCURSEL));
    return index >= 0 && index < static_cast<int>(m_pens.size()) ? index : -1;
}

std::string PenSetDialog::Text(int id) const
{
    char text[64] = {};
    ::GetDlgItemTextA(m_hWnd, id, text, sizeof text);
    return text;
}

bool PenSetDialog::SetSelectedPen()
{
    const int pen = Selected();
    if (pen < 0)
        return true;
    double mm = 0.0;
    if (!NumberFieldsDialog::Parse(Text(kWidth), mm) || mm < 0.0 || mm * 100.0 > PrintPenSet::kMaxWidth) {
        AfxMessageBox("The width must be 0 to 20 mm.", MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(::GetDlgItem(m_hWnd, kWidth));
        return false;
    }
    BOOL ok = FALSE;
    const auto color = static_cast<int>(::GetDlgItemInt(m_hWnd, kColor, &ok, FALSE));
    if (!ok || color < 1 || color > 255) {
        AfxMessageBox("The colour number must be 1 to 255.", MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(::GetDlgItem(m_hWnd, kColor));
        return false;
    }
    tagPENWIDTHS& entry = m_pens[static_cast<std::size_t>(pen)];
    entry.width = static_cast<std::int32_t>(std::lround(mm * 100.0));
    entry.colorIndex = static_cast<std::int16_t>(color);
    const std::string line = Line(entry);
    SendDlgItemMessage(kList, LB_DELETESTRING, static_cast<WPARAM>(pen));
    SendDlgItemMessage(kList, LB_INSERTSTRING, static_cast<WPARAM>(pen), reinterpret_cast<LPARAM>(line.c_str()));
    SendDlgItemMessage(kList, LB_SETCURSEL, static_cast<WPARAM>(pen));
    return true;
}

BOOL PenSetDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    if (id == kList && HIWORD(wParam) == LBN_SELCHANGE) {
        ShowPen(Selected());
        return TRUE;
    }
    if (id == kSet) {
        SetSelectedPen();
        return TRUE;
    }
    if (id == kDefaults) {
        for (int i = 0; i < PrintPenSet::kPens; ++i)
            m_pens[static_cast<std::size_t>(i)] = PrintPenSet::DefaultPen(i);
        Fill(std::max(0, Selected()));
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

// What the fields show for the selected pen counts too, as if "Set" had been pressed.
void PenSetDialog::OnOK()
{
    double minimum = 0.0;
    if (!NumberFieldsDialog::Parse(Text(kMinWidth), minimum) || minimum < 0.0 || minimum > 100.0) {
        AfxMessageBox("The thinnest line must be 0 to 100 pixels.", MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(::GetDlgItem(m_hWnd, kMinWidth));
        return;
    }
    if (!SetSelectedPen())
        return;
    for (const tagPENWIDTHS& pen : m_pens)
        m_penSet.SetPen(pen.pen, pen.width, pen.colorIndex);
    m_penSet.setUsePenWidth(::IsDlgButtonChecked(m_hWnd, kUsePens) == BST_CHECKED);
    m_penSet.SetMinWidth(minimum);
    CDialog::OnOK();
}

} // namespace RkUI
