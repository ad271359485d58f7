#include "engine/rkui/ViewPointDialog.h"

namespace RkUI {

const char* ViewPointDialog::Name(int viewPoint)
{
    static const char* const names[kCount] = {"Front", "Back", "Left", "Right", "Top", "Bottom",
                                              "SW Isometric", "SE Isometric", "NE Isometric", "NW Isometric"};
    return viewPoint >= 0 && viewPoint < kCount ? names[viewPoint] : "";
}

void ViewPointDialog::Build(DialogTemplate& t) const
{
    t.Dialog(L"Select View Point", 180, 130, 3);
    t.Item(LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 7, 7, 110, 116, kList, DialogTemplate::kListBox, L"");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 123, 91, 50, 14, IDOK, DialogTemplate::kButton, L"OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 123, 109, 50, 14, IDCANCEL, DialogTemplate::kButton, L"Cancel");
}

BOOL ViewPointDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int i = 0; i < kCount; ++i)
        SendDlgItemMessage(kList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Name(i)));
    SendDlgItemMessage(kList, LB_SETCURSEL, static_cast<WPARAM>(m_choice >= 0 && m_choice < kCount ? m_choice : 4));
    return TRUE;
}

void ViewPointDialog::OnOK()
{
    const auto selected = static_cast<int>(SendDlgItemMessage(kList, LB_GETCURSEL));
    if (selected < 0 || selected >= kCount)
        return;     // nothing chosen: the dialog stays
    m_choice = selected;
    CDialog::OnOK();
}

} // namespace RkUI
